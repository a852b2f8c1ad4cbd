#include "support/Toning.h"

#include <gtest/gtest.h>

TEST(ToningTest, HslToRgb) {
  const struct {
    double h, s, l;
    int r, g, b;
  } rows[] = {
      {0, 1, 0.5, 255, 0, 0},          {1.0 / 3, 1, 0.5, 0, 255, 0}, {2.0 / 3, 1, 0.5, 0, 0, 255},
      {0.5, 1, 0.25, 0, 128, 128},     {1, 1, 0.5, 255, 0, 0},       {-1, 1, 0.5, 128, 128, 128},
      {0.25, 0, 0.2, 51, 51, 51},      {1.0 / 12, 1, 0.5, 255, 128, 0}, {0.75, 0.5, 0.75, 191, 159, 223},
      {0.9, 1, 1, 255, 255, 255},      {0.3, 1, 0, 0, 0, 0},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(testing::Message() << row.h << " " << row.s << " " << row.l);
    int r = -1, g = -1, b = -1;
    HslToRgb(row.h, row.s, row.l, r, g, b, 255);
    EXPECT_EQ(r, row.r);
    EXPECT_EQ(g, row.g);
    EXPECT_EQ(b, row.b);
  }
}

TEST(ToningTest, SaturationZeroGivesAGreyRamp) {
  BuildToningTable(0.1, 0);
  for (int n = 0; n < 256; ++n) {
    SCOPED_TRACE(n);
    EXPECT_EQ(g_toningTable[n][0], n);
    EXPECT_EQ(g_toningTable[n][1], n);
    EXPECT_EQ(g_toningTable[n][2], n);
  }
}

TEST(ToningTest, SepiaTableRunsFromBlackToWhiteThroughTheTint) {
  BuildToningTable(0.08, 0.5);
  EXPECT_EQ(g_toningTable[0][0], 0);
  EXPECT_EQ(g_toningTable[255][2], 255);
  EXPECT_GT(g_toningTable[128][0], g_toningTable[128][1]);
  EXPECT_GT(g_toningTable[128][1], g_toningTable[128][2]);
}
