#include "photobooth/TouchActionTable.h"

#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>

TEST(TouchActionTableTest, EveryCodeFromZeroTo66AppearsOnce) {
  std::set<int> codes;
  for (const TouchActionRow& row : kTouchActionTable) {
    SCOPED_TRACE(row.code);
    EXPECT_TRUE(codes.insert(row.code).second);
    EXPECT_GE(row.code, 0);
    EXPECT_LE(row.code, 66);
    EXPECT_NE(std::strlen(row.label), 0u);
  }
  EXPECT_EQ(codes.size(), 67u);
  EXPECT_EQ(kTouchActionTable[0].code, 0);
  EXPECT_EQ(kTouchActionTable[66].code, kTouchExit);
}

TEST(TouchActionTableTest, LabelsAndScreensOfKnownCodes) {
  struct Row {
    int code;
    const char* label;
    int mask;
  } rows[] = {
      {0, "No action", 0},
      {1, "Start", kTouchScreenReady},
      {6, "1 copy of prints", kTouchScreenReady | kTouchScreenConfirm},
      {54, "9 copies of prints", kTouchScreenReady | kTouchScreenConfirm},
      {22, "Confirm printing", kTouchScreenConfirm},
      {40, "Confirm printing (no JPEG copy)", kTouchScreenConfirm},
      {38, "Sharing: Close sharing screen", kTouchScreenShare},
      {66, "Sharing: Send MMS/SMS", kTouchScreenShare},
      {30, "Select profile 8", kTouchScreenReady},
      {41, "Select profile 9", kTouchScreenReady},
      {62, "Select profile 8 + start", kTouchScreenReady},
      {32, "Select next profile", kTouchScreenReady | kTouchScreenWelcome},
      {35, "Switch from standby to ready", kTouchScreenWelcome},
      {25, "Toggle standby mode(F6)", kTouchScreenReady | kTouchScreenWelcome},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.code);
    EXPECT_STREQ(TouchActionLabel(row.code), row.label);
    EXPECT_EQ(TouchActionScreenMask(row.code), row.mask);
  }
  EXPECT_EQ(FindTouchAction(67), nullptr);
  EXPECT_EQ(FindTouchAction(-1), nullptr);
  EXPECT_STREQ(TouchActionLabel(99), "");
}

TEST(TouchActionTableTest, ProfileAndCopiesCodesMapToTheirNumbers) {
  // The profile codes are scattered: 13-18, then 29-30, then 41-50.
  const int profileCodes[18] = {13, 14, 15, 16, 17, 18, 29, 30, 41, 42, 43, 44, 45, 46, 47, 48, 49, 50};
  for (int i = 0; i < 18; ++i) {
    SCOPED_TRACE(profileCodes[i]);
    EXPECT_EQ(TouchActionProfile(profileCodes[i]), i + 1);
    EXPECT_EQ(std::string(TouchActionLabel(profileCodes[i])), "Select profile " + std::to_string(i + 1));
  }
  const int copiesCodes[9] = {6, 7, 8, 9, 10, 51, 52, 53, 54};
  for (int i = 0; i < 9; ++i) {
    SCOPED_TRACE(copiesCodes[i]);
    EXPECT_EQ(TouchActionCopies(copiesCodes[i]), i + 1);
  }
  for (int code : {0, 1, 11, 12, 19, 28, 31, 55, 63}) {
    SCOPED_TRACE(code);
    EXPECT_EQ(TouchActionProfile(code), 0);
    EXPECT_EQ(TouchActionCopies(code), 0);
  }
}
