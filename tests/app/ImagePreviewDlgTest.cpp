#include "app/ImagePreviewDlg.h"

#include <gtest/gtest.h>
#include <jpeglib.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

#include "platform/gdi/wingdi.h"

namespace {

struct Jpeg {
  std::vector<BYTE> bytes;
  std::vector<BYTE> bgr;  // the decoded pixels, B,G,R, top row first
};

// A small photo whose every pixel differs from its neighbours, and how libjpeg decodes it.
Jpeg MakeJpeg(int width, int height) {
  std::vector<BYTE> rgb(static_cast<size_t>(width) * height * 3);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      BYTE* p = &rgb[(static_cast<size_t>(y) * width + x) * 3];
      p[0] = static_cast<BYTE>(x * 255 / width);
      p[1] = static_cast<BYTE>(y * 255 / height);
      p[2] = static_cast<BYTE>((x * 7 + y * 13) & 255);
    }
  jpeg_compress_struct out{};
  jpeg_error_mgr error{};
  out.err = jpeg_std_error(&error);
  jpeg_create_compress(&out);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&out, &buffer, &size);
  out.image_width = width;
  out.image_height = height;
  out.input_components = 3;
  out.in_color_space = JCS_RGB;
  jpeg_set_defaults(&out);
  jpeg_set_quality(&out, 90, TRUE);
  jpeg_start_compress(&out, TRUE);
  while (out.next_scanline < out.image_height) {
    JSAMPROW row = &rgb[static_cast<size_t>(out.next_scanline) * width * 3];
    jpeg_write_scanlines(&out, &row, 1);
  }
  jpeg_finish_compress(&out);
  jpeg_destroy_compress(&out);
  Jpeg jpeg;
  jpeg.bytes.assign(buffer, buffer + size);
  std::free(buffer);

  jpeg_decompress_struct in{};
  in.err = jpeg_std_error(&error);
  jpeg_create_decompress(&in);
  jpeg_mem_src(&in, jpeg.bytes.data(), jpeg.bytes.size());
  jpeg_read_header(&in, TRUE);
  in.out_color_space = JCS_EXT_BGR;
  jpeg_start_decompress(&in);
  jpeg.bgr.resize(static_cast<size_t>(width) * height * 3);
  while (in.output_scanline < in.output_height) {
    JSAMPROW row = &jpeg.bgr[static_cast<size_t>(in.output_scanline) * width * 3];
    jpeg_read_scanlines(&in, &row, 1);
  }
  jpeg_finish_decompress(&in);
  jpeg_destroy_decompress(&in);
  return jpeg;
}

}  // namespace

TEST(ImagePreviewDlgTest, TheBitmapHoldsTheDecodedPhotoTurnedByTheRotation) {
  const int W = 37, H = 23;  // odd sizes, several strips of rows
  Jpeg jpeg = MakeJpeg(W, H);
  for (int rotation : {0, 90, 180, 270}) {
    SCOPED_TRACE(rotation);
    int width = 0, height = 0;
    std::unique_ptr<CBitmap> bitmap(
        CImagePreviewDlg::MakeBitmap(jpeg.bytes.data(), static_cast<DWORD>(jpeg.bytes.size()), rotation, width, height));
    ASSERT_NE(bitmap, nullptr);
    const bool turned = rotation == 90 || rotation == 270;
    ASSERT_EQ(width, turned ? H : W);
    ASSERT_EQ(height, turned ? W : H);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    std::vector<BYTE> shown(static_cast<size_t>(width) * height * 4);
    HDC dc = CreateCompatibleDC(nullptr);
    ASSERT_EQ(GetDIBits(dc, static_cast<HBITMAP>(*bitmap), 0, height, shown.data(), &info, DIB_RGB_COLORS), height);
    DeleteDC(dc);
    int wrong = 0;
    for (int y = 0; y < H; ++y)
      for (int x = 0; x < W; ++x) {
        int nx = x, ny = y;
        if (rotation == 90) nx = H - 1 - y, ny = x;
        if (rotation == 180) nx = W - 1 - x, ny = H - 1 - y;
        if (rotation == 270) nx = y, ny = W - 1 - x;
        const BYTE* want = &jpeg.bgr[(static_cast<size_t>(y) * W + x) * 3];
        const BYTE* got = &shown[(static_cast<size_t>(ny) * width + nx) * 4];
        if (got[0] != want[0] || got[1] != want[1] || got[2] != want[2]) ++wrong;
      }
    EXPECT_EQ(wrong, 0);
  }
  int width = 0, height = 0;
  std::vector<BYTE> cut(jpeg.bytes.begin(), jpeg.bytes.begin() + 20);
  EXPECT_EQ(CImagePreviewDlg::MakeBitmap(cut.data(), static_cast<DWORD>(cut.size()), 0, width, height), nullptr);
}
