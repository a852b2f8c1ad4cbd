// Message boxes, with a test hook: scripted answers, and a record of every box shown.
#pragma once

#include <string>
#include <vector>

#include "platform/win32/windef.h"

#define MB_OK 0x00000000u
#define MB_OKCANCEL 0x00000001u
#define MB_ABORTRETRYIGNORE 0x00000002u
#define MB_YESNOCANCEL 0x00000003u
#define MB_YESNO 0x00000004u
#define MB_RETRYCANCEL 0x00000005u
#define MB_TYPEMASK 0x0000000Fu
#define MB_ICONHAND 0x00000010u
#define MB_ICONERROR MB_ICONHAND
#define MB_ICONSTOP MB_ICONHAND
#define MB_ICONQUESTION 0x00000020u
#define MB_ICONEXCLAMATION 0x00000030u
#define MB_ICONWARNING MB_ICONEXCLAMATION
#define MB_ICONASTERISK 0x00000040u
#define MB_ICONINFORMATION MB_ICONASTERISK
#define MB_ICONMASK 0x000000F0u
#define MB_DEFBUTTON1 0x00000000u
#define MB_DEFBUTTON2 0x00000100u
#define MB_DEFBUTTON3 0x00000200u
#define MB_DEFMASK 0x00000F00u
#define MB_APPLMODAL 0x00000000u
#define MB_SYSTEMMODAL 0x00001000u
#define MB_TASKMODAL 0x00002000u
#define MB_SETFOREGROUND 0x00010000u
#define MB_TOPMOST 0x00040000u

/// Shows a modal box owned by `owner` (NULL: none) and returns the button pressed (IDOK,
/// IDYES, ...). From a worker thread the box runs on the UI thread while the caller waits.
/// Returns 0 when no box can be shown (no application object). A NULL caption is "Error".
int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type);
#define MessageBox MessageBoxA

/// Shows the box and returns at once, from any thread: nobody waits for its answer. It stays
/// over its owner, without taking the keyboard, until someone answers it. Recorded with answer 0
/// (a queued answer answers it at once); a test run shows nothing.
void MessageBoxWithoutWaiting(HWND owner, LPCSTR text, LPCSTR caption, UINT type);

/// Closes every box still waiting for a user (on the UI thread), each with the answer its
/// close button gives; TRUE when one was open. A close from outside (a signal) calls it so that
/// no handler still waiting in a box outlives the window it belongs to.
BOOL EndMessageBoxes();

/// A box the program showed (test hook).
struct ShownMessageBox {
  std::string text;
  std::string caption;
  UINT icon;     // MB_ICON... bits of the type
  UINT buttons;  // MB_OK, MB_YESNO, ...
  int answer;    // what the caller got
};

/// Queues the answer the next box returns instead of asking the user.
void PushMessageBoxAnswer(int answer);
/// Every box shown since the last clear, oldest first (answers included).
std::vector<ShownMessageBox> GetShownMessageBoxes();
/// Forgets the record and any queued answers.
void ClearMessageBoxes();
/// TRUE in a test run (TAVORIN_TEST set): a box without a queued answer then takes its
/// default button instead of waiting for a user.
BOOL IsUserTestRun();
