// Feeds arbitrary bytes to this process's own window-station socket, as any process of the
// user can: the request header, its payload and the checks on both.
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/user/station_p.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  static std::string runtime = "/tmp/tavorin-fuzz-station-" + std::to_string(getpid());
  mkdir(runtime.c_str(), 0700);
  setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
  if (user_p::StationFolder().empty()) std::abort();
  user_p::StartStationListener();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string path = user_p::StationSocketPath(static_cast<DWORD>(getpid()));
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
  int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return 0;
  if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) {
    if (size) send(fd, data, size, MSG_NOSIGNAL);
    shutdown(fd, SHUT_WR);
    // Wait (bounded) for the reply or the close.
    char reply[64];
    pollfd p{fd, POLLIN, 0};
    while (poll(&p, 1, 5000) > 0 && recv(fd, reply, sizeof reply, 0) > 0) {
    }
  }
  close(fd);
  return 0;
}
