// The built-in key sets, scaled to the client area, and the placement of the text fields
// above the keys when no layout file placed them. Integer arithmetic throughout.
#pragma once

#include "keyboard/KeyboardLayout.h"

struct KeyboardGeometry {
  /// From the client width and bottom.
  KeyboardGeometry(int clientWidth, int clientBottom);

  int m_width;
  int m_bottom;
  int m_gap;        // width / 100
  int m_keyWidth;   // J = (width - 14 gap) / 13
  int m_keyHeight;  // H = 4 J / 5
  int m_step;       // S = J + gap

  /// Top of row 1 (top) to 5 (bottom).
  int RowTop(int row) const { return m_bottom - (6 - row) * (m_keyHeight + m_gap); }
  /// Left of key 0 in rows 1 to 4 (row 5 places its keys one by one).
  int RowStart(int row) const;
};

/// Appends the key set of the type; `field2Defined` gives the e-mail keyboards their Space key.
void AddBuiltinKeys(int type, bool field2Defined, const KeyboardGeometry& geometry, CArray<CKey, CKey>& keys);
/// The smallest key top; -1 without keys.
int TopOfKeys(const CArray<CKey, CKey>& keys);
/// Places field 1 (and field 2 of the Facebook and Twitter keyboards) above the keys at `keysTop`.
/// g and k are the heights of "Wj" in the text and in the legend font.
void PlaceTextFields(int type, KeyboardLayout& layout, int keysTop, int g, int k, int gap);
/// The widest and highest the reference legend may be: "Shift" (or "Return" for the message
/// keyboard) must be less high than the first value and less wide than the second.
SIZE LegendLimits(int type, const KeyboardGeometry& geometry);
/// The legend size in tenths of a point: from 80 points down one point at a time until the
/// reference fits, never below 1 point. `measure` gives the reference's extent at a size.
template <typename Measure>
int FitLegendPointSize(int type, const KeyboardGeometry& geometry, Measure measure) {
  SIZE limit = LegendLimits(type, geometry);
  const char* reference = type == KeyboardMessage ? "Return" : "Shift";
  int size = 800;
  for (; size > 10; size -= 10) {
    SIZE extent = measure(size, reference);
    if (extent.cy < limit.cy && extent.cx < limit.cx) break;
  }
  return size;
}
