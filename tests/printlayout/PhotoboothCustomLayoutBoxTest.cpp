#include "printlayout/PhotoboothCustomLayoutBox.h"

#include <gtest/gtest.h>

namespace {

TEST(PhotoboothCustomLayoutBoxTest, StoredBoxOpensInTheEditor) {
  struct Row {
    PhotoboothCustomLayoutBox stored;
    int photos;
    LayoutEditBox expected;
  };
  const Row rows[] = {
      {{3, 10, 20, 110, 70, 900}, 4, {3, 90.0, 10, 20, 100, 50}},
      {{1000, 0, 0, 10, 10, 0}, 4, {5, 0.0, 0, 0, 10, 10}},    // QR whatever N is
      {{5000, 0, 0, 10, 10, 0}, 2, {3, 0.0, 0, 0, 10, 10}},
      {{5, 0, 0, 10, 10, 0}, 4, {0, 0.0, 0, 0, 10, 10}},       // above N: none
      {{-1, 0, 0, 10, 10, 0}, 4, {0, 0.0, 0, 0, 10, 10}},
      {{1, 100, 100, 100, 250, 0}, 4, {1, 0.0, 100, 100, 225, 150}},  // no width: 3:2 from the height
      {{1, 100, 100, 400, 90, 0}, 4, {1, 0.0, 100, 100, 300, 200}},   // no height: from the width
      {{1, 100, 100, 50, 50, 0}, 4, {1, 0.0, 100, 100, 0, 0}},        // both empty
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(testing::Message() << "selector " << row.stored.image << " rect " << row.stored.left << ","
                                    << row.stored.top << "," << row.stored.right << "," << row.stored.bottom);
    LayoutEditBox edit = StoredToEditBox(row.stored, row.photos);
    EXPECT_EQ(edit.image, row.expected.image);
    EXPECT_DOUBLE_EQ(edit.rotation, row.expected.rotation);
    EXPECT_EQ(edit.left, row.expected.left);
    EXPECT_EQ(edit.top, row.expected.top);
    EXPECT_EQ(edit.width, row.expected.width);
    EXPECT_EQ(edit.height, row.expected.height);
  }
}

TEST(PhotoboothCustomLayoutBoxTest, EditorBoxIsStoredWithItsAngleInOneTurn) {
  struct Row {
    double degrees;
    int tenths;
  };
  const Row rows[] = {{0.0, 0},       {-0.5, 3595}, {359.96, 0},  {90.04, 900},
                      {-360.5, 3595}, {-725.0, 3550}, {720.2, 2}, {-3600.0, 0}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.degrees);
    LayoutEditBox edit{2, row.degrees, 5, 6, 100, 50};
    PhotoboothCustomLayoutBox stored = EditToStoredBox(edit, 4);
    EXPECT_EQ(stored.rotation, row.tenths);
    EXPECT_EQ(stored.image, 2);
    EXPECT_EQ(stored.right, 105);
    EXPECT_EQ(stored.bottom, 56);
  }
  EXPECT_EQ(EditToStoredBox(LayoutEditBox{5, 0, 0, 0, 1, 1}, 4).image, kQrCodeSelector);
  EXPECT_EQ(EditToStoredBox(LayoutEditBox{0, 0, 0, 0, 1, 1}, 4).image, 0);
}

TEST(PhotoboothCustomLayoutBoxTest, PreviewConversionRoundsHalvesAwayFromZero) {
  EXPECT_EQ(PrinterToPreview(9, 500, 1800), 3);
  EXPECT_EQ(PrinterToPreview(-9, 500, 1800), -3);
  EXPECT_EQ(PrinterToPreview(8, 500, 1800), 2);
  EXPECT_EQ(PrinterToPreview(1800, 500, 1800), 500);
  EXPECT_EQ(PrinterToPreview(3, 1800, 500), 11);  // back to printer pixels
  // Without a printer the page width is 0: no division by it.
  EXPECT_EQ(PrinterToPreview(100, 500, 0), 0);
}

TEST(PhotoboothCustomLayoutBoxTest, AnglesRoundToHalfDegreesInOneTurn) {
  EXPECT_DOUBLE_EQ(NormaliseLayoutAngle(359.8), 0.0);
  EXPECT_DOUBLE_EQ(NormaliseLayoutAngle(-0.2), 0.0);
  EXPECT_DOUBLE_EQ(NormaliseLayoutAngle(10.3), 10.5);
  EXPECT_DOUBLE_EQ(NormaliseLayoutAngle(10.2), 10.0);
  EXPECT_DOUBLE_EQ(NormaliseLayoutAngle(-90.0), 270.0);
}

TEST(PhotoboothCustomLayoutBoxTest, OutlinesAtQuarterTurnsAndBetween) {
  struct Row {
    double degrees;
    POINT corners[4];
    POINT centre;
    POINT handle1;
    POINT handle2;
  };
  const Row rows[] = {
      {0, {{10, 20}, {110, 20}, {110, 70}, {10, 70}}, {60, 45}, {70, 45}, {100, 45}},
      {45, {{45, 20}, {115, 90}, {80, 125}, {10, 55}}, {62, 72}, {69, 79}, {90, 100}},
      {90, {{60, 20}, {60, 120}, {10, 120}, {10, 20}}, {35, 70}, {35, 80}, {35, 110}},
      {270, {{10, 120}, {10, 20}, {60, 20}, {60, 120}}, {35, 70}, {35, 60}, {35, 30}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.degrees);
    LayoutBoxOutline outline = ComputeBoxOutline(10, 20, 100, 50, row.degrees);
    for (int i = 0; i < 4; ++i) {
      EXPECT_EQ(outline.corner[i].x, row.corners[i].x) << "corner " << i;
      EXPECT_EQ(outline.corner[i].y, row.corners[i].y) << "corner " << i;
    }
    EXPECT_EQ(outline.corner[4].x, outline.corner[0].x);
    EXPECT_EQ(outline.corner[4].y, outline.corner[0].y);
    EXPECT_EQ(outline.centre.x, row.centre.x);
    EXPECT_EQ(outline.centre.y, row.centre.y);
    EXPECT_EQ(outline.handle1.x, row.handle1.x);
    EXPECT_EQ(outline.handle1.y, row.handle1.y);
    EXPECT_EQ(outline.handle2.x, row.handle2.x);
    EXPECT_EQ(outline.handle2.y, row.handle2.y);
  }
}

TEST(PhotoboothCustomLayoutBoxTest, FreshBoxesGetADefaultSize) {
  LayoutEditBox qr{5, 30.0, 0, 0, 4, 4};
  ApplyDefaultBoxSize(qr, 4, 1800, 1200, 3, 2);
  EXPECT_EQ(qr.width, 450);
  EXPECT_EQ(qr.height, 450);
  EXPECT_EQ(qr.left, 675);
  EXPECT_EQ(qr.top, 375);
  EXPECT_DOUBLE_EQ(qr.rotation, 0.0);

  LayoutEditBox photo{1, 0.0, 40, 0, 200, 10};
  ApplyDefaultBoxSize(photo, 4, 1800, 1200, 4, 3);
  EXPECT_EQ(photo.width, 600);
  EXPECT_EQ(photo.height, 450);
  EXPECT_EQ(photo.left, 40);  // placed by the user: stays

  LayoutEditBox sized{1, 0.0, 40, 0, 200, 100};
  ApplyDefaultBoxSize(sized, 4, 1800, 1200, 3, 2);
  EXPECT_EQ(sized.width, 200);
}

}  // namespace
