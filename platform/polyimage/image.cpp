// The image buffer: allocation, fill, copy and grey-to-colour.
#include <sys/mman.h>

#include <cstdlib>
#include <mutex>

#include "platform/polyimage/polyimage_pvt.h"

namespace pip {

namespace {

constexpr size_t kHuge = size_t(2) << 20;

// Freed large buffers kept for the next image of about the same size: a page is composed from
// many same-sized steps, and fresh memory costs a page fault per page on first touch.
class BlockCache {
 public:
  static constexpr size_t kMaxBytes = size_t(96) << 20;
  static constexpr size_t kMaxBlocks = 8;

  void* Take(size_t bytes) {
    std::lock_guard<std::mutex> lock(m_lock);
    size_t best = m_blocks.size();
    for (size_t i = 0; i < m_blocks.size(); ++i)
      if (m_blocks[i].bytes >= bytes && m_blocks[i].bytes <= bytes * 2 &&
          (best == m_blocks.size() || m_blocks[i].bytes < m_blocks[best].bytes))
        best = i;
    if (best == m_blocks.size()) return nullptr;
    void* p = m_blocks[best].p;
    m_total -= m_blocks[best].bytes;
    m_blocks.erase(m_blocks.begin() + ptrdiff_t(best));
    return p;
  }
  bool Keep(void* p, size_t bytes) {
#if defined(__SANITIZE_ADDRESS__)
    return false;  // freed memory goes back at once, where the sanitizer watches it
#endif
    std::lock_guard<std::mutex> lock(m_lock);
    if (bytes > kMaxBytes / 2) return false;
    while (!m_blocks.empty() && (m_total + bytes > kMaxBytes || m_blocks.size() >= kMaxBlocks)) {
      std::free(m_blocks.front().p);  // the oldest goes first
      m_total -= m_blocks.front().bytes;
      m_blocks.erase(m_blocks.begin());
    }
    m_blocks.push_back({p, bytes});
    m_total += bytes;
    return true;
  }
 private:
  struct Block {
    void* p;
    size_t bytes;
  };
  std::mutex m_lock;
  std::vector<Block> m_blocks;
  size_t m_total = 0;
};

// Never destroyed: images held by other statics may be freed after it would be.
BlockCache& Cache() {
  static BlockCache* cache = new BlockCache;
  return *cache;
}

size_t Rounded(size_t n) { return (n + kHuge - 1) / kHuge * kHuge; }

}  // namespace

uint8_t* AllocatePixels(size_t n) {
  void* p = nullptr;
  if (n >= 2 * kHuge) {
    size_t rounded = Rounded(n);
    p = Cache().Take(rounded);
    if (!p) {
      p = std::aligned_alloc(kHuge, rounded);
      if (p) ::madvise(p, rounded, MADV_HUGEPAGE);
    }
  } else {
    p = std::malloc(n);
  }
  if (!p) throw std::bad_alloc();
  return static_cast<uint8_t*>(p);
}

void FreePixels::operator()(uint8_t* p) const {
  if (p && size >= 2 * kHuge) {
    try {
      if (Cache().Keep(p, Rounded(size))) return;
    } catch (...) {
      // No room to note it: it is simply freed.
    }
  }
  std::free(p);
}

bool ValidSize(int64_t width, int64_t height) {
  return width > 0 && height > 0 && width <= kMaxSide && height <= kMaxSide && width * height <= kMaxPixels;
}

bool Allocate(Image& image, int width, int height, int channels) {
  if (!ValidSize(width, height) || (channels != 1 && channels != 3)) return false;
  image.pixels = Bytes(size_t(width) * height * channels);
  image.alpha = Bytes();
  image.width = width;
  image.height = height;
  image.channels = channels;
  return true;
}

void Fill(Image& image, COLORREF colour) {
  uint8_t* p = image.pixels.data();
  size_t count = size_t(image.width) * image.height;
  if (image.channels == 1) {
    std::memset(p, (GetRValue(colour) * 77 + GetGValue(colour) * 150 + GetBValue(colour) * 29) >> 8, count);
    return;
  }
  const uint8_t b = GetBValue(colour), g = GetGValue(colour), r = GetRValue(colour);
  if (b == g && g == r) {
    std::memset(p, b, count * 3);
    return;
  }
  for (size_t i = 0; i < count; ++i, p += 3) {
    p[0] = b;
    p[1] = g;
    p[2] = r;
  }
}

Image Image::Clone() const {
  Image copy;
  copy.width = width;
  copy.height = height;
  copy.channels = channels;
  copy.pixels = pixels.Clone();
  copy.alpha = alpha.Clone();
  copy.format = format;
  copy.orientation = orientation;
  copy.xDpi = xDpi;
  copy.yDpi = yDpi;
  return copy;
}

bool ToColour(Image& image) {
  if (image.channels != 1) return true;
  Bytes colour(size_t(image.width) * image.height * 3);
  const uint8_t* g = image.pixels.data();
  uint8_t* c = colour.data();
  size_t count = size_t(image.width) * image.height;
  for (size_t i = 0; i < count; ++i) c[3 * i] = c[3 * i + 1] = c[3 * i + 2] = g[i];
  image.pixels = std::move(colour);
  image.channels = 3;
  return true;
}

}  // namespace pip
