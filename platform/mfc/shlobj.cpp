#include "platform/mfc/shlobj.h"

#include <QFileDialog>
#include <cstring>
#include <string>

#include "platform/mfc/commondialog.h"
#include "platform/user/qtstring_p.h"
#include "platform/user/threadqueue_p.h"
#include "platform/user/window_p.h"

struct ITEMIDLIST {
  DWORD magic;  // tells our items from stray pointers
  std::string path;
};

namespace {
const DWORD kMagic = 0x5049444C;  // "PIDL"
}

LPITEMIDLIST SHBrowseForFolderA(BROWSEINFOA* info) {
  if (!info) return nullptr;
  CommonDialogAnswer answer;
  std::string chosen;
  INT_PTR result = 2;
  if (mfc_p::TakeCommonDialogAnswer(&answer)) {
    result = answer.result;
    if (result == 1 && !answer.paths.empty()) chosen = answer.paths.front();
  } else {
    user_p::RunOnUiThread([&] {
      QString folder = QFileDialog::getExistingDirectory(user_p::WidgetOf(info->hwndOwner),
                                                         user_p::ToQString(info->lpszTitle));
      if (!folder.isEmpty()) {
        chosen = user_p::FromQString(folder);
        result = 1;
      }
    });
  }
  mfc_p::RecordCommonDialog({"folder", info->lpszTitle ? info->lpszTitle : "", "", result});
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
