// Private: the per-user window station that lets processes see and message each other's
// windows. It is one folder, mode 0700 and owned by the user, under $XDG_RUNTIME_DIR (or the
// user's cache folder when that is unset; see platform/win32/stationfolder.h). In it each
// window-owning process keeps
//   <pid>.sock     the Unix-domain socket its messages arrive on, and
//   <pid>.windows  what it publishes: its start time, the handle blocks it took and its
//                  top-level windows (handle, class, title), rewritten whenever they change;
// and all share
//   handles        the next free handle block (64 Ki values each), taken under flock.
// A process whose pid is gone, or whose pid now names a process started at another time,
// is dead: its entries are ignored and its files removed by whoever notices.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/user/winmsg.h"

namespace user_p {

/// A top-level window another process published.
struct StationWindow {
  DWORD hwnd = 0;
  DWORD pid = 0;
  std::string className;
  std::string title;
};

/// Where this user's station folder is (not made or checked).
std::string StationFolderPath();
/// Makes the folder if missing and checks it: a real folder, owned by us, mode 0700 (a wrong
/// mode on our own folder is repaired). False when it must not be used.
bool PrepareStationFolder(const std::string& path);
/// The checked station folder of this process (fixed on first use); "" when none is usable,
/// and then windows stay local to the process.
const std::string& StationFolder();

/// A window handle unique across the station's live processes; 0 when there is no station.
DWORD AllocateStationHandle();
/// Publishes a top-level window, or updates its title when published already.
void PublishWindow(HWND hWnd, const std::string& className, const std::string& title);
/// Updates the title of a published window; nothing for a window that is not published.
void PublishWindowText(HWND hWnd, const std::string& title);
void UnpublishWindow(HWND hWnd);

/// Top-level windows of the other live processes of the station (dead entries cleaned).
std::vector<StationWindow> ForeignWindows();
/// The live process (not this one) whose handle blocks hold the handle; 0 when none.
DWORD OwnerOfForeignHandle(HWND hWnd);
/// The published record of a foreign top-level window; false when it is not published.
bool FindForeignWindow(HWND hWnd, StationWindow* window);
/// The socket path of a process of the station.
std::string StationSocketPath(DWORD pid);

/// The route to a window of another live process of the station; NULL when none owns it.
std::shared_ptr<class WindowRoute> StationRoute(HWND hWnd);
/// Starts this process's listener (once; needs the station). Installs the foreign route.
void StartStationListener();
/// Asks the owner of a foreign window to put it in that z-order (HWND_TOPMOST, ...) and to show
/// or hide it by the flags; never moves or sizes it. False when it could not be asked.
bool SetForeignWindowZOrder(HWND hWnd, HWND insertAfter, UINT flags);
/// Asks the owner whether a foreign handle names a live window (bounded wait).
bool IsForeignWindow(HWND hWnd);
/// Why this process's listener could not start; "" when it runs or has not been tried.
std::string StationListenerProblem();

}  // namespace user_p
