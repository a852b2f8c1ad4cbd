// Stands in for the outside uploader programs in the sharing tests. It records its arguments,
// shows a window whose title follows a script, and records what is done to that window.
//   UPLOADER_STUB_RECORD  file that gets one line per argument ("arg <text>"), then "topmost"
//                         when the window was put on top and "close" on WM_CLOSE;
//   UPLOADER_STUB_TITLES  titles separated by "|", each shown for UPLOADER_STUB_STEP_MS (default
//                         200) and the last kept; none: no window at all.
#include <QApplication>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/user/winuser.h"

namespace {

std::string g_record;
std::vector<std::string> g_titles;
size_t g_next = 0;
bool g_topmostSeen = false;

void Record(const std::string& line) {
  if (g_record.empty()) return;
  if (FILE* file = std::fopen(g_record.c_str(), "a")) {
    std::fprintf(file, "%s\n", line.c_str());
    std::fclose(file);
  }
}

LRESULT CALLBACK StubProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_TIMER) {
    if (!g_topmostSeen && (GetWindowLong(hWnd, GWL_EXSTYLE) & WS_EX_TOPMOST)) {
      g_topmostSeen = true;
      Record("topmost");
    }
    if (g_next < g_titles.size()) SetWindowTextA(hWnd, g_titles[g_next++].c_str());
    return 0;
  }
  if (message == WM_CLOSE) {
    Record("close");
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcA(hWnd, message, wParam, lParam);
}

}  // namespace

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  const char* record = std::getenv("UPLOADER_STUB_RECORD");
  g_record = record ? record : "";
  for (int i = 0; i < argc; ++i) Record(std::string("arg ") + argv[i]);
  const char* titles = std::getenv("UPLOADER_STUB_TITLES");
  if (!titles || !*titles) return 0;
  for (const char* p = titles;;) {
    const char* bar = std::strchr(p, '|');
    g_titles.emplace_back(p, bar ? static_cast<size_t>(bar - p) : std::strlen(p));
    if (!bar) break;
    p = bar + 1;
  }
  const char* step = std::getenv("UPLOADER_STUB_STEP_MS");
  QApplication app(argc, argv);
  WNDCLASSA stubClass{};
  stubClass.lpfnWndProc = StubProc;
  stubClass.lpszClassName = "UploaderStub";
  RegisterClassA(&stubClass);
  HWND window = CreateWindowExA(0, "UploaderStub", g_titles[g_next++].c_str(), WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0,
                                200, 100, nullptr, nullptr, nullptr, nullptr);
  SetTimer(window, 1, step ? static_cast<UINT>(std::atoi(step)) : 200, nullptr);
  int code = RunUiMessageLoop();
  DestroyWindow(window);
  return code;
}
