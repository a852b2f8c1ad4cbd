#include "support/HexBytes.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

TEST(HexBytesTest, PairsAreExactlyTwoDigits) {
  const BYTE bytes[] = {0x00, 0x7F, 0xA5, 0xFF};
  EXPECT_EQ(std::string(BytesToHex(bytes, 4)), "007FA5FF");
  struct Row {
    const char* text;
    bool ok;
    std::vector<BYTE> bytes;
  } rows[] = {{"007fa5FF", true, {0x00, 0x7F, 0xA5, 0xFF}},
              {"ABC", true, {0xAB}},
              {"A", false, {}},
              {"", false, {}},
              {" f", false, {}},
              {"-1", false, {}},
              {"0G", false, {}},
              {"00 1", false, {}}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.text);
    std::vector<BYTE> out = {1, 2};
    EXPECT_EQ(HexToBytes(row.text, out), row.ok);
    EXPECT_EQ(out, row.bytes);
  }
}

