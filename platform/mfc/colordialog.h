// CColorDialog: the colour chooser.
#pragma once

#include "platform/mfc/wnd.h"

#define CC_RGBINIT 0x00000001u
#define CC_FULLOPEN 0x00000002u
#define CC_SOLIDCOLOR 0x00000080u
#define CC_ANYCOLOR 0x00000100u

struct CHOOSECOLORA {
  HWND hwndOwner = nullptr;
  COLORREF rgbResult = 0;
  DWORD Flags = 0;
};

class CColorDialog {
 public:
  explicit CColorDialog(COLORREF initial = 0, DWORD flags = 0, CWnd* parent = nullptr);
  virtual ~CColorDialog() = default;
  /// IDOK with the chosen colour in m_cc.rgbResult, or IDCANCEL (colour unchanged).
  virtual INT_PTR DoModal();
  COLORREF GetColor() const { return m_cc.rgbResult; }
  CHOOSECOLORA m_cc;
};
