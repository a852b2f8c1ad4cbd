// The photo road on real photos: the built program with a simulated camera that serves a
// folder's JPEGs, released by tavorin-test; each saved file is checked as a user would: its
// pixels upright by the orientation rule, its Exif read back, and an outside validator's verdict.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/canon/simulator.h"
#include "platform/polyimage/polyimage.h"
#include "platform/registry/registry.h"
#include "platform/registry/registry_testing.h"
#include "support/Exif.h"
#include "tests/e2e/E2eProcess.h"
#include "tests/support/ExiftoolCheck.h"

namespace {

const char kModelSettings[] = "SOFTWARE\\MorvaneSystems\\Tavorin\\102\\Canon PowerShot G9\\Settings";
const char kProduct[] = "SOFTWARE\\MorvaneSystems\\Tavorin\\102";

struct Picture {
  int width = 0, height = 0;
  std::vector<BYTE> bgr;
};

/// The file's pixels, turned upright by its own orientation tag when `upright`.
Picture Load(const std::string& path, bool upright) {
  Picture p;
  int session = cNewSession();
  cSetAutoRotate(session, upright ? 1 : 0);
  DWORD width = 0, height = 0;
  PolyArray pixels;
  if (cLoadImage(session, path.c_str(), 0, 0, 0) &&
      cGetImageInfo(session, &width, &height, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr) &&
      cGetImage16(session, &pixels) && pixels.Size() >= size_t(width) * height * 3) {
    p.width = int(width), p.height = int(height);
    p.bgr.assign(pixels.Data(), pixels.Data() + size_t(width) * height * 3);
  }
  cDestroySession(session);
  return p;
}

/// A quarter turn clockwise (90), half (180) or anticlockwise (270).
Picture Turn(const Picture& src, int degrees) {
  if (degrees % 360 == 0) return src;
  Picture out;
  bool swap = degrees != 180;
  out.width = swap ? src.height : src.width;
  out.height = swap ? src.width : src.height;
  out.bgr.resize(src.bgr.size());
  for (int y = 0; y < src.height; ++y)
    for (int x = 0; x < src.width; ++x) {
      int nx = degrees == 90 ? src.height - 1 - y : degrees == 180 ? src.width - 1 - x : y;
      int ny = degrees == 90 ? x : degrees == 180 ? src.height - 1 - y : src.width - 1 - x;
      for (int c = 0; c < 3; ++c)
        out.bgr[(size_t(ny) * out.width + nx) * 3 + c] = src.bgr[(size_t(y) * src.width + x) * 3 + c];
    }
  return out;
}

double MeanDifference(const Picture& a, const Picture& b) {
  if (a.width != b.width || a.height != b.height || a.bgr.empty()) return 1e9;
  double sum = 0;
  for (size_t i = 0; i < a.bgr.size(); ++i) sum += std::abs(int(a.bgr[i]) - int(b.bgr[i]));
  return sum / double(a.bgr.size());
}

void WriteBytes(const std::string& path, const std::vector<BYTE>& bytes) {
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

void WriteDword(const char* keyName, const char* name, DWORD value) {
  HKEY key = nullptr;
  ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, keyName, 0, nullptr, REG_OPTION_NON_VOLATILE,
                                           KEY_READ | KEY_WRITE, nullptr, &key, nullptr));
  ASSERT_EQ(ERROR_SUCCESS, RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), 4));
  RegCloseKey(key);
}

struct Road {
  const char* name;
  DWORD orientationSetting;
  DWORD lossless;
  DWORD processed;
};

void PrintTo(const Road& road, std::ostream* out) { *out << road.name; }

class PhotoRoadTest : public ::testing::TestWithParam<Road> {};

}  // namespace

TEST_P(PhotoRoadTest, EachReleaseSavesTheNextPhotoUprightAndValid) {
  const Road& road = GetParam();
  TestDesktop desktop;
  std::string source = desktop.Root() + "/source", photos = desktop.Root() + "/photos";
  std::filesystem::create_directories(source);
  // Landscape, portrait (tag 6) and upside-down (tag 3) photos, each accepted by the validator.
  const int tags[] = {1, 6, 3};
  std::vector<std::string> sources;
  for (int i = 0; i < 3; ++i) {
    std::string path = source + "/IMG_000" + std::to_string(i + 1) + ".JPG";
    WriteBytes(path, tavsim::SimMakePhoto(640, 480, 10 + i, "Canon PowerShot G9", tags[i]));
    std::string verdict = exiftest::ExiftoolValidate(path);
    ASSERT_TRUE(exiftest::ExiftoolAccepts(verdict)) << verdict;
    sources.push_back(path);
  }
  std::string scenario = desktop.Root() + "/camera.sim";
  std::ofstream(scenario) << "camera pr Canon PowerShot G9\nphotos " << source << "\n";
  desktop.AddEnvironment("TAVORIN_CAMERA_SIM=" + scenario);

  // The settings the program reads when it connects.
  setenv("TAVORIN_REGISTRY", (desktop.Root() + "/config/registry.sqlite3").c_str(), 1);
  RegistryReopenForTest();
  WriteDword(kModelSettings, "OrientationSetting", road.orientationSetting);
  WriteDword(kModelSettings, "LosslessAutoRotate", road.lossless);
  WriteDword(kProduct, "PostProcessingEnable", road.processed);
  RegistryReopenForTest();

  ASSERT_TRUE(desktop.Start());
  ASSERT_TRUE(desktop.WaitUntilAnswering(120)) << ReadWhole(desktop.Root() + "/program.log");
  ClientRun setup = desktop.Client({"-C", "1", "-o", photos, "-c", "Wedding", "-n"});
  ASSERT_EQ(setup.exitCode, 0) << setup.err;

  const int settingAngle[] = {0, 270, 90, 180, -1};
  for (int shot = 0; shot < 4; ++shot) {  // the fourth release starts the folder again
    SCOPED_TRACE(shot);
    ClientRun release = desktop.Client({});
    ASSERT_EQ(release.exitCode, 0) << release.err;
    const std::string prefix = "Success, image saved as: ";
    ASSERT_EQ(release.out.rfind(prefix, 0), 0u) << release.out << release.err;
    std::string path = release.out.substr(prefix.size());
    path.erase(path.find_last_not_of('\n') + 1);

    int tag = tags[shot % 3];
    int tagAngle = tag == 6 ? 90 : tag == 3 ? 180 : 0;
    int angle = settingAngle[road.orientationSetting] >= 0 ? settingAngle[road.orientationSetting] : tagAngle;
    Picture want = Turn(Load(sources[shot % 3], false), angle);
    Picture got = Load(path, true);
    EXPECT_LT(MeanDifference(got, want), road.processed ? 4.0 : 0.5) << path;
    if (road.orientationSetting == 4 && !road.lossless && !road.processed) {
      EXPECT_EQ(0.0, MeanDifference(Load(path, false), Load(sources[shot % 3], false))) << "pixels unchanged";
    }

    Exif exif(path.c_str());
    EXPECT_EQ(exif.GetModel(), "Canon PowerShot G9");
    EXPECT_EQ(exif.GetIso(), "100");
    EXPECT_EQ(exif.m_comment, "Wedding");
    std::string verdict = exiftest::ExiftoolValidate(path);
    EXPECT_TRUE(exiftest::ExiftoolAccepts(verdict)) << verdict;
  }
}

INSTANTIATE_TEST_SUITE_P(Roads, PhotoRoadTest,
                         ::testing::Values(Road{"sensor", 4, 0, 0}, Road{"portrait processed", 2, 0, 1}),
                         [](const ::testing::TestParamInfo<Road>& info) {
                           std::string name = info.param.name;
                           for (char& c : name)
                             if (c == ' ') c = '_';
                           return name;
                         });
