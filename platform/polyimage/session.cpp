// Session handles and their settings.
#include <map>
#include <mutex>

#include "platform/polyimage/polyimage_pvt.h"
#include "platform/win32/trace.h"

namespace pip {
namespace {

std::mutex g_lock;
std::map<int, std::unique_ptr<Session>>& Table() {
  static std::map<int, std::unique_ptr<Session>> table;
  return table;
}
int g_nextHandle = 1;

int Insert(std::unique_ptr<Session> session) {
  std::lock_guard<std::mutex> lock(g_lock);
  int handle = g_nextHandle++;
  Table()[handle] = std::move(session);
  return handle;
}

}  // namespace

Session* Find(int handle) {
  std::lock_guard<std::mutex> lock(g_lock);
  auto it = Table().find(handle);
  return it == Table().end() ? nullptr : it->second.get();
}

void Fail(const char* function, const char* why) { TRACE("PolyImage::%s() - %s\n", function, why); }

}  // namespace pip

using namespace pip;

int cNewSession() {
  return Guard("cNewSession", [] { return Insert(std::make_unique<Session>()); });
}

int cDupSession(int session) {
  return Guard("cDupSession", [&] {
    Session* s = Find(session);
    if (!s) return 0;
    auto copy = std::make_unique<Session>();
    copy->image = s->image.Clone();
    copy->jpegQuality = s->jpegQuality;
    copy->autoRotate = s->autoRotate;
    copy->background = s->background;
    copy->opRect = s->opRect;
    copy->hasExif = s->hasExif;
    copy->exif = s->exif;
    copy->xDpi = s->xDpi;
    copy->yDpi = s->yDpi;
    copy->inputProfile = s->inputProfile;  // the DC stays with the original
    return Insert(std::move(copy));
  });
}

int cDestroySession(int session) {
  std::unique_ptr<Session> doomed;  // freed outside the lock
  {
    std::lock_guard<std::mutex> lock(g_lock);
    auto it = Table().find(session);
    if (it == Table().end()) return 0;
    doomed = std::move(it->second);
    Table().erase(it);
  }
  ReleaseSessionDC(*doomed);
  return 1;
}

int cSetPSDParams(int session, int) { return Find(session) ? 1 : 0; }

int cSetJPEGParams(int session, int quality, double, int, int) {
  Session* s = Find(session);
  if (!s) return 0;
  s->jpegQuality = quality < 1 ? 1 : quality > 100 ? 100 : quality;
  return 1;
}

int cSetAutoRotate(int session, int enable) {
  Session* s = Find(session);
  if (!s) return 0;
  s->autoRotate = enable != 0;
  return 1;
}

int cSetCanonCRWParams(int session, int, int, int, int, int, int, int, int) { return Find(session) ? 1 : 0; }

int cSetBackgroundColor(int session, COLORREF colour) {
  Session* s = Find(session);
  if (!s) return 0;
  s->background = colour;
  return 1;
}

int cSetPhysicalPixelsPerInch(int session, int xDpi, int yDpi) {
  Session* s = Find(session);
  if (!s || xDpi < 0 || yDpi < 0 || xDpi > 65535 || yDpi > 65535) return 0;
  s->xDpi = xDpi;
  s->yDpi = yDpi;
  s->image.xDpi = xDpi;
  s->image.yDpi = yDpi;
  return 1;
}

int cGetImageInfo(int session, DWORD* width, DWORD* height, BYTE* bitsPerPixel, DWORD* xDpi, DWORD* yDpi,
                  BOOL* hasAlpha, DWORD* fileFormat, DWORD* exifOrientation, DWORD* bytesPerRow) {
  auto set = [](auto* out, auto value) {
    if (out) *out = static_cast<std::remove_pointer_t<decltype(out)>>(value);
  };
  Session* s = Find(session);
  bool ok = s && !s->image.Empty();
  const Image* im = ok ? &s->image : nullptr;
  set(width, ok ? im->width : 0);
  set(height, ok ? im->height : 0);
  set(bitsPerPixel, ok ? im->channels * 8 : 0);
  set(xDpi, ok ? im->xDpi : 0);
  set(yDpi, ok ? im->yDpi : 0);
  set(hasAlpha, ok && !im->alpha.empty() ? TRUE : FALSE);
  set(fileFormat, ok ? im->format : 0);
  set(exifOrientation, ok ? im->orientation : 0);
  set(bytesPerRow, ok ? im->Stride() : 0);
  return ok ? 1 : 0;
}

int cUnload(int session) {
  Session* s = Find(session);
  if (!s) return 0;
  s->image = Image();
  return 1;
}

int cNewImage(int session, int width, int height, COLORREF colour) {
  return Guard("cNewImage", [&] {
    Session* s = Find(session);
    Image image;
    if (!s || !Allocate(image, width, height, 3)) return 0;
    Fill(image, colour);
    image.xDpi = s->xDpi;
    image.yDpi = s->yDpi;
    s->image = std::move(image);
    return 1;
  });
}
