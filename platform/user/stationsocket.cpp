// Messages to windows of other processes of the station. One request per connection to the
// owner's socket: a fixed header, then the payload of messages that carry data (WM_COPYDATA,
// WM_SETTEXT), answered by a fixed reply. The owner delivers the message with SendMessage or
// PostMessage from the connection's thread, so it runs on the window's own thread. Everything
// read from a socket is checked; every wait has a deadline. Any process of the user can
// connect, so only messages whose parameters are plain values are delivered (a pointer from
// another process would be read here), payloads are read as they arrive under a cap per peer,
// and a peer that sends nothing is dropped.
#include <poll.h>
#include <sys/stat.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <map>
#include <mutex>
#include <string>
#include <thread>

#include "platform/user/message.h"
#include "platform/user/station_p.h"
#include "platform/user/threadqueue_p.h"
#include "platform/user/window.h"
#include "platform/user/window_p.h"
#include "platform/win32/error.h"
#include "platform/win32/stationfolder.h"
#include "platform/win32/trace.h"

namespace user_p {
namespace {

using Clock = std::chrono::steady_clock;

const uint32_t kWireMagic = 0x54565331;  // "TVS1"
// kZOrder: wParam the insert-after value, lParam the SetWindowPos flags (no move, no size).
const uint32_t kSend = 1, kPost = 2, kIsWindow = 3, kZOrder = 4;
const uint32_t kOk = 0, kNoWindow = 1, kBadRequest = 2;
const uint32_t kMaxPayload = 16u << 20;
// Payload bytes held for one peer process, and for all peers together.
const size_t kPeerPayloadCap = 16u << 20;
const size_t kTotalPayloadCap = 64u << 20;
const size_t kPayloadChunk = 64u << 10;
const int kMaxConnections = 64;
// One peer process may not hold every connection.
const int kMaxPeerConnections = 8;
// A request must arrive, and a reply leave, within this time; a stalled peer gets no more.
const DWORD kIoTimeout = 5000;
// A peer that sends nothing for this long is dropped.
const DWORD kIdleTimeout = 2000;
// SendMessage to another process gives up after this long (a hung or dying peer).
const DWORD kSendTimeout = 10000;

struct WireRequest {
  uint32_t magic;
  uint32_t kind;
  uint32_t hwnd;
  uint32_t message;
  uint64_t wParam;
  uint64_t lParam;
  uint64_t dwData;
  uint32_t payloadSize;
  uint32_t reserved;
};
struct WireReply {
  uint32_t magic;
  uint32_t status;
  int64_t result;
};
static_assert(sizeof(WireRequest) == 48 && sizeof(WireReply) == 16, "wire layout");

std::atomic<int> g_connections{0};

// Connections and payload bytes per peer process.
struct PeerUse {
  int connections = 0;
  size_t bytes = 0;
};
std::mutex g_peerMutex;
std::map<pid_t, PeerUse> g_peers;
size_t g_payloadBytes = 0;

bool TakeConnection(pid_t peer) {
  std::lock_guard<std::mutex> lock(g_peerMutex);
  PeerUse& use = g_peers[peer];
  if (use.connections >= kMaxPeerConnections) return false;
  ++use.connections;
  return true;
}

void ReturnConnection(pid_t peer, size_t bytes) {
  std::lock_guard<std::mutex> lock(g_peerMutex);
  PeerUse& use = g_peers[peer];
  use.bytes -= bytes;
  g_payloadBytes -= bytes;
  if (--use.connections <= 0) g_peers.erase(peer);
}

bool TakePayloadBytes(pid_t peer, size_t bytes) {
  std::lock_guard<std::mutex> lock(g_peerMutex);
  PeerUse& use = g_peers[peer];
  if (use.bytes + bytes > kPeerPayloadCap || g_payloadBytes + bytes > kTotalPayloadCap) return false;
  use.bytes += bytes;
  g_payloadBytes += bytes;
  return true;
}

// What another process may ask for: the message's parameters must mean the same here, so only
// values (registered messages, WM_NULL, WM_CLOSE, WM_GETTEXTLENGTH) and the data messages whose
// payload travels with them (sent, never posted). Private messages may carry pointers.
bool AcceptedFromPeer(uint32_t kind, uint32_t message) {
  if (kind == kIsWindow || kind == kZOrder) return true;
  if (message >= 0xC000 && message <= 0xFFFF) return true;
  switch (message) {
    case WM_NULL:
    case WM_CLOSE: return true;
    case WM_GETTEXTLENGTH:
    case WM_COPYDATA:
    case WM_SETTEXT: return kind == kSend;
    default: return false;
  }
}

int MillisecondsLeft(Clock::time_point deadline) {
  auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
  return left <= 0 ? 0 : static_cast<int>(std::min<long long>(left, 1 << 30));
}

bool WaitFor(int fd, short events, Clock::time_point deadline) {
  for (;;) {
    pollfd p{fd, events, 0};
    int ready = poll(&p, 1, MillisecondsLeft(deadline));
    if (ready > 0) return true;
    if (ready == 0 || errno != EINTR) return false;
  }
}

bool WriteAll(int fd, const void* data, size_t size, Clock::time_point deadline) {
  auto* p = static_cast<const char*>(data);
  while (size) {
    ssize_t sent = send(fd, p, size, MSG_NOSIGNAL | MSG_DONTWAIT);
    if (sent > 0) {
      p += sent;
      size -= static_cast<size_t>(sent);
    } else if (sent < 0 && (errno == EAGAIN || errno == EINTR)) {
      if (!WaitFor(fd, POLLOUT, deadline)) return false;
    } else {
      return false;
    }
  }
  return true;
}

bool ReadAll(int fd, void* data, size_t size, Clock::time_point deadline) {
  auto* p = static_cast<char*>(data);
  while (size) {
    ssize_t got = recv(fd, p, size, MSG_DONTWAIT);
    if (got > 0) {
      p += got;
      size -= static_cast<size_t>(got);
    } else if (got < 0 && (errno == EAGAIN || errno == EINTR)) {
      if (!WaitFor(fd, POLLIN, deadline)) return false;
    } else {
      return false;  // the peer closed or failed
    }
  }
  return true;
}

bool SocketAddress(const std::string& path, sockaddr_un* address) {
  std::memset(address, 0, sizeof *address);
  address->sun_family = AF_UNIX;
  if (path.empty() || path.size() >= sizeof address->sun_path) return false;
  std::memcpy(address->sun_path, path.c_str(), path.size() + 1);
  return true;
}

// One request to a process and its reply. On failure *error says why (a dead peer is an
// invalid window, a slow one a time-out).
bool Exchange(DWORD pid, const WireRequest& request, const void* payload, DWORD timeout, WireReply* reply,
              DWORD* error) {
  Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeout);
  *error = ERROR_INVALID_WINDOW_HANDLE;
  sockaddr_un address;
  if (!SocketAddress(StationSocketPath(pid), &address)) return false;
  int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
  if (fd < 0) return false;
  bool ok = false;
  for (;;) {
    if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) {
      ok = true;
      break;
    }
    // A full backlog is a busy peer, not a dead one: try again until the deadline.
    if (errno != EAGAIN && errno != EINTR) break;
    if (!MillisecondsLeft(deadline)) {
      *error = ERROR_TIMEOUT;
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  if (ok) {
    ok = WriteAll(fd, &request, sizeof request, deadline) &&
         (!request.payloadSize || WriteAll(fd, payload, request.payloadSize, deadline)) &&
         ReadAll(fd, reply, sizeof *reply, deadline) && reply->magic == kWireMagic;
    if (!ok) *error = MillisecondsLeft(deadline) ? ERROR_INVALID_WINDOW_HANDLE : ERROR_TIMEOUT;
  }
  close(fd);
  if (ok && reply->status != kOk) {
    *error = reply->status == kNoWindow ? ERROR_INVALID_WINDOW_HANDLE : ERROR_INVALID_PARAMETER;
    return false;
  }
  return ok;
}

// Runs one request on this side (on the connection's own thread).
WireReply Deliver(const WireRequest& request, std::string& payload) {
  WireReply reply{kWireMagic, kOk, 0};
  HWND hWnd = DwordToHwnd(request.hwnd);
  if (!request.hwnd || !FindWindowRecord(hWnd)) {
    reply.status = request.kind == kIsWindow ? kOk : kNoWindow;
    return reply;
  }
  WPARAM wParam = static_cast<WPARAM>(request.wParam);
  LPARAM lParam = static_cast<LPARAM>(request.lParam);
  switch (request.kind) {
    case kIsWindow: reply.result = IsWindow(hWnd); break;
    case kZOrder: {
      // Only the order and visibility: a position means nothing on another process's screen.
      HWND insertAfter = reinterpret_cast<HWND>(static_cast<LONG_PTR>(static_cast<int64_t>(request.wParam)));
      if (insertAfter != HWND_TOPMOST && insertAfter != HWND_NOTOPMOST && insertAfter != HWND_TOP &&
          insertAfter != HWND_BOTTOM)
        insertAfter = HWND_TOP;
      UINT flags = static_cast<UINT>(request.lParam) & (SWP_SHOWWINDOW | SWP_HIDEWINDOW | SWP_NOACTIVATE | SWP_NOZORDER);
      reply.result = SetWindowPos(hWnd, insertAfter, 0, 0, 0, 0, flags | SWP_NOMOVE | SWP_NOSIZE);
      break;
    }
    case kPost: reply.result = PostMessageA(hWnd, request.message, wParam, lParam); break;
    case kSend:
      if (request.message == WM_COPYDATA) {
        COPYDATASTRUCT data{static_cast<ULONG_PTR>(request.dwData), static_cast<DWORD>(payload.size()),
                            payload.empty() ? nullptr : payload.data()};
        reply.result = SendMessageA(hWnd, WM_COPYDATA, wParam, reinterpret_cast<LPARAM>(&data));
      } else if (request.message == WM_SETTEXT) {
        reply.result = SendMessageA(hWnd, WM_SETTEXT, wParam, reinterpret_cast<LPARAM>(payload.c_str()));
      } else {
        reply.result = SendMessageA(hWnd, request.message, wParam, lParam);
      }
      break;
  }
  return reply;
}

// Reads the announced payload as it arrives, never holding more than the peer's share; false
// when the peer stalls, closes or passes its cap.
bool ReadPayload(int fd, pid_t peer, size_t size, std::string& payload, size_t& charged, Clock::time_point deadline) {
  char chunk[4096];
  while (payload.size() < size) {
    Clock::time_point idle = std::min(deadline, Clock::now() + std::chrono::milliseconds(kIdleTimeout));
    if (!WaitFor(fd, POLLIN, idle)) return false;
    size_t want = std::min(sizeof chunk, size - payload.size());
    ssize_t got = recv(fd, chunk, want, MSG_DONTWAIT);
    if (got < 0 && (errno == EAGAIN || errno == EINTR)) continue;
    if (got <= 0) return false;
    if (payload.capacity() < payload.size() + static_cast<size_t>(got)) {
      size_t grown = std::min(size, std::max(payload.capacity() * 2, payload.size() + kPayloadChunk));
      if (!TakePayloadBytes(peer, grown - payload.capacity())) return false;
      charged += grown - payload.capacity();
      try {
        payload.reserve(grown);
      } catch (const std::bad_alloc&) {
        return false;
      }
    }
    payload.append(chunk, static_cast<size_t>(got));
  }
  return true;
}

// Serves one request; returns the payload bytes charged to the peer.
size_t Serve(int fd, pid_t peer) {
  // A peer must say what it wants at once; one that says nothing only holds a connection.
  Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(kIdleTimeout);
  WireRequest request;
  if (!ReadAll(fd, &request, sizeof request, deadline)) return 0;
  WireReply reply{kWireMagic, kBadRequest, 0};
  bool carriesData = request.message == WM_COPYDATA || request.message == WM_SETTEXT;
  bool valid = request.magic == kWireMagic && request.kind >= kSend && request.kind <= kZOrder &&
               AcceptedFromPeer(request.kind, request.message) && request.payloadSize <= kMaxPayload &&
               (!request.payloadSize || (carriesData && request.kind == kSend));
  if (!valid) TRACE("Serve() - refused message 0x%x (kind %u) from process %d\n", request.message, request.kind, peer);
  std::string payload;
  size_t charged = 0;
  bool read = true;
  if (valid && request.payloadSize) {
    // Big frames get time in proportion; a peer that stops sending is dropped.
    deadline = Clock::now() + std::chrono::milliseconds(kIoTimeout + (request.payloadSize >> 10));
    read = ReadPayload(fd, peer, request.payloadSize, payload, charged, deadline);
  }
  if (read) {
    if (valid) reply = Deliver(request, payload);
    WriteAll(fd, &reply, sizeof reply, Clock::now() + std::chrono::milliseconds(kIoTimeout));
  }
  return charged;
}

void Listen(int listener) {
  for (;;) {
    int fd = accept4(listener, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
    if (fd < 0) {
      if (errno == EINTR || errno == ECONNABORTED) continue;
      if (errno == EMFILE || errno == ENFILE || errno == ENOMEM || errno == ENOBUFS) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        continue;
      }
      TRACE("Listen() - accept failed (%d); no more messages from other processes\n", errno);
      return;
    }
    ucred peer{};
    socklen_t length = sizeof peer;
    if (getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &length) != 0 || peer.uid != geteuid()) {
      close(fd);
      continue;
    }
    if (g_connections.fetch_add(1) >= kMaxConnections || !TakeConnection(peer.pid)) {
      g_connections.fetch_sub(1);
      close(fd);
      continue;
    }
    try {
      std::thread([fd, pid = peer.pid] {
        size_t charged = Serve(fd, pid);
        close(fd);
        ReturnConnection(pid, charged);
        g_connections.fetch_sub(1);
      }).detach();
    } catch (...) {
      close(fd);
      ReturnConnection(peer.pid, 0);
      g_connections.fetch_sub(1);
    }
  }
}

// A window of another process: messages go to its owner's socket.
class ForeignRoute : public WindowRoute {
 public:
  explicit ForeignRoute(DWORD pid) : m_pid(pid) {}

  LRESULT Send(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) override {
    LRESULT result = 0;
    SendTimeout(hWnd, message, wParam, lParam, kSendTimeout, &result);
    return result;
  }

  BOOL SendTimeout(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam, DWORD timeout, LRESULT* result) override {
    *result = 0;
    if (message == WM_GETTEXT || message == WM_GETTEXTLENGTH) return PublishedText(hWnd, message, wParam, lParam, result);
    WireRequest request{kWireMagic, kSend, HandleToDword(hWnd), message, static_cast<uint64_t>(wParam),
                        static_cast<uint64_t>(lParam), 0, 0, 0};
    const void* payload = nullptr;
    if (message == WM_COPYDATA) {
      auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
      if (!data || data->cbData > kMaxPayload || (data->cbData && !data->lpData)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
      }
      request.dwData = data->dwData;
      request.payloadSize = data->cbData;
      payload = data->lpData;
      request.lParam = 0;
    } else if (message == WM_SETTEXT) {
      const char* text = lParam ? reinterpret_cast<const char*>(lParam) : "";
      request.payloadSize = static_cast<uint32_t>(std::min<size_t>(std::strlen(text), kMaxPayload));
      payload = text;
      request.lParam = 0;
    }
    // The exchange runs on a helper thread while this one keeps serving messages sent to its
    // own windows: the receiver may send back to us before it answers.
    std::shared_ptr<ThreadQueue> self = CurrentQueue();
    auto item = std::make_shared<SentItem>();
    item->waiter = self;
    bool ok = false;
    DWORD error = 0;
    std::thread io;
    try {
      io = std::thread([&] {
        WireReply reply{};
        ok = Exchange(m_pid, request, payload, timeout, &reply, &error);
        ThreadQueue::Finish(item, ok ? static_cast<LRESULT>(reply.result) : 0);
      });
    } catch (...) {
      SetLastError(ERROR_NOT_ENOUGH_MEMORY);
      return FALSE;
    }
    self->WaitServing(item);
    io.join();
    if (!ok) {
      SetLastError(error);
      return FALSE;
    }
    *result = item->result;
    return TRUE;
  }

  BOOL Post(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) override {
    // Data behind a pointer cannot wait in a queue of another process.
    if (message == WM_COPYDATA || message == WM_SETTEXT || message == WM_GETTEXT) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return FALSE;
    }
    WireRequest request{kWireMagic, kPost, HandleToDword(hWnd), message, static_cast<uint64_t>(wParam),
                        static_cast<uint64_t>(lParam), 0, 0, 0};
    WireReply reply{};
    DWORD error = 0;
    // Waiting for the owner's acknowledgement keeps a thread's posts in order.
    if (!Exchange(m_pid, request, nullptr, kIoTimeout, &reply, &error)) {
      SetLastError(error);
      return FALSE;
    }
    return reply.result ? TRUE : FALSE;
  }

 private:
  // Another process's title is read from what it published, as a caption is read without
  // asking a possibly hung window.
  static BOOL PublishedText(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    StationWindow window;
    if (!FindForeignWindow(hWnd, &window)) window.title.clear();
    if (message == WM_GETTEXTLENGTH) {
      *result = static_cast<LRESULT>(window.title.size());
      return TRUE;
    }
    if (!wParam || !lParam) return TRUE;
    size_t count = std::min(window.title.size(), static_cast<size_t>(wParam) - 1);
    std::memcpy(reinterpret_cast<char*>(lParam), window.title.data(), count);
    reinterpret_cast<char*>(lParam)[count] = '\0';
    *result = static_cast<LRESULT>(count);
    return TRUE;
  }

  DWORD m_pid;
};

}  // namespace

namespace {
std::mutex g_problemMutex;
std::string g_listenerProblem;

void SetListenerProblem(const std::string& problem) {
  TRACE("StartStationListener() - %s\n", problem.c_str());
  std::lock_guard<std::mutex> lock(g_problemMutex);
  g_listenerProblem = problem;
}
}  // namespace

std::string StationListenerProblem() {
  std::lock_guard<std::mutex> lock(g_problemMutex);
  return g_listenerProblem;
}

void StartStationListener() {
  static std::once_flag once;
  std::call_once(once, [] {
    sockaddr_un address;
    DWORD pid = static_cast<DWORD>(getpid());
    std::string path = StationSocketPath(pid);
    if (!SocketAddress(path, &address)) {
      SetListenerProblem("the socket path " + path + " is longer than the system allows (" +
                         std::to_string(sizeof address.sun_path - 1) + " bytes)");
      return;
    }
    int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return SetListenerProblem(std::string("no socket: ") + std::strerror(errno));
    unlink(path.c_str());  // left by an earlier process with our pid
    if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || chmod(path.c_str(), 0600) != 0 ||
        listen(fd, 64) != 0) {
      SetListenerProblem("cannot listen on " + path + ": " + std::strerror(errno));
      close(fd);
      return;
    }
    std::thread(Listen, fd).detach();
  });
}

std::shared_ptr<WindowRoute> StationRoute(HWND hWnd) {
  if (StationFolder().empty()) return nullptr;
  DWORD pid = OwnerOfForeignHandle(hWnd);
  return pid ? std::make_shared<ForeignRoute>(pid) : nullptr;
}

bool SetForeignWindowZOrder(HWND hWnd, HWND insertAfter, UINT flags) {
  if (StationFolder().empty()) return false;
  DWORD pid = OwnerOfForeignHandle(hWnd);
  if (!pid) return false;
  WireRequest request{kWireMagic, kZOrder, HandleToDword(hWnd), 0,
                      static_cast<uint64_t>(static_cast<int64_t>(reinterpret_cast<LONG_PTR>(insertAfter))),
                      static_cast<uint64_t>(flags), 0, 0, 0};
  WireReply reply{};
  DWORD error = 0;
  if (!Exchange(pid, request, nullptr, kIoTimeout, &reply, &error)) {
    SetLastError(error);
    return false;
  }
  return reply.result != 0;
}

bool IsForeignWindow(HWND hWnd) {
  if (StationFolder().empty()) return false;
  DWORD pid = OwnerOfForeignHandle(hWnd);
  if (!pid) return false;
  if (FindForeignWindow(hWnd, nullptr)) return true;
  WireRequest request{kWireMagic, kIsWindow, HandleToDword(hWnd), 0, 0, 0, 0, 0, 0};
  WireReply reply{};
  DWORD error = 0;
  return Exchange(pid, request, nullptr, kIoTimeout, &reply, &error) && reply.result;
}

}  // namespace user_p

std::string GetStationProblem() {
  if (user_p::StationFolder().empty()) return GetStationFolderProblem();
  return user_p::StationListenerProblem();
}
