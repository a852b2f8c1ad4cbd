// Private: text metrics of a font selected into a DC for the field-text rules.
#pragma once

#include "keyboard/KeyboardFieldText.h"
#include "platform/mfc/cdc.h"

class FieldFontMetrics : public KeyboardTextMetrics {
 public:
  FieldFontMetrics(CDC& dc, CFont& font) : m_dc(dc), m_old(dc.SelectObject(&font)) {
    m_lineHeight = static_cast<int>(m_dc.GetTextExtent("Wj", 2).cy);
  }
  ~FieldFontMetrics() override {
    if (m_old) m_dc.SelectObject(m_old);
  }
  FieldFontMetrics(const FieldFontMetrics&) = delete;
  FieldFontMetrics& operator=(const FieldFontMetrics&) = delete;

  int TextWidth(const char* text, int length) const override {
    return length > 0 ? static_cast<int>(m_dc.GetTextExtent(text, length).cx) : 0;
  }
  int LineHeight() const override { return m_lineHeight; }

 private:
  CDC& m_dc;
  CFont* m_old;
  int m_lineHeight;
};
