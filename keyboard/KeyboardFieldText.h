// Lines of a text field as drawn, and the cursor's place among them. The text metrics are
// handed in, so the same rules serve the screen and the tests.
#pragma once

#include <vector>

#include "keyboard/KeyboardTextField.h"

class KeyboardTextMetrics {
 public:
  virtual ~KeyboardTextMetrics() = default;
  /// Width of the first `length` characters of `text` in the field font.
  virtual int TextWidth(const char* text, int length) const = 0;
  /// Height of "Wj" in the field font: one line of a field.
  virtual int LineHeight() const = 0;
};

/// The field's lines as drawn: cuts the text to max_chars, breaks at line feeds (kept on
/// their line) and after the character that makes a line wider than the box, and cuts the
/// text after the last line that fits the rows. Stores the cut text back in the field.
void WrapFieldText(KeyboardTextField& field, const KeyboardTextMetrics& metrics, std::vector<CString>& lines);
/// The cursor position for a touch at (x, y) inside the field's box (window coordinates).
int CursorFromPoint(KeyboardTextField& field, const KeyboardTextMetrics& metrics, int x, int y);
/// The line (index into `lines`, possibly one past the last) holding the cursor position and
/// the position at which that line starts.
void FindCursorLine(const std::vector<CString>& lines, int position, int* line, int* lineStart);
