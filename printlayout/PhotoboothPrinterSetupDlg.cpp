#include "printlayout/PhotoboothPrinterSetupDlg.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/gdi/wingdi.h"
#include "platform/mfc/ddx.h"
#include "platform/mfc/printdialog.h"
#include "platform/mfc/winapp.h"
#include "platform/polyimage/polyimage.h"
#include "platform/user/messagebox.h"
#include "platform/winspool/globalmem.h"
#include "platform/winspool/printdc.h"
#include "platform/winspool/winspool.h"
#include "printlayout/PrinterMargins.h"
#include "support/PipSession.h"
#include "support/ProgramGlobals.h"

namespace {

HGLOBAL BlockOf(const std::vector<BYTE>& bytes) {
  HGLOBAL block = bytes.empty() ? nullptr : GlobalAlloc(GHND, bytes.size());
  if (void* data = block ? GlobalLock(block) : nullptr) {
    std::memcpy(data, bytes.data(), bytes.size());
    GlobalUnlock(block);
  }
  return block;
}

// Whether a page at this resolution is a little more than 4 x 6 inches (either way round).
bool IsCentrablePage(int width, int height, int dpi, int& left, int& top) {
  if (dpi == 300) {
    if (width >= 1200 && width <= 1300 && height >= 1800 && height <= 1899) return left = (width - 1200) / 2, top = (height - 1800) / 2, true;
    if (width >= 1800 && width <= 1900 && height >= 1200 && height <= 1299) return left = (width - 1800) / 2, top = (height - 1200) / 2, true;
  } else if (dpi == 600) {
    if (width >= 2400 && width <= 2600 && height >= 3600 && height <= 3799) return left = (width - 2400) / 2, top = (height - 3600) / 2, true;
    if (width >= 3600 && width <= 3800 && height >= 2400 && height <= 2599) return left = (width - 3600) / 2, top = (height - 2400) / 2, true;
  }
  return false;
}

bool pushing = false;  // margins going into the edits: their change notices are ours

}  // namespace

CPhotoboothPrinterSetupDlg::CPhotoboothPrinterSetupDlg(CWnd* parent) : CDialog(IDD_PHOTOBOOTH_PRINTER_SETUP, parent) {
  using K = DlgItemKind;
  AfxRegisterDialogTemplate({IDD_PHOTOBOOTH_PRINTER_SETUP,
                             "Printer Setup",
                             {{IDC_PBPS_PRINTER, K::Combo, "Printer:", nullptr, 0, 0, "Printer"},
                              {IDC_PBPS_SETUP_PRINTER, K::Button, "Setup Printer...", nullptr, 0, 0, "Printer"},
                              {IDC_PBPS_TEST_PRINT, K::Button, "Test Print", nullptr, 0, 0, "Printer"},
                              {IDC_PBPS_PAGE_INFO, K::Label, "", nullptr, 0, 0, "Printer"},
                              {IDC_PBPS_PORTRAIT, K::Radio, "Portrait", nullptr, 0, 0, "Orientation"},
                              {IDC_PBPS_LANDSCAPE, K::Radio, "Landscape", nullptr, 0, 0, "Orientation"},
                              {IDC_PBPS_LEFT, K::Edit, "Left margin (pixels):", nullptr, 0, 0, "Margins"},
                              {IDC_PBPS_RIGHT, K::Edit, "Right margin (pixels):", nullptr, 0, 0, "Margins"},
                              {IDC_PBPS_TOP, K::Edit, "Top margin (pixels):", nullptr, 0, 0, "Margins"},
                              {IDC_PBPS_BOTTOM, K::Edit, "Bottom margin (pixels):", nullptr, 0, 0, "Margins"},
                              {IDC_PBPS_CENTER_PAGE, K::Button, "Center page", nullptr, 0, 0, "Margins"},
                              {IDOK, K::DefButton, "OK"},
                              {IDCANCEL, K::Button, "Cancel"}}});
}

int CPhotoboothPrinterSetupDlg::Report(const char* text, UINT type) { return ::MessageBoxA(m_hWnd, text, "Tavorin", type); }

void CPhotoboothPrinterSetupDlg::DoDataExchange(CDataExchange* dx) {
  DDX_Text(dx, IDC_PBPS_LEFT, m_nLeftMargin);
  DDX_Text(dx, IDC_PBPS_TOP, m_nTopMargin);
  DDX_Text(dx, IDC_PBPS_RIGHT, m_nRightMargin);
  DDX_Text(dx, IDC_PBPS_BOTTOM, m_nBottomMargin);
}

void CPhotoboothPrinterSetupDlg::ReadMargins() {
  GetPrinterMargins(m_nLeftMargin, m_nTopMargin, m_nRightMargin, m_nBottomMargin);
  pushing = true;
  UpdateData(FALSE);
  pushing = false;
}

CString CPhotoboothPrinterSetupDlg::SelectedPrinter() const {
  CString name;
  int index = static_cast<int>(SendDlgItemMessage(IDC_PBPS_PRINTER, CB_GETCURSEL));
  int length = index < 0 ? -1 : static_cast<int>(SendDlgItemMessage(IDC_PBPS_PRINTER, CB_GETLBTEXTLEN, index));
  if (length < 0 || length > 2048) return name;
  SendDlgItemMessage(IDC_PBPS_PRINTER, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(name.GetBuffer(length)));
  name.ReleaseBuffer();
  return name;
}

BOOL CPhotoboothPrinterSetupDlg::OnInitDialog() {
  pushing = true;
  CDialog::OnInitDialog();
  pushing = false;
  m_nDpiX = m_nDpiY = 0;
  std::vector<BYTE> devMode, devNames;
  CString current;
  if (CopyApplicationPrinter(devMode, devNames)) {
    current = AfxDevNamesDevice(devNames.data(), devNames.size());
    if (current.IsEmpty() && devMode.size() >= sizeof(DEVMODEA)) {
      char device[CCHDEVICENAME + 1] = {};
      std::memcpy(device, devMode.data(), CCHDEVICENAME);
      current = device;
    }
  }
  DWORD needed = 0, returned = 0;
  EnumPrintersA(PRINTER_ENUM_LOCAL | PRINTER_ENUM_CONNECTIONS, nullptr, 2, nullptr, 0, &needed, &returned);
  std::vector<BYTE> buffer(needed ? needed : 1);
  if (needed && EnumPrintersA(PRINTER_ENUM_LOCAL | PRINTER_ENUM_CONNECTIONS, nullptr, 2, buffer.data(), needed, &needed,
                              &returned)) {
    const auto* printers = reinterpret_cast<const PRINTER_INFO_2A*>(buffer.data());
    for (DWORD i = 0; i < returned; ++i)
      if (printers[i].pPrinterName)
        SendDlgItemMessage(IDC_PBPS_PRINTER, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(printers[i].pPrinterName));
  }
  LRESULT index = SendDlgItemMessage(IDC_PBPS_PRINTER, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                     reinterpret_cast<LPARAM>(current.GetString()));
  if (index >= 0 && !current.IsEmpty()) {
    SendDlgItemMessage(IDC_PBPS_PRINTER, CB_SETCURSEL, static_cast<WPARAM>(index));
  } else {
    char name[260] = {};
    DWORD size = sizeof(name);
    index = GetDefaultPrinterA(name, &size) ? SendDlgItemMessage(IDC_PBPS_PRINTER, CB_FINDSTRINGEXACT,
                                                                 static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(name))
                                            : -1;
    SendDlgItemMessage(IDC_PBPS_PRINTER, CB_SETCURSEL, static_cast<WPARAM>(index >= 0 ? index : 0));
    OnSelchangePrinter();
  }
  ReadMargins();
  UpdatePageInfo();
  return TRUE;
}

void CPhotoboothPrinterSetupDlg::UpdatePageInfo() {
  ApplicationPrinterInfo printer = ReadApplicationPrinter();
  if (!printer.hasDC) return;
  m_nPageWidth = printer.horzRes;
  m_nPageHeight = printer.vertRes;
  m_nDpiX = printer.dpiX;
  m_nDpiY = printer.dpiY;
  CString text;
  if (m_nDpiX <= 0 || m_nDpiY <= 0) {
    text.Format("Page width: %d pixels (%d mm)\nPage height: %d pixels (%d mm)\n", printer.horzRes, printer.horzSizeMm,
                printer.vertRes, printer.vertSizeMm);
  } else {
    int w = printer.horzRes - (m_nLeftMargin > 0 ? m_nLeftMargin : 0) - (m_nRightMargin > 0 ? m_nRightMargin : 0);
    if (w <= 0) w = printer.horzRes;
    int h = printer.vertRes - (m_nTopMargin > 0 ? m_nTopMargin : 0) - (m_nBottomMargin > 0 ? m_nBottomMargin : 0);
    if (h <= 0) h = printer.vertRes;
    const long long mmX = (static_cast<long long>(w) * 254 + 5LL * m_nDpiX) / (10LL * m_nDpiX);
    const long long mmY = (static_cast<long long>(h) * 254 + 5LL * m_nDpiY) / (10LL * m_nDpiY);
    text.Format(
        "Page size in inches: %0.2lf\" x %0.2lf\"\nPage size in mm: %d mm x %d mm\nResolution: %d x %d DPI\nPage size in "
        "pixels: %d x %d\nPrint extent in pixels: %d x %d",
        double(w) / m_nDpiX, double(h) / m_nDpiY, static_cast<int>(mmX), static_cast<int>(mmY), m_nDpiX, m_nDpiY, w, h,
        printer.horzRes, printer.vertRes);
  }
  SetDlgItemText(IDC_PBPS_PAGE_INFO, text);
  int left, top;
  const bool centrable = m_nDpiX == m_nDpiY && IsCentrablePage(m_nPageWidth, m_nPageHeight, m_nDpiX, left, top);
  if (CWnd* center = GetDlgItem(IDC_PBPS_CENTER_PAGE)) center->EnableWindow(centrable);
  CheckRadioButton(IDC_PBPS_PORTRAIT, IDC_PBPS_LANDSCAPE, printer.orientation == 1 ? IDC_PBPS_PORTRAIT : IDC_PBPS_LANDSCAPE);
}

void CPhotoboothPrinterSetupDlg::OnSelchangePrinter() {
  UpdateData(TRUE);
  const CString name = SelectedPrinter();
  HGLOBAL names = nullptr, mode = nullptr;
  if (!name.IsEmpty() && GetPrinterDevModeAndNames(name, &names, &mode))
    if (CWinApp* app = AfxGetApp()) app->SelectPrinter(names, mode, TRUE);
  ReadMargins();
  UpdatePageInfo();
}

void CPhotoboothPrinterSetupDlg::OnSetupPrinter() {
  CString name = SelectedPrinter();
  if (name.Left(3) == "#2:") name = name.Mid(3);
  std::vector<BYTE> devMode, devNames;
  HANDLE printer = nullptr;
  if (CopyApplicationPrinter(devMode, devNames) && devMode.size() >= sizeof(DEVMODEA) &&
      OpenPrinterA(name.GetBuffer(0), &printer, nullptr)) {
    std::vector<BYTE> changed(devMode.size());
    if (DocumentPropertiesA(m_hWnd, printer, name.GetBuffer(0), reinterpret_cast<DEVMODEA*>(changed.data()),
                            reinterpret_cast<DEVMODEA*>(devMode.data()),
                            DM_IN_BUFFER | DM_IN_PROMPT | DM_OUT_BUFFER) == IDOK) {
      HGLOBAL newMode = BlockOf(changed), newNames = BlockOf(devNames);
      if (newMode && newNames) {
        AfxGetApp()->SelectPrinter(newNames, newMode, TRUE);
      } else {
        if (newMode) GlobalFree(newMode);
        if (newNames) GlobalFree(newNames);
      }
    }
    ClosePrinter(printer);
  }
  ReadMargins();
  UpdatePageInfo();
}

void CPhotoboothPrinterSetupDlg::OnOrientation(short orientation) {
  SetPrinterOrientation(orientation);
  ReadMargins();
  UpdatePageInfo();
}

void CPhotoboothPrinterSetupDlg::OnCenterPage() {
  if (m_nDpiX != m_nDpiY) return;
  int left, top;
  if (!IsCentrablePage(m_nPageWidth, m_nPageHeight, m_nDpiX, left, top)) return;
  m_nLeftMargin = m_nRightMargin = left;
  m_nTopMargin = m_nBottomMargin = top;
  pushing = true;
  UpdateData(FALSE);
  pushing = false;
  UpdatePageInfo();
}

int* CPhotoboothPrinterSetupDlg::MarginOf(int id) {
  switch (id) {
    case IDC_PBPS_LEFT: return &m_nLeftMargin;
    case IDC_PBPS_TOP: return &m_nTopMargin;
    case IDC_PBPS_RIGHT: return &m_nRightMargin;
    default: return &m_nBottomMargin;
  }
}

void CPhotoboothPrinterSetupDlg::OnChangeMargin(int id) {
  CString text;
  GetDlgItemText(id, text);
  text.Trim();
  if (!text.IsEmpty()) {
    UpdateData(TRUE);
  } else {
    *MarginOf(id) = 0;
  }
  UpdatePageInfo();
}

void CPhotoboothPrinterSetupDlg::OnKillfocusMargin(int id) {
  CString text;
  GetDlgItemText(id, text);
  text.Trim();
  if (text.IsEmpty() || *MarginOf(id) < 0) {
    *MarginOf(id) = 0;
    pushing = true;
    SetDlgItemText(id, "0");
    pushing = false;
    UpdatePageInfo();
  }
}

void CPhotoboothPrinterSetupDlg::OnOK() {
  if (m_nDpiX > 0 && m_nDpiY > 0 && m_nDpiX != m_nDpiY) {
    Report("ERROR: horizontal and vertical DPI settings are different", MB_OK | MB_ICONERROR);
    return;
  }
  if (m_nPageWidth - m_nRightMargin - m_nLeftMargin > 9 && m_nPageHeight - m_nBottomMargin - m_nTopMargin > 9) {
    if (!UpdateData(TRUE)) return;
    SavePrinterMargins(m_nLeftMargin, m_nTopMargin, m_nRightMargin, m_nBottomMargin);
    EndDialog(IDOK);
    return;
  }
  Report("ERROR: printer margins are too big for the page size", MB_OK | MB_ICONERROR);
}

BOOL CPhotoboothPrinterSetupDlg::DrawTestPage(int session, const char* deviceName) {
  HDC printer = CreateApplicationPrinterDC();
  if (!printer) return FALSE;
  const int W = GetDeviceCaps(printer, HORZRES), H = GetDeviceCaps(printer, VERTRES);
  const int dx = GetDeviceCaps(printer, LOGPIXELSX), dy = GetDeviceCaps(printer, LOGPIXELSY);
  DeleteDC(printer);
  if (W <= 0 || H <= 0 || !cNewImage(session, W, H, RGB(255, 255, 255))) return FALSE;
  HDC dc = cGetImageDC(session);
  if (!dc) return FALSE;

  LOGFONTA font{};
  font.lfHeight = -(dy / 8);
  std::strcpy(font.lfFaceName, "Arial");
  HFONT upright = CreateFontIndirectA(&font);
  font.lfEscapement = font.lfOrientation = 900;
  HFONT up = CreateFontIndirectA(&font);
  font.lfEscapement = font.lfOrientation = 2700;
  HFONT down = CreateFontIndirectA(&font);
  HGDIOBJ oldFont = SelectObject(dc, upright);
  HGDIOBJ oldPen = SelectObject(dc, GetStockObject(BLACK_PEN));
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, RGB(0, 0, 0));
  auto extent = [&](const CString& text) {
    SIZE size{};
    GetTextExtentPoint32A(dc, text, text.GetLength(), &size);
    return size;
  };
  auto line = [&](int x0, int y0, int x1, int y1) {
    MoveToEx(dc, x0, y0, nullptr);
    LineTo(dc, x1, y1);
  };
  const int lineHeight = extent("WgQ").cy;

  CString lines[4];
  lines[0] = CString("Printer: ") + deviceName;
  lines[1].Format("Size=%d x %d pixels", W - m_nRightMargin - m_nLeftMargin, H - m_nBottomMargin - m_nTopMargin);
  lines[2].Format("DPI=%d x %d", dx, dy);
  lines[3].Format("Print extent=%d x %d pixels", W, H);
  for (int i = 0; i < 4; ++i)
    TextOutA(dc, W / 2 - extent(lines[i]).cx / 2, H / 2 - 2 * lineHeight + i * lineHeight, lines[i],
             lines[i].GetLength());

  const int D = dx <= 400 ? 100 : dx <= 700 ? 200 : dx <= 1200 ? 500 : 1000;
  const int gap = lineHeight / 4 + 2;
  int labelLength = 0;  // the longest scale label
  for (int i = 0; i <= 20; i += 2) {
    CString label;
    label.Format("%d", i * D / 20);
    labelLength = std::max<int>(labelLength, extent(label).cx);
  }
  // Top and bottom rulers; the labels turned so they stand along their ticks.
  for (int i = 0; i <= 20; ++i) {
    const int x = W / 5 + i * (W / 30);
    line(x, 0, x, D);
    line(x, H - 1, x, H - D - 2);
    if (i % 2) continue;
    CString label;
    label.Format("%d", i * D / 20);
    const int length = extent(label).cx;
    SelectObject(dc, up);
    TextOutA(dc, x - lineHeight / 2, D + gap + length, label, label.GetLength());
    TextOutA(dc, x - lineHeight / 2, H - D - 2 - gap, label, label.GetLength());
    SelectObject(dc, upright);
  }
  line(W / 5 + 20 * (W / 30), D, W / 5, 0);
  line(W / 5, H - 1, W / 5 + 20 * (W / 30), H - D - 1);
  CString text;
  text.Format("Top=%d", m_nTopMargin);
  TextOutA(dc, W / 2 - extent(text).cx / 2, D + 2 * gap + labelLength, text, text.GetLength());
  text.Format("Bottom=%d", m_nBottomMargin);
  TextOutA(dc, W / 2 - extent(text).cx / 2, H - D - 2 - 2 * gap - labelLength - lineHeight, text, text.GetLength());

  // Left and right rulers.
  for (int i = 0; i <= 20; ++i) {
    const int y = H / 5 + i * (H / 30);
    line(0, y, D + 1, y);
    line(W, y, W - D - 2, y);
    if (i % 2) continue;
    CString label;
    label.Format("%d", i * D / 20);
    TextOutA(dc, D + 1 + gap, y - lineHeight / 2, label, label.GetLength());
    TextOutA(dc, W - D - 2 - gap - extent(label).cx, y - lineHeight / 2, label, label.GetLength());
  }
  line(D, H / 5 + 20 * (H / 30), 0, H / 5);
  line(W - 1, H / 5, W - D - 1, H / 5 + 20 * (H / 30));
  text.Format("Left=%d", m_nLeftMargin);
  const int leftLength = extent(text).cx;
  SelectObject(dc, up);
  TextOutA(dc, D + 1 + 2 * gap + labelLength, H / 2 + leftLength / 2, text, text.GetLength());
  text.Format("Right=%d", m_nRightMargin);
  SelectObject(dc, upright);
  const int rightLength = extent(text).cx;
  SelectObject(dc, down);
  TextOutA(dc, W - D - 2 - 2 * gap - labelLength, H / 2 - rightLength / 2, text, text.GetLength());

  SelectObject(dc, oldFont);
  SelectObject(dc, oldPen);
  DeleteObject(upright);
  DeleteObject(up);
  DeleteObject(down);
  cReleaseImageDC(session, dc);
  return TRUE;
}

void CPhotoboothPrinterSetupDlg::OnTestPrint() {
  if (m_nDpiX > 0 && m_nDpiY > 0 && m_nDpiX != m_nDpiY) {
    Report("ERROR: horizontal and vertical DPI settings are different", MB_OK | MB_ICONERROR);
    return;
  }
  CString device;
  HDC printer = CreateApplicationPrinterDC();
  if (!printer || !GetCurrentPrinterName(device)) {
    if (printer) DeleteDC(printer);
    Report("Unable to connect to printer to print test page", MB_OK | MB_ICONERROR);
    return;
  }
  PipSession page;
  bool printed = DrawTestPage(page.m_hSession, device) != FALSE;
  if (printed) {
    DOCINFOA info{};
    info.cbSize = sizeof(info);
    info.lpszDocName = "Tavorin";
    printed = StartDocA(printer, &info) > 0;
    if (printed) {
      printed = StartPage(printer) > 0;
      if (printed) {
        UpdatePhotoboothPrintCounter(1);
        printed = cPrintImage(page.m_hSession, printer, 0, 0, GetDeviceCaps(printer, HORZRES),
                              GetDeviceCaps(printer, VERTRES), 0, 0, 0, 0) != 0;
        printed = EndPage(printer) > 0 && printed;
      }
      // A document that was started is always ended, so the job does not hang open.
      printed = (printed ? EndDoc(printer) > 0 : (AbortDoc(printer), false));
    }
  }
  DeleteDC(printer);
  if (!printed) Report("Unable to print test page", MB_OK | MB_ICONERROR);
}

BOOL CPhotoboothPrinterSetupDlg::OnCommand(WPARAM wParam, LPARAM lParam) {
  const int id = LOWORD(wParam), code = HIWORD(wParam);
  switch (id) {
    case IDC_PBPS_PRINTER:
      if (code == CBN_SELCHANGE) OnSelchangePrinter();
      return TRUE;
    case IDC_PBPS_SETUP_PRINTER:
      if (code == BN_CLICKED) OnSetupPrinter();
      return TRUE;
    case IDC_PBPS_TEST_PRINT:
      if (code == BN_CLICKED) OnTestPrint();
      return TRUE;
    case IDC_PBPS_CENTER_PAGE:
      if (code == BN_CLICKED) OnCenterPage();
      return TRUE;
    case IDC_PBPS_PORTRAIT:
    case IDC_PBPS_LANDSCAPE:
      if (code == BN_CLICKED) OnOrientation(id == IDC_PBPS_PORTRAIT ? 1 : 2);
      return TRUE;
    case IDC_PBPS_LEFT:
    case IDC_PBPS_TOP:
    case IDC_PBPS_RIGHT:
    case IDC_PBPS_BOTTOM:
      if (code == EN_CHANGE && !pushing) OnChangeMargin(id);
      if (code == EN_KILLFOCUS) OnKillfocusMargin(id);
      return TRUE;
    default:
      return CDialog::OnCommand(wParam, lParam);
  }
}
