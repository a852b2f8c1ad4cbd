// Times the photobooth's effects on a 12 MP photo (4000 x 3000): the green-screen replacement
// with an 1800 x 1200 background file, the toned black and white, and an 1800 x 1200 RGBA
// overlay merged over the whole photo. Beside each, in the same run and process, libvips
// through its C API does the same work with output to memory: the background loaded, resized
// and chosen through a band-math mask (ifthenelse); the photo turned b-w and mapped through a
// 256-entry table (maplut); the overlay resized and blended by its alpha (integer ifthenelse).
// Usage: effects_bench [repeats]
#include <unistd.h>
#include <vips/vips.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "app/PhotoboothEffects.h"
#include "platform/polyimage/polyimage.h"
#include "support/Toning.h"

namespace {

using Clock = std::chrono::steady_clock;
int g_repeats = 5;
const int kWidth = 4000, kHeight = 3000;

// Best of the repeats; `prepare` runs untimed before each.
double Best(const std::function<void()>& prepare, const std::function<bool()>& work) {
  prepare();
  if (!work()) return -1;
  double best = 1e30;
  for (int i = 0; i < g_repeats; ++i) {
    prepare();
    auto start = Clock::now();
    if (!work()) return -1;
    best = std::min(best, std::chrono::duration<double, std::milli>(Clock::now() - start).count());
  }
  return best;
}

// A guest in front of a green screen: a green frame around a skin-toned middle with a gradient.
std::vector<BYTE> MakePhoto() {
  std::vector<BYTE> bgr(size_t(kWidth) * kHeight * 3);
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < kWidth; ++x) {
      BYTE* p = &bgr[(size_t(y) * kWidth + x) * 3];
      bool guest = x > kWidth / 3 && x < 2 * kWidth / 3 && y > kHeight / 4;
      if (guest) p[0] = BYTE(80 + x % 60), p[1] = BYTE(120 + y % 50), p[2] = BYTE(190 + (x + y) % 60);
      else p[0] = BYTE(40 + y % 30), p[1] = BYTE(180 + x % 60), p[2] = BYTE(50 + (x ^ y) % 40);
    }
  return bgr;
}

bool SaveFile(const std::string& path, int width, int height, bool alpha, int format) {
  PipSession image;
  std::vector<BYTE> bgr(size_t(width) * height * 3);
  for (size_t i = 0; i < bgr.size(); ++i) bgr[i] = BYTE((i * 7) >> 5);
  if (!cLoadImage8(image.m_hSession, bgr.data(), DWORD(bgr.size()), width, height, 0, 0, 0)) return false;
  if (alpha) {
    std::vector<BYTE> mask(size_t(width) * height);
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x) {
        int edge = std::min(std::min(x, width - 1 - x), std::min(y, height - 1 - y));
        mask[size_t(y) * width + x] = edge < 100 ? 255 : edge < 140 ? 128 : 0;
      }
    if (!cLoadAlphaMask(image.m_hSession, mask.data())) return false;
  }
  return cSave(image.m_hSession, path.c_str(), format, 0, 0, 0) != 0;
}

struct Vips {
  VipsImage* photo = nullptr;    // the photo's bytes, wrapped
  VipsImage* overlay = nullptr;  // the overlay decoded once into memory
  VipsImage* lut = nullptr;      // 256 x 1, three bands
  std::vector<BYTE> lutBytes;
};

// Writes the result to memory and frees everything made on the way.
bool Finish(VipsImage* result, std::vector<VipsImage*> made) {
  size_t size = 0;
  void* bytes = result ? vips_image_write_to_memory(result, &size) : nullptr;
  g_free(bytes);
  if (result) g_object_unref(result);
  for (VipsImage* image : made)
    if (image) g_object_unref(image);
  return bytes != nullptr && size >= size_t(kWidth) * kHeight * 3;
}

bool VipsGreenscreen(const Vips& v, const std::string& backgroundPath, const GreenScreenKey& key) {
  VipsImage *bg = nullptr, *big = nullptr, *b = nullptr, *g = nullptr, *r = nullptr, *out = nullptr;
  VipsImage *gr = nullptr, *gb = nullptr, *r256 = nullptr, *b256 = nullptr;
  VipsImage *m1 = nullptr, *m2 = nullptr, *m3 = nullptr, *m12 = nullptr, *mask = nullptr;
  bg = vips_image_new_from_file(backgroundPath.c_str(), "access", VIPS_ACCESS_SEQUENTIAL, nullptr);
  bool ok = bg && !vips_resize(bg, &big, double(kWidth) / 1800, "vscale", double(kHeight) / 1200, "kernel",
                          VIPS_KERNEL_LINEAR, nullptr);
  ok = ok && !vips_extract_band(v.photo, &b, 0, nullptr) && !vips_extract_band(v.photo, &g, 1, nullptr) &&
       !vips_extract_band(v.photo, &r, 2, nullptr);
  ok = ok && !vips_linear1(g, &gr, key.redPercentage, 0, nullptr) &&
       !vips_linear1(g, &gb, key.bluePercentage, 0, nullptr) && !vips_linear1(r, &r256, 256, 0, nullptr) &&
       !vips_linear1(b, &b256, 256, 0, nullptr);
  ok = ok && !vips_relational_const1(g, &m1, VIPS_OPERATION_RELATIONAL_MORE, key.threshold, nullptr) &&
       !vips_relational(r256, gr, &m2, VIPS_OPERATION_RELATIONAL_LESS, nullptr) &&
       !vips_relational(b256, gb, &m3, VIPS_OPERATION_RELATIONAL_LESS, nullptr);
  ok = ok && !vips_boolean(m1, m2, &m12, VIPS_OPERATION_BOOLEAN_AND, nullptr) &&
       !vips_boolean(m12, m3, &mask, VIPS_OPERATION_BOOLEAN_AND, nullptr);
  ok = ok && !vips_ifthenelse(mask, big, v.photo, &out, nullptr);
  return Finish(ok ? out : nullptr, {bg, big, b, g, r, gr, gb, r256, b256, m1, m2, m3, m12, mask}) && ok;
}

bool VipsToning(const Vips& v) {
  VipsImage *srgb = nullptr, *bw = nullptr, *out = nullptr;
  bool ok = !vips_copy(v.photo, &srgb, "interpretation", VIPS_INTERPRETATION_sRGB, nullptr) &&
            !vips_colourspace(srgb, &bw, VIPS_INTERPRETATION_B_W, nullptr) && !vips_maplut(bw, &out, v.lut, nullptr);
  return Finish(ok ? out : nullptr, {srgb, bw}) && ok;
}

bool VipsOverlay(const Vips& v) {
  VipsImage *big = nullptr, *rgb = nullptr, *alpha = nullptr, *out = nullptr;
  bool ok = !vips_resize(v.overlay, &big, double(kWidth) / 1800, "vscale", double(kHeight) / 1200, "kernel",
                         VIPS_KERNEL_LINEAR, nullptr) &&
            !vips_extract_band(big, &rgb, 0, "n", 3, nullptr) && !vips_extract_band(big, &alpha, 3, nullptr) &&
            !vips_ifthenelse(alpha, rgb, v.photo, &out, "blend", TRUE, nullptr);
  return Finish(ok ? out : nullptr, {big, rgb, alpha}) && ok;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc > 1) g_repeats = std::max(1, std::atoi(argv[1]));
  if (VIPS_INIT(argv[0])) {
    std::fprintf(stderr, "libvips did not start\n");
    return 1;
  }
  std::string folder = (std::filesystem::temp_directory_path() / ("effects-bench-" + std::to_string(getpid()))).string();
  std::filesystem::create_directories(folder);
  const std::string backgroundPath = folder + "/background.jpg", overlayPath = folder + "/overlay.png";
  if (!SaveFile(backgroundPath, 1800, 1200, false, PIP_FORMAT_JPEG) ||
      !SaveFile(overlayPath, 1800, 1200, true, PIP_FORMAT_PNG)) {
    std::fprintf(stderr, "cannot write the test pictures in %s\n", folder.c_str());
    return 1;
  }
  const std::vector<BYTE> photoBytes = MakePhoto();
  BuildToningTable(200 / 360.0, 0.4);
  GreenScreenKey key;
  key.enable = TRUE;

  PipSession photo, overlay;
  if (!cLoadImage(overlay.m_hSession, overlayPath.c_str(), 0, 0, 0)) return 1;
  auto reset = [&] {
    cLoadImage8(photo.m_hSession, photoBytes.data(), DWORD(photoBytes.size()), kWidth, kHeight, 0, 0, 0);
  };

  Vips v;
  v.photo = vips_image_new_from_memory(photoBytes.data(), photoBytes.size(), kWidth, kHeight, 3, VIPS_FORMAT_UCHAR);
  VipsImage* overlayFile = vips_image_new_from_file(overlayPath.c_str(), nullptr);
  v.overlay = overlayFile ? vips_image_copy_memory(overlayFile) : nullptr;
  for (int i = 0; i < 256; ++i)
    for (int c = 0; c < 3; ++c) v.lutBytes.push_back(g_toningTable[i][c]);
  v.lut = vips_image_new_from_memory(v.lutBytes.data(), v.lutBytes.size(), 256, 1, 3, VIPS_FORMAT_UCHAR);
  if (!v.photo || !v.overlay || !v.lut) {
    std::fprintf(stderr, "libvips could not read the test pictures\n");
    return 1;
  }

  struct Row {
    const char* name;
    double ours, vips;
  } rows[] = {
      {"ApplyGreenscreen (1800x1200 background file)",
       Best(reset, [&] { ApplyGreenscreen(photo, backgroundPath.c_str(), key, PIP_RESAMPLE_FAST); return true; }),
       Best([] {}, [&] { return VipsGreenscreen(v, backgroundPath, key); })},
      {"ApplyMonochromeToning", Best(reset, [&] { ApplyMonochromeToning(photo); return true; }),
       Best([] {}, [&] { return VipsToning(v); })},
      {"MergeOverlay (1800x1200 RGBA)", Best(reset, [&] { MergeOverlay(photo, overlay, PIP_RESAMPLE_FAST); return true; }),
       Best([] {}, [&] { return VipsOverlay(v); })},
  };
  std::printf("12 MP photo (%d x %d), best of %d, milliseconds\n\n", kWidth, kHeight, g_repeats);
  std::printf("| effect | tavorin | libvips | ratio |\n|---|---:|---:|---:|\n");
  for (const Row& row : rows)
    std::printf("| %s | %.1f | %.1f | %.2fx |\n", row.name, row.ours, row.vips,
                row.vips > 0 ? row.ours / row.vips : 0.0);
  g_object_unref(v.photo);
  g_object_unref(v.lut);
  g_object_unref(v.overlay);
  if (overlayFile) g_object_unref(overlayFile);
  std::filesystem::remove_all(folder);
  vips_shutdown();
  return 0;
}
