// What a keyboard looks like and holds: colours, fonts, text fields, check boxes and keys.
// It comes from a layout file (KeyboardLayoutFile.h) or from the built-in key sets
// (BuiltinKeyboard.h); the defaults depend on the keyboard type.
#pragma once

#include "keyboard/Key.h"
#include "keyboard/KeyboardCheckBox.h"
#include "keyboard/KeyboardGlobals.h"
#include "keyboard/KeyboardTextField.h"
#include "platform/gdi/wingdi.h"
#include "platform/mfc/collections.h"

/// 0 general/e-mail, 1 e-mail, 2 Facebook, 3 password, 4 message, 5 MMS, 6 Twitter; any
/// other value behaves as 0.
enum KeyboardType {
  KeyboardGeneral = 0,
  KeyboardEmail = 1,
  KeyboardFacebook = 2,
  KeyboardPassword = 3,
  KeyboardMessage = 4,
  KeyboardMms = 5,
  KeyboardTwitter = 6,
};

/// The type a value behaves as (out-of-range values are 0).
int NormaliseKeyboardType(int type);
/// "keyboard", "email_keyboard", "fb_keyboard", ... for the type (no fallback applied).
const char* KeyboardLayoutName(int type);

/// Every position and size read from a layout file is held within +/- this: no screen is larger,
/// and sums of two such numbers stay far from the int range.
const int kKeyboardCoordinateLimit = 32767;
/// The most lines a text field may have; more never fit on a screen.
const int kKeyboardMaxFieldRows = 100;

/// A number of screen arithmetic back within int, saturating.
inline int SaturateKeyboardNumber(long long value) {
  return value < -2147483647LL - 1 ? -2147483647 - 1 : value > 2147483647LL ? 2147483647 : static_cast<int>(value);
}

struct KeyboardLayout {
  COLORREF m_backgroundColor = RGB(0, 0, 128);
  long m_transparentColor = -1;  // a COLORREF, or -1 for none
  COLORREF m_keyTextColor = RGB(255, 255, 255);
  COLORREF m_textForegroundColor = RGB(0, 0, 0);
  COLORREF m_textBackgroundColor = RGB(255, 255, 255);
  COLORREF m_checkboxTickColor = RGB(255, 0, 0);
  int m_textPointSize = 480;  // tenths of a point
  CString m_textFontName = "Arial";
  bool m_showCursor = false;
  bool m_showMouseCursor = false;
  KeyboardTextField m_fields[kKeyboardFieldCount];
  KeyboardCheckBox m_checkBoxes[kKeyboardFieldCount];
  CArray<CKey, CKey> m_keys;

  /// Prompts, flags, rows, cursor mode and field boxes as a keyboard of that type starts
  /// with on a client area `clientWidth` wide.
  void SetDefaults(int type, int clientWidth);
  /// Fields whose y is 0 or more, in order (0-based indexes).
  int CountDefinedFields() const;
};
