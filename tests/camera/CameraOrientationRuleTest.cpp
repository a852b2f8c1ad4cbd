// One orientation rule on every road: a setting's angle replaces the camera's tag, "Use
// Orientation Sensor" keeps it; the plain road (tag written), the lossless road (pixels turned)
// and the processed road (with or without the live-view crop) must show the same upright
// picture for every setting and tag.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "camera/Camera.h"
#include "camera/CameraTrampolines.h"
#include "platform/polyimage/polyimage.h"
#include "support/Exif.h"
#include "tests/camera/RecordingSink.h"
#include "tests/camera/SimTestSupport.h"
#include "tests/support/ExifFixtures.h"
#include "tests/support/ExiftoolCheck.h"

namespace {

const int kWidth = 64, kHeight = 48;

/// Hands the bytes to the camera as PRSDK delivers a download, then lets it process them.
void Deliver(CCamera& camera, const std::vector<BYTE>& jpeg, DWORD dataType = cdDATA_TYPE_PICTURE) {
  prContext context = reinterpret_cast<prContext>(&camera);
  prProgress progress{};
  progress.Message = prMSG_DATA_HEADER;
  progress.Length = prUInt32(jpeg.size());
  ASSERT_EQ(0u, PrDownloadProgressTrampoline(0, context, &progress));
  progress = prProgress{};
  progress.Message = prMSG_DATA;
  progress.Length = prUInt32(jpeg.size());
  progress.Data = const_cast<BYTE*>(jpeg.data());
  progress.PercentComplete = 100;
  ASSERT_EQ(0u, PrDownloadProgressTrampoline(0, context, &progress));
  camera.ProcessDownloadedItem(dataType, cdFORMAT_JPEG);
}

jpegtest::Rgb Source(double fx, double fy) {
  return exiftest::Quadrants(int(fx * kWidth), int(fy * kHeight), kWidth, kHeight);
}

/// The source colour that a clockwise turn by `degrees` puts at (fx, fy) of the turned picture.
jpegtest::Rgb Expected(int degrees, double fx, double fy) {
  switch (degrees) {
    case 90: return Source(fy, 1 - fx);
    case 180: return Source(1 - fx, 1 - fy);
    case 270: return Source(1 - fy, fx);
    default: return Source(fx, fy);
  }
}

/// The saved file as a viewer shows it: decoded and turned upright by its own tag.
void ExpectUpright(const std::string& path, int degrees) {
  int session = cNewSession();
  ASSERT_NE(0, session);
  cSetAutoRotate(session, 1);
  ASSERT_TRUE(cLoadImage(session, path.c_str(), 0, 0, 0));
  DWORD width = 0, height = 0;
  cGetImageInfo(session, &width, &height, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
  bool turned = degrees % 180 != 0;
  EXPECT_EQ(DWORD(turned ? kHeight : kWidth), width);
  EXPECT_EQ(DWORD(turned ? kWidth : kHeight), height);
  for (double fy : {0.25, 0.75})
    for (double fx : {0.25, 0.75}) {
      COLORREF c = 0;
      cGetPixelColor(session, int(fx * width), int(fy * height), &c);
      jpegtest::Rgb want = Expected(degrees, fx, fy);
      EXPECT_NEAR(GetRValue(c), want.r, 40) << fx << "," << fy;
      EXPECT_NEAR(GetGValue(c), want.g, 40) << fx << "," << fy;
      EXPECT_NEAR(GetBValue(c), want.b, 40) << fx << "," << fy;
    }
  cDestroySession(session);
}

int TagDegrees(int tag) { return tag == 6 ? 90 : tag == 3 ? 180 : tag == 8 ? 270 : 0; }

class CameraOrientationRuleTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/tavorin-orientation-XXXXXX";
    ASSERT_NE(nullptr, mkdtemp(pattern));
    m_dir = pattern;
    StartSimulator({SimSpec("Canon PowerShot G9", tavsim::kSimPr)});
    m_camera = std::make_unique<CCamera>(nullptr);
    m_camera->SetMessageSink(&m_sink);
  }
  void TearDown() override {
    m_camera->SetMessageSink(nullptr);
    m_camera.reset();
    CDFinishSDK();
    std::string command = "rm -rf '" + m_dir + "'";
    ASSERT_EQ(0, std::system(command.c_str()));
  }

  /// The path of the last saved file, or "" when the last download was not saved.
  std::string LastSaved() {
    std::vector<Message> all = m_sink.Messages();
    for (auto it = all.rbegin(); it != all.rend(); ++it)
      if (it->message == WM_SAVED_FILE) return it->text;
    return "";
  }

  std::string m_dir;
  RecordingSink m_sink;
  std::unique_ptr<CCamera> m_camera;
};

}  // namespace

TEST_F(CameraOrientationRuleTest, EveryRoadShowsTheSameUprightPicture) {
  const char* roads[] = {"plain", "lossless", "processed", "cropped"};
  const int settingAngle[] = {0, 270, 90, 180, -1};
  int round = 0;
  for (bool xmpFirst : {false, true})
    for (const char* road : roads)
      for (int setting = 0; setting <= 4; ++setting)
        for (int tag : {1, 3, 6, 8}) {
          if (xmpFirst && setting != 4 && setting != 2) continue;  // the reader's side needs a few rows only
          std::string name = std::string(road) + " setting " + std::to_string(setting) + " tag " +
                             std::to_string(tag) + (xmpFirst ? " xmp first" : "");
          SCOPED_TRACE(name);
          exiftest::Options options;
          options.orientation = tag;
          options.xmpFirst = xmpFirst;
          std::vector<BYTE> photo = exiftest::MakeCameraJpeg(
              kWidth, kHeight, [](int x, int y) { return exiftest::Quadrants(x, y, kWidth, kHeight); }, options);
          CameraViewSettings s;
          std::string folder = m_dir + "/" + std::to_string(++round);
          s.directory = folder.c_str();
          s.filenamePrefix = "IMG_";
          s.orientationSetting = setting;
          s.losslessAutoRotate = std::string(road) == "lossless";
          s.postProcessingEnable = std::string(road) == "processed";
          // The live-view crop over the whole frame keeps every pixel but takes the crop's road.
          s.viewfinderCropOn = std::string(road) == "cropped";
          s.viewfinderCropRect = RECT{0, 0, 319, 239};
          m_camera->SetViewSettings(s);
          Deliver(*m_camera, photo);
          std::string path = LastSaved();
          ASSERT_EQ(folder + "/IMG_0001.JPG", path);
          int degrees = settingAngle[setting] >= 0 ? settingAngle[setting] : TagDegrees(tag);
          ExpectUpright(path, degrees);
          if (std::string(road) != "plain") { EXPECT_EQ(0, Exif(path.c_str()).GetRotation()) << "turned in pixels"; }
        }
}

TEST_F(CameraOrientationRuleTest, EveryRoadWritesPhotosThatAValidatorAccepts) {
  // A camera photo the validator accepts, portrait by its tag.
  std::vector<BYTE> photo = tavsim::SimMakePhoto(640, 480, 5, "Canon PowerShot G9", 6);
  std::string source = m_dir + "/source.jpg";
  {
    std::ofstream out(source, std::ios::binary);
    out.write(reinterpret_cast<const char*>(photo.data()), std::streamsize(photo.size()));
  }
  std::string verdict = exiftest::ExiftoolValidate(source);
  ASSERT_TRUE(exiftest::ExiftoolAccepts(verdict)) << verdict;
  const char* roads[] = {"plain", "lossless", "processed", "cropped"};
  int round = 0;
  for (const char* road : roads) {
    SCOPED_TRACE(road);
    CameraViewSettings s;
    std::string folder = m_dir + "/valid" + std::to_string(++round);
    s.directory = folder.c_str();
    s.filenamePrefix = "IMG_";
    s.comment = "Wedding";
    s.orientationSetting = 2;
    s.losslessAutoRotate = std::string(road) == "lossless";
    s.postProcessingEnable = std::string(road) == "processed";
    s.viewfinderCropOn = std::string(road) == "cropped";
    s.viewfinderCropRect = RECT{40, 30, 279, 209};
    m_camera->SetViewSettings(s);
    Deliver(*m_camera, photo);
    std::string path = LastSaved();
    ASSERT_EQ(folder + "/IMG_0001.JPG", path);
    EXPECT_EQ(Exif(path.c_str()).m_comment, "Wedding");
    verdict = exiftest::ExiftoolValidate(path);
    EXPECT_TRUE(exiftest::ExiftoolAccepts(verdict)) << verdict;
  }
}
