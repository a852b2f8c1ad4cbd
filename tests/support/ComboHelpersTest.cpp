#include "support/ComboHelpers.h"

#include <gtest/gtest.h>

namespace {

class ComboHelpersTest : public ::testing::Test {
 protected:
  void SetUp() override {
    CRect rect(0, 0, 200, 300);
    ASSERT_TRUE(m_parent.CreateEx(0, nullptr, "parent", 0, 0, 0, 200, 300, nullptr, nullptr));
    ASSERT_TRUE(m_combo.Create(CBS_DROPDOWNLIST, rect, &m_parent, 1001));
  }
  CWnd m_parent;
  CComboBox m_combo;
};

const ComboTableRow kIsoRows[] = {{0, "Auto"}, {100, "ISO 100"}, {200, "ISO 200"}, {-1, "Off"}};

TEST_F(ComboHelpersTest, FillReplacesItemsAndStoresValues) {
  m_combo.AddString("stale");
  FillComboFromTable(&m_combo, kIsoRows, 4);
  ASSERT_EQ(m_combo.GetCount(), 4);
  CString label;
  m_combo.GetLBText(1, label);
  EXPECT_STREQ(label, "ISO 100");
  EXPECT_EQ(m_combo.GetItemData(2), 200u);
  EXPECT_EQ(static_cast<int>(m_combo.GetItemData(3)), -1);

  const ComboActionRow actions[] = {{7, "Print", 0x3}, {9, "Share", 0x1}};
  FillComboFromActionTable(&m_combo, actions, 2);
  ASSERT_EQ(m_combo.GetCount(), 2);
  EXPECT_EQ(m_combo.GetItemData(1), 9u);
}

TEST_F(ComboHelpersTest, SelectByDataFindsFirstOrLeavesSelection) {
  EXPECT_FALSE(SelectComboByItemData(&m_combo, 100));  // empty combo
  FillComboFromTable(&m_combo, kIsoRows, 4);
  EXPECT_TRUE(SelectComboByItemData(&m_combo, 200));
  EXPECT_EQ(m_combo.GetCurSel(), 2);
  EXPECT_FALSE(SelectComboByItemData(&m_combo, 400));
  EXPECT_EQ(m_combo.GetCurSel(), 2);
  EXPECT_FALSE(SelectComboByItemData(nullptr, 0));
}

}  // namespace
