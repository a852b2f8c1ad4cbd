#include "keyboard/KeyboardEditor.h"

#include "keyboard/ForbiddenWords.h"
#include "platform/user/winuser.h"
#include "support/EmailAddress.h"

namespace {

int LineCount(const CString& text) {
  int lines = 1;
  for (int i = 0; i < text.GetLength(); ++i) lines += text[i] == '\n' ? 1 : 0;
  return lines;
}

}  // namespace

void KeyboardEditor::StartEditing() {
  m_shift = false;
  m_accepted = false;
  m_fieldsInUse = m_layout.CountDefinedFields();
  m_currentField = FirstFieldInUse();
  m_cursorPosition = m_layout.m_fields[m_currentField].m_text.GetLength();
}

KeyboardTextField* KeyboardEditor::CurrentField() {
  return m_currentField >= 0 && m_currentField < kKeyboardFieldCount ? &m_layout.m_fields[m_currentField] : nullptr;
}

bool KeyboardEditor::AllBoxesTicked() const {
  for (const KeyboardCheckBox& box : m_layout.m_checkBoxes) {
    if (box.m_mandatory && !box.m_value) return false;
  }
  return true;
}

int KeyboardEditor::NextFieldInUse(int from) const {
  for (int i = from + 1; i < kKeyboardFieldCount; ++i) {
    if (m_layout.m_fields[i].IsDefined()) return i;
  }
  return -1;
}

int KeyboardEditor::FirstFieldInUse() const {
  int first = NextFieldInUse(-1);
  return first >= 0 ? first : 0;
}

void KeyboardEditor::SelectFirstField() {
  m_shift = false;
  m_currentField = FirstFieldInUse();
  m_cursorPosition = 0;
}

void KeyboardEditor::Insert(const CString& text) {
  KeyboardTextField* field = CurrentField();
  if (!field) return;
  int length = field->m_text.GetLength();
  if (CursorMode() && m_cursorPosition >= 0 && m_cursorPosition <= length) {
    field->m_text.Insert(m_cursorPosition, text);
    m_cursorPosition += text.GetLength();
  } else {
    field->m_text += text;
  }
  TrimSpaces();
}

// No double spaces at the end and no leading space: guests tap Space twice by mistake.
void KeyboardEditor::TrimSpaces() {
  KeyboardTextField* field = CurrentField();
  if (!field) return;
  CString& text = field->m_text;
  auto stepBack = [&] {
    if (CursorMode() && m_cursorPosition > 0) --m_cursorPosition;
  };
  while (text.GetLength() >= 2 && text.Right(2) == "  ") {
    text.Delete(text.GetLength() - 1);
    stepBack();
  }
  while (!text.IsEmpty() && text[0] == ' ') {
    text.Delete(0);
    stepBack();
  }
}

void KeyboardEditor::DeleteBeforeCursor() {
  KeyboardTextField* field = CurrentField();
  if (!field || field->m_text.IsEmpty()) return;
  int length = field->m_text.GetLength();
  if (CursorMode() && m_cursorPosition >= 0 && m_cursorPosition <= length) {
    if (m_cursorPosition > 0) {
      field->m_text.Delete(m_cursorPosition - 1);
      --m_cursorPosition;
    }
  } else {
    field->m_text.Delete(length - 1);
  }
}

KeyboardOutcome KeyboardEditor::PerformKey(const CKey& key) {
  const CString& code = key.m_code;
  KeyboardTextField* field = CurrentField();
  if (code.CompareNoCase("Delete") == 0) {
    DeleteBeforeCursor();
    m_shift = false;
  } else if (code.CompareNoCase("newline") == 0) {
    if (field && field->m_rows > 1 && m_cursorPosition > 0 && !field->m_text.IsEmpty() &&
        LineCount(field->m_text) < field->m_rows && m_cursorPosition <= field->m_text.GetLength()) {
      field->m_text.Insert(m_cursorPosition, '\n');
      ++m_cursorPosition;
    }
  } else if (code.CompareNoCase("Reload") == 0) {
    SelectFirstField();
    for (int i = 0; i < kKeyboardFieldCount; ++i) m_layout.m_fields[i].m_text = LastKeyboardTexts[i];
  } else if (code.CompareNoCase("Clear") == 0) {
    SelectFirstField();
    for (KeyboardTextField& each : m_layout.m_fields) each.m_text.Empty();
  } else if (code.CompareNoCase("OK") == 0) {
    return Ok();
  } else if (code.CompareNoCase("OK all") == 0) {
    return OkAll();
  } else if (code.CompareNoCase("OK none") == 0) {
    return OkNone();
  } else if (code.CompareNoCase("Cancel") == 0) {
    return KeyboardOutcome::Cancelled;
  } else if (code.CompareNoCase("Shift") == 0) {
    m_shift = !m_shift;
  } else if (code.CompareNoCase("left") == 0) {
    if (CursorMode() && m_cursorPosition > 0) --m_cursorPosition;
  } else if (code.CompareNoCase("right") == 0) {
    if (CursorMode() && field && m_cursorPosition < field->m_text.GetLength()) ++m_cursorPosition;
  } else {
    Insert(m_shift ? key.m_shiftedCode : key.m_code);
    m_shift = false;
  }
  return KeyboardOutcome::None;
}

// The e-mail check runs first, so an empty first e-mail field is refused with its message;
// with every text empty and nothing to refuse, OK does nothing.
KeyboardOutcome KeyboardEditor::Ok() {
  if (!AllBoxesTicked()) return KeyboardOutcome::None;
  int invalid = FindInvalidEmailField(m_layout);
  if (invalid >= 0) {
    m_currentField = invalid;
    return KeyboardOutcome::EmailError;
  }
  bool anyText = false;
  for (const KeyboardTextField& field : m_layout.m_fields) anyText = anyText || (field.IsDefined() && !field.m_text.IsEmpty());
  if (!anyText) return KeyboardOutcome::None;
  int prohibited = FindForbiddenWordField(m_layout);
  if (prohibited >= 0) {
    m_currentField = prohibited;
    return KeyboardOutcome::ProhibitedWord;
  }
  return Accept();
}

KeyboardOutcome KeyboardEditor::OkAll() {
  for (int i = 0; i < kKeyboardFieldCount; ++i) {
    const KeyboardTextField& field = m_layout.m_fields[i];
    if (!field.IsDefined()) continue;
    if (field.m_text.IsEmpty()) {
      m_currentField = i;
      return KeyboardOutcome::None;
    }
    if (field.m_emailAddress && !IsValidEmailAddress(field.m_text)) {
      m_currentField = i;
      return KeyboardOutcome::EmailError;
    }
  }
  return AllBoxesTicked() ? Accept() : KeyboardOutcome::None;
}

KeyboardOutcome KeyboardEditor::OkNone() {
  if (!AllBoxesTicked()) return KeyboardOutcome::None;
  int invalid = FindInvalidEmailField(m_layout);
  if (invalid >= 0) {
    m_currentField = invalid;
    return KeyboardOutcome::EmailError;
  }
  return Accept();
}

// Only fields on the screen can be filled in, so only they can hold the dialog open.
KeyboardOutcome KeyboardEditor::Accept() {
  if (m_accepted) return KeyboardOutcome::None;
  for (int i = 0; i < kKeyboardFieldCount; ++i) {
    const KeyboardTextField& field = m_layout.m_fields[i];
    if (field.IsDefined() && field.m_mandatory && field.m_text.IsEmpty()) {
      m_currentField = i;
      return KeyboardOutcome::None;
    }
  }
  for (int i = 0; i < kKeyboardFieldCount; ++i) LastKeyboardTexts[i] = m_layout.m_fields[i].m_text;
  m_accepted = true;
  return KeyboardOutcome::Accepted;
}

BOOL KeyboardEditor::TypeCharacter(unsigned char c) {
  KeyboardTextField* field = CurrentField();
  if (!field) return FALSE;
  if (c == 8) {
    DeleteBeforeCursor();
    return TRUE;
  }
  if (c <= 31 || c == 127) return FALSE;
  if (field->m_maxChars < 1 || field->m_text.GetLength() < field->m_maxChars) {
    Insert(CString(static_cast<char>(c)));
  }
  return TRUE;
}

KeyboardOutcome KeyboardEditor::PressKey(UINT vk, BOOL* consumed) {
  *consumed = FALSE;
  KeyboardTextField* field = CurrentField();
  switch (vk) {
    case VK_RETURN: {
      *consumed = TRUE;
      for (INT_PTR i = 0; i < m_layout.m_keys.GetSize(); ++i) {
        CString code = m_layout.m_keys[i].m_code;
        code.MakeLower();
        if (code.Left(2) == "ok") return PerformKey(m_layout.m_keys[i]);
      }
      if (!field || field->m_text.IsEmpty()) return KeyboardOutcome::None;
      int next = NextFieldInUse(m_currentField);
      if (next >= 0) {
        m_currentField = next;
        return KeyboardOutcome::None;
      }
      return Accept();
    }
    case VK_TAB: {
      *consumed = TRUE;
      int next = NextFieldInUse(m_currentField);
      m_currentField = next >= 0 ? next : FirstFieldInUse();
      if (CursorMode()) m_cursorPosition = m_layout.m_fields[m_currentField].m_text.GetLength();
      return KeyboardOutcome::None;
    }
    case VK_DELETE:
      *consumed = TRUE;
      if (field && !field->m_text.IsEmpty()) {
        int length = field->m_text.GetLength();
        if (CursorMode() && m_cursorPosition >= 0 && m_cursorPosition <= length - 1) {
          field->m_text.Delete(m_cursorPosition);
        } else {
          field->m_text.Delete(length - 1);
        }
      }
      return KeyboardOutcome::None;
    case VK_LEFT:
      if (CursorMode() && m_cursorPosition > 0) {
        --m_cursorPosition;
        *consumed = TRUE;
      }
      return KeyboardOutcome::None;
    case VK_RIGHT:
      if (CursorMode() && field && m_cursorPosition < field->m_text.GetLength()) {
        ++m_cursorPosition;
        *consumed = TRUE;
      }
      return KeyboardOutcome::None;
  }
  return KeyboardOutcome::None;
}
