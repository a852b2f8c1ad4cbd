// Draws a custom print layout scaled into the editor's preview: page outline, background
// colour and images, numbered photo boxes, the QR box, overlay, captions, selection marks and
// handles, guide lines and printer margins. The scaled images and the composed preview are
// cached between draws, so a drag redraws with one block transfer.
#pragma once

#include <functional>
#include <vector>

#include "platform/gdi/types.h"
#include "platform/mfc/cstring.h"
#include "printlayout/PrintLayoutModel.h"

namespace Gdiplus {
class Bitmap;
}

/// What the preview shows; kept for the whole run between openings of the editor.
struct LayoutShowFlags {
  bool background = true;  // background.jpg, header.jpg and footer.jpg
  bool overlay = true;
  bool captions = true;
  bool backgroundColour = true;
  bool printerMargins = false;
};

class PhotoboothLayoutRenderer {
 public:
  explicit PhotoboothLayoutRenderer(PrintLayoutModel& model);
  ~PhotoboothLayoutRenderer();
  PhotoboothLayoutRenderer(const PhotoboothLayoutRenderer&) = delete;
  PhotoboothLayoutRenderer& operator=(const PhotoboothLayoutRenderer&) = delete;

  /// Draws into `dc` whose client area is clientWidth x clientHeight, the page placed right of
  /// x = controlsRight; then records an undo snapshot with the tag unless a drag is under way.
  void DrawLayout(HDC dc, int clientWidth, int clientHeight, int controlsRight, int undoTag);

  /// The layout file's thumbnail: the whole layout without selection, every layer shown, cut to
  /// the printable part, fitted into 200 x 200 with a one-pixel black frame, as JPEG bytes
  /// (empty when it cannot be made). Selections, show flags and undo are as they were after.
  std::vector<BYTE> MakeThumbnail(int clientWidth, int clientHeight, int controlsRight);

  /// The client area changed: preview, background, header and footer are made again.
  void DropSizeCaches();
  /// The printer changed: everything is made again.
  void DropAllCaches();
  /// One layer image changed on disk.
  void DropBackground();
  void DropOverlay();
  /// The four layer images changed (an imported layout).
  void DropLayerCaches();

  /// Colour of a photo box by its photo number (1-based; numbers above 12 repeat the table).
  static COLORREF BoxColour(int photo);

  static LayoutShowFlags s_show;

  CString m_strImagesFolder;
  std::vector<int> m_selectedBoxes;     // indexes 0..11 in selection order
  std::vector<int> m_selectedCaptions;  // likewise
  /// Records an undo snapshot (0: no coalescing).
  std::function<void(int tag)> m_recordUndo;

  // Geometry of the last draw: preview size and the page's origin in the client area.
  int m_nPreviewWidth = 0;
  int m_nPreviewHeight = 0;
  int m_nOriginX = 0;
  int m_nOriginY = 0;
  /// Outlines of the last draw in preview pixels relative to the page origin (hit testing).
  LayoutBoxOutline m_boxOutlines[kLayoutBoxCount];
  LayoutBoxOutline m_captionOutlines[kLayoutCaptionCount];

 private:
  struct ScaledImage {
    HBITMAP bitmap = nullptr;
    int width = 0;
    int height = 0;
  };
  int ToPreview(int value) const;
  int ToPrinter(int value) const;
  void MakeScaledImage(HDC dc, const char* file, ScaledImage& image);
  void FreeImage(ScaledImage& image);
  void DrawBoxes(HDC dc);
  void DrawOverlay(HDC dc);
  void DrawCaptions(HDC dc);
  void DrawSelection(HDC dc);
  void DrawBoxLabel(HDC dc, int index, COLORREF colour);
  void DrawHandles(HDC dc, const LayoutBoxOutline& outline);

  PrintLayoutModel& m_model;
  HBITMAP m_hPreview = nullptr;
  int m_nPreviewBitmapWidth = 0;
  int m_nPreviewBitmapHeight = 0;
  ScaledImage m_background;
  ScaledImage m_header;
  ScaledImage m_footer;
  Gdiplus::Bitmap* m_pOverlay = nullptr;
  bool m_bOverlayTried = false;
};
