#include "config/TwitterSettingsDlg.h"

#include "platform/mfc/ddx.h"
#include "platform/user/controls.h"

namespace {

void RegisterTemplate() {
  using K = DlgItemKind;
  AfxRegisterDialogTemplate(
      {IDD_TWITTER_SETTINGS,
       "Twitter Settings",
       {{IDC_TWITTER_COMMENT, K::Edit, "Comment (maximum length 120 characters):", "PhotoboothTwitterComment"},
        {IDC_OUTPUT_CROP, K::Check, "Crop image before copying (settings in pixels):", "PhotoboothTwitterCrop"},
        {IDC_OUTPUT_CROP_LEFT, K::Edit, "Left:", "PhotoboothTwitterCropX"},
        {IDC_OUTPUT_CROP_TOP, K::Edit, "Top:", "PhotoboothTwitterCropY"},
        {IDC_OUTPUT_CROP_WIDTH, K::Edit, "Width:", "PhotoboothTwitterCropW"},
        {IDC_OUTPUT_CROP_HEIGHT, K::Edit, "Height:", "PhotoboothTwitterCropH"},
        {IDC_TWITTER_MAX_WIDTH, K::Edit, "Max width (pixels):", "PhotoboothTwitterMaxWidth"},
        {IDC_TWITTER_MAX_HEIGHT, K::Edit, "Max height (pixels):", "PhotoboothTwitterMaxHeight"},
        {IDC_TWITTER_ROTATION, K::Combo, "Image rotation:", "PhotoboothTwitterRotate"},
        {IDC_TWITTER_TIMEOUT, K::Edit, "Upload timeout (default=30 secs):"},
        {IDC_OUTPUT_LOG_ENABLE, K::Check, "Log uploads to file:", "LogTwitterUploads"},
        {IDC_OUTPUT_LOG_PATH, K::Edit, nullptr, "LogTwitterPathname"},
        {IDC_OUTPUT_LOG_BROWSE, K::Button, "..."},
        {IDOK, K::DefButton, "OK"},
        {IDCANCEL, K::Button, "Cancel"}}});
}

}  // namespace

CTwitterSettingsDlg::CTwitterSettingsDlg(CWnd* parent) : CDialog(IDD_TWITTER_SETTINGS, parent) { RegisterTemplate(); }

void CTwitterSettingsDlg::DoDataExchange(CDataExchange* dx) {
  DDX_Text(dx, IDC_TWITTER_COMMENT, m_strPhotoboothTwitterComment);
  DDX_Check(dx, IDC_OUTPUT_CROP, m_bPhotoboothTwitterCrop);
  DDX_Text(dx, IDC_OUTPUT_CROP_LEFT, m_nPhotoboothTwitterCropX);
  DDX_Text(dx, IDC_OUTPUT_CROP_TOP, m_nPhotoboothTwitterCropY);
  DDX_Text(dx, IDC_OUTPUT_CROP_WIDTH, m_nPhotoboothTwitterCropW);
  DDX_Text(dx, IDC_OUTPUT_CROP_HEIGHT, m_nPhotoboothTwitterCropH);
  DDX_Text(dx, IDC_TWITTER_MAX_WIDTH, m_nPhotoboothTwitterMaxWidth);
  DDV_MinMaxInt(dx, m_nPhotoboothTwitterMaxWidth, 100, 5000);
  DDX_Text(dx, IDC_TWITTER_MAX_HEIGHT, m_nPhotoboothTwitterMaxHeight);
  DDV_MinMaxInt(dx, m_nPhotoboothTwitterMaxHeight, 100, 5000);
  DDX_CBIndex(dx, IDC_TWITTER_ROTATION, m_nRotationIndex);
  DDX_Text(dx, IDC_TWITTER_TIMEOUT, m_nTwitterUploadTimeout);
  DDV_MinMaxInt(dx, m_nTwitterUploadTimeout, 10, 1000);
  DDX_Check(dx, IDC_OUTPUT_LOG_ENABLE, m_bLogTwitterUploads);
  DDX_Text(dx, IDC_OUTPUT_LOG_PATH, m_strLogTwitterPathname);
}

BOOL CTwitterSettingsDlg::OnInitDialog() {
  FillRotationList(this, IDC_TWITTER_ROTATION, false);
  m_nRotationIndex = RotationToIndex(m_nPhotoboothTwitterRotate, false);
  CDialog::OnInitDialog();
  EnableCropBlock(this);
  EnableLogBlock(this, IDC_OUTPUT_LOG_ENABLE);
  return TRUE;
}

void CTwitterSettingsDlg::OnOK() {
  if (!UpdateData(TRUE)) return;
  m_nPhotoboothTwitterRotate = IndexToRotation(m_nRotationIndex);
  EndDialog(IDOK);
}

BOOL CTwitterSettingsDlg::OnCommand(WPARAM wParam, LPARAM lParam) {
  if (HIWORD(wParam) == BN_CLICKED) {
    switch (LOWORD(wParam)) {
      case IDC_OUTPUT_CROP: EnableCropBlock(this); return TRUE;
      case IDC_OUTPUT_LOG_ENABLE: EnableLogBlock(this, IDC_OUTPUT_LOG_ENABLE); return TRUE;
      case IDC_OUTPUT_LOG_BROWSE: ChooseLogFile(this, "Twitter log file"); return TRUE;
      default: break;
    }
  }
  return CDialog::OnCommand(wParam, lParam);
}
