#include "app/DisplayRender.h"

#include "platform/mfc/cdc.h"
#include "support/ExifBlock.h"

namespace {

CString ReadError(const CString& message) {
  return message.IsEmpty() ? CString("Error reading JPEG") : "Error reading JPEG:\n" + message;
}

void MarkHighlights(CDC& dc, const BITMAP& info, const DisplayRequest& request, DisplayRender& render) {
  auto* marked = new CBitmap;
  if (!marked->CreateBitmap(info.bmWidth, info.bmHeight, 1, 32, nullptr)) {
    delete marked;
    return;
  }
  CDC markedDc;
  markedDc.CreateCompatibleDC(nullptr);
  CBitmap* oldMarked = markedDc.SelectObject(marked);
  markedDc.BitBlt(0, 0, info.bmWidth, info.bmHeight, &dc, 0, 0, SRCCOPY);
  const int threshold = request.highlightThreshold;
  for (int y = 0; y < info.bmHeight; ++y)
    for (int x = 0; x < info.bmWidth; ++x) {
      COLORREF colour = dc.GetPixel(x, y);
      int r = GetRValue(colour), g = GetGValue(colour), b = GetBValue(colour);
      bool hot = request.highlightMethod ? (r >= threshold || g >= threshold || b >= threshold)
                                         : static_cast<int>(0.299 * r + 0.587 * g + 0.114 * b) >= threshold;
      if (hot) markedDc.SetPixel(x, y, RGB(0, 0, 0));
    }
  markedDc.SelectObject(oldMarked);
  render.highlight = marked;
}

void DrawGrid(CDC& dc, const BITMAP& info, const DisplayRequest& request) {
  CPen pen(PS_SOLID, 1, request.gridColour);
  CPen* oldPen = dc.SelectObject(&pen);
  for (int i = 1; i < request.gridAcross; ++i) {
    int x = i * info.bmWidth / request.gridAcross;
    dc.MoveTo(x, 0);
    dc.LineTo(x, info.bmHeight);
  }
  for (int i = 1; i < request.gridDown; ++i) {
    int y = i * info.bmHeight / request.gridDown;
    dc.MoveTo(0, y);
    dc.LineTo(info.bmWidth, y);
  }
  dc.SelectObject(oldPen);
}

}  // namespace

std::unique_ptr<DisplayRender> RenderDisplay(const BYTE* jpeg, DWORD size, const DisplayRequest& request) {
  auto render = std::make_unique<DisplayRender>();
  if (!jpeg || size == 0 || request.width <= 0 || request.height <= 0) return render;
  CHistogram* histogram = request.histogram ? &render->histogram : nullptr;
  auto draw = [&](const BYTE* start, DWORD length) {
    return RenderJpegForDisplay(start, length, histogram, request.angle, request.width, request.height,
                                request.sharpening, request.greyMode, request.crop3x2, -1, -1, -1, -1,
                                &request.profiles);
  };
  try {
    render->bitmap = draw(jpeg, size);
  } catch (const CString& message) {
    // A camera's buffer may carry bytes before the JPEG itself: look for its start and try again.
    const BYTE* start = jpeg;
    DWORD length = size;
    FindJpegStart(start, length);
    if (start == jpeg) {
      render->error = ReadError(message);
    } else {
      try {
        render->bitmap = draw(start, length);
        // The start found is usually the Exif thumbnail: the user must know it is not the photo.
        if (render->bitmap && start > jpeg + 2)
          render->thumbnailNote = message.IsEmpty() ? CString("Error reading JPEG") : message;
      } catch (const CString& again) {
        render->error = ReadError(again);
      }
    }
  }
  if (!render->bitmap) return render;

  BITMAP info{};
  render->bitmap->GetBitmap(&info);
  CDC dc;
  if (!dc.CreateCompatibleDC(nullptr)) return render;
  CBitmap* old = dc.SelectObject(render->bitmap);
  if (request.highlight) MarkHighlights(dc, info, request, *render);
  if (request.gridAcross > 0 && request.gridDown > 0) DrawGrid(dc, info, request);
  dc.SelectObject(old);
  return render;
}
