// The station socket against a peer that speaks its protocol badly: raw requests as any
// process of the user could write them, pointers it must never follow, payloads announced but
// never sent, and connections that only sit there.
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <fstream>
#include <future>
#include <string>
#include <thread>

#include "platform/user/station_p.h"
#include "platform/user/winuser.h"
#include "tests/ProcessMemory.h"
#include "testwindow.h"

namespace {

// The wire layout as a foreign program would write it.
struct RawRequest {
  uint32_t magic = 0x54565331;
  uint32_t kind;
  uint32_t hwnd;
  uint32_t message;
  uint64_t wParam;
  uint64_t lParam;
  uint64_t dwData;
  uint32_t payloadSize;
  uint32_t reserved;
};
struct RawReply {
  uint32_t magic;
  uint32_t status;
  int64_t result;
};
const uint32_t kSend = 1, kPost = 2;
const uint32_t kOk = 0, kBadRequest = 2;

// Our own socket; the path is fixed before a test forks its peer.
const std::string& OwnSocket() {
  static const std::string path = user_p::StationSocketPath(getpid());
  return path;
}

int Connect() {
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  const std::string& path = OwnSocket();
  std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
  int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd >= 0 && connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
    close(fd);
    return -1;
  }
  return fd;
}

// One request and its reply; status 0xFFFFFFFF when the connection gave no reply.
RawReply Exchange(const RawRequest& request, const std::string& payload = "") {
  RawReply reply{0, 0xFFFFFFFFu, 0};
  int fd = Connect();
  if (fd < 0) return reply;
  timeval limit{10, 0};
  setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
  // One write: a peer that refuses on the header alone may close before a second write lands.
  std::string bytes(reinterpret_cast<const char*>(&request), sizeof request);
  bytes += payload;
  if (send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(bytes.size()) &&
      recv(fd, &reply, sizeof reply, MSG_WAITALL) != sizeof reply) {
    reply.status = 0xFFFFFFFFu;
  }
  close(fd);
  return reply;
}

// Runs the exchange on a helper thread while the UI thread serves the window.
RawReply ExchangeServing(const RawRequest& request, const std::string& payload = "") {
  auto done = std::async(std::launch::async, [&] { return Exchange(request, payload); });
  PumpUntil([&] { return done.wait_for(std::chrono::seconds(0)) == std::future_status::ready; });
  return done.get();
}

}  // namespace

TEST(StationSocketTest, OnlyMessagesSafeByValueAreTakenFromAnotherProcess) {
  TestWindow own;
  ASSERT_TRUE(own.hwnd);
  ASSERT_FALSE(user_p::StationFolder().empty());
  std::string copied;
  own.handler = [&](UINT message, WPARAM, LPARAM lParam) -> LRESULT {
    if (message != WM_COPYDATA) return 0;
    auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
    copied.assign(static_cast<const char*>(data->lpData), data->cbData);
    return 77;
  };
  const uint32_t window = HandleToDword(own.hwnd);
  const UINT registered = RegisterWindowMessageA("TAVORIN_STATION_SOCKET_TEST");
  const uint64_t bogus = 0xDEADBEEF0;
  struct Row {
    const char* name;
    uint32_t kind;
    uint32_t message;
    std::string payload;
    uint32_t status;
  };
  const Row rows[] = {
      {"WM_GETTEXT into a pointer of the sender", kSend, WM_GETTEXT, "", kBadRequest},
      {"WM_SETTEXT posted without its text", kPost, WM_SETTEXT, "", kBadRequest},
      {"WM_COPYDATA posted", kPost, WM_COPYDATA, "", kBadRequest},
      {"the camera's saved-file message posted", kPost, 2030, "", kBadRequest},
      {"the camera's saved-file message sent", kSend, 2030, "", kBadRequest},
      {"a private application message", kPost, WM_APP + 1, "", kBadRequest},
      {"a private message sent", kSend, WM_USER + 7, "", kBadRequest},
      {"a payload on a message that carries none", kSend, registered, "xyz", kBadRequest},
      {"WM_COPYDATA with its payload", kSend, WM_COPYDATA, "frame", kOk},
      {"a registered message posted", kPost, registered, "", kOk},
      {"a registered message sent", kSend, registered, "", kOk},
      {"WM_NULL", kSend, WM_NULL, "", kOk},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    RawRequest request{};
    request.magic = 0x54565331;
    request.kind = row.kind;
    request.hwnd = window;
    request.message = row.message;
    request.wParam = 100;
    request.lParam = bogus;
    request.payloadSize = static_cast<uint32_t>(row.payload.size());
    RawReply reply = ExchangeServing(request, row.payload);
    EXPECT_EQ(reply.status, row.status);
  }
  EXPECT_EQ(copied, "frame");
  PumpUntil([&] { return own.Messages(registered).size() == 2; });
  EXPECT_EQ(own.Messages(registered).size(), 2u);
  for (UINT refused : {UINT(WM_GETTEXT), UINT(WM_SETTEXT), UINT(2030), UINT(WM_APP + 1), UINT(WM_USER + 7)}) {
    EXPECT_TRUE(own.Messages(refused).empty()) << refused;
  }
}

// Another process announces the largest payloads on many connections and sends nothing: no
// memory is taken for them, they are dropped within seconds, and a real client still gets in.
TEST(StationSocketTest, SilentPeersCostNoMemoryAndAreDropped) {
  TestWindow own;
  ASSERT_TRUE(own.hwnd);
  ASSERT_FALSE(user_p::StationFolder().empty());
  const long before = RssKb();
  OwnSocket();
  int ready[2];
  ASSERT_EQ(pipe(ready), 0);
  pid_t peer = fork();
  if (peer == 0) {
    // Only system calls from here: the child of a threaded process.
    close(ready[0]);
    int fds[64];
    int open = 0;
    for (int i = 0; i < 64; ++i) {
      fds[i] = Connect();
      if (fds[i] < 0) continue;
      ++open;
      RawRequest request{};
      request.magic = 0x54565331;
      request.kind = kSend;
      request.hwnd = 1;
      request.message = WM_COPYDATA;
      request.payloadSize = 16u << 20;
      if (i % 2) send(fds[i], &request, sizeof request, MSG_NOSIGNAL);  // half announce, half say nothing
    }
    char byte = static_cast<char>(open);
    if (write(ready[1], &byte, 1) != 1) _exit(100);
    // Count the connections the program drops within 8 seconds.
    int dropped = 0;
    for (int i = 0; i < 64; ++i) {
      if (fds[i] < 0) continue;
      pollfd p{fds[i], POLLIN, 0};
      char c;
      if (poll(&p, 1, 8000) > 0 && recv(fds[i], &c, 1, 0) <= 0) ++dropped;
    }
    _exit(dropped);
  }
  ASSERT_GT(peer, 0);
  close(ready[1]);
  char opened = 0;
  ASSERT_EQ(read(ready[0], &opened, 1), 1);
  close(ready[0]);

  // The connections are held: a real client still gets through at once.
  const UINT registered = RegisterWindowMessageA("TAVORIN_STATION_SOCKET_TEST");
  RawRequest request{};
  request.kind = kPost;
  request.hwnd = HandleToDword(own.hwnd);
  request.message = registered;
  auto started = std::chrono::steady_clock::now();
  EXPECT_EQ(ExchangeServing(request).status, kOk);
  EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(1));
  EXPECT_LT(RssKb() - before, 32 * 1024) << "KiB taken for payloads never sent";

  int status = 0;
  ASSERT_EQ(waitpid(peer, &status, 0), peer);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_GT(opened, 0);
  EXPECT_EQ(WEXITSTATUS(status), opened) << "connections left open by a silent peer";
}
