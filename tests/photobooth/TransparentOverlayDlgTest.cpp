#include "photobooth/TransparentOverlayDlg.h"

#include "photobooth/FullscreenDlg.h"
#include "platform/mfc/dialogscript.h"
#include "platform/user/paint.h"
#include "tests/photobooth/BoothTestSupport.h"

namespace {

class CMovieBooth : public CFullscreenDlg {
 public:
  using CFullscreenDlg::CFullscreenDlg;
  bool HasMovie() const override { return m_movie; }
  bool m_movie = false;
};

class TransparentOverlayDlgTest : public ViewTestBase {
 protected:
  void SetUp() override {
    ViewTestBase::SetUp();
    m_view->m_bPhotoboothActive = true;
    m_booth = std::make_unique<CMovieBooth>(m_view, 1);
    m_view->m_pFullscreenDlg = m_booth.get();
    ASSERT_TRUE(m_booth->Create(IDD_FULLSCREEN, m_view));
  }
  void TearDown() override {
    m_view->m_pFullscreenDlg = nullptr;
    m_booth->DestroyWindow();
    m_booth.reset();
    ViewTestBase::TearDown();
  }
  // The box around every pixel of the overlay that is not the key colour; empty when none.
  CRect DrawnBox() {
    CRect box(0, 0, 0, 0);
    CBitmap* surface = m_booth->m_pOverlay ? m_booth->m_pOverlay->Surface() : nullptr;
    if (!surface) return box;
    BITMAP info{};
    surface->GetBitmap(&info);
    CDC dc;
    dc.CreateCompatibleDC(nullptr);
    CBitmap* old = dc.SelectObject(surface);
    bool any = false;
    for (int y = 0; y < info.bmHeight; y += 2)
      for (int x = 0; x < info.bmWidth; x += 2) {
        if (dc.GetPixel(x, y) == CTransparentOverlayDlg::kColorKey) continue;
        if (!any) box.SetRect(x, y, x + 1, y + 1);
        any = true;
        box.left = std::min<LONG>(box.left, x), box.top = std::min<LONG>(box.top, y);
        box.right = std::max<LONG>(box.right, x + 1), box.bottom = std::max<LONG>(box.bottom, y + 1);
      }
    dc.SelectObject(old);
    return box;
  }
  void WipeOverlay() {
    CBitmap* surface = m_booth->m_pOverlay->Surface();
    BITMAP info{};
    surface->GetBitmap(&info);
    CDC dc;
    dc.CreateCompatibleDC(nullptr);
    CBitmap* old = dc.SelectObject(surface);
    dc.FillSolidRect(0, 0, info.bmWidth, info.bmHeight, CTransparentOverlayDlg::kColorKey);
    dc.SelectObject(old);
  }
  std::unique_ptr<CMovieBooth> m_booth;
};

TEST_F(TransparentOverlayDlgTest, TheFirstTextMakesTheWindowAndTheNextDrawsOnce) {
  EXPECT_EQ(0x030201u, CTransparentOverlayDlg::kColorKey);
  m_booth->SetCountdownText("Taking photo 1 of 4 in 5 secs");
  ASSERT_NE(nullptr, m_booth->m_pOverlay);
  EXPECT_NE(0u, m_booth->m_pOverlay->GetExStyle() & WS_EX_LAYERED);
  EXPECT_TRUE(m_booth->m_pOverlay->IsWindowVisible());
  EXPECT_TRUE(DrawnBox().IsRectEmpty());  // nothing drawn yet
  m_booth->SetCountdownText("Taking photo 1 of 4 in 5 secs");
  EXPECT_FALSE(DrawnBox().IsRectEmpty());
  WipeOverlay();
  m_booth->SetCountdownText("Taking photo 1 of 4 in 5 secs");  // the same text: not drawn again
  EXPECT_TRUE(DrawnBox().IsRectEmpty());
  m_booth->SetCountdownText("Taking photo 1 of 4 in 4 secs");
  EXPECT_FALSE(DrawnBox().IsRectEmpty());
  m_booth->SetCountdownText("");  // erases
  EXPECT_TRUE(DrawnBox().IsRectEmpty());
}

TEST_F(TransparentOverlayDlgTest, DuringAMovieTheTextIsOnlyKept) {
  m_booth->SetCountdownText("a");
  m_booth->SetCountdownText("a");
  WipeOverlay();
  m_booth->m_movie = true;
  m_booth->SetCountdownText("b");
  EXPECT_STREQ("b", m_booth->m_strCountdownText.GetString());
  EXPECT_TRUE(DrawnBox().IsRectEmpty());
  m_booth->m_movie = false;
  m_booth->SetCountdownText("c");
  EXPECT_FALSE(DrawnBox().IsRectEmpty());
}

TEST_F(TransparentOverlayDlgTest, TheTextIsCentredOrPlacedByItsOffset) {
  m_booth->SetCountdownText("x");
  CRect client;
  m_booth->m_pOverlay->GetClientRect(&client);
  const struct {
    int yOffset;
    const char* text;
  } rows[] = {{0, "WWWW"}, {40, "WWWW"}, {100000, "WWWW"}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.yOffset);
    m_view->m_nPhotoboothTextYOffset = row.yOffset;
    m_booth->SetCountdownText("");
    m_booth->SetCountdownText(row.text);
    CRect box = DrawnBox();
    ASSERT_FALSE(box.IsRectEmpty());
    EXPECT_NEAR(client.Width() / 2, (box.left + box.right) / 2, 4);
    if (row.yOffset == 0) {
      EXPECT_NEAR(client.Height() / 2, (box.top + box.bottom) / 2, 4);
    }
    // The ink lies within the text's cell, a few pixels inside its edges.
    if (row.yOffset == 40) {
      EXPECT_TRUE(box.top >= 40 && box.top < 60) << box.top;
    }
    if (row.yOffset == 100000) {
      EXPECT_TRUE(box.bottom <= client.Height() && box.bottom > client.Height() - 20) << box.bottom;
    }
  }
}

TEST_F(TransparentOverlayDlgTest, WithTheLivePictureShownTheTextGoesBesideIt) {
  PushDialogScript(DialogScript().RunUntil([] { return false; }));
  m_view->StartCameraConnection();
  ClearDialogScripts();
  ASSERT_NE(nullptr, m_view->m_pCamera);
  m_booth->SetCountdownText("x");
  CRect client;
  m_booth->m_pOverlay->GetClientRect(&client);
  const int H = client.Height();
  m_booth->m_bLiveView = true;
  m_booth->m_nLiveViewHeight = H / 2;
  struct Row {
    const char* name;
    int liveTop;
    int textYOffset;
  } rows[] = {
      {"more room below: below the picture", 20, 0},
      {"more room above: above the picture", H / 2 - 20, 0},
      {"the text offset still decides", 20, 30},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    m_view->m_nPhotoboothEvfYOffset = row.liveTop;
    m_view->m_nPhotoboothTextYOffset = row.textYOffset;
    m_booth->SetCountdownText("");
    m_booth->SetCountdownText("WWWW");
    CRect box = DrawnBox();
    ASSERT_FALSE(box.IsRectEmpty());
    int liveBottom = row.liveTop + H / 2;
    if (row.textYOffset > 0) {
      EXPECT_TRUE(box.top >= row.textYOffset && box.top < row.textYOffset + 20) << box.top;
    } else if (H - liveBottom >= row.liveTop) {
      EXPECT_GE(box.top, liveBottom) << "not over the live picture";
      EXPECT_NEAR(liveBottom + (H - liveBottom) * 2 / 5, box.top, 12);
    } else {
      EXPECT_LE(box.bottom, row.liveTop) << "not over the live picture";
      EXPECT_NEAR(row.liveTop * 2 / 5, box.top, 12);
    }
  }
  m_booth->m_bLiveView = false;
  m_view->m_nPhotoboothTextYOffset = 0;
  m_booth->SetCountdownText("");
  m_booth->SetCountdownText("WWWW");
  EXPECT_NEAR(H / 2, (DrawnBox().top + DrawnBox().bottom) / 2, 4) << "centred without the live picture";
}

}  // namespace
