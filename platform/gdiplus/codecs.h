// GDI+ start-up and the list of image encoders (JPEG, PNG, GIF with frames, TIFF).
#pragma once

#include "platform/gdiplus/types.h"

namespace Gdiplus {

typedef void (*DebugEventProc)(INT level, CHAR* message);

struct GdiplusStartupInput {
  UINT GdiplusVersion = 1;
  DebugEventProc DebugEventCallback = nullptr;
  BOOL SuppressBackgroundThread = FALSE;
  BOOL SuppressExternalCodecs = FALSE;
};

struct GdiplusStartupOutput {
  void* NotificationHook = nullptr;
  void* NotificationUnhook = nullptr;
};

/// Nothing needs starting here: sets a non-zero token and returns Ok (UnsupportedGdiplusVersion
/// for versions other than 1, InvalidParameter for a missing token or input).
Status GdiplusStartup(ULONG_PTR* token, const GdiplusStartupInput* input, GdiplusStartupOutput* output);
void GdiplusShutdown(ULONG_PTR token);

/// The number of encoders and the bytes GetImageEncoders needs for their records.
Status GetImageEncodersSize(UINT* numEncoders, UINT* size);
/// Fills `numEncoders` records (strings point at static storage); InvalidParameter when the
/// count or size differs from GetImageEncodersSize.
Status GetImageEncoders(UINT numEncoders, UINT size, ImageCodecInfo* encoders);

}  // namespace Gdiplus
