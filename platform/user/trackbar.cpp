// "msctls_trackbar32": a slider. The parent hears of the user's moves by WM_HSCROLL (or
// WM_VSCROLL) with the scroll code and, when the thumb is let go, NM_RELEASEDCAPTURE.
// Tick marks set one by one (TBM_SETTIC) are kept as a list; the slider draws them at the
// smallest spacing between them, which is exact for evenly spread ticks.
#include <QSlider>
#include <QVariant>
#include <algorithm>
#include <vector>

#include "platform/user/controls.h"
#include "platform/user/controls_p.h"
#include "platform/user/message.h"
#include "platform/user/window.h"

namespace user_p {
namespace {

void Scroll(HWND hwnd, QSlider* slider, int code) {
  HWND parent = GetParent(hwnd);
  if (!parent) return;
  UINT message = slider->orientation() == Qt::Horizontal ? WM_HSCROLL : WM_VSCROLL;
  SendMessageA(parent, message, MAKEWPARAM(code, slider->sliderPosition()), reinterpret_cast<LPARAM>(hwnd));
}

const char* const kTicsProperty = "tavorinTics";

std::vector<int> TicsOf(QSlider* slider) {
  std::vector<int> tics;
  for (const QVariant& tic : slider->property(kTicsProperty).toList()) tics.push_back(tic.toInt());
  return tics;
}

void ShowTics(QSlider* slider, std::vector<int> tics) {
  QVariantList stored;
  for (int tic : tics) stored.push_back(tic);
  slider->setProperty(kTicsProperty, stored);
  std::sort(tics.begin(), tics.end());
  tics.erase(std::unique(tics.begin(), tics.end()), tics.end());
  int spacing = 0;
  for (size_t i = 1; i < tics.size(); ++i)
    if (spacing == 0 || tics[i] - tics[i - 1] < spacing) spacing = tics[i] - tics[i - 1];
  slider->setTickPosition(tics.empty() ? QSlider::NoTicks : QSlider::TicksBelow);
  slider->setTickInterval(std::max(spacing, 1));
}

}  // namespace

QWidget* CreateTrackbar(HWND hwnd, DWORD style, QWidget* parent) {
  auto* slider = new QSlider((style & TBS_VERT) ? Qt::Vertical : Qt::Horizontal, parent);
  slider->setRange(0, 100);
  slider->setTickPosition((style & TBS_NOTICKS) ? QSlider::NoTicks : QSlider::TicksBelow);
  QObject::connect(slider, &QSlider::sliderMoved, [hwnd, slider] { Scroll(hwnd, slider, TB_THUMBTRACK); });
  QObject::connect(slider, &QSlider::sliderReleased, [hwnd, slider] {
    Scroll(hwnd, slider, TB_THUMBPOSITION);
    Scroll(hwnd, slider, TB_ENDTRACK);
    NotifyParentNm(hwnd, NM_RELEASEDCAPTURE);
  });
  QObject::connect(slider, &QSlider::actionTriggered, [hwnd, slider](int action) {
    int code = -1;
    switch (action) {
      case QAbstractSlider::SliderSingleStepAdd: code = TB_LINEDOWN; break;
      case QAbstractSlider::SliderSingleStepSub: code = TB_LINEUP; break;
      case QAbstractSlider::SliderPageStepAdd: code = TB_PAGEDOWN; break;
      case QAbstractSlider::SliderPageStepSub: code = TB_PAGEUP; break;
      case QAbstractSlider::SliderToMinimum: code = TB_TOP; break;
      case QAbstractSlider::SliderToMaximum: code = TB_BOTTOM; break;
    }
    if (code < 0) return;
    Scroll(hwnd, slider, code);  // sliderPosition() already holds the new value
    Scroll(hwnd, slider, TB_ENDTRACK);
  });
  return slider;
}

LRESULT CALLBACK TrackbarProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* slider = ControlWidget<QSlider>(hWnd);
  if (!slider) return DefWindowProcA(hWnd, message, wParam, lParam);
  switch (message) {
    case TBM_GETPOS: return slider->value();
    case TBM_SETPOS: slider->setValue(static_cast<int>(lParam)); return 0;
    case TBM_GETRANGEMIN: return slider->minimum();
    case TBM_GETRANGEMAX: return slider->maximum();
    case TBM_SETRANGE: slider->setRange(static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))); return 0;
    case TBM_SETRANGEMIN: slider->setMinimum(static_cast<int>(lParam)); return 0;
    case TBM_SETRANGEMAX: slider->setMaximum(static_cast<int>(lParam)); return 0;
    case TBM_SETTICFREQ: slider->setTickInterval(static_cast<int>(wParam)); return 0;
    case TBM_CLEARTICS: ShowTics(slider, {}); return 0;
    case TBM_SETTIC: {
      int tic = static_cast<int>(lParam);
      if (tic < slider->minimum() || tic > slider->maximum()) return FALSE;
      std::vector<int> tics = TicsOf(slider);
      tics.push_back(tic);
      ShowTics(slider, tics);
      return TRUE;
    }
    case TBM_GETNUMTICS: return static_cast<LRESULT>(TicsOf(slider).size());
    case TBM_SETPAGESIZE: {
      int old = slider->pageStep();
      slider->setPageStep(static_cast<int>(lParam));
      return old;
    }
    case TBM_SETLINESIZE: {
      int old = slider->singleStep();
      slider->setSingleStep(static_cast<int>(lParam));
      return old;
    }
  }
  return DefWindowProcA(hWnd, message, wParam, lParam);
}

}  // namespace user_p
