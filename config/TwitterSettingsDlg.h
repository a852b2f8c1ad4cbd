// CTwitterSettingsDlg: comment, picture size, rotation, crop, time-out and upload log of Twitter posts.
#pragma once

#include "config/OutputSettingsBlocks.h"
#include "platform/mfc/dialog.h"

#define IDD_TWITTER_SETTINGS 260
#define IDC_TWITTER_COMMENT 1300
#define IDC_TWITTER_MAX_WIDTH 1303
#define IDC_TWITTER_MAX_HEIGHT 1304
#define IDC_TWITTER_ROTATION 1127
#define IDC_TWITTER_TIMEOUT 1395

class CTwitterSettingsDlg : public CDialog {
 public:
  explicit CTwitterSettingsDlg(CWnd* parent = nullptr);

  CString m_strPhotoboothTwitterComment;
  BOOL m_bPhotoboothTwitterCrop = FALSE;
  int m_nPhotoboothTwitterCropX = 0, m_nPhotoboothTwitterCropY = 0;
  int m_nPhotoboothTwitterCropW = 0, m_nPhotoboothTwitterCropH = 0;
  int m_nPhotoboothTwitterMaxWidth = 500, m_nPhotoboothTwitterMaxHeight = 500;
  int m_nPhotoboothTwitterRotate = 0;
  int m_nTwitterUploadTimeout = 30;
  BOOL m_bLogTwitterUploads = FALSE;
  CString m_strLogTwitterPathname;

 protected:
  BOOL OnInitDialog() override;
  void DoDataExchange(CDataExchange* dx) override;
  BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
  void OnOK() override;

 private:
  int m_nRotationIndex = 0;
};
