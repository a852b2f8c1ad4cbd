#include "platform/user/scrollbar.h"

#include <QScrollBar>
#include <QStyle>
#include <algorithm>

#include "platform/user/message.h"
#include "platform/user/window_p.h"

using namespace user_p;

namespace {

const char* const kBarName[] = {"tavorinHScroll", "tavorinVScroll"};

struct BarState {
  int min = 0, max = 100, page = 0, pos = 0;
};

BarState StateOf(QScrollBar* bar) {
  BarState state;
  state.min = bar->property("nMin").toInt();
  state.max = bar->property("nMax").toInt();
  state.page = bar->property("nPage").toInt();
  state.pos = bar->value();
  return state;
}

int Extent(QWidget* widget) { return widget->style()->pixelMetric(QStyle::PM_ScrollBarExtent); }

// Keeps the bars along the window's edges, clear of each other's corner.
void PlaceBars(QWidget* widget) {
  auto* horz = widget->findChild<QScrollBar*>(kBarName[SB_HORZ], Qt::FindDirectChildrenOnly);
  auto* vert = widget->findChild<QScrollBar*>(kBarName[SB_VERT], Qt::FindDirectChildrenOnly);
  int extent = Extent(widget);
  if (horz) horz->setGeometry(0, widget->height() - extent, widget->width() - (vert ? extent : 0), extent);
  if (vert) vert->setGeometry(widget->width() - extent, 0, extent, widget->height() - (horz ? extent : 0));
}

// The window's bar, made on first use when the window has the style for it.
QScrollBar* BarOf(HWND hWnd, int bar, bool create) {
  if (bar != SB_HORZ && bar != SB_VERT) return nullptr;
  auto record = FindWindowRecord(hWnd);
  QWidget* widget = record ? record->widget.data() : nullptr;
  if (!widget) return nullptr;
  if (!(record->style & (bar == SB_HORZ ? WS_HSCROLL : WS_VSCROLL))) return nullptr;
  auto* scroll = widget->findChild<QScrollBar*>(kBarName[bar], Qt::FindDirectChildrenOnly);
  if (scroll || !create) return scroll;
  scroll = new QScrollBar(bar == SB_HORZ ? Qt::Horizontal : Qt::Vertical, widget);
  scroll->setObjectName(kBarName[bar]);
  scroll->setProperty("nMax", 100);
  UINT message = bar == SB_HORZ ? WM_HSCROLL : WM_VSCROLL;
  // The window moves the thumb itself in answer; the bar only reports what the user asked.
  QObject::connect(scroll, &QScrollBar::actionTriggered, [hWnd, scroll, message](int action) {
    int code = -1;
    switch (action) {
      case QAbstractSlider::SliderSingleStepAdd: code = SB_LINEDOWN; break;
      case QAbstractSlider::SliderSingleStepSub: code = SB_LINEUP; break;
      case QAbstractSlider::SliderPageStepAdd: code = SB_PAGEDOWN; break;
      case QAbstractSlider::SliderPageStepSub: code = SB_PAGEUP; break;
      case QAbstractSlider::SliderToMinimum: code = SB_TOP; break;
      case QAbstractSlider::SliderToMaximum: code = SB_BOTTOM; break;
      case QAbstractSlider::SliderMove: code = SB_THUMBTRACK; break;
    }
    if (code < 0) return;
    int position = scroll->sliderPosition();
    if (code != SB_THUMBTRACK) scroll->setSliderPosition(scroll->value());
    SendMessageA(hWnd, message, MAKEWPARAM(code, position), 0);
    if (code != SB_THUMBTRACK) SendMessageA(hWnd, message, SB_ENDSCROLL, 0);
  });
  QObject::connect(scroll, &QScrollBar::sliderReleased, [hWnd, scroll, message] {
    SendMessageA(hWnd, message, MAKEWPARAM(SB_THUMBPOSITION, scroll->sliderPosition()), 0);
    SendMessageA(hWnd, message, SB_ENDSCROLL, 0);
  });
  scroll->show();
  PlaceBars(widget);
  return scroll;
}

template <typename Call>
auto OnUiThread(HWND hWnd, Call call) -> decltype(call()) {
  decltype(call()) result{};
  RunOnOwnerThread(hWnd, [&] { result = call(); });
  return result;
}

}  // namespace

int SetScrollInfo(HWND hWnd, int bar, LPCSCROLLINFO info, BOOL) {
  if (!info) return 0;
  return OnUiThread(hWnd, [&]() -> int {
    QScrollBar* scroll = BarOf(hWnd, bar, true);
    if (!scroll) return 0;
    BarState state = StateOf(scroll);
    if (info->fMask & SIF_RANGE) {
      state.min = info->nMin;
      state.max = std::max(info->nMin, info->nMax);
    }
    if (info->fMask & SIF_PAGE) state.page = static_cast<int>(std::min<UINT>(info->nPage, 0x7FFFFFFF));
    if (info->fMask & SIF_POS) state.pos = info->nPos;
    state.page = std::min(state.page, state.max - state.min + 1);
    int top = std::max(state.min, state.max - std::max(state.page - 1, 0));
    scroll->blockSignals(true);
    scroll->setProperty("nMin", state.min);
    scroll->setProperty("nMax", state.max);
    scroll->setProperty("nPage", state.page);
    scroll->setRange(state.min, top);
    scroll->setPageStep(std::max(state.page, 1));
    scroll->setValue(std::clamp(state.pos, state.min, top));
    scroll->setSliderPosition(scroll->value());
    scroll->blockSignals(false);
    if (QWidget* widget = scroll->parentWidget()) PlaceBars(widget);
    return scroll->value();
  });
}

BOOL GetScrollInfo(HWND hWnd, int bar, LPSCROLLINFO info) {
  if (!info) return FALSE;
  return OnUiThread(hWnd, [&]() -> BOOL {
    QScrollBar* scroll = BarOf(hWnd, bar, true);
    if (!scroll) return FALSE;
    BarState state = StateOf(scroll);
    if (info->fMask & SIF_RANGE) {
      info->nMin = state.min;
      info->nMax = state.max;
    }
    if (info->fMask & SIF_PAGE) info->nPage = static_cast<UINT>(state.page);
    if (info->fMask & SIF_POS) info->nPos = state.pos;
    if (info->fMask & SIF_TRACKPOS) info->nTrackPos = scroll->sliderPosition();
    return TRUE;
  });
}

int SetScrollPos(HWND hWnd, int bar, int position, BOOL redraw) {
  int previous = GetScrollPos(hWnd, bar);
  SCROLLINFO info{sizeof(SCROLLINFO), SIF_POS, 0, 0, 0, position, 0};
  SetScrollInfo(hWnd, bar, &info, redraw);
  return previous;
}

int GetScrollPos(HWND hWnd, int bar) {
  SCROLLINFO info{sizeof(SCROLLINFO), SIF_POS, 0, 0, 0, 0, 0};
  return GetScrollInfo(hWnd, bar, &info) ? info.nPos : 0;
}

namespace user_p {

void ScrollBarClientInset(QWidget* widget, int& width, int& height) {
  auto* horz = widget->findChild<QScrollBar*>(kBarName[SB_HORZ], Qt::FindDirectChildrenOnly);
  auto* vert = widget->findChild<QScrollBar*>(kBarName[SB_VERT], Qt::FindDirectChildrenOnly);
  if (horz && !horz->isHidden()) height = std::max(0, height - horz->height());
  if (vert && !vert->isHidden()) width = std::max(0, width - vert->width());
}

}  // namespace user_p
