#include "config/CopyJpegOutputSettings.h"

#include "platform/mfc/ddx.h"
#include "platform/user/controls.h"

namespace {

void RegisterTemplate() {
  using K = DlgItemKind;
  AfxRegisterDialogTemplate(
      {IDD_COPY_JPEG_SETTINGS,
       "Copy JPEG Settings",
       {{IDC_COPY_ENABLE, K::Check, "Copy JPEG copy of printed output to folder", "photoboothCopyJpegPrint"},
        {IDC_COPY_FOLDER, K::Edit, "Folder:", "photoboothCopyJpegPrintDir"},
        {IDC_COPY_BROWSE, K::Button, "..."},
        {IDC_OUTPUT_CROP, K::Check, "Crop image before copying (settings in pixels):", "photoboothCopyJpegPrintCrop"},
        {IDC_OUTPUT_CROP_LEFT, K::Edit, "Left:", "photoboothCopyJpegPrintCropX"},
        {IDC_OUTPUT_CROP_TOP, K::Edit, "Top:", "photoboothCopyJpegPrintCropY"},
        {IDC_OUTPUT_CROP_WIDTH, K::Edit, "Width:", "photoboothCopyJpegPrintCropW"},
        {IDC_OUTPUT_CROP_HEIGHT, K::Edit, "Height:", "photoboothCopyJpegPrintCropH"},
        {IDC_COPY_RESIZE, K::Check, "Resize image before copying (settings in pixels):", "photoboothCopyJpegPrintResize"},
        {IDC_COPY_RESIZE_W, K::Edit, "Width:", "photoboothCopyJpegPrintResizeW"},
        {IDC_COPY_RESIZE_H, K::Edit, "Height:", "photoboothCopyJpegPrintResizeH"},
        {IDC_COPY_ROTATION, K::Combo, "Image rotation:", "photoboothCopyJpegPrintRotate"},
        {IDOK, K::DefButton, "OK"},
        {IDCANCEL, K::Button, "Cancel"}}});
}

void Exchange(CDataExchange* dx, int id, int& value) {
  DDX_Text(dx, id, value);
  DDV_MinMaxInt(dx, value, 0, 10000);
}

}  // namespace

CCopyJpegOutputSettings::CCopyJpegOutputSettings(CWnd* parent) : CDialog(IDD_COPY_JPEG_SETTINGS, parent) {
  RegisterTemplate();
}

void CCopyJpegOutputSettings::DoDataExchange(CDataExchange* dx) {
  DDX_Check(dx, IDC_COPY_ENABLE, m_bPhotoboothCopyJpegPrint);
  DDX_Text(dx, IDC_COPY_FOLDER, m_strPhotoboothCopyJpegPrintDir);
  DDX_Check(dx, IDC_OUTPUT_CROP, m_bPhotoboothCopyJpegPrintCrop);
  Exchange(dx, IDC_OUTPUT_CROP_LEFT, m_nPhotoboothCopyJpegPrintCropX);
  Exchange(dx, IDC_OUTPUT_CROP_TOP, m_nPhotoboothCopyJpegPrintCropY);
  Exchange(dx, IDC_OUTPUT_CROP_WIDTH, m_nPhotoboothCopyJpegPrintCropW);
  Exchange(dx, IDC_OUTPUT_CROP_HEIGHT, m_nPhotoboothCopyJpegPrintCropH);
  DDX_Check(dx, IDC_COPY_RESIZE, m_bPhotoboothCopyJpegPrintResize);
  Exchange(dx, IDC_COPY_RESIZE_W, m_nPhotoboothCopyJpegPrintResizeW);
  Exchange(dx, IDC_COPY_RESIZE_H, m_nPhotoboothCopyJpegPrintResizeH);
  DDX_CBIndex(dx, IDC_COPY_ROTATION, m_nRotationIndex);
}

BOOL CCopyJpegOutputSettings::OnInitDialog() {
  FillRotationList(this, IDC_COPY_ROTATION, false);
  m_nRotationIndex = RotationToIndex(m_nPhotoboothCopyJpegPrintRotate, false);
  CDialog::OnInitDialog();
  UpdateEnabling();
  return TRUE;
}

void CCopyJpegOutputSettings::UpdateEnabling() {
  bool copy = IsDlgButtonChecked(IDC_COPY_ENABLE) == BST_CHECKED;
  for (int id : {IDC_COPY_FOLDER, IDC_COPY_BROWSE, IDC_OUTPUT_CROP, IDC_COPY_RESIZE, IDC_COPY_ROTATION})
    EnableControl(this, id, copy);
  EnableCropBlock(this, copy);
  bool resize = copy && IsDlgButtonChecked(IDC_COPY_RESIZE) == BST_CHECKED;
  EnableControl(this, IDC_COPY_RESIZE_W, resize);
  EnableControl(this, IDC_COPY_RESIZE_H, resize);
}

void CCopyJpegOutputSettings::OnOK() {
  if (!UpdateData(TRUE)) return;
  m_nPhotoboothCopyJpegPrintRotate = IndexToRotation(m_nRotationIndex);
  EndDialog(IDOK);
}

BOOL CCopyJpegOutputSettings::OnCommand(WPARAM wParam, LPARAM lParam) {
  int id = LOWORD(wParam);
  if (HIWORD(wParam) == BN_CLICKED) {
    if (id == IDC_COPY_ENABLE || id == IDC_OUTPUT_CROP || id == IDC_COPY_RESIZE) {
      UpdateEnabling();
      return TRUE;
    }
    if (id == IDC_COPY_BROWSE) {
      ChooseFolderInto(this, IDC_COPY_FOLDER, "Select folder");
      return TRUE;
    }
  }
  return CDialog::OnCommand(wParam, lParam);
}
