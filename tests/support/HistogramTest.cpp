#include "support/Histogram.h"

#include <gtest/gtest.h>

TEST(CHistogramTest, CountsOnePixelBeforeNormalisation) {
  CHistogram histogram;
  histogram.AddPixel(10, 20, 30);
  EXPECT_EQ(histogram.m_pixelCount, 1);
  EXPECT_EQ(histogram.m_red[10], 1);
  EXPECT_EQ(histogram.m_green[20], 1);
  EXPECT_EQ(histogram.m_blue[30], 1);
  EXPECT_EQ(histogram.m_intensity[10], 1);
  EXPECT_EQ(histogram.m_intensity[20], 2);  // the green level and the mean
  EXPECT_EQ(histogram.m_intensity[30], 1);
  EXPECT_EQ(histogram.m_normalised, 0);
}

TEST(CHistogramTest, NormalisationCutsToAFiftiethOfThePixels) {
  CHistogram histogram;
  for (int i = 0; i < 100; ++i) histogram.AddPixel(0, 0, 0);
  EXPECT_EQ(histogram.GetRed(0), 2);
  EXPECT_EQ(histogram.GetGreen(0), 2);
  EXPECT_EQ(histogram.GetBlue(0), 2);
  EXPECT_EQ(histogram.GetIntensity(0), 2);
  EXPECT_EQ(histogram.m_maxIntensity, 2);
  EXPECT_EQ(histogram.m_maxRed, 2);
  EXPECT_EQ(histogram.GetRed(1), 0);
  // A second normalisation changes nothing.
  histogram.Normalise();
  EXPECT_EQ(histogram.GetIntensity(0), 2);
}

TEST(CHistogramTest, LevelsAndEmptyHistograms) {
  CHistogram histogram;
  for (int i = 0; i < 1000; ++i) histogram.AddPixel(static_cast<BYTE>(i % 4), 100, 200);
  const struct {
    int level;
    int red, intensity;
  } rows[] = {{0, 20, 20}, {3, 20, 20}, {4, 0, 0}, {100, 0, 20}, {-1, 0, 0}, {256, 0, 0}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.level);
    EXPECT_EQ(histogram.GetRed(row.level), row.red);
    EXPECT_EQ(histogram.GetIntensity(row.level), row.intensity);
  }
  CHistogram few;
  few.AddPixel(1, 2, 3);  // fewer than 50 pixels: everything is cut to 0
  EXPECT_EQ(few.GetRed(1), 0);
  few.Reset();
  EXPECT_EQ(few.m_pixelCount, 0);
  EXPECT_EQ(few.m_normalised, 0);
  EXPECT_EQ(few.m_red[1], 0);
}
