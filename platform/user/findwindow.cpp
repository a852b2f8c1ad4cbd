// Finding top-level windows: this process's own first, then those the other processes of the
// window station published.
#include <strings.h>

#include <string>
#include <vector>

#include "platform/user/station_p.h"
#include "platform/user/window.h"
#include "platform/user/window_p.h"

using namespace user_p;

namespace {

struct Candidate {
  HWND hwnd;
  std::string className;
  std::string title;
};

std::vector<Candidate> TopLevelCandidates(bool withText) {
  std::vector<Candidate> candidates;
  for (HWND hwnd : TopLevelWindows()) {
    Candidate candidate{hwnd, {}, {}};
    if (withText) {
      char name[256] = {};
      GetClassNameA(hwnd, name, sizeof name);
      candidate.className = name;
      std::vector<char> text(static_cast<size_t>(GetWindowTextLengthA(hwnd)) + 1);
      GetWindowTextA(hwnd, text.data(), static_cast<int>(text.size()));
      candidate.title = text.data();
    }
    candidates.push_back(candidate);
  }
  for (StationWindow& window : ForeignWindows()) {
    candidates.push_back({DwordToHwnd(window.hwnd), std::move(window.className), std::move(window.title)});
  }
  return candidates;
}

}  // namespace

BOOL EnumWindows(WNDENUMPROC callback, LPARAM lParam) {
  if (!callback) return FALSE;
  for (const Candidate& candidate : TopLevelCandidates(false)) {
    if (!callback(candidate.hwnd, lParam)) return FALSE;
  }
  return TRUE;
}

HWND FindWindowA(LPCSTR className, LPCSTR windowName) {
  for (const Candidate& candidate : TopLevelCandidates(true)) {
    if (className && strcasecmp(className, candidate.className.c_str()) != 0) continue;
    if (windowName && candidate.title != windowName) continue;
    return candidate.hwnd;
  }
  return nullptr;
}
