// Messages of the view and the progress windows besides the camera layer's (WM_USER + 1000 + n).
#pragma once

#include "camera/CameraMessages.h"

#define WM_INITIAL_CONNECT 2031
#define WM_PROGRESS_TEXT 2035
#define WM_PROGRESS_POS 2036
#define WM_PROGRESS_CANCEL 2037
#define WM_PROGRESS_CLOSE 2038
#define WM_UPDATE_ZOOM 2039
/// Sent by a worker: lParam is a const std::function<void()>* run on the UI thread.
#define WM_RUN_ON_VIEW 2046
/// Posted by the display render thread: wParam is the generation of the render now done.
#define WM_DISPLAY_RENDERED 2047
