// CAnimatedGifSettingsDialog: how the photobooth's animated GIF (and its MP4 copy) is made.
#pragma once

#include "platform/mfc/dialog.h"

#define IDD_ANIMATED_GIF_SETTINGS 264
#define IDC_GIF_LOOPING 1417
#define IDC_GIF_PING_PONG 1418
#define IDC_GIF_TITLE_DELAY 1416
#define IDC_GIF_IMAGE_DELAY 1415
#define IDC_GIF_PHOTO_WIDTH 1419
#define IDC_GIF_TITLE_AT_END 1420
#define IDC_GIF_SIZE_W 1414
#define IDC_GIF_SIZE_H 1422
#define IDC_GIF_OFFSET_X 1423
#define IDC_GIF_OFFSET_Y 1424
#define IDC_GIF_OVERLAYS 1425
#define IDC_GIF_FRAME_COPIES 1421
#define IDC_GIF_DITHER 1426
#define IDC_GIF_IN_PRINTS 1427
#define IDC_GIF_MP4 1428
#define IDC_GIF_MP4_DURATION 1429
#define IDC_GIF_MP4_FOLDER 1438

class CAnimatedGifSettingsDialog : public CDialog {
 public:
  explicit CAnimatedGifSettingsDialog(CWnd* parent = nullptr);

  BOOL m_bPhotoboothGifLoopingPlayback = TRUE;
  BOOL m_bPhotoboothGifPingPongPlayback = FALSE;
  int m_nPhotoboothGifTitleDelay = 150;
  int m_nPhotoboothGifImageDelay = 75;
  int m_nPhotoboothGifWidth = 400;
  BOOL m_bPhotoboothGifTitleAtEnd = FALSE;
  int m_nPhotoboothGifSizeW = 0, m_nPhotoboothGifSizeH = 0;
  int m_nPhotoboothGifOffsetX = 0, m_nPhotoboothGifOffsetY = 0;
  int m_nPhotoboothGifOverlaysPerPhoto = 1;
  BOOL m_bGifFrameCopies = FALSE;
  BOOL m_bDitherGIFs = FALSE;
  BOOL m_bGifInPrints = FALSE;
  BOOL m_bPhotoboothGifCreateMP4 = FALSE;
  int m_nPhotoboothMP4MinDuration = 0;
  int m_nPhotoboothGifMP4Subfolder = 0;

 protected:
  BOOL OnInitDialog() override;
  void DoDataExchange(CDataExchange* dx) override;
  BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;

 private:
  void UpdateEnabling();
};
