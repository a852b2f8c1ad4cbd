#include <gtest/gtest.h>
#include <lcms2.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "support/JpegDisplay.h"
#include "support/ProgramGlobals.h"

namespace {

// An sRGB camera profile and a monitor profile with a linear curve: mid grey darkens visibly.
class DisplayColourTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/tavorin-colour-XXXXXX";
    ASSERT_NE(nullptr, mkdtemp(pattern));
    m_dir = pattern;
    cmsHPROFILE camera = cmsCreate_sRGBProfile();
    cmsCIExyY white;
    cmsWhitePointFromTemp(&white, 6504);
    cmsCIExyYTRIPLE primaries = {{0.64, 0.33, 1}, {0.30, 0.60, 1}, {0.15, 0.06, 1}};
    cmsToneCurve* linear = cmsBuildGamma(nullptr, 1.0);
    cmsToneCurve* curves[3] = {linear, linear, linear};
    cmsHPROFILE monitor = cmsCreateRGBProfile(&white, &primaries, curves);
    ASSERT_TRUE(cmsSaveProfileToFile(camera, (m_dir + "/camera.icc").c_str()));
    ASSERT_TRUE(cmsSaveProfileToFile(monitor, (m_dir + "/monitor.icc").c_str()));
    cmsFreeToneCurve(linear);
    cmsCloseProfile(camera);
    cmsCloseProfile(monitor);
  }
  void TearDown() override {
    g_bEnableColourManagement = FALSE;
    g_strCameraProfile.Empty();
    g_strMonitorProfile.Empty();
    std::system(("rm -rf '" + m_dir + "'").c_str());
  }
  std::string m_dir;
};

}  // namespace

// The view's values (loaded once, changed by the colour dialog) decide, not the registry.
TEST_F(DisplayColourTest, FollowsTheProgramWideSettings) {
  struct Row {
    BOOL enabled;
    bool withProfiles;
    bool changed;
  } rows[] = {{TRUE, true, true}, {FALSE, true, false}, {TRUE, false, false}};
  for (const Row& row : rows) {
    SCOPED_TRACE(testing::Message() << row.enabled << row.withProfiles);
    g_bEnableColourManagement = row.enabled;
    g_strCameraProfile = row.withProfiles ? (m_dir + "/camera.icc").c_str() : "";
    g_strMonitorProfile = row.withProfiles ? (m_dir + "/monitor.icc").c_str() : "";
    BYTE pixels[6] = {128, 128, 128, 255, 255, 255};
    ApplyDisplayColourManagement(pixels, 2);
    if (row.changed) {
      EXPECT_LT(pixels[0], 80);  // mid grey in linear light
      EXPECT_GE(pixels[3], 250);  // white stays white
    } else {
      EXPECT_EQ(128, pixels[0]);
    }
  }
}
