#include "platform/mfc/shlobj.h"

#include <QFileDialog>
#include <cstring>
#include <string>

#include "platform/mfc/commondialog.h"
#include "platform/user/qtstring_p.h"
#include "platform/user/threadqueue_p.h"
#include "platform/user/window.h"
#include "platform/user/window_p.h"

struct ITEMIDLIST {
  DWORD magic;  // tells our items from stray pointers
  std::string path;
};

namespace {
const DWORD kMagic = 0x5049444C;  // "PIDL"

// The window a browse callback talks to: it keeps the folder BFFM_SETSELECTION names.
LRESULT CALLBACK BrowserProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == BFFM_SETSELECTIONA && wParam && lParam) {
    auto* selection = reinterpret_cast<std::string*>(::GetWindowLongPtrA(hWnd, GWLP_USERDATA));
    if (selection) *selection = reinterpret_cast<const char*>(lParam);
    return 0;
  }
  return ::DefWindowProcA(hWnd, message, wParam, lParam);
}

// Runs the caller's callback with BFFM_INITIALIZED; the folder it selected, or empty.
std::string InitialSelection(const BROWSEINFOA* info) {
  std::string selection;
  if (!info->lpfn) return selection;
  user_p::RunOnUiThread([&] {
    WNDCLASSA wc{};
    wc.lpfnWndProc = BrowserProc;
    wc.lpszClassName = "TavorinFolderBrowser";
    ::RegisterClassA(&wc);  // fails harmlessly once registered
    HWND window = ::CreateWindowExA(0, "TavorinFolderBrowser", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr,
                                    nullptr);
    if (!window) return;
    ::SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&selection));
    info->lpfn(window, BFFM_INITIALIZED, 0, info->lParam);
    ::DestroyWindow(window);
  });
  return selection;
}
}

LPITEMIDLIST SHBrowseForFolderA(BROWSEINFOA* info) {
  if (!info) return nullptr;
  std::string initial = InitialSelection(info);
  CommonDialogAnswer answer;
  std::string chosen;
  INT_PTR result = 2;
  if (mfc_p::TakeCommonDialogAnswer(&answer)) {
    result = answer.result;
    if (result == 1 && !answer.paths.empty()) chosen = answer.paths.front();
  } else {
    user_p::RunOnUiThread([&] {
      QString folder = QFileDialog::getExistingDirectory(user_p::WidgetOf(info->hwndOwner),
                                                         user_p::ToQString(info->lpszTitle),
                                                         user_p::ToQString(initial.c_str()));
      if (!folder.isEmpty()) {
        chosen = user_p::FromQString(folder);
        result = 1;
      }
    });
  }
  mfc_p::RecordCommonDialog({"folder", info->lpszTitle ? info->lpszTitle : "", "", result, initial});
  if (result != 1 || chosen.empty()) return nullptr;
  if (info->pszDisplayName) {
    std::string name = chosen.substr(chosen.find_last_of('/') + 1);
    std::strncpy(info->pszDisplayName, name.c_str(), MAX_PATH - 1);
    info->pszDisplayName[MAX_PATH - 1] = '\0';
  }
  return new ITEMIDLIST{kMagic, chosen};
}

BOOL SHGetPathFromIDListA(LPCITEMIDLIST item, LPSTR path) {
  if (!item || item->magic != kMagic || !path || item->path.size() >= MAX_PATH) return FALSE;
  std::strcpy(path, item->path.c_str());
  return TRUE;
}

void ILFree(LPITEMIDLIST item) {
  if (item && item->magic == kMagic) {
    item->magic = 0;
    delete item;
  }
}
