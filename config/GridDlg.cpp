#include "config/GridDlg.h"

#include <algorithm>
#include <cstdlib>

#include "platform/gdi/wingdi.h"
#include "platform/mfc/colordialog.h"
#include "platform/mfc/ddx.h"
#include "platform/user/controls.h"

namespace {

const int kMinDivisions = 2;
const int kMaxDivisions = 50;

void RegisterTemplate() {
  using K = DlgItemKind;
  AfxRegisterDialogTemplate(
      {IDD_GRID,
       "Grid Settings",
       {{IDC_GRID_HORIZONTAL, K::Edit, "Number of horizontal divisions:", "NumberOfHorizontalGridDivisions"},
        {IDC_GRID_HORIZONTAL_SPIN, K::Spin, nullptr, nullptr, kMinDivisions, kMaxDivisions},
        {IDC_GRID_VERTICAL, K::Edit, "Number of vertical divisions:", "NumberOfVerticalGridDivisions"},
        {IDC_GRID_VERTICAL_SPIN, K::Spin, nullptr, nullptr, kMinDivisions, kMaxDivisions},
        {IDC_GRID_ENABLE, K::Check, "Enable grid display", "DisplayGrid"},
        {-1, K::Label, "Line colour:"},
        {IDC_GRID_SWATCH, K::Picture, nullptr, "GridColour", 100, 100},
        {IDC_GRID_COLOUR, K::Button, "..."},
        {IDOK, K::DefButton, "OK"},
        {IDCANCEL, K::Button, "Cancel"}}});
}

}  // namespace

CGridDlg::CGridDlg(CWnd* parent) : CDialog(IDD_GRID, parent) { RegisterTemplate(); }

CGridDlg::~CGridDlg() {
  if (m_swatchBrush) DeleteObject(m_swatchBrush);
}

void CGridDlg::DoDataExchange(CDataExchange* dx) {
  DDX_Text(dx, IDC_GRID_HORIZONTAL, m_nHorizontalDivisions);
  DDV_MinMaxInt(dx, m_nHorizontalDivisions, kMinDivisions, kMaxDivisions);
  DDX_Text(dx, IDC_GRID_VERTICAL, m_nVerticalDivisions);
  DDV_MinMaxInt(dx, m_nVerticalDivisions, kMinDivisions, kMaxDivisions);
  DDX_Check(dx, IDC_GRID_ENABLE, m_bDisplayGrid);
}

void CGridDlg::StepDivisions(int editId, int delta) {
  CString text;
  GetDlgItemText(editId, text);
  int value = std::atoi(text) + (delta > 0 ? 1 : -1);
  SetDlgItemInt(editId, static_cast<UINT>(std::clamp(value, kMinDivisions, kMaxDivisions)), FALSE);
}

BOOL CGridDlg::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result) {
  const auto* header = reinterpret_cast<const NMHDR*>(lParam);
  if (header && header->code == UDN_DELTAPOS &&
      (header->idFrom == IDC_GRID_HORIZONTAL_SPIN || header->idFrom == IDC_GRID_VERTICAL_SPIN)) {
    const auto* change = reinterpret_cast<const NMUPDOWN*>(lParam);
    StepDivisions(header->idFrom == IDC_GRID_HORIZONTAL_SPIN ? IDC_GRID_HORIZONTAL : IDC_GRID_VERTICAL, change->iDelta);
    *result = 1;  // handled: the control moves nothing itself
    return TRUE;
  }
  return CDialog::OnNotify(wParam, lParam, result);
}

void CGridDlg::OnChooseColour() {
  CColorDialog chooser(m_nColour, CC_FULLOPEN | CC_RGBINIT, this);
  if (chooser.DoModal() != IDOK) return;
  m_nColour = chooser.GetColor();
  if (m_swatchBrush) DeleteObject(m_swatchBrush);
  m_swatchBrush = nullptr;
  if (CWnd* swatch = GetDlgItem(IDC_GRID_SWATCH)) swatch->Invalidate();
}

BOOL CGridDlg::OnCommand(WPARAM wParam, LPARAM lParam) {
  if (LOWORD(wParam) == IDC_GRID_COLOUR && HIWORD(wParam) == BN_CLICKED) {
    OnChooseColour();
    return TRUE;
  }
  return CDialog::OnCommand(wParam, lParam);
}

HBRUSH CGridDlg::OnCtlColor(CDC* dc, CWnd* wnd, UINT type) {
  if (wnd && wnd->GetDlgCtrlID() == IDC_GRID_SWATCH) {
    if (!m_swatchBrush) m_swatchBrush = CreateSolidBrush(m_nColour);
    return m_swatchBrush;
  }
  return CDialog::OnCtlColor(dc, wnd, type);
}
