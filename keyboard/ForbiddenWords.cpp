#include "keyboard/ForbiddenWords.h"

#include <cctype>

#include "keyboard/SettingsXmlFile.h"
#include "support/EmailAddress.h"

BOOL LoadForbiddenWords(const char* folder, CString* error) {
  ForbiddenWords.clear();
  // A damaged list is refused whole: none of its words are taken.
  return ReadSettingsXmlFile(CString(folder) + "/forbidden_words.xml", error, [&](XmlNode& top) {
    XmlNode* list = top.FindChild("forbidden_words");
    if (!list) {
      if (error) *error = "Can't find <forbidden_words> tag, file may not be a photobooth settings file";
      return FALSE;
    }
    for (const XmlNode* word = list->m_firstChild; word; word = word->m_nextSibling) {
      if (word->m_name != "word") continue;
      CString text = word->GetText();
      if (!text.IsEmpty()) ForbiddenWords.push_back(text);
    }
    return TRUE;
  });
}

bool IsFreeOfForbiddenWords(const char* text) {
  if (ForbiddenWords.empty()) return true;
  CString lower(text);
  lower.MakeLower();
  for (const CString& word : ForbiddenWords) {
    if (lower.Find(word) >= 0) return false;
  }
  return true;
}

// Fields in use are the defined ones (y of 0 or more), wherever they sit among the ten.
int FindForbiddenWordField(const KeyboardLayout& layout) {
  if (ForbiddenWords.empty()) return -1;
  for (int i = 0; i < kKeyboardFieldCount; ++i) {
    const KeyboardTextField& field = layout.m_fields[i];
    if (field.IsDefined() && field.m_prohibited && !IsFreeOfForbiddenWords(field.m_text)) return i;
  }
  return -1;
}

int FindInvalidEmailField(const KeyboardLayout& layout) {
  bool first = true;
  for (int i = 0; i < kKeyboardFieldCount; ++i) {
    const KeyboardTextField& field = layout.m_fields[i];
    if (!field.IsDefined()) continue;
    bool counts = first || !field.m_text.IsEmpty();
    first = false;
    if (field.m_emailAddress && counts && !IsValidEmailAddress(field.m_text)) return i;
  }
  return -1;
}
