#include "keyboard/MessageBoxLines.h"

namespace {

// The longest head (at least one character) of `part` no wider than the limit.
int CharacterCut(const CString& part, int limit, const std::function<int(const CString&)>& width) {
  int count = 1;
  while (count < part.GetLength() && width(part.Left(count + 1)) <= limit) ++count;
  return count;
}

}  // namespace

CString ExpandMessageLineBreaks(const CString& text) {
  CString out = text;
  out.Replace("\\n", "\n");
  return out;
}

std::vector<CString> BreakMessageLines(const CString& text, int limit, const std::function<int(const CString&)>& width) {
  std::vector<CString> lines;
  int start = 0;
  while (start <= text.GetLength()) {
    int end = text.Find('\n', start);
    CString line = end < 0 ? text.Mid(start) : text.Mid(start, end - start);
    start = end < 0 ? text.GetLength() + 1 : end + 1;
    if (width(line) < limit) {
      lines.push_back(line);
      continue;
    }
    CString rest = line;
    while (!rest.IsEmpty()) {
      if (width(rest) <= limit) {
        lines.push_back(rest);
        break;
      }
      CString head = rest;
      int space;
      while ((space = head.ReverseFind(' ')) > 0 && width(head) > limit) head = head.Left(space);
      head.TrimRight();
      if (head.IsEmpty() || width(head) > limit) {
        // No space to break at: a word wider than the box is cut by characters.
        CString word = rest.Left(head.IsEmpty() ? rest.GetLength() : head.GetLength());
        head = rest.Left(CharacterCut(word.IsEmpty() ? rest : word, limit, width));
      }
      lines.push_back(head);
      rest = rest.Mid(head.GetLength());
      rest.TrimLeft();
    }
  }
  return lines;
}
