// Colour management with real ICC profiles made by lcms2.
#include <lcms2.h>

#include "polyimage_test_util.h"

using namespace pip_test;

namespace {

std::vector<BYTE> SrgbProfile() {
  cmsHPROFILE profile = cmsCreate_sRGBProfile();
  cmsUInt32Number size = 0;
  cmsSaveProfileToMem(profile, nullptr, &size);
  std::vector<BYTE> bytes(size);
  cmsSaveProfileToMem(profile, bytes.data(), &size);
  cmsCloseProfile(profile);
  return bytes;
}

std::vector<BYTE> LabProfile() {
  cmsHPROFILE profile = cmsCreateLab4Profile(nullptr);
  cmsUInt32Number size = 0;
  cmsSaveProfileToMem(profile, nullptr, &size);
  std::vector<BYTE> bytes(size);
  cmsSaveProfileToMem(profile, bytes.data(), &size);
  cmsCloseProfile(profile);
  return bytes;
}

}  // namespace

TEST(PolyImageIccTest, TwoSrgbProfilesAreNearIdentity) {
  Session s, original;
  MakeImage(s, 16, 16, Gradient);
  MakeImage(original, 16, 16, Gradient);
  std::vector<BYTE> srgb = SrgbProfile();
  ASSERT_TRUE(cLoadICCProfile(s, srgb.data(), DWORD(srgb.size())));
  for (int intent = 0; intent < 4; ++intent) {
    SCOPED_TRACE(intent);
    ASSERT_TRUE(cApplyICCProfile(s, srgb.data(), DWORD(srgb.size()), intent));
    EXPECT_LE(MaxDifference(s, original), 2);
  }
}

TEST(PolyImageIccTest, BadProfilesChangeNothing) {
  Session s, original;
  MakeImage(s, 8, 8, Gradient);
  MakeImage(original, 8, 8, Gradient);
  std::vector<BYTE> junk(500, 7);
  EXPECT_FALSE(cLoadICCProfile(s, junk.data(), DWORD(junk.size())));
  std::vector<BYTE> srgb = SrgbProfile();
  EXPECT_FALSE(cApplyICCProfile(s, srgb.data(), DWORD(srgb.size()), 0)) << "no input profile loaded";
  ASSERT_TRUE(cLoadICCProfile(s, srgb.data(), DWORD(srgb.size())));
  EXPECT_FALSE(cApplyICCProfile(s, junk.data(), DWORD(junk.size()), 0));
  std::vector<BYTE> lab = LabProfile();
  EXPECT_FALSE(cApplyICCProfile(s, lab.data(), DWORD(lab.size()), 0)) << "not an RGB profile";
  EXPECT_EQ(MaxDifference(s, original), 0);
}
