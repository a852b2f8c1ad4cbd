// ImageGIF: an animated GIF played into a rectangle of a window on a thread of its own.
#pragma once

#include <atomic>
#include <thread>
#include <vector>

#include "platform/gdi/wingdi.h"
#include "platform/gdiplus/gdiplus.h"
#include "platform/win32/sync.h"
#include "platform/win32/windef.h"

class ImageGIF : public Gdiplus::Image {
 public:
  /// Loads the file (a path in the system code page); a failed load leaves an empty image that
  /// never animates. The target rectangle starts as the image's size.
  explicit ImageGIF(const char* path);
  /// Stops the player and waits for its thread before anything is freed.
  ~ImageGIF() override;
  ImageGIF(const ImageGIF&) = delete;
  ImageGIF& operator=(const ImageGIF&) = delete;

  /// Reads the frames and their delays; true when there is more than one frame to play.
  bool InitAnimation();
  /// Ignored while playing; otherwise the next play draws into this rectangle.
  void SetDrawRect(const RECT& rect);
  /// Starts the player thread; ignored while playing or when there is nothing to animate.
  void Play();
  bool IsPlaying();
  void SetPlaying(bool playing);

  using Gdiplus::Image::GetFrameCount;
  UINT GetFrameCount() const { return m_nFrameCount; }
  /// Delay of the frame in hundredths of a second; 0 for frames the file gives no delay.
  UINT GetFrameDelay(UINT frame) const { return frame < m_delays.size() ? m_delays[frame] : 0; }
  const RECT& GetDrawRect() const { return m_rect; }
  /// Frames put on the window since construction (the player's progress).
  UINT GetFramesShown() const { return m_nFramesShown.load(); }

  HWND m_hWnd;  // target window, set by the owner before playing

 private:
  void AnimationThread();
  bool DrawFrame(Gdiplus::Graphics& graphics);
  void StopThread();

  UINT m_nFrameCount;
  UINT m_nCurrentFrame;
  bool m_bDelaysRead;
  std::vector<UINT> m_delays;
  HANDLE m_hExitEvent;
  HBITMAP m_hFrameBitmap;
  HGDIOBJ m_hOldBitmap;
  HDC m_hMemDC;
  bool m_bPlaying;
  CRITICAL_SECTION m_lock;
  RECT m_rect;
  std::atomic<UINT> m_nFramesShown{0};
  std::thread m_thread;
};
