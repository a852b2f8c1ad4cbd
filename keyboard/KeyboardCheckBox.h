// One check box of the keyboard (1 to 10). It exists when its y is 0 or more; the hit size is
// known once its prompt has been drawn.
#pragma once

#include "platform/mfc/cstring.h"

struct KeyboardCheckBox {
  bool m_value = false;
  bool m_mandatory = false;
  CString m_prompt;
  int m_boxSize = 0;
  int m_x = -1;
  int m_y = -1;
  int m_hitWidth = -1;
  int m_hitHeight = -1;

  bool IsDefined() const { return m_y >= 0; }
};
