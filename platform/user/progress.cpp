// "msctls_progress32": a progress bar.
#include <QProgressBar>

#include "platform/user/controls.h"
#include "platform/user/controls_p.h"
#include "platform/user/window.h"

namespace user_p {

QWidget* CreateProgress(HWND, DWORD, QWidget* parent) {
  auto* bar = new QProgressBar(parent);
  bar->setRange(0, 100);
  bar->setValue(0);
  bar->setTextVisible(false);
  bar->setProperty("tavorin_step", 10);
  return bar;
}

LRESULT CALLBACK ProgressProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* bar = ControlWidget<QProgressBar>(hWnd);
  if (!bar) return DefWindowProcA(hWnd, message, wParam, lParam);
  int old = bar->value();
  switch (message) {
    case PBM_SETRANGE: {
      LRESULT previous = MAKELRESULT(bar->minimum(), bar->maximum());
      bar->setRange(LOWORD(lParam), HIWORD(lParam));
      return previous;
    }
    case PBM_SETRANGE32: {
      LRESULT previous = MAKELRESULT(bar->minimum(), bar->maximum());
      bar->setRange(static_cast<int>(wParam), static_cast<int>(lParam));
      return previous;
    }
    case PBM_SETPOS: bar->setValue(std::clamp(static_cast<int>(wParam), bar->minimum(), bar->maximum())); return old;
    case PBM_DELTAPOS: bar->setValue(std::clamp(old + static_cast<int>(wParam), bar->minimum(), bar->maximum())); return old;
    case PBM_SETSTEP: {
      int previous = bar->property("tavorin_step").toInt();
      bar->setProperty("tavorin_step", static_cast<int>(wParam));
      return previous;
    }
    case PBM_STEPIT: {
      int next = old + bar->property("tavorin_step").toInt();
      if (next > bar->maximum()) next = bar->minimum() + (next - bar->maximum());  // wraps like the original
      bar->setValue(next);
      return old;
    }
    case PBM_GETPOS: return old;
  }
  return DefWindowProcA(hWnd, message, wParam, lParam);
}

}  // namespace user_p
