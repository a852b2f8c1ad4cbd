// Saving as JPEG (with an Exif APP1 carrying resolution and dates) or PNG.
#include "platform/polyimage/polyimage_pvt.h"

namespace pip {
namespace {

bool Encode(Session* s, int format, std::vector<uint8_t>& out) {
  if (s->image.Empty()) return false;
  // A resolution set on the session wins over the one the file came with.
  if (s->xDpi > 0 && s->yDpi > 0) s->image.xDpi = s->xDpi, s->image.yDpi = s->yDpi;
  if (format == PIP_FORMAT_JPEG) {
    return EncodeJpeg(s->image, s->jpegQuality,
                      BuildExifApp1(s->hasExif ? &s->exif : nullptr, s->image.xDpi, s->image.yDpi), out);
  }
  if (format == PIP_FORMAT_PNG) return EncodePng(s->image, out);
  return false;
}

}  // namespace
}  // namespace pip

using namespace pip;

int cSave(int session, LPCSTR path, int format, int, int, int) {
  return Guard("cSave", [&] {
    Session* s = Find(session);
    std::vector<uint8_t> bytes;
    if (!s || !Encode(s, format, bytes)) {
      Fail("cSave", "nothing to save or unknown format");
      return 0;
    }
    if (!WriteFileAtomic(path, bytes.data(), bytes.size())) {
      Fail("cSave", "cannot write the file");
      return 0;
    }
    return 1;
  });
}

int cSaveToMemory(int session, int format, PolyArray* out, int, int) {
  return Guard("cSaveToMemory", [&] {
    Session* s = Find(session);
    if (!s || !out || !Encode(s, format, out->Bytes())) return 0;
    return 1;
  });
}
