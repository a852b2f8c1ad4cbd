// CResendEmailDlg: the "Unsent Emails" list of the e-mail log; the chosen ones are sent again
// by CResendingEmailsDlg.
#pragma once

#include <atomic>
#include <thread>
#include <vector>

#include "platform/mfc/afxwin.h"
#include "platform/mfc/dialog.h"
#include "platform/mfc/listctrl.h"
#include "sharing/EmailLogReader.h"
#include "sharing/EmailResender.h"

class CResendEmailDlg : public CDialog {
 public:
  explicit CResendEmailDlg(CWnd* parent = nullptr);

  /// Server, templates, photo preparation and the log path (filled by the opener).
  EmailResendJob m_settings;

  /// The rows shown, in list order.
  const std::vector<LoggedEmail>& Rows() const { return m_rows; }

 protected:
  BOOL OnInitDialog() override;
  void DoDataExchange(CDataExchange* dx) override;
  void OnOK() override;
  BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
  void OnSize(UINT type, int cx, int cy) override;
  void OnShowWindow(BOOL show, UINT status) override;
  void OnGetMinMaxInfo(MINMAXINFO* info) override;

 private:
  /// The list fills the window above one row of buttons: the selections left, Send and Cancel right.
  void LayOut(int cx, int cy);
  void LoadList();
  void SelectRows(bool (*wanted)(const LoggedEmail&, const CString&));

  CListCtrl m_list;
  std::vector<LoggedEmail> m_rows;
};

class CResendingEmailsDlg : public CDialog {
 public:
  CResendingEmailsDlg(const EmailResendJob& job, CWnd* parent = nullptr);
  ~CResendingEmailsDlg() override;

  int SentCount() const { return m_resender.SentCount(); }
  /// The progress lines as shown.
  std::vector<CString> Lines() const { return m_resender.Lines(); }
  bool IsFinished() const { return m_finished; }

 protected:
  BOOL OnInitDialog() override;
  void OnCancel() override;
  BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;

 private:
  void ShowLines();

  EmailResender m_resender;
  std::thread m_worker;
  std::atomic<bool> m_finished{false};
  bool m_closing = false;  // the Cancel button reads "Close"
};
