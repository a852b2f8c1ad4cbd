// The booth screens: choosing the picture file of a screen, its sound, the picture or its
// fallback text, the thumbnails, the preview of a captured photo and painting it all.
#include <algorithm>
#include <string>

#include "app/MyQuilletView.h"
#include "photobooth/FullscreenDlg.h"
#include "photobooth/StatusCommand.h"
#include "photobooth/TransparentOverlayDlg.h"
#include "platform/dshow/mmsystem.h"
#include "platform/gdiplus/gdiplus.h"
#include "platform/user/window.h"
#include "platform/win32/codepage.h"
#include "platform/win32/files.h"
#include "platform/win32/thread.h"
#include "platform/win32/trace.h"
#include "support/JpegSurface.h"
#include "support/ProgramGlobals.h"

namespace {

std::u16string WideOf(const CString& path) {
  int length = MultiByteToWideChar(CP_ACP, 0, path, -1, nullptr, 0);
  if (length <= 0) return std::u16string();
  std::u16string wide(static_cast<size_t>(length), u'\0');
  MultiByteToWideChar(CP_ACP, 0, path, -1, wide.data(), length);
  wide.resize(static_cast<size_t>(length - 1));
  return wide;
}

// Folder + name (without extension) and the extension (with its dot) of a path.
void SplitExtension(const CString& path, CString& stem, CString& extension) {
  int slash = path.ReverseFind('/');
  int dot = path.ReverseFind('.');
  if (dot > slash) {
    stem = path.Left(dot);
    extension = path.Mid(dot);
  } else {
    stem = path;
    extension.Empty();
  }
}

CString FileNameOf(const CString& path) { return path.Mid(path.ReverseFind('/') + 1); }

struct FallbackRow {
  const char* key;
  const char* text;
};

// Longer keys stand before the shorter keys they begin with ("/10" before "/1").
const FallbackRow kFallbackTexts[] = {
    {"/ready", "Ready"},
    {"/2", "Photo 2"},
    {"/3", "Photo 3"},
    {"/4", "Photo 4"},
    {"/5", "Photo 5"},
    {"/6", "Photo 6"},
    {"/7", "Photo 7"},
    {"/8", "Photo 8"},
    {"/9", "Photo 9"},
    {"/10", "Photo 10"},
    {"/1", "Photo 1"},
    {"/taking", "Taking photo..."},
    {"/processing", "Printing photos..."},
    {"/camera_not_connected", "Please turn camera on to use the booth"},
    {"/welcome", "Standby mode, press F6..."},
    {"/keyboard_input_ok", "Keyboard input accepted"},
    {"/keyboard_input_cancel", "Keyboard input cancelled"},
    {"/printing_confirmed", "Printing, please leave the booth now"},
    {"/video_ready", "Ready for Video Capture"},
    {"/video_countdown", "Video Countdown..."},
    {"/video_capture", "Video Capture..."},
    {"/video_processing", "Downloading Video..."},
    {"/video_playback_finished", "Video Playback Finished..."},
    {"/video_playback", "Video Playback..."},
};

// A decoded picture file, or NULL when it is missing or does not decode.
std::unique_ptr<Gdiplus::Image> LoadPicture(const CString& path) {
  if (path.IsEmpty() || !PathFileExistsA(path)) return nullptr;
  std::u16string wide = WideOf(path);
  auto image = std::make_unique<Gdiplus::Image>(reinterpret_cast<const WCHAR*>(wide.c_str()));
  if (image->GetLastStatus() != Gdiplus::Ok || image->GetWidth() == 0 || image->GetHeight() == 0) return nullptr;
  return image;
}

// A bitmap of the size, for drawing on with a memory DC.
std::unique_ptr<CBitmap> MakeSurface(int width, int height) {
  CDC screen;
  screen.CreateCompatibleDC(nullptr);
  auto bitmap = std::make_unique<CBitmap>();
  if (!bitmap->CreateCompatibleBitmap(&screen, width > 0 ? width : 1, height > 0 ? height : 1)) return nullptr;
  return bitmap;
}

// A 32-bit top-down bitmap whose rows a decoder can write straight into.
std::unique_ptr<CBitmap> MakeDibSurface(int width, int height) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = width > 0 ? width : 1;
  info.bmiHeader.biHeight = -(height > 0 ? height : 1);
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP dib = ::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!dib) return nullptr;
  auto bitmap = std::make_unique<CBitmap>();
  bitmap->Attach(dib);
  return bitmap;
}

bool IsJpegName(const CString& path) {
  CString extension = path.Mid(path.ReverseFind('.') + 1);
  extension.MakeLower();
  return extension == "jpg" || extension == "jpeg";
}

void DrawTextAt(CDC& dc, int x, int y, const CString& text, int pointSize, COLORREF colour, COLORREF background) {
  CFont font;
  font.CreatePointFont(pointSize * 10, "Arial", &dc);
  CFont* old = dc.SelectObject(&font);
  dc.SetTextColor(colour);
  dc.SetBkColor(background);
  dc.SetBkMode(OPAQUE);
  dc.TextOut(x, y, text);
  dc.SelectObject(old);
}

}  // namespace

void PlayScreenSound(const char* path) {
  if (path && PathFileExistsA(path)) PlaySound(path, nullptr, SND_ASYNC | SND_FILENAME);
}

CString CFullscreenDlg::FallbackText(const CString& path) {
  for (const FallbackRow& row : kFallbackTexts) {
    // Only the file name counts: a folder such as "/2024" must not make every screen "Photo 2".
    CString name = "/" + FileNameOf(path);
    if (name.Find(row.key) == 0) return row.text;
  }
  return path;
}

CString CFullscreenDlg::ResolveNumberedImage(const CString& path, int n) {
  CString stem, extension;
  SplitExtension(path, stem, extension);
  CString numbered;
  numbered.Format("%s_%d%s", stem.GetString(), n, extension.GetString());
  if (PathFileExistsA(numbered)) return numbered;
  if (PathFileExistsA(path)) return path;
  return CString();
}

CString CFullscreenDlg::ResolveScreenVariant(const CString& path) const {
  if (!m_pView || path.IsEmpty()) return path;
  CString stem, extension;
  SplitExtension(path, stem, extension);
  CString copies;
  copies.Format("%d", m_pView->m_nPhotoboothPrintCopies);
  std::vector<CString> suffixes;
  switch (m_pView->m_nPhotoboothBW) {
    case 1:
      suffixes = {"_b" + copies, "_b", "_" + copies};
      break;
    case 2:
      suffixes = {"_t" + copies, "_t", "_b" + copies, "_b", "_" + copies};
      break;
    default:
      suffixes = {"_c" + copies, "_c", "_" + copies};
      break;
  }
  for (const CString& suffix : suffixes) {
    CString candidate = stem + suffix + extension;
    if (PathFileExistsA(candidate)) return candidate;
  }
  return path;
}

CString CFullscreenDlg::StatusText() const {
  CString text;
  if (!m_pView) return text;
  text.Format("PhotoboothStatus: prints=%d; printCounter=%d, output=%d, color=%d", m_pView->m_nPhotoboothPrintCopies,
              static_cast<int>(UpdatePhotoboothPrintCounter(0)), m_pView->m_nPhotoboothSaveJpegCopyOfPrints,
              m_pView->m_nPhotoboothBW);
  return text;
}

void CFullscreenDlg::ShowScreen(const char* path, int withSoundAndMovie) {
  CString screen(path ? path : "");
  if (m_hWnd && GetWindowThreadProcessId(m_hWnd, nullptr) != GetCurrentThreadId()) {
    // The processing worker: the window's state belongs to the UI thread.
    ::SendMessageA(m_hWnd, WM_FULLSCREEN_SHOWSCREEN, static_cast<WPARAM>(withSoundAndMovie),
                   reinterpret_cast<LPARAM>(screen.GetString()));
    return;
  }
  DoShowScreen(screen, withSoundAndMovie);
}

void CFullscreenDlg::DoShowScreen(const CString& path, int withSoundAndMovie) {
  if (m_bScreenChangeGuard) return;
  if (!m_hWnd) {
    // Before the window exists: remembered, and shown by the window's start.
    m_strCurrentScreen = path;
    return;
  }
  SetWindowText("Morvane Systems Photobooth - " + path);
  if (CWnd* status = GetDlgItem(IDC_FULLSCREEN_STATUS)) status->SetWindowText(StatusText());
  if (path == m_strCurrentScreen) return;

  if (!path.IsEmpty()) {
    m_pPreviewBitmap.reset();
    RunStatusCommand(this, g_strPhotoboothStatusCmd, path);
  }
  m_strCurrentScreen = path;
  m_strCurrentVariant = ResolveScreenVariant(path);
  m_bShowingScreen = !path.IsEmpty();
  m_bNoImage = false;

  if (withSoundAndMovie && path.GetLength() > 4) {
    CString sound = m_strCurrentVariant.Left(m_strCurrentVariant.GetLength() - 4) + ".wav";
    if (!PathFileExistsA(sound)) sound = path.Left(path.GetLength() - 4) + ".wav";
    PlayScreenSound(sound);
  }

  // The taking screen keeps a movie still running; every other screen ends it.
  if (path.Find("/taking.jpg", 1) < 1) {
    ReleaseMovieGraph();
    if (withSoundAndMovie && path.GetLength() > 4) {
      CString movie = FindScreenMovie(m_strCurrentVariant, path);
      if (!movie.IsEmpty()) StartScreenMovie(movie);
    }
  }

  CString name = FileNameOf(path);
  if (m_pView) {
    if (m_pView->m_bGreenScreenEnable && (name.Find("ready") == 0 || name.Find("taking") == 0 ||
                                          (!name.IsEmpty() && name[0] >= '0' && name[0] <= '9'))) {
      ResolveGreenScreenPaths(name.Find("ready") == 0 ? 1
                                                      : m_pView->m_nNumberOfPhotoboothImages - m_pView->m_nShotsLeft + 1);
    } else if (name.Find("ready") == 0) {
      ResolveGreenScreenPaths(1);
    }
  }

  BuildScreenImage();
  CClientDC dc(this);
  if (dc.m_hDC) PaintWithMovie(&dc);
}

void CFullscreenDlg::BuildScreenImage() {
  // The surface of the last screen is reused: a fresh full-screen bitmap per screen costs more
  // than decoding the picture.
  std::unique_ptr<CBitmap> surface = std::move(m_pScreenImage);
  if (m_strCurrentScreen.IsEmpty()) return;
  CRect client;
  GetClientRect(&client);
  BITMAP kept{};
  if (surface) surface->GetBitmap(&kept);
  if (!surface || kept.bmWidth != client.Width() || kept.bmHeight != client.Height() || !kept.bmBits)
    surface = MakeDibSurface(client.Width(), client.Height());
  if (!surface) return;
  surface->GetBitmap(&kept);
  // A JPEG screen is decoded straight into the surface's rows; other files go through the
  // imaging layer and are drawn.
  int width = 0, height = 0;
  bool decoded = kept.bmBits && IsJpegName(m_strCurrentVariant) &&
                 DecodeJpegFileToSurface(m_strCurrentVariant, static_cast<BYTE*>(kept.bmBits),
                                         static_cast<size_t>(kept.bmWidthBytes), kept.bmWidth, kept.bmHeight, width,
                                         height);
  CDC dc;
  dc.CreateCompatibleDC(nullptr);
  CBitmap* old = dc.SelectObject(surface.get());
  std::unique_ptr<Gdiplus::Image> picture;
  if (!decoded) {
    dc.FillSolidRect(&client, RGB(0, 0, 0));
    picture = LoadPicture(m_strCurrentVariant);
    if (picture) {
      Gdiplus::Graphics graphics(dc.m_hDC);
      graphics.DrawImage(picture.get(), 0, 0);
      width = static_cast<int>(picture->GetWidth());
      height = static_cast<int>(picture->GetHeight());
    }
  }
  if (decoded || picture) {
    if (width < client.Width() || height < client.Height()) {
      CString warning;
      warning.Format(" WARNING: %s image size (%dx%d) is smaller than screen size (%dx%d) ",
                     FileNameOf(m_strCurrentVariant).GetString(), width, height, client.Width(), client.Height());
      DrawTextAt(dc, 0, client.Height() - 24, warning, 12, RGB(0, 0, 0), RGB(255, 255, 255));
    }
  } else {
    CString text = FallbackText(m_strCurrentScreen);
    CFont font;
    LOGFONTA logFont = m_pView ? m_pView->m_photoboothMsgFont : LOGFONTA{};
    if (!m_pView) logFont.lfHeight = -48;
    font.CreateFontIndirect(&logFont);
    CFont* oldFont = dc.SelectObject(&font);
    SIZE size = dc.GetTextExtent(text);
    dc.SetTextColor(m_pView ? static_cast<COLORREF>(m_pView->m_nPhotoboothMsgColour) : RGB(255, 255, 255));
    dc.SetBkMode(TRANSPARENT);
    int y = (client.Height() - size.cy) * 3 / 5;
    if (IsLiveViewShown() && IsLiveViewAllowed() && m_pView) {
      // Not under the live picture: at 3/5 of the larger free part above or below its band.
      int top = std::min<int>(std::max(0, m_pView->m_nPhotoboothEvfYOffset), client.Height());
      int band = m_pView->m_nPhotoboothEvfMaxHeight > 0 ? m_pView->m_nPhotoboothEvfMaxHeight : m_nLiveViewHeight;
      int bottom = std::min<int>(top + std::max(0, band), client.Height());
      int below = client.Height() - bottom;
      y = below < top ? std::max(0, top - size.cy) * 3 / 5 : bottom + std::max(0, below - size.cy) * 3 / 5;
    }
    dc.TextOut((client.Width() - size.cx) / 2, y, text);
    dc.SelectObject(oldFont);
    DrawTextAt(dc, 0, client.Height() - 20, "Screen image not found: " + m_strCurrentScreen, 10, RGB(255, 255, 255),
               RGB(0, 0, 0));
  }
  DrawThumbnails(dc);
  dc.SelectObject(old);
  m_pScreenImage = std::move(surface);
}

void CFullscreenDlg::DrawThumbnails(CDC& dc) {
  if (m_thumbnails.empty() || !m_pView) return;
  bool atEnd = m_strCurrentScreen.Find("/processing.jpg", 1) >= 1 || m_strCurrentScreen.Find("/printing_confirmed.jpg", 1) >= 1;
  if (atEnd && !m_pView->m_bPhotoboothThumnailShowAtEnd) return;
  CRect client;
  GetClientRect(&client);
  CDC thumbDc;
  thumbDc.CreateCompatibleDC(nullptr);
  for (size_t i = 0; i < m_thumbnails.size(); ++i) {
    BITMAP info{};
    m_thumbnails[i]->GetBitmap(&info);
    int x = m_pView->m_nPhotoboothThumnailX + static_cast<int>(i) * m_pView->m_nPhotoboothThumnailXSpacing;
    int y = m_pView->m_nPhotoboothThumnailY + static_cast<int>(i) * m_pView->m_nPhotoboothThumnailYSpacing;
    if (m_pView->m_nPhotoboothThumnailX < 0) x = client.Width() - info.bmWidth + x;
    if (m_pView->m_nPhotoboothThumnailY < 0) y = client.Height() - info.bmHeight + y;
    CBitmap* old = thumbDc.SelectObject(m_thumbnails[i].get());
    dc.BitBlt(x, y, info.bmWidth, info.bmHeight, &thumbDc, 0, 0, SRCCOPY);
    thumbDc.SelectObject(old);
  }
}

void CFullscreenDlg::DrawWindow(CDC* dc) {
  TRACE("CFullscreenDlg::DrawWindow() %s\n", m_strCurrentScreen.GetString());
  CRect client;
  GetClientRect(&client);
  CDC memory;
  memory.CreateCompatibleDC(nullptr);
  if (!m_strCurrentScreen.IsEmpty() && m_pScreenImage) {
    // The window may reach its full size after the screen was built (a display server's maximise).
    BITMAP built{};
    m_pScreenImage->GetBitmap(&built);
    if (built.bmWidth != client.Width() || built.bmHeight != client.Height()) BuildScreenImage();
  }
  if (!m_strCurrentScreen.IsEmpty() && m_pScreenImage) {
    CBitmap* old = memory.SelectObject(m_pScreenImage.get());
    dc->BitBlt(0, 0, client.Width(), client.Height(), &memory, 0, 0, SRCCOPY);
    memory.SelectObject(old);
    DrawLastLiveFrame(dc);
    return;
  }
  if (m_pPreviewBitmap) {
    auto surface = MakeSurface(client.Width(), client.Height());
    if (!surface) return;
    CBitmap* old = memory.SelectObject(surface.get());
    memory.FillSolidRect(&client, RGB(0, 0, 0));
    if (m_bPhotoboothMode && m_pView) {
      CString background;
      m_pView->GetPreviewScreenImage(background);
      if (std::unique_ptr<Gdiplus::Image> picture = LoadPicture(background)) {
        Gdiplus::Graphics graphics(memory.m_hDC);
        graphics.DrawImage(picture.get(), 0, 0);
      }
      // The preview's sound plays once per preview, not on every repaint.
      if (!m_bPreviewSoundPlayed && background.GetLength() > 4) {
        m_bPreviewSoundPlayed = true;
        PlayScreenSound(background.Left(background.GetLength() - 4) + ".wav");
      }
    }
    BITMAP info{};
    m_pPreviewBitmap->GetBitmap(&info);
    CDC preview;
    preview.CreateCompatibleDC(nullptr);
    CBitmap* oldPreview = preview.SelectObject(m_pPreviewBitmap.get());
    const LiveRect part = PreviewPart(info.bmWidth, info.bmHeight);
    int x = (client.Width() - part.width) / 2, y = (client.Height() - part.height) / 2;
    if (m_bPhotoboothMode) {
      if (g_nPhotoboothPhotoPreviewX > 0 && g_nPhotoboothPhotoPreviewX + 50 <= client.Width()) x = g_nPhotoboothPhotoPreviewX;
      if (g_nPhotoboothPhotoPreviewY > 0 && g_nPhotoboothPhotoPreviewY + 50 <= client.Height()) y = g_nPhotoboothPhotoPreviewY;
    }
    if (m_bPhotoboothMode && m_pView && m_pView->m_bPhotoboothMirrorLiveView)
      memory.StretchBlt(x + part.width - 1, y, -part.width, part.height, &preview, part.x, part.y, part.width,
                        part.height, SRCCOPY);
    else
      memory.BitBlt(x, y, part.width, part.height, &preview, part.x, part.y, SRCCOPY);
    preview.SelectObject(oldPreview);
    dc->BitBlt(0, 0, client.Width(), client.Height(), &memory, 0, 0, SRCCOPY);
    memory.SelectObject(old);
    return;
  }
  dc->FillSolidRect(&client, RGB(0, 0, 0));
  // One request for a picture at a time, and none once the view had nothing to give.
  if (!m_bRefreshPosted && !m_bNoImage) {
    m_bRefreshPosted = true;
    PostMessage(WM_FULLSCREEN_REFRESH);
  }
}

void CFullscreenDlg::OnFullscreenRefresh() {
  m_bRefreshPosted = false;
  if (m_pPreviewBitmap || !m_pView || !m_hWnd) return;
  CRect client;
  GetClientRect(&client);
  CBitmap* bitmap = m_pView->BuildDisplayBitmap(this, client.Width(), client.Height(), nullptr, nullptr, 0);
  if (!bitmap) {
    m_bNoImage = true;
    return;
  }
  m_pPreviewBitmap.reset(bitmap);
  m_bPreviewSoundPlayed = false;
  Invalidate(FALSE);
}

void CFullscreenDlg::OnDisplayJpeg() {
  m_pPreviewBitmap.reset();
  m_bNoImage = false;
  m_bPreviewSoundPlayed = false;
  if (!m_pView || !m_hWnd) return;
  CRect client;
  GetClientRect(&client);
  if (m_bPhotoboothMode) m_pPreviewBitmap.reset(BuildKeyedPreview(client.Width(), client.Height()));
  int width = client.Width(), height = client.Height();
  if (m_bPhotoboothMode) {
    if (g_nPhotoboothPhotoPreviewW > 0 && g_nPhotoboothPhotoPreviewW < width) width = std::max(50, g_nPhotoboothPhotoPreviewW);
    if (g_nPhotoboothPhotoPreviewH > 0 && g_nPhotoboothPhotoPreviewH < height) height = std::max(50, g_nPhotoboothPhotoPreviewH);
  }
  if (!m_pPreviewBitmap)
    m_pPreviewBitmap.reset(
        m_pView->BuildDisplayBitmap(this, width, height, nullptr, nullptr, m_bPhotoboothMode ? m_pView->m_nPhotoboothBW : 0));
  if (m_bPhotoboothMode) {
    m_strCurrentScreen.Empty();
    m_pScreenImage.reset();
    if (IsThumbnailEnabled() && m_pPreviewBitmap) {
      BITMAP info{};
      m_pPreviewBitmap->GetBitmap(&info);
      const LiveRect part = PreviewPart(info.bmWidth, info.bmHeight);
      int thumbWidth = m_pView->m_nPhotoboothThumnailW > 0 ? m_pView->m_nPhotoboothThumnailW : 200;
      int thumbHeight = part.width > 0 ? part.height * thumbWidth / part.width : 0;
      if (auto thumb = MakeSurface(thumbWidth, thumbHeight > 0 ? thumbHeight : 1)) {
        CDC source, target;
        source.CreateCompatibleDC(nullptr);
        target.CreateCompatibleDC(nullptr);
        CBitmap* oldSource = source.SelectObject(m_pPreviewBitmap.get());
        CBitmap* oldTarget = target.SelectObject(thumb.get());
        target.SetStretchBltMode(HALFTONE);
        // A negative width mirrors, as the live picture was.
        if (m_pView->m_bPhotoboothMirrorLiveView)
          target.StretchBlt(thumbWidth - 1, 0, -thumbWidth, thumbHeight, &source, part.x, part.y, part.width,
                            part.height, SRCCOPY);
        else
          target.StretchBlt(0, 0, thumbWidth, thumbHeight, &source, part.x, part.y, part.width, part.height, SRCCOPY);
        source.SelectObject(oldSource);
        target.SelectObject(oldTarget);
        m_thumbnails.push_back(std::move(thumb));
      }
    }
    if (m_pView->m_nPhotoboothPreviewTime == 0) return;
  }
  Invalidate(FALSE);
}

void CFullscreenDlg::ReturnToStart() {
  m_thumbnails.clear();
  RecordActivity();
  SetCountdownText("");
  if (!m_pView) return;
  m_pView->m_nShotsLeft = -1;
  m_pView->SelectPhotoboothProfile(m_pView->m_nPhotoboothDefaultProfile);
  if (m_pView->m_bPhotoboothAutoStandby) {
    ShowScreen(m_pView->m_strPhotoboothImagesDir + "/welcome.jpg", 1);
    if (m_pView->m_bPhotoboothEnableLiveView) m_pView->EnableViewfinder(false);
  } else if (m_bPhotoboothMode) {
    m_bLiveViewFrameReceived = false;
    ShowScreen(m_pView->m_strPhotoboothImagesDir + "/ready.jpg", 1);
  }
  if (m_hWnd) SetFocus();
}

void CFullscreenDlg::ToggleWelcomeReady() {
  if (!m_pView) return;
  if (IsWelcomeScreen()) {
    m_bLiveViewFrameReceived = false;
    if (m_pView->m_bPhotoboothEnableLiveView) m_pView->EnableViewfinder(true);
    ShowScreen(m_pView->m_strPhotoboothImagesDir + "/ready.jpg", 1);
  } else if (IsReadyScreen()) {
    ShowScreen(m_pView->m_strPhotoboothImagesDir + "/welcome.jpg", 1);
    if (m_pView->m_bPhotoboothEnableLiveView) m_pView->EnableViewfinder(false);
  }
}

void CFullscreenDlg::LeaveWelcomeScreen() {
  if (IsWelcomeScreen()) ToggleWelcomeReady();
}

void CFullscreenDlg::UpdateStatus() {
  if (CWnd* status = GetDlgItem(IDC_FULLSCREEN_STATUS)) status->SetWindowText(StatusText());
  if (m_strCurrentScreen.IsEmpty()) return;
  CString variant = ResolveScreenVariant(m_strCurrentScreen);
  if (variant == m_strCurrentVariant || !LoadPicture(variant)) return;
  m_strCurrentVariant = variant;
  BuildScreenImage();
  Invalidate(FALSE);
}

void CFullscreenDlg::DrawCornerText(const CString& text) {
  if (!m_hWnd) return;
  // Kept until the redraw deadline, so repaints meanwhile draw it again over the screen.
  m_strCornerText = text;
  m_nRedrawDeadline = s_pfnNow() + 2;
  CClientDC dc(this);
  if (dc.m_hDC) PaintCornerText(&dc);
}

void CFullscreenDlg::PaintCornerText(CDC* dc) {
  if (m_strCornerText.IsEmpty() || m_nRedrawDeadline == 0) return;
  CRect client;
  GetClientRect(&client);
  CFont font;
  font.CreatePointFont(120, "Arial", dc);
  CFont* old = dc->SelectObject(&font);
  SIZE size = dc->GetTextExtent(m_strCornerText);
  dc->SetTextColor(RGB(255, 255, 255));
  dc->SetBkColor(RGB(0, 0, 0));
  dc->SetBkMode(OPAQUE);
  dc->TextOut(client.Width() - size.cx, client.Height() - size.cy, m_strCornerText);
  dc->SelectObject(old);
}

void CFullscreenDlg::DrawCopiesText() {
  if (!m_bPhotoboothMode || !m_pView) return;
  CString text;
  text.Format("  Copies: %d", m_pView->m_nPhotoboothPrintCopies);
  UpdateStatus();
  DrawCornerText(text);
}
