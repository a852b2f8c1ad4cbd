// After a photobooth session: the processing worker started under the modal progress window,
// the two reprint paths and their worker threads.
#include <stdexcept>

#include "app/MyQuilletView.h"
#include "app/ProgressDlg2.h"
#include "app/ViewMessages.h"
#include "camera/CameraNaming.h"
#include "photobooth/FullscreenDlg.h"
#include "photobooth/PhotoboothProcessingWorker.h"
#include "platform/gdi/wingdi.h"
#include "platform/mfc/winthread.h"
#include "platform/user/message.h"
#include "platform/user/messagebox.h"
#include "platform/win32/files.h"
#include "platform/win32/objbase.h"
#include "platform/win32/sync.h"
#include "platform/winspool/printdc.h"
#include "support/PipSession.h"
#include "support/ProgramGlobals.h"

namespace {

UINT ProcessThreadProc(LPVOID parameter) {
  CoInitialize(nullptr);
  static_cast<PhotoboothProcessingWorker*>(parameter)->Run();
  CoUninitialize();
  return 0;
}

UINT ReprintThreadProc(LPVOID parameter) {
  CoInitialize(nullptr);
  static_cast<CMyQuilletView*>(parameter)->ReprintPhotoboothImages();
  CoUninitialize();
  return 0;
}

bool FileExists(const CString& path) {
  DWORD attributes = GetFileAttributesA(path);
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

struct PrintError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

}  // namespace

void CMyQuilletView::BuildPhotoboothTokens(const Exif* first, CMapStringToString& tokens, CString& imageFolder) {
  if (m_pCamera) {
    UpdateCameraViewSettings();
    m_pCamera->BuildFileNameTokens(first, tokens);
    imageFolder = m_pCamera->ExpandFileName(first);
    return;
  }
  CCamera temporary(this);
  m_pCamera = &temporary;
  UpdateCameraViewSettings();
  m_pCamera = nullptr;
  temporary.BuildFileNameTokens(first, tokens);
  // Where the view saves today's photos: the dated folders when they are on.
  imageFolder = GetImageDirectory(temporary.GetViewSettings());
}

namespace {

// Where the progress window stands over a booth window: in the lower area, clear of the screen's
// content, whose message line reaches down to three fifths of the window. -1 without a booth.
int LowerAreaOfBooth(CMyQuilletView& view) {
  CFullscreenDlg* booth = view.BoothWindow();
  if (!booth || !booth->m_hWnd) return -1;
  RECT client{};
  ::GetClientRect(booth->m_hWnd, &client);
  POINT origin{0, 0};
  ::ClientToScreen(booth->m_hWnd, &origin);
  const int height = client.bottom - client.top;
  if (height <= 0) return -1;
  const int content = height * 3 / 5;
  return origin.y + content + (height - content) * 2 / 5;
}

// Runs the thread while the progress window is up, then serves the UI until the thread has
// ended: a window closed early must not leave a worker sending to a view that goes away.
void RunUnderProgress(CMyQuilletView& view, AFX_THREADPROC proc, LPVOID parameter) {
  if (!view.m_pProgressDlg2) view.m_pProgressDlg2 = new CProgressDlg2(&view);
  CProgressDlg2& progress = *view.m_pProgressDlg2;
  progress.ResetFinished();
  progress.m_strTitle = "Tavorin";
  progress.m_strText = "Processing images";
  progress.m_nVerticalPos = LowerAreaOfBooth(view);
  progress.m_bVisible = view.m_bPhotoboothShowProgress != FALSE;
  progress.m_bShowBar = view.m_bPhotoboothShowProgress != FALSE;
  view.m_bProcessingProgressEnded = false;
  CWinThread* thread = AfxBeginThread(proc, parameter, THREAD_PRIORITY_NORMAL, 0, CREATE_SUSPENDED);
  if (!thread) {
    PhotoboothProcessingWorker::ReportPrintError(view.m_hWnd, "");
    return;
  }
  thread->m_bAutoDelete = FALSE;
  thread->ResumeThread();
  progress.DoModal();
  view.m_bProcessingProgressEnded = true;
  while (WaitForSingleObject(thread->m_hThread, 10) == WAIT_TIMEOUT) PumpWaitingMessages();
  delete thread;
}

void ShowProcessingScreen(CMyQuilletView& view, bool reprint) {
  CFullscreenDlg* booth = view.BoothWindow();
  if (!booth || view.m_nPreviewTicks.load() >= 1) return;
  booth->SetCountdownText("");
  CString screen = view.m_strPhotoboothImagesDir + "/processing.jpg";
  CString reprinting = view.m_strPhotoboothImagesDir + "/reprinting.jpg";
  if (reprint && FileExists(reprinting)) screen = reprinting;
  booth->ShowScreen(screen, 1);
}

void BoothBackToStart(CMyQuilletView& view, bool returnToStart) {
  CFullscreenDlg* booth = view.BoothWindow();
  if (!booth) return;
  if (returnToStart) booth->ReturnToStart();
  booth->SetWindowPos(&CWnd::wndTop, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  booth->SetFocus();
}

}  // namespace

void CMyQuilletView::StartPhotoboothProcessing() {
  if (!HasSessionPhotos()) return;
  m_bProcessingUnderWay = true;
  ShowProcessingScreen(*this, m_bReprint);
  {
    PhotoboothProcessingWorker worker(*this, m_bReprint);
    RunUnderProgress(*this, ProcessThreadProc, &worker);
  }
  m_bProcessingUnderWay = false;
  BoothBackToStart(*this, !m_bHoldResult);
}

bool CMyQuilletView::StartPhotoboothProcessingIfReady(bool reprint) {
  if (m_bBusy || !m_bPhotoboothActive || m_nShotsLeft >= 0 || m_bProcessingUnderWay) return false;
  if (!HasSessionPhotos()) return false;
  m_bReprint = reprint;
  StartPhotoboothProcessing();
  m_bReprint = false;
  return true;
}

void CMyQuilletView::StartReprint() {
  const int output = m_nPhotoboothSaveJpegCopyOfPrints;
  if (output == 2 || output == 3) return;
  if (output == 1 && !m_strLastPrintPath.IsEmpty()) {
    if (m_bBusy || m_nShotsLeft >= 0 || m_bProcessingUnderWay) return;
    CFullscreenDlg* booth = BoothWindow();
    if (booth && !booth->IsReadyScreen()) return;
    if (FileExists(m_strLastPrintPath)) {
      m_bProcessingUnderWay = true;  // the fast reprint is processing too: no session may start
      ShowProcessingScreen(*this, true);
      RunUnderProgress(*this, ReprintThreadProc, this);
      m_bProcessingUnderWay = false;
      if (BoothWindow() && m_nPreviewTicks.load() < 1) BoothBackToStart(*this, true);
      return;
    }
  }
  StartPhotoboothProcessingIfReady(true);
}

void CMyQuilletView::ProcessPhotoboothImages() {
  PhotoboothProcessingWorker worker(*this, m_bReprint);
  worker.Run();
}

void CMyQuilletView::ReprintPhotoboothImages() {
  CProgressDlg2* progress = m_pProgressDlg2;
  const int copies = m_nPhotoboothPrintCopies;
  const CString path = m_strLastPrintPath;
  HDC printer = nullptr;
  auto send = [&](const char* text, int percent) {
    HWND window = progress ? progress->GetOpenWindow() : nullptr;
    if (!window) return;
    if (text) ::SendMessageA(window, WM_PROGRESS_TEXT, 0, reinterpret_cast<LPARAM>(text));
    if (percent >= 0) ::PostMessageA(window, WM_PROGRESS_POS, static_cast<WPARAM>(percent), 0);
  };
  try {
    while (progress && !progress->GetOpenWindow() && !m_bProcessingProgressEnded.load()) Sleep(100);
    PhotoboothProcessingWorker::PlaceProgressWindow(*this, progress);
    send("Preparing images for printing", -1);
    printer = CreateApplicationPrinterDC();  // the printer lock is held only while it reads the defaults
    if (!printer) throw PrintError("Unable to connect to printer to print images");
    PipSession image;
    if (!cLoadImage(image.m_hSession, path, 0, 0, 0)) {
      ::MessageBoxA(m_hWnd, "Error loading image for printing:\n" + path, "Tavorin", MB_OK | MB_ICONERROR);
    } else {
      send("Printing image...", 100);
      if (m_bEnablePrinterColourManagement) ApplyIccProfiles(image, g_strCameraProfile, m_strPrinterProfile, 0);
      if (!PhotoboothProcessingWorker::StartPrintJob(printer)) throw PrintError("Can't initialize printer");
      const int width = GetDeviceCaps(printer, HORZRES), height = GetDeviceCaps(printer, VERTRES);
      const bool wide = image.GetWidth() > image.GetHeight();
      if ((wide && height > width) || (!wide && image.GetHeight() > image.GetWidth() && width > height))
        image.Rotate(900, false);
      const int printed = PhotoboothProcessingWorker::PrintCopies(printer, image.m_hSession, width, height, copies);
      CString shortfall = PhotoboothProcessingWorker::PrintShortfall(printed, copies);
      if (!shortfall.IsEmpty()) throw PrintError(shortfall.GetString());
    }
  } catch (const PrintError& error) {
    PhotoboothProcessingWorker::ReportPrintError(m_hWnd, error.what());
  } catch (...) {
    PhotoboothProcessingWorker::ReportPrintError(m_hWnd, "");
  }
  if (printer) DeleteDC(printer);
  if (progress) progress->PostClose();
}
