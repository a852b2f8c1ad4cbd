// CHighlightSettings: how flashing highlights find the over-exposed pixels.
#pragma once

#include "platform/mfc/dialog.h"

#define IDD_HIGHLIGHT_SETTINGS 181
#define IDC_HIGHLIGHT_THRESHOLD 1078
#define IDC_HIGHLIGHT_METHOD 1079

class CHighlightSettings : public CDialog {
 public:
  explicit CHighlightSettings(CWnd* parent = nullptr);

  int m_nMethod = 0;  // 0 luminosity, 1 RGB value
  int m_nThreshold = 250;

 protected:
  BOOL OnInitDialog() override;
  void DoDataExchange(CDataExchange* dx) override;
};
