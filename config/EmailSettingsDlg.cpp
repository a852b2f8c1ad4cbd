#include "config/EmailSettingsDlg.h"

#include "platform/mfc/ddx.h"
#include "platform/user/controls.h"

namespace {

void RegisterTemplate() {
  using K = DlgItemKind;
  AfxRegisterDialogTemplate(
      {IDD_EMAIL_SETTINGS,
       "Email Settings",
       {{IDC_EMAIL_SUBJECT, K::Edit, "Subject:", "photoboothEmailSubject"},
        {IDC_EMAIL_TEXT, K::MultiLine, "Message (plain text):", "photoboothEmailMsgText"},
        {IDC_EMAIL_HTML, K::MultiLine, "Message (HTML format):", "photoboothEmailMsgHTML"},
        {IDC_OUTPUT_CROP, K::Check, "Crop image:", "photoboothEmailCrop"},
        {IDC_OUTPUT_CROP_LEFT, K::Edit, "Left:", "photoboothEmailCropX"},
        {IDC_OUTPUT_CROP_TOP, K::Edit, "Top:", "photoboothEmailCropY"},
        {IDC_OUTPUT_CROP_WIDTH, K::Edit, "Width:", "photoboothEmailCropW"},
        {IDC_OUTPUT_CROP_HEIGHT, K::Edit, "Height:", "photoboothEmailCropH"},
        {IDC_EMAIL_MAX_WIDTH, K::Edit, "Max image width (pixels):", "photoboothEmailMaxWidth"},
        {IDC_EMAIL_MAX_HEIGHT, K::Edit, "Max image height (pixels):", "photoboothEmailMaxHeight"},
        {IDC_EMAIL_ROTATION, K::Combo, "Image rotation:", "photoboothEmailRotate"},
        {IDC_EMAIL_ERROR_MSG, K::Edit, "Invalid email address error message:", "PhotoboothKeyboardEmailErrorMsg"},
        {IDOK, K::DefButton, "OK"},
        {IDCANCEL, K::Button, "Cancel"}}});
}

}  // namespace

CEmailSettingsDlg::CEmailSettingsDlg(CWnd* parent) : CDialog(IDD_EMAIL_SETTINGS, parent) { RegisterTemplate(); }

void CEmailSettingsDlg::DoDataExchange(CDataExchange* dx) {
  DDX_Text(dx, IDC_EMAIL_SUBJECT, m_strPhotoboothEmailSubject);
  DDX_Text(dx, IDC_EMAIL_TEXT, m_strPhotoboothEmailMsgText);
  DDX_Text(dx, IDC_EMAIL_HTML, m_strPhotoboothEmailMsgHTML);
  DDX_Check(dx, IDC_OUTPUT_CROP, m_bPhotoboothEmailCrop);
  DDX_Text(dx, IDC_OUTPUT_CROP_LEFT, m_nPhotoboothEmailCropX);
  DDX_Text(dx, IDC_OUTPUT_CROP_TOP, m_nPhotoboothEmailCropY);
  DDX_Text(dx, IDC_OUTPUT_CROP_WIDTH, m_nPhotoboothEmailCropW);
  DDX_Text(dx, IDC_OUTPUT_CROP_HEIGHT, m_nPhotoboothEmailCropH);
  DDX_Text(dx, IDC_EMAIL_MAX_WIDTH, m_nPhotoboothEmailMaxWidth);
  DDV_MinMaxInt(dx, m_nPhotoboothEmailMaxWidth, 100, 5000);
  DDX_Text(dx, IDC_EMAIL_MAX_HEIGHT, m_nPhotoboothEmailMaxHeight);
  DDV_MinMaxInt(dx, m_nPhotoboothEmailMaxHeight, 100, 5000);
  DDX_CBIndex(dx, IDC_EMAIL_ROTATION, m_nRotationIndex);
  DDX_Text(dx, IDC_EMAIL_ERROR_MSG, m_strKeyboardEmailErrorMsg);
}

BOOL CEmailSettingsDlg::OnInitDialog() {
  FillRotationList(this, IDC_EMAIL_ROTATION, true);
  m_nRotationIndex = RotationToIndex(m_nPhotoboothEmailRotate, true);
  SendDlgItemMessage(IDC_EMAIL_HTML, EM_LIMITTEXT, kMaxEmailHtmlLength, 0);
  CDialog::OnInitDialog();
  EnableCropBlock(this);
  return TRUE;
}

void CEmailSettingsDlg::OnOK() {
  if (!UpdateData(TRUE)) return;
  m_nPhotoboothEmailRotate = IndexToRotation(m_nRotationIndex);
  EndDialog(IDOK);
}

BOOL CEmailSettingsDlg::OnCommand(WPARAM wParam, LPARAM lParam) {
  if (LOWORD(wParam) == IDC_OUTPUT_CROP && HIWORD(wParam) == BN_CLICKED) {
    EnableCropBlock(this);
    return TRUE;
  }
  return CDialog::OnCommand(wParam, lParam);
}
