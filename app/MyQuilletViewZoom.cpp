// The zoom slider with the lens and digital-zoom texts, and the battery text.
#include <iterator>

#include "app/CameraValueTables.h"
#include "app/FullscreenDlg.h"
#include "app/MyQuilletView.h"
#include "app/ProgressDlg.h"
#include "app/Resource.h"

namespace {

const double kG9Lengths[] = {7.4, 8.2, 9.0, 9.9, 10.7, 12.7, 14.8, 16.8, 18.9, 22.0, 25.0, 29.2, 36.8};
const double kG10Lengths[] = {6.1, 6.8, 7.4, 8.1, 8.9, 9.8, 10.8, 12.1, 13.8, 15.7, 18.1, 21.5, 25.0};
const double kA640Lengths[] = {7.3, 8.5, 9.6, 10.8, 12.6, 14.9, 17.3, 21.7};
const double kSxLengths[] = {6.0,  6.7,  7.3,  8.2,  9.1,  10.3, 11.5, 12.8, 14.4, 16.1, 18.1,
                             20.1, 22.4, 25.2, 28.1, 31.5, 34.9, 38.9, 42.5, 46.6, 51.1, 55.9};
const double kS5Lengths[] = {6.0, 6.0, 6.0, 6.0, 6.0, 6.0, 6.0, 6.1, 6.1, 6.2, 6.3, 6.4, 6.6, 6.7, 6.9, 7.0, 7.2, 7.3, 7.5, 7.6, 7.8, 7.9, 8.1, 8.3, 8.4, 8.6, 8.8, 9.0, 9.1, 9.3, 9.5, 9.7, 9.9, 10.2, 10.4, 10.6, 10.8, 11.1, 11.3, 11.6, 11.8, 12.1, 12.4, 12.6, 12.9, 13.2, 13.5, 13.9, 14.2, 14.5, 14.9, 15.2, 15.6, 16.0, 16.4, 16.8, 17.3, 17.7, 18.2, 18.6, 19.1, 19.7, 20.2, 20.7, 21.3, 21.9, 22.5, 23.2, 23.8, 24.5, 25.2, 26.0, 26.8, 27.6, 28.4, 29.3, 30.2, 31.2, 32.2, 33.2, 34.3, 35.4, 36.6, 37.8, 39.1, 40.3, 41.6, 42.8, 44.0, 45.2, 46.3, 47.4, 48.6, 49.6, 50.7, 51.8, 52.8, 53.9, 54.9, 55.9, 56.8, 57.8, 58.7, 59.7, 60.5, 61.4, 62.3, 63.1, 63.9, 64.7, 65.4, 66.1, 66.8, 67.4, 68.0, 68.7, 69.3, 69.9, 70.4, 70.8, 71.2, 71.5, 71.7, 71.9};

struct LensRow {
  const char* model;
  bool anywhere;  // else after the model name's first character
  const char* format;
  const double* lengths;
  int count;
  double beyond;
};

#define LENS(model, anywhere, format, table, beyond) \
  {model, anywhere, format, table, static_cast<int>(std::size(table)), beyond}
const LensRow kLensRows[] = {
    LENS("G7", false, "7.4-44.4 @ %0.1fmm", kG9Lengths, 44.4),
    LENS("G9", false, "7.4-44.4 @ %0.1fmm", kG9Lengths, 44.4),
    LENS("G10", false, "6.1-30.5 @ %0.1fmm", kG10Lengths, 30.5),
    LENS("PowerShot A640", true, "7.3-29.2 @ %0.1fmm", kA640Lengths, 29.2),
    LENS("SX100 IS", false, "6.0-60.0 @ %0.1fmm", kSxLengths, 60.0),
    LENS("SX110 IS", false, "6.0-60.0 @ %0.1fmm", kSxLengths, 60.0),
    LENS("PowerShot S5 IS", true, "6.0-72.0 @ %0.1fmm", kS5Lengths, 72.0),
};
#undef LENS

struct DigitalZoomRow {
  const char* model;
  bool anywhere;
  int first;
  const char* texts[6];
};

const DigitalZoomRow kDigitalZoomRows[] = {
    {"G7", false, 14, {": 1.2x", ": 1.5x", ": 2.0x", ": 2.5x", ": 3.1x", ": 4.0x"}},
    {"G9", false, 14, {": 1.2x", ": 1.5x", ": 2.0x", ": 2.5x", ": 3.1x", ": 4.0x"}},
    {"G10", false, 14, {": 1.3x", ": 1.7x", ": 2.2x", ": 2.8x", ": 3.5x", ": 4.0x"}},
    {"PowerShot A640", true, 9, {": 1.4x", ": 1.8x", ": 2.3x", ": 2.9x", ": 3.6x", ": 4.0x"}},
    {"PowerShot S5 IS", true, 129, {": 1.3x", ": 1.6x", ": 2.0x", ": 2.5x", ": 3.2x", ": 4.0x"}},
    {"SX100 IS", false, 23, {": 1.3x", ": 1.6x", ": 2.0x", ": 2.6x", ": 3.2x", ": 4.0x"}},
    {"SX110 IS", false, 23, {": 1.3x", ": 1.7x", ": 2.2x", ": 2.7x", ": 3.4x", ": 4.0x"}},
};

bool ModelMatches(const CString& model, const char* text, bool anywhere) {
  return anywhere ? model.Find(text) >= 0 : ModelHasAfterFirst(model, text);
}

// Raw handles: the connect worker runs this too, and the platform's calls reach the UI thread.
void SetItemText(CWnd* view, int id, const CString& text) {
  if (HWND item = ::GetDlgItem(view->m_hWnd, id)) ::SetWindowTextA(item, text);
}

void ShowDigitalZoom(CWnd* view, const CString* text) {
  HWND item = ::GetDlgItem(view->m_hWnd, IDC_DIGITALZOOM);
  if (!item) return;
  if (text) ::SetWindowTextA(item, *text);
  ::ShowWindow(item, text ? SW_SHOW : SW_HIDE);
}

}  // namespace

void CMyQuilletView::GetFocalLengthText(int position) {
  CString text;
  if (m_pCamera) {
    CString model = m_pCamera->GetModelName();
    for (const LensRow& row : kLensRows) {
      if (!ModelMatches(model, row.model, row.anywhere)) continue;
      double length = position >= 0 && position < row.count ? row.lengths[position] : row.beyond;
      text.Format(row.format, length);
      text = "Lens: " + text;
      break;
    }
  }
  SetItemText(this, IDC_LENS, text);
}

void CMyQuilletView::UpdateZoom() {
  if (!m_zoomSlider.m_hWnd) return;
  int position = m_zoomSlider.GetPos();
  if (m_nMinZoomSetting > 0 && position < m_nMinZoomSetting) {
    position = m_nMinZoomSetting;
    m_zoomSlider.SetPos(position);
  } else if (m_nMaxZoomSetting > 0 && position > m_nMaxZoomSetting) {
    position = m_nMaxZoomSetting;
    m_zoomSlider.SetPos(position);
  }
  if (!m_pCamera || !m_pCamera->IsConnected()) {
    m_dDigitalZoom = 0;
    return;
  }
  m_pCamera->SetZoom(static_cast<DWORD>(position));
  DWORD mode = 0;
  if (m_pCamera->IsPrsdk() && m_pCamera->GetShootingMode(mode) && (mode == 3 || mode == 4)) {
    // The apertures on offer change with the focal length.
    WORD values[256];
    int length = static_cast<int>(std::size(values));
    if (m_pCamera->GetPropertyValues(0xD01D, values, length) && length > 0) {
      CameraValueTable table = AvPrTableForModel(m_pCamera->GetModelName());
      FillSupportedValues(m_cbAv, table.rows, table.count, values, length);
      DWORD av = 0;
      if (m_pCamera->GetAv(av)) SelectComboByItemData(&m_cbAv, av);
    }
  }
  double current = 0, wide = 0, tele = 0;
  if (m_pCamera->GetFocalLengths(current, wide, tele)) {
    CString text;
    if (tele - wide < 0.1)
      text.Format("Lens: %0.1fmm", current);
    else
      text.Format("Lens: %0.1f-%0.1f @ %0.1fmm", wide, tele, current);
    SetItemText(this, IDC_LENS, text);
  } else {
    GetFocalLengthText(position);
  }
  double magnification = 0;
  DWORD start = 0;
  if (m_pCamera->GetDigitalZoom(magnification)) {
    m_dDigitalZoom = magnification;
    CString text;
    text.Format("Digital Zoom: %0.1fx", magnification);
    ShowDigitalZoom(this, &text);
  } else if (m_pCamera->GetPrDigitalZoom(start) && position >= static_cast<int>(start)) {
    CString text = "Digital zoom";
    CString model = m_pCamera->GetModelName();
    for (const DigitalZoomRow& row : kDigitalZoomRows) {
      if (!ModelMatches(model, row.model, row.anywhere)) continue;
      if (position >= row.first && position < row.first + 6) text += row.texts[position - row.first];
      break;
    }
    ShowDigitalZoom(this, &text);
  } else {
    m_dDigitalZoom = 0;
    ShowDigitalZoom(this, nullptr);
  }
  if (m_pFullscreenDlg && m_pFullscreenDlg->m_bShowingScreen) m_pCamera->DoAf();
}

void CMyQuilletView::OnZoomScroll(UINT code) {
  if (m_chkAfLock.m_hWnd && m_chkAfLock.GetCheck() == BST_CHECKED) m_chkAfLock.SetCheck(BST_UNCHECKED);
  if (code == TB_THUMBTRACK)
    GetFocalLengthText(m_zoomSlider.GetPos());
  else
    UpdateZoom();
}

void CMyQuilletView::UpdateBatteryText() {
  CString level = "N/A";
  if (m_pCamera && m_pCamera->IsConnected() && !m_bBusy && !m_pProgressDlg) {
    switch (m_pCamera->GetBatteryLevel()) {
      case 1: level = "Normal"; break;
      case 3: level = "Very low"; break;
      case 2:
      case 4: level = "Low"; break;
      default: break;
    }
  }
  SetItemText(this, IDC_BATTERY, "Battery: " + level);
}
