#include <mutex>

#include "platform/user/shellapi.h"
#include "platform/win32/handle.h"
#include "platform/win32/process.h"

namespace {
std::mutex g_hookLock;
std::function<bool(const std::vector<std::string>&)> g_hook;
}  // namespace

void SetShellExecuteHookForTesting(std::function<bool(const std::vector<std::string>&)> hook) {
  std::lock_guard<std::mutex> guard(g_hookLock);
  g_hook = std::move(hook);
}

HINSTANCE ShellExecuteA(HWND, LPCSTR, LPCSTR file, LPCSTR, LPCSTR, INT) {
  const HINSTANCE notFound = reinterpret_cast<HINSTANCE>(2);  // as ERROR_FILE_NOT_FOUND
  if (!file || !*file) return notFound;
  // The text is one argument of the opener, never a shell command line.
  std::vector<std::string> argv = {"xdg-open", file};
  {
    std::lock_guard<std::mutex> guard(g_hookLock);
    if (g_hook) return g_hook(argv) ? reinterpret_cast<HINSTANCE>(42) : notFound;
  }
  HANDLE process = StartProcess(argv);
  if (!process) return notFound;
  CloseHandle(process);
  return reinterpret_cast<HINSTANCE>(42);
}
