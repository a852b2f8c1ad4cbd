// "msctls_trackbar32": a slider. The parent hears of the user's moves by WM_HSCROLL (or
// WM_VSCROLL) with the scroll code and, when the thumb is let go, NM_RELEASEDCAPTURE.
#include <QSlider>

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
