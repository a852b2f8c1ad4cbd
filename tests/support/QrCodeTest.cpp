#include "support/QrCode.h"

#include <gtest/gtest.h>

#include "platform/polyimage/polyimage.h"

namespace {

// True when the pixel at x, y of the session's image is dark.
bool Dark(PipSession& session, int x, int y) {
  PolyArray pixels;
  if (!cGetImage16(session.m_hSession, &pixels)) return false;
  size_t at = (static_cast<size_t>(y) * session.GetWidth() + x) * 3;
  return at + 2 < pixels.Size() && pixels.Data()[at] < 128;
}

}  // namespace

TEST(QrCodeTest, DrawsTheSymbolWithABorderScaledToTheSmallerSide) {
  PipSession session;
  ASSERT_TRUE(RenderQrCode(&session, 230, 230, "HELLO", 0));  // version 1: 21 modules + 2 of border
  EXPECT_EQ(session.GetWidth(), 230u);
  EXPECT_EQ(session.GetHeight(), 230u);
  EXPECT_FALSE(Dark(session, 5, 5));    // border module
  EXPECT_TRUE(Dark(session, 15, 15));   // outer ring of the top-left finder
  EXPECT_FALSE(Dark(session, 25, 25));  // white ring of the finder
  EXPECT_TRUE(Dark(session, 45, 45));   // centre of the finder
  EXPECT_TRUE(Dark(session, 214, 15));  // top-right finder
  EXPECT_FALSE(Dark(session, 214, 214));  // no finder bottom-right
}

TEST(QrCodeTest, WideAreasCentreTheSquare) {
  PipSession session;
  ASSERT_TRUE(RenderQrCode(&session, 330, 230, "HELLO", 0));
  EXPECT_EQ(session.GetWidth(), 330u);
  EXPECT_EQ(session.GetHeight(), 230u);
  EXPECT_FALSE(Dark(session, 15, 15));
  EXPECT_TRUE(Dark(session, 50 + 15, 15));
}

TEST(QrCodeTest, LevelChangesTheSymbolAndBadInputFails) {
  PipSession session;
  ASSERT_TRUE(RenderQrCode(&session, 100, 100, "https://example.com/photo/0001", 0));
  ASSERT_TRUE(RenderQrCode(&session, 100, 100, "https://example.com/photo/0001", 3));
  ASSERT_TRUE(RenderQrCode(&session, 100, 100, "https://example.com/photo/0001", 3));  // from the cache
  EXPECT_FALSE(RenderQrCode(&session, 100, 100, "text", 7));
  EXPECT_FALSE(RenderQrCode(&session, 100, 100, "", 0));
  EXPECT_FALSE(RenderQrCode(nullptr, 100, 100, "text", 0));
  EXPECT_FALSE(RenderQrCode(&session, 100, 100, std::string(8000, 'x').c_str(), 3));  // beyond version 40
}
