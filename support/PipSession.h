// PipSession: one scoped session of the imaging library, created with the program's standard
// parameters and destroyed with the wrapper, plus the composite operations the library lacks.
#pragma once

#include "platform/polyimage/polyimage.h"
#include "platform/win32/windef.h"

namespace Gdiplus {
class Bitmap;
}

/// The program's JPEG quality for saved files (kept by the settings store; 90 until set).
extern WORD g_nJpegQuality;

class PipSession {
 public:
  PipSession();
  /// A new wrapper holding a copy of the other's image; zoom, scroll and draw flag start afresh.
  PipSession(const PipSession& other, BOOL flag = FALSE);
  virtual ~PipSession();
  PipSession& operator=(const PipSession& other);

  /// A new wrapper on the heap holding a copy of the other's image; the caller deletes it.
  static PipSession* Duplicate(const PipSession& other, BOOL flag);

  void SetAutoRotate(bool enable);
  /// Nothing for amount <= 0; amounts above 100 sharpen with 100.
  void Sharpen(int amount);
  void GetImageInfo(DWORD& width, DWORD& height);
  DWORD GetWidth();
  DWORD GetHeight();
  BYTE GetBitsPerPixel();
  void SetDrawFlag(BYTE flag) { m_bDrawFlag = flag; }
  /// Draws with the wrapper's zoom and scroll; the scroll is clamped to the image first.
  void Draw(HDC dc, const RECT& dest);
  /// Turns by tenths of a degree; any turn but a plain quarter turn leaves the uncovered
  /// corners transparent, and with keepAlpha the old mask turns with the image.
  void Rotate(int angle, bool keepAlpha);
  /// Draws the source at x, y; negative offsets cut the source so its rest lands at the edge.
  void Merge(const PipSession& source, int x, int y, int opacity, int mode);
  /// Centred crop to 3:2 (2:3 for portrait); nothing when the image is already that narrow.
  void CropTo3x2();
  /// A new bitmap of the image (32-bit ARGB with the alpha mask when there is one, else 24-bit);
  /// the caller owns it. NULL for an empty image.
  Gdiplus::Bitmap* CreateGdiplusBitmap();

  int m_hSession;         // the library's session handle, passed by callers to c... functions
  double m_dZoom;         // 1.0 = one image pixel per device pixel
  int m_nScrollX;         // image pixels scrolled off the left
  int m_nScrollY;         // image pixels scrolled off the top
  int m_nDrawnWidth;      // written by the library when drawing: device pixels covered
  int m_nDrawnHeight;
  BYTE m_bDrawFlag;

 private:
  void Init();
};

/// Colour-corrects the session's image from the input profile file to the output profile file.
/// Silently does nothing when a file is missing or a profile is unusable.
void ApplyIccProfiles(PipSession& session, const char* inputProfilePath, const char* outputProfilePath, int intent);
