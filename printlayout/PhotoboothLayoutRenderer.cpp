#include "printlayout/PhotoboothLayoutRenderer.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/gdi/wingdi.h"
#include "platform/gdiplus/gdiplus.h"
#include "platform/polyimage/polyimage.h"
#include "platform/user/window.h"
#include "platform/win32/codepage.h"
#include "platform/win32/files.h"
#include "support/DrawCaption.h"
#include "support/PipSession.h"
#include "support/TextTemplate.h"

LayoutShowFlags PhotoboothLayoutRenderer::s_show;

namespace {

const double kPi = 3.14159265358979323846;
const COLORREF kBoxColours[12] = {0x96FF96, 0xFF9696, 0x96FFFF, 0xFF96FF, 0xFFFF96, 0x3C3CB4,
                                  0x96FF96, 0xFF9696, 0x96FFFF, 0xFF96FF, 0xFFFF96, 0x3C3CB4};
const COLORREF kSelection = 0x0000FF;

void Line(HDC dc, int x0, int y0, int x1, int y1) {
  MoveToEx(dc, x0, y0, nullptr);
  LineTo(dc, x1, y1);
}

HPEN SelectionPen() {
  LOGBRUSH brush{BS_SOLID, kSelection, 0};
  return ExtCreatePen(PS_GEOMETRIC | PS_DASH, 3, &brush, 0, nullptr);
}

// A DC on a bitmap for the scope.
class BitmapDC {
 public:
  BitmapDC(HDC compatible, HBITMAP bitmap) : m_dc(CreateCompatibleDC(compatible)) {
    m_old = m_dc ? SelectObject(m_dc, bitmap) : nullptr;
  }
  ~BitmapDC() {
    if (!m_dc) return;
    SelectObject(m_dc, m_old);
    DeleteDC(m_dc);
  }
  HDC Get() const { return m_dc; }

 private:
  HDC m_dc;
  HGDIOBJ m_old = nullptr;
};

}  // namespace

PhotoboothLayoutRenderer::PhotoboothLayoutRenderer(PrintLayoutModel& model) : m_model(model) {
  std::memset(m_boxOutlines, 0, sizeof(m_boxOutlines));
  std::memset(m_captionOutlines, 0, sizeof(m_captionOutlines));
}

PhotoboothLayoutRenderer::~PhotoboothLayoutRenderer() { DropAllCaches(); }

COLORREF PhotoboothLayoutRenderer::BoxColour(int photo) { return kBoxColours[(photo > 0 ? photo - 1 : 0) % 12]; }

int PhotoboothLayoutRenderer::ToPreview(int value) const {
  return PrinterToPreview(value, m_nPreviewWidth, m_model.pageWidth);
}

int PhotoboothLayoutRenderer::ToPrinter(int value) const {
  return m_nPreviewWidth ? PrinterToPreview(value, m_model.pageWidth, m_nPreviewWidth) : 0;
}

void PhotoboothLayoutRenderer::FreeImage(ScaledImage& image) {
  if (image.bitmap) DeleteObject(image.bitmap);
  image = ScaledImage{};
}

void PhotoboothLayoutRenderer::DropSizeCaches() {
  if (m_hPreview) DeleteObject(m_hPreview);
  m_hPreview = nullptr;
  FreeImage(m_background);
  FreeImage(m_header);
  FreeImage(m_footer);
}

void PhotoboothLayoutRenderer::DropAllCaches() {
  DropSizeCaches();
  DropOverlay();
}

void PhotoboothLayoutRenderer::DropBackground() { FreeImage(m_background); }

void PhotoboothLayoutRenderer::DropOverlay() {
  delete m_pOverlay;
  m_pOverlay = nullptr;
  m_bOverlayTried = false;
}

void PhotoboothLayoutRenderer::DropLayerCaches() {
  FreeImage(m_background);
  FreeImage(m_header);
  FreeImage(m_footer);
  DropOverlay();
}

void PhotoboothLayoutRenderer::MakeScaledImage(HDC dc, const char* file, ScaledImage& image) {
  if (image.bitmap) return;
  const CString path = m_strImagesFolder + "/" + file;
  if (!PathFileExistsA(path)) return;
  DWORD w = 0, h = 0;
  if (!cGetImageFileInfo(path, 0, &w, &h, nullptr, nullptr) || !w || !h) return;
  int scaledWidth = ToPreview(static_cast<int>(w)), scaledHeight = ToPreview(static_cast<int>(h));
  if (scaledWidth <= 0 || scaledHeight <= 0) return;
  // Round up whichever side lost more, so the scaled image never lacks a pixel.
  const unsigned sw = static_cast<unsigned>(scaledWidth), sh = static_cast<unsigned>(scaledHeight);
  if (static_cast<unsigned long long>(sw) * h / w >= sh) {
    if (static_cast<unsigned long long>(w) * sh / h < sw) ++scaledHeight;
  } else {
    ++scaledWidth;
  }
  // Decoded at a reduced scale when the preview needs no more.
  PipSession session;
  if (!cLoadThumbnail(session.m_hSession, path, std::max<int>(scaledWidth, 1), std::max<int>(scaledHeight, 1))) return;
  if ((session.GetWidth() != static_cast<DWORD>(scaledWidth) || session.GetHeight() != static_cast<DWORD>(scaledHeight)) &&
      !cOpResize(session.m_hSession, scaledWidth, scaledHeight, 3, 1, 0))
    return;
  // The scaled pixels go straight into a 32-bit top-down DIB: no drawing, no conversion.
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = scaledWidth;
  info.bmiHeader.biHeight = -scaledHeight;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  BYTE* source = nullptr;
  HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!bitmap) return;
  if (bits && cGetBitsPtr(session.m_hSession, &source) && source && session.GetBitsPerPixel() == 24) {
    for (int y = 0; y < scaledHeight; ++y) {
      const BYTE* from = source + static_cast<size_t>(y) * scaledWidth * 3;
      BYTE* to = static_cast<BYTE*>(bits) + static_cast<size_t>(y) * scaledWidth * 4;
      for (int x = 0; x < scaledWidth; ++x, from += 3, to += 4) to[0] = from[0], to[1] = from[1], to[2] = from[2], to[3] = 255;
    }
    GdiFlush();
  } else {
    BitmapDC target(dc, bitmap);
    cDrawImage(session.m_hSession, target.Get(), 0, 0, scaledWidth - 1, scaledHeight - 1, 0, 0, 0, 1);
  }
  image.bitmap = bitmap;
  image.width = scaledWidth;
  image.height = scaledHeight;
}

void PhotoboothLayoutRenderer::DrawLayout(HDC dc, int clientWidth, int clientHeight, int controlsRight, int undoTag) {
  const int pageWidth = m_model.pageWidth, pageHeight = m_model.pageHeight;
  int W = clientWidth - controlsRight - 20;
  int H = 0;
  if (pageWidth > 0 && pageHeight > 0) {
    H = static_cast<int>(static_cast<long long>(W) * pageHeight / pageWidth);
    if (clientHeight - 20 < H) {
      H = clientHeight - 20;
      W = static_cast<int>(static_cast<long long>(pageWidth) * H / pageHeight);
    }
  }
  if (W != m_nPreviewWidth || H != m_nPreviewHeight) DropSizeCaches();
  m_nPreviewWidth = W;
  m_nPreviewHeight = H;
  m_nOriginX = controlsRight + (clientWidth - W - controlsRight) / 2;
  m_nOriginY = (clientHeight - H) / 2;
  const int x0 = m_nOriginX, y0 = m_nOriginY;

  // 1. The page outline, dashed while the margins are hidden.
  HPEN outlinePen = CreatePen(s_show.printerMargins ? PS_SOLID : PS_DASH, 1, RGB(0, 0, 0));
  HGDIOBJ oldPen = SelectObject(dc, outlinePen);
  HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(NULL_BRUSH));
  Rectangle(dc, x0 - 1, y0 - 1, x0 + W + 1, y0 + H + 1);
  SelectObject(dc, oldBrush);
  SelectObject(dc, oldPen);
  DeleteObject(outlinePen);
  // Without a printer there is no page to scale to.
  if (W <= 0 || H <= 0 || pageWidth <= 0 || pageHeight <= 0) return;

  // 2. Caches.
  if (s_show.background) {
    MakeScaledImage(dc, "background.jpg", m_background);
    MakeScaledImage(dc, "header.jpg", m_header);
    MakeScaledImage(dc, "footer.jpg", m_footer);
  }
  if (!m_hPreview) {
    m_hPreview = CreateCompatibleBitmap(dc, W, H);
    m_nPreviewBitmapWidth = W;
    m_nPreviewBitmapHeight = H;
  }
  if (!m_hPreview) return;
  BitmapDC preview(dc, m_hPreview);
  HDC memory = preview.Get();
  if (!memory) return;

  // 3. The paper.
  RECT all{0, 0, W, H};
  HBRUSH paper = CreateSolidBrush(s_show.backgroundColour ? m_model.background : RGB(255, 255, 255));
  FillRect(memory, &all, paper);
  DeleteObject(paper);

  const int L = m_model.leftMargin, T = m_model.topMargin, R = m_model.rightMargin, B = m_model.bottomMargin;
  // 4, 5. Background centred on the printable area; header and footer on the page's edges.
  if (s_show.background) {
    if (m_background.bitmap) {
      const int x = L + (pageWidth - R - L - ToPrinter(m_background.width)) / 2;
      const int y = T + (pageHeight - B - T - ToPrinter(m_background.height)) / 2;
      BitmapDC source(memory, m_background.bitmap);
      BitBlt(memory, ToPreview(x), ToPreview(y), m_background.width, m_background.height, source.Get(), 0, 0, SRCCOPY);
    }
    if (m_header.bitmap) {
      BitmapDC source(memory, m_header.bitmap);
      BitBlt(memory, (W - m_header.width) / 2, 0, m_header.width, m_header.height, source.Get(), 0, 0, SRCCOPY);
    }
    if (m_footer.bitmap) {
      BitmapDC source(memory, m_footer.bitmap);
      BitBlt(memory, (W - m_footer.width) / 2, H - m_footer.height - 1, m_footer.width, m_footer.height, source.Get(),
             0, 0, SRCCOPY);
    }
  }

  // 6 - 10.
  DrawBoxes(memory);
  if (s_show.overlay) DrawOverlay(memory);
  DrawCaptions(memory);
  DrawSelection(memory);

  // 11. Printer margins: lines on the page and ticks outside it.
  const int ml = ToPreview(L), mr = W - ToPreview(R) - 1, mt = ToPreview(T), mb = H - ToPreview(B) - 1;
  oldPen = SelectObject(memory, GetStockObject(BLACK_PEN));
  HGDIOBJ oldTargetPen = SelectObject(dc, GetStockObject(BLACK_PEN));
  for (int x : {ml, mr}) {
    Line(memory, x, 0, x, H);
    Line(dc, x0 + x, y0 - 7, x0 + x, y0 + H + 7);
  }
  for (int y : {mt, mb}) {
    Line(memory, 0, y, W, y);
    Line(dc, x0 - 5, y0 + y, x0 + W + 7, y0 + y);
  }
  SelectObject(memory, oldPen);
  SelectObject(dc, oldTargetPen);

  // 12. One block transfer; the margin strips stay unpainted while they are hidden.
  if (s_show.printerMargins)
    BitBlt(dc, x0, y0, W, H, memory, 0, 0, SRCCOPY);
  else
    BitBlt(dc, x0 + ml, y0 + mt, W - ToPreview(L) - ToPreview(R), H - ToPreview(T) - ToPreview(B), memory, ml, mt,
           SRCCOPY);

  // 13.
  if (!::GetCapture() && m_recordUndo) m_recordUndo(undoTag);
}

void PhotoboothLayoutRenderer::DrawBoxLabel(HDC dc, int index, COLORREF colour) {
  const LayoutEditBox& box = m_model.boxes[index];
  const LayoutBoxOutline& outline = m_boxOutlines[index];
  CString label;
  if (box.image > m_model.photos)
    label = "QR";
  else
    label.Format("%d", box.image);
  LOGFONTA font{};
  font.lfHeight = ToPreview(box.height) / 2;
  if (font.lfHeight < 1) return;
  const int escapement = ((3600 - StoredRotation(box.rotation)) % 3600);
  font.lfEscapement = font.lfOrientation = escapement;
  std::strcpy(font.lfFaceName, "Arial");
  HFONT made = CreateFontIndirectA(&font);
  HGDIOBJ old = SelectObject(dc, made);
  SIZE extent{};
  GetTextExtentPoint32A(dc, label, label.GetLength(), &extent);
  // The text runs along (cos e, -sin e) with its lines below it; centre its extent on the box.
  const double e = escapement / 10.0 * kPi / 180.0, c = std::cos(e), s = std::sin(e);
  const double x = outline.centre.x - extent.cx / 2.0 * c - extent.cy / 2.0 * s;
  const double y = outline.centre.y + extent.cx / 2.0 * s - extent.cy / 2.0 * c;
  SetTextColor(dc, colour);
  TextOutA(dc, static_cast<int>(std::lround(x)), static_cast<int>(std::lround(y)), label, label.GetLength());
  SelectObject(dc, old);
  DeleteObject(made);
}

void PhotoboothLayoutRenderer::DrawBoxes(HDC dc) {
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, RGB(0, 0, 0));
  HGDIOBJ oldPen = SelectObject(dc, GetStockObject(BLACK_PEN));
  for (int i = 0; i < kLayoutBoxCount; ++i) {
    const LayoutEditBox& box = m_model.boxes[i];
    m_boxOutlines[i] = OutlineToPreview(ComputeBoxOutline(box.left, box.top, box.width, box.height, box.rotation),
                                        m_nPreviewWidth, m_model.pageWidth);
    if (box.image < 1) continue;
    HBRUSH colour = nullptr;
    HGDIOBJ oldBrush;
    if (box.image > m_model.photos) {
      oldBrush = SelectObject(dc, GetStockObject(GRAY_BRUSH));
    } else {
      colour = CreateSolidBrush(BoxColour(box.image));
      oldBrush = SelectObject(dc, colour);
    }
    Polygon(dc, m_boxOutlines[i].corner, 4);
    SelectObject(dc, oldBrush);
    if (colour) DeleteObject(colour);
    DrawBoxLabel(dc, i, RGB(0, 0, 0));
  }
  SelectObject(dc, oldPen);
}

void PhotoboothLayoutRenderer::DrawOverlay(HDC dc) {
  if (!m_pOverlay && !m_bOverlayTried) {
    m_bOverlayTried = true;
    const CString path = m_strImagesFolder + "/overlay.png";
    if (PathFileExistsA(path)) {
      WCHAR wide[4096] = {};
      if (MultiByteToWideChar(CP_ACP, 0, path, -1, reinterpret_cast<LPWSTR>(wide), 4095) > 0) {
        m_pOverlay = Gdiplus::Bitmap::FromFile(wide);
        if (m_pOverlay && (m_pOverlay->GetLastStatus() != Gdiplus::Ok || !m_pOverlay->GetWidth())) DropOverlay();
        m_bOverlayTried = true;
      }
    }
  }
  if (!m_pOverlay) return;
  const int width = static_cast<int>(m_pOverlay->GetWidth()), height = static_cast<int>(m_pOverlay->GetHeight());
  const int x = m_model.leftMargin + (m_model.pageWidth - m_model.rightMargin - m_model.leftMargin - width) / 2;
  const int y = m_model.topMargin + (m_model.pageHeight - m_model.bottomMargin - m_model.topMargin - height) / 2;
  Gdiplus::Graphics graphics(dc);
  graphics.SetCompositingMode(Gdiplus::CompositingModeSourceOver);
  graphics.DrawImage(m_pOverlay, Gdiplus::Rect(ToPreview(x), ToPreview(y), ToPreview(width), ToPreview(height)), 0, 0,
                     width, height, Gdiplus::UnitPixel);
}

void PhotoboothLayoutRenderer::DrawCaptions(HDC dc) {
  if (!s_show.captions) return;
  HDC screen = CreateCompatibleDC(nullptr);
  const int screenDpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 96;
  if (screen) DeleteDC(screen);
  const int printerDpi = m_model.dpiY > 0 ? m_model.dpiY : 300;
  HPEN selection = SelectionPen();
  for (int i = 0; i < kLayoutCaptionCount; ++i) {
    PhotoboothCaption& caption = m_model.captions[i];
    if (!caption.m_nEnable || caption.m_strText.IsEmpty()) continue;
    CMapStringToString noValues;
    caption.m_strExpandedText = caption.m_strText;
    ExpandTextTemplate(noValues, caption.m_strExpandedText);
    SetTextColor(dc, caption.m_colour);
    LOGFONTA font = caption.m_font;
    font.lfHeight = static_cast<LONG>(static_cast<long long>(font.lfHeight) * printerDpi / (screenDpi ? screenDpi : 96));
    font.lfEscapement = font.lfOrientation = static_cast<LONG>(3600 - caption.m_dAngle * 10);
    int corners[8] = {};
    DrawCaption(dc, caption.m_nLeft, caption.m_nTop, caption.m_strExpandedText, caption.m_nAlignment, font, corners,
                caption.m_nMaxNumberOfLines, caption.m_nMaxLineWidth);
    POINT points[4];
    for (int k = 0; k < 4; ++k) points[k] = {ToPreview(corners[2 * k]), ToPreview(corners[2 * k + 1])};
    m_captionOutlines[i] = OutlineFromCorners(points);
    LOGFONTA previewFont = font;
    previewFont.lfHeight = ToPreview(font.lfHeight);
    if (previewFont.lfHeight == 0) previewFont.lfHeight = font.lfHeight < 0 ? -1 : 1;
    const int maxWidth = ToPreview(caption.m_nMaxLineWidth);
    DrawCaption(dc, ToPreview(caption.m_nLeft), ToPreview(caption.m_nTop), caption.m_strExpandedText,
                caption.m_nAlignment, previewFont, nullptr, caption.m_nMaxNumberOfLines, maxWidth);

    if (caption.m_nMaxNumberOfLines < 1 && caption.m_nMaxLineWidth < 1) continue;
    // A guide frame of the lines the caption may use.
    CString text = caption.m_strExpandedText;
    text.Remove('\r');
    int lines = 1;
    for (int k = 0; k + 1 < text.GetLength(); ++k)
      if (text[k] == '\n') ++lines;
    // However many lines were stored, the guide never draws more than a caption may hold.
    const int k = ClampCaptionLines(caption.m_nMaxNumberOfLines >= 1 ? caption.m_nMaxNumberOfLines : lines);
    const POINT* P = points;
    double ax = P[0].x, ay = P[0].y;
    double dx = P[0].x + double(P[3].x - P[0].x) * k / lines, dy = P[0].y + double(P[3].y - P[0].y) * k / lines;
    double wx = P[1].x - P[0].x, wy = P[1].y - P[0].y;
    if (caption.m_nMaxLineWidth >= 1) {
      const double share = caption.m_nAlignment == 1 ? 0.5 : caption.m_nAlignment == 2 ? 1.0 : 0.0;
      const double angle = caption.m_dAngle * kPi / 180.0;
      const double vx = std::cos(angle) * maxWidth, vy = std::sin(angle) * maxWidth;
      ax += share * wx - share * vx, ay += share * wy - share * vy;
      dx += share * wx - share * vx, dy += share * wy - share * vy;
      wx = vx, wy = vy;
    }
    HGDIOBJ oldPen = SelectObject(dc, selection);
    POINT frame[5] = {{int(ax), int(ay)}, {int(ax + wx), int(ay + wy)}, {int(dx + wx), int(dy + wy)},
                      {int(dx), int(dy)}, {int(ax), int(ay)}};
    Polyline(dc, frame, 5);
    for (int j = 1; j < k; ++j) {
      const double px = ax + (dx - ax) * j / k, py = ay + (dy - ay) * j / k;
      Line(dc, int(px), int(py), int(px + wx), int(py + wy));
    }
    SelectObject(dc, oldPen);
  }
  DeleteObject(selection);
}

void PhotoboothLayoutRenderer::DrawHandles(HDC dc, const LayoutBoxOutline& outline) {
  HPEN selection = SelectionPen();
  HGDIOBJ oldPen = SelectObject(dc, selection);
  Line(dc, outline.handle1.x, outline.handle1.y, outline.handle2.x, outline.handle2.y);
  HPEN black = CreatePen(PS_SOLID, 2, RGB(0, 0, 0));
  SelectObject(dc, black);
  HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(WHITE_BRUSH));
  for (int i = 0; i < 4; ++i)
    Ellipse(dc, outline.corner[i].x - 5, outline.corner[i].y - 5, outline.corner[i].x + 5, outline.corner[i].y + 5);
  Ellipse(dc, outline.handle2.x - 5, outline.handle2.y - 5, outline.handle2.x + 5, outline.handle2.y + 5);
  SelectObject(dc, oldBrush);
  SelectObject(dc, oldPen);
  DeleteObject(black);
  DeleteObject(selection);
}

void PhotoboothLayoutRenderer::DrawSelection(HDC dc) {
  const bool single = m_selectedBoxes.size() + m_selectedCaptions.size() == 1;
  HPEN selection = SelectionPen();
  HPEN red = CreatePen(PS_SOLID, 1, kSelection);
  for (int index : m_selectedBoxes) {
    if (index < 0 || index >= kLayoutBoxCount) continue;
    HGDIOBJ oldPen = SelectObject(dc, selection);
    Polyline(dc, m_boxOutlines[index].corner, 5);
    SelectObject(dc, oldPen);
    if (!single) continue;
    DrawHandles(dc, m_boxOutlines[index]);
    if (m_model.boxes[index].image >= 1) DrawBoxLabel(dc, index, kSelection);
    // Boxes lined up with this one.
    oldPen = SelectObject(dc, red);
    const LayoutEditBox& box = m_model.boxes[index];
    for (int other = 0; other < kLayoutBoxCount; ++other) {
      if (other == index || m_model.boxes[other].image < 1) continue;
      if (m_model.boxes[other].left == box.left) Line(dc, ToPreview(box.left), 0, ToPreview(box.left), m_nPreviewHeight);
      if (m_model.boxes[other].top == box.top) Line(dc, 0, ToPreview(box.top), m_nPreviewWidth, ToPreview(box.top));
    }
    SelectObject(dc, oldPen);
  }
  for (int index : m_selectedCaptions) {
    if (index < 0 || index >= kLayoutCaptionCount || !m_model.captions[index].m_nEnable) continue;
    HGDIOBJ oldPen = SelectObject(dc, selection);
    Polyline(dc, m_captionOutlines[index].corner, 5);
    SelectObject(dc, oldPen);
    if (single) DrawHandles(dc, m_captionOutlines[index]);
  }
  DeleteObject(red);
  DeleteObject(selection);
}

std::vector<BYTE> PhotoboothLayoutRenderer::MakeThumbnail(int clientWidth, int clientHeight, int controlsRight) {
  const LayoutShowFlags shown = s_show;
  const std::vector<int> boxes = m_selectedBoxes, captions = m_selectedCaptions;
  std::function<void(int)> undo;
  undo.swap(m_recordUndo);
  m_selectedBoxes.clear();
  m_selectedCaptions.clear();
  s_show.background = s_show.overlay = s_show.captions = s_show.backgroundColour = true;

  std::vector<BYTE> jpeg;
  PipSession image;
  if (clientWidth > 0 && clientHeight > 0 && cNewImage(image.m_hSession, clientWidth, clientHeight, RGB(255, 255, 255))) {
    if (HDC dc = cGetImageDC(image.m_hSession)) {
      DrawLayout(dc, clientWidth, clientHeight, controlsRight, 0);
      cReleaseImageDC(image.m_hSession, dc);
    }
    // Every margin scales by the width ratio, halves away from zero.
    auto scaled = [&](int margin) { return PrinterToPreview(margin, m_nPreviewWidth, m_model.pageWidth); };
    const int X = m_nOriginX, Y = m_nOriginY;
    cSetOpRectangle(image.m_hSession, X + scaled(m_model.leftMargin), Y + scaled(m_model.topMargin),
                    X + m_nPreviewWidth - scaled(m_model.rightMargin), Y + m_nPreviewHeight - scaled(m_model.bottomMargin),
                    0);
    if (m_nPreviewWidth > 0 && m_nPreviewHeight > 0 && cOpCrop(image.m_hSession) &&
        cOpResizeEx(image.m_hSession, 200, 200, 3, 1)) {
      const int w = static_cast<int>(image.GetWidth()), h = static_cast<int>(image.GetHeight());
      if (HDC dc = cGetImageDC(image.m_hSession)) {
        HGDIOBJ old = SelectObject(dc, GetStockObject(BLACK_PEN));
        POINT frame[5] = {{0, 0}, {w - 1, 0}, {w - 1, h - 1}, {0, h - 1}, {0, 0}};
        Polyline(dc, frame, 5);
        SetPixel(dc, 0, 0, RGB(0, 0, 0));
        SelectObject(dc, old);
        cReleaseImageDC(image.m_hSession, dc);
      }
      PolyArray bytes;
      if (cSaveToMemory(image.m_hSession, PIP_FORMAT_JPEG, &bytes, 0, 0) && bytes.Size() > 0) jpeg = bytes.Bytes();
    }
  }

  s_show = shown;
  m_selectedBoxes = boxes;
  m_selectedCaptions = captions;
  m_recordUndo.swap(undo);
  return jpeg;
}
