// Inside the GDI layer: what handles point to, and the DC's drawing state on Qt.
// Handles are pointers to these objects, checked against a live set before use so that a
// stale or foreign handle fails the call instead of crashing.
#pragma once

#include <QBrush>
#include <QImage>
#include <QPainter>
#include <QPen>
#include <QRegion>
#include <QString>
#include <QTransform>
#include <memory>
#include <optional>
#include <vector>

#include "platform/gdi/types.h"

class QFont;
class QPaintDevice;

namespace gdi_p {

enum class Kind { Pen, Brush, Font, Bitmap, Region };

struct Object {
  explicit Object(Kind k) : kind(k) {}
  virtual ~Object() = default;
  Kind kind;
  bool stock = false;
  int selectedCount = 0;  // DCs holding it; such an object is not deleted
};

struct Pen : Object {
  Pen() : Object(Kind::Pen) {}
  DWORD style = PS_SOLID;  // style, end cap, join, geometric flag
  int width = 0;
  COLORREF color = 0;
  bool extended = false;
};

struct Brush : Object {
  Brush() : Object(Kind::Brush) {}
  UINT style = BS_SOLID;
  COLORREF color = 0;
};

struct Font : Object {
  Font() : Object(Kind::Font) {}
  LOGFONTA lf{};
};

/// The rows of a DIB section: zeroed memory that the kernel hands out page by page as the
/// rows are first written, on huge pages where it can, so a large photo is not cleared twice.
class DibStorage {
 public:
  DibStorage() = default;
  DibStorage(const DibStorage&) = delete;
  DibStorage& operator=(const DibStorage&) = delete;
  ~DibStorage();
  /// False when the memory cannot be had; the storage stays empty then.
  bool Allocate(size_t bytes);
  unsigned char* data() const { return m_data; }
  bool empty() const { return m_size == 0; }

 private:
  unsigned char* m_data = nullptr;
  size_t m_size = 0;
  void* m_mapping = nullptr;
  size_t m_mappingSize = 0;
};

struct Bitmap : Object {
  Bitmap() : Object(Kind::Bitmap) {}
  QImage image;        // for bottom-up DIB sections, a view of the rows in memory order
  bool bottomUp = false;
  DibStorage storage;  // DIB section rows, when this bitmap owns them
  class DC* selectedIn = nullptr;
};

struct Region : Object {
  Region() : Object(Kind::Region) {}
  QRegion region;
};

/// Something extra a DC carries (a print job); the DC deletes it.
struct DcExtension {
  virtual ~DcExtension() = default;
};

enum class DcKind { Memory, Device, PixelRows, Printer };

class DC {
 public:
  DcKind kind = DcKind::Memory;
  QPaintDevice* device = nullptr;   // what drawing goes to now (may be null: printer between pages)
  QImage* image = nullptr;          // the same device when its pixels can be read
  QTransform base;                  // device pixels from logical ones (flip, printable offset)
  QPainter painter;
  std::unique_ptr<QImage> ownImage; // pixel rows wrapped by CreatePixelRowsDC
  std::unique_ptr<DcExtension> extension;

  Pen* pen = nullptr;
  Brush* brush = nullptr;
  Font* font = nullptr;
  Bitmap* bitmap = nullptr;         // memory DCs only

  int rop2 = R2_COPYPEN;
  int bkMode = OPAQUE;
  COLORREF bkColor = RGB(255, 255, 255);
  COLORREF textColor = RGB(0, 0, 0);
  int stretchMode = BLACKONWHITE;
  POINT position{0, 0};
  std::optional<QRegion> clip;      // logical coordinates

  // Device capabilities; printers set their own.
  int dpiX = 96, dpiY = 96;
  int bitsPixel = 32;
  int technology = DT_RASDISPLAY;
  int horzRes = 0, vertRes = 0;     // 0: the size of the surface
  int physWidth = 0, physHeight = 0, offsetX = 0, offsetY = 0;
};

enum class HandleType { Object, DC };
/// Registers a new object or DC as a live handle.
void RegisterHandle(const void* handle, HandleType type = HandleType::Object);
void UnregisterHandle(const void* handle);
bool IsLiveHandle(const void* handle, HandleType type = HandleType::Object);

/// The live object behind a handle, or nullptr (last error set) for a bad handle or kind.
Object* ObjectFromHandle(HGDIOBJ handle);
Pen* PenFromHandle(HGDIOBJ handle);
Brush* BrushFromHandle(HGDIOBJ handle);
Font* FontFromHandle(HGDIOBJ handle);
Bitmap* BitmapFromHandle(HGDIOBJ handle);
Region* RegionFromHandle(HGDIOBJ handle);
DC* DcFromHandle(HDC handle);

/// A new DC with the default objects selected (black pen, white brush, system font).
DC* NewDC(DcKind kind);
/// Ends painting, deselects objects and frees the DC.
void FreeDC(DC* dc);
/// Points the DC at another device (ending painting on the old one). `image` when readable.
void SetDevice(DC& dc, QPaintDevice* device, QImage* image);
/// The painter, active on the current device with the base transform and clip applied;
/// nullptr when the DC has no device or painting cannot start there.
QPainter* Painter(DC& dc);
/// Ends painting so that the device's pixels are final.
void EndPainting(DC& dc);
/// The surface size in logical pixels (0x0 without a device).
QSize SurfaceSize(const DC& dc);
/// A deep copy of part of the DC's surface (logical coordinates, top-down), or a null image
/// when its pixels cannot be read.
QImage ReadableImage(DC& dc, const QRect& rect);

QColor ToQColor(COLORREF color);
COLORREF FromQColor(const QColor& color);
/// Text of the program (system code page) for Qt.
QString AnsiToQString(const char* text, int length);

/// The Qt font for a LOGFONTA: heights are pixels of the device (negative: character height,
/// positive: cell height). Escapement is not applied here.
QFont QFontFromLogFont(const LOGFONTA& lf);
/// The pen and brush as Qt draws them (a null pen or brush draws nothing).
QPen ToQPen(const Pen& pen);
QBrush ToQBrush(const Brush& brush);
/// Applies the DC's pen, brush and binary raster mode to an active painter; false for R2_NOP.
bool ApplyPenAndBrush(DC& dc, QPainter& painter, bool withPen = true, bool withBrush = true);

/// Whether fonts can be used at all (they need the GUI application object).
bool FontsAvailable();

/// Stock objects, created on first use; kStockBitmap is the 1x1 bitmap of new memory DCs.
constexpr int kStockBitmap = DEFAULT_GUI_FONT + 1;
constexpr int kStockCount = kStockBitmap + 1;
Object* StockObject(int index);

}  // namespace gdi_p
