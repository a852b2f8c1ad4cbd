// The main window's menu and accelerators and the commands that only flip a setting.
#include <initializer_list>

#include "app/AboutDlg.h"
#include "app/DataFiles.h"
#include "app/MainMenu.h"
#include "app/MyQuilletApp.h"
#include "app/MyQuilletView.h"
#include "app/Resource.h"
#include "photobooth/BoothCommands.h"
#include "camera/ViewfinderDlg.h"
#include "platform/user/menu.h"
#include "platform/user/messagebox.h"
#include "platform/win32/files.h"
#include "platform/win32/folders.h"
#include "platform/win32/handle.h"
#include "platform/win32/process.h"
#include "platform/win32/trace.h"

namespace {

// The build the upgrade page is asked about.
const char kBuildDate[] = "Dec 21 2016";

void OpenWithDesktop(const char* target) {
  HANDLE process = StartProcess({"xdg-open", target});
  if (process) CloseHandle(process);
  else TRACE("OpenWithDesktop() - cannot start xdg-open for %s\n", target);
}

void Check(HMENU menu, UINT id, bool on) { CheckMenuItem(menu, id, MF_BYCOMMAND | (on ? MF_CHECKED : MF_UNCHECKED)); }

void Enable(HMENU menu, UINT id, bool on) { EnableMenuItem(menu, id, MF_BYCOMMAND | (on ? MF_ENABLED : MF_GRAYED)); }

}  // namespace

void (*CMyQuilletView::s_pfnShellOpen)(const char* target) = OpenWithDesktop;

bool CMyQuilletView::OnMenuCommand(UINT id) {
  if (OnPhotoboothSettingsCommand(id) || OnPhotoboothShortcutCommand(id)) return true;
  if (id >= ID_ORIENTATION_LANDSCAPE && id <= ID_ORIENTATION_SENSOR) {
    m_nOrientationSetting = static_cast<int>(id - ID_ORIENTATION_LANDSCAPE);
    UpdateControls();
    RefreshDisplay();
    return true;
  }
  if ((id >= ID_VIEWFINDER_SCALE_1X && id <= ID_VIEWFINDER_SCALE_4X) || id == ID_VIEWFINDER_FILL_SCREEN) {
    m_nViewfinderScale = id == ID_VIEWFINDER_FILL_SCREEN ? 5 : static_cast<int>(id - ID_VIEWFINDER_SCALE_1X) + 1;
    if (m_pViewfinderDlg) m_pViewfinderDlg->SetScale(m_nViewfinderScale);
    UpdateControls();
    return true;
  }
  switch (id) {
    case ID_FULL_SCREEN:
      OnFullScreen();
      return true;
    case ID_PHOTOBOOTH_SHOT:
      OnPhotoboothShot();
      return true;
    case ID_PHOTOBOOTH_SHOT_FULLSCREEN:
      OnPhotoboothShotFullscreen();
      return true;
    case ID_PHOTOBOOTH_BW_START:
      OnPhotoboothColourStart(1);
      return true;
    case ID_PHOTOBOOTH_COLOUR_START:
      OnPhotoboothColourStart(0);
      return true;
    case ID_PREVIOUS_IMAGE:
      OnPreviousImage();
      return true;
    case ID_NEXT_IMAGE:
      OnNextImage();
      return true;
    case ID_DELETE_IMAGE:
      OnDeleteImage();
      return true;
    case ID_RENAME_IMAGE:
      OnRenameImage();
      return true;
    case ID_PRINT_SELECTED_PHOTOS:
      OnPrintSelectedPhotos();
      return true;
    case ID_EDIT_IMAGE:
      OnEditImage();
      return true;
    case ID_IMAGE_PREVIEW:
      OnImagePreview();
      return true;
    case ID_TIME_LAPSE:
      OnTimeLapse();
      return true;
    case ID_BLANK_SCREEN:
      m_bBlankScreenWhenTakingPhoto = !m_bBlankScreenWhenTakingPhoto;
      UpdateControls();
      return true;
    case ID_AUTO_RECONNECT:
      m_bAutoReconnect = !m_bAutoReconnect;
      UpdateControls();
      return true;
    case ID_AUTO_ROTATE:
      m_bLosslessAutoRotate = !m_bLosslessAutoRotate;
      UpdateControls();
      return true;
    case ID_DISPLAY_GRID:
      m_bDisplayGrid = !m_bDisplayGrid;
      UpdateControls();
      RefreshDisplay();
      return true;
    case ID_FLASHING_HIGHLIGHTS:
      m_bHighlightBlink = !m_bHighlightBlink;
      UpdateControls();
      RefreshDisplay();
      return true;
    case ID_HQ_SHARPENING:
      m_bSharpen = !m_bSharpen;
      UpdateControls();
      RefreshDisplay();
      return true;
    case ID_SAVE_PC_ONLY:
      OnSaveMode(1);
      return true;
    case ID_SAVE_CAMERA_AND_PC:
      OnSaveMode(3);
      return true;
    case ID_SAVE_CAMERA_ONLY:
      OnSaveMode(2);
      return true;
    case ID_REGISTER_STI:
    case ID_UNREGISTER_STI:
      OnStillImageRegistration(id == ID_REGISTER_STI);
      return true;
    case ID_HELP_CONTENTS: {
      CString help = FindHelpFile();
      if (help.IsEmpty()) TRACE("CMyQuilletView::OnMenuCommand() - no help file\n");
      else s_pfnShellOpen(help);
      return true;
    }
    case ID_CHECK_UPDATES: {
      CString build(kBuildDate);
      build.Remove(' ');
      s_pfnShellOpen(CString(kMakerWebSite) + "upgrade?id=x&build=" + build + "&product=tavorin");
      return true;
    }
    case ID_VISIT_WEBSITE:
      s_pfnShellOpen(kMakerWebSite);
      return true;
    case ID_APP_ABOUT:
      if (CMyQuilletApp* app = GetMyQuilletApp()) app->OnAppAbout();
      return true;
    case ID_FILE_PRINT_SETUP:
      if (CWinApp* app = AfxGetApp()) app->OnFilePrintSetup();
      return true;
    case ID_APP_EXIT:
      // Posted: the close destroys the frame and this view, which are still in this command.
      if (CWnd* main = AfxGetMainWnd()) main->PostMessage(WM_CLOSE);
      return true;
    default:
      return OnSettingsCommand(id) || OnSharingCommand(id);
  }
}

void CMyQuilletView::OnSaveMode(int mode) {
  m_nStoreImage = mode;
  UpdateControls();
  if (m_pCamera && m_pCamera->IsConnected()) m_pCamera->SetSaveMode(static_cast<DWORD>(mode));
}

void CMyQuilletView::OnStillImageRegistration(bool) {
  // There is no Still Image service to register with here, so creating it always fails.
  CWnd* frame = AfxGetMainWnd();
  ::MessageBoxA(frame ? frame->m_hWnd : nullptr, "Error accessing the Still Camera Interface", "Tavorin",
                MB_ICONERROR);
}

CString CMyQuilletView::FindHelpFile() { return FindDataFile("Tavorin.htm"); }

void CMyQuilletView::UpdateMenu() {
  CWnd* frame = GetTopLevelParent();
  if (!frame || !frame->m_hWnd) return;
  HMENU menu = frame->GetMenu();
  if (!menu) return;
  bool camera = m_pCamera != nullptr;

  ModifyMenuA(menu, ID_CONNECT_CAMERA, MF_BYCOMMAND | MF_STRING, ID_CONNECT_CAMERA,
              camera ? "Disconnect from Camera" : "Connect to Camera");

  Check(menu, ID_BLANK_SCREEN, m_bBlankScreenWhenTakingPhoto);
  Check(menu, ID_DISPLAY_GRID, m_bDisplayGrid);
  Check(menu, ID_FLASHING_HIGHLIGHTS, m_bHighlightBlink);
  Check(menu, ID_SAVE_PC_ONLY, m_nStoreImage == 1);
  Check(menu, ID_SAVE_CAMERA_ONLY, m_nStoreImage == 2);
  Check(menu, ID_SAVE_CAMERA_AND_PC, m_nStoreImage == 3);
  Check(menu, ID_LIVE_VIEWFINDER, m_bLiveViewfinder);
  Check(menu, ID_CAMERA_BEEP, m_bCameraBeep);
  for (int scale = 1; scale <= 4; ++scale) {
    Check(menu, ID_VIEWFINDER_SCALE_1X + scale - 1, m_nViewfinderScale == scale);
  }
  Check(menu, ID_VIEWFINDER_FILL_SCREEN, m_nViewfinderScale == 5);
  Check(menu, ID_VIEWFINDER_LCD, m_nViewfinderOutput == 1);
  Check(menu, ID_VIEWFINDER_VIDEO_OUT, m_nViewfinderOutput == 2);
  Check(menu, ID_VIEWFINDER_OFF, m_nViewfinderOutput == 3);
  for (int mode = 0; mode <= 4; ++mode) {
    Check(menu, ID_ORIENTATION_LANDSCAPE + mode, m_nOrientationSetting == mode);
  }
  Check(menu, ID_AUTO_ROTATE, m_bLosslessAutoRotate);
  Check(menu, ID_HQ_SHARPENING, m_bSharpen);
  Check(menu, ID_POST_PROCESSING, m_nPostProcessingEnable != 0);
  Check(menu, ID_AUTO_RECONNECT, m_bAutoReconnect);
  Check(menu, ID_MOTION_DETECTION, m_bMotionDetection);
  Check(menu, ID_PHOTOBOOTH_SHORTCUTS, m_bPhotoboothShowDashboard != FALSE);
  Enable(menu, ID_DELETE_IMAGE, HasCurrentImage());
  Enable(menu, ID_RENAME_IMAGE, HasCurrentImage());
  int count = static_cast<int>(m_images.size());
  bool browse = count > 1 || (count == 1 && !HasCurrentImage());
  Enable(menu, ID_PREVIOUS_IMAGE, browse);
  Enable(menu, ID_NEXT_IMAGE, browse);

  // Live view is refused (not greyed) by a camera without a viewfinder.
  bool viewfinder = camera && m_pCamera->HasViewfinder();
  EnableMenuItem(menu, ID_LIVE_VIEWFINDER, MF_BYCOMMAND | (viewfinder ? MF_ENABLED : MF_DISABLED));
  if (!camera) Enable(menu, ID_LIVE_VIEWFINDER, false);
  for (UINT id : {ID_CAMERA_BEEP, ID_VIEWFINDER_LCD, ID_VIEWFINDER_VIDEO_OUT, ID_VIEWFINDER_OFF, ID_SAVE_PC_ONLY,
                  ID_SAVE_CAMERA_AND_PC, ID_SAVE_CAMERA_ONLY, ID_RELEARN_CAMERA_SETTINGS, ID_MOTION_DETECTION, ID_TIME_LAPSE}) {
    Enable(menu, id, camera);
  }
}
