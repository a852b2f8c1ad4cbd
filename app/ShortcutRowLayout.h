// Where the form's photobooth shortcut buttons go: in table order, as many to a row as fit
// beside each other, the rows inside one group box.
#pragma once

#include <vector>

#include "platform/win32/windef.h"

struct ShortcutRowInput {
  int clientRight = 0;   // the client area's right edge
  int groupLeft = 0;     // the group box's left edge, where every row starts
  int groupTop = 0;      // the group box's top, which stays
  int previewRight = 0;  // the Preview button's right edge, where the box starts
  int firstRowTop = 0;   // the first button's top
  int rowHeight = 0;     // the first button's height, shared by all
  std::vector<int> widths;   // each button's own width, table order
  std::vector<bool> shown;   // each button's shown flag, table order
};

struct ShortcutRowLayout {
  std::vector<RECT> buttons;  // empty rectangles for the hidden ones
  RECT group{};
};

/// Places the shown buttons; a button that would pass the client area's right edge starts a
/// new row unless it is the first of its row.
ShortcutRowLayout LayOutShortcutRow(const ShortcutRowInput& input);
