#include "app/ShortcutRowLayout.h"

ShortcutRowLayout LayOutShortcutRow(const ShortcutRowInput& in) {
  ShortcutRowLayout out;
  const int h = in.rowHeight;
  const int gap = h / 8;
  int x = in.groupLeft + gap;
  int top = in.firstRowTop;
  bool rowEmpty = true;
  for (size_t i = 0; i < in.widths.size(); ++i) {
    RECT place{0, 0, 0, 0};
    if (i < in.shown.size() && in.shown[i]) {
      const int width = in.widths[i];
      if (!rowEmpty && x + gap + width > in.clientRight) {
        x = in.groupLeft + gap;
        top += gap + h;
      }
      place = {x, top, x + width, top + h};
      x += gap + width;
      rowEmpty = false;
    }
    out.buttons.push_back(place);
  }
  out.group = {in.previewRight + gap, in.groupTop, in.clientRight - gap, top + h + gap};
  return out;
}
