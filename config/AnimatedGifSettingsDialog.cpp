#include "config/AnimatedGifSettingsDialog.h"

#include "config/OutputSettingsBlocks.h"
#include "platform/mfc/ddx.h"
#include "platform/user/controls.h"

namespace {

void RegisterTemplate() {
  using K = DlgItemKind;
  AfxRegisterDialogTemplate(
      {IDD_ANIMATED_GIF_SETTINGS,
       "Animated GIF Settings",
       {{IDC_GIF_LOOPING, K::Check, "Play GIF in a continuous loop", "photoboothGifLoopingPlayback"},
        {IDC_GIF_PING_PONG, K::Check, "\"Ping-pong\" forwards/backwards display (aka \"boomerang\" GIFs)",
         "photoboothGifPingPongPlayback"},
        {IDC_GIF_TITLE_DELAY, K::Edit, "Title display time (1/100 sec):", "photoboothGifTitleDelay"},
        {IDC_GIF_IMAGE_DELAY, K::Edit, "Image interval (1/100 sec):", "photoboothGifImageDelay"},
        {IDC_GIF_PHOTO_WIDTH, K::Edit, "Photo width (pixels):", "photoboothGifWidth"},
        {IDC_GIF_TITLE_AT_END, K::Check, "Display title at end of the animation", "photoboothGifTitleAtEnd"},
        {IDC_GIF_SIZE_W, K::Edit, "GIF width (0=use photo width):", "photoboothGifSizeW"},
        {IDC_GIF_SIZE_H, K::Edit, "GIF height (0=use photo height):", "photoboothGifSizeH"},
        {IDC_GIF_OFFSET_X, K::Edit, "Photo left offset:", "photoboothGifOffsetX"},
        {IDC_GIF_OFFSET_Y, K::Edit, "Photo top offset:", "photoboothGifOffsetY"},
        {IDC_GIF_OVERLAYS, K::Edit, "Backgrounds/overlays per photo:", "photoboothGifOverlaysPerPhoto"},
        {IDC_GIF_FRAME_COPIES, K::Check, "Create PNG copies of GIF frames in 'GIF_frames' subfolder"},
        {IDC_GIF_DITHER, K::Check, "Dither GIFs to give better color (but reduced detail)", "DitherGIFs"},
        {IDC_GIF_IN_PRINTS, K::Check, "Save GIF in 'prints' subfolder"},
        {IDC_GIF_MP4, K::Check, "Create MP4 copy of the animated GIF", "photoboothGifCreateMP4"},
        {IDC_GIF_MP4_DURATION, K::Edit, "Minimum duration (secs):", "photoboothMP4MinDuration"},
        {IDC_GIF_MP4_FOLDER, K::Combo, "Save MP4 in:", "photoboothGifMP4Subfolder"},
        {IDOK, K::DefButton, "OK"},
        {IDCANCEL, K::Button, "Cancel"}}});
}

}  // namespace

CAnimatedGifSettingsDialog::CAnimatedGifSettingsDialog(CWnd* parent) : CDialog(IDD_ANIMATED_GIF_SETTINGS, parent) {
  RegisterTemplate();
}

void CAnimatedGifSettingsDialog::DoDataExchange(CDataExchange* dx) {
  DDX_Check(dx, IDC_GIF_LOOPING, m_bPhotoboothGifLoopingPlayback);
  DDX_Check(dx, IDC_GIF_PING_PONG, m_bPhotoboothGifPingPongPlayback);
  DDX_Text(dx, IDC_GIF_TITLE_DELAY, m_nPhotoboothGifTitleDelay);
  DDV_MinMaxInt(dx, m_nPhotoboothGifTitleDelay, 1, 1000);
  DDX_Text(dx, IDC_GIF_IMAGE_DELAY, m_nPhotoboothGifImageDelay);
  DDV_MinMaxInt(dx, m_nPhotoboothGifImageDelay, 1, 1000);
  DDX_Text(dx, IDC_GIF_PHOTO_WIDTH, m_nPhotoboothGifWidth);
  DDV_MinMaxInt(dx, m_nPhotoboothGifWidth, 10, 10000);
  DDX_Check(dx, IDC_GIF_TITLE_AT_END, m_bPhotoboothGifTitleAtEnd);
  DDX_Text(dx, IDC_GIF_SIZE_W, m_nPhotoboothGifSizeW);
  DDV_MinMaxInt(dx, m_nPhotoboothGifSizeW, 0, 5000);
  DDX_Text(dx, IDC_GIF_SIZE_H, m_nPhotoboothGifSizeH);
  DDV_MinMaxInt(dx, m_nPhotoboothGifSizeH, 0, 5000);
  DDX_Text(dx, IDC_GIF_OFFSET_X, m_nPhotoboothGifOffsetX);
  DDX_Text(dx, IDC_GIF_OFFSET_Y, m_nPhotoboothGifOffsetY);
  DDX_Text(dx, IDC_GIF_OVERLAYS, m_nPhotoboothGifOverlaysPerPhoto);
  DDV_MinMaxInt(dx, m_nPhotoboothGifOverlaysPerPhoto, 1, 100);
  DDX_Check(dx, IDC_GIF_FRAME_COPIES, m_bGifFrameCopies);
  DDX_Check(dx, IDC_GIF_DITHER, m_bDitherGIFs);
  DDX_Check(dx, IDC_GIF_IN_PRINTS, m_bGifInPrints);
  DDX_Check(dx, IDC_GIF_MP4, m_bPhotoboothGifCreateMP4);
  DDX_Text(dx, IDC_GIF_MP4_DURATION, m_nPhotoboothMP4MinDuration);
  DDV_MinMaxInt(dx, m_nPhotoboothMP4MinDuration, 0, 500);
  DDX_CBIndex(dx, IDC_GIF_MP4_FOLDER, m_nPhotoboothGifMP4Subfolder);
}

BOOL CAnimatedGifSettingsDialog::OnInitDialog() {
  for (const char* text : {"same folder as GIF", "'MP4' subfolder", "'prints' subfolder"})
    SendDlgItemMessage(IDC_GIF_MP4_FOLDER, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
  CDialog::OnInitDialog();
  UpdateEnabling();
  return TRUE;
}

void CAnimatedGifSettingsDialog::UpdateEnabling() {
  bool mp4 = IsDlgButtonChecked(IDC_GIF_MP4) == BST_CHECKED;
  EnableControl(this, IDC_GIF_MP4_DURATION, mp4);
  EnableControl(this, IDC_GIF_MP4_FOLDER, mp4);
}

BOOL CAnimatedGifSettingsDialog::OnCommand(WPARAM wParam, LPARAM lParam) {
  if (LOWORD(wParam) == IDC_GIF_MP4 && HIWORD(wParam) == BN_CLICKED) {
    UpdateEnabling();
    return TRUE;
  }
  return CDialog::OnCommand(wParam, lParam);
}
