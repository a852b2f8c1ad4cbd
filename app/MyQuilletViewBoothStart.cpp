// The photobooth start command: the readiness checks and warnings, then the booth window run
// modally until the operator leaves photobooth mode.
#include "app/MyQuilletView.h"
#include "app/Resource.h"
#include "photobooth/FullscreenDlg.h"
#include "platform/user/messagebox.h"
#include "platform/win32/files.h"
#include "platform/win32/find.h"
#include "platform/win32/handle.h"
#include "sharing/MmsTransport.h"
#include "support/EmailAddress.h"
#include "support/ProgramGlobals.h"

namespace {

bool IsFolder(const CString& path) {
  DWORD attributes = GetFileAttributesA(path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// The names in the folder that carry a doubled extension, one per line.
CString MisnamedFiles(const CString& folder) {
  CString list;
  WIN32_FIND_DATAA found{};
  HANDLE find = FindFirstFileA(folder + "*.*", &found);
  if (find == INVALID_HANDLE_VALUE) return list;
  do {
    CString name = found.cFileName;
    CString lower = name;
    lower.MakeLower();
    for (const char* doubled : {".jpg.jpg", ".wav.wav", ".png.png", ".mov.mov"})
      if (lower.GetLength() >= 8 && lower.Right(8) == doubled) list += "\n" + name;
  } while (FindNextFileA(find, &found));
  FindClose(find);
  return list;
}

}  // namespace

CString CMyQuilletView::PhotoboothFolderWithSlash() const {
  CString folder = m_strPhotoboothImageDir;
  if (folder.GetLength() > 0 && folder[folder.GetLength() - 1] != '/') folder += "/";
  return folder;
}

CString CMyQuilletView::MissingScreenImages(const CString& folder) const {
  static const struct {
    const char* file;
    const char* line;
  } screens[] = {{"ready.jpg", "\nready.jpg - displayed when the photobooth is ready"},
                 {"taking.jpg", "\ntaking.jpg - displayed just before taking each shot"},
                 {"processing.jpg", "\nprocessing.jpg - displayed while preparing images for printing"}};
  CString missing;
  for (const auto& screen : screens)
    if (!PathFileExistsA(folder + screen.file)) missing += screen.line;
  for (int n = 1; n <= m_nNumberOfPhotoboothImages; ++n) {
    CString name;
    name.Format("%d.jpg", n);
    if (PathFileExistsA(folder + name)) continue;
    CString line;
    line.Format(" - displayed during countdown before taking photo %d", n);
    missing += "\n" + name + line;
  }
  return missing;
}

CString CMyQuilletView::SharingWarnings() const {
  CString text;
  if (m_bPhotoboothEmail) {
    CString email;
    if (m_strPhotoboothEmailHost.IsEmpty()) email += "WARNING: email host is not defined\n";
    if (m_strPhotoboothEmailUsername.IsEmpty()) email += "WARNING: email username is not defined\n";
    if (m_strPhotoboothEmailPassword.IsEmpty()) email += "WARNING: email password is not defined\n";
    if (!IsValidEmailAddress(m_strPhotoboothEmailFrom)) email += "WARNING: 'From:' email address is not valid\n";
    if (m_bPhotoboothEmailOfflineMode && !m_bPhotoboothLogEmailAddresses)
      email +=
          "Email address logging needs to be enabled in \"Email Server Settings\" when email offline mode is "
          "selected\n";
    if (!email.IsEmpty())
      text += email +
              "\nEmailing of photos will be disabled. Select \"Email Server Settings...\" from the File menu to "
              "enter the email server settings";
  }
  // The upload page and the shortener have no default: without them the first guest's MMS fails.
  if (m_bEnableMMS && m_nMmsMsgType != 1) {
    MmsShareSettings services;
    ReadMmsServiceAddresses(services);
    CString mms;
    if (services.uploadBaseUrl.IsEmpty())
      mms += "WARNING: the MMS image upload address is not defined (registry value \"MmsUploadBaseUrl\")\n";
    if (services.shortenerBaseUrl.IsEmpty())
      mms +=
          "WARNING: the link shortener address is not defined (registry value \"MmsShortenerBaseUrl\"), so text "
          "messages carry the full link\n";
    if (!services.uploadBaseUrl.IsEmpty())
      mms.TrimRight('\n');
    else
      mms +=
          "\nSending photos by MMS or SMS will fail until the image upload address is set (see \"MMS and SMS "
          "sharing\" in the README)";
    if (!mms.IsEmpty()) {
      if (!text.IsEmpty()) text += "\n\n";
      text += mms;
    }
  }
  bool sharing = m_bPhotoboothEmail || m_bPhotoboothFbUpload || m_bEnableTwitter || m_bEnableMMS;
  bool jpegCopies = m_nPhotoboothSaveJpegCopyOfPrints == 1 || m_nPhotoboothSaveJpegCopyOfPrints == 2;
  if (sharing && !jpegCopies) {
    if (!text.IsEmpty()) text += "\n\n";
    text +=
        "WARNING: photos can only be shared is the photobooth output setting is set to save JPEG copies of the "
        "printed output";
  }
  return text;
}

void CMyQuilletView::OnStartPhotobooth() {
  const bool unattended = m_bUnattendedPhotoboothStart;
  m_bUnattendedPhotoboothStart = false;
  if (!m_pCamera) {
    ::MessageBoxA(m_hWnd, "Please connect to the camera before\nselecting photobooth shooting", "Tavrin",
                  MB_ICONEXCLAMATION);
    return;
  }
  if (m_nAutoBracket) {
    ::MessageBoxA(m_hWnd, "Auto-bracketing is not supported for photobooth shooting.", "Tavrin", MB_ICONEXCLAMATION);
    return;
  }
  if (m_nStoreImage == 2) {
    ::MessageBoxA(m_hWnd,
                  "The 'Save to Camera only' option cannot be used for photobooth shooting.\nPlease select a "
                  "different option from the Camera menu.",
                  "Tavrin", MB_ICONEXCLAMATION);
    return;
  }
  if (m_pFullscreenDlg) return;
  CString sizeQuality;
  if (m_cbSizeQuality.m_hWnd && m_cbSizeQuality.GetCurSel() >= 0)
    m_cbSizeQuality.GetLBText(m_cbSizeQuality.GetCurSel(), sizeQuality);
  sizeQuality.MakeLower();
  if (sizeQuality.Find("raw") >= 0) {
    ::MessageBoxA(m_hWnd,
                  "Shooting in raw mode is not supported for photobooth shooting.\nPlease select a JPEG image "
                  "size/quality.",
                  "Tavorin", MB_ICONEXCLAMATION);
    return;
  }
  const CString folder = PhotoboothFolderWithSlash();
  if (folder.IsEmpty() || !IsFolder(folder)) {
    ::MessageBoxA(m_hWnd, "ERROR: Photobooth images directory not found:\n" + folder, "Tavorin", MB_ICONERROR);
    return;
  }
  CString missing = MissingScreenImages(folder);
  if (!missing.IsEmpty()) {
    CString text = "WARNING: The following screen images are missing from the photobooth\nimages folder (" + folder +
                   "):" + missing + "\n\nDo you wish to continue anyway?";
    if (::MessageBoxA(m_hWnd, text, "Tavorin", MB_YESNO | MB_ICONEXCLAMATION) != IDYES) return;
  } else {
    CString misnamed = MisnamedFiles(folder);
    if (!misnamed.IsEmpty()) {
      CString text = "WARNING: The following images are incorrectly named and may cause problems:" + misnamed +
                     "\n\nDo you wish to continue anyway?";
      if (::MessageBoxA(m_hWnd, text, "Tavorin", MB_YESNO | MB_ICONEXCLAMATION) != IDYES) return;
    }
  }
  if (m_bEnablePrinterColourManagement) {
    CString reasons;
    if (g_strCameraProfile.IsEmpty()) reasons += "\nCamera color profile isn't defined";
    else if (!PathFileExistsA(g_strCameraProfile)) reasons += "\nCamera color profile not found:\n" + g_strCameraProfile;
    if (m_strPrinterProfile.IsEmpty()) reasons += "\nPrinter color profile isn't defined\n";
    else if (!PathFileExistsA(m_strPrinterProfile)) reasons += "\nPrinter color profile not found:\n" + m_strPrinterProfile;
    if (!reasons.IsEmpty()) {
      CString text = "WARNING: Printer color management is disabled because:" + reasons +
                     "\n\nPlease change the settings in File->Color Management Settings... to use color management "
                     "when printing\n\nDo you wish to continue anyway?";
      if (::MessageBoxA(m_hWnd, text, "Tavorin", MB_YESNO | MB_ICONEXCLAMATION) != IDYES) return;
    }
  }
  // Nobody may be at the screen after an automatic start: the sharing notes go to the status bar.
  CString sharing = SharingWarnings();
  if (!sharing.IsEmpty()) {
    if (unattended) {
      CString line = sharing;
      line.Replace("\n\n", " ");
      line.Replace("\n", " ");
      SetStatusText(line);
    } else if (::MessageBoxA(m_hWnd, sharing + "\n\nDo you wish to continue anyway?", "Tavorin",
                             MB_YESNO | MB_ICONEXCLAMATION) != IDYES) {
      return;
    }
  }
  RunPhotoboothWindow(folder);
}

void CMyQuilletView::RunPhotoboothWindow(const CString& folder) {
  CString overlay = folder + "live_view_overlay.png";
  m_bLiveViewOverlay = PathFileExistsA(overlay) != FALSE;
  m_strLiveViewOverlay = m_bLiveViewOverlay ? overlay : CString();

  SelectPhotoboothProfile(m_nPhotoboothCurrentProfile);
  m_bPhotoboothActive = true;
  m_bClickerPressed = false;

  auto* window = new CFullscreenDlg(this, 1);
  m_pFullscreenDlg = window;
  m_bFullScreen = true;
  window->m_strCountdownText.Empty();
  window->m_strReadyScreen = folder + "ready.jpg";

  if (m_bLiveViewfinder) {
    m_bLiveViewfinder = false;
    if (m_pCamera && m_bViewfinderRunning) EnableViewfinder(false);
  }
  if (m_bPhotoboothEnableLiveView && m_pCamera) {
    if (EnableViewfinder(true)) m_bLiveViewfinder = true;
    window->m_bLiveView = true;
  }

  window->DoModal();

  m_bLiveViewfinder = false;
  if (m_pCamera && m_bViewfinderRunning) EnableViewfinder(false);
  m_pFullscreenDlg = nullptr;
  m_bFullScreen = false;
  delete window;
  m_bPhotoboothActive = false;
  if (m_nShotsLeft > 0) {
    m_nShotsLeft = -1;
    SetStatusText("Photobooth shooting sequence aborted");
  }
  RefreshDisplay();
}

void CMyQuilletView::PostStartPhotoboothAfterConnect() {
  m_bUnattendedPhotoboothStart = true;
  PostMessage(WM_COMMAND, ID_START_PHOTOBOOTH, 0);
}
