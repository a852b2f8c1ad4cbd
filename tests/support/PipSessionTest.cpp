#include "support/PipSession.h"

#include <gtest/gtest.h>
#include <lcms2.h>
#include <stdlib.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "platform/gdiplus/gdiplus.h"

namespace {

struct Rgb {
  int r, g, b;
};

void Fill(PipSession& s, int w, int h, const std::function<Rgb(int, int)>& colour) {
  std::vector<BYTE> bgr(size_t(w) * h * 3);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      Rgb c = colour(x, y);
      BYTE* p = &bgr[(size_t(y) * w + x) * 3];
      p[0] = BYTE(c.b), p[1] = BYTE(c.g), p[2] = BYTE(c.r);
    }
  ASSERT_TRUE(cLoadImage8(s.m_hSession, bgr.data(), DWORD(bgr.size()), w, h, 0, 0, 0));
}

Rgb At(PipSession& s, int x, int y) {
  COLORREF c = 0;
  EXPECT_TRUE(cGetPixelColor(s.m_hSession, x, y, &c)) << x << "," << y;
  return Rgb{GetRValue(c), GetGValue(c), GetBValue(c)};
}

std::vector<BYTE> Pixels(PipSession& s) {
  PolyArray a;
  if (!cGetImage16(s.m_hSession, &a)) return {};
  return std::vector<BYTE>(a.Data(), a.Data() + a.Size());
}

std::vector<BYTE> Mask(PipSession& s) {
  PolyArray a;
  if (!cGetAlphaMask(s.m_hSession, &a)) return {};
  return std::vector<BYTE>(a.Data(), a.Data() + a.Size());
}

int MaxDifference(PipSession& a, PipSession& b) {
  std::vector<BYTE> pa = Pixels(a), pb = Pixels(b);
  if (pa.size() != pb.size() || pa.empty()) return 1000;
  int worst = 0;
  for (size_t i = 0; i < pa.size(); ++i) worst = std::max(worst, std::abs(pa[i] - pb[i]));
  return worst;
}

Rgb Gradient(int x, int y) { return Rgb{(x * 7) & 255, (y * 3) & 255, (x * y) & 255}; }
// Pixel (x, y) carries its coordinates, for images up to 256 x 256.
Rgb Coordinates(int x, int y) { return Rgb{x, y, 99}; }

class TempDir {
 public:
  TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "tavorin-pipsession-XXXXXX").string();
    m_path = mkdtemp(pattern.data()) ? pattern : "";
  }
  ~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(m_path, ignored);
  }
  std::string File(const char* name) const { return m_path + "/" + name; }

 private:
  std::string m_path;
};

}  // namespace

TEST(PipSessionTest, StartsEmptyWithStandardParameters) {
  PipSession s;
  EXPECT_GT(s.m_hSession, 0);
  EXPECT_EQ(s.m_dZoom, 1.0);
  EXPECT_EQ(s.m_nScrollX, 0);
  EXPECT_EQ(s.m_nScrollY, 0);
  EXPECT_EQ(s.m_bDrawFlag, 0);
  EXPECT_EQ(s.GetWidth(), 0u);
  EXPECT_EQ(s.GetHeight(), 0u);
  EXPECT_EQ(s.GetBitsPerPixel(), 0);
}

TEST(PipSessionTest, SavesWithTheProgramJpegQuality) {
  auto size = [](WORD quality) {
    WORD saved = g_nJpegQuality;
    g_nJpegQuality = quality;
    PipSession s;
    g_nJpegQuality = saved;
    Fill(s, 64, 64, [](int x, int y) { return Rgb{(x * 37 + y * 11) & 255, (x * y) & 255, (x ^ y) * 4 & 255}; });
    PolyArray out;
    EXPECT_TRUE(cSaveToMemory(s.m_hSession, PIP_FORMAT_JPEG, &out, 0, 0));
    return out.Size();
  };
  EXPECT_LT(size(20), size(95));
}

TEST(PipSessionTest, CopiesDuplicateTheImageButNotTheView) {
  PipSession a;
  Fill(a, 6, 4, Gradient);
  a.m_dZoom = 3.0;
  a.m_nScrollX = 2;
  a.SetDrawFlag(1);
  PipSession b(a, TRUE);
  PipSession* c = PipSession::Duplicate(a, FALSE);
  PipSession d;
  d = a;
  ASSERT_TRUE(cNewImage(a.m_hSession, 1, 1, 0));  // the copies keep their own pixels
  for (PipSession* copy : {&b, c, &d}) {
    EXPECT_NE(copy->m_hSession, a.m_hSession);
    EXPECT_EQ(copy->GetWidth(), 6u);
    EXPECT_EQ(At(*copy, 5, 3).r, Gradient(5, 3).r);
  }
  EXPECT_EQ(b.m_dZoom, 1.0);
  EXPECT_EQ(b.m_nScrollX, 0);
  EXPECT_EQ(b.m_bDrawFlag, 0);
  delete c;
}

TEST(PipSessionTest, SelfAssignmentKeepsTheImage) {
  PipSession s;
  Fill(s, 5, 5, Gradient);
  PipSession& alias = s;
  s = alias;
  EXPECT_EQ(s.GetWidth(), 5u);
  EXPECT_EQ(At(s, 4, 4).g, Gradient(4, 4).g);
}

TEST(PipSessionTest, SharpenClampsAndIgnoresNonPositive) {
  PipSession reference;
  Fill(reference, 16, 16, [](int x, int) { return x < 8 ? Rgb{90, 90, 90} : Rgb{160, 160, 160}; });
  PipSession strongest(reference);
  cOpSharpen(strongest.m_hSession, 100);
  struct Row {
    int amount;
    bool changes;
    bool likeStrongest;
  } rows[] = {{0, false, false}, {-5, false, false}, {250, true, true}, {100, true, true}, {10, true, false}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.amount);
    PipSession s(reference);
    s.Sharpen(row.amount);
    EXPECT_EQ(MaxDifference(s, reference) != 0, row.changes);
    EXPECT_EQ(MaxDifference(s, strongest) == 0, row.likeStrongest);
  }
}

TEST(PipSessionTest, RotateQuarterTurnsLeaveTheMaskAlone) {
  struct Row {
    int angle;
    bool keepAlpha;
    bool maskAfter;
  } rows[] = {{900, false, false}, {2700, false, false}, {-900, false, false}, {0, false, false},
              {450, false, true},  {900, true, true}};
  for (const Row& row : rows) {
    SCOPED_TRACE(std::to_string(row.angle) + (row.keepAlpha ? " keep" : ""));
    PipSession s;
    Fill(s, 40, 20, Gradient);
    s.Rotate(row.angle, row.keepAlpha);
    EXPECT_EQ(!Mask(s).empty(), row.maskAfter);
    if (row.angle % 900 == 0) {
      EXPECT_EQ(s.GetWidth(), row.angle % 1800 ? 20u : 40u);
    }
  }
}

TEST(PipSessionTest, RotateByAFineAngleLeavesTransparentCorners) {
  PipSession s;
  Fill(s, 60, 40, Gradient);
  s.Rotate(450, false);
  DWORD w = s.GetWidth(), h = s.GetHeight();
  std::vector<BYTE> mask = Mask(s);
  ASSERT_EQ(mask.size(), size_t(w) * h);
  EXPECT_EQ(s.GetBitsPerPixel(), 24);
  for (auto [x, y] : {std::pair{0u, 0u}, std::pair{w - 1, 0u}, std::pair{0u, h - 1}, std::pair{w - 1, h - 1}})
    EXPECT_EQ(mask[size_t(y) * w + x], 0) << x << "," << y;
  EXPECT_EQ(mask[size_t(h / 2) * w + w / 2], 255);
}

TEST(PipSessionTest, RotateWithKeepAlphaTurnsTheOldMask) {
  PipSession s;
  Fill(s, 40, 40, Gradient);
  cOpGrayScale(s.m_hSession);  // also exercises the raise to 24 bits
  std::vector<BYTE> mask(1600);
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 40; ++x) mask[size_t(y) * 40 + x] = x < 20 ? 255 : 0;  // left half opaque
  ASSERT_TRUE(cLoadAlphaMask(s.m_hSession, mask.data()));
  s.Rotate(900, true);
  std::vector<BYTE> turned = Mask(s);
  ASSERT_EQ(turned.size(), 1600u);
  EXPECT_EQ(turned[5 * 40 + 20], 255) << "the opaque left half is now the top half";
  EXPECT_EQ(turned[35 * 40 + 20], 0);
  EXPECT_EQ(s.GetBitsPerPixel(), 24);
}

TEST(PipSessionTest, MergeCutsTheSourceForNegativeOffsets) {
  struct Row {
    int x, y;
    int probeX, probeY;  // a destination pixel and the source pixel that must land there
    int fromX, fromY;
  } rows[] = {{-10, -20, 0, 0, 10, 20},  {-10, -20, 29, 19, 39, 39},  // the source's last column and row arrive
              {5, 6, 5, 6, 0, 0},        {-3, 4, 0, 4, 3, 0},          {7, -1, 46, 0, 39, 1}};
  for (const Row& row : rows) {
    SCOPED_TRACE(std::to_string(row.x) + "," + std::to_string(row.y));
    PipSession dest, source;
    ASSERT_TRUE(cNewImage(dest.m_hSession, 50, 50, RGB(255, 255, 255)));
    Fill(source, 40, 40, Coordinates);
    dest.Merge(source, row.x, row.y, 255, 0);
    Rgb p = At(dest, row.probeX, row.probeY);
    EXPECT_EQ(p.r, row.fromX);
    EXPECT_EQ(p.g, row.fromY);
    EXPECT_EQ(source.GetWidth(), 40u) << "the caller's source is not cut";
  }
}

TEST(PipSessionTest, MergeWhollyOffTheTargetDrawsNothing) {
  PipSession dest, source;
  ASSERT_TRUE(cNewImage(dest.m_hSession, 10, 10, RGB(255, 255, 255)));
  Fill(source, 4, 4, Coordinates);
  dest.Merge(source, -4, 0, 255, 0);
  dest.Merge(source, 0, -9, 255, 0);
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 10; ++x) ASSERT_EQ(At(dest, x, y).b, 255) << x << "," << y;
}

TEST(PipSessionTest, CropTo3x2) {
  struct Row {
    int w, h;
    DWORD wantW, wantH;
    int firstRow, firstColumn;  // the original row/column that becomes row/column 0
  } rows[] = {{3000, 2000, 3000, 2000, 0, 0}, {2000, 3000, 2000, 3000, 0, 0}, {3000, 1800, 3000, 1800, 0, 0},
              {3000, 2400, 3000, 2000, 200, 0}, {2400, 3000, 2000, 3000, 0, 200}, {500, 500, 500, 500, 0, 0},
              {7, 5, 7, 4, 0, 0}};
  for (const Row& row : rows) {
    SCOPED_TRACE(std::to_string(row.w) + "x" + std::to_string(row.h));
    PipSession s;
    // Row and column numbers coded into the pixel: red/green = row, blue = column (low bits).
    Fill(s, row.w, row.h, [](int x, int y) { return Rgb{y >> 8, y & 255, x & 255}; });
    s.CropTo3x2();
    EXPECT_EQ(s.GetWidth(), row.wantW);
    EXPECT_EQ(s.GetHeight(), row.wantH);
    Rgb first = At(s, 0, 0);
    EXPECT_EQ(first.r * 256 + first.g, row.firstRow);
    EXPECT_EQ(first.b, row.firstColumn & 255);
    Rgb last = At(s, int(row.wantW) - 1, int(row.wantH) - 1);
    EXPECT_EQ(last.r * 256 + last.g, row.firstRow + int(row.wantH) - 1);  // 3000x2400: row 2199
  }
  PipSession empty;
  empty.CropTo3x2();
  EXPECT_EQ(empty.GetWidth(), 0u);
}

TEST(PipSessionTest, DrawQualityFollowsZoom) {
  // At zoom 0.1 the drawing averages (quality 6); at 1.0 it copies pixels (quality 3).
  PipSession picture;
  Fill(picture, 200, 200, [](int x, int y) { return (x + y) % 2 ? Rgb{255, 255, 255} : Rgb{0, 0, 0}; });
  auto draw = [&](double zoom, int quality, bool throughWrapper) {
    PipSession canvas;
    cNewImage(canvas.m_hSession, 20, 20, RGB(0, 0, 255));
    HDC dc = cGetImageDC(canvas.m_hSession);
    RECT box{0, 0, 20, 20};
    if (throughWrapper) {
      picture.m_dZoom = zoom;
      picture.SetDrawFlag(1);
      picture.Draw(dc, box);
    } else {
      cDrawImageEx(picture.m_hSession, dc, &box, 0, 1, zoom, 10.0, quality, 2.2, 1, 1, 0, 0, nullptr, nullptr, nullptr,
                   0, 99, 100, 0, 0);
    }
    cReleaseImageDC(canvas.m_hSession, dc);
    return Pixels(canvas);
  };
  struct Row {
    double zoom;
    int quality, otherQuality;
  } rows[] = {{0.1, 6, 3}, {0.05, 6, 3}, {0.5, 3, 6}, {0.11, 3, 6}, {1.0, 3, 0}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.zoom);
    std::vector<BYTE> wrapped = draw(row.zoom, 0, true);
    EXPECT_EQ(wrapped, draw(row.zoom, row.quality, false));
    // 1:1 looks the same at every quality; reductions tell them apart.
    if (row.otherQuality) {
      EXPECT_NE(wrapped, draw(row.zoom, row.otherQuality, false));
    }
  }
}

TEST(PipSessionTest, DrawClampsTheScroll) {
  PipSession picture;
  Fill(picture, 100, 80, Gradient);
  PipSession canvas;
  cNewImage(canvas.m_hSession, 50, 50, 0);
  HDC dc = cGetImageDC(canvas.m_hSession);
  struct Row {
    int scrollX, scrollY;
    double zoom;
    int wantX, wantY;
  } rows[] = {{1000, 1000, 1.0, 50, 30}, {-5, -7, 1.0, 0, 0}, {10, 10, 1.0, 10, 10}, {1000, 0, 2.0, 75, 0}};
  for (const Row& row : rows) {
    SCOPED_TRACE(std::to_string(row.scrollX) + "," + std::to_string(row.scrollY) + " at " + std::to_string(row.zoom));
    picture.m_nScrollX = row.scrollX;
    picture.m_nScrollY = row.scrollY;
    picture.m_dZoom = row.zoom;
    picture.Draw(dc, RECT{0, 0, 50, 50});
    EXPECT_EQ(picture.m_nScrollX, row.wantX);
    EXPECT_EQ(picture.m_nScrollY, row.wantY);
  }
  cReleaseImageDC(canvas.m_hSession, dc);
  PipSession empty;
  empty.m_nScrollX = -3;
  empty.Draw(dc, RECT{0, 0, 10, 10});
  EXPECT_EQ(empty.m_nScrollX, 0);
}

TEST(PipSessionTest, IccProfilesFromFiles) {
  TempDir dir;
  std::string in = dir.File("in.icc"), out = dir.File("out.icc");
  cmsHPROFILE a = cmsCreate_sRGBProfile(), b = cmsCreate_sRGBProfile();
  ASSERT_TRUE(cmsSaveProfileToFile(a, in.c_str()));
  ASSERT_TRUE(cmsSaveProfileToFile(b, out.c_str()));
  cmsCloseProfile(a);
  cmsCloseProfile(b);
  PipSession original;
  Fill(original, 32, 32, Gradient);
  struct Row {
    std::string input, output;
  } rows[] = {{in, out}, {dir.File("missing.icc"), out}, {in, dir.File("missing.icc")}, {out, in}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.input + " -> " + row.output);
    PipSession s(original);
    ApplyIccProfiles(s, row.input.c_str(), row.output.c_str(), 0);
    EXPECT_LE(MaxDifference(s, original), 2);
  }
  // A profile that is not one leaves the picture exactly as it was.
  std::FILE* junk = std::fopen(in.c_str(), "wb");
  std::fputs("not a profile at all, not a profile at all, not a profile at all", junk);
  std::fclose(junk);
  PipSession s(original);
  ApplyIccProfiles(s, in.c_str(), out.c_str(), 0);
  EXPECT_EQ(MaxDifference(s, original), 0);
}

TEST(PipSessionTest, GdiplusBitmapCarriesPixelsAndMask) {
  PipSession empty;
  EXPECT_EQ(empty.CreateGdiplusBitmap(), nullptr);

  PipSession s;
  Fill(s, 6, 4, Gradient);
  Gdiplus::Bitmap* plain = s.CreateGdiplusBitmap();
  ASSERT_NE(plain, nullptr);
  EXPECT_EQ(plain->GetPixelFormat(), Gdiplus::PixelFormat24bppRGB);
  EXPECT_EQ(plain->GetWidth(), 6u);
  Gdiplus::Color c;
  ASSERT_EQ(plain->GetPixel(5, 3, &c), Gdiplus::Ok);
  EXPECT_EQ(c.GetR(), Gradient(5, 3).r);
  EXPECT_EQ(c.GetG(), Gradient(5, 3).g);
  EXPECT_EQ(c.GetB(), Gradient(5, 3).b);
  delete plain;

  std::vector<BYTE> mask(24);
  for (size_t i = 0; i < mask.size(); ++i) mask[i] = BYTE(i * 10);
  ASSERT_TRUE(cLoadAlphaMask(s.m_hSession, mask.data()));
  Gdiplus::Bitmap* masked = s.CreateGdiplusBitmap();
  ASSERT_NE(masked, nullptr);
  EXPECT_EQ(masked->GetPixelFormat(), Gdiplus::PixelFormat32bppARGB);
  ASSERT_EQ(masked->GetPixel(5, 3, &c), Gdiplus::Ok);
  EXPECT_EQ(c.GetA(), 230);  // mask byte 3 * 6 + 5
  EXPECT_EQ(c.GetR(), Gradient(5, 3).r);
  ASSERT_EQ(masked->GetPixel(1, 0, &c), Gdiplus::Ok);
  EXPECT_EQ(c.GetA(), 10);
  delete masked;
}
