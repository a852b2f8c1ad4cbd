// Ctrl+G over the booth: the green-screen settings, whose live values key the live picture
// while they are open.
#include "app/MyQuilletView.h"
#include "app/Resource.h"
#include "config/GreenscreenSettingsDlg.h"
#include "photobooth/FullscreenDlg.h"
#include "platform/user/messagebox.h"

void CFullscreenDlg::OnGreenScreenValue(UINT message, WPARAM wParam, LPARAM lParam) {
  CMyQuilletView* view = m_pView;
  // Values still queued when the dialog has ended would undo its result.
  if (!view || !m_bGreenScreenSettingsOpen) return;
  switch (message) {
    case WM_GREENSCREEN_THRESHOLD:
      view->m_nGreenScreenGreenThreshold = static_cast<WORD>(wParam);
      break;
    case WM_GREENSCREEN_RED:
      view->m_nGreenScreenRedPercentage = static_cast<WORD>(wParam);
      break;
    case WM_GREENSCREEN_THIRD:
      view->m_nGreenScreenBluePercentage = static_cast<WORD>(wParam);
      break;
    case WM_GREENSCREEN_FLAGS:
      view->m_bBlueScreen = lParam != 0;
      if ((wParam != 0) != (view->m_bGreenScreenEnable != FALSE)) {
        view->m_bGreenScreenEnable = wParam != 0;
        ResolveGreenScreenPaths(1);
      }
      break;
    default:
      break;
  }
}

void CFullscreenDlg::OnGreenScreenSettings() {
  CMyQuilletView* view = m_pView;
  if (!view) return;
  if (!m_bPhotoboothMode) {
    view->OnMenuCommand(ID_DISPLAY_GRID);
    m_pPreviewBitmap.reset();
    m_bNoImage = false;
    OnFullscreenRefresh();
    return;
  }
  if (!IsReadyScreen() || m_bGreenScreenSettingsOpen) return;
  CString folder = view->m_strPhotoboothImagesDir;
  CString background = ResolveNumberedImage(folder + "/greenscreen_background.jpg", 1);
  if (background.IsEmpty()) {
    ::MessageBoxA(BoxOwner(),
                  "Error, can't find green screen background image in photo booth images folder:\n" + folder +
                      "\n\nPlease copy a green screen background image named greenscreen_background.jpg into the "
                      "photo booth images folder and try again",
                  "Tavorin", MB_ICONERROR);
    return;
  }
  const WORD threshold = view->m_nGreenScreenGreenThreshold, red = view->m_nGreenScreenRedPercentage,
             blue = view->m_nGreenScreenBluePercentage;
  const BOOL enable = view->m_bGreenScreenEnable, blueScreen = view->m_bBlueScreen;
  CGreenscreenSettingsDlg dialog(this, 1);
  dialog.m_nThreshold = threshold;
  dialog.m_nRedLevel = red;
  dialog.m_nThirdLevel = blue;
  dialog.m_bEnable = enable;
  dialog.m_bBlueScreen = blueScreen;
  dialog.m_strBackground = view->m_strGreenScreenBackgroundImage.IsEmpty() ? background
                                                                           : view->m_strGreenScreenBackgroundImage;
  dialog.m_bSaveCopy = view->m_bPhotoboothSaveGreenscreenedImage;
  m_bGreenScreenSettingsOpen = true;
  INT_PTR result = dialog.DoModal();
  m_bGreenScreenSettingsOpen = false;
  if (result == IDOK) {
    // The dialog's own values: a change in its last quarter second never reached the window.
    view->m_nGreenScreenGreenThreshold = static_cast<WORD>(dialog.m_nThreshold);
    view->m_nGreenScreenRedPercentage = static_cast<WORD>(dialog.m_nRedLevel);
    view->m_nGreenScreenBluePercentage = static_cast<WORD>(dialog.m_nThirdLevel);
    view->m_bGreenScreenEnable = dialog.m_bEnable;
    view->m_bBlueScreen = dialog.m_bBlueScreen;
    view->m_bPhotoboothSaveGreenscreenedImage = dialog.m_bSaveCopy;
    view->SaveSettings();
  } else {
    view->m_nGreenScreenGreenThreshold = threshold;
    view->m_nGreenScreenRedPercentage = red;
    view->m_nGreenScreenBluePercentage = blue;
    view->m_bGreenScreenEnable = enable;
    view->m_bBlueScreen = blueScreen;
  }
  ResolveGreenScreenPaths(1);
  if (m_hWnd) {
    SetFocus();
    Invalidate(FALSE);
  }
}
