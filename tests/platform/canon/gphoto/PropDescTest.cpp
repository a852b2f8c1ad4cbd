// The conversions of what libgphoto2 tells of a camera into PTP datasets.
#include <gtest/gtest.h>

#include "platform/canon/gphoto/propdesc.h"
#include "platform/canon/prsdk.h"

namespace {

using tavgp::PropertyShape;
using tavgp::WidgetView;

TEST(PropDescTest, SummaryLinesOfBothLayoutsGiveTypeAccessAndForm) {
  // As libgphoto2 2.5.30 writes them, then as the later versions do; noise around them.
  const std::string summary =
      "Device Property Summary:\n"
      "ISO Speed(0xd01c):(readwrite) (type=0x4) Enumeration [0,72,80] value: 100 (72)\n"
      "Event Emulate Mode(0xd045):(read only) (type=0x4) 0\n"
      "Zoom(0xd02a):(readwrite) (type=0x4) Range [0 - 19, step 1] value: 0\n"
      "Exposure Compensation     (d01f rw i8 ): Enumeration [-3,0,3] value: 0\n"
      "Size of Output Data       (d02e ro u32): 524288\n"
      "Broken(0xd0zz):(readwrite) (type=0x4)\n"
      "Owner(0xd011):(readwrite) (type=0xffff) x\n";
  auto shapes = tavgp::ParseSummaryProperties(summary);
  struct Row {
    WORD code, type;
    bool writable;
    BYTE form;
  } rows[] = {{0xD01C, prDATA_TYPE_UINT16, true, prFORM_ENUM},  {0xD045, prDATA_TYPE_UINT16, false, prFORM_NONE},
              {0xD02A, prDATA_TYPE_UINT16, true, prFORM_RANGE}, {0xD01F, prDATA_TYPE_INT8, true, prFORM_ENUM},
              {0xD02E, prDATA_TYPE_UINT32, false, prFORM_NONE}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.code);
    ASSERT_TRUE(shapes.count(row.code));
    EXPECT_EQ(shapes[row.code].dataType, row.type);
    EXPECT_EQ(shapes[row.code].writable, row.writable);
    EXPECT_EQ(shapes[row.code].form, row.form);
  }
  EXPECT_EQ(shapes.size(), 6u);  // the type 0xffff line is read: it is refused when described
  EXPECT_EQ(tavgp::TypeWidth(shapes[0xD011].dataType), 0u);
}

TEST(PropDescTest, ValuesConvertExactlyAndRefuseWhatDoesNotFit) {
  struct Row {
    WORD type;
    const char* text;
    bool fits;
    std::vector<BYTE> bytes;
  } rows[] = {
      {prDATA_TYPE_UINT8, "255", true, {0xFF}},          {prDATA_TYPE_UINT8, "256", false, {}},
      {prDATA_TYPE_INT8, "-3", true, {0xFD}},            {prDATA_TYPE_INT8, "-129", false, {}},
      {prDATA_TYPE_UINT16, "65535", true, {0xFF, 0xFF}}, {prDATA_TYPE_UINT16, "-1", false, {}},
      {prDATA_TYPE_INT32, "-2", true, {0xFE, 0xFF, 0xFF, 0xFF}},
      {prDATA_TYPE_UINT32, "4294967295", true, {0xFF, 0xFF, 0xFF, 0xFF}},
      {prDATA_TYPE_UINT32, "4294967296", false, {}},     {prDATA_TYPE_UINT16, "12a", false, {}},
      {prDATA_TYPE_UINT16, "", false, {}},               {prDATA_TYPE_UINT16, "99999999999999999999999", false, {}},
      {0x4002, "1", false, {}},  // arrays and strings are not described
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.text);
    std::vector<BYTE> value;
    ASSERT_EQ(tavgp::TextToValue(row.type, row.text, value), row.fits);
    if (!row.fits) continue;
    EXPECT_EQ(value, row.bytes);
    std::string back;
    ASSERT_TRUE(tavgp::ValueToText(row.type, value.data(), static_cast<DWORD>(value.size()), back));
    EXPECT_EQ(back, row.text);
  }
  std::string text;
  BYTE two[2] = {1, 0};
  EXPECT_FALSE(tavgp::ValueToText(prDATA_TYPE_UINT8, two, 2, text));
}

TEST(PropDescTest, DescriptionsCarryTheWidgetsValuesInTheTypesWidth) {
  WidgetView menu;
  menu.kind = WidgetView::kMenu;
  menu.current = "88";
  menu.choices = {"0", "72", "88"};
  std::vector<BYTE> desc;
  ASSERT_TRUE(tavgp::DescribeProperty(0xD01C, {prDATA_TYPE_UINT16, true, prFORM_ENUM}, menu, desc));
  EXPECT_EQ(desc, (std::vector<BYTE>{0x1C, 0xD0, 4, 0, 1, 88, 0, 88, 0, prFORM_ENUM, 3, 0, 0, 0, 72, 0, 88, 0}));

  // A short range comes as a menu of each step and stays a range.
  WidgetView steps = menu;
  steps.current = "2";
  steps.choices = {"0", "1", "2", "3"};
  ASSERT_TRUE(tavgp::DescribeProperty(0xD02A, {prDATA_TYPE_UINT8, true, prFORM_RANGE}, steps, desc));
  EXPECT_EQ(desc, (std::vector<BYTE>{0x2A, 0xD0, 2, 0, 1, 2, 2, prFORM_RANGE, 0, 3, 1}));

  WidgetView range;
  range.kind = WidgetView::kRange;
  range.minimum = -2, range.maximum = 2, range.step = 1, range.value = -1;
  range.readOnly = true;
  ASSERT_TRUE(tavgp::DescribeProperty(0xD040, {prDATA_TYPE_INT8, true, prFORM_RANGE}, range, desc));
  EXPECT_EQ(desc, (std::vector<BYTE>{0x40, 0xD0, 1, 0, 0, 0xFF, 0xFF, prFORM_RANGE, 0xFE, 2, 1}));

  // Anything the type cannot carry refuses the whole description.
  WidgetView bad = menu;
  bad.choices = {"0", "70000"};
  EXPECT_FALSE(tavgp::DescribeProperty(0xD01C, {prDATA_TYPE_UINT16, true, prFORM_ENUM}, bad, desc));
  range.value = 0.5f;
  EXPECT_FALSE(tavgp::DescribeProperty(0xD040, {prDATA_TYPE_INT8, true, prFORM_RANGE}, range, desc));
  WidgetView many = menu;
  many.choices.assign(5000, "1");
  EXPECT_FALSE(tavgp::DescribeProperty(0xD01C, {prDATA_TYPE_UINT16, true, prFORM_ENUM}, many, desc));
}

}  // namespace
