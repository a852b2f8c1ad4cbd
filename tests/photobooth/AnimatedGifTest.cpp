#include "photobooth/AnimatedGif.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <vector>

#include "platform/user/messagebox.h"
#include "platform/user/winmsg.h"
#include "support/OctreeQuantizer.h"
#include "tests/photobooth/PhotoboothTestFiles.h"

using namespace Gdiplus;

namespace {

const ARGB kPhotoColours[] = {0xffff0000u, 0xff00c000u, 0xff0000ffu, 0xffc0c000u, 0xff00c0c0u};

std::vector<std::unique_ptr<Bitmap>> Photos(int count, int width = 800, int height = 600) {
  std::vector<std::unique_ptr<Bitmap>> out;
  for (int i = 0; i < count; ++i) out.push_back(SolidBitmap(width, height, kPhotoColours[i]));
  return out;
}

struct ReadGif {
  UINT frames = 0;
  std::vector<ULONG> delays;
  int loop = -1;
  std::vector<ARGB> centre, corner;  // per frame: pixel at the centre and near the bottom-right
  UINT width = 0, height = 0;
};

ReadGif Read(const std::string& path) {
  ReadGif out;
  std::unique_ptr<Bitmap> gif(Bitmap::FromFile(WidePath(path.c_str()).c_str()));
  if (!gif || gif->GetLastStatus() != Ok) return out;
  out.frames = gif->GetFrameCount(&FrameDimensionTime);
  out.width = gif->GetWidth(), out.height = gif->GetHeight();
  UINT size = gif->GetPropertyItemSize(PropertyTagFrameDelay);
  if (size) {
    std::vector<unsigned char> buffer(size);
    auto* item = reinterpret_cast<PropertyItem*>(buffer.data());
    gif->GetPropertyItem(PropertyTagFrameDelay, size, item);
    auto* values = static_cast<ULONG*>(item->value);
    out.delays.assign(values, values + item->length / 4);
  }
  size = gif->GetPropertyItemSize(PropertyTagLoopCount);
  if (size) {
    std::vector<unsigned char> buffer(size);
    auto* item = reinterpret_cast<PropertyItem*>(buffer.data());
    gif->GetPropertyItem(PropertyTagLoopCount, size, item);
    out.loop = *static_cast<USHORT*>(item->value);
  }
  for (UINT i = 0; i < out.frames; ++i) {
    gif->SelectActiveFrame(&FrameDimensionTime, i);
    Color c;
    gif->GetPixel(INT(out.width / 2), INT(out.height / 2), &c);
    out.centre.push_back(c.GetValue() | 0xff000000u);
    gif->GetPixel(INT(out.width) - 2, INT(out.height) - 2, &c);
    out.corner.push_back(c.GetValue() | 0xff000000u);
  }
  return out;
}

class AnimatedGifTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ClearMessageBoxes();
    g_bDitherGIFs = FALSE;
    settings.imagesFolder = images.Path().c_str();
    settings.imageFolder = session.Path().c_str();
    settings.firstPhotoFolder = session.Path().c_str();
    settings.baseName = "20240101_120000";
  }
  std::string GifPath(const char* name = "20240101_120000.gif") { return session.File(std::string("GIF/") + name); }

  TempFolder images, session;
  PhotoboothGifSettings settings;
};

}  // namespace

TEST(GifPlaybackOrderTest, OrdersTable) {
  auto P = [](int i) { return GifPlayEntry{false, i}; };
  auto T = [](int i) { return GifPlayEntry{true, i}; };
  struct Row {
    const char* name;
    int photos, titles;
    bool pingPong, titleAtEnd;
    int repeats;
    std::vector<GifPlayEntry> expected;
  } rows[] = {
      {"plain", 4, 0, false, false, 1, {P(0), P(1), P(2), P(3)}},
      {"ping-pong 1 2 3 4 3 2", 4, 0, true, false, 1, {P(0), P(1), P(2), P(3), P(2), P(1)}},
      {"titles first T 1 2 3 4 3 2 1", 4, 1, true, false, 1, {T(0), P(0), P(1), P(2), P(3), P(2), P(1), P(0)}},
      {"titles last", 2, 2, false, true, 1, {P(0), P(1), T(0), T(1)}},
      {"one photo has nothing to ping-pong", 1, 0, true, false, 1, {P(0)}},
      {"repeats", 2, 0, false, false, 3, {P(0), P(0), P(0), P(1), P(1), P(1)}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(GifPlaybackOrder(row.photos, row.titles, row.pingPong, row.titleAtEnd, row.repeats), row.expected);
  }
}

TEST_F(AnimatedGifTest, PingPongGifPlaysBackAndForthAndLoops) {
  settings.pingPong = TRUE;
  auto frames = Photos(4);
  CString path = CreatePhotoboothGifs(settings, frames);
  EXPECT_EQ(std::string(path.GetString()), GifPath());
  EXPECT_TRUE(GetShownMessageBoxes().empty());
  ReadGif gif = Read(GifPath());
  EXPECT_EQ(gif.width, 400u);  // scaled to photoboothGifWidth
  EXPECT_EQ(gif.height, 300u);
  ASSERT_EQ(gif.frames, 6u);
  EXPECT_EQ(gif.delays, std::vector<ULONG>(6, 75));
  EXPECT_EQ(gif.loop, 0);
  const int order[] = {0, 1, 2, 3, 2, 1};
  for (int i = 0; i < 6; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(gif.centre[size_t(i)], kPhotoColours[order[i]]);
  }
  EXPECT_FALSE(std::filesystem::exists(GifPath() + "_temp"));
}

TEST_F(AnimatedGifTest, TitleFirstNoLoopAndTheOldGifIsReplaced) {
  ASSERT_TRUE(SaveSolid(images.File("GIF_title.jpg"), 200, 100, 0xff000000u));
  std::filesystem::create_directories(session.File("GIF"));
  ASSERT_TRUE(SaveSolid(GifPath(), 10, 10, 0xffffffffu));
  settings.pingPong = TRUE;
  settings.looping = FALSE;
  settings.titleDelay = 150;
  auto frames = Photos(2);
  CreatePhotoboothGifs(settings, frames);
  ReadGif gif = Read(GifPath());
  ASSERT_EQ(gif.frames, 4u);  // T 1 2 1
  EXPECT_EQ(gif.delays, (std::vector<ULONG>{150, 75, 75, 75}));
  EXPECT_EQ(gif.loop, 1);
  EXPECT_EQ(gif.centre[0], 0xff000000u);  // the title, centred on white
  EXPECT_EQ(gif.corner[0], 0xffffffffu);
  EXPECT_EQ(gif.centre[3], kPhotoColours[0]);
}

TEST_F(AnimatedGifTest, OverlaysPerPhotoSplitTheDelayAndTakeNumberedOverlays) {
  const ARGB overlayColours[] = {0xff111111u, 0xff555555u, 0xff999999u};
  for (int i = 0; i < 3; ++i)
    ASSERT_TRUE(SaveSolid(images.File("GIF_overlay_" + std::to_string(i + 1) + ".png"), 50, 40, overlayColours[i]));
  ASSERT_TRUE(SaveSolid(images.File("GIF_overlay.png"), 50, 40, 0xffddddddu));
  settings.overlaysPerPhoto = 3;
  settings.imageDelay = 75;
  auto frames = Photos(2);
  CreatePhotoboothGifs(settings, frames);
  ReadGif gif = Read(GifPath());
  ASSERT_EQ(gif.frames, 6u);
  EXPECT_EQ(gif.delays, std::vector<ULONG>(6, 25));
  for (int i = 0; i < 3; ++i) EXPECT_EQ(gif.corner[size_t(i)], overlayColours[i]) << i;  // bottom-right aligned
  EXPECT_EQ(gif.corner[3], 0xffddddddu);
  EXPECT_EQ(gif.centre[3], kPhotoColours[1]);
}

TEST_F(AnimatedGifTest, AMissingFrameFailsWithTheInsufficientFramesMessage) {
  auto frames = Photos(3);
  frames[2].reset();  // photo 3 never placed on the page
  PushMessageBoxAnswer(IDOK);
  CString path = CreatePhotoboothGifs(settings, frames);
  EXPECT_TRUE(path.IsEmpty());
  auto shown = GetShownMessageBoxes();
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0].text,
            "Error creating animated GIF:\nInsufficient GIF frames. Please check each photo is included in the print "
            "layout");
  EXPECT_EQ(shown[0].caption, "Tavorin");
  EXPECT_EQ(shown[0].icon, UINT(MB_ICONERROR));
  EXPECT_FALSE(std::filesystem::exists(GifPath()));
}

TEST_F(AnimatedGifTest, PerPhotoGifsAreNumberedAndDitheringLeavesFramesToTheEncoder) {
  settings.perPhoto = TRUE;
  g_bDitherGIFs = TRUE;
  auto frames = Photos(2);
  CString last = CreatePhotoboothGifs(settings, frames);
  g_bDitherGIFs = FALSE;
  EXPECT_EQ(std::string(last.GetString()), GifPath("20240101_120000_2.gif"));
  for (int i = 1; i <= 2; ++i) {
    ReadGif gif = Read(GifPath(("20240101_120000_" + std::to_string(i) + ".gif").c_str()));
    ASSERT_EQ(gif.frames, 1u);
    EXPECT_EQ(gif.centre[0], kPhotoColours[i - 1]);
  }
}

TEST_F(AnimatedGifTest, Mp4ClipInItsSubfolderAndTheTemporaryFramesCleanedUp) {
  TempFolder temp;
  std::string oldTemp = getenv("TMPDIR") ? getenv("TMPDIR") : "";
  setenv("TMPDIR", temp.Path().c_str(), 1);
  settings.createMp4 = TRUE;
  settings.mp4Subfolder = 1;
  settings.mp4MinDuration = 0;
  settings.gifInPrints = TRUE;
  auto frames = Photos(2, 320, 240);
  CString gif = CreatePhotoboothGifs(settings, frames);
  oldTemp.empty() ? unsetenv("TMPDIR") : setenv("TMPDIR", oldTemp.c_str(), 1);
  EXPECT_EQ(std::string(gif.GetString()), session.File("prints/20240101_120000.gif"));
  EXPECT_TRUE(GetShownMessageBoxes().empty());
  EXPECT_GT(std::filesystem::file_size(session.File("MP4/20240101_120000.mp4")), 0u);
  EXPECT_TRUE(std::filesystem::is_empty(temp.Path()));
  EXPECT_FALSE(std::filesystem::exists(session.File("GIF_frames")));
}

TEST_F(AnimatedGifTest, FrameCopiesAreKeptInGifFrames) {
  ASSERT_TRUE(SaveSolid(images.File("GIF_title_1.jpg"), 100, 50, 0xff000000u));
  ASSERT_TRUE(SaveSolid(images.File("GIF_title_2.jpg"), 100, 50, 0xff202020u));
  settings.frameCopies = TRUE;
  auto frames = Photos(2);
  CreatePhotoboothGifs(settings, frames);
  for (const char* name : {"20240101_120000_frame001.png", "20240101_120000_frame002.png",
                           "20240101_120000_title001.png", "20240101_120000_title002.png"})
    EXPECT_TRUE(std::filesystem::exists(session.File(std::string("GIF_frames/") + name))) << name;
  EXPECT_EQ(Read(GifPath()).frames, 4u);
}

TEST_F(AnimatedGifTest, AGifWidthOfTenOrLessKeepsThePhotosSize) {
  // 400 and 11 scale the frames down to that width; 10, 1 and 0 keep them whole.
  const struct {
    int width;
    UINT gifWidth, gifHeight;
  } rows[] = {{400, 400, 300}, {11, 11, 8}, {10, 800, 600}, {1, 800, 600}, {0, 800, 600}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.width);
    settings.width = row.width;
    std::vector<std::unique_ptr<Bitmap>> frames = Photos(2);
    ASSERT_FALSE(CreatePhotoboothGifs(settings, frames).IsEmpty());
    const ReadGif gif = Read(GifPath());
    EXPECT_EQ(row.gifWidth, gif.width);
    EXPECT_EQ(row.gifHeight, gif.height);
  }
  EXPECT_TRUE(GetShownMessageBoxes().empty());
}
