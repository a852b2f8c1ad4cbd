#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "camera/MyCanonMemStream.h"

namespace {

struct Io {
  MyCanonMemStream stream;
  explicit Io(LONG capacity) : stream(capacity) {}
  cdContext ctx() { return stream.GetStream()->cContext; }
  cdError Open(cdUInt16 mode) {
    cdError e = 7;
    stream.GetStream()->Open(ctx(), mode, &e);
    return e;
  }
  cdError Write(const std::vector<BYTE>& bytes) {
    cdError e = 7;
    stream.GetStream()->Write(ctx(), bytes.data(), static_cast<cdUInt32>(bytes.size()), &e);
    return e;
  }
  cdError Read(std::vector<BYTE>& out, cdUInt32& count) {
    cdError e = 7;
    out.assign(count, 0xEE);
    stream.GetStream()->Read(ctx(), out.data(), &count, &e);
    return e;
  }
  cdError Seek(cdUInt16 origin, cdInt32 offset) {
    cdError e = 7;
    stream.GetStream()->Seek(ctx(), origin, offset, &e);
    return e;
  }
  cdInt32 Tell() {
    cdError e = 7;
    cdInt32 p = stream.GetStream()->Tell(ctx(), &e);
    EXPECT_EQ(0u, e);
    return p;
  }
};

}  // namespace

TEST(MyCanonMemStreamTest, HasTheFixedCapacityAndSixCallbacks) {
  MyCanonMemStream stream(0xC00000);
  EXPECT_EQ(0xC00000, stream.GetCapacity());
  cdStream* s = stream.GetStream();
  EXPECT_EQ(reinterpret_cast<cdContext>(&stream), s->cContext);
  EXPECT_TRUE(s->Open && s->Close && s->Read && s->Write && s->Seek && s->Tell);
}

TEST(MyCanonMemStreamTest, OpenForWritingEmptiesOtherModesKeepTheData) {
  Io io(64);
  ASSERT_EQ(0u, io.Open(cdSTREAM_OPEN_WRITE));
  ASSERT_EQ(0u, io.Write({1, 2, 3, 4}));
  EXPECT_EQ(4, io.stream.GetSize());
  ASSERT_EQ(0u, io.Open(cdSTREAM_OPEN_READ));
  EXPECT_EQ(4, io.stream.GetSize());
  EXPECT_EQ(0, io.Tell());
  ASSERT_EQ(0u, io.Open(cdSTREAM_OPEN_WRITE));
  EXPECT_EQ(0, io.stream.GetSize());
}

TEST(MyCanonMemStreamTest, ReadReturnsOnlyTheBytesThatExist) {
  Io io(64);
  io.Open(cdSTREAM_OPEN_WRITE);
  io.Write({10, 11, 12, 13, 14});
  io.Seek(cdSTREAM_SEEK_SET, 2);
  std::vector<BYTE> out;
  cdUInt32 count = 40;  // far past the data, well within the capacity
  EXPECT_EQ(0u, io.Read(out, count));
  EXPECT_EQ(3u, count);
  EXPECT_EQ(12, out[0]);
  EXPECT_EQ(14, out[2]);
  EXPECT_EQ(0xEE, out[3]) << "nothing copied past the data";
  EXPECT_EQ(5, io.Tell());
  count = 4;
  EXPECT_EQ(1u, io.Read(out, count)) << "at the end of the data";
  EXPECT_EQ(0u, count);
}

TEST(MyCanonMemStreamTest, SeekRules) {
  struct Row {
    const char* name;
    cdUInt16 origin;
    cdInt32 offset;
    cdError error;
    cdInt32 position;  // after the seek, from position 2 of 6 bytes
  } rows[] = {
      {"set inside", cdSTREAM_SEEK_SET, 4, 0, 4},
      {"set to size from elsewhere", cdSTREAM_SEEK_SET, 6, 1, 2},
      {"set to the current position", cdSTREAM_SEEK_SET, 2, 0, 2},
      {"set negative", cdSTREAM_SEEK_SET, -1, 1, 2},
      {"current forward", cdSTREAM_SEEK_CUR, 3, 0, 5},
      {"current to size", cdSTREAM_SEEK_CUR, 4, 1, 2},
      {"current before the start", cdSTREAM_SEEK_CUR, -3, 1, 2},
      {"end", cdSTREAM_SEEK_END, 1, 0, 5},
      {"end zero", cdSTREAM_SEEK_END, 0, 0, 6},
      {"end past the start", cdSTREAM_SEEK_END, 7, 1, 2},
      {"end negative", cdSTREAM_SEEK_END, -1, 1, 2},
      {"unknown origin", 9, 3, 0, 2},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    Io io(64);
    io.Open(cdSTREAM_OPEN_WRITE);
    io.Write({0, 1, 2, 3, 4, 5});
    ASSERT_EQ(0u, io.Seek(cdSTREAM_SEEK_SET, 2));
    EXPECT_EQ(row.error, io.Seek(row.origin, row.offset));
    EXPECT_EQ(row.position, io.Tell());
  }
}

TEST(MyCanonMemStreamTest, SeekToTheCurrentPositionAtTheEndSucceeds) {
  Io io(64);
  io.Open(cdSTREAM_OPEN_WRITE);
  io.Write({1, 2, 3});
  EXPECT_EQ(0u, io.Seek(cdSTREAM_SEEK_SET, 3)) << "the next block lands where the last ended";
  EXPECT_EQ(0u, io.Write({4}));
  EXPECT_EQ(4, io.stream.GetSize());
}

TEST(MyCanonMemStreamTest, WritePastCapacityIsRefusedAndMarksOverflow) {
  Io io(8);
  io.Open(cdSTREAM_OPEN_WRITE);
  ASSERT_EQ(0u, io.Write({1, 2, 3, 4, 5, 6}));
  EXPECT_FALSE(io.stream.IsOverflowed());
  EXPECT_EQ(1u, io.Write({7, 8, 9}));
  EXPECT_TRUE(io.stream.IsOverflowed());
  EXPECT_EQ(6, io.stream.GetSize()) << "neither size nor position moves";
  EXPECT_EQ(6, io.Tell());
  EXPECT_EQ(0u, io.Write({7, 8})) << "exactly up to the capacity fits";
  EXPECT_EQ(8, io.stream.GetSize());
  EXPECT_TRUE(io.stream.IsOverflowed()) << "the download stays marked";
  io.Open(cdSTREAM_OPEN_WRITE);
  EXPECT_FALSE(io.stream.IsOverflowed()) << "a new download starts clean";
}

TEST(MyCanonMemStreamTest, OverwriteInsideKeepsTheLargerSize) {
  Io io(16);
  io.Open(cdSTREAM_OPEN_WRITE);
  io.Write({1, 2, 3, 4, 5});
  io.Seek(cdSTREAM_SEEK_SET, 1);
  io.Write({9});
  EXPECT_EQ(5, io.stream.GetSize());
  EXPECT_EQ(9, io.stream.GetData()[1]);
}
