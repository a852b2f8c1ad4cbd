#include "keyboard/KeyboardLayout.h"

int NormaliseKeyboardType(int type) { return type >= 0 && type <= 6 ? type : KeyboardGeneral; }

const char* KeyboardLayoutName(int type) {
  static const char* const kNames[] = {"keyboard",         "email_keyboard", "fb_keyboard",     "password_keyboard",
                                       "message_keyboard", "mms_keyboard",   "twitter_keyboard"};
  return kNames[NormaliseKeyboardType(type)];
}

void KeyboardLayout::SetDefaults(int type, int clientWidth) {
  type = NormaliseKeyboardType(type);
  int gap = clientWidth / 100;
  for (KeyboardTextField& field : m_fields) {
    field = KeyboardTextField();
    field.m_x = 2 * gap;
    field.m_right = clientWidth - 2 * gap;
  }
  for (KeyboardCheckBox& box : m_checkBoxes) box = KeyboardCheckBox();
  m_showCursor = type == KeyboardMessage;
  KeyboardTextField& first = m_fields[0];
  KeyboardTextField& second = m_fields[1];
  switch (type) {
    case KeyboardGeneral:
    case KeyboardEmail:
      first.m_prompt = "Please enter your email address:";
      first.m_emailAddress = true;
      break;
    case KeyboardFacebook:
    case KeyboardTwitter:
      first.m_prompt = type == KeyboardFacebook ? "Please enter your Facebook username:"
                                                : "Please enter your Twitter username:";
      second.m_prompt = "Password:";
      second.m_password = true;
      break;
    case KeyboardPassword:
      first.m_prompt = "Please enter the password:";
      first.m_password = true;
      break;
    case KeyboardMessage:
      first.m_prompt = "Please enter your message:";
      first.m_rows = 3;
      break;
    case KeyboardMms:
      first.m_prompt = "Please enter your cellphone number:";
      break;
  }
}

int KeyboardLayout::CountDefinedFields() const {
  int count = 0;
  for (const KeyboardTextField& field : m_fields) count += field.IsDefined() ? 1 : 0;
  return count;
}
