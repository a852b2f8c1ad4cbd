// The sharing screen's life: start, keyboard, the share worker, the close timer.
#include "sharing/UploadDlg.h"

#include <algorithm>
#include <chrono>
#include <cstring>

#include "keyboard/KeyboardDialog.h"
#include "keyboard/KeyboardLayout.h"
#include "platform/mfc/dlgtemplate.h"
#include "platform/user/cursor.h"
#include "platform/user/message.h"
#include "platform/user/window.h"
#include "platform/win32/files.h"
#include "platform/win32/sync.h"
#include "platform/win32/thread.h"
#include "printlayout/PrinterMargins.h"
#include "sharing/MmsTransport.h"
#include "support/PipSession.h"

namespace {

// Sent by another thread: wParam the sound flag, lParam the path (a const char*).
constexpr UINT WM_UPLOAD_DRAWSTATUS = WM_APP + 233;
// Posted by another thread: wParam the close timer's delay in ms.
constexpr UINT WM_UPLOAD_ARMCLOSE = WM_APP + 234;

void RegisterUploadTemplate() {
  static bool registered = false;
  if (registered) return;
  registered = true;
  DlgTemplate dialog{IDD_UPLOAD, "Morvane Systems Photobooth", {}, WS_POPUP | WS_VISIBLE};
  dialog.manualLayout = true;
  AfxRegisterDialogTemplate(dialog);
}

ULONGLONG TickCount() { return GetTickCount64(); }

int ToEdge(int extent) { return extent <= 20 ? 100000 : extent; }

}  // namespace

ULONGLONG (*CUploadDlg::s_pfnTickCount)() = TickCount;

CUploadDlg::CUploadDlg(CWnd* parent, int shareKind) : CDialog(IDD_UPLOAD, parent), m_nShareKind(shareKind) {
  RegisterUploadTemplate();
  ReadMmsServiceAddresses(m_share.mms);
}

CUploadDlg::~CUploadDlg() {
  if (m_loadThread.joinable()) m_loadThread.join();
  // A worker still running (the screen was ended from outside) may be waiting for this thread
  // to draw its status: serve it until it is done.
  while (m_bWorkerRunning) {
    PumpWaitingMessages();
    Sleep(5);
  }
  if (m_worker.joinable()) m_worker.join();
  if (!m_strTemporaryCopy.IsEmpty() && PathFileExistsA(m_strTemporaryCopy)) DeleteFileA(m_strTemporaryCopy);
}

CString CUploadDlg::ImagePath(const char* name) const {
  CString folder = m_share.imagesFolder;
  if (!folder.IsEmpty() && folder[folder.GetLength() - 1] == '/') folder = folder.Left(folder.GetLength() - 1);
  return folder + "/" + name;
}

CString CUploadDlg::StatusPath() const {
  std::lock_guard<std::mutex> hold(m_lock);
  return m_strStatusPath;
}

CString CUploadDlg::MessageText() const {
  std::lock_guard<std::mutex> hold(m_lock);
  return m_strMessage;
}

void CUploadDlg::SetMessageText(const CString& text) {
  std::lock_guard<std::mutex> hold(m_lock);
  m_strMessage = text;
}

bool CUploadDlg::HasPreview() const {
  std::lock_guard<std::mutex> hold(m_lock);
  return m_pPreview != nullptr;
}

BOOL CUploadDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  ShowWindow(SW_SHOWMAXIMIZED);
  m_hCursor = LoadCursor(AfxGetInstanceHandle(), MAKEINTRESOURCE(210));
  ::SetCursor(m_hCursor);
  SetFocus();

  const char* start = nullptr;
  switch (m_nShareKind) {
    case ShareFacebook:
      start = "fb_login.jpg";
      break;
    default:
      // Any kind but the four others shares by e-mail.
      start = m_share.email.offline ? "email_offline.jpg" : "email_photo.jpg";
      break;
    case ShareTwitter:
      start = "twitter_login.jpg";
      break;
    case ShareMms:
      start = m_share.mms.offline ? "mms_offline.jpg" : "mms.jpg";
      break;
    case SharePrint:
      m_bBusy = false;
      DrawStatus(ImagePath("share_printing.jpg"), true);
      StartWorker(&CUploadDlg::PrintPhoto);
      return FALSE;
  }
  if (start) {
    m_bPaintHold = true;
    m_bBusy = true;
    StartLoadThread();
    DrawStatus(ImagePath(start), true);
    PostMessage(WM_COMMAND, IDC_UPLOAD_SHARE);
  }
  return FALSE;
}

void CUploadDlg::StartLoadThread() {
  CRect client;
  GetClientRect(&client);
  int width = client.Width(), height = client.Height();
  m_loadThread = std::thread([this, width, height] { LoadPreviewImage(width, height); });
}

void CUploadDlg::LoadPreviewImage(int clientWidth, int clientHeight) {
  auto image = std::make_unique<PipSession>();
  if (cLoadImage(image->m_hSession, m_share.photoPath, 0, 0, 0)) {
    CropToPrinterMargins(*image);
    const SharedPhotoSettings& crop = m_share.image;
    if (crop.cropEnable) {
      long right = static_cast<long>(crop.cropX) + ToEdge(crop.cropWidth) - 1;
      long bottom = static_cast<long>(crop.cropY) + ToEdge(crop.cropHeight) - 1;
      cSetOpRectangle(image->m_hSession, crop.cropX, crop.cropY, static_cast<int>(std::min(right, 1000000L)),
                      static_cast<int>(std::min(bottom, 1000000L)), 0);
      cOpCrop(image->m_hSession);
    }
    int width = static_cast<int>(image->GetWidth()), height = static_cast<int>(image->GetHeight());
    int maxHeight = clientHeight / 2;
    if (clientWidth > 0 && maxHeight > 0 && (width > clientWidth || height > maxHeight))
      cOpResizeEx(image->m_hSession, clientWidth, maxHeight, PIP_RESAMPLE_HIGH, 1);
    int rotation = crop.rotation;
    if (rotation == 90 || rotation == 180 || rotation == 270) cOpRotateFine(image->m_hSession, rotation);
  } else {
    image.reset();
  }
  {
    std::lock_guard<std::mutex> hold(m_lock);
    m_pPreview = std::move(image);
  }
  PostMessage(WM_UPLOAD_PREVIEW_READY);
  m_bBusy = false;
}

BOOL CUploadDlg::OnCommand(WPARAM wParam, LPARAM lParam) {
  switch (LOWORD(wParam)) {
    case IDC_UPLOAD_SHARE:
      OnShare();
      return TRUE;
    case IDOK:
    case IDCANCEL:
      // The screen closes itself; a key must not end it under a running share.
      return TRUE;
    default:
      return CDialog::OnCommand(wParam, lParam);
  }
}

void CUploadDlg::OnShare() {
  if (m_worker.joinable()) return;
  m_bPaintHold = false;
  for (CString& field : m_share.userData) field.Empty();
  m_share.checkBoxes.clear();

  int keyboardType = KeyboardEmail;
  if (m_nShareKind == ShareFacebook) keyboardType = KeyboardFacebook;
  else if (m_nShareKind == ShareTwitter) keyboardType = KeyboardTwitter;
  else if (m_nShareKind == ShareMms) keyboardType = KeyboardMms;
  CKeyboardDialog keyboard(this, FALSE, keyboardType);
  keyboard.m_layoutFolder = m_share.imagesFolder;
  if (m_nShareKind == ShareFacebook) {
    keyboard.Field(0).m_text = m_share.userName;
    keyboard.Field(2).m_text = m_share.sharingMessage;
  }
  if (keyboard.DoModal() != IDOK) {
    EndWhenIdle(2);
    return;
  }
  if (m_nShareKind == ShareFacebook || m_nShareKind == ShareTwitter) {
    m_share.userName = keyboard.Field(0).m_text;
    m_share.password = keyboard.Field(1).m_text;
    m_share.sharingMessage = keyboard.Field(2).m_text;
  } else {
    m_share.recipient = keyboard.Field(0).m_text;
    m_share.sharingMessage = keyboard.Field(1).m_text;
  }
  for (int i = 0; i < 10; ++i) {
    m_share.userData[i] = keyboard.Field(i).m_text;
    if (keyboard.CheckBox(i).IsDefined()) m_share.checkBoxes.push_back(keyboard.CheckBox(i).m_value ? 1 : 0);
  }
  Invalidate(FALSE);
  StartWorker(&CUploadDlg::ShareWorker);
}

void CUploadDlg::StartWorker(void (CUploadDlg::*job)()) {
  m_bWorkerRunning = true;
  m_worker = std::thread([this, job] {
    (this->*job)();
    m_bWorkerRunning = false;
  });
}

void CUploadDlg::ShareWorker() {
  SetMessageText("");
  const CString photo = m_share.photoPath;
  CString file = photo, error;
  CString lower = photo.Right(4);
  lower.MakeLower();
  if (lower != ".gif") {
    CString copy = MakeTemporaryCopyPath(photo, -1);
    m_strTemporaryCopy = copy;
    error = PrepareSharedPhoto(photo, m_share.image, copy);
    file = copy;
  }
  if (error.IsEmpty() && !PathFileExistsA(file)) error = "Error: image file not found:\n" + file;
  if (!error.IsEmpty()) {
    // No transport runs: the kind's error picture with the text, and the screen still closes.
    const char* picture = m_nShareKind == ShareFacebook ? "fb_error.jpg"
                          : m_nShareKind == ShareTwitter ? "twitter_error.jpg"
                          : m_nShareKind == ShareMms     ? "mms_error.jpg"
                                                         : "email_error.jpg";
    SetMessageText(error);
    DrawStatus(ImagePath(picture), true);
    ArmCloseTimer(5000);
    return;
  }
  if (file == photo) m_strTemporaryCopy.Empty();
  switch (m_nShareKind) {
    case ShareFacebook:
      ShareToUploader(true, file);
      break;
    case ShareTwitter:
      ShareToUploader(false, file);
      break;
    case ShareMms:
      SendMms(file);
      break;
    default:
      SendEmail(file);
      break;
  }
}

void CUploadDlg::SendEmail(const CString& file) {
  EmailShareInput input;
  input.recipient = m_share.recipient;
  input.sharingMessage = m_share.sharingMessage;
  for (int i = 0; i < 10; ++i) input.userData[i] = m_share.userData[i];
  input.checkBoxes = m_share.checkBoxes;
  input.photoPath = m_share.photoPath;
  input.preparedFile = file;
  EmailShareResult result = ::SendEmail(m_share.email, input);
  SetMessageText(result.message);
  DrawStatus(ImagePath(result.picture), true);
  ArmCloseTimer(static_cast<UINT>(result.displayMs));
}

void CUploadDlg::ArmCloseTimer(UINT ms) {
  m_nArmedCloseMs = ms;
  if (m_hWnd) PostMessage(WM_UPLOAD_ARMCLOSE, ms);
}

void CUploadDlg::OnTimer(UINT_PTR id) {
  if (id != TIMER_UPLOAD_CLOSE) {
    CDialog::OnTimer(id);
    return;
  }
  if (m_bFacebookRunning || m_bTwitterRunning) {
    WatchUploader();
    return;
  }
  KillTimer(TIMER_UPLOAD_CLOSE);
  EndWhenIdle(1);
}

void CUploadDlg::EndWhenIdle(int result) {
  // The load thread only posts and stores; waiting for it cannot stall it.
  while (m_bBusy) Sleep(10);
  if (m_loadThread.joinable()) m_loadThread.join();
  EndDialog(result);
}

LRESULT CUploadDlg::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_UPLOAD_PREVIEW_READY: {
      CString path;
      {
        std::lock_guard<std::mutex> hold(m_lock);
        path = m_strStatusPath;
        m_strStatusPath.Empty();
      }
      DoDrawStatus(path, false);
      return 0;
    }
    case WM_UPLOAD_DRAWSTATUS:
      DoDrawStatus(reinterpret_cast<const char*>(lParam), wParam != 0);
      return 0;
    case WM_UPLOAD_ARMCLOSE: {
      UINT ms = static_cast<UINT>(wParam);
      SetTimer(TIMER_UPLOAD_CLOSE, std::max<UINT>(1, static_cast<UINT>(ms * m_timeScale)));
      Invalidate(FALSE);
      return 0;
    }
    default:
      break;
  }
  return CDialog::WindowProc(message, wParam, lParam);
}

BOOL CUploadDlg::OnEraseBkgnd(CDC*) { return TRUE; }

BOOL CUploadDlg::OnSetCursor(CWnd*, UINT, UINT) {
  ::SetCursor(m_hCursor);
  return TRUE;
}
