#include "printlayout/PresetPrintLayoutsDlg.h"

#include <gtest/gtest.h>

#include "PrintLayoutTestSupport.h"
#include "platform/mfc/dialogscript.h"
#include "platform/registry/registry.h"
#include "printlayout/PrinterMargins.h"

namespace {

struct BoxRow {
  int index;
  PhotoboothCustomLayoutBox box;
};

// A page of w x h without printer margins, with the default 50s.
void SetPage(CPresetPrintLayoutsDlg& presets, int width, int height) {
  presets.m_nPageWidth = width;
  presets.m_nPageHeight = height;
  presets.m_nDpiX = presets.m_nDpiY = 300;
}

void ExpectBoxes(const CPresetPrintLayoutsDlg& presets, std::initializer_list<BoxRow> rows) {
  for (const BoxRow& row : rows) {
    SCOPED_TRACE(testing::Message() << "box " << row.index + 1);
    const PhotoboothCustomLayoutBox& box = presets.m_boxes[row.index];
    EXPECT_EQ(box.image, row.box.image);
    EXPECT_EQ(box.left, row.box.left);
    EXPECT_EQ(box.top, row.box.top);
    EXPECT_EQ(box.right, row.box.right);
    EXPECT_EQ(box.bottom, row.box.bottom);
    EXPECT_EQ(box.rotation, row.box.rotation);
  }
}

TEST(PresetPrintLayoutsTest, DoubleStripTurnsOnAWidePage) {
  CPresetPrintLayoutsDlg wide(nullptr, 3, 2);
  SetPage(wide, 1800, 1200);
  wide.LayoutDoubleStrip4();
  ExpectBoxes(wide, {{0, {1, 50, 50, 550, 383, 2700}},
                     {3, {4, 1199, 50, 1699, 383, 2700}},
                     {4, {1, 50, 650, 550, 983, 2700}},
                     {7, {4, 1199, 650, 1699, 983, 2700}},
                     {8, {0, 0, 0, 0, 0, 0}}});
  EXPECT_EQ(wide.m_guides[7].top, 550);
  EXPECT_EQ(wide.m_guides[7].bottom, 650);

  CPresetPrintLayoutsDlg tall(nullptr, 3, 2);
  SetPage(tall, 1200, 1800);
  tall.LayoutDoubleStrip4();
  ExpectBoxes(tall, {{0, {1, 50, 50, 550, 383, 0}}, {4, {1, 650, 50, 1150, 383, 0}}, {7, {4, 650, 1199, 1150, 1532, 0}}});
  EXPECT_EQ(tall.m_guides[7].left, 550);
  EXPECT_EQ(tall.m_guides[7].right, 650);
}

TEST(PresetPrintLayoutsTest, LongStripsShrinkKeepingTheAspect) {
  CPresetPrintLayoutsDlg tall(nullptr, 3, 2);
  SetPage(tall, 1200, 1800);
  tall.LayoutSingleStrip4();
  ExpectBoxes(tall, {{0, {1, 310, 50, 890, 437, 0}}, {3, {4, 310, 1361, 890, 1748, 0}}, {4, {0, 0, 0, 0, 0, 0}}});
  EXPECT_EQ(tall.m_guides[0].top, 437);
  EXPECT_EQ(tall.m_guides[0].bottom, 487);

  CPresetPrintLayoutsDlg wide(nullptr, 3, 2);
  SetPage(wide, 1800, 1200);
  wide.LayoutSingleStrip4();
  ExpectBoxes(wide, {{0, {1, 50, 310, 630, 697, 2700}}, {3, {4, 1361, 310, 1941, 697, 2700}}});

  // A short strip fits unshrunk: the photos span the printable width.
  CPresetPrintLayoutsDlg two(nullptr, 3, 2);
  SetPage(two, 1200, 1800);
  two.LayoutSingleStrip2();
  ExpectBoxes(two, {{0, {1, 50, 50, 1150, 783, 0}}, {1, {2, 50, 833, 1150, 1566, 0}}});
}

TEST(PresetPrintLayoutsTest, SinglePhotoFourThirds) {
  CPresetPrintLayoutsDlg wide(nullptr, 4, 3);
  SetPage(wide, 1800, 1200);
  wide.LayoutSinglePhoto();
  ExpectBoxes(wide, {{0, {1, 167, 50, 1633, 1150, 0}}});
  CPresetPrintLayoutsDlg tall(nullptr, 4, 3);
  SetPage(tall, 1200, 1800);
  tall.LayoutSinglePhoto();
  ExpectBoxes(tall, {{0, {1, 50, 167, 1516, 1267, 2700}}});
}

TEST(PresetPrintLayoutsTest, TwoRowsStartTopLeftOrFromTheBottom) {
  CPresetPrintLayoutsDlg wide(nullptr, 3, 2);
  SetPage(wide, 1800, 1200);
  wide.Layout2RowsOf2();
  // hh = 525, pw = 787: fits, placed from the corner without centring.
  ExpectBoxes(wide, {{0, {1, 50, 50, 837, 575, 0}}, {3, {4, 887, 625, 1674, 1150, 0}}});
  CPresetPrintLayoutsDlg tall(nullptr, 3, 2);
  SetPage(tall, 1200, 1800);
  tall.Layout2RowsOf2();
  // f = 525, pw = 787; rows built up from the bottom edge 1750.
  ExpectBoxes(tall, {{0, {1, 50, 963, 837, 1488, 2700}}, {1, {2, 50, 126, 837, 651, 2700}},
                     {2, {3, 625, 963, 1412, 1488, 2700}}});
}

TEST(PresetPrintLayoutsTest, SquareRegionTurnsOnlyTheGridPresets) {
  CPresetPrintLayoutsDlg square(nullptr, 3, 2);
  SetPage(square, 1400, 1400);
  struct Row {
    void (CPresetPrintLayoutsDlg::*generator)();
    const char* name;
    int rotation;
  };
  const Row rows[] = {{&CPresetPrintLayoutsDlg::LayoutDoubleStrip3, "double 3", 0},
                      {&CPresetPrintLayoutsDlg::LayoutDoubleStrip4, "double 4", 0},
                      {&CPresetPrintLayoutsDlg::LayoutSingleStrip2, "single 2", 0},
                      {&CPresetPrintLayoutsDlg::LayoutSingleStrip3, "single 3", 0},
                      {&CPresetPrintLayoutsDlg::LayoutSingleStrip4, "single 4", 0},
                      {&CPresetPrintLayoutsDlg::Layout2RowsOf2, "2 rows", 2700},
                      {&CPresetPrintLayoutsDlg::Layout1Large3Small, "1 large", 2700},
                      {&CPresetPrintLayoutsDlg::LayoutSinglePhoto, "single photo", 2700}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    (square.*row.generator)();
    EXPECT_EQ(square.m_boxes[0].rotation, row.rotation);
    EXPECT_EQ(square.m_boxes[0].image, 1);
  }
  square.LayoutDoubleStrip3();
  EXPECT_EQ(square.m_boxes[3].image, 1);
  EXPECT_EQ(square.m_boxes[6].image, 0);
}

TEST(PresetPrintLayoutsTest, OneLargeThreeSmall) {
  CPresetPrintLayoutsDlg wide(nullptr, 3, 2);
  SetPage(wide, 1800, 1200);
  wide.Layout1Large3Small();
  // sw = 533, sh = 355; the large photo sits left above them.
  ExpectBoxes(wide, {{1, {2, 50, 795, 583, 1150, 0}},
                     {3, {4, 1216, 795, 1749, 1150, 0}},
                     {0, {1, 50, 50, 1092, 745, 0}}});
  CPresetPrintLayoutsDlg tall(nullptr, 3, 2);
  SetPage(tall, 1200, 1800);
  tall.Layout1Large3Small();
  ExpectBoxes(tall, {{1, {2, 795, 1217, 1328, 1572, 2700}}, {3, {4, 795, 51, 1328, 406, 2700}},
                     {0, {1, 50, 708, 1092, 1403, 2700}}});
}

class PresetPrinterTest : public testing::Test {
 protected:
  void SetUp() override {
    RegDeleteTreeA(HKEY_CURRENT_USER, kPrinterMarginsKey);
    SelectTestPrinter(1524, 1016, 300, 300, 1);  // 1800 x 1200
    g_nPresetLayoutTopMargin = g_nPresetLayoutBottomMargin = g_nPresetLayoutLeftMargin = 50;
    g_nPresetLayoutRightMargin = g_nPresetLayoutSpacing = 50;
    g_nPresetLayout = 0;
  }
  void TearDown() override { ClearDialogScripts(); }
};

TEST_F(PresetPrinterTest, NegativeSettingsBecomeATenthOfTheResolution) {
  g_nPresetLayoutSpacing = -1;
  g_nPresetLayoutLeftMargin = -7;
  CPresetPrintLayoutsDlg presets(nullptr, 3, 2);
  presets.InitPageMetrics();
  EXPECT_EQ(presets.m_nPageWidth, 1800);
  EXPECT_EQ(presets.m_nSpacing, 30);
  EXPECT_EQ(presets.m_nLeftMargin, 30);
  EXPECT_EQ(presets.m_nTopMargin, 50);
  EXPECT_EQ(g_nPresetLayoutSpacing, 30);
  EXPECT_EQ(g_nPresetLayoutLeftMargin, 30);
}

TEST_F(PresetPrinterTest, DialogClampsSpacingAndMatchesTheWindowlessUse) {
  PushDialogScript(DialogScript(IDD_PRESET_PRINT_LAYOUTS)
                       .SetCheck(IDC_PRESET_SINGLE_STRIP3, BST_CHECKED)
                       .SetText(IDC_PRESET_SPACING, "-20")
                       .Call([](CDialog* dialog) {
                         EXPECT_EQ(static_cast<CPresetPrintLayoutsDlg*>(dialog)->m_nSpacing, 0);
                       })
                       .SetText(IDC_PRESET_SPACING, "900")
                       .SetText(IDC_PRESET_TOP, "70")
                       .Press(IDOK));
  CPresetPrintLayoutsDlg dialog(nullptr, 3, 2);
  ASSERT_EQ(dialog.DoModal(), IDOK);
  EXPECT_EQ(dialog.m_nSpacing, 220);  // a fifth of 1200 - 100
  EXPECT_EQ(g_nPresetLayoutSpacing, 220);
  EXPECT_EQ(g_nPresetLayoutTopMargin, 70);
  EXPECT_EQ(g_nPresetLayout, 5);

  CPresetPrintLayoutsDlg windowless(nullptr, 3, 2);
  windowless.InitPageMetrics();
  windowless.GeneratePreset(g_nPresetLayout);
  for (int i = 0; i < kLayoutBoxCount; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(windowless.m_boxes[i].image, dialog.m_boxes[i].image);
    EXPECT_EQ(windowless.m_boxes[i].left, dialog.m_boxes[i].left);
    EXPECT_EQ(windowless.m_boxes[i].top, dialog.m_boxes[i].top);
    EXPECT_EQ(windowless.m_boxes[i].right, dialog.m_boxes[i].right);
    EXPECT_EQ(windowless.m_boxes[i].bottom, dialog.m_boxes[i].bottom);
    EXPECT_EQ(windowless.m_boxes[i].rotation, dialog.m_boxes[i].rotation);
  }
  EXPECT_EQ(windowless.m_boxes[0].rotation, 2700);
  EXPECT_EQ(windowless.m_boxes[2].image, 3);
}

}  // namespace
