#include "config/ThumbnailSettingsDlg.h"

#include "config/OutputSettingsBlocks.h"
#include "platform/mfc/ddx.h"
#include "platform/user/controls.h"

namespace {

void RegisterTemplate() {
  using K = DlgItemKind;
  AfxRegisterDialogTemplate(
      {IDD_THUMBNAIL_SETTINGS,
       "Photobooth Thumbnail Settings",
       {{IDC_THUMB_ENABLE, K::Check, "Display thumbnails of each photo", "photoboothThumnailEnable"},
        {IDC_THUMB_X, K::Edit, "Left offset:", "photoboothThumnailX"},
        {IDC_THUMB_Y, K::Edit, "Top offset:", "photoboothThumnailY"},
        {IDC_THUMB_W, K::Edit, "Thumbnail width:", "photoboothThumnailW"},
        {IDC_THUMB_X_SPACING, K::Edit, "Horizontal spacing:", "photoboothThumnailXSpacing"},
        {IDC_THUMB_Y_SPACING, K::Edit, "Vertical spacing:", "photoboothThumnailYSpacing"},
        {-1, K::Label,
         "All values are in screen pixels. A negative left or top offset is measured from the right or bottom of "
         "the screen."},
        {IDC_THUMB_SHOW_AT_END, K::Check, "Display thumbnails on processing and printing confirmed screens",
         "photoboothThumnailShowAtEnd"},
        {IDOK, K::DefButton, "OK"},
        {IDCANCEL, K::Button, "Cancel"}}});
}

}  // namespace

CThumbnailSettingsDlg::CThumbnailSettingsDlg(CWnd* parent) : CDialog(IDD_THUMBNAIL_SETTINGS, parent) {
  RegisterTemplate();
}

void CThumbnailSettingsDlg::DoDataExchange(CDataExchange* dx) {
  DDX_Check(dx, IDC_THUMB_ENABLE, m_bPhotoboothThumnailEnable);
  DDX_Text(dx, IDC_THUMB_X, m_nPhotoboothThumnailX);
  DDX_Text(dx, IDC_THUMB_Y, m_nPhotoboothThumnailY);
  DDX_Text(dx, IDC_THUMB_W, m_nPhotoboothThumnailW);
  DDX_Text(dx, IDC_THUMB_X_SPACING, m_nPhotoboothThumnailXSpacing);
  DDX_Text(dx, IDC_THUMB_Y_SPACING, m_nPhotoboothThumnailYSpacing);
  DDX_Check(dx, IDC_THUMB_SHOW_AT_END, m_bPhotoboothThumnailShowAtEnd);
}

BOOL CThumbnailSettingsDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  UpdateEnabling();
  return TRUE;
}

void CThumbnailSettingsDlg::UpdateEnabling() {
  bool on = IsDlgButtonChecked(IDC_THUMB_ENABLE) == BST_CHECKED;
  for (int id : {IDC_THUMB_X, IDC_THUMB_Y, IDC_THUMB_W, IDC_THUMB_X_SPACING, IDC_THUMB_Y_SPACING, IDC_THUMB_SHOW_AT_END})
    EnableControl(this, id, on);
}

BOOL CThumbnailSettingsDlg::OnCommand(WPARAM wParam, LPARAM lParam) {
  if (LOWORD(wParam) == IDC_THUMB_ENABLE && HIWORD(wParam) == BN_CLICKED) {
    UpdateEnabling();
    return TRUE;
  }
  return CDialog::OnCommand(wParam, lParam);
}
