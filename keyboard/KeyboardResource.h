// Resource ids and messages of the on-screen keyboard and the full-screen message box.
#pragma once

#define IDD_KEYBOARD 222
#define IDD_MYMESSAGEBOX 239
/// The program's invisible cursor: 32 x 32, all transparent.
#define IDC_INVISIBLE_CURSOR 210
/// Sent to the keyboard's parent when a keyboard closes with OK (wParam 0, lParam 0).
#define WM_KEYBOARD_ACCEPTED 2029
