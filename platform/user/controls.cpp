#include <algorithm>
#include <cstring>

#include "platform/user/controls.h"
#include "platform/user/controls_p.h"
#include "platform/user/message.h"
#include "platform/user/window.h"

namespace user_p {
namespace {

const BuiltinClass kClasses[] = {
    {"button", ButtonProc, CreateButton},
    {"edit", EditProc, CreateEdit},
    {"static", StaticProc, CreateStatic},
    {"combobox", ComboBoxProc, CreateComboBox},
    {"listbox", ListBoxProc, CreateListBox},
    {"msctls_trackbar32", TrackbarProc, CreateTrackbar},
    {"msctls_updown32", UpDownProc, CreateUpDown},
    {"msctls_progress32", ProgressProc, CreateProgress},
    {"msctls_statusbar32", StatusBarProc, CreateStatusBar},
    {"#32770", DefWindowProcA, nullptr},
};

}  // namespace

const BuiltinClass* FindBuiltinClass(const std::string& lowerName) {
  for (const BuiltinClass& entry : kClasses) {
    if (lowerName == entry.name) return &entry;
  }
  return nullptr;
}

void NotifyParent(HWND control, WORD code) {
  HWND parent = GetParent(control);
  if (parent) {
    SendMessageA(parent, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(control), code), reinterpret_cast<LPARAM>(control));
  }
}

void NotifyParentNm(HWND control, UINT code) {
  HWND parent = GetParent(control);
  if (!parent) return;
  NMHDR header{control, static_cast<UINT_PTR>(GetDlgCtrlID(control)), code};
  SendMessageA(parent, WM_NOTIFY, static_cast<WPARAM>(GetDlgCtrlID(control)), reinterpret_cast<LPARAM>(&header));
}

LRESULT CopyTextOut(const std::string& text, WPARAM size, LPARAM buffer) {
  if (!buffer || !size) return 0;
  size_t count = std::min(text.size(), static_cast<size_t>(size) - 1);
  std::memcpy(reinterpret_cast<char*>(buffer), text.data(), count);
  reinterpret_cast<char*>(buffer)[count] = '\0';
  return static_cast<LRESULT>(count);
}

}  // namespace user_p
