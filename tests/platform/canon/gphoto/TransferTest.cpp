// Viewfinder frames that are not JPEG: the binary PPM some drivers give is converted once.
#include <gtest/gtest.h>

#include <string>

#include "platform/canon/gphoto/transfer.h"

namespace {

std::vector<BYTE> Bytes(const std::string& text) { return std::vector<BYTE>(text.begin(), text.end()); }

TEST(TransferTest, PpmFramesBecomeJpegAndBrokenOnesAreRefused) {
  std::vector<BYTE> frame = Bytes("P6\n# a comment\n4 2\n255\n");
  for (int i = 0; i < 4 * 2 * 3; ++i) frame.push_back(BYTE(i * 10));
  ASSERT_TRUE(tavgp::PpmToJpeg(frame));
  EXPECT_TRUE(tavgp::IsJpeg(frame));

  struct Row {
    const char* name;
    std::string header;
    size_t pixels;
  } rows[] = {
      {"pixels cut short", "P6 4 2 255\n", 4 * 2 * 3 - 1},
      {"no width", "P6 0 2 255\n", 0},
      {"sixteen bits", "P6 4 2 65535\n", 4 * 2 * 6},
      {"too large", "P6 90000 2 255\n", 16},
      {"plain text form", "P3 4 2 255\n", 4 * 2 * 3},
      {"no header", "P6", 0},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    std::vector<BYTE> bad = Bytes(row.header);
    bad.resize(bad.size() + row.pixels, 7);
    std::vector<BYTE> before = bad;
    EXPECT_FALSE(tavgp::PpmToJpeg(bad));
    EXPECT_EQ(bad, before);
  }
}

}  // namespace
