#include "config/TouchscreenPreviewEditor.h"

#include <algorithm>
#include <cstdlib>

#include "config/TouchscreenAreas.h"

namespace {

bool Contains(const PhotoboothTouchscreenButton& area, POINT point) {
  return point.x >= area.left && point.x <= area.right && point.y >= area.top && point.y <= area.bottom;
}

bool Near(int a, int b) { return std::abs(a - b) <= TouchscreenPreviewEditor::kCornerReach; }

}  // namespace

bool TouchscreenPreviewEditor::IsOnScreen(int slot) const {
  if (slot < 0 || slot >= kPhotoboothTouchscreenButtonCount || m_nScreenBit == kTouchScreenAll) return false;
  const int code = m_buttons[slot].action;
  return code > 0 && (TouchActionScreenMask(code) & m_nScreenBit) != 0;
}

bool TouchscreenPreviewEditor::IsShown(int slot) const {
  if (slot < 0 || slot >= kPhotoboothTouchscreenButtonCount) return false;
  return m_nScreenBit == kTouchScreenAll ? m_buttons[slot].action > 0 : IsOnScreen(slot);
}

int TouchscreenPreviewEditor::HitTest(POINT point) const {
  for (int slot = 0; slot < kPhotoboothTouchscreenButtonCount; ++slot)
    if (IsOnScreen(slot) && Contains(m_buttons[slot], point)) return slot;
  return -1;
}

TouchDrag TouchscreenPreviewEditor::CornerAt(POINT point) const {
  if (m_nSelected < 0 || m_nSelected >= kPhotoboothTouchscreenButtonCount) return TouchDrag::None;
  const PhotoboothTouchscreenButton& area = m_buttons[m_nSelected];
  if (Near(point.x, area.left) && Near(point.y, area.top)) return TouchDrag::TopLeft;
  if (Near(point.x, area.right) && Near(point.y, area.top)) return TouchDrag::TopRight;
  if (Near(point.x, area.right) && Near(point.y, area.bottom)) return TouchDrag::BottomRight;
  if (Near(point.x, area.left) && Near(point.y, area.bottom)) return TouchDrag::BottomLeft;
  return TouchDrag::None;
}

TouchCursor TouchscreenPreviewEditor::PressLeft(POINT point) {
  m_pressPoint = point;
  const TouchDrag corner = CornerAt(point);
  if (corner != TouchDrag::None) {
    const PhotoboothTouchscreenButton& area = m_buttons[m_nSelected];
    m_pressRect = {area.left, area.top, area.right, area.bottom};
    m_drag = corner;
    return TouchCursor::Size;
  }
  m_nSelected = HitTest(point);
  if (m_nSelected < 0) {
    m_drag = TouchDrag::None;
    return TouchCursor::Arrow;
  }
  const PhotoboothTouchscreenButton& area = m_buttons[m_nSelected];
  m_pressRect = {area.left, area.top, area.right, area.bottom};
  m_drag = TouchDrag::Move;
  return TouchCursor::Move;
}

void TouchscreenPreviewEditor::DragTo(POINT point) {
  if (m_drag == TouchDrag::None || m_nSelected < 0 || m_nSelected >= kPhotoboothTouchscreenButtonCount) return;
  PhotoboothTouchscreenButton& area = m_buttons[m_nSelected];
  const int dx = point.x - m_pressPoint.x, dy = point.y - m_pressPoint.y;
  const RECT& saved = m_pressRect;
  const int width = m_nClientWidth, height = m_nClientHeight;
  if (m_drag == TouchDrag::Move) {
    area.left = saved.left + dx;
    area.top = saved.top + dy;
    area.right = saved.right + dx;
    area.bottom = saved.bottom + dy;
    // Pushed back inside the client area, keeping its size.
    if (area.left < 0) area.right -= area.left, area.left = 0;
    if (area.top < 0) area.bottom -= area.top, area.top = 0;
    if (area.right > width) area.left -= area.right - width, area.right = width;
    if (area.bottom > height) area.top -= area.bottom - height, area.bottom = height;
    return;
  }
  const bool leftEdge = m_drag == TouchDrag::TopLeft || m_drag == TouchDrag::BottomLeft;
  const bool topEdge = m_drag == TouchDrag::TopLeft || m_drag == TouchDrag::TopRight;
  if (leftEdge)
    area.left = std::max(0, std::min(static_cast<int>(saved.left) + dx, static_cast<int>(saved.right) - kMinimumSize));
  else
    area.right = std::min(width, std::max(static_cast<int>(saved.right) + dx, static_cast<int>(saved.left) + kMinimumSize));
  if (topEdge)
    area.top = std::max(0, std::min(static_cast<int>(saved.top) + dy, static_cast<int>(saved.bottom) - kMinimumSize));
  else
    area.bottom =
        std::min(height, std::max(static_cast<int>(saved.bottom) + dy, static_cast<int>(saved.top) + kMinimumSize));
}

TouchCursor TouchscreenPreviewEditor::CursorAt(POINT point) const {
  if (CornerAt(point) != TouchDrag::None) return TouchCursor::Size;
  if (m_nSelected >= 0 && m_nSelected < kPhotoboothTouchscreenButtonCount && Contains(m_buttons[m_nSelected], point))
    return TouchCursor::Move;
  return TouchCursor::Arrow;
}

bool TouchscreenPreviewEditor::OnKeyCommand(UINT command) {
  switch (command) {
    case ID_TS_MOVE_LEFT: case ID_TS_MOVE_RIGHT: case ID_TS_MOVE_UP: case ID_TS_MOVE_DOWN:
    case ID_TS_MOVE_LEFT20: case ID_TS_MOVE_RIGHT20: case ID_TS_MOVE_UP20: case ID_TS_MOVE_DOWN20:
    case ID_TS_GROW_UP: case ID_TS_SHRINK_DOWN: case ID_TS_GROW_RIGHT: case ID_TS_SHRINK_LEFT: break;
    default: return false;
  }
  if (m_nSelected < 0 || m_nSelected >= kPhotoboothTouchscreenButtonCount) return true;
  PhotoboothTouchscreenButton& a = m_buttons[m_nSelected];
  const int width = m_nClientWidth, height = m_nClientHeight;
  auto shift = [&a](int dx, int dy) {
    a.left += dx, a.right += dx;
    a.top += dy, a.bottom += dy;
  };
  switch (command) {
    case ID_TS_MOVE_LEFT: if (a.left > 0) shift(-1, 0); break;
    case ID_TS_MOVE_RIGHT: if (a.right < width - 1) shift(1, 0); break;
    case ID_TS_MOVE_UP: if (a.top > 0) shift(0, -1); break;
    case ID_TS_MOVE_DOWN: if (a.bottom < height - 1) shift(0, 1); break;
    case ID_TS_MOVE_LEFT20: shift(-std::min(20, a.left), 0); break;
    case ID_TS_MOVE_RIGHT20: shift(std::min(20, width - a.right), 0); break;
    case ID_TS_MOVE_UP20: shift(0, -std::min(20, a.top)); break;
    case ID_TS_MOVE_DOWN20: shift(0, std::min(20, height - a.bottom)); break;
    case ID_TS_GROW_UP:
      if (a.top > 0) --a.top;
      else if (a.bottom < height) ++a.bottom;
      break;
    case ID_TS_SHRINK_DOWN: if (a.bottom - a.top > kMinimumSize) ++a.top; break;
    case ID_TS_GROW_RIGHT:
      if (a.right < width) ++a.right;
      else if (a.left > 0) --a.left;
      break;
    case ID_TS_SHRINK_LEFT: if (a.right - a.left > kMinimumSize) --a.right; break;
  }
  return true;
}

int TouchscreenPreviewEditor::AddAction(int code, POINT click) {
  for (int slot = 0; slot < kPhotoboothTouchscreenButtonCount; ++slot) {
    PhotoboothTouchscreenButton& area = m_buttons[slot];
    if (area.action > 0) continue;
    area = {code, click.x, click.y, click.x + 150, click.y + 100};
    // Near an edge the new area moves in so that it ends one pixel inside.
    if (area.right > m_nClientWidth) area.left -= area.right - (m_nClientWidth - 1), area.right = m_nClientWidth - 1;
    if (area.bottom > m_nClientHeight)
      area.top -= area.bottom - (m_nClientHeight - 1), area.bottom = m_nClientHeight - 1;
    m_nSelected = slot;
    return slot;
  }
  return -1;
}

void TouchscreenPreviewEditor::DeleteSelected() {
  if (m_nSelected >= 0 && m_nSelected < kPhotoboothTouchscreenButtonCount) m_buttons[m_nSelected].action = 0;
  m_nSelected = -1;
  m_drag = TouchDrag::None;
}

bool TouchscreenPreviewEditor::Changed() const {
  for (int slot = 0; slot < kPhotoboothTouchscreenButtonCount; ++slot) {
    const PhotoboothTouchscreenButton &a = m_buttons[slot], &b = m_original[slot];
    if (a.action != b.action || a.left != b.left || a.top != b.top || a.right != b.right || a.bottom != b.bottom)
      return true;
  }
  return false;
}

std::string TouchscreenPreviewEditor::OverlapReport(const std::function<std::string(int code)>& label) const {
  std::string report;
  for (int i = 0; i < kPhotoboothTouchscreenButtonCount; ++i) {
    if (!IsOnScreen(i)) continue;
    for (int j = i + 1; j < kPhotoboothTouchscreenButtonCount; ++j) {
      if (!IsOnScreen(j) || !TouchAreasOverlap(m_buttons[i], m_buttons[j])) continue;
      report += std::to_string(i + 1) + ":" + label(m_buttons[i].action) + " overlaps " + std::to_string(j + 1) + ":" +
                label(m_buttons[j].action) + "\n";
    }
  }
  return report;
}
