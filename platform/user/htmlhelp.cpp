#include "platform/user/htmlhelp.h"

#include <string>

#include "platform/user/window.h"
#include "platform/win32/files.h"
#include "platform/win32/handle.h"
#include "platform/win32/process.h"
#include "platform/win32/trace.h"

namespace {

void OpenWithDesktop(const char* path) {
  HANDLE process = StartProcess({"xdg-open", path});
  if (process) CloseHandle(process);
  else TRACE("HtmlHelp() - cannot start xdg-open for %s\n", path);
}

void (*g_opener)(const char* path) = OpenWithDesktop;

}  // namespace

HWND HtmlHelpA(HWND caller, LPCSTR file, UINT command, DWORD_PTR) {
  if (!file || command != HH_DISPLAY_TOPIC) return nullptr;
  std::string name = file;
  std::string page;
  size_t split = name.find("::/");
  if (split == std::string::npos) {
    page = name + "/index.htm";
  } else {
    std::string topic = name.substr(split + 3);
    // A topic names a page inside the folder, never a way out of it.
    if (topic.empty() || topic.find("..") != std::string::npos || topic[0] == '/') return nullptr;
    page = name.substr(0, split) + "/" + topic;
  }
  if (!PathFileExistsA(page.c_str())) {
    TRACE("HtmlHelp() - no help page %s\n", page.c_str());
    return nullptr;
  }
  g_opener(page.c_str());
  // The page shows in the desktop's browser: there is no help window of our own to name.
  return caller ? caller : HWND_MESSAGE;
}

void SetHtmlHelpOpener(void (*opener)(const char* path)) { g_opener = opener ? opener : OpenWithDesktop; }
