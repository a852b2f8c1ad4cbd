// Renders the newest photo for the view on a thread of its own, so that decoding a large JPEG
// does not hold up the UI thread (and with it the remote control, the shutter and the keys).
// One render at a time: a newer request replaces one not yet started, and the UI thread takes
// only the result of the generation it asked for last.
#pragma once

#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "app/DisplayRender.h"
#include "platform/win32/windef.h"

class CDisplayRenderWorker {
 public:
  /// Each finished render posts message (wParam: its generation) to the window.
  CDisplayRenderWorker(HWND window, UINT message);
  ~CDisplayRenderWorker();
  CDisplayRenderWorker(const CDisplayRenderWorker&) = delete;
  CDisplayRenderWorker& operator=(const CDisplayRenderWorker&) = delete;

  /// Queues a render of the bytes (copied) under the generation.
  void Submit(unsigned generation, const BYTE* jpeg, DWORD size, const DisplayRequest& request);
  /// The finished render of that generation, or null when it is not (or no longer) there.
  std::unique_ptr<DisplayRender> Take(unsigned generation);

 private:
  void Run();

  HWND m_window;
  UINT m_message;
  std::mutex m_lock;
  std::condition_variable m_wake;
  bool m_stop = false;
  bool m_pending = false;
  unsigned m_pendingGeneration = 0;
  std::vector<BYTE> m_pendingJpeg;
  DisplayRequest m_pendingRequest;
  unsigned m_doneGeneration = 0;
  std::unique_ptr<DisplayRender> m_done;
  std::thread m_thread;
};
