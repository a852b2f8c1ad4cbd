#include "keyboard/KeyboardFieldText.h"

void WrapFieldText(KeyboardTextField& field, const KeyboardTextMetrics& metrics, std::vector<CString>& lines) {
  lines.clear();
  if (field.m_maxChars > 0 && field.m_text.GetLength() > field.m_maxChars) field.m_text = field.m_text.Left(field.m_maxChars);
  const CString text = field.m_text;
  int available = field.m_right - field.m_x - metrics.LineHeight();
  int length = text.GetLength();
  int lineStart = 0;
  for (int i = 0; i < length; ++i) {
    bool feed = text[i] == '\n';
    if (!feed && metrics.TextWidth(text.GetString() + lineStart, i - lineStart + 1) <= available) continue;
    lines.push_back(text.Mid(lineStart, i - lineStart + 1));
    lineStart = i + 1;
    if (static_cast<int>(lines.size()) >= field.m_rows || field.m_rows < 1) {
      field.m_text = text.Left(lineStart);
      return;
    }
  }
  if (lineStart < length) lines.push_back(text.Mid(lineStart));
}

int CursorFromPoint(KeyboardTextField& field, const KeyboardTextMetrics& metrics, int x, int y) {
  std::vector<CString> lines;
  WrapFieldText(field, metrics, lines);
  int g = metrics.LineHeight();
  int top = field.m_y + g / 6;
  int line = y >= top && g > 0 ? (y - top) / g : -1;
  if (line < 0 || line >= static_cast<int>(lines.size())) return field.m_text.GetLength();
  int start = 0;
  for (int i = 0; i < line; ++i) start += lines[i].GetLength();
  const CString& text = lines[line];
  int visible = text.GetLength() - (text.Right(1) == "\n" ? 1 : 0);
  int left = field.m_x + g / 2;
  int after = 0;
  for (int i = 0; i < visible; ++i) {
    if (left + metrics.TextWidth(text, i) > x) break;
    after = i + 1;
  }
  return start + after;
}

void FindCursorLine(const std::vector<CString>& lines, int position, int* line, int* lineStart) {
  int start = 0;
  int count = static_cast<int>(lines.size());
  for (int i = 0; i < count; ++i) {
    int end = start + lines[i].GetLength();
    bool feed = lines[i].Right(1) == "\n";
    // A position just past a line feed starts the next line.
    if (position < end || (position == end && !feed)) {
      *line = i;
      *lineStart = start;
      return;
    }
    start = end;
  }
  *line = count;
  *lineStart = start;
}
