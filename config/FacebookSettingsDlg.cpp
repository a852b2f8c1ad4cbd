#include "config/FacebookSettingsDlg.h"

#include "platform/mfc/ddx.h"
#include "platform/user/controls.h"

namespace {

void RegisterTemplate() {
  using K = DlgItemKind;
  AfxRegisterDialogTemplate(
      {IDD_FACEBOOK_SETTINGS,
       "Facebook Upload Settings",
       {{IDC_FB_ALBUM, K::Edit, "Facebook album name:", "photoboothFbAlbum"},
        {-1, K::Label,
         "Please note: If the album name is left blank the photos will be uploaded to an album named "
         "\"Ovelbrook Photos\"."},
        {IDC_FB_ALBUM_DESC, K::Edit, "Album description:", "photoboothFbAlbumDesc"},
        {IDC_FB_COMMENT, K::Edit, "Photo description:", "photoboothFbComment"},
        {IDC_FB_MAX_WIDTH, K::Edit, "Max width (pixels):", "photoboothFbMaxWidth"},
        {IDC_FB_MAX_HEIGHT, K::Edit, "Max height (pixels):", "photoboothFbMaxHeight"},
        {IDC_FB_ROTATION, K::Combo, "Image rotation:", "photoboothFbRotate"},
        {IDC_OUTPUT_CROP, K::Check, "Crop image:", "photoboothFbCrop"},
        {IDC_OUTPUT_CROP_LEFT, K::Edit, "Left:", "photoboothFbCropX"},
        {IDC_OUTPUT_CROP_TOP, K::Edit, "Top:", "photoboothFbCropY"},
        {IDC_OUTPUT_CROP_WIDTH, K::Edit, "Width:", "photoboothFbCropW"},
        {IDC_OUTPUT_CROP_HEIGHT, K::Edit, "Height:", "photoboothFbCropH"},
        {IDC_FB_TIMEOUT, K::Edit, "Upload timeout (default=30 secs):", "FacebookUploadTimeout"},
        {IDC_OUTPUT_LOG_ENABLE, K::Check, "Log uploads to file:", "PhotoboothLogFacebookAddresses"},
        {IDC_OUTPUT_LOG_PATH, K::Edit, nullptr, "PhotoboothLogFacebookPathname"},
        {IDC_OUTPUT_LOG_BROWSE, K::Button, "..."},
        {IDOK, K::DefButton, "OK"},
        {IDCANCEL, K::Button, "Cancel"}}});
}

}  // namespace

CFacebookSettingsDlg::CFacebookSettingsDlg(CWnd* parent) : CDialog(IDD_FACEBOOK_SETTINGS, parent) {
  RegisterTemplate();
}

void CFacebookSettingsDlg::DoDataExchange(CDataExchange* dx) {
  DDX_Text(dx, IDC_FB_ALBUM, m_strPhotoboothFbAlbum);
  DDX_Text(dx, IDC_FB_ALBUM_DESC, m_strPhotoboothFbAlbumDesc);
  DDX_Text(dx, IDC_FB_COMMENT, m_strPhotoboothFbComment);
  DDX_Text(dx, IDC_FB_MAX_WIDTH, m_nPhotoboothFbMaxWidth);
  DDV_MinMaxInt(dx, m_nPhotoboothFbMaxWidth, 100, 5000);
  DDX_Text(dx, IDC_FB_MAX_HEIGHT, m_nPhotoboothFbMaxHeight);
  DDV_MinMaxInt(dx, m_nPhotoboothFbMaxHeight, 100, 5000);
  DDX_CBIndex(dx, IDC_FB_ROTATION, m_nRotationIndex);
  DDX_Check(dx, IDC_OUTPUT_CROP, m_bPhotoboothFbCrop);
  DDX_Text(dx, IDC_OUTPUT_CROP_LEFT, m_nPhotoboothFbCropX);
  DDX_Text(dx, IDC_OUTPUT_CROP_TOP, m_nPhotoboothFbCropY);
  DDX_Text(dx, IDC_OUTPUT_CROP_WIDTH, m_nPhotoboothFbCropW);
  DDX_Text(dx, IDC_OUTPUT_CROP_HEIGHT, m_nPhotoboothFbCropH);
  DDX_Text(dx, IDC_FB_TIMEOUT, m_nFacebookUploadTimeout);
  DDV_MinMaxInt(dx, m_nFacebookUploadTimeout, 10, 1000);
  DDX_Check(dx, IDC_OUTPUT_LOG_ENABLE, m_bPhotoboothLogFacebookAddresses);
  DDX_Text(dx, IDC_OUTPUT_LOG_PATH, m_strPhotoboothLogFacebookPathname);
}

BOOL CFacebookSettingsDlg::OnInitDialog() {
  FillRotationList(this, IDC_FB_ROTATION, true);
  m_nRotationIndex = RotationToIndex(m_nPhotoboothFbRotate, true);
  CDialog::OnInitDialog();
  // Descriptions are kept in the settings but not offered for editing.
  if (CWnd* control = GetDlgItem(IDC_FB_ALBUM_DESC)) control->ShowWindow(SW_HIDE);
  if (CWnd* control = GetDlgItem(IDC_FB_COMMENT)) control->ShowWindow(SW_HIDE);
  EnableCropBlock(this);
  EnableLogBlock(this, IDC_OUTPUT_LOG_ENABLE);
  return TRUE;
}

void CFacebookSettingsDlg::OnOK() {
  if (!UpdateData(TRUE)) return;
  m_nPhotoboothFbRotate = IndexToRotation(m_nRotationIndex);
  EndDialog(IDOK);
}

BOOL CFacebookSettingsDlg::OnCommand(WPARAM wParam, LPARAM lParam) {
  if (HIWORD(wParam) == BN_CLICKED) {
    switch (LOWORD(wParam)) {
      case IDC_OUTPUT_CROP: EnableCropBlock(this); return TRUE;
      case IDC_OUTPUT_LOG_ENABLE: EnableLogBlock(this, IDC_OUTPUT_LOG_ENABLE); return TRUE;
      case IDC_OUTPUT_LOG_BROWSE: ChooseLogFile(this, "Facebook log file"); return TRUE;
      default: break;
    }
  }
  return CDialog::OnCommand(wParam, lParam);
}
