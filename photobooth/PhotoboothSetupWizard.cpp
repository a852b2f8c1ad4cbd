#include "photobooth/PhotoboothSetupWizard.h"

#include <cstring>

#include "app/DataFiles.h"
#include "app/MyQuilletView.h"
#include "app/Resource.h"
#include "camera/CameraNaming.h"
#include "photobooth/FolderPropPage.h"
#include "photobooth/SetupWizardGenerator.h"
#include "photobooth/TransparentOverlayDlg.h"
#include "photobooth/UiPropPage.h"
#include "platform/mfc/afxwin.h"
#include "platform/user/messagebox.h"
#include "printlayout/PrinterPropPage.h"

namespace {

LOGFONTA ArialOf(int tenthsOfPoint) {
  LOGFONTA font{};
  CFont made;
  if (made.CreatePointFont(tenthsOfPoint, "Arial") && made.GetLogFont(&font) == sizeof(LOGFONTA)) return font;
  font = LOGFONTA{};
  font.lfHeight = -(tenthsOfPoint * 96 / 720);  // points at 96 dpi
  font.lfWeight = 400;
  std::strncpy(font.lfFaceName, "Arial", sizeof(font.lfFaceName) - 1);
  return font;
}

// The size of the screen the booth will fill: the countdown overlay's client area.
void DisplaySize(CWnd* parent, int& width, int& height) {
  CTransparentOverlayDlg overlay(parent);
  CRect client;
  overlay.GetClientRect(&client);
  width = client.Width();
  height = client.Height();
  overlay.DestroyWindow();
  if (width <= 0 || height <= 0) {
    width = 1024;
    height = 768;
  }
}

}  // namespace

bool RunPhotoboothSetupWizard(CMyQuilletView& view) {
  CPrinterPropPage printerPage;
  printerPage.m_printerSetup = [&view](CWnd* parent) { view.OnPhotoboothPrinterSetup(parent); };
  CFolderPropPage folderPage;
  CUiPropPage uiPage;
  uiPage.m_b3to2 = view.m_bPhotobooth3to2Crop;
  CPropertySheet sheet("Photobooth Setup Wizard", &view);
  sheet.AddPage(&printerPage);
  sheet.AddPage(&folderPage);
  sheet.AddPage(&uiPage);
  sheet.SetWizardMode();
  if (sheet.DoModal() != ID_WIZFINISH) return false;

  SetupWizardOptions options;
  options.layout = printerPage.m_nPresetCode;
  options.touchscreen = uiPage.m_bTouchscreen;
  options.colourChoice = uiPage.m_bColourChoice;
  options.previewPhotos = uiPage.m_bPreview;
  options.confirmPrinting = uiPage.m_bConfirmPrinting;
  options.background = uiPage.m_bBackground;
  options.email = uiPage.m_bEmail;
  options.facebook = uiPage.m_bFacebook;
  options.thumbnails = uiPage.m_bThumbnails;
  options.threeToTwo = uiPage.m_b3to2;
  options.printInSharing = uiPage.m_bPrintInSharing;
  options.twitter = uiPage.m_bTwitter;
  options.mms = uiPage.m_bMms;
  options.inactivityTimeout = uiPage.m_nInactivityTimeout;

  bool made = false;
  {
    CWaitCursor wait;
    int width = 0, height = 0;
    DisplaySize(&view, width, height);
    CSetupWizardGenerator generator(width, height, ArialOf(280), ArialOf(160));
    CString buttons = FindDataFile("PhotoboothImages/buttons");
    generator.m_strButtonDir = buttons.IsEmpty() ? CString() : buttons + "/";
    // The saver shows its own error box; a second one for the same failure would only repeat it.
    bool saverReported = false;
    generator.m_saveSettings = [&view, &saverReported](const CString& path, ViewSettings&) {
      if (view.SavePhotoboothSettings(path, true)) return true;
      saverReported = true;
      return false;
    };
    made = generator.Generate(options, folderPage.m_strFolder, view);
    if (!made && !saverReported) ::MessageBoxA(view.m_hWnd, generator.m_strError, "Tavorin", MB_OK | MB_ICONERROR);
  }
  if (!made) return false;
  // The booth window takes its screens from here.
  view.m_strPhotoboothImagesDir = folderPage.m_strFolder;

  CameraViewSettings naming;
  naming.directory = view.m_strDirectory;
  naming.year = view.m_bYear;
  naming.month = view.m_bMonth;
  naming.day = view.m_bDay;
  naming.flattenDate = view.m_bFlattenDate;
  CString photos = GetImageDirectory(naming);
  while (photos.GetLength() > 1 && photos[photos.GetLength() - 1] == '/') photos = photos.Left(photos.GetLength() - 1);
  CString done = CString("All done. The photo booth images folder where screen and layout images are stored is:\n") +
                 folderPage.m_strFolder + "\n\nPhotos taken today will be saved in:\n" + photos +
                 "\n\nPlease select \"Photobooth Settings...\" from the File menu if you wish to edit the settings.";
  ::MessageBoxA(view.m_hWnd, done, "Tavorin", MB_OK | MB_ICONINFORMATION);

  if (options.email && (view.m_strPhotoboothEmailHost.IsEmpty() || view.m_strPhotoboothEmailUsername.IsEmpty() ||
                        view.m_strPhotoboothEmailPassword.IsEmpty())) {
    if (::MessageBoxA(view.m_hWnd,
                      "The email server settings have not been setup. Do you wish to set them up now?\n\n(They can be "
                      "setup later by selecting File->Email Server Settings... if you wish to do this later).",
                      "Tavorin", MB_YESNO | MB_ICONQUESTION) == IDYES) {
      view.OnSharingCommand(ID_EMAIL_SERVER_SETTINGS);
    }
  }
  return true;
}
