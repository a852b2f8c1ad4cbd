// The option walk: each option is carried out when it is reached; the first failing call ends
// the program with exit code 1.
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/tavorinlib/TavorinLib.h"
#include "platform/win32/codepage.h"
#include "tools/test-client/TavorinTest.h"

namespace {

const char* const kUsage[] = {
    "Usage: TavorinTest <options>",
    "\t-w <shots>      run camera as a webcam for <shots> shots",
    "\t                images are saved as webcam.jpg in the current directory",
    "\t-i <interval>   specify the number of seconds between shots when used as a webcam",
    "\t-S <camera#>    select camera (multi-camera versions of Tavorin only)",
    "\t-I <ISO>        set the ISO",
    "\t-z <zoom>       zoom the lens, 0 = wide angle",
    "\t-e <mode>       set the exposure mode",
    "\t-a <aperture>   set the aperture, 0 = widest aperture",
    "\t-s <shutter>    set the shutter speed, 0 = longest shutter speed",
    "\t-x <mode>       set the exposure compensation",
    "\t-f <flash>      set the flash",
    "\t-W <wb>         set the white balance",
    "\t-c <comment>    set comment to be added to images (max 255 chars)",
    "\t-o <directory>  set the output directory",
    "\t-p <prefix>     set set the filename prefix (max 255 chars)",
    "\t-q              query output directory and camera model",
    "\t-Q <quality>    set the image size and quality",
    "\t-n              don't release shutter",
    "\t-C <connect>    connect or disconnect from the camera",
    "\t-v <viewfinder> live viewfinder: 0=off, 1=1x, 2=2x, 3=3x, 4=4x, 5=fill screen",
    "\t-d <distance>   AF distance 0=auto, 1=close-up",
    "\t-l <lock>       AF lock 0-unlock, 1=lock",
    "\t-r              Refresh Ae/AF when live viewfinder is displayed",
    "\t-X              exit Tavorin",
};

int Usage() {
  for (const char* line : kUsage) std::fprintf(stderr, "%s\n", line);
  std::fflush(stderr);
  return 0;
}

void Out(const std::string& text) {
  std::printf("%s\n", text.c_str());
  std::fflush(stdout);
}

void Err(const std::string& text) {
  std::fprintf(stderr, "%s\n", text.c_str());
  std::fflush(stderr);
}

bool IsNumber(const char* text) { return text && std::isdigit(static_cast<unsigned char>(text[0])); }

// Options taking one index and the call that serves them.
struct IndexOption {
  const char* name;
  int (*call)(int);
  const char* error;
};

int SetShutter(int index) { return TavorinLibSetShutterAperture(index, -1); }
int SetAperture(int index) { return TavorinLibSetShutterAperture(-1, index); }
int SetAfLockBox(int lock) { return TavorinLibSetAfLock(lock == 0 ? 1 : 0); }

const IndexOption kIndexOptions[] = {
    {"-e", TavorinLibSetExposureMode, "Error setting exposure mode"},
    {"-v", TavorinLibSetViewfinder, "Error selecting live viewfinder"},
    {"-d", TavorinLibSetAfDistance, "Error setting AF distance"},
    {"-l", SetAfLockBox, "Error setting AF lock"},
    {"-I", TavorinLibSetIso, "Error setting ISO"},
    {"-Q", TavorinLibSetImageQuality, "Error setting image size/quality"},
    {"-W", TavorinLibSetWhiteBalance, "Error setting white balance"},
    {"-f", TavorinLibSetFlash, "Error setting flash"},
    {"-x", TavorinLibSetExposureCompensation, "Error setting exposure compensation"},
    {"-S", TavorinLibSelectCamera, "Error selecting camera"},
    {"-s", SetShutter, "Error setting shutter speed"},
    {"-a", SetAperture, "Error setting aperture"},
    {"-z", TavorinLibSetZoom, "Error zooming lens"},
};

struct TextOption {
  const char* name;
  int (*call)(const char*);
  const char* error;
};

const TextOption kTextOptions[] = {
    {"-c", TavorinLibSetComment, "Error setting comment"},
    {"-o", TavorinLibSetOutputDirectory, "Error setting output directory"},
    {"-p", TavorinLibSetFilenamePrefix, "Error setting filename prefix"},
};

// Prints the error words and the status; true when the call failed.
bool Failed(int status, const char* words) {
  if (status == 0) return false;
  Err(std::string(words) + ", error: " + std::to_string(status));
  return true;
}

}  // namespace

void PrintReleaseError(int status, const char* reason) {
  switch (status) {
    case 1: Err("Tavorin is not running"); break;
    case 2: Err("Camera is not connected"); break;
    case 3: Err("Camera is busy"); break;
    case 4: Err("Timeout waiting for image to be saved"); break;
    default: {
      std::string text = "ERROR: unexpected return status: " + std::to_string(status);
      if (reason && *reason) text += " (" + AnsiToUtf8(reason) + ")";
      Err(text);
      break;
    }
  }
}

int main(int argc, char** argv) {
  bool webcam = false, finalRelease = true;
  int shots = 10, interval = 30;
  for (int i = 1; i < argc; ++i) {
    const char* option = argv[i];
    const char* next = i + 1 < argc ? argv[i + 1] : nullptr;
    bool done = false;
    for (const IndexOption& entry : kIndexOptions) {
      if (std::strcmp(option, entry.name) != 0) continue;
      if (!IsNumber(next)) return Usage();
      ++i;
      if (Failed(entry.call(std::atoi(next)), entry.error)) return 1;
      done = true;
    }
    for (const TextOption& entry : kTextOptions) {
      if (std::strcmp(option, entry.name) != 0) continue;
      if (!next) return Usage();
      ++i;
      // The program's texts are 1252; the terminal's are UTF-8.
      if (Failed(entry.call(AnsiFromUtf8(next).c_str()), entry.error)) return 1;
      done = true;
    }
    if (done) continue;
    if (std::strcmp(option, "-w") == 0) {
      webcam = true;
      if (IsNumber(next)) shots = std::atoi(argv[++i]);
    } else if (std::strcmp(option, "-i") == 0) {
      if (!IsNumber(next)) return Usage();
      interval = std::atoi(argv[++i]);
    } else if (std::strcmp(option, "-r") == 0) {
      if (Failed(TavorinLibRefreshAeAf(), "Error refreshing AE/AF")) return 1;
    } else if (std::strcmp(option, "-C") == 0) {
      if (!next) continue;  // a bare -C at the end is ignored
      if (!IsNumber(next)) return Usage();
      finalRelease = false;
      if (Failed(TavorinLibConnect(std::atoi(argv[++i]) != 0, 60), "Error connecting/disconnecting")) return 1;
    } else if (std::strcmp(option, "-q") == 0) {
      char text[256] = {};
      if (Failed(TavorinLibGetOutputDirectory(text, sizeof text), "Error getting output directory")) return 1;
      Out(std::string("Output directory: ") + AnsiToUtf8(text));
      if (Failed(TavorinLibGetCameraModel(text, sizeof text), "Error getting camera model")) return 1;
      Out(std::string("Camera model: ") + AnsiToUtf8(text));
    } else if (std::strcmp(option, "-n") == 0) {
      finalRelease = false;
    } else if (std::strcmp(option, "-X") == 0) {
      finalRelease = false;
      if (Failed(TavorinLibExit(), "Error exiting Tavorin")) return 1;
    } else {
      return Usage();
    }
  }
  if (webcam) {
    RunWebcamLoop(shots, interval);
    return 0;
  }
  if (finalRelease) {
    char path[256] = {};
    int status = TavorinLibReleaseShutter(60, path, sizeof path);
    if (status == 0 && path[0])
      Out(std::string("Success, image saved as: ") + AnsiToUtf8(path));
    else if (status == 0)
      Out("Success, image saved on CF card?");
    else
      PrintReleaseError(status, path);
  }
  return 0;
}
