// One key of the on-screen keyboard: its rectangle in image coordinates, what is drawn on it
// and what it does. An empty code marks the absence of a key.
#pragma once

#include "platform/mfc/cstring.h"

class CKey {
 public:
  CKey() = default;
  CKey(const char* legend, const char* shiftedLegend, const char* code, const char* shiftedCode, int x, int y,
       int width, int height)
      : m_x(x), m_y(y), m_width(width), m_height(height), m_legend(legend), m_shiftedLegend(shiftedLegend),
        m_code(code), m_shiftedCode(shiftedCode) {}

  bool IsEmpty() const { return m_code.IsEmpty(); }
  /// Both coordinates strictly inside: a point on an edge belongs to no key.
  bool StrictlyContains(int x, int y) const {
    // In 64 bits: a key at the edge of the int range must not wrap round.
    return x > m_x && x < static_cast<long long>(m_x) + m_width && y > m_y &&
           y < static_cast<long long>(m_y) + m_height;
  }
  bool SameAs(const CKey& other) const {
    return m_code == other.m_code && m_x == other.m_x && m_y == other.m_y && m_width == other.m_width &&
           m_height == other.m_height;
  }

  int m_x = 0;
  int m_y = 0;
  int m_width = 0;
  int m_height = 0;
  CString m_legend;
  CString m_shiftedLegend;
  CString m_code;
  CString m_shiftedCode;
};
