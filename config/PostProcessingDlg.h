// CPostProcessingDlg: what is done to each JPEG after download: resize, auto level, sharpen,
// and the quality it is saved with.
#pragma once

#include "platform/mfc/dialog.h"

#define IDD_POST_PROCESSING 202
#define IDC_POST_DEFAULTS 1003
#define IDC_POST_SHARPEN_AMOUNT 1094
#define IDC_POST_BLACK 1095
#define IDC_POST_WHITE 1096
#define IDC_POST_ENABLE 1097
#define IDC_POST_RESIZE 1098
#define IDC_POST_LEVEL 1099
#define IDC_POST_SHARPEN 1100
#define IDC_POST_WIDTH 1101
#define IDC_POST_HEIGHT 1102
#define IDC_POST_QUALITY 1103

class CPostProcessingDlg : public CDialog {
 public:
  explicit CPostProcessingDlg(CWnd* parent = nullptr);

  int m_nEnable = 0;
  int m_nResize = 0;
  int m_nResizeWidth = 450;
  int m_nResizeHeight = 450;
  int m_nLevel = 0;
  double m_dLevelBlack = 0.05;
  double m_dLevelWhite = 0.05;
  int m_nSharpen = 0;
  int m_nSharpenAmount = 75;
  int m_nJpegQuality = 85;

 protected:
  BOOL OnInitDialog() override;
  void DoDataExchange(CDataExchange* dx) override;
  BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;

 private:
  void UpdateEnabling();
  void OnDefaults();
};
