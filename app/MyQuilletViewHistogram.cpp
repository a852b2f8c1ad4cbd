// The histogram picture under the camera controls: a grey intensity histogram and red, green
// and blue curves drawn into a bitmap that control 1033 shows.
#include <algorithm>
#include <memory>

#include "app/MyQuilletView.h"
#include "app/Resource.h"

namespace {

constexpr int kHistogramHeight = 102;

}  // namespace

void CMyQuilletView::DrawHistogram() {
  CWnd* control = GetDlgItem(IDC_HISTOGRAM);
  if (!control) return;
  // As wide as its picture control, whose width the form's layout decides; a layout that
  // changes the width gets a new bitmap.
  CRect picture;
  control->GetClientRect(&picture);
  const int width = std::max(static_cast<int>(picture.Width()), 16);
  if (m_pHistogramBitmap) {
    BITMAP current{};
    m_pHistogramBitmap->GetBitmap(&current);
    if (current.bmWidth != width) m_pHistogramBitmap.reset();
  }
  if (!m_pHistogramBitmap) {
    CClientDC viewDc(this);
    auto bitmap = std::make_unique<CBitmap>();
    if (!bitmap->CreateCompatibleBitmap(&viewDc, width, kHistogramHeight)) return;
    m_pHistogramBitmap = std::move(bitmap);
  }
  BITMAP info{};
  m_pHistogramBitmap->GetBitmap(&info);
  const int w = info.bmWidth, h = info.bmHeight;
  CDC dc;
  if (!dc.CreateCompatibleDC(nullptr)) return;
  CBitmap* oldBitmap = dc.SelectObject(m_pHistogramBitmap.get());
  dc.FillSolidRect(0, 0, w, h, RGB(0, 160, 185));
  CPen border(PS_SOLID, 1, RGB(0, 0, 0));
  CPen* oldPen = dc.SelectObject(&border);
  POINT frame[] = {{0, 0}, {w - 1, 0}, {w - 1, h - 1}, {0, h - 1}, {0, 0}};
  dc.Polyline(frame, 5);
  CPen grid(PS_SOLID, 1, RGB(0, 120, 150));
  dc.SelectObject(&grid);
  for (int i = 1; i <= 4; ++i) {
    dc.MoveTo(i * w / 5, 1);
    dc.LineTo(i * w / 5, h - 1);
  }

  m_histogram.Normalise();
  const int colourMax = std::max({m_histogram.m_maxRed, m_histogram.m_maxGreen, m_histogram.m_maxBlue});
  const int intensityMax = m_histogram.m_maxIntensity;
  auto x = [w](int bin) { return bin * (w - 3) / 255 + 1; };
  auto y = [h](int count, int maximum) { return h - count * 100 / maximum - 1; };
  if (m_bIntensity && intensityMax > 0) {
    CPen pen(PS_SOLID, 1, RGB(90, 90, 90));
    dc.SelectObject(&pen);
    for (int i = 0; i < 256; ++i) {
      dc.MoveTo(x(i), y(m_histogram.m_intensity[i], intensityMax));
      dc.LineTo(x(i), h - 1);
    }
    dc.SelectObject(&grid);
  }
  const struct {
    BOOL on;
    const int* counts;
    COLORREF colour;
  } curves[] = {{m_bRed, m_histogram.m_red, RGB(255, 0, 0)},
                {m_bGreen, m_histogram.m_green, RGB(20, 255, 20)},
                {m_bBlue, m_histogram.m_blue, RGB(0, 0, 255)}};
  for (const auto& curve : curves) {
    if (!curve.on || colourMax <= 0) continue;
    CPen pen(PS_SOLID, 1, curve.colour);
    dc.SelectObject(&pen);
    POINT points[257];
    points[0] = {0, h};
    for (int i = 0; i < 256; ++i) points[i + 1] = {x(i), y(curve.counts[i], colourMax)};
    dc.Polyline(points, 257);
    dc.SelectObject(&grid);
  }
  dc.SelectObject(oldPen);
  dc.SelectObject(oldBitmap);
  control->SendMessage(STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(static_cast<HBITMAP>(*m_pHistogramBitmap)));
  control->Invalidate(TRUE);
  control->UpdateWindow();
}

bool CMyQuilletView::OnHistogramCommand(UINT id) {
  BOOL* flag = nullptr;
  switch (id) {
    case ID_HISTOGRAM_INTENSITY: flag = &m_bIntensity; break;
    case ID_HISTOGRAM_RED: flag = &m_bRed; break;
    case ID_HISTOGRAM_GREEN: flag = &m_bGreen; break;
    case ID_HISTOGRAM_BLUE: flag = &m_bBlue; break;
    default: return false;
  }
  *flag = !*flag;
  DrawHistogram();
  return true;
}

HMENU CMyQuilletView::BuildHistogramMenu() {
  HMENU menu = CreatePopupMenu();
  if (!menu) return nullptr;
  const struct {
    UINT id;
    const char* text;
    BOOL on;
  } items[] = {{ID_HISTOGRAM_INTENSITY, "&Intensity", m_bIntensity},
               {ID_HISTOGRAM_RED, "&Red", m_bRed},
               {ID_HISTOGRAM_GREEN, "&Green", m_bGreen},
               {ID_HISTOGRAM_BLUE, "&Blue", m_bBlue}};
  for (const auto& item : items) {
    AppendMenuA(menu, MF_STRING, item.id, item.text);
    CheckMenuItem(menu, item.id, MF_BYCOMMAND | (item.on ? MF_CHECKED : MF_UNCHECKED));
  }
  return menu;
}

void CMyQuilletView::OnRButtonUp(UINT flags, CPoint point) {
  CRect place;
  if (CWnd* control = GetDlgItem(IDC_HISTOGRAM)) {
    control->GetWindowRect(&place);
    ScreenToClient(&place);
  }
  if (!place.PtInRect(point)) {
    CFormView::OnRButtonUp(flags, point);
    return;
  }
  HMENU menu = BuildHistogramMenu();
  if (!menu) return;
  CPoint screen = point;
  ClientToScreen(&screen);
  // The chosen item comes back as WM_COMMAND to the view.
  TrackPopupMenu(menu, TPM_LEFTALIGN | TPM_RIGHTBUTTON, screen.x, screen.y, 0, m_hWnd, nullptr);
  DestroyMenu(menu);
}

void CMyQuilletView::OnGetMinMaxInfo(MINMAXINFO* info) {
  CFormView::OnGetMinMaxInfo(info);
  if (!info) return;
  info->ptMinTrackSize.x = 400;
  info->ptMinTrackSize.y = 410;
}

HBRUSH CMyQuilletView::OnCtlColor(CDC* dc, CWnd* wnd, UINT type) {
  HBRUSH brush = CFormView::OnCtlColor(dc, wnd, type);
  if (dc && wnd && wnd->GetDlgCtrlID() == IDC_DIGITALZOOM) dc->SetTextColor(RGB(255, 0, 0));
  return brush;
}
