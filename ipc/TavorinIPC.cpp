#include "ipc/TavorinIPC.h"

#include <atomic>
#include <chrono>
#include <cstring>
#include <thread>

#include "ipc/MappedFile.h"
#include "platform/user/message.h"
#include "platform/user/window.h"
#include "platform/win32/filemapping.h"
#include "platform/win32/trace.h"

UINT TavorinIPC::s_nMessage = 0;

namespace {

/// The client's candidate windows: at most 100; an index outside the list gives NULL.
struct ServerWindowList {
  HWND windows[100] = {};
  int count = 0;
  void Add(HWND hWnd) {
    if (count < 100) windows[count++] = hWnd;
  }
  HWND Get(int index) const { return index >= 0 && index < count ? windows[index] : nullptr; }
};

// The status word is the one field both sides hand over with; the rest follows it.
int LoadStatus(TavorinIpcBlock* block) {
  return std::atomic_ref<int32_t>(block->status).load(std::memory_order_acquire);
}

void StoreStatus(TavorinIpcBlock* block, int status) {
  std::atomic_ref<int32_t>(block->status).store(status, std::memory_order_release);
}

HWND ToHwnd(uint32_t value) { return reinterpret_cast<HWND>(static_cast<UINT_PTR>(value)); }

// The server also writes unasked-for statuses (a photo saved after a release) and late answers
// to requests that timed out: only a status the command can give counts as its answer.
bool AnswersStatusCommand(int status) {
  return status == kIpcNotConnected || status == kIpcIdle || status == kIpcBusy;
}

bool AnswersCommand(int command, int status) {
  if (status == 0) return false;
  if (command == kIpcStatus) return AnswersStatusCommand(status);
  return status != kIpcSaved || command == kIpcRelease;
}

// Polls the status briefly at first (a reply usually comes within a millisecond), then gently.
template <typename Done>
bool WaitFor(Done done, DWORD timeoutMs) {
  auto start = std::chrono::steady_clock::now();
  auto limit = start + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    if (done()) return true;
    auto now = std::chrono::steady_clock::now();
    if (now >= limit) return false;
    std::this_thread::sleep_for(now - start < std::chrono::milliseconds(20) ? std::chrono::microseconds(20)
                                                                             : std::chrono::milliseconds(2));
  }
}

}  // namespace

TavorinIPC::TavorinIPC() {
  if (s_nMessage == 0) {
    TRACE("TavorinIPC::TavorinIPC() registering window message\n");
    s_nMessage = RegisterWindowMessageA(kTavorinIpcMessageName);
  }
}

void TavorinIPC::Initialise() {
  if (m_pBlock) return;
  TRACE("TavorinIPC::Initialise()\n");
  MappedFile mapping;
  m_pBlock = mapping.GetMappedView();
}

void TavorinIPC::flush() { FlushViewOfFile(m_pBlock, kTavorinIpcUsedSize); }

int TavorinIPC::readRequest(int* parameter) {
  Initialise();
  if (!m_pBlock) return 0;
  if (parameter) *parameter = m_pBlock->parameter;
  return m_pBlock->command;
}

const char* TavorinIPC::requestString() { return m_pBlock ? m_pBlock->text : nullptr; }

bool TavorinIPC::requestText(char (&text)[768]) {
  text[0] = '\0';
  if (!m_pBlock) return false;
  std::memcpy(text, m_pBlock->text, sizeof text);
  bool terminated = std::memchr(text, '\0', sizeof text) != nullptr;
  text[sizeof text - 1] = '\0';
  return terminated;
}

void TavorinIPC::setProgress(int percent) {
  if (m_pBlock) m_pBlock->progress = percent;
}

bool TavorinIPC::sendReply(HWND server, int status, const char* text) {
  Initialise();
  if (!m_pBlock) return false;
  size_t length = text ? strnlen(text, kTavorinIpcMaxText) : 0;
  std::memset(m_pBlock->text, 0, sizeof m_pBlock->text);
  if (length) std::memcpy(m_pBlock->text, text, length);
  m_pBlock->serverWindow = HandleToDword(server);
  StoreStatus(m_pBlock, status);
  return FlushViewOfFile(m_pBlock, kTavorinIpcUsedSize) != FALSE;
}

int TavorinIPC::getProgress() { return m_pBlock ? m_pBlock->progress : 0; }

int TavorinIPC::getStatus() { return m_pBlock ? LoadStatus(m_pBlock) : 0; }

void TavorinIPC::getReplyText(char* buffer, int size) {
  if (!buffer || size <= 0) return;
  buffer[0] = '\0';
  if (!m_pBlock) return;
  char text[768];
  std::memcpy(text, m_pBlock->text, sizeof text);
  text[sizeof text - 1] = '\0';
  std::strncpy(buffer, text, static_cast<size_t>(size) - 1);
  buffer[size - 1] = '\0';
}

BOOL CALLBACK TavorinIPC::collectServerWindow(HWND hWnd, LPARAM list) {
  char title[256] = {};
  GetWindowTextA(hWnd, title, sizeof title);
  if (std::strncmp(title, "Tavorin", 7) == 0) reinterpret_cast<ServerWindowList*>(list)->Add(hWnd);
  return TRUE;
}

int TavorinIPC::findServer(DWORD timeoutMs) {
  Initialise();
  if (!s_nMessage || !m_pBlock) return 0;
  m_pBlock->command = kIpcStatus;
  m_pBlock->parameter = 0;
  StoreStatus(m_pBlock, 0);
  flush();

  // A remembered window that no longer answers (a closed program) sends us searching again.
  if (m_pBlock->serverWindow != kTavorinNoServer) {
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutA(ToHwnd(m_pBlock->serverWindow), s_nMessage, 0, 0, SMTO_ABORTIFHUNG, 1000, &result))
      m_pBlock->serverWindow = kTavorinNoServer;
    else if (!WaitFor([this] { return AnswersStatusCommand(LoadStatus(m_pBlock)); }, timeoutMs))
      m_pBlock->serverWindow = kTavorinNoServer;
  }
  if (m_pBlock->serverWindow == kTavorinNoServer) {
    ServerWindowList list;
    EnumWindows(collectServerWindow, reinterpret_cast<LPARAM>(&list));
    for (int i = 0; i < list.count; ++i) {
      DWORD_PTR result = 0;
      if (SendMessageTimeoutA(list.Get(i), s_nMessage, 0, 0, SMTO_ABORTIFHUNG, 1000, &result) && result != 0) {
        // The frame passes the command on to the view, whose reply names the view.
        if (LoadStatus(m_pBlock) == 0) m_pBlock->serverWindow = HandleToDword(list.Get(i));
        break;
      }
    }
    if (m_pBlock->serverWindow == kTavorinNoServer) return 0;
    WaitFor([this] { return AnswersStatusCommand(LoadStatus(m_pBlock)); }, timeoutMs);
  }
  int status = LoadStatus(m_pBlock);
  return AnswersStatusCommand(status) ? status : kIpcNoAnswer;
}

int TavorinIPC::post(DWORD timeoutMs) {
  const int command = m_pBlock->command;
  flush();
  if (!PostMessageA(ToHwnd(m_pBlock->serverWindow), s_nMessage, 0, 0)) return 0;
  WaitFor([this, command] { return AnswersCommand(command, LoadStatus(m_pBlock)); }, timeoutMs);
  int status = LoadStatus(m_pBlock);
  return AnswersCommand(command, status) ? status : kIpcNoAnswer;
}

int TavorinIPC::sendCommand(int command, int parameter, DWORD timeoutMs) {
  Initialise();
  if (!s_nMessage || !m_pBlock || m_pBlock->serverWindow == kTavorinNoServer) return 0;
  m_pBlock->command = command;
  m_pBlock->parameter = parameter;
  StoreStatus(m_pBlock, 0);
  return post(timeoutMs);
}

int TavorinIPC::sendCommandString(int command, const char* text, DWORD timeoutMs) {
  Initialise();
  if (!s_nMessage || !m_pBlock || m_pBlock->serverWindow == kTavorinNoServer) return 0;
  size_t length = text ? strnlen(text, kTavorinIpcMaxText + 1) : 0;
  if (length > static_cast<size_t>(kTavorinIpcMaxText)) return kIpcRefused;
  m_pBlock->command = command;
  m_pBlock->parameter = 0;
  StoreStatus(m_pBlock, 0);
  std::memset(m_pBlock->text, 0, sizeof m_pBlock->text);
  if (length) std::memcpy(m_pBlock->text, text, length);
  return post(timeoutMs);
}

int TavorinIPC::waitStatusChange(int current, DWORD timeoutMs) {
  if (!m_pBlock) return current;
  WaitFor([this, current] { return LoadStatus(m_pBlock) != current; }, timeoutMs);
  return LoadStatus(m_pBlock);
}
