// The keyboard's editing rules without a window: key actions, typed characters, the cursor
// keys and the closing checks. The dialog feeds it input and carries out what it answers.
#pragma once

#include "keyboard/KeyboardLayout.h"
#include "platform/win32/windef.h"

enum class KeyboardOutcome {
  None,           // nothing beyond a redraw
  EmailError,     // show KeyboardEmailErrorMessage; the offending field is current
  ProhibitedWord, // show KeyboardProhibitedWordMessage; the offending field is current
  Accepted,       // texts copied to LastKeyboardTexts: tell the parent and end with 1
  Cancelled,      // end with 2
};

class KeyboardEditor {
 public:
  /// Ready to edit: fields in use counted, the first one current, Shift off, the cursor at
  /// the end of a pre-filled first field.
  void StartEditing();

  /// A key pressed on the screen (or the Return key's OK key).
  KeyboardOutcome PerformKey(const CKey& key);
  /// WM_CHAR: a printable character (above 31) or backspace (8). TRUE when handled.
  BOOL TypeCharacter(unsigned char c);
  /// WM_KEYDOWN of Return, Tab, Delete, Left and Right. *consumed tells whether the dialog's
  /// default handling is skipped.
  KeyboardOutcome PressKey(UINT vk, BOOL* consumed);

  bool CursorMode() const { return m_layout.m_showCursor; }
  KeyboardTextField* CurrentField();
  /// Every mandatory check box ticked.
  bool AllBoxesTicked() const;
  /// The next field in use after the current one; -1 when the current one is the last.
  int NextFieldInUse(int from) const;
  int FirstFieldInUse() const;

  KeyboardLayout m_layout;
  int m_type = 0;
  bool m_shift = false;
  int m_cursorPosition = 0;
  int m_currentField = 0;  // -1: none
  int m_fieldsInUse = 0;
  bool m_accepted = false;

 private:
  KeyboardOutcome Accept();
  KeyboardOutcome Ok();
  KeyboardOutcome OkAll();
  KeyboardOutcome OkNone();
  void Insert(const CString& text);
  void TrimSpaces();
  void DeleteBeforeCursor();
  void SelectFirstField();
};
