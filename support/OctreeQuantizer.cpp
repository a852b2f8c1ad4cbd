// Octree colour quantizer: 7 levels (the lowest bit of each channel is dropped), nodes from
// pools, a min-heap of the foldable nodes ordered by child count, then by weighted pixel count.
#include "support/OctreeQuantizer.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

#include "support/PaletteRefiner.h"

BOOL g_bDitherGIFs = FALSE;

namespace {

constexpr int kRefinePasses = 4;

struct OctreeNode {
  uint64_t red, green, blue;  // sums of the pixels counted here; averages once the palette is made
  uint32_t count;
  uint32_t heapIndex;  // 0 while the node is not in the heap
  uint8_t childCount;
  uint8_t childIndex;
  uint8_t depth;
  uint8_t paletteIndex;
  OctreeNode* children[8];
  OctreeNode* parent;
};

// Nodes come in zeroed blocks of 2048; node 0 of a block links to the previous block.
class NodePool {
 public:
  static constexpr int kBlockSize = 2048;
  ~NodePool() {
    while (block_) {
      OctreeNode* previous = block_[0].parent;
      std::free(block_);
      block_ = previous;
    }
  }
  OctreeNode* Take() {
    if (next_ <= 1) {
      auto* block = static_cast<OctreeNode*>(std::calloc(kBlockSize, sizeof(OctreeNode)));
      if (!block) throw std::bad_alloc();
      block[0].parent = block_;
      block_ = block;
      next_ = kBlockSize;
    }
    return &block_[--next_];
  }

 private:
  OctreeNode* block_ = nullptr;
  int next_ = 0;
};

// 1-based binary min-heap; childless nodes first, then the smaller count >> depth.
class NodeHeap {
 public:
  NodeHeap() { nodes_.reserve(1024); nodes_.push_back(nullptr); }
  size_t Size() const { return nodes_.size() - 1; }
  OctreeNode* At(size_t i) const { return nodes_[i]; }

  void AddOrUpdate(OctreeNode* node) {
    if (!node->heapIndex) {
      if (nodes_.size() == nodes_.capacity()) nodes_.reserve(nodes_.capacity() + 1024);
      nodes_.push_back(node);
      node->heapIndex = uint32_t(Size());
      SiftUp(node->heapIndex);
      return;
    }
    SiftDown(node->heapIndex);
    SiftUp(node->heapIndex);
  }

  OctreeNode* PopFirst() {
    OctreeNode* first = nodes_[1];
    OctreeNode* last = nodes_.back();
    nodes_.pop_back();
    first->heapIndex = 0;
    if (Size() > 0) {
      nodes_[1] = last;
      last->heapIndex = 1;
      SiftDown(1);
    }
    return first;
  }

 private:
  static bool Before(const OctreeNode* a, const OctreeNode* b) {
    if (a->childCount != b->childCount) return a->childCount < b->childCount;
    return (a->count >> a->depth) < (b->count >> b->depth);
  }
  void Place(size_t i, OctreeNode* node) {
    nodes_[i] = node;
    node->heapIndex = uint32_t(i);
  }
  void SiftUp(size_t i) {
    OctreeNode* node = nodes_[i];
    while (i > 1 && Before(node, nodes_[i / 2])) {
      Place(i, nodes_[i / 2]);
      i /= 2;
    }
    Place(i, node);
  }
  void SiftDown(size_t i) {
    OctreeNode* node = nodes_[i];
    size_t n = Size();
    for (;;) {
      size_t child = i * 2;
      if (child > n) break;
      if (child + 1 <= n && Before(nodes_[child + 1], nodes_[child])) ++child;
      if (!Before(nodes_[child], node)) break;
      Place(i, nodes_[child]);
      i = child;
    }
    Place(i, node);
  }

  std::vector<OctreeNode*> nodes_;
};

inline int Slot(uint8_t red, uint8_t green, uint8_t blue, uint8_t bit) {
  return ((green & bit) ? 4 : 0) | ((red & bit) ? 2 : 0) | ((blue & bit) ? 1 : 0);
}

class Octree {
 public:
  Octree() : root_(pool_.Take()) {}

  void Insert(uint8_t red, uint8_t green, uint8_t blue) {
    OctreeNode* node = root_;
    uint8_t depth = 1;
    for (uint8_t bit = 128; bit >= 2; bit >>= 1, ++depth) {
      int slot = Slot(red, green, blue, bit);
      OctreeNode*& child = node->children[slot];
      if (!child) {
        child = pool_.Take();
        child->childIndex = uint8_t(slot);
        child->depth = depth;
        child->parent = node;
        ++node->childCount;
      }
      node = child;
    }
    node->red += red;
    node->green += green;
    node->blue += blue;
    ++node->count;
    heap_.AddOrUpdate(node);
  }

  void Reduce(size_t colours) {
    while (heap_.Size() > colours) {
      OctreeNode* node = heap_.PopFirst();
      OctreeNode* parent = node->parent;
      if (!parent) break;  // only the root is left
      parent->red += node->red;
      parent->green += node->green;
      parent->blue += node->blue;
      parent->count += node->count;
      --parent->childCount;
      parent->children[node->childIndex] = nullptr;
      heap_.AddOrUpdate(parent);
    }
  }

  /// Writes the heap's averages into palette entries 0..n-1; returns n.
  UINT BuildPalette(Gdiplus::ARGB* entries) {
    size_t n = heap_.Size();
    for (size_t i = 1; i <= n; ++i) {
      OctreeNode* node = heap_.At(i);
      uint32_t count = node->count ? node->count : 1;
      auto average = [count](uint64_t sum) { return uint64_t(double(sum) / count + 0.5); };
      node->red = average(node->red);
      node->green = average(node->green);
      node->blue = average(node->blue);
      node->paletteIndex = uint8_t(i - 1);
      entries[i - 1] = 0xff000000u | Gdiplus::ARGB(node->red << 16) | Gdiplus::ARGB(node->green << 8) | Gdiplus::ARGB(node->blue);
    }
    return UINT(n);
  }

  uint8_t Map(uint8_t red, uint8_t green, uint8_t blue) const {
    const OctreeNode* node = root_;
    for (uint8_t bit = 128; bit >= 2; bit >>= 1) {
      const OctreeNode* child = node->children[Slot(red, green, blue, bit)];
      if (!child) break;
      node = child;
    }
    return node->paletteIndex;
  }

 private:
  NodePool pool_;
  NodeHeap heap_;
  OctreeNode* root_;
};

struct BitsLock {
  Gdiplus::Bitmap* bitmap;
  Gdiplus::BitmapData data{};
  bool locked = false;
  BitsLock(Gdiplus::Bitmap* b, UINT mode, Gdiplus::PixelFormat format) : bitmap(b) {
    locked = bitmap->LockBits(nullptr, mode, format, &data) == Gdiplus::Ok;
  }
  ~BitsLock() {
    if (locked) bitmap->UnlockBits(&data);
  }
};

}  // namespace

Gdiplus::Bitmap* QuantizeToIndexedBitmap(Gdiplus::Bitmap* source) {
  using namespace Gdiplus;
  if (g_bDitherGIFs || !source) return nullptr;
  INT width = INT(source->GetWidth());
  INT height = INT(source->GetHeight());
  if (width <= 0 || height <= 0) return nullptr;
  try {
    BitsLock in(source, ImageLockModeRead, PixelFormat24bppRGB);
    if (!in.locked) return nullptr;
    auto row = [&in](INT y) { return static_cast<const BYTE*>(in.data.Scan0) + ptrdiff_t(y) * in.data.Stride; };

    Octree tree;
    for (INT y = 0; y < height; ++y) {
      const BYTE* p = row(y);
      for (INT x = 0; x < width; ++x, p += 3) tree.Insert(p[2], p[1], p[0]);
    }
    tree.Reduce(256);

    std::unique_ptr<Bitmap> result(new Bitmap(width, height, PixelFormat8bppIndexed));
    if (result->GetLastStatus() != Ok) return nullptr;
    INT paletteSize = result->GetPaletteSize();
    std::vector<BYTE> paletteBytes(size_t(paletteSize > 0 ? paletteSize : 0) + sizeof(ColorPalette) + 256 * sizeof(Gdiplus::ARGB));
    auto* palette = reinterpret_cast<ColorPalette*>(paletteBytes.data());
    if (result->GetPalette(palette, paletteSize) != Ok) return nullptr;
    palette->Count = 256;
    palette->Flags = 0;
    UINT leaves = tree.BuildPalette(palette->Entries);

    // The octree's leaves seed a few k-means passes; each pixel then takes its nearest entry,
    // which the leaf it falls in often is not.
    PaletteRefiner refiner(static_cast<const BYTE*>(in.data.Scan0), in.data.Stride, width, height);
    std::vector<uint8_t> guess(refiner.DistinctColours());
    for (size_t i = 0; i < guess.size(); ++i) {
      uint32_t c = refiner.Colours()[i];
      guess[i] = tree.Map(uint8_t(c >> 16), uint8_t(c >> 8), uint8_t(c));
    }
    refiner.SetFirstGuess(guess);
    std::vector<uint32_t> colours(leaves);
    for (UINT i = 0; i < leaves; ++i) colours[i] = palette->Entries[i] & 0xffffffu;
    refiner.Refine(colours, kRefinePasses);

    std::vector<BYTE> indexes(size_t(width) * size_t(height));
    refiner.Map(colours, indexes.data(), width);
    for (size_t i = 0; i < colours.size(); ++i) palette->Entries[i] = 0xff000000u | colours[i];
    if (result->SetPalette(palette) != Ok) return nullptr;

    BitsLock out(result.get(), ImageLockModeWrite, PixelFormat8bppIndexed);
    if (!out.locked) return nullptr;
    for (INT y = 0; y < height; ++y)
      std::memcpy(static_cast<BYTE*>(out.data.Scan0) + ptrdiff_t(y) * out.data.Stride,
                  indexes.data() + size_t(y) * size_t(width), size_t(width));
    if (result->UnlockBits(&out.data) != Ok) return nullptr;
    out.locked = false;
    return result.release();
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}
