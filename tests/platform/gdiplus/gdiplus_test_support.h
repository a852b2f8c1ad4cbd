// Shared by the GDI+ tests: a temporary folder, wide paths, encoder lookup, small bitmaps.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/gdiplus/gdiplus.h"

using namespace Gdiplus;

class TempDir {
 public:
  TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "gdiplus-test-XXXXXX").string();
    char* made = mkdtemp(pattern.data());
    EXPECT_NE(made, nullptr);
    path_ = pattern;
  }
  ~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  std::string file(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

/// An ASCII path as GDI+ takes it.
inline std::u16string Wide(const std::string& text) { return std::u16string(text.begin(), text.end()); }

/// Index of the encoder for the MIME type with its class id, or -1.
inline int FindEncoder(const std::u16string& mimeType, CLSID* clsid) {
  UINT count = 0, size = 0;
  if (GetImageEncodersSize(&count, &size) != Ok || size == 0) return -1;
  std::vector<unsigned char> buffer(size);
  auto* info = reinterpret_cast<ImageCodecInfo*>(buffer.data());
  if (GetImageEncoders(count, size, info) != Ok) return -1;
  for (UINT i = 0; i < count; ++i)
    if (info[i].MimeType && mimeType == info[i].MimeType) {
      *clsid = info[i].Clsid;
      return int(i);
    }
  return -1;
}

inline CLSID EncoderFor(const std::u16string& mimeType) {
  CLSID clsid{};
  EXPECT_GE(FindEncoder(mimeType, &clsid), 0);
  return clsid;
}

/// A single-value encoder parameter block.
struct OneParameter {
  EncoderParameters params{};
  ULONG value = 0;
  OneParameter(const GUID& category, ULONG v) : value(v) {
    params.Count = 1;
    params.Parameter[0].Guid = category;
    params.Parameter[0].NumberOfValues = 1;
    params.Parameter[0].Type = EncoderParameterValueTypeLong;
    params.Parameter[0].Value = &value;
  }
};

/// The pixel colour of a known pattern: distinct in every position for up to 16x16.
inline ARGB PatternColor(int x, int y, int salt = 0) {
  return Color::MakeARGB(255, BYTE(40 + x * 13 + salt), BYTE(200 - y * 11), BYTE((x * 31 + y * 17 + salt * 7) & 0xff));
}

/// A bitmap filled through SetPixel with the pattern (or one colour when `solid`).
inline std::unique_ptr<Bitmap> PatternBitmap(int w, int h, PixelFormat format, int salt = 0) {
  auto bitmap = std::make_unique<Bitmap>(w, h, format);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) EXPECT_EQ(bitmap->SetPixel(x, y, Color(PatternColor(x, y, salt))), Ok);
  return bitmap;
}

inline std::vector<char> ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<char>(std::istreambuf_iterator<char>(in), {});
}

inline void WriteBytes(const std::string& path, const std::vector<char>& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(bytes.data(), std::streamsize(bytes.size()));
}

/// Channels equal within a tolerance.
inline ::testing::AssertionResult Near(ARGB actual, ARGB expected, int tolerance) {
  for (int shift = 0; shift < 32; shift += 8) {
    int a = int((actual >> shift) & 0xff), e = int((expected >> shift) & 0xff);
    if (std::abs(a - e) > tolerance)
      return ::testing::AssertionFailure() << std::hex << "0x" << actual << " is not near 0x" << expected;
  }
  return ::testing::AssertionSuccess();
}
