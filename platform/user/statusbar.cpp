// "msctls_statusbar32": a row of text panes. SB_SETPARTS gives each pane's right edge (-1:
// to the end); a pane with a right edge of -1 stretches.
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QStatusBar>

#include "platform/user/controls.h"
#include "platform/user/controls_p.h"
#include "platform/user/qtstring_p.h"
#include "platform/user/window.h"

namespace user_p {
namespace {

class StatusWidget : public QStatusBar {
 public:
  explicit StatusWidget(QWidget* parent) : QStatusBar(parent) {
    setSizeGripEnabled(false);
    SetParts({-1});
  }

  void SetParts(const std::vector<int>& rights) {
    for (QLabel* pane : panes) {
      removeWidget(pane);
      delete pane;
    }
    panes.clear();
    int left = 0;
    for (int right : rights) {
      auto* pane = new QLabel(this);
      pane->setFrameShape(QFrame::NoFrame);
      if (right < 0) {
        addWidget(pane, 1);
      } else {
        pane->setMinimumWidth(std::max(0, right - left));
        addPermanentWidget(pane);
        left = right;
      }
      panes.push_back(pane);
    }
    edges = rights;
  }

  std::vector<QLabel*> panes;
  std::vector<int> edges;
};

}  // namespace

QWidget* CreateStatusBar(HWND, DWORD, QWidget* parent) { return new StatusWidget(parent); }

LRESULT CALLBACK StatusBarProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* bar = dynamic_cast<StatusWidget*>(WidgetOf(hWnd));
  if (!bar) return DefWindowProcA(hWnd, message, wParam, lParam);
  size_t pane = LOBYTE(wParam);
  switch (message) {
    case SB_SETPARTS: {
      if (wParam == 0 || wParam > 256 || !lParam) return FALSE;
      const int* rights = reinterpret_cast<const int*>(lParam);
      bar->SetParts(std::vector<int>(rights, rights + wParam));
      return TRUE;
    }
    case SB_GETPARTS: {
      if (lParam) {
        for (size_t i = 0; i < std::min<size_t>(wParam, bar->edges.size()); ++i) {
          reinterpret_cast<int*>(lParam)[i] = bar->edges[i];
        }
      }
      return static_cast<LRESULT>(bar->edges.size());
    }
    case SB_SETTEXTA:
      if (pane >= bar->panes.size()) return FALSE;
      bar->panes[pane]->setText(ToQString(TextIn(lParam)));
      return TRUE;
    case SB_GETTEXTA: {
      if (pane >= bar->panes.size()) return 0;
      std::string text = FromQString(bar->panes[pane]->text());
      if (lParam) CopyTextOut(text, text.size() + 1, lParam);
      return static_cast<LRESULT>(text.size());
    }
    case SB_GETTEXTLENGTHA:
      return pane < bar->panes.size() ? static_cast<LRESULT>(FromQString(bar->panes[pane]->text()).size()) : 0;
    case WM_SETTEXT:
      if (!bar->panes.empty()) bar->panes[0]->setText(ToQString(TextIn(lParam)));
      break;
  }
  return DefWindowProcA(hWnd, message, wParam, lParam);
}

}  // namespace user_p
