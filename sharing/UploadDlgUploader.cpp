// The Facebook and Twitter kinds of the sharing screen: start the uploader, then follow its
// window title on the close timer until it succeeds, fails or falls silent.
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <ctime>

#include "platform/user/window.h"
#include "platform/win32/error.h"
#include "platform/win32/folders.h"
#include "platform/win32/handle.h"
#include "platform/win32/process.h"
#include "sharing/EmailTransport.h"
#include "sharing/UploadDlg.h"
#include "sharing/Uploader.h"

namespace {

LONGLONG NowSeconds() { return static_cast<LONGLONG>(std::time(nullptr)); }

int ErrnoOfLaunch(DWORD error) {
  switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND: return ENOENT;
    case ERROR_NOT_ENOUGH_MEMORY: return ENOMEM;
    default: return 0;
  }
}

}  // namespace

LONGLONG (*CUploadDlg::s_pfnNowSeconds)() = NowSeconds;

void CUploadDlg::ShareToUploader(bool facebook, const CString& file) {
  const UploaderShareSettings& settings = facebook ? m_share.facebook : m_share.twitter;
  CString folder = m_strProgramFolder.IsEmpty() ? CString(GetProgramFolder().c_str()) : m_strProgramFolder;
  if (!folder.IsEmpty() && folder[folder.GetLength() - 1] != '/') folder += "/";
  UploaderLaunch launch;
  launch.facebook = facebook;
  launch.program = folder + (facebook ? "Albapost" : "Ciripost");
  launch.user = m_share.userName;
  launch.password = m_share.password;
  launch.file = file;
  launch.firstText = settings.text;
  if (facebook) launch.message = m_share.sharingMessage;
  CRect window(0, 0, 0, 0);
  if (m_hWnd) ::GetWindowRect(m_hWnd, &window);
  launch.left = window.left;
  launch.top = window.top;
  launch.width = std::min(settings.windowWidth, window.Width());
  launch.height = std::min(settings.windowHeight, window.Height());
  std::vector<std::string> arguments = BuildUploaderArguments(launch);

  int error = 0;
  if (::access(launch.program, F_OK) != 0) {
    error = ENOENT;
  } else if (::access(launch.program, X_OK) != 0) {
    error = ENOEXEC;
  } else if (HANDLE process = StartProcess(arguments)) {
    m_nUploaderProcessId = GetProcessId(process);
    CloseHandle(process);
  } else {
    error = ErrnoOfLaunch(GetLastError());
    if (!error) error = -1;
  }
  if (error) {
    SetMessageText(UploaderLaunchError(error, arguments));
    DrawStatus(ImagePath(facebook ? "fb_error.jpg" : "twitter_error.jpg"), true);
    ArmCloseTimer(5000);
    return;
  }
  m_nTitleTime = 0;
  m_strLastWindowTitle.Empty();
  // The watch runs on the UI thread from the timer; it reads these flags there.
  if (facebook) m_bFacebookRunning = true;
  else m_bTwitterRunning = true;
  ArmCloseTimer(100);
}

void CUploadDlg::WatchUploader() {
  const bool facebook = m_bFacebookRunning;
  const UploaderShareSettings& settings = facebook ? m_share.facebook : m_share.twitter;
  const char* prefix = facebook ? kFacebookUploaderPrefix : kTwitterUploaderPrefix;
  auto picture = [&](const char* facebookKey, const char* twitterKey) {
    DrawStatus(ImagePath(CString(facebook ? facebookKey : twitterKey) + ".jpg"), true);
  };
  CString title;
  HWND uploader = FindWindowByTitle(prefix, m_nUploaderProcessId, &title);
  LONGLONG now = s_pfnNowSeconds();
  bool ended = false, success = false;
  if (!uploader) {
    if (m_nTitleTime == 0) {
      m_nTitleTime = now;
    } else if (now > m_nTitleTime + settings.timeoutSeconds) {
      picture("fb_timeout", "twitter_timeout");
      ended = true;
    }
  } else if (title != m_strLastWindowTitle) {
    m_strLastWindowTitle = title;
    m_nTitleTime = now;
  } else if (now > m_nTitleTime + settings.timeoutSeconds) {
    picture("fb_timeout", "twitter_timeout");
    ended = true;
  } else {
    CString errorText;
    switch (ReadUploaderTitle(title, facebook, &errorText)) {
      case UploaderTitleWord::Success:
        picture("fb_success", "twitter_success");
        ended = success = true;
        break;
      case UploaderTitleWord::Uploading:
        picture("fb_upload", "twitter_upload");
        break;
      case UploaderTitleWord::LoggingIn:
        picture("fb_login", "twitter_login");
        ::SetWindowPos(uploader, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
        break;
      case UploaderTitleWord::LoginFailed:
        picture("fb_login_failure", "twitter_login_failure");
        ended = true;
        break;
      case UploaderTitleWord::Cancelled:
        picture("fb_login_failure", "twitter_cancel");
        ended = true;
        break;
      case UploaderTitleWord::Error:
        SetMessageText(errorText);
        picture("fb_error", "twitter_error");
        ended = true;
        break;
      case UploaderTitleWord::None:
        break;
    }
  }
  if (!ended) return;
  const CString& logPath = settings.logPath;
  if (settings.logEnabled && !logPath.IsEmpty())
    AppendShareLog(logPath, UploaderLogLine(std::time(nullptr), facebook, m_share.userName, success, m_share.photoPath));
  // Posted: an uploader that hangs must not hang the booth with it.
  if (uploader) ::PostMessageA(uploader, WM_CLOSE, 0, 0);
  m_bFacebookRunning = m_bTwitterRunning = false;
  KillTimer(TIMER_UPLOAD_CLOSE);
  SetTimer(TIMER_UPLOAD_CLOSE, std::max<UINT>(1, static_cast<UINT>(3000 * m_timeScale)));
  m_nArmedCloseMs = 3000;
}
