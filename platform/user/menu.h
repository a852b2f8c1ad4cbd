// Menus (menu bar and pop-ups, with command ids) and accelerator tables.
// A chosen item sends WM_COMMAND (id, 0) to the owner window; an accelerator sends
// WM_COMMAND (id, 1).
#pragma once

#include <string>
#include <vector>

#include "platform/user/winmsg.h"

#define MF_STRING 0x0000u
#define MF_ENABLED 0x0000u
#define MF_UNCHECKED 0x0000u
#define MF_BYCOMMAND 0x0000u
#define MF_GRAYED 0x0001u
#define MF_DISABLED 0x0002u
#define MF_CHECKED 0x0008u
#define MF_POPUP 0x0010u
#define MF_SEPARATOR 0x0800u
#define MF_BYPOSITION 0x0400u

#define TPM_LEFTALIGN 0x0000u
#define TPM_RIGHTBUTTON 0x0002u
#define TPM_RETURNCMD 0x0100u

HMENU CreateMenu();
HMENU CreatePopupMenu();
/// Frees the menu and its pop-ups; FALSE for a bad handle.
BOOL DestroyMenu(HMENU menu);
/// With MF_POPUP, `id` is the HMENU of the pop-up, which the menu then owns.
BOOL AppendMenuA(HMENU menu, UINT flags, UINT_PTR id, LPCSTR text);
#define AppendMenu AppendMenuA
/// Replaces an item's flags, command id and text (by command, searching pop-ups, or by position).
BOOL ModifyMenuA(HMENU menu, UINT item, UINT flags, UINT_PTR newId, LPCSTR text);
#define ModifyMenu ModifyMenuA
/// Returns the previous state (MF_CHECKED or MF_UNCHECKED), or -1 when there is no such item.
DWORD CheckMenuItem(HMENU menu, UINT item, UINT check);
/// Returns the previous state (MF_ENABLED, MF_GRAYED), or -1 when there is no such item.
BOOL EnableMenuItem(HMENU menu, UINT item, UINT enable);
UINT GetMenuState(HMENU menu, UINT item, UINT flags);
int GetMenuItemCount(HMENU menu);
HMENU GetSubMenu(HMENU menu, int position);
/// Shows the menu as the window's menu bar (the window owns it from now on).
BOOL SetMenu(HWND hWnd, HMENU menu);
HMENU GetMenu(HWND hWnd);
BOOL DrawMenuBar(HWND hWnd);
/// Height of the window's menu bar in pixels (0 without one); the client area starts below it.
int GetMenuBarHeight(HWND hWnd);
/// Shows a pop-up at screen position (x, y). With TPM_RETURNCMD returns the chosen id (0 when
/// none) instead of sending it.
BOOL TrackPopupMenu(HMENU menu, UINT flags, int x, int y, int reserved, HWND owner, LPCRECT rect);

/// One entry of a pop-up the program showed (test hook); pop-up entries are followed by their
/// own entries one level deeper.
struct ShownMenuItem {
  UINT id;  // 0 for separators and pop-ups
  std::string text;
  bool checked;
  bool enabled;
  bool separator;
  int depth;
};
/// A pop-up the program showed with TrackPopupMenu and what it returned.
struct ShownPopupMenu {
  std::vector<ShownMenuItem> items;
  int x, y;     // screen position asked for
  UINT chosen;  // 0: dismissed
  bool scripted;
};
/// Queues the choice the next pop-up makes instead of waiting for the user; 0 dismisses it.
/// A command the pop-up lacks or shows greyed is dismissed too, as a user could not pick it.
void PushPopupMenuChoice(UINT id);
/// Every pop-up shown since the last clear, oldest first.
std::vector<ShownPopupMenu> GetShownPopupMenus();
/// Forgets the record and any queued choices.
void ClearPopupMenus();

#define FVIRTKEY 0x01
#define FSHIFT 0x04
#define FCONTROL 0x08
#define FALT 0x10

struct ACCEL {
  BYTE fVirt;
  WORD key;
  WORD cmd;
};
typedef ACCEL* LPACCEL;

/// Returns NULL for an empty or missing table; free with DestroyAcceleratorTable.
HACCEL CreateAcceleratorTableA(LPACCEL entries, int count);
#define CreateAcceleratorTable CreateAcceleratorTableA
BOOL DestroyAcceleratorTable(HACCEL table);
/// Makes a table loadable by id, as the program's resources are (replaces an earlier one).
void AddAcceleratorResource(UINT id, const ACCEL* entries, int count);
/// The table added under that id (the instance is ignored); NULL when there is none.
HACCEL LoadAcceleratorsA(HINSTANCE instance, LPCSTR name);
#define LoadAccelerators LoadAcceleratorsA
/// For a key-down message matching an entry, sends WM_COMMAND to the window and returns a
/// non-zero value; 0 otherwise.
int TranslateAcceleratorA(HWND hWnd, HACCEL table, LPMSG msg);
#define TranslateAccelerator TranslateAcceleratorA
