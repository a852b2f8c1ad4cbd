// CCopyJpegOutputSettings: where and how a JPEG copy of each print is copied.
#pragma once

#include "config/OutputSettingsBlocks.h"
#include "platform/mfc/dialog.h"

#define IDD_COPY_JPEG_SETTINGS 262
#define IDC_COPY_ENABLE 1282
#define IDC_COPY_FOLDER 1283
#define IDC_COPY_BROWSE 1003
#define IDC_COPY_RESIZE 1098
#define IDC_COPY_RESIZE_W 1101
#define IDC_COPY_RESIZE_H 1102
#define IDC_COPY_ROTATION 1129

class CCopyJpegOutputSettings : public CDialog {
 public:
  explicit CCopyJpegOutputSettings(CWnd* parent = nullptr);

  BOOL m_bPhotoboothCopyJpegPrint = FALSE;
  CString m_strPhotoboothCopyJpegPrintDir;
  BOOL m_bPhotoboothCopyJpegPrintCrop = FALSE;
  int m_nPhotoboothCopyJpegPrintCropX = 0, m_nPhotoboothCopyJpegPrintCropY = 0;
  int m_nPhotoboothCopyJpegPrintCropW = 0, m_nPhotoboothCopyJpegPrintCropH = 0;
  BOOL m_bPhotoboothCopyJpegPrintResize = FALSE;
  int m_nPhotoboothCopyJpegPrintResizeW = 0, m_nPhotoboothCopyJpegPrintResizeH = 0;
  int m_nPhotoboothCopyJpegPrintRotate = 0;

 protected:
  BOOL OnInitDialog() override;
  void DoDataExchange(CDataExchange* dx) override;
  BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
  void OnOK() override;

 private:
  void UpdateEnabling();
  int m_nRotationIndex = 0;
};
