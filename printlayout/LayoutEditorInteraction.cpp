#include "printlayout/LayoutEditorInteraction.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <optional>

#include "platform/gdi/wingdi.h"
#include "platform/user/winuser.h"
#include "support/DrawCaption.h"
#include "support/TextTemplate.h"

namespace {

const double kPi = 3.14159265358979323846;
const int kHandleTolerance = 10;
const int kMinimumSide = 50;
// The corner each resize mode drags.
int CornerOfMode(int mode) {
  static const int corners[4] = {0, 1, 3, 2};
  return corners[mode - 3];
}
int ModeOfCorner(int corner) {
  static const int modes[4] = {3, 4, 6, 5};
  return modes[corner];
}

bool Near(POINT a, POINT b) { return std::abs(a.x - b.x) < kHandleTolerance && std::abs(a.y - b.y) < kHandleTolerance; }

// Direction of the vector from the centre to the point, 0..360 clockwise; none on the centre.
std::optional<double> AngleFrom(POINT centre, POINT point) {
  const double dx = point.x - centre.x, dy = point.y - centre.y;
  const double length = std::sqrt(dx * dx + dy * dy);
  if (length == 0) return std::nullopt;
  const double angle = std::acos(std::clamp(dx / length, -1.0, 1.0)) * 180.0 / kPi;
  return dy < 0 ? 360.0 - angle : angle;
}

void Toggle(std::vector<int>& list, int index) {
  auto it = std::find(list.begin(), list.end(), index);
  if (it != list.end())
    list.erase(it);
  else
    list.push_back(index);
}

bool Contains(const std::vector<int>& list, int index) { return std::find(list.begin(), list.end(), index) != list.end(); }

}  // namespace

bool PointInLayoutOutline(const LayoutBoxOutline& outline, POINT point) {
  for (int i = 0; i < 4; ++i) {
    const POINT& a = outline.corner[i];
    const POINT& b = outline.corner[i + 1];
    const POINT& next = outline.corner[(i + 2) % 4];
    const long long ex = b.x - a.x, ey = b.y - a.y;
    const long long side = ex * (point.y - a.y) - ey * (point.x - a.x);
    const long long inner = ex * (next.y - a.y) - ey * (next.x - a.x);
    if (side == 0) continue;  // on the edge
    if (inner == 0 || (side > 0) != (inner > 0)) return false;
  }
  return true;
}

LayoutEditorInteraction::LayoutEditorInteraction(PrintLayoutModel& model, PhotoboothLayoutRenderer& renderer)
    : m_model(model), m_renderer(renderer) {}

int LayoutEditorInteraction::ToPreview(int v) const {
  return PrinterToPreview(v, m_renderer.m_nPreviewWidth, m_model.pageWidth);
}

int LayoutEditorInteraction::ToPrinter(int v) const {
  return m_renderer.m_nPreviewWidth ? PrinterToPreview(v, m_model.pageWidth, m_renderer.m_nPreviewWidth) : 0;
}

POINT LayoutEditorInteraction::ToPage(POINT client) const {
  return {client.x - m_renderer.m_nOriginX, client.y - m_renderer.m_nOriginY};
}

bool LayoutEditorInteraction::InsidePage(POINT client) const {
  const int x0 = m_renderer.m_nOriginX, y0 = m_renderer.m_nOriginY;
  return client.x > x0 && client.x < x0 + m_renderer.m_nPreviewWidth && client.y > y0 &&
         client.y < y0 + m_renderer.m_nPreviewHeight;
}

void LayoutEditorInteraction::Redraw(int tag) {
  if (redraw) redraw(tag);
}

void LayoutEditorInteraction::Refresh() {
  if (refreshControls) refreshControls();
}

void LayoutEditorInteraction::ClearSelection() {
  Boxes().clear();
  Captions().clear();
}

void LayoutEditorInteraction::MeasureCaption(const PhotoboothCaption& caption, int corners[8]) const {
  std::fill(corners, corners + 8, 0);
  HDC screen = CreateCompatibleDC(nullptr);
  if (!screen) return;
  const int screenDpi = GetDeviceCaps(screen, LOGPIXELSY);
  const int printerDpi = m_model.dpiY > 0 ? m_model.dpiY : 300;
  LOGFONTA font = caption.m_font;
  font.lfHeight = static_cast<LONG>(static_cast<long long>(font.lfHeight) * printerDpi / (screenDpi ? screenDpi : 96));
  font.lfEscapement = font.lfOrientation = static_cast<LONG>(3600 - caption.m_dAngle * 10);
  CString text = caption.m_strText;
  CMapStringToString noValues;
  ExpandTextTemplate(noValues, text);
  DrawCaption(screen, caption.m_nLeft, caption.m_nTop, text, caption.m_nAlignment, font, corners,
              caption.m_nMaxNumberOfLines, caption.m_nMaxLineWidth);
  DeleteDC(screen);
}

LayoutBoxOutline LayoutEditorInteraction::CaptionOutlinePrinter(const PhotoboothCaption& caption) const {
  int corners[8];
  MeasureCaption(caption, corners);
  POINT points[4];
  for (int k = 0; k < 4; ++k) points[k] = {corners[2 * k], corners[2 * k + 1]};
  return OutlineFromCorners(points);
}

int LayoutEditorInteraction::CaptionAt(POINT preview) const {
  if (!PhotoboothLayoutRenderer::s_show.captions) return -1;
  for (int i = 0; i < kLayoutCaptionCount; ++i) {
    const PhotoboothCaption& caption = m_model.captions[i];
    // Only drawn captions have an outline of this draw.
    if (!caption.m_nEnable || caption.m_strText.IsEmpty()) continue;
    if (PointInLayoutOutline(m_renderer.m_captionOutlines[i], preview)) return i;
  }
  return -1;
}

bool LayoutEditorInteraction::HitsBox(int index, POINT preview) const {
  const LayoutEditBox& box = m_model.boxes[index];
  if (box.image < 1) return false;
  const long long left = ToPreview(box.left), top = ToPreview(box.top);
  const long long width = ToPreview(box.width), height = ToPreview(box.height);
  if (preview.x < left || preview.y < top || preview.x > left + width + height || preview.y > top + width + height)
    return false;
  if (std::fabs(box.rotation) < 0.05) return preview.x <= left + width && preview.y <= top + height;
  return PointInLayoutOutline(m_renderer.m_boxOutlines[index], preview);
}

int LayoutEditorInteraction::BoxAt(POINT preview, bool photosOnly) const {
  for (int i = kLayoutBoxCount - 1; i >= 0; --i) {
    if (photosOnly && m_model.boxes[i].image > m_model.photos) continue;
    if (HitsBox(i, preview)) return i;
  }
  return -1;
}

void LayoutEditorInteraction::StartDrag(int mode, bool caption, int index, POINT page) {
  m_nDragMode = mode;
  m_bDragCaption = caption;
  m_nDragIndex = index;
  m_dragStart = page;
  if (caption) {
    m_dragCaption = m_model.captions[index];
    m_dragOutline = m_renderer.m_captionOutlines[index];
  } else {
    m_dragBox = m_model.boxes[index];
    m_dragOutline = m_renderer.m_boxOutlines[index];
  }
  m_hoverCursor = mode == 2 ? LayoutCursor::Rotate : mode == 1 ? LayoutCursor::Move : LayoutCursor::SizeAll;
}

BOOL LayoutEditorInteraction::OnLButtonDown(UINT flags, POINT point) {
  if (!InsidePage(point)) {
    if (point.x > m_renderer.m_nOriginX - 10) {
      ClearSelection();
      Redraw(0);
    }
    return FALSE;
  }
  if (capture) capture(true);
  m_press = point;
  m_nAccumulatedX = m_nAccumulatedY = 0;
  const POINT page = ToPage(point);
  const bool ctrl = (flags & kLayoutCtrl) != 0;

  if (ctrl || SelectedCount() > 1) {
    const int caption = CaptionAt(page), box = BoxAt(page);
    if (ctrl) {
      if (caption >= 0)
        Toggle(Captions(), caption);
      else if (box >= 0)
        Toggle(Boxes(), box);
      Redraw(0);
      Refresh();
      return TRUE;
    }
    if (caption < 0 && box < 0) {
      ClearSelection();
      Redraw(0);
      return TRUE;
    }
    if ((caption >= 0 && Contains(Captions(), caption)) || (caption < 0 && Contains(Boxes(), box))) {
      m_nDragMode = 1;
      m_dragStart = page;
      m_hoverCursor = LayoutCursor::Move;
      return TRUE;
    }
    ClearSelection();
  }

  if (Captions().size() == 1 && Boxes().empty()) {
    const int index = Captions()[0];
    const LayoutBoxOutline& outline = m_renderer.m_captionOutlines[index];
    if (m_model.captions[index].m_nEnable) {
      if (Near(page, outline.handle2)) return StartDrag(2, true, index, page), TRUE;
      for (int k = 0; k < 4; ++k)
        if (Near(page, outline.corner[k])) return StartDrag(ModeOfCorner(k), true, index, page), TRUE;
      if (PointInLayoutOutline(outline, page)) return StartDrag(1, true, index, page), TRUE;
    }
  } else if (Boxes().size() == 1 && Captions().empty()) {
    const int index = Boxes()[0];
    const LayoutBoxOutline& outline = m_renderer.m_boxOutlines[index];
    if (m_model.boxes[index].image >= 1) {
      if (Near(page, outline.handle2)) return StartDrag(2, false, index, page), TRUE;
      for (int k = 0; k < 4; ++k)
        if (Near(page, outline.corner[k])) return StartDrag(ModeOfCorner(k), false, index, page), TRUE;
      if (HitsBox(index, page)) return StartDrag(1, false, index, page), TRUE;
    }
  }

  ClearSelection();
  if (int caption = CaptionAt(page); caption >= 0) {
    Captions().push_back(caption);
    StartDrag(1, true, caption, page);
  } else if (int box = BoxAt(page); box >= 0) {
    Boxes().push_back(box);
    StartDrag(1, false, box, page);
  }
  Refresh();
  Redraw(0);
  return TRUE;
}

void LayoutEditorInteraction::MoveItem(bool caption, int index, int dx, int dy) {
  if (caption) {
    m_model.captions[index].m_nLeft += dx;
    m_model.captions[index].m_nTop += dy;
  } else {
    m_model.boxes[index].left += dx;
    m_model.boxes[index].top += dy;
  }
}

void LayoutEditorInteraction::MoveSelection(int dx, int dy) {
  for (int index : Captions()) MoveItem(true, index, dx, dy);
  for (int index : Boxes()) MoveItem(false, index, dx, dy);
}

void LayoutEditorInteraction::DragMove(UINT flags, POINT client, POINT page) {
  const bool shift = (flags & kLayoutShift) != 0;
  const bool xInside = page.x > 0 && page.x <= m_renderer.m_nPreviewWidth;
  const bool yInside = page.y >= 1 && page.y <= m_renderer.m_nPreviewHeight;
  if (SelectedCount() > 1) {
    int dx = xInside ? ToPrinter(page.x - m_dragStart.x) : 0;
    int dy = yInside ? ToPrinter(page.y - m_dragStart.y) : 0;
    if (xInside) m_dragStart.x = page.x;
    if (yInside) m_dragStart.y = page.y;
    if (shift) {
      // Held to the axis the pointer has gone farther along; the other one is put back.
      if (std::abs(client.x - m_press.x) >= std::abs(client.y - m_press.y)) {
        m_nAccumulatedX += dx;
        dy = -m_nAccumulatedY;
        m_nAccumulatedY = 0;
      } else {
        m_nAccumulatedY += dy;
        dx = -m_nAccumulatedX;
        m_nAccumulatedX = 0;
      }
    } else {
      m_nAccumulatedX += dx;
      m_nAccumulatedY += dy;
    }
    if (dx || dy) {
      MoveSelection(dx, dy);
      Redraw(0);
    }
    return;
  }
  if (m_nDragIndex < 0) return;
  int dx = ToPrinter(page.x - m_dragStart.x), dy = ToPrinter(page.y - m_dragStart.y);
  if (shift) (std::abs(dx) < std::abs(dy) ? dx : dy) = 0;
  const int left = (m_bDragCaption ? m_dragCaption.m_nLeft : m_dragBox.left) + dx;
  const int top = (m_bDragCaption ? m_dragCaption.m_nTop : m_dragBox.top) + dy;
  int& itemLeft = m_bDragCaption ? m_model.captions[m_nDragIndex].m_nLeft : m_model.boxes[m_nDragIndex].left;
  int& itemTop = m_bDragCaption ? m_model.captions[m_nDragIndex].m_nTop : m_model.boxes[m_nDragIndex].top;
  bool changed = false;
  if (xInside && itemLeft != left) itemLeft = left, changed = true;
  if (yInside && itemTop != top) itemTop = top, changed = true;
  if (changed) Redraw(0);
}

void LayoutEditorInteraction::SetBoxAngle(int index, double degrees) {
  LayoutEditBox& box = m_model.boxes[index];
  const LayoutBoxOutline before = ComputeBoxOutline(box.left, box.top, box.width, box.height, box.rotation);
  box.rotation = degrees;
  const LayoutBoxOutline after = ComputeBoxOutline(box.left, box.top, box.width, box.height, box.rotation);
  box.left += before.centre.x - after.centre.x;
  box.top += before.centre.y - after.centre.y;
}

void LayoutEditorInteraction::SetCaptionAngle(int index, double degrees) {
  PhotoboothCaption& caption = m_model.captions[index];
  const LayoutBoxOutline before = CaptionOutlinePrinter(caption);
  caption.m_dAngle = degrees;
  const LayoutBoxOutline after = CaptionOutlinePrinter(caption);
  caption.m_nLeft += before.centre.x - after.centre.x;
  caption.m_nTop += before.centre.y - after.centre.y;
}

void LayoutEditorInteraction::DragRotate(UINT flags, POINT page) {
  const std::optional<double> now = AngleFrom(m_dragOutline.centre, page);
  const std::optional<double> start = AngleFrom(m_dragOutline.centre, m_dragStart);
  // On the centre itself the direction is undefined: the angle stays.
  if (!now || !start) return;
  const double remembered = m_bDragCaption ? m_dragCaption.m_dAngle : m_dragBox.rotation;
  double angle = NormaliseLayoutAngle(*now - *start + remembered);
  if (flags & kLayoutShift) angle = NormaliseLayoutAngle(angle / 30) * 30;
  if (m_bDragCaption) {
    m_model.captions[m_nDragIndex] = m_dragCaption;
    SetCaptionAngle(m_nDragIndex, angle);
  } else {
    m_model.boxes[m_nDragIndex] = m_dragBox;
    SetBoxAngle(m_nDragIndex, angle);
  }
  Redraw(0);
}

void LayoutEditorInteraction::DragResize(UINT flags, POINT client, POINT page) {
  const int corner = CornerOfMode(m_nDragMode), opposite = (corner + 2) % 4;
  const POINT pointer{ToPrinter(page.x), ToPrinter(page.y)};
  if (m_bDragCaption) {
    const LayoutBoxOutline outline = CaptionOutlinePrinter(m_dragCaption);
    const long long dx = pointer.x - outline.corner[opposite].x, dy = pointer.y - outline.corner[opposite].y;
    const long long gx = outline.corner[corner].x - outline.corner[opposite].x;
    const long long gy = outline.corner[corner].y - outline.corner[opposite].y;
    const long long dot = dx * gx + dy * gy, length = gx * gx + gy * gy;
    if (dot <= 0 || length == 0) return;
    const long long f = dot * 1000 / length;
    const long long remembered = m_dragCaption.m_font.lfHeight;
    long long height = std::max<long long>(std::llabs(remembered * f / 1000), 5);
    if (height > 100000) return;
    PhotoboothCaption caption = m_dragCaption;
    caption.m_font.lfHeight = static_cast<LONG>(remembered < 0 ? -height : height);
    const LayoutBoxOutline after = CaptionOutlinePrinter(caption);
    caption.m_nLeft += outline.corner[opposite].x - after.corner[opposite].x;
    caption.m_nTop += outline.corner[opposite].y - after.corner[opposite].y;
    m_model.captions[m_nDragIndex] = caption;
    Redraw(0);
    return;
  }
  const LayoutEditBox& from = m_dragBox;
  const LayoutBoxOutline outline = ComputeBoxOutline(from.left, from.top, from.width, from.height, from.rotation);
  LayoutEditBox box = from;
  if (flags & kLayoutShift) {
    // Free: the pointer's travel in the box's own axes moves the dragged corner with it.
    const double a = from.rotation * kPi / 180.0;
    const double mx = client.x - m_press.x, my = client.y - m_press.y;
    const int along = ToPrinter(static_cast<int>(mx * std::cos(a) + my * std::sin(a)));
    const int across = ToPrinter(static_cast<int>(-mx * std::sin(a) + my * std::cos(a)));
    const bool right = corner == 1 || corner == 2, bottom = corner == 2 || corner == 3;
    box.width = std::max(from.width + (right ? along : -along), kMinimumSide);
    box.height = std::max(from.height + (bottom ? across : -across), kMinimumSide);
  } else {
    const long long dx = pointer.x - outline.corner[opposite].x, dy = pointer.y - outline.corner[opposite].y;
    const long long gx = outline.corner[corner].x - outline.corner[opposite].x;
    const long long gy = outline.corner[corner].y - outline.corner[opposite].y;
    const long long dot = dx * gx + dy * gy, length = gx * gx + gy * gy;
    if (dot <= 0 || length == 0) return;
    const long long f = dot * 1000 / length;
    const long long width = f * from.width / 1000, height = f * from.height / 1000;
    // Too small on either side: the box keeps its last size.
    if (width < kMinimumSide || height < kMinimumSide || width > 1000000 || height > 1000000) return;
    box.width = static_cast<int>(width);
    box.height = static_cast<int>(height);
  }
  const LayoutBoxOutline after = ComputeBoxOutline(box.left, box.top, box.width, box.height, box.rotation);
  box.left += outline.corner[opposite].x - after.corner[opposite].x;
  box.top += outline.corner[opposite].y - after.corner[opposite].y;
  m_model.boxes[m_nDragIndex] = box;
  Redraw(0);
}

void LayoutEditorInteraction::OnMouseMove(UINT flags, POINT point) {
  const POINT page = ToPage(point);
  switch (m_nDragMode) {
    case 1: DragMove(flags, point, page); return;
    case 2: DragRotate(flags, page); return;
    case 3:
    case 4:
    case 5:
    case 6: DragResize(flags, point, page); return;
    default: break;
  }
  m_hoverCursor = LayoutCursor::None;
  if (SelectedCount() > 1) {
    for (int index : Captions())
      if (m_model.captions[index].m_nEnable && PointInLayoutOutline(m_renderer.m_captionOutlines[index], page))
        m_hoverCursor = LayoutCursor::Move;
    for (int index : Boxes())
      if (HitsBox(index, page)) m_hoverCursor = LayoutCursor::Move;
    return;
  }
  if (SelectedCount() != 1) return;
  const bool caption = !Captions().empty();
  const int index = caption ? Captions()[0] : Boxes()[0];
  const LayoutBoxOutline& outline = caption ? m_renderer.m_captionOutlines[index] : m_renderer.m_boxOutlines[index];
  if (caption ? !m_model.captions[index].m_nEnable : m_model.boxes[index].image < 1) return;
  if (Near(page, outline.handle2)) {
    m_hoverCursor = LayoutCursor::Rotate;
    return;
  }
  for (int k = 0; k < 4; ++k)
    if (Near(page, outline.corner[k])) {
      m_hoverCursor = LayoutCursor::SizeAll;
      return;
    }
  if (caption ? PointInLayoutOutline(outline, page) : HitsBox(index, page)) m_hoverCursor = LayoutCursor::Move;
}

void LayoutEditorInteraction::OnLButtonUp(UINT, POINT) {
  if (capture) capture(false);
  m_nDragMode = 0;
  if (m_renderer.m_recordUndo) m_renderer.m_recordUndo(0);
}

LayoutCursor LayoutEditorInteraction::CursorToShow() const {
  if (m_bContextMenu) return LayoutCursor::None;
  switch (m_nDragMode) {
    case 1: return LayoutCursor::Move;
    case 2: return LayoutCursor::Rotate;
    case 0: return m_hoverCursor;
    default: return LayoutCursor::SizeAll;
  }
}

void LayoutEditorInteraction::PrepareContextMenu(UINT flags, POINT point) {
  m_menuPoint = point;
  if (!InsidePage(point)) return;
  OnLButtonDown(flags, point);
  if (capture) capture(false);
  m_nDragMode = 0;
}

std::vector<LayoutMenuEntry> LayoutEditorInteraction::BuildContextMenu() const {
  std::vector<LayoutMenuEntry> menu;
  const std::vector<LayoutMenuEntry> selection = {{ID_LAYOUT_SELECT_ALL, "Select all\tCtrl+A"},
                                                  {ID_LAYOUT_SELECT_PHOTOS, "Select all photos\tCtrl+P"},
                                                  {ID_LAYOUT_SELECT_NONE, "Select none\tCtrl+N"},
                                                  {ID_LAYOUT_INVERT_SELECTION, "Invert selection\tCtrl+I"}};
  if (SelectedCount() > 1) {
    menu.push_back({0,
                    "Align",
                    true,
                    {{ID_LAYOUT_ALIGN_LEFT, "Left align"},
                     {ID_LAYOUT_ALIGN_RIGHT, "Right align"},
                     {ID_LAYOUT_ALIGN_TOP, "Top align"},
                     {ID_LAYOUT_ALIGN_BOTTOM, "Bottom align"},
                     {ID_LAYOUT_ALIGN_VCENTER, "Vertical center align"}}});
    if (Captions().empty()) {
      menu.push_back({ID_LAYOUT_SPACE_EVENLY, "Space photos evenly", Boxes().size() >= 3});
      menu.push_back({ID_LAYOUT_SAME_SIZE, "Make photos same size and angle", Boxes().size() >= 2});
    }
    if (Boxes().empty()) menu.push_back({ID_LAYOUT_DISABLE_CAPTIONS, "Disable captions"});
  } else if (Captions().size() == 1) {
    menu.push_back({ID_LAYOUT_EDIT_CAPTION, "Edit caption..."});
    menu.push_back({ID_LAYOUT_DUPLICATE_CAPTION, "Duplicate caption"});
    menu.push_back({ID_LAYOUT_DISABLE_CAPTIONS, "Disable caption"});
    menu.push_back({});
  } else if (Boxes().size() == 1) {
    menu.push_back({ID_LAYOUT_EDIT_POSITION, "Edit image position..."});
    if (m_model.boxes[Boxes()[0]].image > m_model.photos) menu.push_back({ID_LAYOUT_EDIT_QRCODE, "Edit QR code..."});
  }
  menu.insert(menu.end(), selection.begin(), selection.end());
  if (SelectedCount() == 0) {
    menu.push_back({});
    menu.push_back({ID_LAYOUT_ADD_CAPTION, "Add caption"});
  }
  return menu;
}

void LayoutEditorInteraction::SelectAll(bool photosOnly) {
  ClearSelection();
  if (!photosOnly && PhotoboothLayoutRenderer::s_show.captions)
    for (int i = 0; i < kLayoutCaptionCount; ++i)
      if (m_model.captions[i].m_nEnable) Captions().push_back(i);
  for (int i = 0; i < kLayoutBoxCount; ++i)
    if (m_model.boxes[i].image >= 1) Boxes().push_back(i);
}

void LayoutEditorInteraction::SelectNone() { ClearSelection(); }

void LayoutEditorInteraction::InvertSelection() {
  std::vector<int> captions, boxes;
  if (PhotoboothLayoutRenderer::s_show.captions)
    for (int i = 0; i < kLayoutCaptionCount; ++i)
      if (m_model.captions[i].m_nEnable && !Contains(Captions(), i)) captions.push_back(i);
  for (int i = 0; i < kLayoutBoxCount; ++i)
    if (m_model.boxes[i].image >= 1 && !Contains(Boxes(), i)) boxes.push_back(i);
  Captions() = captions;
  Boxes() = boxes;
}

void LayoutEditorInteraction::TurnSelected(int command) {
  if (SelectedCount() != 1) return;
  const bool caption = !Captions().empty();
  const int index = caption ? Captions()[0] : Boxes()[0];
  const double angle = caption ? m_model.captions[index].m_dAngle : m_model.boxes[index].rotation;
  double turned = angle;
  switch (command) {
    case ID_LAYOUT_TURN_RIGHT: turned = angle + 0.5; break;
    case ID_LAYOUT_TURN_LEFT: turned = angle - 0.5; break;
    case ID_LAYOUT_TURN_RIGHT15: turned = NormaliseLayoutAngle(NormaliseLayoutAngle(angle + 15) / 30) * 30; break;
    case ID_LAYOUT_TURN_LEFT15: turned = NormaliseLayoutAngle(NormaliseLayoutAngle(angle - 15) / 30) * 30; break;
  }
  turned = NormaliseLayoutAngle(turned);
  if (caption)
    SetCaptionAngle(index, turned);
  else
    SetBoxAngle(index, turned);
}

void LayoutEditorInteraction::Align(UINT command) {
  if (SelectedCount() < 2) return;
  const POINT page = ToPage(m_menuPoint);
  const LayoutBoxOutline* reference = nullptr;
  if (int caption = CaptionAt(page); caption >= 0)
    reference = &m_renderer.m_captionOutlines[caption];
  else if (int box = BoxAt(page); box >= 0)
    reference = &m_renderer.m_boxOutlines[box];
  if (!reference) return;
  auto valueOf = [command](const LayoutBoxOutline& outline) {
    int value = command == ID_LAYOUT_ALIGN_VCENTER
                    ? outline.centre.x
                    : (command == ID_LAYOUT_ALIGN_TOP || command == ID_LAYOUT_ALIGN_BOTTOM ? outline.corner[0].y
                                                                                           : outline.corner[0].x);
    for (int k = 1; k < 4; ++k) {
      switch (command) {
        case ID_LAYOUT_ALIGN_LEFT: value = std::min<int>(value, outline.corner[k].x); break;
        case ID_LAYOUT_ALIGN_RIGHT: value = std::max<int>(value, outline.corner[k].x); break;
        case ID_LAYOUT_ALIGN_TOP: value = std::min<int>(value, outline.corner[k].y); break;
        case ID_LAYOUT_ALIGN_BOTTOM: value = std::max<int>(value, outline.corner[k].y); break;
      }
    }
    return value;
  };
  const int target = valueOf(*reference);
  const bool vertical = command == ID_LAYOUT_ALIGN_TOP || command == ID_LAYOUT_ALIGN_BOTTOM;
  auto shift = [&](bool caption, int index, const LayoutBoxOutline& outline) {
    const int delta = ToPrinter(target - valueOf(outline));
    MoveItem(caption, index, vertical ? 0 : delta, vertical ? delta : 0);
  };
  for (int index : Captions()) shift(true, index, m_renderer.m_captionOutlines[index]);
  for (int index : Boxes()) shift(false, index, m_renderer.m_boxOutlines[index]);
}

void LayoutEditorInteraction::SpaceEvenly() {
  const std::vector<int>& boxes = Boxes();
  const int k = static_cast<int>(boxes.size());
  if (k < 3) return;
  const POINT first = m_renderer.m_boxOutlines[boxes.front()].centre;
  const POINT last = m_renderer.m_boxOutlines[boxes.back()].centre;
  for (int i = 1; i < k - 1; ++i) {
    const POINT own = m_renderer.m_boxOutlines[boxes[i]].centre;
    const int x = first.x + i * (last.x - first.x) / (k - 1), y = first.y + i * (last.y - first.y) / (k - 1);
    MoveItem(false, boxes[i], ToPrinter(x - own.x), ToPrinter(y - own.y));
  }
}

void LayoutEditorInteraction::SameSizeAndAngle() {
  const int reference = BoxAt(ToPage(m_menuPoint), true);
  if (reference < 0) return;
  const LayoutEditBox model = m_model.boxes[reference];
  for (int index : Boxes()) {
    LayoutEditBox& box = m_model.boxes[index];
    if (index == reference || box.image < 1 || box.image > m_model.photos) continue;
    const LayoutBoxOutline before = ComputeBoxOutline(box.left, box.top, box.width, box.height, box.rotation);
    box.width = model.width;
    box.height = model.height;
    box.rotation = model.rotation;
    const LayoutBoxOutline after = ComputeBoxOutline(box.left, box.top, box.width, box.height, box.rotation);
    box.left += before.centre.x - after.centre.x;
    box.top += before.centre.y - after.centre.y;
  }
}

void LayoutEditorInteraction::Order(UINT command) {
  if (SelectedCount() != 1) return;
  const bool caption = !Captions().empty();
  std::vector<int>& selection = caption ? Captions() : Boxes();
  const int index = selection[0];
  auto used = [&](int i) { return caption ? m_model.captions[i].m_nEnable != 0 : m_model.boxes[i].image >= 1; };
  int highest = index;
  for (int i = index + 1; i < kLayoutBoxCount; ++i)
    if (used(i)) highest = i;
  int target = index;
  switch (command) {
    case ID_LAYOUT_MOVE_TO_BACK: target = 0; break;
    case ID_LAYOUT_MOVE_BACK: target = index > 0 ? index - 1 : 0; break;
    case ID_LAYOUT_MOVE_FORWARD: target = highest > index ? index + 1 : index; break;
    case ID_LAYOUT_MOVE_TO_FRONT: target = highest; break;
  }
  if (target == index) return;
  auto move = [&](auto* items) {
    if (command == ID_LAYOUT_MOVE_BACK || command == ID_LAYOUT_MOVE_FORWARD)
      std::swap(items[index], items[target]);
    else if (target < index)
      std::rotate(items + target, items + index, items + index + 1);
    else
      std::rotate(items + index, items + index + 1, items + target + 1);
  };
  if (caption)
    move(m_model.captions);
  else
    move(m_model.boxes);
  selection[0] = target;
}

void LayoutEditorInteraction::DisableCaptions() {
  for (int index : Captions()) m_model.captions[index].m_nEnable = 0;
  Captions().clear();
}

void LayoutEditorInteraction::AddCaption() {
  for (int i = 0; i < kLayoutCaptionCount; ++i) {
    if (m_model.captions[i].m_nEnable) continue;
    const POINT page = ToPage(m_menuPoint);
    m_model.captions[i] = PhotoboothCaption::MakeNew(i + 1, ToPrinter(page.x), ToPrinter(page.y));
    Captions().assign(1, i);
    Redraw(0);
    return;
  }
  CString text;
  text.Format("All %d captions have been used and no more can be defined.\nPlease edit one of the existing captions.",
              kLayoutCaptionCount);
  if (messageBox) messageBox(text, MB_ICONEXCLAMATION);
}

void LayoutEditorInteraction::DuplicateCaption() {
  if (Captions().empty()) return;
  const int source = Captions()[0];
  int copy = -1;
  for (int i = 0; i < kLayoutCaptionCount && copy < 0; ++i)
    if (!m_model.captions[i].m_nEnable) copy = i;
  if (copy < 0) {
    CString text;
    text.Format(
        "ERROR: all %d captions are in use.\nPlease disable one or more captions before duplicating a caption.\n\n"
        "To disable a caption first select it then click on the \"Edit captions...\" button and uncheck the "
        "\"Enable caption\" checkbox.",
        kLayoutCaptionCount);
    if (messageBox) messageBox(text, MB_ICONERROR);
    return;
  }
  PhotoboothCaption& caption = m_model.captions[copy];
  caption = m_model.captions[source];
  Captions()[0] = copy;
  // Keep the copy on the printable area, a step away from the original.
  const int w = m_model.pageWidth - m_model.leftMargin - m_model.rightMargin;
  const int h = m_model.pageHeight - m_model.topMargin - m_model.bottomMargin;
  const POINT centre = m_renderer.m_captionOutlines[source].centre;
  const int cx = ToPrinter(centre.x) - m_model.leftMargin, cy = ToPrinter(centre.y) - m_model.topMargin;
  const int left = caption.m_nLeft - m_model.leftMargin, top = caption.m_nTop - m_model.topMargin;
  bool moved = false;
  if (h < w) {
    if (top < h / 2 && cy < h / 2)
      caption.m_nTop += h / 2, moved = true;
    else if (top > h / 2 && cy > h / 2)
      caption.m_nTop -= h / 2, moved = true;
  } else if (w < h) {
    if (left < w / 2 && cx < w / 2)
      caption.m_nLeft += w / 2, moved = true;
    else if (left > w / 2 && cx > w / 2)
      caption.m_nLeft -= w / 2, moved = true;
  }
  if (!moved) {
    caption.m_nLeft += cx + m_model.dpiX / 2 <= w ? m_model.dpiX / 2 : -m_model.dpiX / 2;
    caption.m_nTop += cy + m_model.dpiY / 2 <= h ? m_model.dpiY / 2 : -m_model.dpiY / 2;
  }
  Redraw(0);
}

BOOL LayoutEditorInteraction::OnCommand(UINT id) {
  switch (id) {
    case ID_LAYOUT_NUDGE_UP: MoveSelection(0, -1); break;
    case ID_LAYOUT_NUDGE_DOWN: MoveSelection(0, 1); break;
    case ID_LAYOUT_NUDGE_LEFT: MoveSelection(-1, 0); break;
    case ID_LAYOUT_NUDGE_RIGHT: MoveSelection(1, 0); break;
    case ID_LAYOUT_NUDGE_UP10: MoveSelection(0, -10); break;
    case ID_LAYOUT_NUDGE_DOWN10: MoveSelection(0, 10); break;
    case ID_LAYOUT_NUDGE_LEFT10: MoveSelection(-10, 0); break;
    case ID_LAYOUT_NUDGE_RIGHT10: MoveSelection(10, 0); break;
    case ID_LAYOUT_TURN_RIGHT:
    case ID_LAYOUT_TURN_LEFT:
    case ID_LAYOUT_TURN_RIGHT15:
    case ID_LAYOUT_TURN_LEFT15:
      TurnSelected(static_cast<int>(id));
      Redraw(1);
      Refresh();
      return TRUE;
    case ID_LAYOUT_SELECT_ALL: SelectAll(false); break;
    case ID_LAYOUT_SELECT_PHOTOS: SelectAll(true); break;
    case ID_LAYOUT_SELECT_NONE: SelectNone(); break;
    case ID_LAYOUT_INVERT_SELECTION: InvertSelection(); break;
    case ID_LAYOUT_ALIGN_LEFT:
    case ID_LAYOUT_ALIGN_RIGHT:
    case ID_LAYOUT_ALIGN_TOP:
    case ID_LAYOUT_ALIGN_BOTTOM:
    case ID_LAYOUT_ALIGN_VCENTER: Align(id); break;
    case ID_LAYOUT_SPACE_EVENLY: SpaceEvenly(); break;
    case ID_LAYOUT_SAME_SIZE: SameSizeAndAngle(); break;
    case ID_LAYOUT_MOVE_TO_BACK:
    case ID_LAYOUT_MOVE_BACK:
    case ID_LAYOUT_MOVE_FORWARD:
    case ID_LAYOUT_MOVE_TO_FRONT: Order(id); break;
    case ID_LAYOUT_DISABLE_CAPTIONS: DisableCaptions(); break;
    case ID_LAYOUT_ADD_CAPTION: AddCaption(); Refresh(); return TRUE;
    case ID_LAYOUT_DUPLICATE_CAPTION: DuplicateCaption(); Refresh(); return TRUE;
    default: return FALSE;
  }
  const bool nudge = id == ID_LAYOUT_NUDGE_UP || id == ID_LAYOUT_NUDGE_DOWN || id == ID_LAYOUT_NUDGE_LEFT ||
                     id == ID_LAYOUT_NUDGE_RIGHT || (id >= ID_LAYOUT_NUDGE_DOWN10 && id <= ID_LAYOUT_NUDGE_UP10);
  Redraw(nudge ? 2 : 0);
  Refresh();
  return TRUE;
}
