// CEmailServerSettingsDlg: the SMTP settings every e-mail of the sharing station uses, with a
// test e-mail sent on a thread of its own while the dialog stays usable.
#pragma once

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
  };
  bool CheckFields();
  void StartTest();
  void DrainTestLog();
  void JoinTest();
  void UpdateLogControls();

  std::shared_ptr<TestLog> m_testLog;
  std::thread m_testThread;
};
