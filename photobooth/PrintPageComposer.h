// Composition of the photobooth's print page: frame images around the photo area, the photos
// in a rows x columns grid or in the custom layout's boxes (with the QR box), the overlay over
// the page, the captions and the double strip. The page is an imaging session of the printer's
// printable area; coordinates are printer pixels.
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "platform/gdiplus/gdiplus.h"
#include "platform/mfc/collections.h"
#include "platform/mfc/cstring.h"
#include "printlayout/PhotoboothCaption.h"
#include "printlayout/PhotoboothCustomLayoutBox.h"
#include "support/PipSession.h"

struct PrintPageSettings {
  CString imagesFolder;  // photoboothImageDir: frame images, overlays, green-screen pictures
  int rows = 2, columns = 2;  // below 1 count as 1
  BOOL rotateToFit = FALSE, repeatToFill = FALSE, cropToFit = FALSE;
  BOOL customLayout = FALSE, customDoubleStrip = FALSE;
  BOOL crop3to2 = FALSE;
  int bwMode = 0;  // 0 colour, 1 grey scale, 2 toned
  BOOL sharpening = FALSE;
  int sharpeningAmount = 0;
  BOOL greenScreen = FALSE;
  BOOL saveGreenscreened = FALSE;
  CString greenscreenFolder;  // where the green-screen copies go (made when missing)
  LONGLONG firstCaptureTime = 0;
  int jpegDpi = 300;
  CString qrText;
  int qrLevel = 0;
  int resizeQuality = 7;  // 3 with PhotoboothFastResize, else 7
  int border = 0;
  int marginLeft = 0, marginTop = 0, marginRight = 0, marginBottom = 0;
  int printerLogPixelsY = 300;
  int orientation = 0;  // the view's: 1 = 270 degrees, 2 = 90, 3 = 180
  BOOL gifFrames = FALSE;  // fill the animated GIF's frame list
  int gifWidth = 400;      // photoboothGifWidth: the frames are never loaded narrower; 10 or less: whole
  PhotoboothCustomLayoutBox boxes[kLayoutBoxCount];
  PhotoboothCaption captions[kLayoutCaptionCount];
};

/// What the composition needs of the view: its effects and the progress window.
struct PrintPageHooks {
  std::function<void(PipSession& photo, const char* backgroundPath)> greenscreen;
  std::function<void(PipSession& photo, PipSession& overlay)> mergeOverlay;
  std::function<void(PipSession& photo)> monochromeToning;
  std::function<void(const char* text, int percent)> progress;  // percent -1 leaves it
};

/// The default QR address when the QR text expands to nothing.
extern const char kDefaultQrAddress[];

class PrintPageComposer {
 public:
  PrintPageComposer(PipSession& page, const PrintPageSettings& settings, const PrintPageHooks& hooks);

  /// Background, footer, header, right, left and middle images; the free photo area shrinks.
  void ComposeFrameImages();
  /// The photos in the grid or the custom boxes; gifFrames (one entry per photo) gets the
  /// treated photos still missing there. firstPhotoAngle: the first photo's recorded angle.
  void ComposePhotos(const CStringArray& photos, const CMapStringToString& tokens, double firstPhotoAngle,
                     std::vector<std::unique_ptr<Gdiplus::Bitmap>>* gifFrames);
  /// "overlay.png" centred inside the margins.
  void ComposeOverlay();
  /// The captions without "{message}" (first pass) or with it (second pass).
  void DrawCaptions(bool messagePass, const CMapStringToString& tokens);
  /// Custom double strip: the left half of the page copied onto the right half.
  void CopyDoubleStrip();

  int m_nLeft = 0, m_nTop = 0, m_nWidth = 0, m_nHeight = 0;  // the free photo area
  int m_nMiddleWidth = 0;

 private:
  /// A photo decoded ahead for a box of the layout.
  struct Prefetched {
    int number = 0;  // 1-based photo number
    int boxWidth = 0, boxHeight = 0;
    std::unique_ptr<PipSession> photo;  // empty when the load failed or it was taken
    bool loaded = false;
  };

  bool LoadPhoto(PipSession& photo, const CString& path);
  /// Loads a JPEG at the smallest DCT scale that still covers the box (and the GIF width).
  bool LoadPhotoReduced(PipSession& photo, const CString& path, int boxWidth, int boxHeight);
  /// Decodes the listed photos for their boxes on a few threads at once.
  void Prefetch(const CStringArray& photos);
  /// The photo for the box: decoded ahead when it was, else loaded now; NULL when it fails.
  std::unique_ptr<PipSession> TakePhoto(const CStringArray& photos, int number, int boxWidth, int boxHeight);
  void TreatBeforeSizing(PipSession& photo, int number, const CString& path);
  void TreatAfterSizing(PipSession& photo);
  void SaveGreenscreenCopy(const PipSession& photo, const CString& path);
  void ResizeToCover(PipSession& photo, int width, int height);
  void PlaceCentredInMargins(const char* name);
  void GridLayout(const CStringArray& photos, double angle, std::vector<std::unique_ptr<Gdiplus::Bitmap>>* gif);
  bool HasPlacedBox() const;
  void CustomLayout(const CStringArray& photos, const CMapStringToString& tokens,
                    std::vector<std::unique_ptr<Gdiplus::Bitmap>>* gif);
  void CopyOrBlend(PipSession& image, int x, int y);
  void Progress(const char* text, int percent);
  CString ImagePath(const char* name) const;

  PipSession& m_page;
  const PrintPageSettings& m_s;
  const PrintPageHooks& m_hooks;
  int m_nPageWidth, m_nPageHeight;
  std::vector<Prefetched> m_prefetched;
};

/// Size covering width x height with the photo's aspect (the grid's crop-to-fit rule).
void CoverSize(int photoWidth, int photoHeight, int width, int height, int& outWidth, int& outHeight);
/// A box side of 0 or less taken from the photo's aspect, rounded; false when both are.
bool DeriveBoxSize(int photoWidth, int photoHeight, int& boxWidth, int& boxHeight);
