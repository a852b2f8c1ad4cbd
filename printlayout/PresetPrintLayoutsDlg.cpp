#include "printlayout/PresetPrintLayoutsDlg.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/gdi/wingdi.h"
#include "platform/user/paint.h"
#include "platform/user/winuser.h"
#include "printlayout/PrinterMargins.h"
#include "support/ProgramGlobals.h"

namespace {

const int kRadios[8] = {IDC_PRESET_DOUBLE_STRIP4, IDC_PRESET_SINGLE_STRIP4, IDC_PRESET_DOUBLE_STRIP3,
                        IDC_PRESET_SINGLE_STRIP3, IDC_PRESET_SINGLE_STRIP2, IDC_PRESET_1LARGE_3SMALL,
                        IDC_PRESET_2ROWS_OF_2,    IDC_PRESET_SINGLE_PHOTO};
// Preset code of each radio above.
const int kRadioCodes[8] = {0, 1, 4, 5, 7, 2, 3, 6};

int ToPreview(int value, int previewWidth, int pageWidth) {
  if (pageWidth <= 0) return 0;
  const long long v = value, w = previewWidth, p = pageWidth;
  return static_cast<int>(v >= 0 ? (2 * v * w + p) / (2 * p) : (2 * v * w - p) / (2 * p));
}

}  // namespace

CPresetPrintLayoutsDlg::CPresetPrintLayoutsDlg(CWnd* parent, int aspectWidth, int aspectHeight)
    : CDialog(IDD_PRESET_PRINT_LAYOUTS, parent), m_nAspectWidth(aspectWidth), m_nAspectHeight(aspectHeight) {
  for (RECT& guide : m_guides) guide = RECT{0, 0, 0, 0};
  using K = DlgItemKind;
  DlgTemplate dialogTemplate{IDD_PRESET_PRINT_LAYOUTS,
                             "Preset Layouts",
                             {{IDC_PRESET_DOUBLE_STRIP4, K::Radio, "Double strip of 4", nullptr, 0, 0, "Layout"},
                              {IDC_PRESET_SINGLE_STRIP4, K::Radio, "Single strip of 4", nullptr, 0, 0, "Layout"},
                              {IDC_PRESET_DOUBLE_STRIP3, K::Radio, "Double strip of 3", nullptr, 0, 0, "Layout"},
                              {IDC_PRESET_SINGLE_STRIP3, K::Radio, "Single strip of 3", nullptr, 0, 0, "Layout"},
                              {IDC_PRESET_SINGLE_STRIP2, K::Radio, "Single strip of 2", nullptr, 0, 0, "Layout"},
                              {IDC_PRESET_1LARGE_3SMALL, K::Radio, "1 large, 3 small", nullptr, 0, 0, "Layout"},
                              {IDC_PRESET_2ROWS_OF_2, K::Radio, "2 rows of 2", nullptr, 0, 0, "Layout"},
                              {IDC_PRESET_SINGLE_PHOTO, K::Radio, "Single photo", nullptr, 0, 0, "Layout"},
                              {IDC_PRESET_TOP, K::Edit, "Top margin:", nullptr, 0, 0, "Margins"},
                              {IDC_PRESET_TOP_SIZE, K::Label, "", nullptr, 0, 0, "Margins"},
                              {IDC_PRESET_BOTTOM, K::Edit, "Bottom margin:", nullptr, 0, 0, "Margins"},
                              {IDC_PRESET_BOTTOM_SIZE, K::Label, "", nullptr, 0, 0, "Margins"},
                              {IDC_PRESET_LEFT, K::Edit, "Left margin:", nullptr, 0, 0, "Margins"},
                              {IDC_PRESET_LEFT_SIZE, K::Label, "", nullptr, 0, 0, "Margins"},
                              {IDC_PRESET_RIGHT, K::Edit, "Right margin:", nullptr, 0, 0, "Margins"},
                              {IDC_PRESET_RIGHT_SIZE, K::Label, "", nullptr, 0, 0, "Margins"},
                              {IDC_PRESET_SPACING, K::Edit, "Spacing:", nullptr, 0, 0, "Margins"},
                              {IDC_PRESET_SPACING_SIZE, K::Label, "", nullptr, 0, 0, "Margins"},
                              {IDOK, K::DefButton, "OK"},
                              {IDCANCEL, K::Button, "Cancel"}}};
  dialogTemplate.style |= WS_THICKFRAME | WS_MAXIMIZE;
  dialogTemplate.paintedClientArea = true;
  AfxRegisterDialogTemplate(dialogTemplate);
}

CPresetPrintLayoutsDlg::~CPresetPrintLayoutsDlg() {
  if (m_hPreview) DeleteObject(m_hPreview);
}

void CPresetPrintLayoutsDlg::InitPageMetrics() {
  for (PhotoboothCustomLayoutBox& box : m_boxes) box = PhotoboothCustomLayoutBox{};
  if (HDC dc = CreateApplicationPrinterDC()) {
    m_nPageWidth = GetDeviceCaps(dc, HORZRES);
    m_nPageHeight = GetDeviceCaps(dc, VERTRES);
    m_nDpiX = GetDeviceCaps(dc, LOGPIXELSX);
    m_nDpiY = GetDeviceCaps(dc, LOGPIXELSY);
    DeleteDC(dc);
    int* settings[5] = {&g_nPresetLayoutTopMargin, &g_nPresetLayoutBottomMargin, &g_nPresetLayoutLeftMargin,
                        &g_nPresetLayoutRightMargin, &g_nPresetLayoutSpacing};
    for (int* setting : settings)
      if (*setting < 0) *setting = m_nDpiX / 10;
    m_nTopMargin = g_nPresetLayoutTopMargin;
    m_nBottomMargin = g_nPresetLayoutBottomMargin;
    m_nLeftMargin = g_nPresetLayoutLeftMargin;
    m_nRightMargin = g_nPresetLayoutRightMargin;
    m_nSpacing = g_nPresetLayoutSpacing;
  }
  GetPrinterMargins(m_nPrinterLeftMargin, m_nPrinterTopMargin, m_nPrinterRightMargin, m_nPrinterBottomMargin);
}

void CPresetPrintLayoutsDlg::GenerateLayout() {
  if (m_hWnd) {
    const int values[5] = {m_nTopMargin, m_nBottomMargin, m_nLeftMargin, m_nRightMargin, m_nSpacing};
    const int captions[5] = {IDC_PRESET_TOP_SIZE, IDC_PRESET_BOTTOM_SIZE, IDC_PRESET_LEFT_SIZE, IDC_PRESET_RIGHT_SIZE,
                             IDC_PRESET_SPACING_SIZE};
    for (int i = 0; i < 5; ++i) {
      CString text;
      if (m_nDpiX > 0) text.Format("(%0.2f\" or %0.1f mm)", double(values[i]) / m_nDpiX, values[i] * 25.4 / m_nDpiX);
      SetDlgItemText(captions[i], text);
    }
  }
  int checked = -1;
  for (int i = 0; i < 8 && m_hWnd; ++i)
    if (IsDlgButtonChecked(kRadios[i])) {
      checked = i;
      break;
    }
  if (checked < 0 && m_hWnd) {
    const int code = g_nPresetLayout >= 0 && g_nPresetLayout < 8 ? g_nPresetLayout : 0;
    for (int i = 0; i < 8; ++i)
      if (kRadioCodes[i] == code) checked = i;
    CheckDlgButton(kRadios[checked], BST_CHECKED);
  }
  GeneratePreset(checked < 0 ? g_nPresetLayout : kRadioCodes[checked]);
}

void CPresetPrintLayoutsDlg::DrawPreview(HDC dc) {
  if (m_nPageWidth <= 0 || m_nPageHeight <= 0) return;
  RECT client, group{0, 0, 0, 0};
  GetClientRect(&client);
  if (CWnd* box = GetDlgItem(IDC_PRESET_MARGINS_GROUP)) {
    box->GetWindowRect(&group);
    ScreenToClient(&group);
  } else if (CWnd* edit = GetDlgItem(IDC_PRESET_SPACING_SIZE)) {
    edit->GetWindowRect(&group);
    ScreenToClient(&group);
  }
  const int clientWidth = client.right - client.left, clientHeight = client.bottom - client.top;
  int width = clientWidth - group.right - 20;
  int height = static_cast<int>(1LL * width * m_nPageHeight / m_nPageWidth);
  if (height > clientHeight - 20) {
    height = clientHeight - 20;
    width = static_cast<int>(1LL * m_nPageWidth * height / m_nPageHeight);
  }
  if (width <= 0 || height <= 0) return;
  m_nPreviewWidth = width, m_nPreviewHeight = height;
  m_nPreviewLeft = group.right + (clientWidth - group.right - width) / 2;
  m_nPreviewTop = (clientHeight - height) / 2;
  auto P = [&](int v) { return ToPreview(v, width, m_nPageWidth); };

  HGDIOBJ oldPen = SelectObject(dc, GetStockObject(BLACK_PEN));
  HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(NULL_BRUSH));
  Rectangle(dc, m_nPreviewLeft - 1, m_nPreviewTop - 1, m_nPreviewLeft + width + 1, m_nPreviewTop + height + 1);

  HDC memory = CreateCompatibleDC(dc);
  if (!m_hPreview) m_hPreview = CreateCompatibleBitmap(dc, width, height);
  HGDIOBJ oldBitmap = SelectObject(memory, m_hPreview);
  RECT all{0, 0, width, height};
  HBRUSH white = CreateSolidBrush(RGB(255, 255, 255));
  FillRect(memory, &all, white);
  DeleteObject(white);
  auto band = [&](int left, int top, int right, int bottom, bool focused) {
    RECT r{P(left), P(top), P(right), P(bottom)};
    if (r.right <= r.left || r.bottom <= r.top) return;
    HBRUSH brush = CreateSolidBrush(focused ? RGB(255, 0, 0) : RGB(250, 220, 220));
    FillRect(memory, &r, brush);
    DeleteObject(brush);
  };
  const int L = m_nLeftMargin + m_nPrinterLeftMargin, R = m_nRightMargin + m_nPrinterRightMargin;
  const int T = m_nTopMargin + m_nPrinterTopMargin, B = m_nBottomMargin + m_nPrinterBottomMargin;
  band(0, 0, m_nPageWidth, T, m_nFocusedEdit == IDC_PRESET_TOP);
  band(0, m_nPageHeight - B, m_nPageWidth, m_nPageHeight, m_nFocusedEdit == IDC_PRESET_BOTTOM);
  band(0, 0, L, m_nPageHeight, m_nFocusedEdit == IDC_PRESET_LEFT);
  band(m_nPageWidth - R, 0, m_nPageWidth, m_nPageHeight, m_nFocusedEdit == IDC_PRESET_RIGHT);
  for (const RECT& guide : m_guides)
    band(guide.left, guide.top, guide.right, guide.bottom, m_nFocusedEdit == IDC_PRESET_SPACING);

  HBRUSH green = CreateSolidBrush(RGB(150, 255, 150));
  HGDIOBJ previousBrush = SelectObject(memory, green);
  SelectObject(memory, GetStockObject(BLACK_PEN));
  SetBkMode(memory, TRANSPARENT);
  for (int i = 0; i < 8; ++i) {
    const PhotoboothCustomLayoutBox& b = m_boxes[i];
    if (b.right <= b.left || b.bottom <= b.top) continue;
    const bool turned = b.rotation == 2700;
    const int w = turned ? b.bottom - b.top : b.right - b.left, h = turned ? b.right - b.left : b.bottom - b.top;
    const int x0 = P(b.left), y0 = P(b.top), x1 = P(b.left + w), y1 = P(b.top + h);
    Rectangle(memory, x0, y0, x1, y1);
    MoveToEx(memory, x0, y0, nullptr);
    LineTo(memory, x1, y1);
    MoveToEx(memory, x1, y0, nullptr);
    LineTo(memory, x0, y1);
    LOGFONTA font{};
    font.lfHeight = -std::max(1, P(100));
    font.lfEscapement = font.lfOrientation = ((360 - m_nRotation) * 10) % 3600;
    std::strcpy(font.lfFaceName, "Arial");
    HFONT made = CreateFontIndirectA(&font);
    HGDIOBJ previousFont = SelectObject(memory, made);
    CString label;
    label.Format("%d", b.image);
    SIZE extent{};
    GetTextExtentPoint32A(memory, label, label.GetLength(), &extent);
    TextOutA(memory, (x0 + x1 - extent.cx) / 2, (y0 + y1 - extent.cy) / 2, label, label.GetLength());
    SelectObject(memory, previousFont);
    DeleteObject(made);
  }
  SelectObject(memory, previousBrush);
  DeleteObject(green);

  // Printer margins: lines across the bitmap, ticks outside the outline on the window.
  const int ml = P(m_nPrinterLeftMargin), mr = width - P(m_nPrinterRightMargin) - 1;
  const int mt = P(m_nPrinterTopMargin), mb = height - P(m_nPrinterBottomMargin) - 1;
  auto line = [](HDC target, int x0, int y0, int x1, int y1) {
    MoveToEx(target, x0, y0, nullptr);
    LineTo(target, x1, y1);
  };
  for (int x : {ml, mr}) {
    line(memory, x, 0, x, height);
    line(dc, m_nPreviewLeft + x, m_nPreviewTop - 7, m_nPreviewLeft + x, m_nPreviewTop + height + 7);
  }
  for (int y : {mt, mb}) {
    line(memory, 0, y, width, y);
    line(dc, m_nPreviewLeft - 5, m_nPreviewTop + y, m_nPreviewLeft + width + 7, m_nPreviewTop + y);
  }
  BitBlt(dc, m_nPreviewLeft + ml, m_nPreviewTop + mt, mr - ml, mb - mt, memory, ml, mt, SRCCOPY);
  SelectObject(memory, oldBitmap);
  DeleteDC(memory);
  SelectObject(dc, oldPen);
  SelectObject(dc, oldBrush);
}

BOOL CPresetPrintLayoutsDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  ShowWindow(SW_MAXIMIZE);
  InitPageMetrics();
  const int w = m_nPageWidth - m_nPrinterLeftMargin - m_nPrinterRightMargin;
  const int h = m_nPageHeight - m_nPrinterTopMargin - m_nPrinterBottomMargin;
  const double dx = m_nDpiX > 0 ? m_nDpiX : 1, dy = m_nDpiY > 0 ? m_nDpiY : 1;
  CString title;
  title.Format("Preset Layouts - Page size: %d x %d pixels (%0.1f inches x %0.1f inches / %0.1f mm x %0.1f mm) @ %d DPI",
               w, h, w / dx, h / dy, w * 25.4 / dx, h * 25.4 / dy, m_nDpiX);
  SetWindowText(title);
  SetDlgItemInt(IDC_PRESET_TOP, m_nTopMargin);
  SetDlgItemInt(IDC_PRESET_BOTTOM, m_nBottomMargin);
  SetDlgItemInt(IDC_PRESET_LEFT, m_nLeftMargin);
  SetDlgItemInt(IDC_PRESET_RIGHT, m_nRightMargin);
  SetDlgItemInt(IDC_PRESET_SPACING, m_nSpacing);
  m_nFocusedEdit = 0;
  GenerateLayout();
  return TRUE;
}

void CPresetPrintLayoutsDlg::OnPresetClicked(int id) {
  for (int radio : kRadios) CheckDlgButton(radio, radio == id ? BST_CHECKED : BST_UNCHECKED);
  GenerateLayout();
  Invalidate();
}

void CPresetPrintLayoutsDlg::OnMarginChanged(int id) {
  BOOL ok = FALSE;
  int value = static_cast<int>(GetDlgItemInt(id, &ok, TRUE));
  if (!ok) value = 0;
  auto clamp = [](int v, int high) { return std::max(0, std::min(v, high)); };
  switch (id) {
    case IDC_PRESET_TOP: m_nTopMargin = clamp(value, m_nPageHeight - m_nBottomMargin - 50); break;
    case IDC_PRESET_BOTTOM: m_nBottomMargin = clamp(value, m_nPageHeight - m_nTopMargin - 50); break;
    case IDC_PRESET_LEFT: m_nLeftMargin = clamp(value, m_nPageWidth - m_nRightMargin - 50); break;
    case IDC_PRESET_RIGHT: m_nRightMargin = clamp(value, m_nPageWidth - m_nLeftMargin - 50); break;
    default:
      m_nSpacing = clamp(value, std::min((m_nPageWidth - m_nRightMargin - m_nLeftMargin) / 5,
                                         (m_nPageHeight - m_nBottomMargin - m_nTopMargin) / 5));
      break;
  }
  GenerateLayout();
  Invalidate();
}

BOOL CPresetPrintLayoutsDlg::OnCommand(WPARAM wParam, LPARAM lParam) {
  const int id = LOWORD(wParam), code = HIWORD(wParam);
  for (int radio : kRadios)
    if (id == radio && code == BN_CLICKED) {
      OnPresetClicked(id);
      return TRUE;
    }
  if (id >= IDC_PRESET_TOP && id <= IDC_PRESET_SPACING) {
    if (code == EN_CHANGE) {
      OnMarginChanged(id);
      return TRUE;
    }
    if (code == EN_SETFOCUS || code == EN_KILLFOCUS) {
      m_nFocusedEdit = code == EN_SETFOCUS ? id : 0;
      Invalidate();
      return TRUE;
    }
  }
  return CDialog::OnCommand(wParam, lParam);
}

BOOL CPresetPrintLayoutsDlg::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
  if (message == WM_SIZE) {
    Invalidate();
    if (m_hPreview) DeleteObject(m_hPreview);
    m_hPreview = nullptr;
  } else if (message == WM_PAINT) {
    PAINTSTRUCT paint;
    if (HDC dc = BeginPaint(m_hWnd, &paint)) {
      DrawPreview(dc);
      EndPaint(m_hWnd, &paint);
    }
    if (result) *result = 0;
    return TRUE;
  }
  return CDialog::OnWndMsg(message, wParam, lParam, result);
}

void CPresetPrintLayoutsDlg::OnOK() {
  g_nPresetLayoutTopMargin = m_nTopMargin;
  g_nPresetLayoutBottomMargin = m_nBottomMargin;
  g_nPresetLayoutLeftMargin = m_nLeftMargin;
  g_nPresetLayoutRightMargin = m_nRightMargin;
  g_nPresetLayoutSpacing = m_nSpacing;
  g_nPresetLayout = 0;
  for (int i = 0; i < 8; ++i)
    if (IsDlgButtonChecked(kRadios[i])) g_nPresetLayout = kRadioCodes[i];
  EndDialog(IDOK);
}
