// One text field of the keyboard (fields 1 to 10). A field exists only when its y is 0 or more.
#pragma once

#include "platform/mfc/cstring.h"

struct KeyboardTextField {
  CString m_prompt;
  CString m_text;
  bool m_password = false;
  bool m_mandatory = false;
  bool m_emailAddress = false;
  bool m_prohibited = false;
  int m_rows = 1;
  int m_maxChars = -1;  // below 1: no limit
  int m_y = -1;
  int m_x = 0;
  int m_right = 0;
  int m_bottom = -1;    // computed on every draw
  int m_promptY = -1;   // computed when the images are composed

  bool IsDefined() const { return m_y >= 0; }
};
