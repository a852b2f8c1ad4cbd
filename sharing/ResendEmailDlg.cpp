#include "sharing/ResendEmailDlg.h"

#include <algorithm>
#include <chrono>
#include <ctime>

#include "platform/mfc/ddx.h"
#include "platform/user/controls.h"
#include "platform/user/messagebox.h"
#include "platform/user/winmsg.h"
#include "sharing/SharingResource.h"

namespace {

// Posted by the resend worker whenever its lines changed.
constexpr UINT WM_RESEND_LINES = WM_APP + 256;

// The list's window: its smallest size and the placement of the list and its button row.
constexpr int kMinWidth = 480, kMinHeight = 320;
constexpr int kStartWidth = 720, kStartHeight = 400;
constexpr int kMargin = 7, kButtonWidth = 86, kButtonHeight = 26;  // five fit in the smallest width

void RegisterTemplates() {
  using K = DlgItemKind;
  DlgTemplate list{IDD_RESEND_EMAIL,
                   "Unsent Emails",
                   {{IDC_RE_LIST, K::Report, nullptr},
                    {IDC_RE_SELECT_ALL, K::Button, "Select All"},
                    {IDC_RE_SELECT_NONE, K::Button, "Select None"},
                    {IDC_RE_SELECT_TODAY, K::Button, "Select Today's"},
                    {IDOK, K::DefButton, "Send"},
                    {IDCANCEL, K::Button, "Cancel"}},
                   WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MAXIMIZEBOX};
  list.manualLayout = true;  // the list follows the window (LayOut)
  AfxRegisterDialogTemplate(list);
  AfxRegisterDialogTemplate({IDD_RESENDING_EMAILS,
                             "Sending Emails",
                             {{IDC_RSE_PROGRESS, K::List, nullptr}, {IDCANCEL, K::DefButton, "Cancel"}}});
}

CString Today() {
  char text[16];
  std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  std::strftime(text, sizeof text, "%Y/%m/%d", &local);
  return text;
}

}  // namespace

CResendEmailDlg::CResendEmailDlg(CWnd* parent) : CDialog(IDD_RESEND_EMAIL, parent) { RegisterTemplates(); }

void CResendEmailDlg::DoDataExchange(CDataExchange* dx) { DDX_Control(dx, IDC_RE_LIST, m_list); }

BOOL CResendEmailDlg::OnInitDialog() {
  BOOL result = CDialog::OnInitDialog();
  m_list.SetExtendedStyle(m_list.GetExtendedStyle() | LVS_EX_FULLROWSELECT);
  m_list.InsertColumn(0, "Date/Time", LVCFMT_LEFT, 120);
  m_list.InsertColumn(1, "To", LVCFMT_LEFT, 150);
  m_list.InsertColumn(2, "Photo", LVCFMT_LEFT, 500);
  LoadList();
  ::SetWindowPos(m_hWnd, nullptr, 0, 0, kStartWidth, kStartHeight, SWP_NOMOVE | SWP_NOZORDER);
  CRect client;
  GetClientRect(&client);
  LayOut(client.Width(), client.Height());
  return result;
}

void CResendEmailDlg::LayOut(int cx, int cy) {
  if (!m_list.m_hWnd) return;
  const int buttonTop = cy - kMargin - kButtonHeight;
  m_list.MoveWindow(kMargin, kMargin, std::max(0, cx - 2 * kMargin), std::max(0, buttonTop - 2 * kMargin));
  int left = kMargin;
  for (int id : {IDC_RE_SELECT_ALL, IDC_RE_SELECT_NONE, IDC_RE_SELECT_TODAY}) {
    if (CWnd* button = GetDlgItem(id)) button->MoveWindow(left, buttonTop, kButtonWidth, kButtonHeight);
    left += kButtonWidth + kMargin;
  }
  const int cancelLeft = cx - kMargin - kButtonWidth;
  if (CWnd* cancel = GetDlgItem(IDCANCEL)) cancel->MoveWindow(cancelLeft, buttonTop, kButtonWidth, kButtonHeight);
  if (CWnd* send = GetDlgItem(IDOK))
    send->MoveWindow(cancelLeft - kMargin - kButtonWidth, buttonTop, kButtonWidth, kButtonHeight);
}

void CResendEmailDlg::OnSize(UINT type, int cx, int cy) {
  CDialog::OnSize(type, cx, cy);
  LayOut(cx, cy);
}

void CResendEmailDlg::OnShowWindow(BOOL show, UINT status) {
  CDialog::OnShowWindow(show, status);
  CRect client;
  GetClientRect(&client);
  LayOut(client.Width(), client.Height());
}

void CResendEmailDlg::OnGetMinMaxInfo(MINMAXINFO* info) {
  CDialog::OnGetMinMaxInfo(info);
  info->ptMinTrackSize.x = kMinWidth;
  info->ptMinTrackSize.y = kMinHeight;
}

void CResendEmailDlg::LoadList() {
  m_list.DeleteAllItems();
  m_rows = ReadUnsentEmails(m_settings.server.logPath);
  for (size_t i = 0; i < m_rows.size(); ++i) {
    int row = m_list.InsertItem(static_cast<int>(i), FormatLoggedDateTime(m_rows[i]));
    m_list.SetItemText(row, 1, m_rows[i].address);
    m_list.SetItemText(row, 2, m_rows[i].photo);
  }
}

void CResendEmailDlg::SelectRows(bool (*wanted)(const LoggedEmail&, const CString&)) {
  CString today = Today();
  for (size_t i = 0; i < m_rows.size(); ++i)
    m_list.SetItemState(static_cast<int>(i), wanted(m_rows[i], today) ? LVIS_SELECTED : 0, LVIS_SELECTED);
}

BOOL CResendEmailDlg::OnCommand(WPARAM wParam, LPARAM lParam) {
  switch (LOWORD(wParam)) {
    case IDC_RE_SELECT_ALL:
      SelectRows([](const LoggedEmail&, const CString&) { return true; });
      return TRUE;
    case IDC_RE_SELECT_NONE:
      SelectRows([](const LoggedEmail&, const CString&) { return false; });
      return TRUE;
    case IDC_RE_SELECT_TODAY:
      SelectRows([](const LoggedEmail& row, const CString& today) {
        return FormatLoggedDateTime(row).Find(today) >= 0;
      });
      return TRUE;
    default:
      return CDialog::OnCommand(wParam, lParam);
  }
}

void CResendEmailDlg::OnOK() {
  EmailResendJob job = m_settings;
  job.addresses.clear();
  job.photos.clear();
  POSITION position = m_list.GetFirstSelectedItemPosition();
  while (position) {
    int index = m_list.GetNextSelectedItem(position);
    if (index < 0 || static_cast<size_t>(index) >= m_rows.size()) continue;
    job.addresses.push_back(m_rows[index].address);
    job.photos.push_back(m_rows[index].photo);
  }
  if (job.addresses.empty()) {
    ::MessageBoxA(m_hWnd, "Please select the emails to send", "Tavorin", MB_OK | MB_ICONEXCLAMATION);
    return;
  }
  {
    CResendingEmailsDlg progress(job, this);
    progress.DoModal();
  }
  LoadList();
}

CResendingEmailsDlg::CResendingEmailsDlg(const EmailResendJob& job, CWnd* parent)
    : CDialog(IDD_RESENDING_EMAILS, parent), m_resender(job) {
  RegisterTemplates();
}

CResendingEmailsDlg::~CResendingEmailsDlg() {
  m_resender.Cancel();
  if (m_worker.joinable()) m_worker.join();
}

BOOL CResendingEmailsDlg::OnInitDialog() {
  BOOL result = CDialog::OnInitDialog();
  HWND window = m_hWnd;
  m_resender.onLinesChanged = [window] { ::PostMessageA(window, WM_RESEND_LINES, 0, 0); };
  if (!m_resender.CheckSettings()) {
    m_finished = true;
    m_closing = true;
    SetDlgItemText(IDCANCEL, "Close");
    ShowLines();
    return result;
  }
  m_worker = std::thread([this, window] {
    m_resender.Run();
    std::this_thread::sleep_for(std::chrono::milliseconds(1000));
    m_finished = true;
    ::PostMessageA(window, WM_RESEND_LINES, 0, 0);
  });
  return result;
}

void CResendingEmailsDlg::ShowLines() {
  std::vector<CString> lines = m_resender.Lines();
  int shown = static_cast<int>(SendDlgItemMessage(IDC_RSE_PROGRESS, LB_GETCOUNT));
  // The last shown line may have grown (" message sent."): it is replaced.
  if (shown > 0 && static_cast<size_t>(shown) <= lines.size()) {
    SendDlgItemMessage(IDC_RSE_PROGRESS, LB_DELETESTRING, static_cast<WPARAM>(shown - 1));
    --shown;
  }
  for (size_t i = static_cast<size_t>(shown); i < lines.size(); ++i) {
    LRESULT index = SendDlgItemMessage(IDC_RSE_PROGRESS, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(lines[i].GetString()));
    SendDlgItemMessage(IDC_RSE_PROGRESS, LB_SETCURSEL, static_cast<WPARAM>(index));
  }
  if (m_finished && !m_closing) {
    if (m_worker.joinable()) m_worker.join();
    m_closing = true;
    SetDlgItemText(IDCANCEL, "Close");
    GetDlgItem(IDCANCEL)->EnableWindow(TRUE);
  }
}

void CResendingEmailsDlg::OnCancel() {
  if (m_closing) {
    CDialog::OnCancel();
    return;
  }
  GetDlgItem(IDCANCEL)->EnableWindow(FALSE);
  m_resender.Cancel();
}

BOOL CResendingEmailsDlg::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
  if (message == WM_RESEND_LINES) {
    ShowLines();
    return TRUE;
  }
  return CDialog::OnWndMsg(message, wParam, lParam, result);
}
