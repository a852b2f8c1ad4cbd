// Handle bookkeeping, stock objects, SelectObject and DeleteObject.
#include <cstring>
#include <mutex>
#include <unordered_map>

#include "platform/gdi/gdi_p.h"
#include "platform/gdi/objects.h"
#include "platform/win32/error.h"

namespace gdi_p {
namespace {

std::mutex& HandleMutex() {
  static std::mutex m;
  return m;
}
std::unordered_map<const void*, HandleType>& LiveHandles() {
  static std::unordered_map<const void*, HandleType> handles;
  return handles;
}

}  // namespace

void RegisterHandle(const void* handle, HandleType type) {
  std::lock_guard<std::mutex> lock(HandleMutex());
  LiveHandles()[handle] = type;
}

void UnregisterHandle(const void* handle) {
  std::lock_guard<std::mutex> lock(HandleMutex());
  LiveHandles().erase(handle);
}

bool IsLiveHandle(const void* handle, HandleType type) {
  if (!handle) return false;
  std::lock_guard<std::mutex> lock(HandleMutex());
  auto it = LiveHandles().find(handle);
  return it != LiveHandles().end() && it->second == type;
}

Object* ObjectFromHandle(HGDIOBJ handle) {
  if (!IsLiveHandle(handle)) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  return static_cast<Object*>(handle);
}

namespace {
template <typename T>
T* Typed(HGDIOBJ handle, Kind kind) {
  Object* object = ObjectFromHandle(handle);
  if (!object || object->kind != kind) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  return static_cast<T*>(object);
}
}  // namespace

Pen* PenFromHandle(HGDIOBJ handle) { return Typed<Pen>(handle, Kind::Pen); }
Brush* BrushFromHandle(HGDIOBJ handle) { return Typed<Brush>(handle, Kind::Brush); }
Font* FontFromHandle(HGDIOBJ handle) { return Typed<Font>(handle, Kind::Font); }
Bitmap* BitmapFromHandle(HGDIOBJ handle) { return Typed<Bitmap>(handle, Kind::Bitmap); }
Region* RegionFromHandle(HGDIOBJ handle) { return Typed<Region>(handle, Kind::Region); }

Object* StockObject(int index) {
  static std::once_flag once;
  static Object* stock[kStockCount] = {};
  std::call_once(once, [] {
    auto brush = [](COLORREF c, UINT style = BS_SOLID) {
      auto* b = new Brush;
      b->color = c;
      b->style = style;
      return b;
    };
    auto pen = [](COLORREF c, DWORD style = PS_SOLID) {
      auto* p = new Pen;
      p->color = c;
      p->style = style;
      return p;
    };
    stock[WHITE_BRUSH] = brush(RGB(255, 255, 255));
    stock[LTGRAY_BRUSH] = brush(RGB(192, 192, 192));
    stock[GRAY_BRUSH] = brush(RGB(128, 128, 128));
    stock[DKGRAY_BRUSH] = brush(RGB(64, 64, 64));
    stock[BLACK_BRUSH] = brush(RGB(0, 0, 0));
    stock[NULL_BRUSH] = brush(0, BS_NULL);
    stock[WHITE_PEN] = pen(RGB(255, 255, 255));
    stock[BLACK_PEN] = pen(RGB(0, 0, 0));
    stock[NULL_PEN] = pen(0, PS_NULL);
    auto* font = new Font;
    font->lf.lfHeight = -12;
    font->lf.lfWeight = FW_NORMAL;
    std::strcpy(font->lf.lfFaceName, "Arial");
    stock[DEFAULT_GUI_FONT] = font;
    auto* bitmap = new Bitmap;  // what a new memory DC has selected
    bitmap->image = QImage(1, 1, QImage::Format_RGB32);
    bitmap->image.fill(Qt::black);
    stock[kStockBitmap] = bitmap;
    for (Object* object : stock)
      if (object) {
        object->stock = true;
        RegisterHandle(object);
      }
  });
  if (index < 0 || index >= kStockCount) return nullptr;
  return stock[index];
}

}  // namespace gdi_p

using namespace gdi_p;

HGDIOBJ GetStockObject(int index) { return index <= DEFAULT_GUI_FONT ? StockObject(index) : nullptr; }

HGDIOBJ SelectObject(HDC hdc, HGDIOBJ handle) {
  DC* dc = DcFromHandle(hdc);
  Object* object = ObjectFromHandle(handle);
  if (!dc || !object) return nullptr;
  auto swap = [&](auto*& slot) -> HGDIOBJ {
    using T = std::remove_reference_t<decltype(*slot)>;
    T* previous = slot;
    slot = static_cast<T*>(object);
    ++object->selectedCount;
    if (previous) --previous->selectedCount;
    return previous;
  };
  switch (object->kind) {
    case Kind::Pen:
      return swap(dc->pen);
    case Kind::Brush:
      return swap(dc->brush);
    case Kind::Font:
      return swap(dc->font);
    case Kind::Bitmap: {
      auto* bitmap = static_cast<Bitmap*>(object);
      if (dc->kind != DcKind::Memory) return nullptr;
      if (bitmap == dc->bitmap) return bitmap;
      // One bitmap can be drawn on by one DC at a time.
      if (bitmap->selectedIn && !bitmap->stock) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
      }
      Bitmap* previous = dc->bitmap;
      SetDevice(*dc, nullptr, nullptr);
      if (previous) {
        if (previous->selectedIn == dc) previous->selectedIn = nullptr;
        --previous->selectedCount;
      }
      dc->bitmap = bitmap;
      if (!bitmap->stock) bitmap->selectedIn = dc;
      ++bitmap->selectedCount;
      dc->base = bitmap->bottomUp ? QTransform(1, 0, 0, -1, 0, bitmap->image.height()) : QTransform();
      dc->clip.reset();
      SetDevice(*dc, &bitmap->image, &bitmap->image);
      return previous;
    }
    case Kind::Region:
      return nullptr;
  }
  return nullptr;
}

BOOL DeleteObject(HGDIOBJ handle) {
  Object* object = ObjectFromHandle(handle);
  if (!object) return FALSE;
  if (object->stock) return TRUE;
  // Deleting a selected object would leave the DC drawing with freed memory.
  if (object->selectedCount > 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  UnregisterHandle(object);
  delete object;
  return TRUE;
}

DWORD GetObjectType(HGDIOBJ handle) {
  if (IsLiveHandle(handle, HandleType::DC))
    return static_cast<DC*>(handle)->kind == DcKind::Memory ? OBJ_MEMDC : OBJ_DC;
  Object* object = ObjectFromHandle(handle);
  if (!object) return 0;
  switch (object->kind) {
    case Kind::Pen:
      return static_cast<Pen*>(object)->extended ? OBJ_EXTPEN : OBJ_PEN;
    case Kind::Brush:
      return OBJ_BRUSH;
    case Kind::Font:
      return OBJ_FONT;
    case Kind::Bitmap:
      return OBJ_BITMAP;
    case Kind::Region:
      return OBJ_REGION;
  }
  return 0;
}

int GetObjectA(HGDIOBJ handle, int size, LPVOID buffer) {
  Object* object = ObjectFromHandle(handle);
  if (!object) return 0;
  auto give = [&](const void* record, int recordSize) {
    if (!buffer) return recordSize;
    if (size < recordSize) {
      SetLastError(ERROR_INSUFFICIENT_BUFFER);
      return 0;
    }
    std::memcpy(buffer, record, recordSize);
    return recordSize;
  };
  switch (object->kind) {
    case Kind::Font:
      return give(&static_cast<Font*>(object)->lf, sizeof(LOGFONTA));
    case Kind::Brush: {
      auto* b = static_cast<Brush*>(object);
      LOGBRUSH lb{b->style, b->color, 0};
      return give(&lb, sizeof lb);
    }
    case Kind::Bitmap: {
      auto* b = static_cast<Bitmap*>(object);
      BITMAP bm{};
      bm.bmWidth = b->image.width();
      bm.bmHeight = b->image.height();
      bm.bmWidthBytes = static_cast<LONG>(b->image.bytesPerLine());
      bm.bmPlanes = 1;
      bm.bmBitsPixel = static_cast<WORD>(b->image.depth());
      bm.bmBits = b->storage.empty() ? nullptr : b->storage.data();
      return give(&bm, sizeof bm);
    }
    case Kind::Pen:
    case Kind::Region:
      break;
  }
  SetLastError(ERROR_INVALID_PARAMETER);
  return 0;
}
