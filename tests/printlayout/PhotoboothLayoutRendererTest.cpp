#include "printlayout/PhotoboothLayoutRenderer.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "PrintLayoutTestSupport.h"
#include "platform/gdi/wingdi.h"
#include "platform/polyimage/polyimage.h"
#include "support/PipSession.h"

namespace fs = std::filesystem;

namespace {

// Client 1230 x 840 with controls up to x = 10: a 1200 x 800 preview at (20, 20), 2/3 of the page.
const int kClientWidth = 1230, kClientHeight = 840, kControlsRight = 10, kX0 = 20, kY0 = 20;
const COLORREF kUnpainted = RGB(255, 0, 255);
const COLORREF kPaper = RGB(250, 250, 200);

void SaveSolid(const std::string& path, int width, int height, COLORREF colour, int format) {
  PipSession image;
  ASSERT_NE(cNewImage(image.m_hSession, width, height, colour), 0);
  ASSERT_NE(cSave(image.m_hSession, path.c_str(), format, 0, 0, 0), 0);
}

bool Near(COLORREF actual, COLORREF expected, int tolerance = 12) {
  return std::abs(int(GetRValue(actual)) - int(GetRValue(expected))) <= tolerance &&
         std::abs(int(GetGValue(actual)) - int(GetGValue(expected))) <= tolerance &&
         std::abs(int(GetBValue(actual)) - int(GetBValue(expected))) <= tolerance;
}

class PhotoboothLayoutRendererTest : public testing::Test {
 protected:
  void SetUp() override {
    m_folder = PrintLayoutTestDir() + "/renderer-" + testing::UnitTest::GetInstance()->current_test_info()->name();
    fs::create_directories(m_folder);
    SaveSolid(m_folder + "/background.jpg", 600, 300, RGB(0, 0, 255), PIP_FORMAT_JPEG);
    SaveSolid(m_folder + "/header.jpg", 300, 60, RGB(255, 0, 0), PIP_FORMAT_JPEG);
    SaveSolid(m_folder + "/footer.jpg", 300, 60, RGB(0, 160, 0), PIP_FORMAT_JPEG);
    m_model.pageWidth = 1800;
    m_model.pageHeight = 1200;
    m_model.dpiX = m_model.dpiY = 300;
    m_model.leftMargin = 30, m_model.topMargin = 45, m_model.rightMargin = 90, m_model.bottomMargin = 15;
    m_model.photos = 4;
    m_model.background = kPaper;
    m_model.boxes[0] = LayoutEditBox{1, 0.0, 300, 600, 300, 150};
    m_model.boxes[1] = LayoutEditBox{2, 90.0, 900, 300, 300, 150};
    m_model.boxes[2] = LayoutEditBox{5, 0.0, 1200, 600, 150, 150};
    m_model.captions[0] = PhotoboothCaption::MakeNew(1, 150, 1000);
    m_model.captions[0].m_strText = "Smile!";
    m_model.captions[0].m_nMaxLineWidth = 600;
    m_renderer.m_strImagesFolder = m_folder.c_str();
    m_renderer.m_recordUndo = [this](int tag) { m_undoTags.push_back(tag); };
    PhotoboothLayoutRenderer::s_show = LayoutShowFlags{};
    ASSERT_NE(cNewImage(m_canvas.m_hSession, kClientWidth, kClientHeight, kUnpainted), 0);
  }
  void TearDown() override { PhotoboothLayoutRenderer::s_show = LayoutShowFlags{}; }

  void Draw(int tag = 0) {
    HDC dc = cGetImageDC(m_canvas.m_hSession);
    ASSERT_NE(dc, nullptr);
    m_renderer.DrawLayout(dc, kClientWidth, kClientHeight, kControlsRight, tag);
    cReleaseImageDC(m_canvas.m_hSession, dc);
  }
  COLORREF Pixel(int x, int y) {
    COLORREF colour = 0;
    cGetPixelColor(m_canvas.m_hSession, kX0 + x, kY0 + y, &colour);
    return colour;
  }

  std::string m_folder;
  PrintLayoutModel m_model;
  PhotoboothLayoutRenderer m_renderer{m_model};
  PipSession m_canvas;
  std::vector<int> m_undoTags;
};

TEST_F(PhotoboothLayoutRendererTest, BoxesImagesAndEdgesByPixel) {
  PhotoboothLayoutRenderer::s_show.printerMargins = true;
  m_renderer.m_selectedBoxes = {0};
  Draw(7);
  EXPECT_EQ(m_renderer.m_nPreviewWidth, 1200);
  EXPECT_EQ(m_renderer.m_nPreviewHeight, 800);
  EXPECT_EQ(m_renderer.m_nOriginX, kX0);
  EXPECT_EQ(m_renderer.m_nOriginY, kY0);
  EXPECT_EQ(m_undoTags, std::vector<int>{7});

  EXPECT_TRUE(Near(Pixel(206, 406), 0x96FF96)) << std::hex << Pixel(206, 406);  // photo 1
  EXPECT_TRUE(Near(Pixel(606, 206), 0xFF9696)) << std::hex << Pixel(606, 206);  // photo 2, turned
  EXPECT_TRUE(Near(Pixel(690, 390), 0xFF9696)) << std::hex << Pixel(690, 390);  // its footprint runs down
  EXPECT_TRUE(Near(Pixel(806, 406), RGB(128, 128, 128))) << std::hex << Pixel(806, 406);  // the QR code
  EXPECT_TRUE(Near(Pixel(910, 410), kPaper)) << std::hex << Pixel(910, 410);

  // The background is centred between the margins: x 570..1170, y 465..765 printer pixels.
  EXPECT_TRUE(Near(Pixel(382, 312), RGB(0, 0, 255), 30)) << std::hex << Pixel(382, 312);
  EXPECT_TRUE(Near(Pixel(777, 507), RGB(0, 0, 255), 30)) << std::hex << Pixel(777, 507);
  EXPECT_TRUE(Near(Pixel(377, 312), kPaper)) << std::hex << Pixel(377, 312);
  EXPECT_TRUE(Near(Pixel(782, 507), kPaper)) << std::hex << Pixel(782, 507);
  // Header and footer touch the page's top and bottom edges, centred on the whole width.
  EXPECT_TRUE(Near(Pixel(600, 0), RGB(255, 0, 0), 30)) << std::hex << Pixel(600, 0);
  EXPECT_TRUE(Near(Pixel(502, 38), RGB(255, 0, 0), 30)) << std::hex << Pixel(502, 38);
  EXPECT_TRUE(Near(Pixel(600, 798), RGB(0, 160, 0), 30)) << std::hex << Pixel(600, 798);
  EXPECT_FALSE(Near(Pixel(600, 41), RGB(255, 0, 0), 30));

  // One selection: handles (white circles) at the corners and the turning handle.
  cSave(m_canvas.m_hSession, TAVORIN_BINARY_DIR "/printlayout-renderer.png", PIP_FORMAT_PNG, 0, 0, 0);
  EXPECT_EQ(Pixel(200, 500), RGB(255, 255, 255));
  EXPECT_EQ(Pixel(380, 450), RGB(255, 255, 255));

  m_renderer.m_selectedBoxes = {0, 2};
  Draw();
  EXPECT_TRUE(Near(Pixel(380, 450), 0x96FF96)) << std::hex << Pixel(380, 450);
  EXPECT_NE(Pixel(200, 500), RGB(255, 255, 255));
}

TEST_F(PhotoboothLayoutRendererTest, HiddenMarginsStayUnpaintedButTicked) {
  Draw();
  // Margins in preview pixels: left 20, top 30, right 60, bottom 10.
  EXPECT_EQ(Pixel(10, 400), kUnpainted);
  EXPECT_EQ(Pixel(600, 15), kUnpainted);
  EXPECT_EQ(Pixel(1170, 400), kUnpainted);
  EXPECT_EQ(Pixel(600, 795), kUnpainted);
  EXPECT_TRUE(Near(Pixel(25, 400), kPaper));
  // Ticks of the margins outside the page.
  EXPECT_EQ(Pixel(20, -5), RGB(0, 0, 0));
  EXPECT_EQ(Pixel(20, 805), RGB(0, 0, 0));
  EXPECT_EQ(Pixel(-4, 30), RGB(0, 0, 0));
  EXPECT_EQ(Pixel(-4, 100), kUnpainted);
}

TEST_F(PhotoboothLayoutRendererTest, NoPrinterDrawsOnlyTheOutline) {
  m_model.pageWidth = m_model.pageHeight = 0;
  Draw();
  EXPECT_EQ(m_renderer.m_nPreviewHeight, 0);
  EXPECT_EQ(Pixel(300, 300), kUnpainted);
  EXPECT_EQ(PrinterToPreview(100, 1200, 0), 0);
}

TEST_F(PhotoboothLayoutRendererTest, HiddenLayersAndDragsRecordNoUndo) {
  PhotoboothLayoutRenderer::s_show.background = false;
  PhotoboothLayoutRenderer::s_show.backgroundColour = false;
  Draw(3);
  EXPECT_EQ(Pixel(382, 312), RGB(255, 255, 255));
  EXPECT_EQ(Pixel(600, 50), RGB(255, 255, 255));
  // A box set to none is neither drawn nor labelled.
  m_model.boxes[0].image = 0;
  Draw();
  EXPECT_EQ(Pixel(206, 406), RGB(255, 255, 255));
  EXPECT_EQ(m_undoTags.size(), 2u);
}

}  // namespace

namespace {

TEST_F(PhotoboothLayoutRendererTest, ThumbnailShowsEveryLayerWithoutSelection) {
  PhotoboothLayoutRenderer::s_show.background = false;
  m_renderer.m_selectedBoxes = {1};
  std::vector<BYTE> jpeg = m_renderer.MakeThumbnail(kClientWidth, kClientHeight, kControlsRight);
  ASSERT_FALSE(jpeg.empty());
  EXPECT_TRUE(m_undoTags.empty());
  EXPECT_FALSE(PhotoboothLayoutRenderer::s_show.background);
  EXPECT_EQ(m_renderer.m_selectedBoxes, std::vector<int>{1});
  PipSession thumbnail;
  ASSERT_NE(cLoadData(thumbnail.m_hSession, jpeg.data(), static_cast<DWORD>(jpeg.size()), 0, 0, 0), 0);
  EXPECT_EQ(thumbnail.GetWidth(), 200u);  // the printable part, 1120 x 760 preview pixels, fitted into 200 x 200
  EXPECT_NEAR(static_cast<int>(thumbnail.GetHeight()), 136, 1);
  COLORREF corner = 0xFFFFFF, inside = 0;
  cGetPixelColor(thumbnail.m_hSession, 0, 50, &corner);
  EXPECT_LT(GetRValue(corner), 80);  // the black frame
  cGetPixelColor(thumbnail.m_hSession, 100, 70, &inside);
  EXPECT_GT(GetBValue(inside), 150);  // the background is shown again
  EXPECT_LT(GetRValue(inside), 100);
}

}  // namespace
