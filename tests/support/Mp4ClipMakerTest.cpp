#include "support/Mp4ClipMaker.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/resource.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/user/messagebox.h"
#include "platform/user/winmsg.h"
#include "platform/win32/process.h"
#include "tests/support/GifTestFiles.h"

namespace {

CStringArray Array(std::initializer_list<const char*> items) {
  CStringArray out;
  for (const char* item : items) out.Add(item);
  return out;
}

std::string Lines(std::initializer_list<std::pair<const char*, int>> runs) {
  std::string out;
  for (auto [name, count] : runs)
    for (int i = 0; i < count; ++i) out += std::string("file '") + name + "'\n";
  return out;
}

class TempFolder {
 public:
  TempFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "mp4-test-XXXXXX").string();
    path_ = mkdtemp(pattern.data()) ? pattern : std::string();
  }
  ~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  std::string File(const std::string& name) const { return path_ + "/" + name; }
  const std::string& Path() const { return path_; }

 private:
  std::string path_;
};

// ffprobe's answer for one stream entry of the first video stream.
std::string Probe(const std::string& file, const char* entries) {
  std::string out;
  std::vector<std::string> argv = {"ffprobe", "-v", "error", "-select_streams", "v:0", "-show_entries", entries,
                                   "-of", "default=noprint_wrappers=1:nokey=1", file};
  std::string command;
  for (auto& a : argv) command += "'" + a + "' ";
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return out;
  char buffer[256];
  while (fgets(buffer, sizeof buffer, pipe)) out += buffer;
  pclose(pipe);
  while (!out.empty() && (out.back() == '\n' || out.back() == '\r')) out.pop_back();
  return out;
}

}  // namespace

TEST(Mp4ClipMakerTest, ConcatListTable) {
  struct Row {
    const char* name;
    CStringArray frames, ends;
    int minDuration, frameTime, endTime;
    BOOL endsLast;
    std::string expected;
  } rows[] = {
      {"three frames repeated to the minimum", Array({"/a.png", "/b.png", "/c.png"}), Array({}), 400, 50, 150, TRUE,
       Lines({{"/a.png", 1}, {"/b.png", 1}, {"/c.png", 1}}) + Lines({{"/a.png", 1}, {"/b.png", 1}, {"/c.png", 1}}) +
           Lines({{"/a.png", 1}, {"/b.png", 1}, {"/c.png", 1}})},
      {"end frame 300 at 50 is written 6 times", Array({"/a.png"}), Array({"/t.png"}), 0, 50, 300, TRUE,
       Lines({{"/a.png", 1}, {"/t.png", 6}})},
      {"frame time 0 counts as 1", Array({"/a.png"}), Array({"/t.png"}), 4, 0, 2, TRUE,
       Lines({{"/a.png", 2}, {"/t.png", 2}})},
      {"titles first", Array({"/a.png", "/b.png"}), Array({"/t1.png", "/t2.png"}), 0, 75, 150, FALSE,
       Lines({{"/t1.png", 2}, {"/t2.png", 2}, {"/a.png", 1}, {"/b.png", 1}})},
      {"titles last", Array({"/a.png"}), Array({"/t1.png"}), 0, 75, 150, TRUE, Lines({{"/a.png", 1}, {"/t1.png", 2}})},
      {"an apostrophe is closed, escaped and reopened", Array({"/x/Bob's.png"}), Array({}), 0, 50, 150, TRUE,
       "file '/x/Bob'\\''s.png'\n"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    CString list = BuildMp4ConcatList(row.frames, row.ends, row.minDuration, row.frameTime, row.endTime, row.endsLast);
    EXPECT_EQ(std::string(list.GetString()), row.expected);
  }
}

TEST(Mp4ClipMakerTest, MissingFfmpegFailsWithAMessageNamingItsPackage) {
  TempFolder empty;
  std::string oldPath = getenv("PATH") ? getenv("PATH") : "";
  setenv("PATH", empty.Path().c_str(), 1);
  ClearMessageBoxes();
  PushMessageBoxAnswer(IDOK);
  int result = CreateMp4FromPng(nullptr, Array({"/a.png"}), Array({}), 0, empty.File("x.mp4").c_str(), 50, 150, TRUE);
  setenv("PATH", oldPath.c_str(), 1);
  EXPECT_NE(result, 0);
  auto shown = GetShownMessageBoxes();
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0].caption, "CreateMp4FromPng");
  EXPECT_NE(shown[0].text.find("Unable to find ffmpeg"), std::string::npos);
  EXPECT_NE(shown[0].text.find("package \"ffmpeg\""), std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(empty.File("x.mp4")));
  // The next session of the run goes on without its clip and without another box.
  setenv("PATH", empty.Path().c_str(), 1);
  result = CreateMp4FromPng(nullptr, Array({"/a.png"}), Array({}), 0, empty.File("y.mp4").c_str(), 50, 150, TRUE);
  setenv("PATH", oldPath.c_str(), 1);
  EXPECT_NE(result, 0);
  EXPECT_EQ(GetShownMessageBoxes().size(), 1u);
}

// ffmpeg that fails mid-encode (the disk fills: a file-size limit it inherits): a failure, and
// nothing under the clip's name nor beside it.
TEST(Mp4ClipMakerTest, AFailedEncodeLeavesNoClip) {
  ASSERT_FALSE(FindFfmpeg().empty()) << "ffmpeg is installed by scripts/install-deps";
  TempFolder folder;
  CLSID png;
  ASSERT_GE(GetEncoderClsid(u"image/png", &png), 0);
  CStringArray frames;
  for (int i = 0; i < 6; ++i) {
    std::string name = folder.File("frame" + std::to_string(i) + ".png");
    ASSERT_EQ(SolidBitmap(640, 480, 0xff000000u | (0x2a3b4cu * (i + 1)))->Save(WideAscii(name).c_str(), &png),
              Gdiplus::Ok);
    frames.Add(name.c_str());
  }
  std::string clip = folder.File("clip.mp4");
  rlimit old{};
  getrlimit(RLIMIT_FSIZE, &old);
  rlimit limited{2048, old.rlim_max};
  signal(SIGXFSZ, SIG_IGN);
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limited), 0);
  int result = CreateMp4FromPng(nullptr, frames, Array({}), 0, clip.c_str(), 50, 150, TRUE);
  setrlimit(RLIMIT_FSIZE, &old);
  EXPECT_NE(result, 0);
  EXPECT_FALSE(std::filesystem::exists(clip));
  EXPECT_FALSE(std::filesystem::exists(clip + ".part"));
}

TEST(Mp4ClipMakerTest, EmptyFrameListDoesNothing) {
  ClearMessageBoxes();
  EXPECT_EQ(CreateMp4FromPng(nullptr, Array({}), Array({"/t.png"}), 0, "/nonexistent/x.mp4", 50, 150, TRUE), 1);
  EXPECT_TRUE(GetShownMessageBoxes().empty());
}

TEST(Mp4ClipMakerTest, RealFfmpegMakesAnEvenSizedH264ClipOfTheListedLength) {
  ASSERT_FALSE(FindFfmpeg().empty()) << "ffmpeg is installed by scripts/install-deps";
  TempFolder folder;
  CLSID png;
  ASSERT_GE(GetEncoderClsid(u"image/png", &png), 0);
  CStringArray frames, titles;
  const Gdiplus::ARGB colours[] = {0xffff0000u, 0xff00ff00u, 0xff0000ffu, 0xffffff00u};
  for (int i = 0; i < 4; ++i) {
    // An apostrophe in the folder name goes through the list's escaping.
    std::string name = folder.File("it's frame" + std::to_string(i) + ".png");
    ASSERT_EQ(SolidBitmap(401, 301, colours[i])->Save(WideAscii(name).c_str(), &png), Gdiplus::Ok);
    frames.Add(name.c_str());
  }
  std::string title = folder.File("title.png");
  ASSERT_EQ(SolidBitmap(401, 301, 0xffffffffu)->Save(WideAscii(title).c_str(), &png), Gdiplus::Ok);
  titles.Add(title.c_str());
  std::string clip = folder.File("clip.mp4");
  TempFolder lists;
  std::string oldTemp = getenv("TMPDIR") ? getenv("TMPDIR") : "";
  setenv("TMPDIR", lists.Path().c_str(), 1);
  ClearMessageBoxes();
  int result = CreateMp4FromPng(nullptr, frames, titles, 0, clip.c_str(), 75, 150, TRUE);
  oldTemp.empty() ? unsetenv("TMPDIR") : setenv("TMPDIR", oldTemp.c_str(), 1);
  ASSERT_EQ(result, 0);
  EXPECT_TRUE(std::filesystem::is_empty(lists.Path()));  // the list file is gone again
  EXPECT_TRUE(GetShownMessageBoxes().empty());
  EXPECT_EQ(Probe(clip, "stream=codec_name"), "h264");
  EXPECT_EQ(Probe(clip, "stream=pix_fmt"), "yuv420p");
  EXPECT_EQ(Probe(clip, "stream=r_frame_rate"), "25/1");
  EXPECT_EQ(Probe(clip, "stream=width,height"), "400\n300");
  double duration = std::atof(Probe(clip, "format=duration").c_str());
  EXPECT_NEAR(duration, 4.5, 0.1);  // 4 frames of 0.75 s and the title twice
}

TEST(Mp4ClipMakerTest, RunCommandAndWaitPassesArgumentsUntouchedAndReportsTheExitCode) {
  EXPECT_EQ(RunCommandAndWait({"sh", "-c", "exit 7"}), 7u);
  TempFolder folder;
  std::string odd = folder.File("a b;$(touch pwned)'\"");
  EXPECT_EQ(RunCommandAndWait({"touch", odd}), 0u);
  EXPECT_TRUE(std::filesystem::exists(odd));
  EXPECT_FALSE(std::filesystem::exists("pwned"));
  EXPECT_NE(RunCommandAndWait({folder.File("no-such-program")}), 0u);
}
