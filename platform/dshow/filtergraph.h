// A movie graph with a windowless video renderer: a file is rendered, run, stopped, sought and
// timed, and its picture is drawn by the owner window's paint handler into a rectangle of the
// window. Times are in 100 ns units. Every call reports failure by its HRESULT, never by a crash.
// One graph lives on the UI thread.
#pragma once

#include <memory>

#include "platform/win32/windef.h"

/// The file holds nothing the graph can play.
#define VFW_E_UNSUPPORTED_STREAM ((HRESULT)0x80040265L)
#define VFW_E_NOT_CONNECTED ((HRESULT)0x80040209L)
#define AM_SEEKING_NoPositioning 0x0u
#define AM_SEEKING_AbsolutePositioning 0x1u

typedef LONGLONG REFERENCE_TIME;
enum FILTER_STATE { State_Stopped = 0, State_Paused = 1, State_Running = 2 };

class FilterGraph {
 public:
  FilterGraph();
  ~FilterGraph();
  FilterGraph(const FilterGraph&) = delete;
  FilterGraph& operator=(const FilterGraph&) = delete;

  /// The window the video is drawn in; its paint handler calls RepaintVideo.
  HRESULT SetVideoClippingWindow(HWND window);
  /// Opens the file and waits until it is known; VFW_E_UNSUPPORTED_STREAM when it cannot play.
  HRESULT RenderFile(const char* path);
  HRESULT Run();
  HRESULT Stop();
  /// Waits up to timeoutMs for a state change under way.
  HRESULT GetState(DWORD timeoutMs, FILTER_STATE* state);
  HRESULT GetDuration(REFERENCE_TIME* duration);
  HRESULT GetCurrentPosition(REFERENCE_TIME* position);
  HRESULT GetRate(double* rate);
  HRESULT SetPositions(REFERENCE_TIME* current, DWORD currentFlags);
  /// 0 x 0 for a file without video.
  HRESULT GetNativeVideoSize(LONG* width, LONG* height);
  HRESULT SetVideoPosition(const RECT* source, const RECT* destination);
  /// Draws the latest frame into the destination rectangle on the window's DC.
  HRESULT RepaintVideo(HWND window, HDC dc);
  /// Frames drawn into the window so far (test hook).
  int FramesShown() const;

 private:
  struct Impl;
  std::unique_ptr<Impl> d;
};
