#include <gtest/gtest.h>

#include "KeyboardTestSupport.h"

namespace {

const CKey* FindLegend(const CArray<CKey, CKey>& keys, const char* legend) {
  for (INT_PTR i = 0; i < keys.GetSize(); ++i) {
    if (keys[i].m_legend == legend) return &keys[i];
  }
  return nullptr;
}

}  // namespace

TEST(BuiltinKeyboardTest, GeometryOfA1920PixelScreen) {
  KeyboardGeometry g(1920, 1080);
  EXPECT_EQ(g.m_gap, 19);
  EXPECT_EQ(g.m_keyWidth, 127);
  EXPECT_EQ(g.m_keyHeight, 101);
  EXPECT_EQ(g.RowTop(5), 1080 - 120);
  EXPECT_EQ(g.RowTop(1), 1080 - 5 * 120);
  CArray<CKey, CKey> keys;
  AddBuiltinKeys(KeyboardEmail, false, g, keys);
  const CKey* del = FindLegend(keys, "Delete");
  ASSERT_NE(del, nullptr);
  EXPECT_EQ(del->m_x, 1625);
  EXPECT_EQ(del->m_width, 273);
  EXPECT_EQ(del->m_y, g.RowTop(1));
  const CKey* q = FindLegend(keys, "q");
  ASSERT_NE(q, nullptr);
  EXPECT_EQ(q->m_x, 146 / 3 + 19);
  EXPECT_EQ(q->m_shiftedCode, "Q");
  const CKey* send = FindLegend(keys, "Send email");
  ASSERT_NE(send, nullptr);
  EXPECT_EQ(send->m_code, "OK");
  EXPECT_EQ(send->m_x, 3 * 127 + 4 * 19);
}

TEST(BuiltinKeyboardTest, KeyCountsPerType) {
  struct Row {
    int type;
    bool field2;
    int count;
  };
  const Row rows[] = {{0, false, 48}, {1, false, 48}, {1, true, 49}, {0, true, 49}, {2, false, 52},
                      {3, false, 48}, {4, false, 55}, {5, false, 14}, {6, false, 52}, {9, false, 48}};
  for (const Row& row : rows) {
    SCOPED_TRACE(testing::Message() << "type " << row.type << " field 2 " << row.field2);
    CArray<CKey, CKey> keys;
    AddBuiltinKeys(row.type, row.field2, KeyboardGeometry(1920, 1080), keys);
    EXPECT_EQ(keys.GetSize(), row.count);
    for (INT_PTR i = 0; i < keys.GetSize(); ++i) {
      EXPECT_LE(keys[i].m_x + keys[i].m_width, 1920 - 19 + 1) << keys[i].m_legend.str();
    }
  }
  CArray<CKey, CKey> keys;
  AddBuiltinKeys(KeyboardEmail, true, KeyboardGeometry(1920, 1080), keys);
  const CKey* space = FindLegend(keys, "Space");
  ASSERT_NE(space, nullptr);
  EXPECT_EQ(space->m_code, " ");
}

TEST(BuiltinKeyboardTest, PhoneKeypadIsCentred) {
  CArray<CKey, CKey> keys;
  AddBuiltinKeys(KeyboardMms, false, KeyboardGeometry(1920, 1080), keys);
  EXPECT_EQ(FindLegend(keys, "1")->m_x, 750);
  EXPECT_EQ(FindLegend(keys, "3")->m_x, 750 + 2 * 146);
  EXPECT_EQ(FindLegend(keys, "Delete")->m_width, 2 * 127);
  EXPECT_EQ(FindLegend(keys, "Send MMS")->m_x, (1920 - 6 * 127 - 19) / 2);
}

TEST(BuiltinKeyboardTest, FieldsArePlacedAboveTheKeys) {
  const int top = 480, g = 40, k = 30, gap = 19;
  KeyboardLayout one;
  one.SetDefaults(KeyboardEmail, 1920);
  PlaceTextFields(KeyboardEmail, one, top, g, k, gap);
  EXPECT_EQ(one.m_fields[0].m_y, top - (5 * g + 6 * gap) / 4);
  EXPECT_FALSE(one.m_fields[1].IsDefined());

  KeyboardLayout message;
  message.SetDefaults(KeyboardMessage, 1920);
  PlaceTextFields(KeyboardMessage, message, top, g, k, gap);
  EXPECT_EQ(message.m_fields[0].m_y, top - g / 4 - 3 * g - gap) << "three rows sit higher";
  EXPECT_LT(message.m_fields[0].m_y, one.m_fields[0].m_y);

  KeyboardLayout facebook;
  facebook.SetDefaults(KeyboardFacebook, 1920);
  PlaceTextFields(KeyboardFacebook, facebook, top, g, k, gap);
  EXPECT_EQ(facebook.m_fields[1].m_y, top - (5 * g + 6 * gap) / 4);
  EXPECT_EQ(facebook.m_fields[0].m_y, facebook.m_fields[1].m_y - 2 * g - 2 * gap);
  KeyboardLayout shortScreen;
  shortScreen.SetDefaults(KeyboardFacebook, 1920);
  PlaceTextFields(KeyboardFacebook, shortScreen, 100, g, k, gap);
  EXPECT_EQ(shortScreen.m_fields[0].m_y, k + 3) << "field 1 never climbs off the screen";
  EXPECT_EQ(shortScreen.m_fields[0].m_x, 38);
  EXPECT_EQ(shortScreen.m_fields[0].m_right, 1920 - 38);
}

TEST(BuiltinKeyboardTest, LegendFontShrinksToFitButNeverBelowOnePoint) {
  KeyboardGeometry g(1920, 1080);
  // Text 1 pixel per tenth of a point wide: fits below J - 10 = 117 wide.
  int size = FitLegendPointSize(KeyboardEmail, g, [](int tenths, const char*) { return SIZE{tenths / 5, tenths / 10}; });
  EXPECT_EQ(size, 580);
  int tiny = FitLegendPointSize(KeyboardEmail, KeyboardGeometry(100, 100), [](int, const char*) { return SIZE{500, 500}; });
  EXPECT_EQ(tiny, 10);
  const char* reference = nullptr;
  FitLegendPointSize(KeyboardMessage, g, [&](int, const char* text) {
    reference = text;
    return SIZE{0, 0};
  });
  EXPECT_STREQ(reference, "Return");
}
