#include "sharing/QRCodeEditDlg.h"

#include <algorithm>

#include "platform/mfc/ddx.h"
#include "platform/mfc/windowdc.h"
#include "platform/user/controls.h"
#include "platform/user/shellapi.h"
#include "platform/user/window.h"
#include "platform/user/winmsg.h"
#include "sharing/SharingResource.h"
#include "support/PipSession.h"
#include "support/QrCode.h"

void CQRCodePreview::SetCode(const CString& text, int level) {
  m_text = text;
  m_level = level;
  Invalidate(FALSE);
}

void CQRCodePreview::OnPaint() {
  CPaintDC dc(this);
  if (!dc.m_hDC) return;
  RECT client;
  GetClientRect(&client);
  int side = std::min(client.right - client.left, client.bottom - client.top);
  if (side <= 0) return;
  PipSession image;
  if (RenderQrCode(&image, side, side, m_text, m_level)) {
    RECT square{client.left, client.top, client.left + side, client.top + side};
    image.Draw(dc.m_hDC, square);
  }
  ++m_paints;
  m_paintedText = m_text;
  m_paintedLevel = m_level;
}

CQRCodeEditDlg::CQRCodeEditDlg(CWnd* parent) : CDialog(IDD_QRCODE_TEXT, parent) {
  using K = DlgItemKind;
  AfxRegisterDialogTemplate({IDD_QRCODE_TEXT,
                             "QR Code",
                             {{IDC_QR_TEXT, K::Edit, "QR code text (e.g. https://www.example.com/photos):"},
                              {IDC_QR_LEVEL, K::Combo, "Error correction:"},
                              {IDC_QR_TEST_URL, K::Button, "Test URL"},
                              {IDC_QR_PICTURE, K::Picture, nullptr, nullptr, 240, 240},
                              {IDOK, K::DefButton, "OK"},
                              {IDCANCEL, K::Button, "Cancel"}}});
}

void CQRCodeEditDlg::DoDataExchange(CDataExchange* dx) {
  DDX_Control(dx, IDC_QR_PICTURE, m_preview);
  DDX_Text(dx, IDC_QR_TEXT, m_text);
  DDX_CBIndex(dx, IDC_QR_LEVEL, m_level);
}

BOOL CQRCodeEditDlg::OnInitDialog() {
  for (const char* level : {"Low", "Medium", "High", "Highest"})
    SendDlgItemMessage(IDC_QR_LEVEL, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(level));
  if (m_level < 0 || m_level > 3) m_level = 0;
  BOOL result = CDialog::OnInitDialog();
  m_preview.SetCode(m_text, m_level);
  return result;
}

// The preview follows the controls; the members change only on OK, so Cancel keeps them.
void CQRCodeEditDlg::Redraw() {
  CString text;
  GetDlgItemText(IDC_QR_TEXT, text);
  int level = static_cast<int>(SendDlgItemMessage(IDC_QR_LEVEL, CB_GETCURSEL));
  m_preview.SetCode(text, level < 0 ? 0 : level);
}

BOOL CQRCodeEditDlg::OnCommand(WPARAM wParam, LPARAM lParam) {
  int id = LOWORD(wParam), code = HIWORD(wParam);
  if ((id == IDC_QR_TEXT && code == EN_CHANGE) || (id == IDC_QR_LEVEL && code == CBN_SELCHANGE)) {
    Redraw();
    return TRUE;
  }
  if (id == IDC_QR_TEST_URL) {
    CString text;
    GetDlgItemText(IDC_QR_TEXT, text);
    ShellExecuteA(m_hWnd, "open", text, nullptr, nullptr, SW_SHOWNORMAL);
    return TRUE;
  }
  return CDialog::OnCommand(wParam, lParam);
}
