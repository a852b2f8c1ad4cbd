#include "sharing/EmailServerSettingsDlg.h"

#include "platform/mfc/ddx.h"
#include "platform/mfc/filedialog.h"
#include "platform/user/controls.h"
#include "platform/user/messagebox.h"
#include "platform/user/winmsg.h"
#include "platform/win32/folders.h"
#include "sharing/SharingResource.h"
#include "sharing/TestEmail.h"
#include "support/EmailAddress.h"
#include "support/PasswordScrambler.h"

namespace {

// Posted by the test thread: new lines wait in the shared log.
constexpr UINT WM_TEST_EMAIL_LINES = WM_APP + 236;

void RegisterTemplate() {
  using K = DlgItemKind;
  AfxRegisterDialogTemplate(
      {IDD_EMAIL_SERVER_SETTINGS,
       "Email Server Settings",
       {{IDC_ESS_HOST, K::Edit, "Host:", "PhotoboothEmailHost", 0, 0, "Server"},
        {IDC_ESS_PORT, K::Number, "Port:", "PhotoboothEmailPort", 0, 0, "Server"},
        {IDC_ESS_USERNAME, K::Edit, "Username:", "PhotoboothEmailUsername", 0, 0, "Server"},
        {IDC_ESS_PASSWORD, K::Password, "Password:", "PhotoboothEmailPassword", 0, 0, "Server"},
        {IDC_ESS_SSL, K::Check, "Use SSL for secure email", "PhotoboothEmailSSL", 0, 0, "Server"},
        {IDC_ESS_HIDE_PASSWORD, K::Check, "Hide password", nullptr, 0, 0, "Server"},
        {IDC_ESS_FROM, K::Edit, "Email Addr:", "PhotoboothEmailFrom", 0, 0, "Server"},
        {IDC_ESS_SEND_TEST, K::Button, "Send test email to:", nullptr, 0, 0, "Test"},
        {IDC_ESS_TEST_ADDRESS, K::Edit, "", nullptr, 0, 0, "Test"},
        {IDC_ESS_TEST_LOG, K::List, nullptr, nullptr, 0, 0, "Test"},
        {IDC_ESS_LOG_ENABLE, K::Check, "Log email addresses to file:", "PhotoboothLogEmailAddresses", 0, 0, "Log"},
        {IDC_ESS_LOG_PATH, K::Edit, "", "PhotoboothLogEmailPathname", 0, 0, "Log"},
        {IDC_ESS_LOG_BROWSE, K::Button, "...", nullptr, 0, 0, "Log"},
        {IDOK, K::DefButton, "OK"},
        {IDCANCEL, K::Button, "Cancel"}}});
}

}  // namespace

CEmailServerSettingsDlg::CEmailServerSettingsDlg(CWnd* parent) : CDialog(IDD_EMAIL_SERVER_SETTINGS, parent) {
  RegisterTemplate();
}

CEmailServerSettingsDlg::~CEmailServerSettingsDlg() { JoinTest(); }

void CEmailServerSettingsDlg::DoDataExchange(CDataExchange* dx) {
  DDX_Text(dx, IDC_ESS_HOST, m_host);
  DDX_Text(dx, IDC_ESS_PORT, m_port);
  DDX_Text(dx, IDC_ESS_USERNAME, m_user);
  DDX_Text(dx, IDC_ESS_PASSWORD, m_password);
  DDX_Check(dx, IDC_ESS_SSL, m_ssl);
  DDX_Check(dx, IDC_ESS_HIDE_PASSWORD, m_hidePassword);
  DDX_Text(dx, IDC_ESS_FROM, m_from);
  DDX_Text(dx, IDC_ESS_TEST_ADDRESS, m_testAddress);
  DDX_Check(dx, IDC_ESS_LOG_ENABLE, m_logEnable);
  DDX_Text(dx, IDC_ESS_LOG_PATH, m_logPath);
}

BOOL CEmailServerSettingsDlg::OnInitDialog() {
  m_password = UnscramblePassword(m_password);
  BOOL result = CDialog::OnInitDialog();
  SendDlgItemMessage(IDC_ESS_PASSWORD, EM_SETPASSWORDCHAR, m_hidePassword ? '*' : 0);
  UpdateLogControls();
  return result;
}

void CEmailServerSettingsDlg::UpdateLogControls() {
  BOOL on = IsDlgButtonChecked(IDC_ESS_LOG_ENABLE) ? TRUE : FALSE;
  GetDlgItem(IDC_ESS_LOG_PATH)->EnableWindow(on);
  GetDlgItem(IDC_ESS_LOG_BROWSE)->EnableWindow(on);
}

bool CEmailServerSettingsDlg::CheckFields() {
  if (!UpdateData(TRUE)) return false;
  auto refuse = [&](const char* text, int id) {
    ::MessageBoxA(m_hWnd, text, "Tavorin", MB_OK | MB_ICONERROR);
    GotoDlgCtrl(GetDlgItem(id));
    return false;
  };
  if (m_host.IsEmpty())
    return refuse("Please enter the name of your email host (e.g. smtp.example.com)", IDC_ESS_HOST);
  if (m_user.IsEmpty()) return refuse("Please enter the username", IDC_ESS_USERNAME);
  if (m_password.IsEmpty()) return refuse("Please enter the password", IDC_ESS_PASSWORD);
  if (m_from.IsEmpty()) return refuse("Please enter the email address", IDC_ESS_FROM);
  if (!IsValidEmailAddress(m_from)) return refuse("Please enter a valid email address", IDC_ESS_FROM);
  return true;
}

void CEmailServerSettingsDlg::OnOK() {
  if (!CheckFields()) return;
  JoinTest();
  m_password = ScramblePassword(m_password);
  EndDialog(IDOK);
}

void CEmailServerSettingsDlg::OnCancel() {
  JoinTest();
  CDialog::OnCancel();
}

bool CEmailServerSettingsDlg::IsTestRunning() const {
  if (!m_testLog) return false;
  std::lock_guard<std::mutex> guard(m_testLog->lock);
  return !m_testLog->finished;
}

void CEmailServerSettingsDlg::StartTest() {
  if (IsTestRunning() || !CheckFields()) return;
  if (m_testAddress.IsEmpty()) {
    ::MessageBoxA(m_hWnd, "Please enter the email address to send the test email to", "Tavorin", MB_OK | MB_ICONERROR);
    GotoDlgCtrl(GetDlgItem(IDC_ESS_TEST_ADDRESS));
    return;
  }
  if (!IsValidEmailAddress(m_testAddress)) {
    ::MessageBoxA(m_hWnd, "Please enter a valid email address to send the email to", "Tavorin", MB_OK | MB_ICONERROR);
    GotoDlgCtrl(GetDlgItem(IDC_ESS_TEST_ADDRESS));
    return;
  }
  JoinTest();
  SendDlgItemMessage(IDC_ESS_TEST_LOG, LB_RESETCONTENT);
  GetDlgItem(IDC_ESS_SEND_TEST)->EnableWindow(FALSE);

  // The thread gets its own copy of the settings and writes only into the shared log.
  TestEmailSettings settings;
  settings.host = m_host;
  settings.port = m_port;
  settings.ssl = m_ssl != 0;
  settings.user = m_user;
  settings.password = m_password;
  settings.from = m_from;
  settings.to = m_testAddress;
  settings.imagePath = m_testImagePath;
  auto log = std::make_shared<TestLog>();
  m_testLog = log;
  HWND window = m_hWnd;
  m_testThread = std::thread([settings, log, window]() mutable {
    settings.cancel = &log->stop;
    SendTestEmail(settings, [&](const CString& line) {
      {
        std::lock_guard<std::mutex> guard(log->lock);
        log->lines.push_back(line);
      }
      ::PostMessageA(window, WM_TEST_EMAIL_LINES, 0, 0);
    });
    {
      std::lock_guard<std::mutex> guard(log->lock);
      log->finished = true;
    }
    ::PostMessageA(window, WM_TEST_EMAIL_LINES, 0, 0);
  });
}

void CEmailServerSettingsDlg::DrainTestLog() {
  if (!m_testLog || !m_hWnd) return;
  std::vector<CString> lines;
  bool finished;
  {
    std::lock_guard<std::mutex> guard(m_testLog->lock);
    lines.swap(m_testLog->lines);
    finished = m_testLog->finished;
  }
  for (const CString& line : lines) {
    LRESULT index = SendDlgItemMessage(IDC_ESS_TEST_LOG, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.GetString()));
    SendDlgItemMessage(IDC_ESS_TEST_LOG, LB_SETCURSEL, static_cast<WPARAM>(index));
  }
  if (finished) GetDlgItem(IDC_ESS_SEND_TEST)->EnableWindow(TRUE);
}

void CEmailServerSettingsDlg::JoinTest() {
  // Never wait for the server: the thread is told to stop and ends within about a second.
  if (m_testLog) m_testLog->stop = true;
  if (m_testThread.joinable()) m_testThread.join();
  DrainTestLog();
}

BOOL CEmailServerSettingsDlg::OnCommand(WPARAM wParam, LPARAM lParam) {
  switch (LOWORD(wParam)) {
    case IDC_ESS_HIDE_PASSWORD: {
      SendDlgItemMessage(IDC_ESS_PASSWORD, EM_SETPASSWORDCHAR, IsDlgButtonChecked(IDC_ESS_HIDE_PASSWORD) ? '*' : 0);
      GetDlgItem(IDC_ESS_PASSWORD)->Invalidate();
      return TRUE;
    }
    case IDC_ESS_LOG_ENABLE:
      UpdateLogControls();
      return TRUE;
    case IDC_ESS_LOG_BROWSE: {
      CString path;
      GetDlgItemText(IDC_ESS_LOG_PATH, path);
      CString folder;
      int slash = path.ReverseFind('/');
      if (slash > 0) {
        folder = path.Left(slash);
      } else {
        char documents[4096] = "";
        SHGetFolderPathA(nullptr, CSIDL_PERSONAL, nullptr, 0, documents);
        folder = documents;
      }
      CFileDialog dialog(FALSE, "csv", path, OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, "CSV files (*.csv)|*.csv||",
                         this);
      dialog.m_ofn.lpstrTitle = "Email log file";
      dialog.m_ofn.lpstrInitialDir = folder;
      if (dialog.DoModal() == IDOK) SetDlgItemText(IDC_ESS_LOG_PATH, dialog.GetPathName());
      return TRUE;
    }
    case IDC_ESS_SEND_TEST:
      StartTest();
      return TRUE;
    default:
      return CDialog::OnCommand(wParam, lParam);
  }
}

BOOL CEmailServerSettingsDlg::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
  if (message == WM_TEST_EMAIL_LINES) {
    DrainTestLog();
    return TRUE;
  }
  if (message == WM_DESTROY) JoinTest();
  return CDialog::OnWndMsg(message, wParam, lParam, result);
}
