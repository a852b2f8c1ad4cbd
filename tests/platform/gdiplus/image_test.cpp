// Image and Bitmap basics: property items, copies, construction failures, the last status.
#include "tests/platform/gdiplus/gdiplus_test_support.h"

namespace {

TEST(ImageTest, PropertyItemsAreCopiedInAndOut) {
  Bitmap bitmap(2, 2, PixelFormat24bppRGB);
  EXPECT_EQ(bitmap.GetPropertyItemSize(PropertyTagFrameDelay), 0u);
  EXPECT_EQ(bitmap.GetLastStatus(), PropertyNotFound);

  ULONG delays[3] = {7, 8, 9};
  PropertyItem item{PropertyTagFrameDelay, sizeof delays, PropertyTagTypeLong, delays};
  ASSERT_EQ(bitmap.SetPropertyItem(&item), Ok);
  delays[0] = 99;  // the image keeps its own copy

  UINT size = bitmap.GetPropertyItemSize(PropertyTagFrameDelay);
  ASSERT_EQ(size, sizeof(PropertyItem) + sizeof delays);
  std::vector<unsigned char> buffer(size);
  auto* out = reinterpret_cast<PropertyItem*>(buffer.data());
  EXPECT_EQ(bitmap.GetPropertyItem(PropertyTagFrameDelay, size - 1, out), InvalidParameter);
  ASSERT_EQ(bitmap.GetPropertyItem(PropertyTagFrameDelay, size, out), Ok);
  EXPECT_EQ(out->id, PropertyTagFrameDelay);
  EXPECT_EQ(out->type, PropertyTagTypeLong);
  EXPECT_EQ(out->length, sizeof delays);
  EXPECT_EQ(static_cast<ULONG*>(out->value)[0], 7u);
  EXPECT_EQ(static_cast<ULONG*>(out->value)[2], 9u);

  PropertyItem noValue{PropertyTagLoopCount, 2, PropertyTagTypeShort, nullptr};
  EXPECT_EQ(bitmap.SetPropertyItem(&noValue), InvalidParameter);
}

TEST(ImageTest, ClonesAreDeepCopies) {
  auto bitmap = PatternBitmap(4, 3, PixelFormat32bppARGB);
  std::unique_ptr<Image> copy(bitmap->Clone());
  ASSERT_NE(copy, nullptr);
  bitmap->SetPixel(0, 0, Color(0, 0, 0, 0));
  auto* copied = static_cast<Bitmap*>(copy.get());
  Color c;
  copied->GetPixel(0, 0, &c);
  EXPECT_EQ(c.GetValue(), PatternColor(0, 0));

  std::unique_ptr<Bitmap> part(bitmap->Clone(Rect(1, 1, 2, 2), PixelFormat24bppRGB));
  ASSERT_NE(part, nullptr);
  EXPECT_EQ(part->GetWidth(), 2u);
  EXPECT_EQ(part->GetPixelFormat(), PixelFormat24bppRGB);
  part->GetPixel(1, 1, &c);
  EXPECT_EQ(c.GetValue(), PatternColor(2, 2));
  EXPECT_EQ(bitmap->Clone(Rect(3, 0, 2, 1), PixelFormat24bppRGB), nullptr);
  EXPECT_EQ(bitmap->GetLastStatus(), InvalidParameter);
}

TEST(ImageTest, BadSizesAndFormatsGiveEmptyBitmaps) {
  struct Row {
    INT w, h;
    PixelFormat format;
  } rows[] = {{0, 4, PixelFormat24bppRGB}, {4, -1, PixelFormat32bppARGB}, {4, 4, PixelFormatUndefined},
              {4, 4, 0x12345}};
  for (const Row& row : rows) {
    SCOPED_TRACE(::testing::Message() << row.w << "x" << row.h << " " << row.format);
    Bitmap bitmap(row.w, row.h, row.format);
    EXPECT_EQ(bitmap.GetLastStatus(), InvalidParameter);
    EXPECT_EQ(bitmap.GetLastStatus(), Ok);  // reading the status resets it
    EXPECT_EQ(bitmap.GetWidth(), 0u);
    BitmapData data{};
    EXPECT_NE(bitmap.LockBits(nullptr, ImageLockModeRead, PixelFormat24bppRGB, &data), Ok);
  }
}

TEST(ImageTest, SingleImagesHaveOnePage) {
  Bitmap bitmap(3, 3, PixelFormat24bppRGB);
  GUID dimension{};
  ASSERT_EQ(bitmap.GetFrameDimensionsList(&dimension, 1), Ok);
  EXPECT_TRUE(dimension == FrameDimensionPage);
  EXPECT_EQ(bitmap.GetFrameCount(&dimension), 1u);
  EXPECT_EQ(bitmap.GetFrameCount(&FrameDimensionTime), 0u);
  EXPECT_EQ(bitmap.SelectActiveFrame(&dimension, 1), InvalidParameter);
  GUID raw{};
  ASSERT_EQ(bitmap.GetRawFormat(&raw), Ok);
  EXPECT_TRUE(raw == ImageFormatMemoryBMP);
}

}  // namespace
