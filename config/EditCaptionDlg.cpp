#include "config/EditCaptionDlg.h"

#include <climits>
#include <cmath>
#include <cstdlib>
#include <vector>

#include "config/FontDescription.h"
#include "platform/gdi/wingdi.h"
#include "platform/mfc/colordialog.h"
#include "platform/mfc/ddx.h"
#include "platform/mfc/fontdialog.h"
#include "platform/user/controls.h"

namespace {

const int kSwatchSize = 100;
const char* const kAlignments[] = {"Left justified", "Centered", "Right justified"};

}  // namespace

CEditCaptionDlg::CEditCaptionDlg(CWnd* parent) : CDialog(IDD_EDIT_CAPTION, parent) {
  using K = DlgItemKind;
  AfxRegisterDialogTemplate({IDD_EDIT_CAPTION,
                             "Edit Captions",
                             {{IDC_EC_CAPTIONS, K::List, "Captions:"},
                              {IDC_EC_ENABLE, K::Check, "Enable caption", nullptr, 0, 0, "Caption"},
                              {IDC_EC_TEXT, K::MultiLine, "Text:", nullptr, 0, 0, "Caption"},
                              {IDC_EC_FONT_DESCRIPTION, K::ReadOnly, "Font:", nullptr, 0, 0, "Caption"},
                              {IDC_EC_FONT, K::Button, "Font...", nullptr, 0, 0, "Caption"},
                              {IDC_EC_COLOUR_SWATCH, K::Picture, "Font color:", nullptr, kSwatchSize / 4,
                               kSwatchSize / 4, "Caption"},
                              {IDC_EC_COLOUR, K::Button, "Color...", nullptr, 0, 0, "Caption"},
                              {IDC_EC_ALIGNMENT, K::Combo, "Alignment:", nullptr, 0, 0, "Caption"},
                              {IDC_EC_LEFT, K::Edit, "Left offset (pixels):", nullptr, 0, 0, "Position"},
                              {IDC_EC_TOP, K::Edit, "Top offset (pixels):", nullptr, 0, 0, "Position"},
                              {IDC_EC_ANGLE, K::Edit, "Angle:", nullptr, 0, 0, "Position"},
                              {IDC_EC_MAX_LINES, K::Edit, "Maximum number of lines: (0= no limit)", nullptr, 0, 0,
                               "Position"},
                              {IDC_EC_WRAP_WIDTH, K::Edit, "Line word wrap length in pixels: (0= disabled)", nullptr,
                               0, 0, "Position"},
                              {IDC_EC_MOVE_TO_CENTER, K::Button, "Move to center", nullptr, 0, 0, "Position"},
                              {IDOK, K::DefButton, "OK"},
                              {IDCANCEL, K::Button, "Cancel"}}});
}

CEditCaptionDlg::~CEditCaptionDlg() {
  if (m_hSwatch) DeleteObject(m_hSwatch);
}

void CEditCaptionDlg::DoDataExchange(CDataExchange* dx) {
  DDX_Check(dx, IDC_EC_ENABLE, m_caption.m_nEnable);
  DDX_Text(dx, IDC_EC_TEXT, m_caption.m_strText);
  DDX_CBIndex(dx, IDC_EC_ALIGNMENT, m_caption.m_nAlignment);
  DDX_Text(dx, IDC_EC_LEFT, m_caption.m_nLeft);
  DDX_Text(dx, IDC_EC_TOP, m_caption.m_nTop);
  DDX_Text(dx, IDC_EC_ANGLE, m_caption.m_dAngle);
  DDX_Text(dx, IDC_EC_MAX_LINES, m_caption.m_nMaxNumberOfLines);
  if (dx->m_bSaveAndValidate) m_caption.m_nMaxNumberOfLines = ClampCaptionLines(m_caption.m_nMaxNumberOfLines);
  DDX_Text(dx, IDC_EC_WRAP_WIDTH, m_caption.m_nMaxLineWidth);
}

BOOL CEditCaptionDlg::OnInitDialog() {
  m_bShowing = true;
  CDialog::OnInitDialog();
  m_bMoveToCenter = FALSE;
  if (m_nCurrentCaption < 0 || m_nCurrentCaption >= kLayoutCaptionCount) m_nCurrentCaption = 0;
  for (int i = 0; i < kLayoutCaptionCount; ++i) {
    CString name;
    name.Format("Caption %d", i + 1);
    SendDlgItemMessage(IDC_EC_CAPTIONS, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.GetString()));
  }
  SendDlgItemMessage(IDC_EC_CAPTIONS, LB_SETCURSEL, static_cast<WPARAM>(m_nCurrentCaption));
  for (const char* alignment : kAlignments)
    SendDlgItemMessage(IDC_EC_ALIGNMENT, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(alignment));
  if (m_bHideMoveToCenter)
    if (CWnd* move = GetDlgItem(IDC_EC_MOVE_TO_CENTER)) move->ShowWindow(SW_HIDE);
  m_caption = m_captions[m_nCurrentCaption];
  m_bShowing = false;
  ShowCaption();
  return TRUE;
}

void CEditCaptionDlg::ApplyDefaultsIfEmpty() {
  if (!m_caption.m_strText.IsEmpty()) return;
  // Spread the new captions over the page so that none hides another.
  const int n = m_nCurrentCaption;
  m_caption.m_strText.Format("Caption %d", n + 1);
  m_caption.m_dAngle = 0.0;
  m_caption.m_nLeft = m_nPageWidth * n / 40 + m_nPageWidth / 10;
  m_caption.m_nTop = n * m_nPageHeight / 14 + m_nDpiY / 4;
  m_caption.m_colour = RGB(0, 0, 0);
  m_caption.m_font = MakeScreenPointFont(280);
}

void CEditCaptionDlg::ShowCaption() {
  ApplyDefaultsIfEmpty();
  RefreshControls();
}

void CEditCaptionDlg::RefreshControls() {
  if (!m_hWnd) return;
  m_bShowing = true;
  UpdateData(FALSE);
  m_bShowing = false;
  UpdateFontDescription();
  EnableControls();
}

void CEditCaptionDlg::EnableControls() {
  const BOOL on = m_caption.m_nEnable ? TRUE : FALSE;
  for (int id : {IDC_EC_TEXT, IDC_EC_FONT, IDC_EC_LEFT, IDC_EC_TOP, IDC_EC_ALIGNMENT, IDC_EC_ANGLE, IDC_EC_COLOUR,
                 IDC_EC_FONT_DESCRIPTION})
    if (CWnd* control = GetDlgItem(id)) control->EnableWindow(on);
  if (!m_bHideMoveToCenter)
    if (CWnd* move = GetDlgItem(IDC_EC_MOVE_TO_CENTER)) move->EnableWindow(on);
}

void CEditCaptionDlg::UpdateFontDescription() {
  // The swatch: a square of the caption's colour.
  std::vector<DWORD> pixels(kSwatchSize * kSwatchSize, 0xFF000000u | (GetRValue(m_caption.m_colour) << 16) |
                                                           (GetGValue(m_caption.m_colour) << 8) |
                                                           GetBValue(m_caption.m_colour));
  HBITMAP swatch = CreateBitmap(kSwatchSize, kSwatchSize, 1, 32, pixels.data());
  if (swatch) {
    HBITMAP old = reinterpret_cast<HBITMAP>(
        SendDlgItemMessage(IDC_EC_COLOUR_SWATCH, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(swatch)));
    if (old && old != swatch) DeleteObject(old);
    if (m_hSwatch && m_hSwatch != old) DeleteObject(m_hSwatch);
    m_hSwatch = swatch;
  }
  SetDlgItemText(IDC_EC_FONT_DESCRIPTION, FormatFontDescription(m_caption.m_font, ScreenDpiY()));
}

void CEditCaptionDlg::OnSelchangeCaptions() {
  int index = static_cast<int>(SendDlgItemMessage(IDC_EC_CAPTIONS, LB_GETCURSEL));
  if (index < 0 || index >= kLayoutCaptionCount || index == m_nCurrentCaption) return;
  m_captions[m_nCurrentCaption] = m_caption;
  m_nCurrentCaption = index;
  m_caption = m_captions[index];
  ShowCaption();
}

void CEditCaptionDlg::ReadControlsQuietly() {
  // Typing passes through states like "-" that are not numbers yet: those keep their field
  // here, and OK reports them.
  auto readInt = [this](int id, int& value) {
    CString text;
    GetDlgItemText(id, text);
    text.Trim();
    char* end = nullptr;
    long read = std::strtol(text, &end, 10);
    if (!text.IsEmpty() && end && *end == '\0' && read >= INT_MIN && read <= INT_MAX) value = static_cast<int>(read);
  };
  GetDlgItemText(IDC_EC_TEXT, m_caption.m_strText);
  int alignment = static_cast<int>(SendDlgItemMessage(IDC_EC_ALIGNMENT, CB_GETCURSEL));
  if (alignment >= 0) m_caption.m_nAlignment = alignment;
  readInt(IDC_EC_LEFT, m_caption.m_nLeft);
  readInt(IDC_EC_TOP, m_caption.m_nTop);
  readInt(IDC_EC_MAX_LINES, m_caption.m_nMaxNumberOfLines);
  m_caption.m_nMaxNumberOfLines = ClampCaptionLines(m_caption.m_nMaxNumberOfLines);
  readInt(IDC_EC_WRAP_WIDTH, m_caption.m_nMaxLineWidth);
  CString angle;
  GetDlgItemText(IDC_EC_ANGLE, angle);
  angle.Trim();
  char* end = nullptr;
  double read = std::strtod(angle, &end);
  if (!angle.IsEmpty() && end && *end == '\0' && std::isfinite(read)) m_caption.m_dAngle = read;
}

void CEditCaptionDlg::OnNumberChanged(int id) {
  CString text;
  GetDlgItemText(id, text);
  text.Trim();
  if (!text.IsEmpty()) {
    ReadControlsQuietly();
    return;
  }
  // A cleared edit means 0; the others keep what they hold.
  switch (id) {
    case IDC_EC_LEFT: m_caption.m_nLeft = 0; break;
    case IDC_EC_TOP: m_caption.m_nTop = 0; break;
    case IDC_EC_MAX_LINES: m_caption.m_nMaxNumberOfLines = 0; break;
    case IDC_EC_WRAP_WIDTH: m_caption.m_nMaxLineWidth = 0; break;
    case IDC_EC_ANGLE: m_caption.m_dAngle = 0.0; break;
    default: break;
  }
}

void CEditCaptionDlg::OnFont() {
  LOGFONTA font = m_caption.m_font;
  CFontDialog dialog(&font, CF_SCREENFONTS | CF_SCALABLEONLY | CF_INITTOLOGFONTSTRUCT, nullptr, this);
  if (dialog.DoModal() != IDOK) return;
  dialog.GetCurrentFont(&m_caption.m_font);
  UpdateFontDescription();
}

void CEditCaptionDlg::OnColour() {
  CColorDialog dialog(m_caption.m_colour, CC_FULLOPEN | CC_RGBINIT, this);
  if (dialog.DoModal() != IDOK) return;
  m_caption.m_colour = dialog.GetColor();
  UpdateFontDescription();
}

void CEditCaptionDlg::OnOK() {
  m_captions[m_nCurrentCaption] = m_caption;
  if (!UpdateData(TRUE)) return;
  m_captions[m_nCurrentCaption] = m_caption;
  EndDialog(IDOK);
}

BOOL CEditCaptionDlg::OnCommand(WPARAM wParam, LPARAM lParam) {
  const int id = LOWORD(wParam), code = HIWORD(wParam);
  if (m_bShowing && (code == EN_CHANGE || code == CBN_SELCHANGE)) return TRUE;
  switch (id) {
    case IDC_EC_CAPTIONS:
      if (code == LBN_SELCHANGE) OnSelchangeCaptions();
      return TRUE;
    case IDC_EC_ENABLE:
      if (code == BN_CLICKED) {
        m_caption.m_nEnable = IsDlgButtonChecked(IDC_EC_ENABLE) ? 1 : 0;
        EnableControls();
      }
      return TRUE;
    case IDC_EC_TEXT:
      if (code == EN_CHANGE) GetDlgItemText(IDC_EC_TEXT, m_caption.m_strText);
      return TRUE;
    case IDC_EC_ALIGNMENT:
      if (code == CBN_SELCHANGE) {
        int index = static_cast<int>(SendDlgItemMessage(IDC_EC_ALIGNMENT, CB_GETCURSEL));
        if (index >= 0) m_caption.m_nAlignment = index;
      }
      return TRUE;
    case IDC_EC_LEFT:
    case IDC_EC_TOP:
    case IDC_EC_ANGLE:
    case IDC_EC_MAX_LINES:
    case IDC_EC_WRAP_WIDTH:
      if (code == EN_CHANGE) OnNumberChanged(id);
      return TRUE;
    case IDC_EC_FONT:
      if (code == BN_CLICKED) OnFont();
      return TRUE;
    case IDC_EC_COLOUR:
      if (code == BN_CLICKED) OnColour();
      return TRUE;
    case IDC_EC_MOVE_TO_CENTER:
      if (code == BN_CLICKED) m_bMoveToCenter = TRUE;
      return TRUE;
    default:
      break;
  }
  return CDialog::OnCommand(wParam, lParam);
}
