#include "photobooth/PrintPageComposer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tests/photobooth/PhotoboothTestFiles.h"

namespace {

const COLORREF kWhite = RGB(255, 255, 255);
const COLORREF kPhoto[] = {RGB(255, 0, 0), RGB(0, 160, 0), RGB(0, 0, 255), RGB(200, 200, 0)};

bool SaveSessionImage(const std::string& path, int width, int height, COLORREF colour) {
  PipSession image;
  if (!cNewImage(image.m_hSession, width, height, colour)) return false;
  return cSave(image.m_hSession, path.c_str(), PIP_FORMAT_PNG, 0, 0, 0);
}

// Colours compared with a tolerance: resampling may soften edges by a step or two.
bool Near(COLORREF a, COLORREF b) {
  return std::abs(GetRValue(a) - GetRValue(b)) <= 8 && std::abs(GetGValue(a) - GetGValue(b)) <= 8 &&
         std::abs(GetBValue(a) - GetBValue(b)) <= 8;
}

class PrintPageComposerTest : public ::testing::Test {
 protected:
  void SetUp() override { settings.imagesFolder = images.Path().c_str(); }

  void NewPage(int width, int height) { ASSERT_TRUE(cNewImage(page.m_hSession, width, height, kWhite)); }

  CStringArray Photos(int count, int width = 300, int height = 200) {
    CStringArray out;
    for (int i = 0; i < count; ++i) {
      std::string path = photos.File("IMG_000" + std::to_string(i + 1) + ".png");
      EXPECT_TRUE(SaveSessionImage(path, width, height, kPhoto[i]));
      out.Add(path.c_str());
    }
    return out;
  }

  COLORREF At(int x, int y) {
    COLORREF colour = 0;
    cGetPixelColor(page.m_hSession, x, y, &colour);
    return colour;
  }

  void Compose(const CStringArray& list, std::vector<std::unique_ptr<Gdiplus::Bitmap>>* gif = nullptr) {
    PrintPageComposer composer(page, settings, hooks);
    composer.ComposeFrameImages();
    composer.ComposePhotos(list, tokens, 0.0, gif);
    composer.ComposeOverlay();
  }

  TempFolder images, photos;
  PipSession page;
  PrintPageSettings settings;
  PrintPageHooks hooks;
  CMapStringToString tokens;
};

struct Probe {
  int x, y;
  COLORREF colour;
};

}  // namespace

TEST_F(PrintPageComposerTest, GridGeometryTable) {
  struct Row {
    const char* name;
    int pageW, pageH, photoCount, photoW, photoH, rows, columns, border;
    BOOL repeat, rotate, crop;
    const char* middle;  // middle.jpg size "w x h" or null
    std::vector<Probe> probes;
  } rows[] = {
      {"2 x 2 fills the quarters", 600, 400, 4, 300, 200, 2, 2, 0, FALSE, FALSE, FALSE, nullptr,
       {{150, 100, kPhoto[0]}, {450, 100, kPhoto[1]}, {150, 300, kPhoto[2]}, {450, 300, kPhoto[3]}}},
      {"rows and columns below 1 count as 1", 600, 400, 1, 300, 200, 0, -3, 0, FALSE, FALSE, FALSE, nullptr,
       {{5, 5, kPhoto[0]}, {595, 395, kPhoto[0]}}},
      {"side by side past the middle image", 600, 400, 2, 300, 200, 1, 2, 0, FALSE, FALSE, FALSE, "20x400",
       {{145, 200, kPhoto[0]}, {300, 200, RGB(90, 90, 90)}, {455, 200, kPhoto[1]}, {145, 50, kWhite}}},
      {"repeat into empty columns", 600, 400, 2, 300, 200, 2, 2, 0, TRUE, FALSE, FALSE, nullptr,
       {{150, 100, kPhoto[0]}, {450, 100, kPhoto[0]}, {150, 300, kPhoto[1]}, {450, 300, kPhoto[1]}}},
      {"one column stacks", 600, 400, 2, 300, 200, 2, 1, 0, FALSE, FALSE, FALSE, nullptr,
       {{300, 100, kPhoto[0]}, {300, 300, kPhoto[1]}, {20, 100, kWhite}}},
      {"landscape turned for a portrait cell", 400, 600, 1, 300, 200, 1, 1, 0, FALSE, TRUE, FALSE, nullptr,
       {{3, 3, kPhoto[0]}, {396, 596, kPhoto[0]}}},
      {"not turned without the switch", 400, 600, 1, 300, 200, 1, 1, 0, FALSE, FALSE, FALSE, nullptr,
       {{3, 3, kWhite}, {200, 300, kPhoto[0]}}},
      {"crop to fit inside the border", 600, 400, 4, 300, 300, 2, 2, 20, FALSE, FALSE, TRUE, nullptr,
       {{5, 5, kWhite}, {12, 12, kPhoto[0]}, {288, 188, kPhoto[0]}, {295, 195, kWhite}, {312, 12, kPhoto[1]}}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    TempFolder folder;
    settings.imagesFolder = folder.Path().c_str();
    if (row.middle) {
      int w = 0, h = 0;
      sscanf(row.middle, "%dx%d", &w, &h);
      ASSERT_TRUE(SaveSessionImage(folder.File("middle.jpg"), w, h, RGB(90, 90, 90)));
    }
    NewPage(row.pageW, row.pageH);
    settings.rows = row.rows, settings.columns = row.columns, settings.border = row.border;
    settings.repeatToFill = row.repeat, settings.rotateToFit = row.rotate, settings.cropToFit = row.crop;
    Compose(Photos(row.photoCount, row.photoW, row.photoH));
    for (const Probe& probe : row.probes) {
      SCOPED_TRACE(testing::Message() << probe.x << "," << probe.y);
      EXPECT_TRUE(Near(At(probe.x, probe.y), probe.colour)) << std::hex << At(probe.x, probe.y);
    }
  }
}

TEST_F(PrintPageComposerTest, FrameImagesShrinkTheFreeArea) {
  ASSERT_TRUE(SaveSessionImage(images.File("header.jpg"), 600, 50, RGB(10, 10, 10)));
  ASSERT_TRUE(SaveSessionImage(images.File("footer.jpg"), 1200, 80, RGB(20, 20, 20)));  // limited to W: 600 x 40
  ASSERT_TRUE(SaveSessionImage(images.File("left.jpg"), 30, 310, RGB(30, 30, 30)));
  ASSERT_TRUE(SaveSessionImage(images.File("right.jpg"), 40, 100, RGB(40, 40, 40)));
  NewPage(600, 400);
  PrintPageComposer composer(page, settings, hooks);
  composer.ComposeFrameImages();
  EXPECT_EQ(composer.m_nTop, 50);
  EXPECT_EQ(composer.m_nHeight, 400 - 40 - 50);
  EXPECT_EQ(composer.m_nLeft, 30);
  EXPECT_EQ(composer.m_nWidth, 600 - 40 - 30);
  EXPECT_TRUE(Near(At(300, 10), RGB(10, 10, 10)));
  EXPECT_TRUE(Near(At(300, 390), RGB(20, 20, 20)));
  EXPECT_TRUE(Near(At(10, 200), RGB(30, 30, 30)));
  EXPECT_TRUE(Near(At(580, 205), RGB(40, 40, 40)));  // centred in the free height
  EXPECT_TRUE(Near(At(580, 100), kWhite));
}

TEST_F(PrintPageComposerTest, BackgroundAndOverlayCentredInsideTheMargins) {
  ASSERT_TRUE(SaveSessionImage(images.File("background.jpg"), 100, 100, RGB(50, 50, 200)));
  PipSession overlay;
  ASSERT_TRUE(cNewImage(overlay.m_hSession, 700, 20, RGB(200, 50, 50)));  // wider than the page: cut
  ASSERT_TRUE(cSave(overlay.m_hSession, images.File("overlay.png").c_str(), PIP_FORMAT_PNG, 0, 0, 0));
  settings.marginLeft = 100, settings.marginRight = 0, settings.marginTop = 0, settings.marginBottom = 0;
  NewPage(600, 400);
  Compose(CStringArray());
  // x = 100 + (600 - 100 - 100) / 2 = 300, y = 150
  EXPECT_TRUE(Near(At(305, 155), RGB(50, 50, 200)));
  EXPECT_TRUE(Near(At(295, 155), kWhite));
  EXPECT_TRUE(Near(At(2, 195), RGB(200, 50, 50)));
  EXPECT_TRUE(Near(At(598, 195), RGB(200, 50, 50)));
}

TEST_F(PrintPageComposerTest, CustomBoxesShareOnePreparedImageAndDeriveAMissingSide) {
  ASSERT_TRUE(SaveSessionImage(images.File("image_overlay.png"), 4, 4, RGB(0, 0, 0)));
  int preparations = 0;
  hooks.mergeOverlay = [&](PipSession&, PipSession&) { ++preparations; };
  settings.customLayout = TRUE;
  settings.boxes[0] = {1, 0, 0, 150, 100, 0};
  settings.boxes[1] = {1, 200, 0, 350, 100, 0};    // same photo and size: drawn from the first
  settings.boxes[2] = {1, 400, 0, 460, 100, 0};    // another size: prepared again
  settings.boxes[3] = {2, 0, 200, -1, 300, 0};     // width from the aspect: 150
  settings.boxes[4] = {2, 300, 200, 450, 300, 900};  // turned a quarter: 100 x 150 at its left, top
  NewPage(600, 400);
  std::vector<std::unique_ptr<Gdiplus::Bitmap>> gif;
  settings.gifFrames = TRUE;
  Compose(Photos(2), &gif);
  EXPECT_EQ(preparations, 4);  // boxes 0 (with 1), 2, 3, 4
  for (const Probe& probe : std::vector<Probe>{{75, 50, kPhoto[0]}, {275, 50, kPhoto[0]}, {430, 50, kPhoto[0]},
                                               {175, 50, kWhite}, {145, 250, kPhoto[1]}, {155, 250, kWhite},
                                               {350, 340, kPhoto[1]}, {420, 250, kWhite}}) {
    SCOPED_TRACE(testing::Message() << probe.x << "," << probe.y);
    EXPECT_TRUE(Near(At(probe.x, probe.y), probe.colour)) << std::hex << At(probe.x, probe.y);
  }
  ASSERT_EQ(gif.size(), 2u);
  ASSERT_TRUE(gif[0] && gif[1]);
  EXPECT_EQ(gif[0]->GetWidth(), 300u);  // the photo before its layout sizing
}

TEST_F(PrintPageComposerTest, QrBoxWithAnEmptyTextStillRendersTheDefaultAddress) {
  settings.customLayout = TRUE;
  settings.qrText = "{nothing}";
  tokens.SetAt("{nothing}", "");
  settings.boxes[0] = {kQrCodeSelector, 100, 100, 300, 300, 0};
  NewPage(400, 400);
  Compose(Photos(1));
  int dark = 0;
  for (int y = 100; y < 300; y += 3)
    for (int x = 100; x < 300; x += 3) dark += GetRValue(At(x, y)) < 64;
  EXPECT_GT(dark, 200);
  EXPECT_TRUE(Near(At(50, 50), kWhite));
}

TEST_F(PrintPageComposerTest, GreenScreenTakesTheNumberedBackgroundWhenThereIsOne) {
  ASSERT_TRUE(SaveSessionImage(images.File("greenscreen_background.jpg"), 10, 10, RGB(1, 2, 3)));
  ASSERT_TRUE(SaveSessionImage(images.File("greenscreen_background_2.jpg"), 10, 10, RGB(1, 2, 3)));
  std::vector<std::string> used;
  hooks.greenscreen = [&](PipSession&, const char* path) { used.push_back(path); };
  settings.greenScreen = TRUE;
  settings.saveGreenscreened = TRUE;
  settings.greenscreenFolder = (photos.Path() + "/greenscreen").c_str();
  settings.rows = 3, settings.columns = 1;
  NewPage(300, 600);
  Compose(Photos(3));
  ASSERT_EQ(used.size(), 3u);
  EXPECT_EQ(used[0], images.File("greenscreen_background.jpg"));
  EXPECT_EQ(used[1], images.File("greenscreen_background_2.jpg"));
  EXPECT_EQ(used[2], images.File("greenscreen_background.jpg"));
  EXPECT_TRUE(std::filesystem::exists(photos.File("greenscreen/IMG_0002.png")));
}

TEST_F(PrintPageComposerTest, CaptionPassesAndDoubleStrip) {
  settings.customLayout = TRUE;
  settings.customDoubleStrip = TRUE;
  settings.printerLogPixelsY = 96;
  settings.boxes[0] = {1, 0, 0, 300, 200, 0};
  PhotoboothCaption first = PhotoboothCaption::MakeNew(1, 20, 250);
  first.m_strText = "WWWW";
  first.m_colour = RGB(0, 0, 0);
  PhotoboothCaption second = PhotoboothCaption::MakeNew(2, 20, 330);
  second.m_strText = "{message}";
  second.m_colour = RGB(0, 0, 0);
  settings.captions[0] = first;
  settings.captions[1] = second;
  NewPage(600, 400);
  auto darkIn = [this](int top, int bottom, int left, int right) {
    int dark = 0;
    for (int y = top; y < bottom; ++y)
      for (int x = left; x < right; ++x) dark += GetRValue(At(x, y)) < 128;
    return dark;
  };
  PrintPageComposer composer(page, settings, hooks);
  composer.ComposePhotos(Photos(1), tokens, 0.0, nullptr);
  composer.DrawCaptions(false, tokens);
  composer.CopyDoubleStrip();
  EXPECT_GT(darkIn(240, 320, 0, 300), 20);
  EXPECT_EQ(darkIn(320, 400, 0, 300), 0);  // the message waits for the second pass
  EXPECT_TRUE(Near(At(450, 100), kPhoto[0]));
  EXPECT_EQ(darkIn(240, 320, 300, 600), darkIn(240, 320, 0, 300));
  tokens.SetAt("{message}", "MMMM");
  composer.DrawCaptions(true, tokens);
  EXPECT_GT(darkIn(320, 400, 0, 300), 20);
  EXPECT_EQ(darkIn(320, 400, 300, 600), 0);  // after the copy: left half only
}

TEST_F(PrintPageComposerTest, LargeJpegsAreDecodedReducedButNeverBelowTheGifWidth) {
  PipSession big;
  ASSERT_TRUE(cNewImage(big.m_hSession, 2400, 1600, kPhoto[2]));
  std::string path = photos.File("IMG_0001.JPG");
  ASSERT_TRUE(cSave(big.m_hSession, path.c_str(), PIP_FORMAT_JPEG, 0, 0, 0));
  CStringArray list;
  list.Add(path.c_str());
  // A GIF width of 10 or less asks for frames of the photos' own size.
  const struct {
    int gifWidth;
    bool whole;
  } rows[] = {{400, false}, {11, false}, {10, true}, {0, true}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.gifWidth);
    settings.customLayout = TRUE;
    settings.gifFrames = TRUE;
    settings.gifWidth = row.gifWidth;
    settings.boxes[0] = {1, 10, 10, 310, 210, 0};
    NewPage(400, 300);
    std::vector<std::unique_ptr<Gdiplus::Bitmap>> gif;
    Compose(list, &gif);
    EXPECT_TRUE(Near(At(160, 110), kPhoto[2]));
    EXPECT_TRUE(Near(At(5, 5), kWhite));
    EXPECT_TRUE(Near(At(315, 110), kWhite));
    ASSERT_EQ(gif.size(), 1u);
    ASSERT_TRUE(gif[0]);
    if (row.whole) {
      EXPECT_EQ(gif[0]->GetWidth(), 2400u);
      EXPECT_EQ(gif[0]->GetHeight(), 1600u);
    } else {
      EXPECT_GE(gif[0]->GetWidth(), unsigned(std::max(row.gifWidth, 300)));
      EXPECT_LT(gif[0]->GetWidth(), 2400u);  // a DCT-scaled decode, not the whole file
    }
  }
}

TEST_F(PrintPageComposerTest, ReducedDecodeGivesThePageOfTheWholeDecode) {
  // The same camera-like photos as JPEG (decoded reduced) and as PNG of their whole decode.
  CStringArray jpegs, pngs;
  for (int i = 0; i < 3; ++i) {
    const int w = 1600, h = 1200;
    std::vector<BYTE> bgr(size_t(w) * h * 3);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        BYTE* p = &bgr[(size_t(y) * w + x) * 3];
        bool disc = (x - 500 - 200 * i) * (x - 500 - 200 * i) + (y - 600) * (y - 600) < 300 * 300;
        p[0] = BYTE(disc ? 40 : x * 255 / w);
        p[1] = BYTE(disc ? 200 - 50 * i : y * 255 / h);
        p[2] = BYTE((x + y + 300 * i) % 256);
      }
    PipSession photo;
    ASSERT_TRUE(cLoadImage8(photo.m_hSession, bgr.data(), DWORD(bgr.size()), w, h, 0, 0, 0));
    std::string jpeg = photos.File("IMG_000" + std::to_string(i + 1) + ".JPG");
    std::string png = photos.File("IMG_000" + std::to_string(i + 1) + ".png");
    ASSERT_TRUE(cSave(photo.m_hSession, jpeg.c_str(), PIP_FORMAT_JPEG, 0, 0, 0));
    PipSession whole;
    ASSERT_TRUE(cLoadImage(whole.m_hSession, jpeg.c_str(), 0, 0, 0));
    ASSERT_TRUE(cSave(whole.m_hSession, png.c_str(), PIP_FORMAT_PNG, 0, 0, 0));
    jpegs.Add(jpeg.c_str());
    pngs.Add(png.c_str());
  }
  struct Row {
    const char* name;
    BOOL custom;
    int quality;
  } rows[] = {{"custom boxes, fast resize", TRUE, 3}, {"custom boxes, high quality", TRUE, 7},
              {"grid, fast resize", FALSE, 3}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    settings.customLayout = row.custom;
    settings.resizeQuality = row.quality;
    settings.rows = 2, settings.columns = 2, settings.cropToFit = TRUE;
    settings.boxes[0] = {1, 10, 10, 370, 250, 0};
    settings.boxes[1] = {2, 380, 10, 590, 250, 0};
    settings.boxes[2] = {3, 10, 260, 250, 390, 0};
    PolyArray reduced, whole;
    NewPage(600, 400);
    Compose(jpegs);
    ASSERT_TRUE(cGetImage16(page.m_hSession, &reduced));
    NewPage(600, 400);
    Compose(pngs);
    ASSERT_TRUE(cGetImage16(page.m_hSession, &whole));
    ASSERT_EQ(reduced.Size(), whole.Size());
    double sum = 0;
    size_t far = 0;
    for (size_t i = 0; i < reduced.Size(); ++i) {
      int d = std::abs(int(reduced.Data()[i]) - int(whole.Data()[i]));
      sum += d;
      far += d > 24;
    }
    EXPECT_LT(sum / double(reduced.Size()), 2.0);
    EXPECT_LT(double(far) / double(reduced.Size()), 0.005);
  }
}

TEST_F(PrintPageComposerTest, CustomLayoutWithEveryBoxEmptyFallsBackToTheGrid) {
  // As on a fresh installation: the custom layout is on, but no box has been drawn yet.
  settings.customLayout = TRUE;
  settings.rows = 2, settings.columns = 2;
  NewPage(600, 400);
  Compose(Photos(4));
  const Probe probes[] = {{150, 100, kPhoto[0]}, {450, 100, kPhoto[1]}, {150, 300, kPhoto[2]}, {450, 300, kPhoto[3]}};
  for (const Probe& probe : probes) {
    SCOPED_TRACE(testing::Message() << probe.x << "," << probe.y);
    EXPECT_TRUE(Near(At(probe.x, probe.y), probe.colour)) << std::hex << At(probe.x, probe.y);
  }
}
