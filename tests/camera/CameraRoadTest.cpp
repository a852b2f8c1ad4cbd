// The photo road end to end on the threaded simulated camera: release, download, naming,
// saving, and the messages the view receives, recorded by a test sink.
#include <gtest/gtest.h>

#include <algorithm>
#include <condition_variable>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <mutex>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "camera/Camera.h"
#include "camera/CameraTrampolines.h"
#include "platform/polyimage/polyimage.h"
#include "support/Exif.h"
#include "tests/camera/RecordingSink.h"
#include "tests/camera/SimTestSupport.h"

using namespace tavsim;

namespace {

std::string Kinds(const std::vector<Message>& messages) {
  std::string kinds;
  for (const Message& m : messages) {
    if (!kinds.empty()) kinds += ' ';
    switch (m.message) {
      case WM_EXIF: kinds += "EXIF"; break;
      case WM_SAVED_FILE: kinds += "SAVED"; break;
      case WM_DISPLAY_JPEG: kinds += "JPEG"; break;
      case WM_RELEASE_ERROR: kinds += "ERROR"; break;
      default: kinds += std::to_string(m.message);
    }
  }
  return kinds;
}

std::vector<BYTE> ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<BYTE>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::vector<std::string> ListFolder(const std::string& dir) {
  std::vector<std::string> names;
  std::string command = "ls -A '" + dir + "' 2>/dev/null";
  if (FILE* p = popen(command.c_str(), "r")) {
    char line[512];
    while (fgets(line, sizeof line, p)) {
      std::string name = line;
      if (!name.empty() && name.back() == '\n') name.pop_back();
      names.push_back(name);
    }
    pclose(p);
  }
  return names;
}

bool IsWholeJpeg(const std::vector<BYTE>& bytes) {
  return bytes.size() > 4 && bytes[0] == 0xFF && bytes[1] == 0xD8 && bytes[bytes.size() - 2] == 0xFF &&
         bytes.back() == 0xD9;
}

class CameraRoadTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("TZ", "UTC", 1);
    tzset();
    char pattern[] = "/tmp/tavorin-road-XXXXXX";
    ASSERT_NE(nullptr, mkdtemp(pattern));
    m_dir = pattern;
    m_sink = std::make_unique<RecordingSink>();
    m_settings = CameraViewSettings();
  }
  void TearDown() override {
    delete m_camera;
    m_camera = nullptr;
    m_sink.reset();
    std::string command = "chmod -R u+w '" + m_dir + "' && rm -rf '" + m_dir + "'";
    ASSERT_EQ(0, std::system(command.c_str()));
  }

  /// Starts the threaded simulator with one camera on that road and connects it, saving as "IMG_" in the temp folder.
  void Connect(int sdk, const char* model = "Canon PowerShot G9") {
    SimScenario scenario;
    scenario.cameras.push_back(SimSpec(model, sdk));
    scenario.threaded = true;
    SimReset(scenario);
    PR_StartSDK();
    cdVersionInfo version{};
    version.Size = sizeof version;
    version.MajorVersion = 5;
    ASSERT_EQ(cdOK, CDStartSDK(&version, 0));
    m_camera = new CCamera(nullptr);
    m_camera->SetMessageSink(m_sink.get());
    m_settings.directory = m_dir.c_str();
    m_settings.filenamePrefix = "IMG_";
    m_camera->SetViewSettings(m_settings);
    m_camera->Connect("");
    ASSERT_TRUE(m_camera->IsConnected());
    ASSERT_TRUE(m_camera->SetImageFormat(2, 3)) << "640 x 480 keeps the road quick";
  }
  void Apply() { m_camera->SetViewSettings(m_settings); }
  std::string Path(const char* name) { return m_dir + "/" + name; }
  /// Fails the next call of an SDK function.
  void FailNext(const char* function, DWORD error) {
    SimAddFault({function, static_cast<int>(SimCallsOf(function).size()) + 1, error});
  }

  std::string m_dir;
  std::unique_ptr<RecordingSink> m_sink;
  CameraViewSettings m_settings;
  CCamera* m_camera = nullptr;
};

}  // namespace

TEST_F(CameraRoadTest, ThumbnailAndPictureToTheComputerOnBothRoads) {
  for (int sdk : {kSimPr, kSimCd}) {
    SCOPED_TRACE(sdk == kSimPr ? "PRSDK" : "CDSDK");
    TearDown();
    SetUp();
    Connect(sdk);
    m_settings.comment = "Hello road";
    m_settings.orientationSetting = 2;  // 90 degrees
    Apply();
    ASSERT_EQ(3, m_camera->GetReleaseDataKind());
    m_camera->StartReleaseThread();
    ASSERT_TRUE(m_sink->WaitFor(WM_DISPLAY_JPEG, 2));

    std::vector<Message> shot = m_sink->Messages();
    ASSERT_EQ("EXIF JPEG EXIF SAVED JPEG", Kinds(shot));
    EXPECT_EQ(1, m_sink->Releases());
    EXPECT_EQ(90, shot[0].rotation) << "the thumbnail's Exif is read from the file as finished";
    EXPECT_EQ("Canon PowerShot G9", shot[2].model);
    EXPECT_EQ(Path("IMG_0001.JPG"), shot[3].text);
    EXPECT_TRUE(IsWholeJpeg(shot[1].bytes));
    EXPECT_TRUE(IsWholeJpeg(shot[4].bytes));
    EXPECT_EQ(shot[4].wParam, shot[4].bytes.size());

    EXPECT_EQ((std::vector<std::string>{"IMG_0001.JPG", "IMG_0001.THM"}), ListFolder(m_dir));
    for (const char* name : {"IMG_0001.JPG", "IMG_0001.THM"}) {
      SCOPED_TRACE(name);
      Exif exif(Path(name).c_str());
      EXPECT_EQ(90, exif.GetRotation());
      EXPECT_EQ(CString("Hello road"), exif.GetComment());
      EXPECT_EQ(CString("Canon PowerShot G9"), exif.GetModel());
      EXPECT_TRUE(IsWholeJpeg(ReadFile(Path(name))));
    }
    std::vector<Message> progress = m_sink->Progress();
    ASSERT_FALSE(progress.empty());
    EXPECT_EQ(100u, progress.back().wParam);
    if (sdk == kSimPr) {
      EXPECT_EQ(1, progress.back().lParam);
    }
  }
}

TEST_F(CameraRoadTest, SaveModeDecidesWhatIsSaved) {
  struct Row {
    WORD formatMode;
    DWORD saveMode;
    const char* kinds;
    const char* status;  // of the WM_SAVED_FILE; a file name when saved
    std::vector<std::string> files;
  } rows[] = {
      {0, 1, "EXIF SAVED JPEG", "IMG_0001.JPG", {"IMG_0001.JPG"}},
      {0, 2, "EXIF SAVED JPEG", "Image stored on memory card", {}},
      {0, 3, "EXIF SAVED JPEG", "IMG_0001.JPG", {"IMG_0001.JPG"}},
      {4, 3, "EXIF JPEG EXIF SAVED JPEG", "IMG_0001.JPG", {"IMG_0001.JPG", "IMG_0001.THM"}},
  };
  Connect(kSimPr);
  int round = 0;
  for (const Row& row : rows) {
    SCOPED_TRACE(row.status);
    m_settings.directory = Path(std::to_string(++round).c_str()).c_str();
    Apply();
    size_t before = m_sink->Messages().size();
    size_t displays = 0;
    for (const Message& m : m_sink->Messages()) displays += m.message == WM_DISPLAY_JPEG;
    ASSERT_TRUE(m_camera->SetSaveOptions(row.formatMode, row.saveMode));
    m_camera->Release(false);
    size_t expected = std::string(row.kinds) == "EXIF SAVED JPEG" ? 1 : 2;
    ASSERT_TRUE(m_sink->WaitFor(WM_DISPLAY_JPEG, displays + expected));
    std::vector<Message> all = m_sink->Messages();
    std::vector<Message> shot(all.begin() + before, all.end());
    EXPECT_EQ(row.kinds, Kinds(shot));
    std::string status = shot[shot.size() - 2].text;
    std::string folder = m_settings.directory.GetString();
    EXPECT_EQ(row.files.empty() ? row.status : folder + "/" + row.status, status);
    EXPECT_EQ(row.files, ListFolder(folder));
  }
}

TEST_F(CameraRoadTest, OrientationSettingGoesIntoTheFile) {
  struct Row {
    int setting;
    int expected;
  } rows[] = {{0, 0}, {1, 270}, {2, 90}, {3, 180}, {4, 180}};
  Connect(kSimPr);
  SimRotate(0, 180);  // the camera's own orientation, kept by "none"
  ASSERT_TRUE(m_camera->SetSaveMode(1));
  int n = 0;
  for (const Row& row : rows) {
    SCOPED_TRACE(row.setting);
    m_settings.orientationSetting = row.setting;
    Apply();
    m_camera->Release(false);
    ASSERT_TRUE(m_sink->WaitFor(WM_SAVED_FILE, ++n));
    std::string path;
    for (const Message& m : m_sink->Messages())
      if (m.message == WM_SAVED_FILE) path = m.text;
    ASSERT_EQ(0u, path.find(m_dir));
    EXPECT_EQ(row.expected, Exif(path.c_str()).GetRotation());
  }
}

TEST_F(CameraRoadTest, RawPictureIsSavedWithItsThumbnailAndShowsItsPreview) {
  for (int sdk : {kSimPr, kSimCd}) {
    SCOPED_TRACE(sdk == kSimPr ? "PRSDK" : "CDSDK");
    TearDown();
    SetUp();
    Connect(sdk);
    ASSERT_TRUE(m_camera->SetImageFormat(2, 4));
    m_settings.comment = "raw";
    m_settings.orientationSetting = 1;
    Apply();
    m_camera->Release(false);
    ASSERT_TRUE(m_sink->WaitFor(WM_DISPLAY_JPEG, 2));
    std::vector<Message> shot = m_sink->Messages();
    ASSERT_EQ("EXIF JPEG SAVED JPEG", Kinds(shot));
    EXPECT_EQ(Path("IMG_0001.CRW"), shot[2].text);
    EXPECT_TRUE(IsWholeJpeg(shot[3].bytes)) << "the raw file's embedded JPEG";
    EXPECT_EQ((std::vector<std::string>{"IMG_0001.CRW", "IMG_0001.THM"}), ListFolder(m_dir));
    std::vector<BYTE> crw = ReadFile(Path("IMG_0001.CRW"));
    ASSERT_GT(crw.size(), 14u);
    EXPECT_EQ(0, memcmp(crw.data() + 6, "HEAPCCDR", 8));
    Exif exif(Path("IMG_0001.CRW").c_str());
    EXPECT_EQ(CString("raw"), exif.GetComment());
    EXPECT_EQ(270, exif.GetRotation());
  }
}

TEST_F(CameraRoadTest, ReleaseCountsZeroAndMany) {
  Connect(kSimCd, "Canon PowerShot S5 IS");
  ASSERT_TRUE(m_camera->SetSaveMode(1));
  DWORD zero = 0;
  SimRaiseCdReleaseEvent(0, cdRELEASE_EVENT_RELEASE_COMPLETE, &zero);
  // A count beyond 100 is taken as one item; the camera has none to give, which is reported.
  DWORD huge = 250;
  SimRaiseCdReleaseEvent(0, cdRELEASE_EVENT_RELEASE_COMPLETE, &huge);
  ASSERT_TRUE(m_sink->WaitFor(WM_SAVED_FILE, 1));
  EXPECT_EQ("SAVED", Kinds(m_sink->Messages()));
  EXPECT_EQ("Error saving image", m_sink->Messages()[0].text);
  EXPECT_EQ(1u, SimCallsOf("CDGetReleasedData").size()) << "zero items fetched nothing";

  const int shots = 5;
  for (int i = 0; i < shots; ++i) m_camera->Release(false);
  ASSERT_TRUE(m_sink->WaitFor(WM_DISPLAY_JPEG, shots));
  std::vector<std::string> saved;
  for (const Message& m : m_sink->Messages())
    if (m.message == WM_SAVED_FILE) saved.push_back(m.text);
  ASSERT_EQ(shots + 1u, saved.size());
  for (int i = 1; i <= shots; ++i) {
    char name[32];
    snprintf(name, sizeof name, "IMG_%04d.JPG", i);
    EXPECT_EQ(Path(name), saved[i]);
    EXPECT_TRUE(IsWholeJpeg(ReadFile(Path(name))));
  }
}

TEST_F(CameraRoadTest, PreviewIsOnlyShownAndRestoresTheDataKind) {
  Connect(kSimPr);
  m_camera->StartPreviewReleaseThread();
  ASSERT_TRUE(m_sink->WaitFor(WM_DISPLAY_JPEG, 1));
  std::vector<Message> shot = m_sink->Messages();
  ASSERT_EQ("EXIF SAVED JPEG", Kinds(shot));
  EXPECT_EQ("Image downloaded", shot[1].text);
  EXPECT_TRUE(IsWholeJpeg(shot[2].bytes));
  EXPECT_TRUE(ListFolder(m_dir).empty());
  EXPECT_FALSE(m_camera->IsPreviewPending());
  std::vector<DWORD> kinds;
  for (const SimCall& call : SimCallsOf("PR_SetDevicePropValue"))
    if (call.id == 0xD029) kinds.push_back(call.value);
  // The preview selects "picture to the computer"; the stored kind follows, and stays.
  auto preview = std::find(kinds.begin(), kinds.end(), 2u);
  ASSERT_NE(kinds.end(), preview);
  ASSERT_NE(kinds.end(), preview + 1);
  for (auto it = preview + 1; it != kinds.end(); ++it) EXPECT_EQ(3u, *it);

  m_camera->Release(false);
  ASSERT_TRUE(m_sink->WaitFor(WM_DISPLAY_JPEG, 3));
  EXPECT_EQ((std::vector<std::string>{"IMG_0001.JPG", "IMG_0001.THM"}), ListFolder(m_dir));
}

TEST_F(CameraRoadTest, ReleaseFailuresAreReported) {
  struct Row {
    const char* function;
    DWORD error;
  } rows[] = {{"PR_RC_Release", 0x2019}, {"PR_SetDevicePropValue", 0x201C}};
  Connect(kSimPr);
  size_t n = 0;
  for (const Row& row : rows) {
    SCOPED_TRACE(row.function);
    size_t releasesBefore = SimCallsOf("PR_RC_Release").size();
    FailNext(row.function, row.error);
    m_camera->Release(false);
    ASSERT_TRUE(m_sink->WaitFor(WM_RELEASE_ERROR, ++n));
    Message last = m_sink->Messages().back();
    EXPECT_EQ(WPARAM(row.error), last.wParam);
    if (std::string(row.function) != "PR_RC_Release") {
      EXPECT_EQ(releasesBefore, SimCallsOf("PR_RC_Release").size());
    }
  }
  EXPECT_EQ(0, m_sink->Releases());
  EXPECT_EQ(0, m_camera->GetPendingReleases());
  EXPECT_TRUE(ListFolder(m_dir).empty());
}

TEST_F(CameraRoadTest, DownloadAndSaveFailuresAreReported) {
  Connect(kSimPr);
  // The thumbnail's download fails; the picture still arrives.
  FailNext("PR_RC_GetReleasedData", prDEVICE_BUSY);
  m_camera->Release(false);
  ASSERT_TRUE(m_sink->WaitFor(WM_SAVED_FILE, 2));
  ASSERT_TRUE(m_sink->WaitFor(WM_DISPLAY_JPEG, 1));
  std::vector<Message> shot = m_sink->Messages();
  ASSERT_EQ("SAVED EXIF SAVED JPEG", Kinds(shot));
  EXPECT_EQ("Error saving image", shot[0].text);
  EXPECT_EQ(Path("IMG_0001.JPG"), shot[2].text);

  // A folder that cannot be made: reported, still shown, nothing half written.
  std::ofstream(Path("blocker")) << "x";
  m_settings.directory = Path("blocker/photos").c_str();
  Apply();
  ASSERT_TRUE(m_camera->SetSaveMode(1));
  m_camera->Release(false);
  ASSERT_TRUE(m_sink->WaitFor(WM_SAVED_FILE, 3));
  ASSERT_TRUE(m_sink->WaitFor(WM_DISPLAY_JPEG, 2));
  shot = m_sink->Messages();
  EXPECT_EQ("Error saving image", shot[shot.size() - 2].text);
  EXPECT_EQ((std::vector<std::string>{"IMG_0001.JPG", "blocker"}), ListFolder(m_dir));
}

TEST_F(CameraRoadTest, PictureLargerThanTheStreamIsNeverSaved) {
  Connect(kSimPr);
  ASSERT_TRUE(m_camera->SetSaveMode(1));
  // What the SDK would deliver for a 13 MB picture, block by block.
  const DWORD total = 13 * 1024 * 1024;
  std::vector<BYTE> block(prMAX_TRANSFER_SIZE, 0x55);
  block[0] = 0xFF, block[1] = 0xD8;
  prProgress progress{};
  progress.Message = prMSG_DATA_HEADER;
  progress.Length = total;
  prContext context = reinterpret_cast<prContext>(m_camera);
  EXPECT_EQ(0u, PrDownloadProgressTrampoline(0, context, &progress));
  DWORD refused = 0;
  for (DWORD offset = 0; offset < total; offset += prMAX_TRANSFER_SIZE) {
    progress = prProgress{};
    progress.Message = prMSG_DATA;
    progress.Offset = offset;
    progress.Length = prMAX_TRANSFER_SIZE;
    progress.Data = block.data();
    progress.PercentComplete = (offset + prMAX_TRANSFER_SIZE) / (total / 100);
    if (PrDownloadProgressTrampoline(0, context, &progress)) ++refused;
  }
  EXPECT_GT(refused, 0u) << "the SDK is told the download cannot go on";
  m_camera->ProcessDownloadedItem(cdDATA_TYPE_PICTURE, cdFORMAT_JPEG);
  std::vector<Message> shot = m_sink->Messages();
  ASSERT_EQ("SAVED", Kinds(shot));
  EXPECT_EQ("Error saving image", shot[0].text);
  EXPECT_TRUE(ListFolder(m_dir).empty());
}

TEST_F(CameraRoadTest, ProcessingAndLosslessTurnWorkInPixels) {
  struct Row {
    const char* name;
    std::function<void(CameraViewSettings&)> set;
    DWORD width, height;
  } rows[] = {
      {"resize, levels, sharpen, 90",
       [](CameraViewSettings& s) {
         s.postProcessingEnable = TRUE;
         s.postProcessingResize = TRUE;
         s.postProcessingResizeWidth = 320;
         s.postProcessingResizeHeight = 240;
         s.postProcessingLevel = TRUE;
         s.postProcessingLevelBlack = 1;
         s.postProcessingLevelWhite = 1;
         s.postProcessingSharpen = TRUE;
         s.postProcessingSharpenAmount = 150;
         s.orientationSetting = 2;
       },
       240, 320},
      {"live-view crop only",
       [](CameraViewSettings& s) {
         s.viewfinderCropOn = TRUE;
         s.viewfinderCropRect = RECT{80, 60, 239, 179};
       },
       320, 240},
      {"lossless auto-rotate",
       [](CameraViewSettings& s) {
         s.losslessAutoRotate = TRUE;
         s.orientationSetting = 2;
       },
       480, 640},
  };
  Connect(kSimPr);
  ASSERT_TRUE(m_camera->SetSaveMode(1));
  int round = 0;
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    ++round;
    CameraViewSettings s = m_settings;
    s.directory = Path(std::to_string(round).c_str()).c_str();
    s.comment = "processed";
    row.set(s);
    m_camera->SetViewSettings(s);
    m_camera->Release(false);
    ASSERT_TRUE(m_sink->WaitFor(WM_DISPLAY_JPEG, round));
    std::vector<Message> all = m_sink->Messages();
    std::string path = all[all.size() - 2].text;
    ASSERT_EQ(std::string(s.directory.GetString()) + "/IMG_0001.JPG", path);
    DWORD width = 0, height = 0;
    ASSERT_TRUE(cGetImageFileInfo(path.c_str(), 0, &width, &height, nullptr, nullptr));
    EXPECT_EQ(row.width, width);
    EXPECT_EQ(row.height, height);
    Exif exif(path.c_str());
    EXPECT_EQ(0, exif.GetRotation());
    EXPECT_EQ(CString("Canon PowerShot G9"), exif.GetModel()) << "the camera's Exif block is back";
    EXPECT_EQ(CString("processed"), exif.GetComment());
    // The view shows the processed photo (the comment is written into the file after it was read).
    EXPECT_EQ(ReadFile(path).size(), all.back().bytes.size());
    EXPECT_TRUE(IsWholeJpeg(all.back().bytes));
    EXPECT_EQ((std::vector<std::string>{"IMG_0001.JPG"}), ListFolder(s.directory.GetString()));
  }
}

TEST_F(CameraRoadTest, SoakWithRandomFaults) {
  Connect(kSimPr);
  ASSERT_TRUE(m_camera->SetSaveMode(1));
  std::mt19937 random(20240305);
  size_t errors = 0, saved = 0;
  int expectedFiles = 0;
  for (int i = 0; i < 20; ++i) {
    SCOPED_TRACE(i);
    int fault = static_cast<int>(random() % 4);  // 0, 1: none; 2: at release; 3: at download
    if (fault == 2) FailNext("PR_RC_Release", 0x2019);
    if (fault == 3) FailNext("PR_RC_GetReleasedData", prDEVICE_BUSY);
    m_camera->Release(false);
    if (fault == 2) {
      ASSERT_TRUE(m_sink->WaitFor(WM_RELEASE_ERROR, ++errors));
    } else {
      ASSERT_TRUE(m_sink->WaitFor(WM_SAVED_FILE, ++saved));
      std::string status;
      for (const Message& m : m_sink->Messages())
        if (m.message == WM_SAVED_FILE) status = m.text;
      if (fault == 3) {
        EXPECT_EQ("Error saving image", status);
      } else {
        ++expectedFiles;
        char name[32];
        snprintf(name, sizeof name, "IMG_%04d.JPG", expectedFiles);
        EXPECT_EQ(Path(name), status);
        EXPECT_TRUE(IsWholeJpeg(ReadFile(status)));
      }
    }
  }
  EXPECT_EQ(static_cast<size_t>(expectedFiles), ListFolder(m_dir).size());
}

// A download step that outlasts any patience (a big photo turned losslessly, a slow folder)
// keeps the camera alive until the step is done.
TEST_F(CameraRoadTest, DeletingTheCameraWaitsForASlowDownloadStep) {
  class SlowSink : public RecordingSink {
   public:
    BOOL Post(UINT message, WPARAM wParam, LPARAM lParam) override {
      if (message == WM_EXIF && !m_slowed.exchange(true)) {
        m_inStep = true;
        std::unique_lock<std::mutex> lock(m_gate);
        m_opened.wait_for(lock, std::chrono::seconds(5), [this] { return m_deleted; });
        m_stepDone = true;
      }
      return RecordingSink::Post(message, wParam, lParam);
    }
    void Deleted() {
      std::lock_guard<std::mutex> lock(m_gate);
      m_deleted = true;
      m_opened.notify_all();
    }
    std::atomic<bool> m_slowed{false}, m_inStep{false}, m_stepDone{false};

   private:
    std::mutex m_gate;
    std::condition_variable m_opened;
    bool m_deleted = false;
  };
  auto sink = std::make_unique<SlowSink>();
  m_sink = std::move(sink);
  auto* slow = static_cast<SlowSink*>(m_sink.get());
  Connect(kSimPr);
  m_camera->Release(false);
  for (int i = 0; i < 6000 && !slow->m_inStep; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  ASSERT_TRUE(slow->m_inStep);
  delete m_camera;
  m_camera = nullptr;
  EXPECT_TRUE(slow->m_stepDone) << "the camera was freed under its download thread";
  slow->Deleted();
}
