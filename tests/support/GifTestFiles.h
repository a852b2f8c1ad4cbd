// Small GDI+ bitmaps and animated GIFs for the GIF tests.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/gdiplus/gdiplus.h"
#include "support/GdiplusHelpers.h"

inline std::u16string WideAscii(const std::string& text) { return std::u16string(text.begin(), text.end()); }

/// A 24-bit bitmap filled with one colour.
inline std::unique_ptr<Gdiplus::Bitmap> SolidBitmap(int width, int height, Gdiplus::ARGB colour) {
  auto bitmap = std::make_unique<Gdiplus::Bitmap>(width, height, Gdiplus::PixelFormat24bppRGB);
  Gdiplus::Graphics graphics(bitmap.get());
  Gdiplus::SolidBrush brush{Gdiplus::Color(colour)};
  graphics.FillRectangle(&brush, 0, 0, width, height);
  return bitmap;
}

/// Writes one solid frame per colour with the delays (hundredths; may be shorter than the frames).
inline bool WriteSolidGif(const std::string& path, const std::vector<Gdiplus::ARGB>& colours,
                          std::vector<ULONG> delays, int width = 40, int height = 30) {
  using namespace Gdiplus;
  std::vector<std::unique_ptr<Bitmap>> frames;
  for (ARGB colour : colours) frames.push_back(SolidBitmap(width, height, colour));
  if (!delays.empty()) {
    PropertyItem item{PropertyTagFrameDelay, ULONG(delays.size() * sizeof(ULONG)), PropertyTagTypeLong, delays.data()};
    frames[0]->SetPropertyItem(&item);
  }
  CLSID gif;
  if (GetEncoderClsid(u"image/gif", &gif) < 0) return false;
  auto parameter = [](EncoderValue value, ULONG& holder) {
    holder = ULONG(value);
    EncoderParameters parameters{};
    parameters.Count = 1;
    parameters.Parameter[0].Guid = EncoderSaveFlag;
    parameters.Parameter[0].Type = EncoderParameterValueTypeLong;
    parameters.Parameter[0].NumberOfValues = 1;
    parameters.Parameter[0].Value = &holder;
    return parameters;
  };
  ULONG a, b, c;
  EncoderParameters multi = parameter(EncoderValueMultiFrame, a), time = parameter(EncoderValueFrameDimensionTime, b),
                    flush = parameter(EncoderValueFlush, c);
  std::u16string wide = WideAscii(path);
  if (frames.size() == 1) return frames[0]->Save(wide.c_str(), &gif) == Ok;
  Status status = frames[0]->Save(wide.c_str(), &gif, &multi);
  for (size_t i = 1; i < frames.size() && status == Ok; ++i) status = frames[0]->SaveAdd(frames[i].get(), &time);
  if (status == Ok) status = frames[0]->SaveAdd(&flush);
  return status == Ok;
}
