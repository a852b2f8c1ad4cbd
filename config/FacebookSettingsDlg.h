// CFacebookSettingsDlg: album, picture size, rotation, crop, time-out and upload log of Facebook uploads.
#pragma once

#include "config/OutputSettingsBlocks.h"
#include "platform/mfc/dialog.h"

#define IDD_FACEBOOK_SETTINGS 234
#define IDC_FB_ALBUM 1300
#define IDC_FB_ALBUM_DESC 1301
#define IDC_FB_COMMENT 1302
#define IDC_FB_MAX_WIDTH 1303
#define IDC_FB_MAX_HEIGHT 1304
#define IDC_FB_ROTATION 1127
#define IDC_FB_TIMEOUT 1395

class CFacebookSettingsDlg : public CDialog {
 public:
  explicit CFacebookSettingsDlg(CWnd* parent = nullptr);

  CString m_strPhotoboothFbAlbum, m_strPhotoboothFbAlbumDesc, m_strPhotoboothFbComment;
  int m_nPhotoboothFbMaxWidth = 500, m_nPhotoboothFbMaxHeight = 500;
  int m_nPhotoboothFbRotate = -1;
  BOOL m_bPhotoboothFbCrop = FALSE;
  int m_nPhotoboothFbCropX = 0, m_nPhotoboothFbCropY = 0, m_nPhotoboothFbCropW = 0, m_nPhotoboothFbCropH = 0;
  int m_nFacebookUploadTimeout = 30;
  BOOL m_bPhotoboothLogFacebookAddresses = FALSE;
  CString m_strPhotoboothLogFacebookPathname;

 protected:
  BOOL OnInitDialog() override;
  void DoDataExchange(CDataExchange* dx) override;
  BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
  void OnOK() override;

 private:
  int m_nRotationIndex = 0;
};
