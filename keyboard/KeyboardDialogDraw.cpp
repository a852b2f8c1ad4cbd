// Composing the four keyboard images and drawing the keyboard from them.
#include <algorithm>
#include <string>

#include "keyboard/BuiltinKeyboard.h"
#include "keyboard/KeyboardDialog.h"
#include "keyboard/KeyboardDialogMetrics_pvt.h"
#include "keyboard/KeyboardLayoutFile.h"
#include "keyboard/WidePath_pvt.h"

namespace {

int TextHeight(CDC& dc, const CString& text) { return static_cast<int>(dc.GetTextExtent(text).cy); }

// A GDI DC on a GDI+ bitmap for the length of a scope.
class ImageDC {
 public:
  explicit ImageDC(Gdiplus::Bitmap* image) : m_graphics(image) {
    HDC hdc = m_graphics.GetHDC();
    if (hdc) m_dc.Attach(hdc);
  }
  ~ImageDC() {
    HDC hdc = m_dc.Detach();
    if (hdc) m_graphics.ReleaseHDC(hdc);
  }
  CDC& Dc() { return m_dc; }

 private:
  Gdiplus::Graphics m_graphics;
  CDC m_dc;
};

}  // namespace

void CKeyboardDialog::ComposeImages() {
  KeyboardLayout& layout = m_editor.m_layout;
  KeyboardGeometry geometry(m_imageSize.cx, m_imageSize.cy);
  CString face = layout.m_textFontName;
  LOGFONTA made{};
  if (m_textFont.GetLogFont(&made) == sizeof(LOGFONTA)) face = made.lfFaceName;
  m_legendPointSize = FitLegendPointSize(m_editor.m_type, geometry, [&](int size, const char* text) {
    CFont trial;
    trial.CreatePointFont(size, face, &m_memDC);
    CFont* old = m_memDC.SelectObject(&trial);
    SIZE extent = m_memDC.GetTextExtent(text, static_cast<int>(std::char_traits<char>::length(text)));
    m_memDC.SelectObject(old);
    return extent;
  });
  CFont legendFont;
  legendFont.CreatePointFont(m_legendPointSize, face, &m_memDC);

  if (!layout.m_fields[0].IsDefined()) {
    int g = FieldFontMetrics(m_memDC, m_textFont).LineHeight();
    CFont* old = m_memDC.SelectObject(&legendFont);
    int k = TextHeight(m_memDC, "Wj");
    m_memDC.SelectObject(old);
    PlaceTextFields(m_editor.m_type, layout, TopOfKeys(layout.m_keys), g, k, m_gap);
  }

  for (int index = 0; index < 4; ++index) {
    ImageDC image(m_images[index]);
    CDC& dc = image.Dc();
    if (!dc.m_hDC) continue;
    CRect all(0, 0, m_imageSize.cx, m_imageSize.cy);
    dc.FillSolidRect(&all, layout.m_backgroundColor);
    bool pressed = index == 1 || index == 3;
    CPen pen(PS_SOLID, 2, RGB(0, 0, 0));
    CBrush fill(pressed ? RGB(180, 180, 180) : RGB(80, 80, 80));
    CPen* oldPen = dc.SelectObject(&pen);
    CBrush* oldBrush = dc.SelectObject(&fill);
    CFont* oldFont = dc.SelectObject(&legendFont);
    dc.SetTextColor(layout.m_keyTextColor);
    dc.SetBkMode(TRANSPARENT);

    for (KeyboardTextField& field : layout.m_fields) {
      if (!field.IsDefined()) continue;
      field.m_promptY = field.m_y - TextHeight(dc, field.m_prompt + "Wj") - 3;
      dc.TextOut(field.m_x, field.m_promptY, field.m_prompt);
    }
    for (KeyboardCheckBox& box : layout.m_checkBoxes) {
      if (!box.IsDefined()) continue;
      int v = TextHeight(dc, "Wj");
      box.m_boxSize = 4 * v / 5;
      box.m_hitHeight = v;
      box.m_hitWidth = box.m_boxSize + static_cast<int>(dc.GetTextExtent(box.m_prompt).cx);
      dc.TextOut(box.m_x + box.m_boxSize, box.m_y, box.m_prompt);
    }
    bool upper = index < 2;
    for (INT_PTR i = 0; i < layout.m_keys.GetSize(); ++i) {
      const CKey& key = layout.m_keys[i];
      CRect rect(key.m_x, key.m_y, SaturateKeyboardNumber(static_cast<long long>(key.m_x) + key.m_width),
                 SaturateKeyboardNumber(static_cast<long long>(key.m_y) + key.m_height));
      dc.RoundRect(rect.left, rect.top, rect.right, rect.bottom, m_gap, m_gap);
      dc.DrawText(upper ? key.m_shiftedLegend : key.m_legend, &rect, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    }
    dc.SelectObject(oldFont);
    dc.SelectObject(oldBrush);
    dc.SelectObject(oldPen);
  }
}

void CKeyboardDialog::LoadImageFiles() {
  const char* extension = FindKeyboardImageSet(m_layoutFolder, m_layoutName);
  if (!extension) return;
  Gdiplus::Bitmap* loaded[4] = {};
  bool complete = true;
  for (int i = 0; i < 4; ++i) {
    std::u16string path = WidePath(KeyboardImagePath(m_layoutFolder, m_layoutName, i, extension));
    loaded[i] = Gdiplus::Bitmap::FromFile(path.c_str());
    complete = complete && loaded[i] && loaded[i]->GetLastStatus() == Gdiplus::Ok && loaded[i]->GetWidth() > 0;
  }
  // A set with an unreadable picture is not used, as one with a missing picture.
  for (int i = 0; i < 4; ++i) {
    if (complete) std::swap(m_images[i], loaded[i]);
    delete loaded[i];
  }
}

void CKeyboardDialog::DrawKeyboard() {
  if (!m_images[0] || !m_memDC.m_hDC) return;
  PaintTo(&m_memDC);
  Invalidate(FALSE);
}

void CKeyboardDialog::OnPaint() {
  CPaintDC dc(this);
  if (!dc.m_hDC || !m_memDC.m_hDC) return;
  dc.BitBlt(m_imageOrigin.x, m_imageOrigin.y, m_imageSize.cx, m_imageSize.cy, &m_memDC, m_imageOrigin.x,
            m_imageOrigin.y, SRCCOPY);
}

void CKeyboardDialog::PaintTo(CDC* dc) {
  {
    Gdiplus::Graphics graphics(dc->m_hDC);
    graphics.DrawImage(m_images[m_editor.m_shift ? 0 : 2], static_cast<INT>(m_imageOrigin.x),
                       static_cast<INT>(m_imageOrigin.y));
  }
  DrawFields(dc);
  DrawCheckBoxes(dc);
  if (!m_pressedKey.IsEmpty() && m_pressedKey.m_code.CompareNoCase("Shift") != 0) {
    CopyKeyFrom(dc, m_editor.m_shift ? 1 : 3, m_pressedKey);
  }
  if (m_editor.m_shift) {
    const CArray<CKey, CKey>& keys = m_editor.m_layout.m_keys;
    for (INT_PTR i = 0; i < keys.GetSize(); ++i) {
      if (keys[i].m_code.CompareNoCase("Shift") == 0) CopyKeyFrom(dc, 1, keys[i]);
    }
  }
}

void CKeyboardDialog::CopyKeyFrom(CDC* dc, int image, const CKey& key) {
  Gdiplus::Bitmap* source = m_images[image];
  const int width = SaturateKeyboardNumber(
      std::min<long long>(key.m_width, static_cast<long long>(source->GetWidth()) - key.m_x));
  const int height = SaturateKeyboardNumber(
      std::min<long long>(key.m_height, static_cast<long long>(source->GetHeight()) - key.m_y));
  if (key.m_x < 0 || key.m_y < 0 || width <= 0 || height <= 0) return;
  Gdiplus::Graphics graphics(dc->m_hDC);
  graphics.DrawImage(source, Gdiplus::Rect(m_imageOrigin.x + key.m_x, m_imageOrigin.y + key.m_y, width, height), key.m_x,
                     key.m_y, width, height, Gdiplus::UnitPixel);
}

void CKeyboardDialog::DrawFields(CDC* dc) {
  KeyboardLayout& layout = m_editor.m_layout;
  FieldFontMetrics metrics(*dc, m_textFont);
  int g = metrics.LineHeight();
  dc->SetBkMode(TRANSPARENT);
  dc->SetTextColor(layout.m_textForegroundColor);
  CBrush background(layout.m_textBackgroundColor);
  CBrush* oldBrush = dc->SelectObject(&background);
  int hHeight = static_cast<int>(dc->GetTextExtent("h", 1).cy);
  for (int i = 0; i < kKeyboardFieldCount; ++i) {
    KeyboardTextField& field = layout.m_fields[i];
    if (!field.IsDefined()) continue;
    bool current = i == m_editor.m_currentField;
    CPen pen(PS_SOLID, current && m_editor.m_fieldsInUse > 1 ? 3 : 1,
             current && m_editor.m_fieldsInUse > 1 ? RGB(255, 0, 0) : RGB(0, 0, 0));
    CPen* oldPen = dc->SelectObject(&pen);
    field.m_bottom = SaturateKeyboardNumber(field.m_rows < 2 ? static_cast<long long>(field.m_y) + 5 * g / 4
                                                             : static_cast<long long>(field.m_y) +
                                                                   static_cast<long long>(g) * field.m_rows + g / 4);
    dc->RoundRect(field.m_x, field.m_y, field.m_right, field.m_bottom, g / 4, g / 4);
    dc->SelectObject(oldPen);
    int left = field.m_x + g / 2;
    int top = field.m_y + g / 6;
    std::vector<CString> lines;
    if (field.m_password) {
      if (field.m_maxChars > 0 && field.m_text.GetLength() > field.m_maxChars) field.m_text = field.m_text.Left(field.m_maxChars);
      lines.push_back(CString('*', field.m_text.GetLength()));
      if (field.m_text.IsEmpty()) lines.clear();
    } else if (field.m_rows > 0) {
      WrapFieldText(field, metrics, lines);
    }
    for (size_t n = 0; n < lines.size(); ++n) {
      CString shown = lines[n];
      if (shown.Right(1) == "\n") shown = shown.Left(shown.GetLength() - 1);
      dc->TextOut(left, top + static_cast<int>(n) * g, shown);
    }
    if (!current) continue;
    if (m_editor.m_cursorPosition > field.m_text.GetLength()) m_editor.m_cursorPosition = field.m_text.GetLength();
    if (m_editor.CursorMode() && m_cursorVisible && !field.m_password) {
      int line = 0, lineStart = 0;
      FindCursorLine(lines, m_editor.m_cursorPosition, &line, &lineStart);
      CString before = line < static_cast<int>(lines.size()) ? lines[line].Left(m_editor.m_cursorPosition - lineStart)
                                                             : CString();
      dc->FillSolidRect(left + metrics.TextWidth(before, before.GetLength()) - 1, top + line * g, 2, hHeight,
                        layout.m_textForegroundColor);
    }
  }
  dc->SelectObject(oldBrush);
}

void CKeyboardDialog::DrawCheckBoxes(CDC* dc) {
  KeyboardLayout& layout = m_editor.m_layout;
  int g = FieldFontMetrics(*dc, m_textFont).LineHeight();
  CPen black(PS_SOLID, 1, RGB(0, 0, 0));
  CBrush background(layout.m_textBackgroundColor);
  for (const KeyboardCheckBox& box : layout.m_checkBoxes) {
    if (!box.IsDefined()) continue;
    int left = box.m_x + g / 8;
    int top = box.m_y + g / 4;
    int side = box.m_boxSize - g / 4;
    CPen* oldPen = dc->SelectObject(&black);
    CBrush* oldBrush = dc->SelectObject(&background);
    dc->RoundRect(left, top, left + side, top + side, g / 4, g / 4);
    dc->SelectObject(oldBrush);
    dc->SelectObject(oldPen);
    if (!box.m_value || side <= 0) continue;
    CPen tick(PS_SOLID, std::max(1, side / 4), layout.m_checkboxTickColor);
    oldPen = dc->SelectObject(&tick);
    POINT points[3] = {{left + side / 4, top + side / 2}, {left + side / 2, top + 3 * side / 4}, {left + side, top}};
    dc->Polyline(points, 3);
    dc->SelectObject(oldPen);
  }
}
