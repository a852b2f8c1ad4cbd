// Temporary folders and small pictures for the photobooth output tests.
#pragma once

#include <filesystem>
#include <memory>
#include <string>

#include "platform/gdiplus/gdiplus.h"
#include "support/GdiplusHelpers.h"
#include "support/WidePath.h"

class TempFolder {
 public:
  TempFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "booth-test-XXXXXX").string();
    path_ = mkdtemp(pattern.data()) ? pattern : std::string();
  }
  ~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  const std::string& Path() const { return path_; }
  std::string File(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

inline std::unique_ptr<Gdiplus::Bitmap> SolidBitmap(int width, int height, Gdiplus::ARGB colour,
                                                   Gdiplus::PixelFormat format = Gdiplus::PixelFormat32bppARGB) {
  auto bitmap = std::make_unique<Gdiplus::Bitmap>(width, height, format);
  Gdiplus::Graphics graphics(bitmap.get());
  Gdiplus::SolidBrush brush{Gdiplus::Color(colour)};
  graphics.FillRectangle(&brush, 0, 0, width, height);
  return bitmap;
}

/// Saves the bitmap as PNG or JPEG by the name's extension.
inline bool SaveBitmap(Gdiplus::Bitmap& bitmap, const std::string& path) {
  CLSID clsid;
  bool jpeg = path.size() > 4 && path.substr(path.size() - 4) == ".jpg";
  if (GetEncoderClsid(jpeg ? u"image/jpeg" : u"image/png", &clsid) < 0) return false;
  return bitmap.Save(WidePath(path.c_str()).c_str(), &clsid) == Gdiplus::Ok;
}

inline bool SaveSolid(const std::string& path, int width, int height, Gdiplus::ARGB colour) {
  return SaveBitmap(*SolidBitmap(width, height, colour), path);
}
