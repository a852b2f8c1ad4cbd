#include "keyboard/KeyboardLayoutFile.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>

#include "keyboard/SettingsXmlFile.h"
#include "platform/win32/files.h"
#include "support/XmlDocument.h"

namespace {

// A number as atoi reads it (leading blanks, a sign, digits), saturating instead of
// overflowing, then held within low..high.
int ReadNumber(const char* text, int low, int high) {
  long long value = 0;
  const char* c = text ? text : "";
  while (*c == ' ' || *c == '\t' || *c == '\n' || *c == '\r' || *c == '\v' || *c == '\f') ++c;
  const bool negative = *c == '-';
  if (*c == '-' || *c == '+') ++c;
  for (; *c >= '0' && *c <= '9'; ++c) {
    value = value * 10 + (*c - '0');
    if (value > high + 1LL - low) break;  // already past either end
  }
  if (negative) value = -value;
  return static_cast<int>(std::clamp<long long>(value, low, high));
}

// A position or size on the screen.
int ReadCoordinate(const char* text) { return ReadNumber(text, -kKeyboardCoordinateLimit, kKeyboardCoordinateLimit); }

// "0xRRGGBB": exactly one number read sets the colour, anything else keeps it.
void ReadColour(const CString& text, COLORREF& colour) {
  unsigned int value = 0;
  if (std::sscanf(text, "0x%x", &value) == 1) {
    colour = RGB((value >> 16) & 0xFF, (value >> 8) & 0xFF, value & 0xFF);
  }
}

void ReadColour(const CString& text, long& colour) {
  COLORREF value = colour >= 0 ? static_cast<COLORREF>(colour) : 0;
  unsigned int probe = 0;
  if (std::sscanf(text, "0x%x", &probe) != 1) return;
  ReadColour(text, value);
  colour = static_cast<long>(value);
}

CString ColourText(COLORREF colour) {
  CString text;
  text.Format("0x%02X%02X%02X", GetRValue(colour), GetGValue(colour), GetBValue(colour));
  return text;
}

bool AttributeIsOne(const XmlNode* node, const char* name) {
  const XmlAttribute* attribute = node->FindAttribute(name);
  return attribute && attribute->m_value == "1";
}

// "prompt" and "prompt%d": flags cleared, then set from the attributes.
void ReadPrompt(const XmlNode* node, KeyboardTextField& field, bool prohibitedClearsEmail) {
  field.m_password = field.m_emailAddress = field.m_mandatory = field.m_prohibited = false;
  field.m_prompt = node->GetText();
  if (AttributeIsOne(node, "password")) field.m_password = true;
  if (AttributeIsOne(node, "email_address")) field.m_emailAddress = true;
  if (AttributeIsOne(node, "mandatory")) field.m_mandatory = true;
  if (AttributeIsOne(node, "prohibited")) {
    field.m_prohibited = true;
    if (prohibitedClearsEmail) field.m_emailAddress = false;
  }
  if (const XmlAttribute* value = node->FindAttribute("value")) field.m_text = value->m_value;
  if (const XmlAttribute* maxChars = node->FindAttribute("max_chars"))
    field.m_maxChars = ReadNumber(maxChars->m_value, INT_MIN, INT_MAX);
  field.m_rows = 1;
  if (const XmlAttribute* rows = node->FindAttribute("rows")) {
    int value = ReadNumber(rows->m_value, INT_MIN, kKeyboardMaxFieldRows);
    if (value > 1) field.m_rows = value;
  }
}

BOOL ReadKey(const XmlNode* node, KeyboardLayout& layout, CString* error) {
  static const char* const kParts[] = {"left",   "top",           "width", "height",
                                       "legend", "shifted_legend", "code",  "shifted_code"};
  CString values[8];
  for (int i = 0; i < 8; ++i) {
    const XmlNode* part = node->FindChild(kParts[i]);
    if (!part) {
      if (error) error->Format("Can't find <%s> tag", kParts[i]);
      return FALSE;
    }
    values[i] = part->GetText();
  }
  layout.m_keys.Add(CKey(values[4], values[5], values[6], values[7], ReadCoordinate(values[0]),
                         ReadCoordinate(values[1]), ReadCoordinate(values[2]), ReadCoordinate(values[3])));
  return TRUE;
}

// The numbered elements: prompt%d, text%d_*, chkbox%d_*.
void ReadNumbered(const XmlNode* node, KeyboardLayout& layout) {
  char name[32];
  for (int d = 1; d <= kKeyboardFieldCount; ++d) {
    KeyboardTextField& field = layout.m_fields[d - 1];
    KeyboardCheckBox& box = layout.m_checkBoxes[d - 1];
    int value = ReadCoordinate(node->GetText());
    std::snprintf(name, sizeof name, "prompt%d", d);
    if (node->m_name == name) ReadPrompt(node, field, true);
    std::snprintf(name, sizeof name, "text%d_y", d);
    if (node->m_name == name) field.m_y = value;
    std::snprintf(name, sizeof name, "text%d_x", d);
    if (node->m_name == name) field.m_x = value;
    std::snprintf(name, sizeof name, "text%d_r", d);
    if (node->m_name == name) field.m_right = value;
    std::snprintf(name, sizeof name, "text%d_w", d);
    if (node->m_name == name) field.m_right = value;
    std::snprintf(name, sizeof name, "chkbox%d_prompt", d);
    if (node->m_name == name) {
      box.m_prompt = node->GetText();
      if (AttributeIsOne(node, "value")) box.m_value = true;
      if (AttributeIsOne(node, "mandatory")) box.m_mandatory = true;
    }
    std::snprintf(name, sizeof name, "chkbox%d_y", d);
    if (node->m_name == name) box.m_y = value;
    std::snprintf(name, sizeof name, "chkbox%d_x", d);
    if (node->m_name == name) box.m_x = value;
  }
}

BOOL ReadKeyboardElement(const XmlNode* keyboard, KeyboardLayout& layout, CString* error) {
  for (const XmlNode* node = keyboard->m_firstChild; node; node = node->m_nextSibling) {
    const CString& name = node->m_name;
    CString text = node->GetText();
    if (name == "key") {
      if (!ReadKey(node, layout, error)) return FALSE;
    } else if (name == "background_color") {
      ReadColour(text, layout.m_backgroundColor);
    } else if (name == "checkbox_tick_color") {
      ReadColour(text, layout.m_checkboxTickColor);
    } else if (name == "transparent_color") {
      ReadColour(text, layout.m_transparentColor);
    } else if (name == "key_text_color" || name == "text_color") {
      ReadColour(text, layout.m_keyTextColor);
    } else if (name == "text_foreground_color") {
      ReadColour(text, layout.m_textForegroundColor);
    } else if (name == "text_background_color") {
      ReadColour(text, layout.m_textBackgroundColor);
    } else if (name == "show_cursor") {
      layout.m_showCursor = ReadNumber(text, INT_MIN, INT_MAX) != 0;
    } else if (name == "show_mouse_cursor") {
      layout.m_showMouseCursor = ReadNumber(text, INT_MIN, INT_MAX) != 0;
    } else if (name == "prompt") {
      ReadPrompt(node, layout.m_fields[0], false);
    } else if (name == "text_y") {
      layout.m_fields[0].m_y = ReadCoordinate(text);
    } else if (name == "text_point_size") {
      layout.m_textPointSize = ReadNumber(text, 1, 10000);
    } else if (name == "text_font_name") {
      layout.m_textFontName = text;
    }
    ReadNumbered(node, layout);
  }
  return TRUE;
}

XmlNode* AddText(XmlNode* parent, const char* name, const CString& text) {
  return parent->AddElement(name, text);
}

}  // namespace

BOOL ReadKeyboardLayout(const char* path, KeyboardLayout& layout, CString* error) {
  return ReadSettingsXmlFile(path, error, [&](XmlNode& top) {
    XmlNode* settings = top.FindChild("photobooth_settings");
    XmlNode* keyboard = settings ? settings->FindChild("keyboard") : nullptr;
    if (!settings) {
      if (error) *error = "Can't find <photobooth_settings> tag, file may not be a photobooth settings file";
      return FALSE;
    }
    if (!keyboard) {
      if (error) *error = "Can't find <keyboard> tag, file may not be a photobooth keyboard settings file";
      return FALSE;
    }
    return ReadKeyboardElement(keyboard, layout, error);
  });
}

XmlNode* BuildKeyboardLayoutTree(const KeyboardLayout& layout) {
  auto* root = new XmlNode(nullptr, "morvane_systems_photobooth");
  root->AddAttribute("version", "2.2");
  root->AddAttribute("build_date", "Dec 21 2016");
  XmlNode* keyboard = root->AddElement("photobooth_settings", nullptr)->AddElement("keyboard", nullptr);
  char name[32];
  for (int d = 1; d <= kKeyboardFieldCount; ++d) {
    const KeyboardTextField& field = layout.m_fields[d - 1];
    if (d > 1 && !field.IsDefined()) continue;
    std::snprintf(name, sizeof name, "prompt%d", d);
    XmlNode* prompt = AddText(keyboard, name, field.m_prompt);
    if (field.m_password) prompt->AddAttribute("password", "1");
    if (field.m_emailAddress) prompt->AddAttribute("email_address", "1");
    if (field.m_mandatory) prompt->AddAttribute("mandatory", "1");
    if (field.m_prohibited) prompt->AddAttribute("prohibited", "1");
    if (field.m_rows > 1) prompt->AddAttribute("rows", CString(std::to_string(field.m_rows)));
    std::snprintf(name, sizeof name, "text%d_x", d);
    keyboard->AddIntElement(name, field.m_x);
    std::snprintf(name, sizeof name, "text%d_y", d);
    keyboard->AddIntElement(name, field.m_y);
    std::snprintf(name, sizeof name, "text%d_r", d);
    keyboard->AddIntElement(name, field.m_right);
  }
  for (int d = 1; d <= kKeyboardFieldCount; ++d) {
    const KeyboardCheckBox& box = layout.m_checkBoxes[d - 1];
    if (d > 1 && !box.IsDefined()) continue;
    std::snprintf(name, sizeof name, "chkbox%d_prompt", d);
    XmlNode* prompt = AddText(keyboard, name, box.m_prompt);
    if (box.m_mandatory) prompt->AddAttribute("mandatory", "1");
    if (box.m_value) prompt->AddAttribute("value", "1");
    std::snprintf(name, sizeof name, "chkbox%d_x", d);
    keyboard->AddIntElement(name, box.m_x);
    std::snprintf(name, sizeof name, "chkbox%d_y", d);
    keyboard->AddIntElement(name, box.m_y);
  }
  keyboard->AddElement("background_color", ColourText(layout.m_backgroundColor));
  keyboard->AddElement("checkbox_tick_color", ColourText(layout.m_checkboxTickColor));
  if (layout.m_transparentColor >= 0) {
    keyboard->AddElement("transparent_color", ColourText(static_cast<COLORREF>(layout.m_transparentColor)));
  }
  keyboard->AddElement("key_text_color", ColourText(layout.m_keyTextColor));
  keyboard->AddElement("text_foreground_color", ColourText(layout.m_textForegroundColor));
  keyboard->AddElement("text_background_color", ColourText(layout.m_textBackgroundColor));
  keyboard->AddIntElement("text_point_size", layout.m_textPointSize);
  AddText(keyboard, "text_font_name", layout.m_textFontName);
  keyboard->AddIntElement("show_cursor", layout.m_showCursor ? 1 : 0);
  keyboard->AddIntElement("show_mouse_cursor", layout.m_showMouseCursor ? 1 : 0);
  for (INT_PTR i = 0; i < layout.m_keys.GetSize(); ++i) {
    const CKey& key = layout.m_keys[i];
    XmlNode* element = keyboard->AddElement("key", nullptr);
    element->AddIntElement("left", key.m_x);
    element->AddIntElement("top", key.m_y);
    element->AddIntElement("width", key.m_width);
    element->AddIntElement("height", key.m_height);
    AddText(element, "legend", key.m_legend);
    AddText(element, "shifted_legend", key.m_shiftedLegend);
    AddText(element, "code", key.m_code);
    AddText(element, "shifted_code", key.m_shiftedCode);
  }
  return root;
}

BOOL WriteKeyboardLayoutFile(const char* path, const KeyboardLayout& layout) {
  XmlNode* root = BuildKeyboardLayoutTree(layout);
  CString body;
  root->Serialize(body, 0);
  root->Destroy();
  delete root;
  CString file = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n" + body;
  return WriteFileReplacing(path, file.GetString(), static_cast<size_t>(file.GetLength()));
}

CString KeyboardImagePath(const char* folder, const char* name, int index, const char* extension) {
  static const char* const kSuffixes[kKeyboardImageCount] = {"_uppercase", "_uppercase_pressed", "_lowercase",
                                                             "_lowercase_pressed"};
  return CString(folder) + "/" + name + kSuffixes[index] + extension;
}

const char* FindKeyboardImageSet(const char* folder, const char* name) {
  for (const char* extension : {".tif", ".jpg"}) {
    bool complete = true;
    for (int i = 0; i < kKeyboardImageCount && complete; ++i) {
      complete = PathFileExistsA(KeyboardImagePath(folder, name, i, extension)) != FALSE;
    }
    if (complete) return extension;
  }
  return nullptr;
}
