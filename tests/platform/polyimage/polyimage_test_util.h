// Helpers for the imaging tests: scoped sessions, temporary folders and small known images.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "platform/polyimage/polyimage.h"

namespace pip_test {

struct Session {
  int h = cNewSession();
  Session() = default;
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;
  ~Session() { cDestroySession(h); }
  operator int() const { return h; }
};

class TempDir {
 public:
  TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "tavorin-pip-XXXXXX").string();
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    m_path = mkdtemp(buffer.data()) ? buffer.data() : "";
  }
  ~TempDir() {
    std::error_code ignored;
    if (!m_path.empty()) std::filesystem::remove_all(m_path, ignored);
  }
  std::string File(const std::string& name) const { return m_path + "/" + name; }

 private:
  std::string m_path;
};

struct Pixel {
  int r, g, b;
};

/// Fills a session with a w x h colour image whose pixel (x, y) is colour(x, y).
inline void MakeImage(int session, int w, int h, const std::function<Pixel(int, int)>& colour) {
  std::vector<BYTE> bgr(size_t(w) * h * 3);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      Pixel p = colour(x, y);
      BYTE* d = &bgr[(size_t(y) * w + x) * 3];
      d[0] = BYTE(p.b), d[1] = BYTE(p.g), d[2] = BYTE(p.r);
    }
  ASSERT_TRUE(cLoadImage8(session, bgr.data(), DWORD(bgr.size()), w, h, 0, 0, 0));
}

/// A smooth colour gradient: compresses well and survives resampling predictably.
inline Pixel Gradient(int x, int y) { return Pixel{(x * 3) & 255, (y * 5) & 255, (x + y) & 255}; }

inline Pixel At(int session, int x, int y) {
  COLORREF c = 0;
  EXPECT_TRUE(cGetPixelColor(session, x, y, &c)) << x << "," << y;
  return Pixel{GetRValue(c), GetGValue(c), GetBValue(c)};
}

inline std::pair<int, int> Size(int session) {
  DWORD w = 0, h = 0;
  cGetImageInfo(session, &w, &h, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
  return {int(w), int(h)};
}

/// Largest channel difference between two same-size images.
inline int MaxDifference(int a, int b) {
  PolyArray pa, pb;
  if (!cGetImage16(a, &pa) || !cGetImage16(b, &pb) || pa.Size() != pb.Size()) return 1000;
  int worst = 0;
  for (size_t i = 0; i < pa.Size(); ++i) worst = std::max(worst, std::abs(int(pa.Data()[i]) - int(pb.Data()[i])));
  return worst;
}

inline std::vector<BYTE> ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<BYTE>(std::istreambuf_iterator<char>(in), {});
}

inline void WriteAll(const std::string& path, const std::vector<BYTE>& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

inline std::vector<BYTE> EncodeJpeg(int session) {
  PolyArray out;
  EXPECT_TRUE(cSaveToMemory(session, PIP_FORMAT_JPEG, &out, 0, 0));
  return std::vector<BYTE>(out.Data(), out.Data() + out.Size());
}

}  // namespace pip_test

namespace pip_test {

/// Puts an Exif APP1 holding only an orientation tag right after a JPEG's SOI.
inline std::vector<BYTE> WithOrientation(const std::vector<BYTE>& jpeg, int orientation) {
  std::vector<BYTE> app1 = {0xFF, 0xE1, 0, 0, 'E', 'x', 'i', 'f', 0, 0, 'M', 'M', 0, 42, 0, 0, 0, 8,
                            0,    1,    0x01, 0x12, 0, 3, 0, 0, 0, 1, 0, BYTE(orientation), 0, 0, 0, 0, 0, 0};
  app1[3] = BYTE(app1.size() - 2);
  std::vector<BYTE> out(jpeg.size() + app1.size());
  std::copy(jpeg.begin(), jpeg.begin() + 2, out.begin());
  std::copy(app1.begin(), app1.end(), out.begin() + 2);
  std::copy(jpeg.begin() + 2, jpeg.end(), out.begin() + 2 + app1.size());
  return out;
}

/// The orientation value of the first Exif APP1, 0 when none.
inline int OrientationOf(const std::vector<BYTE>& jpeg) {
  size_t pos = 2;
  while (pos + 4 <= jpeg.size() && jpeg[pos] == 0xFF && jpeg[pos + 1] != 0xDA) {
    size_t length = size_t(jpeg[pos + 2]) << 8 | jpeg[pos + 3];
    if (jpeg[pos + 1] == 0xE1 && length > 30 && std::memcmp(&jpeg[pos + 4], "Exif\0\0MM", 8) == 0) {
      const BYTE* ifd = &jpeg[pos + 10 + 8];
      int count = ifd[0] << 8 | ifd[1];
      for (int i = 0; i < count; ++i) {
        const BYTE* e = ifd + 2 + 12 * i;
        if ((e[0] << 8 | e[1]) == 0x0112) return e[8] << 8 | e[9];
      }
    }
    pos += 2 + length;
  }
  return 0;
}

}  // namespace pip_test
