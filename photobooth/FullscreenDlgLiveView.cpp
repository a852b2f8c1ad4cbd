// The camera's live picture on the booth screen: the frame hand-over from the viewfinder
// thread, when the picture may show, and the per-frame steps (decode, 3:2 band, keying against
// the green-screen background, overlay, colour mode, placement) up to the screen.
#include <cstring>
#include <mutex>

#include "app/MyQuilletView.h"
#include "camera/ViewfinderPixels.h"
#include "photobooth/FullscreenDlg.h"
#include "platform/gdi/blit.h"
#include "platform/user/messagebox.h"
#include "platform/user/window.h"
#include "platform/win32/files.h"
#include "platform/win32/trace.h"
#include "support/JpegSurface.h"
#include "support/PipSession.h"

namespace {

// One lock for the frame buffer of the (single) booth window, shared by both threads.
std::mutex& LiveViewFrameLock() {
  static std::mutex lock;
  return lock;
}

// Size and modification time of a file; false when it does not exist.
bool FileStatusOf(const CString& path, LONGLONG& size, LONGLONG& time) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (path.IsEmpty() || !GetFileAttributesExA(path, GetFileExInfoStandard, &data)) {
    size = time = -1;
    return false;
  }
  size = (static_cast<LONGLONG>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
  time = (static_cast<LONGLONG>(data.ftLastWriteTime.dwHighDateTime) << 32) | data.ftLastWriteTime.dwLowDateTime;
  return true;
}

bool Contains(const CString& text, const char* part) { return text.Find(part) >= 0; }

const char* const kPrintingScreens[] = {"/processing.jpg", "/reprinting.jpg", "/keyboard_input_ok.jpg",
                                         "/keyboard_input_cancel.jpg", "/printing_confirmed.jpg"};

}  // namespace

void CFullscreenDlg::OnLiveViewFrame(const BYTE* jpeg, DWORD size, int rotation) {
  // The view's frame sink paces the viewfinder thread; no second sleep here.
  if (!jpeg || size == 0 || size > LIVEVIEW_FRAME_MAX || !m_bShowingScreen) return;
  {
    std::lock_guard<std::mutex> lock(LiveViewFrameLock());
    std::memcpy(m_liveFrame.data(), jpeg, size);
    m_nLiveFrameSize = size;
    m_nLiveFrameAngle = rotation;
  }
  m_bLiveView = true;
  HWND window = m_hWnd;
  // One message in the queue is enough: it draws whatever frame is newest when it is handled.
  if (window && !m_bLiveFramePosted.exchange(true)) ::PostMessageA(window, WM_LIVEVIEW_FRAME, 0, 0);
}

bool CFullscreenDlg::IsLiveViewShown() const { return m_pView && m_pView->m_pCamera && m_bLiveView; }

bool CFullscreenDlg::IsLiveViewAllowed() const {
  CMyQuilletView* view = m_pView;
  if (!view) return true;
  const CString& screen = m_strCurrentScreen;
  int shotsLeft = view->m_nShotsLeft;
  if (view->m_bPhotoboothSuppressEvfAfterFirstShot && shotsLeft > 0 && shotsLeft != view->m_nNumberOfPhotoboothImages)
    return false;
  if (view->m_nPreviewTicks > 0 || (view->m_bReleasePending && view->m_nPhotoboothPreviewTime > 0)) return false;
  if (!view->m_bPhotoboothEnableLiveView && (Contains(screen, "/ready.jpg") || m_bPhotoboothMode)) return false;
  if (Contains(screen, "/fb_") || Contains(screen, "/share.jpg") || Contains(screen.Right(14), "/release")) return false;
  if (view->m_bPhotoboothSuppressEvfDuringPrinting || view->m_bPhotoboothSuppressEvfAfterFirstShot)
    for (const char* name : kPrintingScreens)
      if (Contains(screen, name)) return false;
  return !Contains(screen, "/welcome");
}

void CFullscreenDlg::ResolveGreenScreenPaths(int number) {
  if (!m_pView) return;
  CString folder = m_pView->m_strPhotoboothImagesDir;
  CString liveOverlay = folder + "/live_view_overlay.png";
  if (m_pView->m_bGreenScreenEnable) {
    m_strGreenScreenBackground = ResolveNumberedImage(folder + "/greenscreen_background.jpg", number);
    m_strOverlayPath = ResolveNumberedImage(folder + "/greenscreen_overlay.png", number);
    if (m_strOverlayPath.IsEmpty() && PathFileExistsA(liveOverlay)) m_strOverlayPath = liveOverlay;
  } else {
    m_strOverlayPath = PathFileExistsA(liveOverlay) ? liveOverlay : CString();
  }
}

void CFullscreenDlg::LoadOverlayImage(const CString& path) {
  m_overlayPlanes.Clear();
  m_strLoadedOverlay = path;
  FileStatusOf(path, m_nOverlayFileSize, m_nOverlayFileTime);
  int width = m_nOverlayFitWidth, height = m_nOverlayFitHeight;
  if (path.IsEmpty() || width < 100 || height < 100) return;
  PipSession image;
  if (!cLoadImage(image.m_hSession, path, 0, 0, 0) || !image.GetWidth() || !image.GetHeight()) {
    ::MessageBoxA(BoxOwner(), "Error loading overlay image: " + path, "Tavorin", MB_OK);
    return;
  }
  PolyArray alpha;
  bool hasAlpha = cGetAlphaMask(image.m_hSession, &alpha) != 0;
  if (image.GetBitsPerPixel() != 24) cOpIncreaseBitsPerPixel(image.m_hSession, 24);
  if (image.GetWidth() != DWORD(width) || image.GetHeight() != DWORD(height))
    cOpResize(image.m_hSession, width, height, PIP_RESAMPLE_FAST, 0, 0);
  if (image.GetWidth() != DWORD(width) || image.GetHeight() != DWORD(height)) {
    ::MessageBoxA(BoxOwner(), "Error loading overlay image: " + path, "Tavorin", MB_OK);
    return;
  }
  const size_t pixels = size_t(width) * height;
  PolyArray red, green, blue;
  cGetImageChannels(image.m_hSession, &red, &green, &blue);
  if (red.Size() != pixels) {
    ::MessageBoxA(BoxOwner(), "ERROR: PNG file does not contain data for the red channel", "Tavorin", MB_OK);
    return;
  }
  // A grey picture has one plane: it stands for all three.
  if (green.Size() != pixels) green.Bytes() = red.Bytes();
  if (blue.Size() != pixels) blue.Bytes() = red.Bytes();
  if (hasAlpha) hasAlpha = cGetAlphaMask(image.m_hSession, &alpha) != 0 && alpha.Size() == pixels;
  if (!hasAlpha) {
    ::MessageBoxA(BoxOwner(), "ERROR: PNG file does not contain an alpha channel defining transparency", "Tavorin",
                  MB_OK);
    return;
  }
  m_overlayPlanes.width = width;
  m_overlayPlanes.height = height;
  m_overlayPlanes.red = std::move(red.Bytes());
  m_overlayPlanes.green = std::move(green.Bytes());
  m_overlayPlanes.blue = std::move(blue.Bytes());
  m_overlayPlanes.alpha = std::move(alpha.Bytes());
}

void CFullscreenDlg::DrawLiveViewFrame() {
  m_bLiveFramePosted = false;
  if (!m_hWnd || !IsLiveViewAllowed()) return;
  LiveViewSettings settings;
  if (CMyQuilletView* view = m_pView) {
    settings.key = GreenScreenKeyOf(*view);
    settings.cut3to2 = view->m_bPhotobooth3to2Crop != FALSE;
    settings.mirror = view->m_bPhotoboothMirrorLiveView != FALSE;
    settings.colourMode = view->m_nPhotoboothBW;
    settings.zoom = view->m_dDigitalZoom;
    settings.evfCrop = view->m_nPhotoboothEvfCrop;
    settings.maxHeight = view->m_nPhotoboothEvfMaxHeight;
    settings.xOffset = view->m_nPhotoboothEvfXOffset;
    settings.yOffset = view->m_nPhotoboothEvfYOffset;
  }
  DrawLiveViewFrame(settings);
}

void CFullscreenDlg::DrawLiveViewFrame(const LiveViewSettings& settings) {
  if (!m_hWnd) return;
  // The frame is copied out so that the viewfinder thread never waits for a frame being drawn.
  static thread_local std::vector<BYTE> jpeg;
  int angle = 0;
  {
    std::lock_guard<std::mutex> lock(LiveViewFrameLock());
    if (m_nLiveFrameSize == 0) return;
    jpeg.assign(m_liveFrame.begin(), m_liveFrame.begin() + m_nLiveFrameSize);
    angle = m_nLiveFrameAngle;
  }
  // Only the rows shown are decoded: with the 3:2 cut, the band.
  static thread_local std::vector<BYTE> decoded;
  int width = 0, height = 0;
  const bool cut = settings.cut3to2;
  auto pickRows = [cut](int frameWidth, int frameHeight, int& first, int& count) {
    if (!cut) return;
    LiveRect band = Band3to2(frameWidth, frameHeight);
    first = band.y;
    count = band.height;
  };
  if (!DecodeJpegRowsBgr(jpeg.data(), jpeg.size(), kMaxViewfinderSide, pickRows, decoded, width, height)) return;
  BYTE* pixels = decoded.data();
  const size_t count = static_cast<size_t>(width) * height;

  // Keying against the background, decoded again only when its path or file changed. It is
  // fitted to the frame it is keyed into, so that pixel n always meets pixel n.
  const GreenScreenKey& key = settings.key;
  if (key.enable && m_nLiveViewWidth >= 101 && m_nLiveViewHeight >= 101) {
    LONGLONG fileSize = -1, fileTime = -1;
    FileStatusOf(m_strGreenScreenBackground, fileSize, fileTime);
    if (m_strGreenScreenBackground != m_strDecodedBackground || fileSize != m_nBackgroundFileSize ||
        fileTime != m_nBackgroundFileTime || m_nGreenScreenWidth != width || m_nGreenScreenHeight != height) {
      m_greenScreenPixels.clear();
      m_strDecodedBackground = m_strGreenScreenBackground;
      m_nBackgroundFileSize = fileSize;
      m_nBackgroundFileTime = fileTime;
      m_nGreenScreenWidth = width;
      m_nGreenScreenHeight = height;
      PipSession background;
      if (fileSize >= 0 && cLoadImage(background.m_hSession, m_strGreenScreenBackground, 0, 0, 0)) {
        if (background.GetWidth() != DWORD(width) || background.GetHeight() != DWORD(height))
          cOpResize(background.m_hSession, width, height, PIP_RESAMPLE_FAST, 0, 0);
        if (background.GetBitsPerPixel() != 24) cOpIncreaseBitsPerPixel(background.m_hSession, 24);
        BYTE* bits = nullptr;
        if (background.GetWidth() == DWORD(width) && background.GetHeight() == DWORD(height) &&
            cGetBitsPtr(background.m_hSession, &bits) && bits)
          m_greenScreenPixels.assign(bits, bits + count * 3);
      }
    }
    if (m_greenScreenPixels.size() == count * 3) KeyRows(pixels, m_greenScreenPixels.data(), count, key);
  }

  // The overlay, loaded again when its path, its file or the frame size changed. A file that
  // failed stays failed (and silent) until one of those changes.
  LONGLONG overlaySize = -1, overlayTime = -1;
  FileStatusOf(m_strOverlayPath, overlaySize, overlayTime);
  if (m_strOverlayPath != m_strLoadedOverlay || overlaySize != m_nOverlayFileSize || overlayTime != m_nOverlayFileTime ||
      m_nOverlayFitWidth != width || m_nOverlayFitHeight != height) {
    m_nOverlayFitWidth = width;
    m_nOverlayFitHeight = height;
    LoadOverlayImage(m_strOverlayPath);
  }
  if (!m_strOverlayPath.IsEmpty() && m_overlayPlanes.width == width && m_overlayPlanes.height == height)
    BlendOverlay(pixels, m_overlayPlanes, count);

  ApplyColourMode(pixels, count, settings.colourMode);

  // Turned frames are turned before the part shown is chosen.
  static thread_local std::vector<BYTE> turned;
  if (angle == 90 || angle == 270) {
    int turnedWidth = 0, turnedHeight = 0;
    RotateFrame(pixels, width, height, angle, turned, turnedWidth, turnedHeight);
    pixels = turned.data();
    width = turnedWidth;
    height = turnedHeight;
  }
  LiveRect source = LiveViewSourceRect(width, height, settings.zoom, settings.evfCrop);
  CRect client;
  GetClientRect(&client);
  LiveRect dest = LiveViewDestRect(source.width, source.height, settings.maxHeight, settings.xOffset, settings.yOffset,
                                   client.Width());
  // 32-bit rows go to the screen as they are; 24-bit ones would be converted on every draw.
  if (!CopyRows32(pixels, width, height, source, settings.mirror, m_lastLiveRows) || dest.width <= 0) return;
  m_nLastLiveWidth = source.width;
  m_nLastLiveHeight = source.height;

  CClientDC dc(this);
  if (!dc.m_hDC) return;
  if (source.width != m_nLastSourceWidth) {
    // A new size: the screen around the new rectangle is painted again first.
    m_nLastSourceWidth = source.width;
    m_liveRect = dest;
    m_bLiveViewFrameReceived = false;
    PaintWithMovie(&dc);
  }
  m_liveRect = dest;
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = source.width;
  info.bmiHeader.biHeight = -source.height;  // rows top first
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  SetStretchBltMode(dc.m_hDC, HALFTONE);
  StretchDIBits(dc.m_hDC, dest.x, dest.y, dest.width, dest.height, 0, 0, source.width, source.height,
                m_lastLiveRows.data(), &info, DIB_RGB_COLORS, SRCCOPY);
  m_nLiveViewWidth = dest.width;
  m_nLiveViewHeight = dest.height;
  m_bLiveViewFrameReceived = true;
}

void CFullscreenDlg::DrawLastLiveFrame(CDC* dc) {
  if (!m_bLiveViewFrameReceived || m_lastLiveRows.empty() || m_liveRect.width <= 0 || !IsLiveViewShown() ||
      !IsLiveViewAllowed())
    return;
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = m_nLastLiveWidth;
  info.bmiHeader.biHeight = -m_nLastLiveHeight;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  SetStretchBltMode(dc->m_hDC, HALFTONE);
  StretchDIBits(dc->m_hDC, m_liveRect.x, m_liveRect.y, m_liveRect.width, m_liveRect.height, 0, 0, m_nLastLiveWidth,
                m_nLastLiveHeight, m_lastLiveRows.data(), &info, DIB_RGB_COLORS, SRCCOPY);
}

LiveRect CFullscreenDlg::PreviewPart(int width, int height) const {
  // The preview shows what the live picture showed: the same cut, not the whole photo.
  if (m_bPhotoboothMode && m_pView && m_pView->m_nPhotoboothEvfCrop >= 1)
    return CutToAspect(width, height, m_nLastLiveWidth, m_nLastLiveHeight);
  return LiveRect{0, 0, width, height};
}

CBitmap* CFullscreenDlg::BuildKeyedPreview(int width, int height) {
  CMyQuilletView* view = m_pView;
  if (!view || view->m_images.empty() || width <= 0 || height <= 0) return nullptr;
  CString overlayPath = m_strOverlayPath;
  if (!view->m_bGreenScreenEnable) {
    overlayPath = view->m_strPhotoboothImagesDir + "/image_overlay.png";
    if (!PathFileExistsA(overlayPath)) overlayPath.Empty();
  }
  bool keying = view->m_bGreenScreenEnable && !m_strGreenScreenBackground.IsEmpty();
  if (overlayPath.IsEmpty() && !keying) return nullptr;
  PipSession photo;
  if (!cLoadImage(photo.m_hSession, view->m_images.back().m_strFileName, 0, 0, 0) || !photo.GetWidth()) return nullptr;
  if (photo.GetBitsPerPixel() != 24) cOpIncreaseBitsPerPixel(photo.m_hSession, 24);
  if (view->m_bPhotobooth3to2Crop) photo.CropTo3x2();
  int angle = view->m_nRotation;
  bool turned = angle == 90 || angle == 270;
  cOpResize(photo.m_hSession, turned ? height : width, turned ? width : height, PIP_RESAMPLE_FAST, 0, 0);
  if (keying) ApplyGreenscreen(photo, m_strGreenScreenBackground, GreenScreenKeyOf(*view), PIP_RESAMPLE_FAST);
  if (!overlayPath.IsEmpty()) {
    PipSession overlay;
    if (cLoadImage(overlay.m_hSession, overlayPath, 0, 0, 0)) MergeOverlay(photo, overlay, PIP_RESAMPLE_FAST);
  }
  if (angle != 0) photo.Rotate(angle * 10, false);
  BYTE* bits = nullptr;
  int w = static_cast<int>(photo.GetWidth()), h = static_cast<int>(photo.GetHeight());
  if (!w || !h || photo.GetBitsPerPixel() != 24 || !cGetBitsPtr(photo.m_hSession, &bits) || !bits) return nullptr;
  std::vector<BYTE> rows;
  if (!CopyPaddedRows(bits, w, h, {0, 0, w, h}, rows)) return nullptr;
  CDC dc;
  dc.CreateCompatibleDC(nullptr);
  auto* bitmap = new CBitmap();
  if (!bitmap->CreateCompatibleBitmap(&dc, w, h)) {
    delete bitmap;
    return nullptr;
  }
  CBitmap* old = dc.SelectObject(bitmap);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = w;
  info.bmiHeader.biHeight = -h;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  info.bmiHeader.biCompression = BI_RGB;
  StretchDIBits(dc.m_hDC, 0, 0, w, h, 0, 0, w, h, rows.data(), &info, DIB_RGB_COLORS, SRCCOPY);
  dc.SelectObject(old);
  return bitmap;
}
