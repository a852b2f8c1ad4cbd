// CFontDialog: the font chooser, LOGFONT in and out (heights in pixels at 96 dpi).
#pragma once

#include "platform/mfc/wnd.h"

#define CF_SCREENFONTS 0x00000001u
#define CF_PRINTERFONTS 0x00000002u
#define CF_INITTOLOGFONTSTRUCT 0x00000040u
#define CF_EFFECTS 0x00000100u
#define CF_SCALABLEONLY 0x00020000u

struct CHOOSEFONTA {
  HWND hwndOwner = nullptr;
  LPLOGFONTA lpLogFont = nullptr;
  INT iPointSize = 0;  // tenths of a point
  DWORD Flags = 0;
  COLORREF rgbColors = 0;
};

class CDC;

class CFontDialog {
 public:
  explicit CFontDialog(LPLOGFONTA initial = nullptr, DWORD flags = CF_EFFECTS | CF_SCREENFONTS, CDC* printer = nullptr,
                       CWnd* parent = nullptr);
  virtual ~CFontDialog() = default;
  /// IDOK with the chosen font in m_lf, or IDCANCEL (font unchanged).
  virtual INT_PTR DoModal();
  void GetCurrentFont(LPLOGFONTA font) const { *font = m_lf; }
  CString GetFaceName() const { return CString(m_lf.lfFaceName); }
  /// Tenths of a point.
  int GetSize() const { return m_cf.iPointSize; }
  COLORREF GetColor() const { return m_cf.rgbColors; }
  BOOL IsBold() const { return m_lf.lfWeight >= FW_SEMIBOLD; }
  BOOL IsItalic() const { return m_lf.lfItalic != 0; }

  CHOOSEFONTA m_cf;
  LOGFONTA m_lf{};
};
