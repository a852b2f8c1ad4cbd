// Feeds arbitrary bytes as a window list another process of the station published.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/user/station_p.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  static std::string runtime = "/tmp/tavorin-fuzz-list-" + std::to_string(getpid());
  mkdir(runtime.c_str(), 0700);
  setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
  if (user_p::StationFolder().empty()) std::abort();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // Process 1 is alive, so its list is read (and, its start time not matching, dropped).
  std::string path = user_p::StationFolder() + "/1.windows";
  int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  if (fd < 0) return 0;
  if (size && write(fd, data, size) < 0) {
  }
  close(fd);
  user_p::ForeignWindows();
  user_p::FindForeignWindow(reinterpret_cast<HWND>(static_cast<uintptr_t>(0x10002)), nullptr);
  return 0;
}
