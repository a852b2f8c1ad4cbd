// CEmailServerSettingsDlg: the SMTP settings every e-mail of the sharing station uses, with a
// test e-mail sent on a thread of its own while the dialog stays usable.
#pragma once

#include <atomic>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/mfc/afxwin.h"
#include "platform/mfc/dialog.h"

class CEmailServerSettingsDlg : public CDialog {
 public:
  explicit CEmailServerSettingsDlg(CWnd* parent = nullptr);
  ~CEmailServerSettingsDlg() override;

  CString m_host;
  int m_port = 587;
  CString m_user;
  CString m_password;  // scrambled on the way in and out
  int m_ssl = TRUE;
  int m_hidePassword = TRUE;
  CString m_from;
  CString m_testAddress;
  int m_logEnable = FALSE;
  CString m_logPath;
  CString m_testImagePath;  // the shipped email_test.jpg, set by the opener

  /// Whether a test e-mail is running (its button is disabled meanwhile).
  bool IsTestRunning() const;

 protected:
  BOOL OnInitDialog() override;
  void DoDataExchange(CDataExchange* dx) override;
  void OnOK() override;
  void OnCancel() override;
  BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
  BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;

 private:
  struct TestLog {
    std::mutex lock;
    std::vector<CString> lines;
    bool finished = false;
    std::atomic<bool> stop{false};  // the dialog is closing: the thread ends within a second
  };
  bool CheckFields();
  void StartTest();
  void DrainTestLog();
  void JoinTest();
  void UpdateLogControls();

  std::shared_ptr<TestLog> m_testLog;
  std::thread m_testThread;
};

/// Runs the dialog over the e-mail server values of `settings` (a record with the photobooth
/// settings' member names) and takes them back on OK; whether OK was pressed.
template <class Settings>
bool EditEmailServerSettings(CWnd* parent, Settings& settings, const CString& testImagePath) {
  CEmailServerSettingsDlg dialog(parent);
  dialog.m_host = settings.m_strPhotoboothEmailHost;
  dialog.m_port = settings.m_nPhotoboothEmailPort;
  dialog.m_user = settings.m_strPhotoboothEmailUsername;
  dialog.m_password = settings.m_strPhotoboothEmailPassword;
  dialog.m_ssl = settings.m_bPhotoboothEmailSSL;
  dialog.m_from = settings.m_strPhotoboothEmailFrom;
  dialog.m_logEnable = settings.m_bPhotoboothLogEmailAddresses;
  dialog.m_logPath = settings.m_strPhotoboothLogEmailPathname;
  dialog.m_testImagePath = testImagePath;
  if (dialog.DoModal() != IDOK) return false;
  settings.m_strPhotoboothEmailHost = dialog.m_host;
  settings.m_nPhotoboothEmailPort = dialog.m_port;
  settings.m_strPhotoboothEmailUsername = dialog.m_user;
  settings.m_strPhotoboothEmailPassword = dialog.m_password;
  settings.m_bPhotoboothEmailSSL = dialog.m_ssl;
  settings.m_strPhotoboothEmailFrom = dialog.m_from;
  settings.m_bPhotoboothLogEmailAddresses = dialog.m_logEnable;
  settings.m_strPhotoboothLogEmailPathname = dialog.m_logPath;
  return true;
}
