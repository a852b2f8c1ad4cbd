// The photobooth's quick commands of the main view: the colour and copies keys the booth
// windows send while a session waits, the form's shortcut buttons and reprinting.
#include "app/MyQuilletView.h"
#include "app/Resource.h"
#include "photobooth/BoothCommands.h"
#include "photobooth/FullscreenDlg.h"
#include "platform/mfc/waitcursor.h"
#include "platform/user/messagebox.h"

namespace {

// Command ids of Ctrl+1 ... Ctrl+9, in copies order.
const UINT kCopiesCommands[] = {ID_PHOTOBOOTH_COPIES_1, ID_PHOTOBOOTH_COPIES_2, ID_PHOTOBOOTH_COPIES_3,
                                ID_PHOTOBOOTH_COPIES_4, ID_PHOTOBOOTH_COPIES_5, ID_PHOTOBOOTH_COPIES_6,
                                ID_PHOTOBOOTH_COPIES_7, ID_PHOTOBOOTH_COPIES_8, ID_PHOTOBOOTH_COPIES_9};

int Clamp(int value, int low, int high) { return value < low ? low : (value > high ? high : value); }

// Reprint runs the loaded photos through the processing worker as a reprint: no confirm or
// sharing screen for photos that were already shown.
bool StartProcessingIfReady(CMyQuilletView* view) { return view->StartPhotoboothProcessingIfReady(true); }

}  // namespace

bool CMyQuilletView::OnPhotoboothKeyCommand(UINT id) {
  int copies = 0;
  for (int i = 0; i < 9; ++i)
    if (id == kCopiesCommands[i]) copies = i + 1;
  bool colour = id == ID_PHOTOBOOTH_BLACKWHITE_OUTPUT || id == ID_PHOTOBOOTH_COLOUR_OUTPUT;
  bool step = id == ID_PHOTOBOOTH_COPIES_UP || id == ID_PHOTOBOOTH_COPIES_DOWN;
  if (!copies && !colour && !step) return false;
  // Only while a session waits: a change during a countdown would split the prints of one guest.
  if (!m_pCamera || m_bBusy || !m_bPhotoboothActive || m_nShotsLeft >= 0) return true;
  CFullscreenDlg* booth = BoothWindow();
  if (colour) {
    m_nPhotoboothBW = id == ID_PHOTOBOOTH_BLACKWHITE_OUTPUT ? 1 : 0;
    if (booth) booth->UpdateStatus();
    return true;
  }
  if (copies) m_nPhotoboothPrintCopies = copies;
  else if (id == ID_PHOTOBOOTH_COPIES_DOWN) m_nPhotoboothPrintCopies = Clamp(m_nPhotoboothPrintCopies - 1, 1, 9);
  else m_nPhotoboothPrintCopies = Clamp(m_nPhotoboothPrintCopies + 1, 1, 9);
  if (booth) booth->DrawCopiesText();
  return true;
}

void CMyQuilletView::OnPhotoboothToggleStandby() {
  if (m_bBusy || m_nShotsLeft >= 0) return;
  if (CFullscreenDlg* booth = BoothWindow()) booth->ToggleWelcomeReady();
}

bool CMyQuilletView::IsReadyScreen() const {
  CFullscreenDlg* booth = BoothWindow();
  return booth && booth->IsReadyScreen();
}

void CMyQuilletView::OnPhotoboothShortcuts() {
  m_bPhotoboothShowDashboard = !m_bPhotoboothShowDashboard;
  UpdateControls();
  LayoutOptionButtons();
  RefreshDisplay();
}

bool CMyQuilletView::OnPhotoboothShortcutCommand(UINT id) {
  switch (id) {
    case ID_START_PHOTOBOOTH:
    case IDC_START_PHOTOBOOTH:
      OnStartPhotobooth();
      return true;
    case ID_REPRINT_PHOTOS:
      OnPrintImages();
      return true;
    case IDC_REPRINT_PHOTOBOOTH_PHOTOS:
      OnPrintSelectedPhotos();
      return true;
    case IDC_PHOTOBOOTH_EDIT_QR_CODE:
      return OnSharingCommand(ID_EDIT_QR_CODE);
    case ID_PHOTOBOOTH_SHORTCUTS:
      OnPhotoboothShortcuts();
      return true;
    case ID_PHOTOBOOTH_TOGGLE_STANDBY:
      OnPhotoboothToggleStandby();
      return true;
    default:
      return OnPhotoboothKeyCommand(id);
  }
}

void CMyQuilletView::OnPrintImages() {
  const int loaded = static_cast<int>(m_images.size());
  if (loaded < m_nNumberOfPhotoboothImages) {
    CString text;
    text.Format("Not enough images to print: %d loaded, %d required", loaded, m_nNumberOfPhotoboothImages);
    ::MessageBoxA(m_hWnd, text, "Tavorin", MB_ICONERROR);
    return;
  }
  CWaitCursor wait;
  SetStatusText("Printing images...");
  const int saved = m_nPhotoboothSaveJpegCopyOfPrints;
  if (saved < 0 || saved == 3) m_nPhotoboothSaveJpegCopyOfPrints = 0;
  else if (saved == 2) m_nPhotoboothSaveJpegCopyOfPrints = 1;
  bool ran = (m_pfnStartProcessing ? m_pfnStartProcessing : StartProcessingIfReady)(this);
  m_nPhotoboothSaveJpegCopyOfPrints = saved;
  if (ran) SetStatusText("Finished printing");
  else if (!m_bPhotoboothActive)
    SetStatusText("Nothing was printed: photos can be reprinted only while the photobooth runs");
  else
    SetStatusText("Nothing was printed: the photobooth is busy with a session");
}
