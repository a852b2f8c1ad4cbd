// Shared helpers of the keyboard tests: editors with the built-in keys and fixed-width text.
#pragma once

#include <gtest/gtest.h>

#include "keyboard/BuiltinKeyboard.h"
#include "keyboard/KeyboardEditor.h"
#include "keyboard/KeyboardFieldText.h"

/// Every character 10 pixels wide, lines 20 high.
class FixedMetrics : public KeyboardTextMetrics {
 public:
  int TextWidth(const char*, int length) const override { return 10 * length; }
  int LineHeight() const override { return 20; }
};

/// An editor of the type on a 1920 x 1080 screen with the built-in keys and field 1 placed.
inline KeyboardEditor MakeEditor(int type) {
  KeyboardEditor editor;
  editor.m_type = type;
  editor.m_layout.SetDefaults(type, 1920);
  AddBuiltinKeys(type, false, KeyboardGeometry(1920, 1080), editor.m_layout.m_keys);
  editor.m_layout.m_fields[0].m_y = 300;
  if (type == KeyboardFacebook || type == KeyboardTwitter) editor.m_layout.m_fields[1].m_y = 400;
  editor.StartEditing();
  return editor;
}

/// A key with that code (a made-up one when the layout has none).
inline CKey KeyWithCode(const KeyboardEditor& editor, const char* code) {
  for (INT_PTR i = 0; i < editor.m_layout.m_keys.GetSize(); ++i) {
    if (editor.m_layout.m_keys[i].m_code == code) return editor.m_layout.m_keys[i];
  }
  return CKey(code, code, code, code, 0, 0, 10, 10);
}

inline KeyboardOutcome Press(KeyboardEditor& editor, const char* code) {
  return editor.PerformKey(KeyWithCode(editor, code));
}

inline void TypeKeys(KeyboardEditor& editor, const char* codes) {
  for (const char* c = codes; *c; ++c) {
    char code[2] = {*c, '\0'};
    Press(editor, code);
  }
}
