// Reading and replacing pixels: arrays, the alpha mask, single pixels and histograms.
#include "platform/polyimage/polyimage_pvt.h"

using namespace pip;

int cGetAlphaMask(int session, PolyArray* mask) {
  return Guard("cGetAlphaMask", [&] {
    Session* s = Find(session);
    if (!s || !mask || s->image.Empty() || s->image.alpha.empty()) return 0;
    const Bytes& alpha = s->image.alpha;
    mask->Bytes().assign(alpha.data(), alpha.data() + alpha.size());
    return 1;
  });
}

int cLoadAlphaMask(int session, const BYTE* mask) {
  return Guard("cLoadAlphaMask", [&] {
    Session* s = Find(session);
    if (!s || !mask || s->image.Empty()) return 0;
    Bytes alpha(size_t(s->image.width) * s->image.height);
    std::memcpy(alpha.data(), mask, alpha.size());
    s->image.alpha = std::move(alpha);
    return 1;
  });
}

int cGetImage16(int session, PolyArray* pixels) {
  return Guard("cGetImage16", [&] {
    Session* s = Find(session);
    if (!s || !pixels || s->image.Empty()) return 0;
    const Image& image = s->image;
    std::vector<BYTE>& out = pixels->Bytes();
    if (image.channels == 3) {
      out.assign(image.pixels.data(), image.pixels.data() + image.pixels.size());
      return 1;
    }
    size_t count = size_t(image.width) * image.height;
    out.resize(count * 3);
    for (size_t i = 0; i < count; ++i) out[3 * i] = out[3 * i + 1] = out[3 * i + 2] = image.pixels.data()[i];
    return 1;
  });
}

int cGetImageChannels(int session, PolyArray* red, PolyArray* green, PolyArray* blue) {
  return Guard("cGetImageChannels", [&] {
    Session* s = Find(session);
    if (!s || !red || !green || !blue || s->image.Empty()) return 0;
    const Image& image = s->image;
    size_t count = size_t(image.width) * image.height;
    red->Bytes().resize(count);
    green->Bytes().resize(count);
    blue->Bytes().resize(count);
    const uint8_t* p = image.pixels.data();
    for (size_t i = 0; i < count; ++i, p += image.channels) {
      blue->Bytes()[i] = p[0];
      green->Bytes()[i] = p[image.channels == 3 ? 1 : 0];
      red->Bytes()[i] = p[image.channels == 3 ? 2 : 0];
    }
    return 1;
  });
}

int cGetBitsPtr(int session, BYTE** bits) {
  return Guard("cGetBitsPtr", [&] {
    Session* s = Find(session);
    if (bits) *bits = nullptr;
    if (!s || !bits || s->image.Empty() || !ToColour(s->image)) return 0;
    *bits = s->image.pixels.data();
    return 1;
  });
}

int cGetPixelColor(int session, int x, int y, COLORREF* colour) {
  Session* s = Find(session);
  if (!s || !colour || s->image.Empty() || x < 0 || y < 0 || x >= s->image.width || y >= s->image.height) return 0;
  const uint8_t* p = s->image.Row(y) + size_t(x) * s->image.channels;
  *colour = s->image.channels == 3 ? RGB(p[2], p[1], p[0]) : RGB(p[0], p[0], p[0]);
  return 1;
}

int cGetImageHistogram(int session, DWORD* counts, int channel) {
  Session* s = Find(session);
  if (!s || !counts || s->image.Empty() || channel < 1 || channel > 4) return 0;
  std::fill(counts, counts + 256, 0);
  const Image& image = s->image;
  size_t count = size_t(image.width) * image.height;
  const uint8_t* p = image.pixels.data();
  if (image.channels == 1) {
    for (size_t i = 0; i < count; ++i) ++counts[p[i]];
    return 1;
  }
  for (size_t i = 0; i < count; ++i, p += 3) {
    int level = channel == 2 ? p[2] : channel == 3 ? p[1] : channel == 4 ? p[0] : (p[0] * 29 + p[1] * 150 + p[2] * 77 + 128) >> 8;
    ++counts[level];
  }
  return 1;
}
