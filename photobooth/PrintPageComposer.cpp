#include "photobooth/PrintPageComposer.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <thread>

#include "platform/gdi/wingdi.h"
#include "platform/win32/files.h"
#include "support/DrawCaption.h"
#include "support/QrCode.h"
#include "support/TextTemplate.h"
#include "support/TextUtilities.h"

const char kDefaultQrAddress[] = "https://www.example.com/";

namespace {

bool Exists(const CString& path) { return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES; }

// "name.ext" with "_n" put before the extension.
CString NumberedName(const char* name, int number) {
  CString text(name);
  int dot = text.ReverseFind('.');
  CString suffix;
  suffix.Format("_%d", number);
  return dot >= 0 ? text.Left(dot) + suffix + text.Mid(dot) : text + suffix;
}

int Width(PipSession& image) { return int(image.GetWidth()); }
int Height(PipSession& image) { return int(image.GetHeight()); }

void CopyOnto(PipSession& page, PipSession& image, int x, int y) {
  cCopyRectFrom(page.m_hSession, x, y, Width(image), Height(image), image.m_hSession, 0, 0);
}

}  // namespace

void CoverSize(int w, int h, int width, int height, int& outWidth, int& outHeight) {
  outWidth = width;
  outHeight = w > 0 ? int(1LL * width * h / w) : height;
  if (outHeight < height) {
    outHeight = height;
    outWidth = std::max(width, h > 0 ? int(1LL * height * w / h) : width);
  }
}

bool DeriveBoxSize(int w, int h, int& boxWidth, int& boxHeight) {
  if (boxWidth <= 0 && boxHeight <= 0) return false;
  if (w <= 0 || h <= 0) return boxWidth > 0 && boxHeight > 0;
  if (boxWidth <= 0) boxWidth = int(std::lround(double(boxHeight) * w / h));
  if (boxHeight <= 0) boxHeight = int(std::lround(double(boxWidth) * h / w));
  return boxWidth > 0 && boxHeight > 0;
}

PrintPageComposer::PrintPageComposer(PipSession& page, const PrintPageSettings& settings, const PrintPageHooks& hooks)
    : m_page(page), m_s(settings), m_hooks(hooks) {
  m_nPageWidth = Width(page);
  m_nPageHeight = Height(page);
  m_nWidth = m_nPageWidth;
  m_nHeight = m_nPageHeight;
}

CString PrintPageComposer::ImagePath(const char* name) const { return m_s.imagesFolder + "/" + name; }

void PrintPageComposer::Progress(const char* text, int percent) {
  if (m_hooks.progress) m_hooks.progress(text, percent);
}

bool PrintPageComposer::LoadPhoto(PipSession& photo, const CString& path) {
  return Exists(path) && cLoadImage(photo.m_hSession, path, 0, 0, 0) && photo.GetWidth() && photo.GetHeight();
}

bool PrintPageComposer::LoadPhotoReduced(PipSession& photo, const CString& path, int boxWidth, int boxHeight) {
  // Green-screen copies are saved at the photo's own size.
  if ((m_s.greenScreen && m_s.saveGreenscreened) || (boxWidth <= 0 && boxHeight <= 0)) return LoadPhoto(photo, path);
  // A GIF width of 10 or less keeps the frames at the photos' own size.
  if (m_s.gifFrames && m_s.gifWidth <= 10) return LoadPhoto(photo, path);
  // A side of 0 or less is derived from the photo's aspect, so it bounds nothing; covering the
  // box is what the resize to cover needs. GIF frames are never made narrower than the GIF.
  int minWidth = std::max(0, boxWidth), minHeight = std::max(0, boxHeight);
  if (m_s.gifFrames) minWidth = std::max(minWidth, m_s.gifWidth);
  return Exists(path) && cLoadImageCovering(photo.m_hSession, path, minWidth, minHeight, m_s.resizeQuality) &&
         photo.GetWidth() && photo.GetHeight();
}

void PrintPageComposer::Prefetch(const CStringArray& photos) {
  // Green-screen copies need whole photos: several at once would hold too much memory.
  if (m_s.greenScreen && m_s.saveGreenscreened) return;
  const size_t jobs = m_prefetched.size();
  if (jobs < 2) return;
  std::atomic<size_t> next{0};
  auto work = [&] {
    for (size_t i = next++; i < jobs; i = next++) {
      Prefetched& job = m_prefetched[i];
      job.photo = std::make_unique<PipSession>();
      job.loaded = LoadPhotoReduced(*job.photo, photos[job.number - 1], job.boxWidth, job.boxHeight);
      if (!job.loaded) job.photo.reset();
    }
  };
  unsigned threads = std::min<unsigned>(unsigned(jobs), std::clamp(std::thread::hardware_concurrency(), 1u, 4u));
  std::vector<std::thread> started;
  try {
    for (unsigned t = 1; t < threads; ++t) started.emplace_back(work);
  } catch (const std::system_error&) {
    // No thread to be had: this one decodes the rest.
  }
  work();
  for (std::thread& thread : started) thread.join();
}

std::unique_ptr<PipSession> PrintPageComposer::TakePhoto(const CStringArray& photos, int number, int boxWidth,
                                                         int boxHeight) {
  for (Prefetched& job : m_prefetched)
    if (job.number == number && job.boxWidth == boxWidth && job.boxHeight == boxHeight && job.loaded) {
      job.loaded = false;
      return std::move(job.photo);
    }
  auto photo = std::make_unique<PipSession>();
  if (!LoadPhotoReduced(*photo, photos[number - 1], boxWidth, boxHeight)) return nullptr;
  return photo;
}

void PrintPageComposer::PlaceCentredInMargins(const char* name) {
  PipSession image;
  if (!LoadPhoto(image, ImagePath(name))) return;
  int x = m_s.marginLeft + (m_nPageWidth - Width(image) - m_s.marginLeft - m_s.marginRight) / 2;
  int y = m_s.marginTop + (m_nPageHeight - Height(image) - m_s.marginTop - m_s.marginBottom) / 2;
  m_page.Merge(image, x, y, 255, 0);  // a negative offset cuts that much off the image
}

void PrintPageComposer::ComposeFrameImages() {
  PlaceCentredInMargins("background.jpg");
  auto limitWidth = [this](PipSession& image) {
    if (Width(image) > m_nWidth && m_nWidth > 0)
      cOpResize(image.m_hSession, m_nWidth, std::max(1, int(1LL * Height(image) * m_nWidth / Width(image))),
                m_s.resizeQuality, 0, 0);
  };
  auto limitHeight = [this](PipSession& image) {
    if (Height(image) > m_nHeight && m_nHeight > 0)
      cOpResize(image.m_hSession, std::max(1, int(1LL * Width(image) * m_nHeight / Height(image))), m_nHeight,
                m_s.resizeQuality, 0, 0);
  };
  PipSession image;
  if (LoadPhoto(image, ImagePath("footer.jpg"))) {
    limitWidth(image);
    CopyOnto(m_page, image, (m_nWidth - Width(image)) / 2, m_nHeight - Height(image));
    m_nHeight -= Height(image);
  }
  if (LoadPhoto(image, ImagePath("header.jpg"))) {
    limitWidth(image);
    CopyOnto(m_page, image, (m_nWidth - Width(image)) / 2, 0);
    m_nHeight -= Height(image);
    m_nTop = Height(image);
  }
  if (LoadPhoto(image, ImagePath("right.jpg"))) {
    limitHeight(image);
    CopyOnto(m_page, image, m_nWidth - Width(image), m_nTop + (m_nHeight - Height(image)) / 2);
    m_nWidth -= Width(image);
  }
  if (LoadPhoto(image, ImagePath("left.jpg"))) {
    limitHeight(image);
    CopyOnto(m_page, image, 0, m_nTop + (m_nHeight - Height(image)) / 2);
    m_nWidth -= Width(image);
    m_nLeft = Width(image);
  }
  int columns = std::max(1, m_s.columns);
  if (columns > 1 && LoadPhoto(image, ImagePath("middle.jpg"))) {
    limitHeight(image);
    int w = Width(image);
    m_nMiddleWidth = w;
    m_nWidth -= w * (columns - 1);
    int c = m_nWidth / columns;
    for (int i = 1; i < columns; ++i) CopyOnto(m_page, image, m_nLeft + i * (w + c) - w, m_nTop + (m_nHeight - Height(image)) / 2);
  }
}

void PrintPageComposer::TreatBeforeSizing(PipSession& photo, int number, const CString& path) {
  if (m_s.crop3to2) photo.CropTo3x2();
  if (m_s.greenScreen) {
    CString background = ImagePath(NumberedName("greenscreen_background.jpg", number));
    if (!Exists(background)) background = ImagePath("greenscreen_background.jpg");
    if (Exists(background) && m_hooks.greenscreen) m_hooks.greenscreen(photo, background);
    CString overlayPath = ImagePath(NumberedName("greenscreen_overlay.png", number));
    if (!Exists(overlayPath)) overlayPath = ImagePath("greenscreen_overlay.png");
    PipSession overlay;
    if (m_hooks.mergeOverlay && LoadPhoto(overlay, overlayPath)) m_hooks.mergeOverlay(photo, overlay);
    if (m_s.saveGreenscreened) SaveGreenscreenCopy(photo, path);
  } else {
    PipSession overlay;
    if (m_hooks.mergeOverlay && LoadPhoto(overlay, ImagePath("image_overlay.png"))) m_hooks.mergeOverlay(photo, overlay);
  }
}

void PrintPageComposer::SaveGreenscreenCopy(const PipSession& photo, const CString& path) {
  Progress("Saving image...", -1);
  CString folder = m_s.greenscreenFolder;
  if (folder.IsEmpty()) return;
  if (!Exists(folder)) CreateDirectoryA(folder, nullptr);
  PipSession copy(photo);
  if (m_s.bwMode == 1) cOpGrayScale(copy.m_hSession);
  if (m_s.bwMode == 2 && m_hooks.monochromeToning) m_hooks.monochromeToning(copy);
  CString date = FormatTime(m_s.firstCaptureTime, "%Y:%m:%d %H:%M:%S");
  HEXIF exif = cNewEXIF();
  if (exif) {
    cEXIF_PutDateTime(exif, date);
    cEXIF_PutDateTimeOriginal(exif, date);
    cEXIF_PutDateTimeDigitized(exif, date);
    cPutImageEXIF_Info(copy.m_hSession, exif);
    cDestroyEXIF(exif);
  }
  cSetPhysicalPixelsPerInch(copy.m_hSession, m_s.jpegDpi, m_s.jpegDpi);
  int slash = path.ReverseFind('/');
  cSave(copy.m_hSession, folder + "/" + (slash >= 0 ? path.Mid(slash + 1) : path), PIP_FORMAT_JPEG, 0, 0, 0);
}

void PrintPageComposer::TreatAfterSizing(PipSession& photo) {
  if (m_s.bwMode == 1) cOpGrayScale(photo.m_hSession);
  if (m_s.bwMode == 2 && m_hooks.monochromeToning) m_hooks.monochromeToning(photo);
  if (m_s.sharpening) photo.Sharpen(m_s.sharpeningAmount);
}

void PrintPageComposer::ResizeToCover(PipSession& photo, int width, int height) {
  if (width < 1 || height < 1) return;
  int w, h;
  CoverSize(Width(photo), Height(photo), width, height, w, h);
  cOpResize(photo.m_hSession, w, h, m_s.resizeQuality, 0, 0);
  int left = (w - width) / 2, top = (h - height) / 2;
  cSetOpRectangle(photo.m_hSession, left, top, left + width - 1, top + height - 1, 0);
  cOpCrop(photo.m_hSession);
}

void PrintPageComposer::ComposePhotos(const CStringArray& photos, const CMapStringToString& tokens, double angle,
                                      std::vector<std::unique_ptr<Gdiplus::Bitmap>>* gifFrames) {
  if (gifFrames && gifFrames->size() < size_t(photos.GetSize())) gifFrames->resize(size_t(photos.GetSize()));
  if (m_s.customLayout && HasPlacedBox())
    CustomLayout(photos, tokens, m_s.gifFrames ? gifFrames : nullptr);
  else
    GridLayout(photos, angle, m_s.gifFrames ? gifFrames : nullptr);
}

// A fresh installation has the custom layout switched on with every box empty: the photos then
// go into the grid rather than leave the page blank.
bool PrintPageComposer::HasPlacedBox() const {
  return std::any_of(std::begin(m_s.boxes), std::end(m_s.boxes), [](const PhotoboothCustomLayoutBox& box) {
    return box.image >= 1 && (box.right - box.left > 0 || box.bottom - box.top > 0);
  });
}

void PrintPageComposer::GridLayout(const CStringArray& photos, double angle,
                                   std::vector<std::unique_ptr<Gdiplus::Bitmap>>* gif) {
  const int n = int(photos.GetSize());
  const int rows = std::max(1, m_s.rows), columns = std::max(1, m_s.columns);
  const int c = m_nWidth / columns, d = m_nHeight / rows;
  const int g = m_nMiddleWidth;
  int u = 0;
  // The cell may take the photo turned: both sides must reach the longer side of the cell.
  const int cover = std::max(c, d);
  m_prefetched.clear();
  for (int k = 0; k < n; ++k) m_prefetched.push_back({k + 1, cover, cover, nullptr, false});
  Prefetch(photos);
  for (int k = 0; k < n; ++k) {
    CString text;
    text.Format("Preparing image %d of %d", k + 1, n);
    Progress(text, k * 100 / n);
    std::unique_ptr<PipSession> taken = TakePhoto(photos, k + 1, cover, cover);
    if (!taken) continue;  // the cell stays empty
    PipSession& photo = *taken;
    TreatBeforeSizing(photo, k + 1, photos[k]);
    if (angle != 0) cOpRotateFine(photo.m_hSession, angle);
    if (gif && !(*gif)[size_t(k)]) (*gif)[size_t(k)].reset(photo.CreateGdiplusBitmap());
    int w = Width(photo), h = Height(photo);
    if (m_s.rotateToFit && ((h < w && c < d) || (w < h && d < c))) photo.Rotate(900, false);
    if (m_s.cropToFit)
      ResizeToCover(photo, c - m_s.border, d - m_s.border);
    else if (c - m_s.border > 0 && d - m_s.border > 0)
      cOpResizeEx(photo.m_hSession, c - m_s.border, d - m_s.border, m_s.resizeQuality, 1);
    TreatAfterSizing(photo);
    w = Width(photo), h = Height(photo);
    int x0 = m_nLeft + (c - w) / 2, y0 = m_nTop + (d - h) / 2;
    if (rows < n && columns > 1) {
      CopyOnto(m_page, photo, x0 + (k % columns) * (c + g), y0 + (k / columns) * d);
    } else if (rows >= n && columns > 1 && m_s.repeatToFill) {
      for (int i = 0; i < columns; ++i) CopyOnto(m_page, photo, x0 + i * (c + g), y0 + u);
    } else {
      CopyOnto(m_page, photo, x0, y0 + u);
    }
    u += d;
  }
}

void PrintPageComposer::CopyOrBlend(PipSession& image, int x, int y) {
  bool inside = x >= m_nLeft && y >= m_nTop && x + Width(image) <= m_nLeft + m_nWidth &&
                y + Height(image) <= m_nTop + m_nHeight;
  if (inside)
    CopyOnto(m_page, image, x, y);
  else
    m_page.Merge(image, x, y, 255, 0);
}

void PrintPageComposer::CustomLayout(const CStringArray& photos, const CMapStringToString& tokens,
                                     std::vector<std::unique_ptr<Gdiplus::Bitmap>>* gif) {
  const int n = int(photos.GetSize());
  bool drawn[kLayoutBoxCount] = {};
  m_prefetched.clear();
  for (const PhotoboothCustomLayoutBox& box : m_s.boxes) {
    int bw = box.right - box.left, bh = box.bottom - box.top;
    if (box.image < 1 || box.image > n || (bw <= 0 && bh <= 0)) continue;
    bool listed = std::any_of(m_prefetched.begin(), m_prefetched.end(), [&](const Prefetched& job) {
      return job.number == box.image && job.boxWidth == bw && job.boxHeight == bh;
    });
    if (!listed) m_prefetched.push_back({box.image, bw, bh, nullptr, false});
  }
  Prefetch(photos);
  for (int i = 0; i < kLayoutBoxCount; ++i) {
    const PhotoboothCustomLayoutBox& box = m_s.boxes[i];
    if (drawn[i] || box.image <= 0) continue;
    if (box.image <= n) {
      CString text;
      text.Format("Preparing image %d of %d", box.image, n);
      Progress(text, (box.image - 1) * 100 / std::max(1, n));
    }
    std::unique_ptr<PipSession> taken;
    int bw = box.right - box.left, bh = box.bottom - box.top;
    bool qr = box.image > n;
    if (qr) {
      taken = std::make_unique<PipSession>();
      CString text = m_s.qrText;
      ExpandTextTemplate(tokens, text);
      if (text.IsEmpty()) text = kDefaultQrAddress;
      if (bw <= 0 || bh <= 0 || !RenderQrCode(taken.get(), bw, bh, text, m_s.qrLevel)) continue;
    } else {
      CString path = photos[box.image - 1];
      taken = TakePhoto(photos, box.image, bw, bh);
      if (!taken) continue;
      PipSession& photo = *taken;
      TreatBeforeSizing(photo, box.image, path);
      if (gif && !(*gif)[size_t(box.image - 1)]) {
        int turn = m_s.orientation == 1 ? 2700 : m_s.orientation == 2 ? 900 : m_s.orientation == 3 ? 1800 : 0;
        PipSession turned(photo);
        if (turn) turned.Rotate(turn, false);
        (*gif)[size_t(box.image - 1)].reset(turned.CreateGdiplusBitmap());
      }
      if (!DeriveBoxSize(Width(photo), Height(photo), bw, bh)) continue;
      ResizeToCover(photo, bw, bh);
      TreatAfterSizing(photo);
    }
    PipSession& image = *taken;
    // Boxes of the same photo, size and turn share the prepared image.
    auto matches = [&](int j) {
      const PhotoboothCustomLayoutBox& other = m_s.boxes[j];
      return !drawn[j] && other.image == box.image && other.right - other.left == box.right - box.left &&
             other.bottom - other.top == box.bottom - box.top && other.rotation == box.rotation;
    };
    if (box.rotation != 0) {
      image.Rotate(box.rotation, true);
      for (int j = i; j < kLayoutBoxCount; ++j)
        if (matches(j)) {
          drawn[j] = true;
          m_page.Merge(image, m_s.boxes[j].left, m_s.boxes[j].top, 255, 0);
        }
    } else {
      for (int j = i; j < kLayoutBoxCount; ++j)
        if (matches(j)) {
          drawn[j] = true;
          CopyOrBlend(image, m_s.boxes[j].left, m_s.boxes[j].top);
        }
    }
  }
}

void PrintPageComposer::ComposeOverlay() { PlaceCentredInMargins("overlay.png"); }

void PrintPageComposer::DrawCaptions(bool messagePass, const CMapStringToString& tokens) {
  HDC dc = cGetImageDC(m_page.m_hSession);
  if (!dc) return;
  SetBkMode(dc, TRANSPARENT);
  int pageDpi = GetDeviceCaps(dc, LOGPIXELSY);
  for (const PhotoboothCaption& caption : m_s.captions) {
    if (!caption.m_nEnable || caption.m_strText.IsEmpty()) continue;
    if ((caption.m_strText.Find("{message}") >= 0) != messagePass) continue;
    LOGFONTA font = caption.m_font;
    if (pageDpi > 0) font.lfHeight = LONG(1LL * font.lfHeight * m_s.printerLogPixelsY / pageDpi);
    font.lfEscapement = font.lfOrientation = LONG(3600 - std::lround(caption.m_dAngle * 10));
    SetTextColor(dc, caption.m_colour);
    CString text = caption.m_strText;
    ExpandTextTemplate(tokens, text);
    DrawCaption(dc, caption.m_nLeft, caption.m_nTop, text, caption.m_nAlignment, font, nullptr,
                caption.m_nMaxNumberOfLines, caption.m_nMaxLineWidth);
  }
  cReleaseImageDC(m_page.m_hSession, dc);
}

void PrintPageComposer::CopyDoubleStrip() {
  int half = m_nPageWidth / 2;
  if (half < 1) return;
  PipSession copy(m_page);
  cCopyRectFrom(m_page.m_hSession, half, 0, half, m_nPageHeight, copy.m_hSession, 0, 0);
}
