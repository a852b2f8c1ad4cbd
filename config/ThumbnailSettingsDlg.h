// CThumbnailSettingsDlg: where the photobooth shows thumbnails of the photos taken so far.
#pragma once

#include "platform/mfc/dialog.h"

#define IDD_THUMBNAIL_SETTINGS 250
#define IDC_THUMB_ENABLE 1147
#define IDC_THUMB_X 1362
#define IDC_THUMB_Y 1363
#define IDC_THUMB_W 1252
#define IDC_THUMB_X_SPACING 1365
#define IDC_THUMB_Y_SPACING 1366
#define IDC_THUMB_SHOW_AT_END 1149

class CThumbnailSettingsDlg : public CDialog {
 public:
  explicit CThumbnailSettingsDlg(CWnd* parent = nullptr);

  BOOL m_bPhotoboothThumnailEnable = FALSE;
  int m_nPhotoboothThumnailX = 0, m_nPhotoboothThumnailY = 0, m_nPhotoboothThumnailW = 0;
  int m_nPhotoboothThumnailXSpacing = 0, m_nPhotoboothThumnailYSpacing = 0;
  BOOL m_bPhotoboothThumnailShowAtEnd = FALSE;

 protected:
  BOOL OnInitDialog() override;
  void DoDataExchange(CDataExchange* dx) override;
  BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;

 private:
  void UpdateEnabling();
};
