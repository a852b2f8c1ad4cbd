#include "keyboard/ForbiddenWords.h"

#include <cctype>

#include "support/EmailAddress.h"
#include "support/XmlDocument.h"

BOOL LoadForbiddenWords(const char* folder, CString* error) {
  ForbiddenWords.clear();
  CString damaged;
  XmlNode* root = XmlDocument::LoadFile(CString(folder) + "/forbidden_words.xml", nullptr, &damaged);
  // A damaged list is refused whole: none of its words are taken.
  if (!damaged.IsEmpty()) {
    if (root) {
      root->Destroy();
      delete root;
    }
    if (error) *error = "Error reading file";
    return FALSE;
  }
  if (!root) return TRUE;
  BOOL ok = FALSE;
  XmlNode* top = root->FindDescendant("morvane_systems_photobooth");
  XmlNode* list = top ? top->FindChild("forbidden_words") : nullptr;
  if (!top) {
    if (error) *error = "Can't find <morvane_systems_photobooth> tag, file may not be a photobooth settings file";
  } else if (!list) {
    if (error) *error = "Can't find <forbidden_words> tag, file may not be a photobooth settings file";
  } else {
    for (const XmlNode* word = list->m_firstChild; word; word = word->m_nextSibling) {
      if (word->m_name != "word") continue;
      CString text = word->GetText();
      if (!text.IsEmpty()) ForbiddenWords.push_back(text);
    }
    ok = TRUE;
  }
  root->Destroy();
  delete root;
  return ok;
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
