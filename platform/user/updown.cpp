// "msctls_updown32": two arrows that step a position inside a range and, with
// UDS_SETBUDDYINT, write it into the buddy edit.
#include <QHBoxLayout>
#include <QToolButton>
#include <QVBoxLayout>

#include "platform/user/controls.h"
#include "platform/user/controls_p.h"
#include "platform/user/message.h"
#include "platform/user/window.h"

namespace user_p {
namespace {

class UpDownWidget : public QWidget {
 public:
  UpDownWidget(HWND hwnd, DWORD style, QWidget* parent) : QWidget(parent), m_hwnd(hwnd), m_style(style) {
    QBoxLayout* layout = (style & UDS_HORZ) ? static_cast<QBoxLayout*>(new QHBoxLayout(this)) : new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    auto* up = new QToolButton(this);
    auto* down = new QToolButton(this);
    up->setArrowType((style & UDS_HORZ) ? Qt::RightArrow : Qt::UpArrow);
    down->setArrowType((style & UDS_HORZ) ? Qt::LeftArrow : Qt::DownArrow);
    up->setAutoRepeat(true);
    down->setAutoRepeat(true);
    for (QToolButton* arrow : {up, down}) {
      // Half the height each, whatever height the control is given.
      arrow->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Ignored);
      arrow->setFixedWidth(18);
      layout->addWidget(arrow);
    }
    connect(up, &QToolButton::clicked, [this] { Step(+1); });
    connect(down, &QToolButton::clicked, [this] { Step(-1); });
  }
  int low = 0, high = 100, pos = 0;
  HWND buddy = nullptr;

  void Step(int delta) {
    HWND parent = GetParent(m_hwnd);
    NMUPDOWN change{{m_hwnd, static_cast<UINT_PTR>(GetDlgCtrlID(m_hwnd)), UDN_DELTAPOS}, pos, delta};
    if (parent && SendMessageA(parent, WM_NOTIFY, GetDlgCtrlID(m_hwnd), reinterpret_cast<LPARAM>(&change))) return;
    int lo = std::min(low, high), hi = std::max(low, high);
    // A range given high-to-low makes "up" count down, as on the platform.
    int next = pos + (low > high ? -delta : delta);
    pos = std::clamp(next, lo, hi);
    if (buddy && (m_style & UDS_SETBUDDYINT)) SetWindowTextA(buddy, std::to_string(pos).c_str());
    if (parent) {
      UINT message = (m_style & UDS_HORZ) ? WM_HSCROLL : WM_VSCROLL;
      SendMessageA(parent, message, MAKEWPARAM(SB_THUMBPOSITION, pos), reinterpret_cast<LPARAM>(m_hwnd));
      SendMessageA(parent, message, MAKEWPARAM(SB_ENDSCROLL, pos), reinterpret_cast<LPARAM>(m_hwnd));
    }
  }

 private:
  HWND m_hwnd;
  DWORD m_style;
};

}  // namespace

QWidget* CreateUpDown(HWND hwnd, DWORD style, QWidget* parent) { return new UpDownWidget(hwnd, style, parent); }

LRESULT CALLBACK UpDownProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* spin = dynamic_cast<UpDownWidget*>(WidgetOf(hWnd));
  if (!spin) return DefWindowProcA(hWnd, message, wParam, lParam);
  switch (message) {
    case UDM_SETBUDDY: {
      HWND old = spin->buddy;
      spin->buddy = reinterpret_cast<HWND>(wParam);
      return reinterpret_cast<LRESULT>(old);
    }
    case UDM_GETBUDDY: return reinterpret_cast<LRESULT>(spin->buddy);
    case UDM_SETRANGE32:
      spin->low = static_cast<int>(wParam);
      spin->high = static_cast<int>(lParam);
      return 0;
    case UDM_GETRANGE32:
      if (wParam) *reinterpret_cast<int*>(wParam) = spin->low;
      if (lParam) *reinterpret_cast<int*>(lParam) = spin->high;
      return 0;
    case UDM_SETPOS32: {
      int old = spin->pos;
      spin->pos = std::clamp(static_cast<int>(lParam), std::min(spin->low, spin->high), std::max(spin->low, spin->high));
      return old;
    }
    case UDM_GETPOS32:
      if (lParam) *reinterpret_cast<BOOL*>(lParam) = FALSE;
      return spin->pos;
  }
  return DefWindowProcA(hWnd, message, wParam, lParam);
}

}  // namespace user_p
