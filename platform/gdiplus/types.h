// GDI+ value types: status codes, pixel formats, rectangles, colours, palettes, property
// items, locked pixel data, encoder parameters and codec records.
//
// Every call reports its result as a Status (Ok on success); objects also keep the result of
// their last call for GetLastStatus. Pixel formats carry their bits per pixel in bits 8-15.
#pragma once

#include "platform/win32/windef.h"

// Globally unique identifiers: class ids of codecs, frame dimensions, encoder parameters.

namespace Gdiplus {

typedef float REAL;
typedef DWORD ARGB;
typedef ULONG PROPID;
typedef INT PixelFormat;

enum Status {
  Ok = 0,
  GenericError,
  InvalidParameter,
  OutOfMemory,
  ObjectBusy,
  InsufficientBuffer,
  NotImplemented,
  Win32Error,
  WrongState,
  Aborted,
  FileNotFound,
  ValueOverflow,
  AccessDenied,
  UnknownImageFormat,
  FontFamilyNotFound,
  FontStyleNotFound,
  NotTrueTypeFont,
  UnsupportedGdiplusVersion,
  GdiplusNotInitialized,
  PropertyNotFound,
  PropertyNotSupported,
};

// Pixel formats: index | bits per pixel << 8 | flags.
constexpr PixelFormat PixelFormatIndexed = 0x00010000;
constexpr PixelFormat PixelFormatGDI = 0x00020000;
constexpr PixelFormat PixelFormatAlpha = 0x00040000;
constexpr PixelFormat PixelFormatPAlpha = 0x00080000;
constexpr PixelFormat PixelFormatCanonical = 0x00200000;
constexpr PixelFormat PixelFormatUndefined = 0;
constexpr PixelFormat PixelFormatDontCare = 0;
constexpr PixelFormat PixelFormat8bppIndexed = 3 | (8 << 8) | PixelFormatIndexed | PixelFormatGDI;
constexpr PixelFormat PixelFormat24bppRGB = 8 | (24 << 8) | PixelFormatGDI;
constexpr PixelFormat PixelFormat32bppRGB = 9 | (32 << 8) | PixelFormatGDI;
constexpr PixelFormat PixelFormat32bppARGB = 10 | (32 << 8) | PixelFormatAlpha | PixelFormatGDI | PixelFormatCanonical;
constexpr PixelFormat PixelFormat32bppPARGB = 11 | (32 << 8) | PixelFormatAlpha | PixelFormatPAlpha | PixelFormatGDI;

inline UINT GetPixelFormatSize(PixelFormat format) { return (format >> 8) & 0xff; }
inline BOOL IsIndexedPixelFormat(PixelFormat format) { return (format & PixelFormatIndexed) != 0; }
inline BOOL IsAlphaPixelFormat(PixelFormat format) { return (format & PixelFormatAlpha) != 0; }

enum Unit { UnitWorld, UnitDisplay, UnitPixel, UnitPoint, UnitInch, UnitDocument, UnitMillimeter };

enum ImageLockMode { ImageLockModeRead = 1, ImageLockModeWrite = 2, ImageLockModeUserInputBuf = 4 };

enum InterpolationMode {
  InterpolationModeInvalid = -1,
  InterpolationModeDefault = 0,
  InterpolationModeLowQuality,
  InterpolationModeHighQuality,
  InterpolationModeBilinear,
  InterpolationModeBicubic,
  InterpolationModeNearestNeighbor,
  InterpolationModeHighQualityBilinear,
  InterpolationModeHighQualityBicubic,
};

enum SmoothingMode {
  SmoothingModeInvalid = -1,
  SmoothingModeDefault = 0,
  SmoothingModeHighSpeed,
  SmoothingModeHighQuality,
  SmoothingModeNone,
  SmoothingModeAntiAlias,
};

enum CompositingMode { CompositingModeSourceOver, CompositingModeSourceCopy };

enum CompositingQuality {
  CompositingQualityInvalid = -1,
  CompositingQualityDefault = 0,
  CompositingQualityHighSpeed,
  CompositingQualityHighQuality,
  CompositingQualityGammaCorrected,
  CompositingQualityAssumeLinear,
};

enum PixelOffsetMode {
  PixelOffsetModeInvalid = -1,
  PixelOffsetModeDefault = 0,
  PixelOffsetModeHighSpeed,
  PixelOffsetModeHighQuality,
  PixelOffsetModeNone,
  PixelOffsetModeHalf,
};

struct Rect {
  INT X = 0, Y = 0, Width = 0, Height = 0;
  Rect() = default;
  Rect(INT x, INT y, INT width, INT height) : X(x), Y(y), Width(width), Height(height) {}
};

struct RectF {
  REAL X = 0, Y = 0, Width = 0, Height = 0;
  RectF() = default;
  RectF(REAL x, REAL y, REAL width, REAL height) : X(x), Y(y), Width(width), Height(height) {}
};

/// A 32-bit colour, 0xAARRGGBB.
class Color {
 public:
  enum : ARGB { Black = 0xFF000000u, White = 0xFFFFFFFFu, Transparent = 0x00FFFFFFu };
  Color() : Argb(Black) {}
  Color(BYTE r, BYTE g, BYTE b) : Argb(MakeARGB(255, r, g, b)) {}
  Color(BYTE a, BYTE r, BYTE g, BYTE b) : Argb(MakeARGB(a, r, g, b)) {}
  Color(ARGB argb) : Argb(argb) {}
  BYTE GetA() const { return BYTE(Argb >> 24); }
  BYTE GetR() const { return BYTE(Argb >> 16); }
  BYTE GetG() const { return BYTE(Argb >> 8); }
  BYTE GetB() const { return BYTE(Argb); }
  BYTE GetAlpha() const { return GetA(); }
  BYTE GetRed() const { return GetR(); }
  BYTE GetGreen() const { return GetG(); }
  BYTE GetBlue() const { return GetB(); }
  ARGB GetValue() const { return Argb; }
  void SetValue(ARGB argb) { Argb = argb; }
  void SetFromCOLORREF(COLORREF rgb) { Argb = MakeARGB(255, GetRValue(rgb), GetGValue(rgb), GetBValue(rgb)); }
  COLORREF ToCOLORREF() const { return RGB(GetR(), GetG(), GetB()); }
  static ARGB MakeARGB(BYTE a, BYTE r, BYTE g, BYTE b) {
    return (ARGB(a) << 24) | (ARGB(r) << 16) | (ARGB(g) << 8) | ARGB(b);
  }

 private:
  ARGB Argb;
};

enum PaletteFlags { PaletteFlagsHasAlpha = 1, PaletteFlagsGrayScale = 2, PaletteFlagsHalftone = 4 };

/// A palette of Count entries; callers allocate GetPaletteSize() bytes for the whole record.
struct ColorPalette {
  UINT Flags;
  UINT Count;
  ARGB Entries[1];
};

/// Pixels handed out by LockBits: rows Stride bytes apart, top row first.
struct BitmapData {
  UINT Width;
  UINT Height;
  INT Stride;
  ::Gdiplus::PixelFormat PixelFormat;
  void* Scan0;
  UINT_PTR Reserved;
};

// Property item types and the tags of animated images.
constexpr WORD PropertyTagTypeByte = 1;
constexpr WORD PropertyTagTypeASCII = 2;
constexpr WORD PropertyTagTypeShort = 3;
constexpr WORD PropertyTagTypeLong = 4;
constexpr WORD PropertyTagTypeRational = 5;
constexpr WORD PropertyTagTypeUndefined = 7;
constexpr WORD PropertyTagTypeSLONG = 9;
constexpr WORD PropertyTagTypeSRational = 10;
constexpr PROPID PropertyTagFrameDelay = 0x5100;  // LONG per frame, hundredths of a second
constexpr PROPID PropertyTagLoopCount = 0x5101;   // SHORT, 0 = endless

/// One property: `value` points at `length` bytes (inside the same buffer for GetPropertyItem).
struct PropertyItem {
  PROPID id;
  ULONG length;
  WORD type;
  void* value;
};

enum EncoderParameterValueType {
  EncoderParameterValueTypeByte = 1,
  EncoderParameterValueTypeASCII = 2,
  EncoderParameterValueTypeShort = 3,
  EncoderParameterValueTypeLong = 4,
};

enum EncoderValue {
  EncoderValueMultiFrame = 18,
  EncoderValueFlush = 20,
  EncoderValueFrameDimensionTime = 21,
};

struct EncoderParameter {
  GUID Guid;
  ULONG NumberOfValues;
  ULONG Type;
  void* Value;
};

/// Count parameters; callers with more than one allocate room for the rest.
struct EncoderParameters {
  UINT Count;
  EncoderParameter Parameter[1];
};

enum ImageCodecFlags {
  ImageCodecFlagsEncoder = 0x1,
  ImageCodecFlagsDecoder = 0x2,
  ImageCodecFlagsSupportBitmap = 0x4,
  ImageCodecFlagsBuiltin = 0x10000,
};

struct ImageCodecInfo {
  CLSID Clsid;
  GUID FormatID;
  const WCHAR* CodecName;
  const WCHAR* DllName;
  const WCHAR* FormatDescription;
  const WCHAR* FilenameExtension;
  const WCHAR* MimeType;
  DWORD Flags;
  DWORD Version;
  DWORD SigCount;
  DWORD SigSize;
  const BYTE* SigPattern;
  const BYTE* SigMask;
};

// Frame dimensions of multi-frame images.
extern const GUID FrameDimensionTime;  // animated GIF frames
extern const GUID FrameDimensionPage;  // every other image: one page

// Encoder parameter categories.
extern const GUID EncoderSaveFlag;  // LONG EncoderValue
extern const GUID EncoderQuality;   // LONG 0-100, JPEG only

// Raw formats (Image::GetRawFormat and ImageCodecInfo::FormatID).
extern const GUID ImageFormatMemoryBMP;
extern const GUID ImageFormatBMP;
extern const GUID ImageFormatJPEG;
extern const GUID ImageFormatPNG;
extern const GUID ImageFormatGIF;
extern const GUID ImageFormatTIFF;

}  // namespace Gdiplus
