#include "config/PostProcessingDlg.h"

#include "platform/mfc/ddx.h"
#include "platform/user/controls.h"

CPostProcessingDlg::CPostProcessingDlg(CWnd* parent) : CDialog(IDD_POST_PROCESSING, parent) {
  using K = DlgItemKind;
  AfxRegisterDialogTemplate(
      {IDD_POST_PROCESSING,
       "Post Processing",
       {{IDC_POST_ENABLE, K::Check, "Enable post processing of JPEG images", "PostProcessingEnable"},
        {IDC_POST_RESIZE, K::Check, "Resize, max size (WxH):", "PostProcessingResize"},
        {IDC_POST_WIDTH, K::Number, nullptr, "PostProcessingResizeWidth"},
        {IDC_POST_HEIGHT, K::Number, nullptr, "PostProcessingResizeHeight"},
        {IDC_POST_LEVEL, K::Check, "Auto level, black point (%):", "PostProcessingLevel"},
        {IDC_POST_BLACK, K::Edit, nullptr, "PostProcessingLevelBlack"},
        {IDC_POST_WHITE, K::Edit, "white point (%):", "PostProcessingLevelWhite"},
        {IDC_POST_SHARPEN, K::Check, "Sharpen, amount (0 to 100):", "PostProcessingSharpen"},
        {IDC_POST_SHARPEN_AMOUNT, K::Number, nullptr, "PostProcessingSharpenAmount"},
        {IDC_POST_QUALITY, K::Number, "JPEG save quality (10 to 100):", "PostProcessingJpegQuality"},
        {IDC_POST_DEFAULTS, K::Button, "Defaults"},
        {IDOK, K::DefButton, "OK"},
        {IDCANCEL, K::Button, "Cancel"}}});
}

void CPostProcessingDlg::DoDataExchange(CDataExchange* dx) {
  DDX_Check(dx, IDC_POST_ENABLE, m_nEnable);
  DDX_Check(dx, IDC_POST_RESIZE, m_nResize);
  DDX_Text(dx, IDC_POST_WIDTH, m_nResizeWidth);
  DDV_MinMaxInt(dx, m_nResizeWidth, 50, 5000);
  DDX_Text(dx, IDC_POST_HEIGHT, m_nResizeHeight);
  DDV_MinMaxInt(dx, m_nResizeHeight, 50, 5000);
  DDX_Check(dx, IDC_POST_LEVEL, m_nLevel);
  DDX_Text(dx, IDC_POST_BLACK, m_dLevelBlack);
  DDV_MinMaxDouble(dx, m_dLevelBlack, 0, 5);
  DDX_Text(dx, IDC_POST_WHITE, m_dLevelWhite);
  DDV_MinMaxDouble(dx, m_dLevelWhite, 0, 5);
  DDX_Check(dx, IDC_POST_SHARPEN, m_nSharpen);
  DDX_Text(dx, IDC_POST_SHARPEN_AMOUNT, m_nSharpenAmount);
  DDV_MinMaxInt(dx, m_nSharpenAmount, 0, 100);
  DDX_Text(dx, IDC_POST_QUALITY, m_nJpegQuality);
  DDV_MinMaxInt(dx, m_nJpegQuality, 10, 100);
}

BOOL CPostProcessingDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  UpdateEnabling();
  return TRUE;
}

void CPostProcessingDlg::UpdateEnabling() {
  auto enable = [this](int id, bool on) {
    if (CWnd* item = GetDlgItem(id)) item->EnableWindow(on ? TRUE : FALSE);
  };
  auto ticked = [this](int id) { return IsDlgButtonChecked(id) == BST_CHECKED; };
  const bool on = ticked(IDC_POST_ENABLE);
  for (int id : {IDC_POST_RESIZE, IDC_POST_LEVEL, IDC_POST_SHARPEN, IDC_POST_QUALITY}) enable(id, on);
  enable(IDC_POST_WIDTH, on && ticked(IDC_POST_RESIZE));
  enable(IDC_POST_HEIGHT, on && ticked(IDC_POST_RESIZE));
  enable(IDC_POST_BLACK, on && ticked(IDC_POST_LEVEL));
  enable(IDC_POST_WHITE, on && ticked(IDC_POST_LEVEL));
  enable(IDC_POST_SHARPEN_AMOUNT, on && ticked(IDC_POST_SHARPEN));
}

void CPostProcessingDlg::OnDefaults() {
  // Only the controls change: Cancel still leaves every value as it was.
  struct Values {
    int enable, resize, width, height, level;
    double black, white;
    int sharpen, amount, quality;
  };
  const Values kept{m_nEnable, m_nResize, m_nResizeWidth, m_nResizeHeight, m_nLevel,
                    m_dLevelBlack, m_dLevelWhite, m_nSharpen, m_nSharpenAmount, m_nJpegQuality};
  m_nEnable = m_nResize = m_nLevel = m_nSharpen = 1;
  m_nResizeWidth = m_nResizeHeight = 450;
  m_dLevelBlack = m_dLevelWhite = 0.05;
  m_nSharpenAmount = 75;
  m_nJpegQuality = 85;
  UpdateData(FALSE);
  m_nEnable = kept.enable;
  m_nResize = kept.resize;
  m_nResizeWidth = kept.width;
  m_nResizeHeight = kept.height;
  m_nLevel = kept.level;
  m_dLevelBlack = kept.black;
  m_dLevelWhite = kept.white;
  m_nSharpen = kept.sharpen;
  m_nSharpenAmount = kept.amount;
  m_nJpegQuality = kept.quality;
  UpdateEnabling();
}

BOOL CPostProcessingDlg::OnCommand(WPARAM wParam, LPARAM lParam) {
  const int id = LOWORD(wParam);
  if (HIWORD(wParam) == BN_CLICKED) {
    if (id == IDC_POST_DEFAULTS) {
      OnDefaults();
      return TRUE;
    }
    if (id >= IDC_POST_ENABLE && id <= IDC_POST_SHARPEN) {
      UpdateEnabling();
      return TRUE;
    }
  }
  return CDialog::OnCommand(wParam, lParam);
}
