#include "support/ImageGIF.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>

#include "platform/user/paint.h"
#include "support/WidePath.h"

ImageGIF::ImageGIF(const char* path)
    : Gdiplus::Image(reinterpret_cast<const WCHAR*>(WidePath(path).c_str())),
      m_hWnd(nullptr),
      m_nFrameCount(0),
      m_nCurrentFrame(0),
      m_bDelaysRead(false),
      // Unnamed: only this object can stop its player.
      m_hExitEvent(CreateEventA(nullptr, TRUE, FALSE, nullptr)),
      m_hFrameBitmap(nullptr),
      m_hOldBitmap(nullptr),
      m_hMemDC(CreateCompatibleDC(nullptr)),
      m_bPlaying(false),
      m_rect{0, 0, LONG(GetWidth()), LONG(GetHeight())} {
  InitializeCriticalSection(&m_lock);
  lastResult = Gdiplus::Ok;
}

ImageGIF::~ImageGIF() {
  StopThread();
  if (m_hMemDC) {
    if (m_hOldBitmap) SelectObject(m_hMemDC, m_hOldBitmap);
    DeleteDC(m_hMemDC);
  }
  if (m_hFrameBitmap) DeleteObject(m_hFrameBitmap);
  if (m_hExitEvent) CloseHandle(m_hExitEvent);
  DeleteCriticalSection(&m_lock);
}

void ImageGIF::StopThread() {
  if (m_hExitEvent) SetEvent(m_hExitEvent);
  if (m_thread.joinable()) m_thread.join();
}

bool ImageGIF::InitAnimation() {
  if (m_nFrameCount > 1) return true;
  if (m_bDelaysRead) return false;
  m_bDelaysRead = true;
  UINT dimensions = GetFrameDimensionsCount();
  if (dimensions == 0) return false;
  std::vector<GUID> ids(dimensions);
  if (GetFrameDimensionsList(ids.data(), dimensions) != Gdiplus::Ok) return false;
  m_nFrameCount = GetFrameCount(&ids[0]);
  m_delays.assign(m_nFrameCount, 0);
  UINT size = GetPropertyItemSize(Gdiplus::PropertyTagFrameDelay);
  if (size >= sizeof(Gdiplus::PropertyItem)) {
    std::vector<unsigned char> buffer(size);
    auto* item = reinterpret_cast<Gdiplus::PropertyItem*>(buffer.data());
    if (GetPropertyItem(Gdiplus::PropertyTagFrameDelay, size, item) == Gdiplus::Ok && item->value) {
      // A short property leaves the missing frames at 0.
      size_t given = std::min<size_t>(item->length / 4, m_nFrameCount);
      for (size_t i = 0; i < given; ++i) {
        uint32_t delay;
        std::memcpy(&delay, static_cast<const unsigned char*>(item->value) + i * 4, 4);
        m_delays[i] = delay;
      }
    }
  }
  lastResult = Gdiplus::Ok;
  return m_nFrameCount > 1;
}

void ImageGIF::SetDrawRect(const RECT& rect) {
  if (IsPlaying()) return;
  m_rect = rect;
  if (m_hFrameBitmap) {
    if (m_hMemDC && m_hOldBitmap) SelectObject(m_hMemDC, m_hOldBitmap);
    m_hOldBitmap = nullptr;
    DeleteObject(m_hFrameBitmap);
    m_hFrameBitmap = nullptr;
  }
}

bool ImageGIF::IsPlaying() {
  EnterCriticalSection(&m_lock);
  bool playing = m_bPlaying;
  LeaveCriticalSection(&m_lock);
  return playing;
}

void ImageGIF::SetPlaying(bool playing) {
  EnterCriticalSection(&m_lock);
  m_bPlaying = playing;
  LeaveCriticalSection(&m_lock);
}

void ImageGIF::Play() {
  if (IsPlaying() || !m_hExitEvent || !m_hMemDC || m_nFrameCount < 2) return;
  if (m_thread.joinable()) m_thread.join();  // the last run has ended; reap its thread
  SetPlaying(true);
  ResetEvent(m_hExitEvent);
  try {
    m_thread = std::thread(&ImageGIF::AnimationThread, this);
  } catch (...) {
    SetPlaying(false);
  }
}

void ImageGIF::AnimationThread() {
  int width = m_rect.right - m_rect.left;
  int height = m_rect.bottom - m_rect.top;
  if (!m_hFrameBitmap && width > 0 && height > 0) {
    m_hFrameBitmap = CreateBitmap(width, height, 1, UINT(GetDeviceCaps(m_hMemDC, BITSPIXEL)), nullptr);
    if (m_hFrameBitmap) m_hOldBitmap = SelectObject(m_hMemDC, m_hFrameBitmap);
  }
  if (m_hFrameBitmap) {
    Gdiplus::Graphics graphics(m_hMemDC);
    while (DrawFrame(graphics)) {
    }
  } else {
    WaitForSingleObject(m_hExitEvent, INFINITE);  // nothing to draw into: idle until stopped
  }
  SetPlaying(false);
}

bool ImageGIF::DrawFrame(Gdiplus::Graphics& graphics) {
  DWORD start = GetTickCount();
  DWORD delay = GetFrameDelay(m_nCurrentFrame);
  int width = m_rect.right - m_rect.left;
  int height = m_rect.bottom - m_rect.top;
  if (HDC windowDC = m_hWnd ? GetDC(m_hWnd) : nullptr) {
    graphics.DrawImage(this, 0, 0, width, height);
    BitBlt(windowDC, m_rect.left, m_rect.top, width, height, m_hMemDC, 0, 0, SRCCOPY);
    start = GetTickCount();
    ReleaseDC(m_hWnd, windowDC);
    ++m_nFramesShown;
  }
  m_nCurrentFrame = (m_nCurrentFrame + 1) % m_nFrameCount;
  SelectActiveFrame(&Gdiplus::FrameDimensionTime, m_nCurrentFrame);

  long long wait = (long long)delay * 10 - (long long)(GetTickCount() - start);
  return WaitForSingleObject(m_hExitEvent, wait > 0 ? DWORD(wait) : 1) == WAIT_TIMEOUT;
}
