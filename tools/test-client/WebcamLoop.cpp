// The webcam loop: each shot replaces webcam.jpg in the current folder.
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <string>
#include <thread>

#include "platform/tavorinlib/TavorinLib.h"
#include "platform/win32/codepage.h"
#include "tools/test-client/TavorinTest.h"

namespace {

std::string TimeStamp() {
  char text[16] = {};
  std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  std::strftime(text, sizeof text, "%H:%M:%S", &local);
  return text;
}

void Say(const std::string& text) {
  std::printf("%s\n", text.c_str());
  std::fflush(stdout);
}

void Complain(const char* text) {
  std::fprintf(stderr, "%s\n", text);
  std::fflush(stderr);
}

// The photo folder may be on another file system than the current folder.
bool MoveOver(const std::string& from, const char* to) {
  std::error_code error;
  std::filesystem::rename(from, to, error);
  if (!error) return true;
  error.clear();
  std::filesystem::copy_file(from, to, std::filesystem::copy_options::overwrite_existing, error);
  if (error) return false;
  std::filesystem::remove(from, error);
  return true;
}

}  // namespace

void RunWebcamLoop(int shots, int interval) {
  Say("Starting webcam sequence of " + std::to_string(shots) + " shots with " + std::to_string(interval) +
      " secs between shots");
  tzset();
  bool stop = false;
  for (int shot = 1; shot <= shots && !stop; ++shot) {
    Say(TimeStamp() + ": Taking shot number: " + std::to_string(shot));
    std::time_t due = std::time(nullptr) + interval;
    char path[1024] = {};
    int status = TavorinLibReleaseShutter(60, path, sizeof path);
    if (status != 0) {
      stop = true;
      PrintReleaseError(status, path);
    } else if (path[0]) {
      Say(TimeStamp() + ": Image saved as: " + AnsiToUtf8(path));
      std::error_code error;
      if (std::filesystem::exists("webcam.jpg", error) && !std::filesystem::remove("webcam.jpg", error)) {
        Complain("Error renaming file");
        stop = true;
      }
      if (!MoveOver(AnsiToUtf8(path), "webcam.jpg")) {
        Complain("Error renaming file");
        stop = true;
      } else {
        Say(TimeStamp() + ": Image renamed 'webcam.jpg'");
      }
    } else {
      Say(TimeStamp() + ": Image saved to CF card only?");
    }
    std::time_t now = std::time(nullptr);
    if (!stop && now < due && shot < shots) {
      Say(TimeStamp() + ": Sleeping for " + std::to_string(due - now) + " secs before next shot");
      std::this_thread::sleep_for(std::chrono::seconds(due - now));
    }
  }
}
