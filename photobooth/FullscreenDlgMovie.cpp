// Screen movies: a file beside the screen's picture whose name starts like it and ends in
// ".mp4" or ".mov", played in the window, optionally placed by its name and looping while idle.
#include <algorithm>
#include <cstdio>

#include "app/MyQuilletView.h"
#include "photobooth/FullscreenDlg.h"
#include "photobooth/TransparentOverlayDlg.h"
#include "platform/dshow/filtergraph.h"
#include "platform/user/messagebox.h"
#include "platform/win32/find.h"
#include "platform/win32/handle.h"

namespace {

// The first file matching stem + "*" + extension, in the stem's folder; "" when none.
CString FirstMatch(const CString& stem, const char* extension) {
  WIN32_FIND_DATAA found{};
  HANDLE find = FindFirstFileA(stem + "*" + extension, &found);
  if (find == INVALID_HANDLE_VALUE || !find) return CString();
  FindClose(find);
  return stem.Left(stem.ReverseFind('/') + 1) + found.cFileName;
}

CString StemOf(const CString& path) { return path.GetLength() > 4 ? path.Left(path.GetLength() - 4) : path; }

}  // namespace

CString CFullscreenDlg::FindScreenMovie(const CString& variant, const CString& path) {
  for (const CString& stem : {StemOf(variant), StemOf(path)})
    for (const char* extension : {".mp4", ".mov"}) {
      CString movie = FirstMatch(stem, extension);
      if (!movie.IsEmpty()) return movie;
    }
  return CString();
}

void CFullscreenDlg::ReleaseMovieGraph() {
  if (m_pMovie) m_pMovie->Stop();
  m_pMovie.reset();
  m_bMovieLoop = false;
  m_videoRect = RECT{0, 0, 0, 0};
}

void CFullscreenDlg::StartScreenMovie(const CString& movie) {
  if (m_pOverlay) {
    // The countdown window would cover the movie.
    m_pOverlay->DestroyWindow();
    delete m_pOverlay;
    m_pOverlay = nullptr;
    m_strCountdownText.Empty();
  }
  OpenMovie(movie);
  if (!m_pMovie) return;
  m_pMovie->Run();
  FILTER_STATE state = State_Stopped;
  m_pMovie->GetState(1000, &state);
  CString title = movie.Mid(movie.ReverseFind('/') + 1);
  m_bMovieLoop = m_pView && m_pView->m_nShotsLeft < 0 && title.Find("_loop", 1) >= 1;
}

void CFullscreenDlg::OpenMovie(const CString& path) {
  ReleaseMovieGraph();
  try {
    auto graph = std::make_unique<FilterGraph>();
    if (FAILED(graph->SetVideoClippingWindow(m_hWnd))) {
      ::MessageBoxA(m_hWnd, "ERROR setting video clipping window.", "Tavorin", MB_OK);
      throw CString("ERROR initialising Windowless VMR.");
    }
    HRESULT result = graph->RenderFile(path);
    if (FAILED(result)) {
      CString text;
      if (result == VFW_E_UNSUPPORTED_STREAM) text = "ERROR rendering file: unsupported format";
      else text.Format("ERROR rendering file: %X", static_cast<unsigned>(result));
      throw text;
    }
    LONG width = 0, height = 0;
    graph->GetNativeVideoSize(&width, &height);
    if (width > 0 && height > 0) {
      CRect client;
      GetClientRect(&client);
      int W = client.Width(), H = client.Height();
      CString lower = path;
      lower.MakeLower();
      int x = -1, y = -1;
      int underscore = lower.ReverseFind('_');
      if (underscore >= 0) {
        CString tail = lower.Mid(underscore);
        if (std::sscanf(tail, "_%d+%d.mov", &x, &y) != 2 && std::sscanf(tail, "_%d+%d.mp4", &x, &y) != 2) x = y = -1;
      }
      // The band at the top kept free for the live picture, on screens that may show it.
      int reserve = 0;
      if (m_pView && IsLiveViewAllowed()) {
        reserve = std::max(0, m_pView->m_nPhotoboothEvfMaxHeight) + std::max(0, m_pView->m_nPhotoboothEvfYOffset);
        reserve = std::min(reserve, H);
      }
      long long w = width, h = height, vw = 0, vh = 0, left = 0, top = 0;
      if (x < 0 || y < 0 || x >= W || y >= H) {
        vh = std::min<long long>(H - reserve, h);
        vw = vh * w / h;
        if (vw > W) {
          vw = W;
          vh = h * W / w;
        }
        if (vw < 10) {
          vw = 10;
          vh = h * 10 / w;
        }
        top = (H + reserve - vh) / 2;
        left = (W - vw) / 2;
      } else {
        vw = std::min<long long>(W - x, w);
        vh = h * vw / w;
        if (H - y < vh) {
          vh = H - y;
          vw = vh * w / h;
        }
        left = x;
        top = y;
      }
      RECT source{0, 0, width, height};
      RECT destination{static_cast<LONG>(left), static_cast<LONG>(top), static_cast<LONG>(left + vw),
                       static_cast<LONG>(top + vh)};
      graph->SetVideoPosition(&source, &destination);
      m_videoRect = destination;
    }
    m_pMovie = std::move(graph);
  } catch (const CString& text) {
    ::MessageBoxA(m_hWnd, "ERROR: exception opening movie file:\n" + path + "\n" + text, "Tavorin", MB_OK);
  } catch (...) {
    ::MessageBoxA(m_hWnd, "ERROR: exception opening movie file:\n" + path, "Tavorin", MB_OK);
  }
}

int CFullscreenDlg::GetMovieTimeRemaining() {
  if (!m_pMovie) return -1;
  REFERENCE_TIME duration = 0, position = 0;
  double rate = 0;
  if (FAILED(m_pMovie->GetDuration(&duration)) || FAILED(m_pMovie->GetRate(&rate)) ||
      FAILED(m_pMovie->GetCurrentPosition(&position)))
    return -1;
  if (rate <= 0) rate = 1;
  // What is left of the movie, played at its rate.
  double left = static_cast<double>(duration - position) / (rate * 10000.0);
  return left > 0 ? static_cast<int>(left) : 0;
}

void CFullscreenDlg::LoopMovie() {
  if (!m_bMovieLoop || !m_pMovie) return;
  REFERENCE_TIME duration = 0, position = 0;
  bool known = SUCCEEDED(m_pMovie->GetDuration(&duration)) && SUCCEEDED(m_pMovie->GetCurrentPosition(&position));
  if (!known || position >= duration) {
    REFERENCE_TIME start = 0;
    m_pMovie->SetPositions(&start, AM_SEEKING_AbsolutePositioning);
    m_pMovie->Run();
  }
}

void CFullscreenDlg::PaintWithMovie(CDC* dc) {
  bool movie = m_pMovie && m_videoRect.right > m_videoRect.left;
  if (movie) dc->ExcludeClipRect(&m_videoRect);
  DrawWindow(dc);
  if (movie) {
    dc->SelectClipRgn(nullptr);
    m_pMovie->RepaintVideo(m_hWnd, dc->m_hDC);
  }
}
