#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "camera/Camera.h"
#include "tests/camera/SimTestSupport.h"

using namespace tavsim;

namespace {

using Setter = std::function<bool(CCamera&, DWORD)>;
using Getter = std::function<bool(CCamera&, DWORD&)>;

struct SettingRow {
  const char* name;
  Setter set;
  Getter get;  // empty when the setting has no getter
  const char* cdSet;
  const char* cdGet;
  DWORD cdId, cdSize;
  WORD prCode;
  DWORD prSize;
  DWORD value;
};

#define SETTER(op) [](CCamera& c, DWORD v) { return c.op(v); }
#define GETTER(op) [](CCamera& c, DWORD& v) { return c.op(v); }
#define REL "CDSetRelCamSettingData", "CDGetRelCamSettingData"

const SettingRow kRows[] = {
    {"ShootingMode", SETTER(SetShootingMode), GETTER(GetShootingMode), "CDSetShootingMode", "CDGetShootingMode",
     kSimCdShootingMode, 2, 0xD00C, 1, 3},
    {"Tv", SETTER(SetTv), GETTER(GetTv), "CDSetTvValue", "CDGetTvValue", kSimCdTv, 2, 0xD01E, 2, 112},
    {"Av", SETTER(SetAv), GETTER(GetAv), "CDSetAvValue", "CDGetAvValue", kSimCdAv, 2, 0xD01D, 2, 45},
    {"ExposureComp", SETTER(SetExposureComp), GETTER(GetExposureComp), "CDSetExposureComp", "CDGetExposureComp",
     kSimCdExposureComp, 1, 0xD01F, 1, 16},
    {"Iso", SETTER(SetIso), GETTER(GetIso), REL, 0x0800000C, 2, 0xD01C, 2, 72},
    {"WhiteBalance", SETTER(SetWhiteBalance), GETTER(GetWhiteBalance), "CDSetWBSetting", "CDGetWBSetting",
     kSimCdWhiteBalance, 2, 0xD013, 1, 3},
    {"AFDistance", SETTER(SetAFDistance), GETTER(GetAFDistance), "CDSetAFDistanceSetting", "CDGetAFDistanceSetting",
     kSimCdAFDistance, 2, 0xD011, 1, 3},
    {"MeteringMode", SETTER(SetMeteringMode), GETTER(GetMeteringMode), REL, 0x08000004, 1, 0xD010, 1, 1},
    {"PhotoEffect", SETTER(SetPhotoEffect), GETTER(GetPhotoEffect), REL, 0x08000B00, 2, 0xD040, 2, 4},
    {"FocusPoint", SETTER(SetFocusPoint), nullptr, REL, 0x08000005, 2, 0xD012, 2, 0x3003},
    {"FlashComp", SETTER(SetFlashComp), GETTER(GetFlashComp), REL, 0x0800000D, 1, 0xD020, 1, 19},
    {"FlashOutput", SETTER(SetFlashOutput), GETTER(GetFlashOutput), REL, 0x08000E00, 2, 0xD042, 2, 2},
    {"Beep", [](CCamera& c, DWORD v) { return c.SetBeep(v != 0); },
     [](CCamera& c, DWORD& v) {
       bool on;
       if (!c.GetBeep(on)) return false;
       v = on;
       return true;
     },
     REL, 0x08000002, 1, 0xD00B, 1, 0},
    // The CDSDK flash call carries the compensation where the others carry a size: 255 keeps it.
    {"FlashMode", SETTER(SetFlashMode), GETTER(GetFlashMode), "CDSetFlashSetting", "CDGetFlashSetting",
     kSimCdFlashMode, 255, 0xD00A, 1, 2},
    {"ReleaseDataKind", [](CCamera& c, DWORD v) { return c.SelectReleaseDataKind(static_cast<WORD>(v)); }, nullptr,
     "CDSelectReleaseDataKind", nullptr, 0, 2, 0xD029, 2, 3},
    {"ViewfinderToVideoOut", [](CCamera& c, DWORD) { return c.ViewfinderToVideoOut(); }, nullptr,
     "CDSelectViewFinderCameraOutput", nullptr, 0, 2, 0xD036, 1, 2},
};

void Connect(CCamera& camera, int sdks) {
  StartSimulator({SimSpec(sdks == kSimCd ? "Canon PowerShot A640" : "Canon PowerShot G9", sdks)});
  camera.Connect("");
  ASSERT_EQ(sdks == kSimPr, camera.IsPrsdk());
  if (sdks == kSimPr) {
    ASSERT_TRUE(camera.SetShootingMode(3));  // the PRSDK aperture answers in Av mode
  }
  SimClearCallLog();
}

SimCall Last(const char* function) {
  auto calls = SimCallsOf(function);
  return calls.empty() ? SimCall{"(none)"} : calls.back();
}

}  // namespace

TEST(CameraSettingsTest, CdsdkRoadUsesTheSettingIdsAndWidths) {
  CCamera camera(nullptr);
  Connect(camera, kSimCd);
  for (const SettingRow& row : kRows) {
    SCOPED_TRACE(row.name);
    SimClearCallLog();
    ASSERT_TRUE(row.set(camera, row.value));
    SimCall set = Last(row.cdSet);
    EXPECT_EQ(row.cdId, set.id);
    EXPECT_EQ(row.cdSize, set.size);
    EXPECT_EQ(row.value, set.value);
    EXPECT_FALSE(Called("PR_SetDevicePropValue"));
    if (!row.get) continue;
    DWORD value = 0xDEAD;
    ASSERT_TRUE(row.get(camera, value));
    EXPECT_EQ(row.value, value);
    SimCall get = Last(row.cdGet);
    EXPECT_EQ(row.cdId, get.id);
    if (std::string(row.cdGet) == "CDGetRelCamSettingData") {
      EXPECT_EQ(row.cdSize, get.size);
    }
  }
}

TEST(CameraSettingsTest, PrsdkRoadUsesThePropertyCodesAndWidths) {
  CCamera camera(nullptr);
  Connect(camera, kSimPr);
  for (const SettingRow& row : kRows) {
    SCOPED_TRACE(row.name);
    SimClearCallLog();
    ASSERT_TRUE(row.set(camera, row.value));
    SimCall set = Last("PR_SetDevicePropValue");
    EXPECT_EQ(row.prCode, set.id);
    EXPECT_EQ(row.prSize, set.size);
    EXPECT_EQ(row.value, set.value);
    if (!row.get) continue;
    DWORD value = 0xDEAD;
    ASSERT_TRUE(row.get(camera, value));
    EXPECT_EQ(row.value, value);
    SimCall get = Last("PR_GetDevicePropValue");
    EXPECT_EQ(row.prCode, get.id);
    EXPECT_EQ(row.prSize, get.size);
  }
}

TEST(CameraSettingsTest, RefusedValuesFailAndGettersKeepTheirArgument) {
  for (int sdks : {kSimCd, kSimPr}) {
    SCOPED_TRACE(sdks);
    CCamera camera(nullptr);
    Connect(camera, sdks);
    SimRefuseValue(0, sdks == kSimCd ? kSimRoadCd : kSimRoadPr, sdks == kSimCd ? DWORD(0x0800000C) : DWORD(0xD01C), 80);
    EXPECT_FALSE(camera.SetIso(80));
    DWORD iso = 0;
    ASSERT_TRUE(camera.GetIso(iso));
    EXPECT_NE(80u, iso);
    SimAddFault({sdks == kSimCd ? "CDGetRelCamSettingData" : "PR_GetDevicePropValue", 0, 0x33});
    iso = 0xBEEF;
    EXPECT_FALSE(camera.GetIso(iso));
    EXPECT_EQ(0xBEEFu, iso);
  }
}

TEST(CameraSettingsTest, AcceptedValueMayReadBackDifferently) {
  for (int sdks : {kSimCd, kSimPr}) {
    SCOPED_TRACE(sdks);
    CCamera camera(nullptr);
    Connect(camera, sdks);
    SimReadBackAs(0, sdks == kSimCd ? kSimRoadCd : kSimRoadPr, sdks == kSimCd ? DWORD(kSimCdTv) : DWORD(0xD01E), 0xFFFF,
                  112);
    EXPECT_TRUE(camera.SetTv(0xFFFF));
    DWORD tv = 0;
    ASSERT_TRUE(camera.GetTv(tv));
    EXPECT_EQ(112u, tv);
  }
}

TEST(CameraSettingsTest, PrsdkApertureAnswersOnlyInAvAndManual) {
  CCamera camera(nullptr);
  Connect(camera, kSimPr);
  struct Row {
    DWORD mode;
    bool answers;
  } rows[] = {{0, false}, {1, false}, {2, false}, {3, true}, {4, true}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.mode);
    ASSERT_TRUE(camera.SetShootingMode(row.mode));
    DWORD av = 0xBEEF;
    EXPECT_EQ(row.answers, camera.GetAv(av));
    if (!row.answers) {
      EXPECT_EQ(0xBEEFu, av);
    }
  }
}

TEST(CameraSettingsTest, ShootingModeSupportComesFromTheDescription) {
  CCamera camera(nullptr);
  Connect(camera, kSimPr);
  EXPECT_TRUE(camera.IsShootingModeSupported(4));
  EXPECT_FALSE(camera.IsShootingModeSupported(7));
  EXPECT_EQ(0xD00Cu, Last("PR_GetDevicePropDesc").id);
  SimSetEnumeration(0, 0xD00C, {});
  EXPECT_FALSE(camera.IsShootingModeSupported(4)) << "no enumeration form";
  CCamera cd(nullptr);
  Connect(cd, kSimCd);
  EXPECT_FALSE(cd.IsShootingModeSupported(4));
}

TEST(CameraSettingsTest, FlashKeepsOrWritesTheCompensation) {
  CCamera cd(nullptr);
  Connect(cd, kSimCd);
  ASSERT_TRUE(cd.SetFlash(2, 16));
  DWORD comp = 0;
  ASSERT_TRUE(cd.GetFlashComp(comp));
  EXPECT_EQ(16u, comp);
  ASSERT_TRUE(cd.SetFlashMode(6));
  ASSERT_TRUE(cd.GetFlashComp(comp));
  EXPECT_EQ(16u, comp) << "255 leaves the compensation";

  CCamera pr(nullptr);
  Connect(pr, kSimPr);
  ASSERT_TRUE(pr.SetFlash(2, 255));
  auto writes = SimCallsOf("PR_SetDevicePropValue");
  ASSERT_EQ(1u, writes.size());
  EXPECT_EQ(0xD00Au, writes[0].id);
  ASSERT_TRUE(pr.SetFlash(5, 13));
  writes = SimCallsOf("PR_SetDevicePropValue");
  ASSERT_EQ(3u, writes.size());
  EXPECT_EQ(0xD020u, writes[2].id);
  EXPECT_EQ(1u, writes[2].size);
}

TEST(CameraSettingsTest, ImageFormatOnBothRoads) {
  CCamera cd(nullptr);
  Connect(cd, kSimCd);
  ASSERT_TRUE(cd.SetImageFormat(1, 3));
  SimCall call = Last("CDSetImageFormatAttribute");
  EXPECT_EQ(3u, call.value) << "quality first";
  EXPECT_EQ(1u, call.size) << "then size";
  DWORD size = 0, quality = 0;
  ASSERT_TRUE(cd.GetImageFormat(size, quality));
  EXPECT_EQ(1u, size);
  EXPECT_EQ(3u, quality);

  CCamera pr(nullptr);
  Connect(pr, kSimPr);
  ASSERT_TRUE(pr.SetImageFormat(2, 4));
  auto writes = SimCallsOf("PR_SetDevicePropValue");
  ASSERT_EQ(2u, writes.size());
  EXPECT_EQ(0xD008u, writes[0].id);
  EXPECT_EQ(2u, writes[0].value);
  EXPECT_EQ(0xD006u, writes[1].id);
  EXPECT_EQ(4u, writes[1].value);
  EXPECT_EQ(1u, writes[1].size);
}

TEST(CameraSettingsTest, SaveModeSelectsTheDataKind) {
  struct Row {
    WORD format;
    DWORD mode;
    DWORD kind;
  } rows[] = {{0, 1, 2}, {0, 2, 13}, {0, 3, 14}, {4, 1, 3}, {4, 3, 15}, {0, 9, 3}};
  for (int sdks : {kSimCd, kSimPr}) {
    for (const Row& row : rows) {
      SCOPED_TRACE(std::to_string(sdks) + " format " + std::to_string(row.format) + " mode " + std::to_string(row.mode));
      CCamera camera(nullptr);
      Connect(camera, sdks);
      ASSERT_TRUE(camera.SetSaveOptions(row.format, row.mode));
      SimCall call = Last(sdks == kSimCd ? "CDSelectReleaseDataKind" : "PR_SetDevicePropValue");
      EXPECT_EQ(row.kind, call.value);
      EXPECT_EQ(row.kind, camera.GetReleaseDataKind());
    }
  }
}

TEST(CameraSettingsTest, UiLockIsCountedOnCdsdk) {
  CCamera cd(nullptr);
  Connect(cd, kSimCd);
  EXPECT_TRUE(cd.LockUI());
  EXPECT_TRUE(cd.LockUI());
  EXPECT_EQ(1u, SimCallsOf("CDLockUI").size());
  cd.UnlockUI();
  EXPECT_TRUE(SimCallsOf("CDUnlockUI").empty()) << "still locked once";
  cd.UnlockUI();
  EXPECT_EQ(1u, SimCallsOf("CDUnlockUI").size());
  cd.UnlockUI();
  EXPECT_EQ(2u, SimCallsOf("CDUnlockUI").size());

  CCamera pr(nullptr);
  Connect(pr, kSimPr);
  EXPECT_TRUE(pr.LockUI());
  pr.UnlockUI();
  EXPECT_TRUE(SimCallLog().empty());
  CCamera none(nullptr);
  EXPECT_FALSE(none.LockUI());
}

TEST(CameraSettingsTest, BatteryAndRotationMappings) {
  CCamera cd(nullptr);
  Connect(cd, kSimCd);
  struct Battery {
    DWORD raw;
    int level;
  } batteries[] = {{6, 1}, {4, 2}, {3, 3}, {5, 0}, {0x10000006, 0}, {0x1FFFFFFF, 0}, {0x20000006, 1}};
  for (const Battery& b : batteries) {
    SCOPED_TRACE(b.raw);
    SimSetValue(0, kSimRoadCd, cdDEVICE_PROP_BATTERY_STATUS, b.raw);
    EXPECT_EQ(b.level, cd.GetBatteryLevel());
  }
  struct Rotation {
    DWORD raw;
    int cd, pr;
  } rotations[] = {{0, 0, 0}, {1, 90, 90}, {2, 0, 180}, {3, 270, 270}, {9, 0, 0}};
  for (const Rotation& r : rotations) {
    SCOPED_TRACE(r.raw);
    SimSetValue(0, kSimRoadCd, 0x0F00, r.raw);
    EXPECT_EQ(r.cd, cd.GetRotationAngle());
  }
  CCamera pr(nullptr);
  Connect(pr, kSimPr);
  for (const Rotation& r : rotations) {
    SCOPED_TRACE(r.raw);
    SimSetValue(0, kSimRoadPr, 0xD043, r.raw);
    EXPECT_EQ(r.pr, pr.GetRotationAngle());
  }
  SimSetValue(0, kSimRoadPr, 0xD003, 4);
  EXPECT_EQ(4, pr.GetBatteryLevel());
  SimAddFault({"PR_GetDevicePropValue", 0, 1});
  EXPECT_EQ(0, pr.GetBatteryLevel());
  EXPECT_EQ(0, pr.GetRotationAngle());
}

TEST(CameraSettingsTest, PropertyValuesAreBoundedByTheCallersArray) {
  CCamera pr(nullptr);
  Connect(pr, kSimPr);
  WORD values[4] = {};
  int count = 4;
  ASSERT_TRUE(pr.GetPropertyValues(0xD01F, values, count));  // 13 values on offer
  EXPECT_EQ(4, count);
  EXPECT_EQ(8, values[0]);
  EXPECT_EQ(16, values[3]);
  count = 4;
  EXPECT_FALSE(pr.GetPropertyValues(0xD02A, values, count)) << "a range is not an enumeration";
  EXPECT_FALSE(pr.GetPropertyValues(0xD003, values, count)) << "32-bit values are not listed";
  SimSetEnumeration(0, 0xD01C, {});
  EXPECT_FALSE(pr.GetPropertyValues(0xD01C, values, count));
  CCamera cd(nullptr);
  Connect(cd, kSimCd);
  EXPECT_FALSE(cd.GetPropertyValues(0xD01F, values, count));
}

TEST(CameraSettingsTest, ZoomOnBothRoads) {
  CCamera pr(nullptr);
  Connect(pr, kSimPr);
  DWORD max = 0, optical = 0;
  ASSERT_TRUE(pr.GetMaxZoom(max, optical));
  EXPECT_EQ(19u, max);
  EXPECT_EQ(19u, optical);
  ASSERT_TRUE(pr.SetZoom(7));
  SimCall set = Last("PR_SetDevicePropValue");
  EXPECT_EQ(0xD02Au, set.id);
  EXPECT_EQ(2u, set.size) << "the position alone, at the property's width";
  EXPECT_EQ(7u, set.value);
  DWORD start = 0;
  ASSERT_TRUE(pr.GetPrDigitalZoom(start));
  EXPECT_EQ(14u, start);
  double m = 0;
  EXPECT_FALSE(pr.GetDigitalZoom(m));

  CCamera cd(nullptr);
  Connect(cd, kSimCd);
  ASSERT_TRUE(cd.GetMaxZoom(max, optical));
  EXPECT_EQ(7u, max);
  ASSERT_TRUE(cd.SetZoom(3));
  EXPECT_EQ(3u, Last("CDSetZoomPos").value);
  ASSERT_TRUE(cd.GetDigitalZoom(m));
  EXPECT_DOUBLE_EQ(1.0, m);
  double current, wide, tele;
  ASSERT_TRUE(cd.GetFocalLengths(current, wide, tele));
  EXPECT_DOUBLE_EQ(7.3, wide);
  EXPECT_DOUBLE_EQ(29.2, tele);
  for (DWORD unit : {0u, 4095u}) {
    SimSetValue(0, kSimRoadCd, 37, unit);
    current = -1;
    EXPECT_FALSE(cd.GetFocalLengths(current, wide, tele));
    EXPECT_EQ(-1, current);
  }
  DWORD widest = 0;
  ASSERT_TRUE(cd.GetWidestAperture(widest));
  EXPECT_EQ(28u, widest);
  EXPECT_FALSE(pr.GetWidestAperture(widest));
}

TEST(CameraSettingsTest, FlashOutputLevelCount) {
  CCamera pr(nullptr);
  Connect(pr, kSimPr);
  DWORD count = 0;
  ASSERT_TRUE(pr.GetFlashOutputLevelCount(count));
  EXPECT_EQ(3u, count);
  SimSetEnumeration(0, 0xD042, {});
  SimSetValue(0, kSimRoadPr, 0xD042, 2);
  ASSERT_TRUE(pr.GetFlashOutputLevelCount(count));
  EXPECT_EQ(2u, count) << "without an enumeration the current value";
  CCamera cd(nullptr);
  Connect(cd, kSimCd);
  ASSERT_TRUE(cd.GetFlashOutputLevelCount(count));
  EXPECT_EQ(0x0D00u, Last("CDGetRelCamSettingData").id);
}

TEST(CameraSettingsTest, ReleaseSettingsReadAndWrittenThroughTheCamera) {
  CCamera cd(nullptr);
  Connect(cd, kSimCd);
  for (DWORD id : {0x08000008u, 0x0800000Au, 0x08000009u}) {
    SCOPED_TRACE(id);
    BYTE value = 255, read = 0;
    ASSERT_TRUE(cd.SetRelCamSetting(id, 1, &value));
    ASSERT_TRUE(cd.GetRelCamSetting(id, 1, &read));
    EXPECT_EQ(255, read);
    EXPECT_EQ(1u, Last("CDSetRelCamSettingData").size);
  }
  BYTE two[2] = {1, 0};
  EXPECT_FALSE(cd.SetRelCamSetting(0x08000008, 2, two)) << "the camera wants one byte";
  CCamera pr(nullptr);
  Connect(pr, kSimPr);
  BYTE value = 1;
  EXPECT_FALSE(pr.SetRelCamSetting(0x08000008, 1, &value));
  EXPECT_FALSE(pr.GetRelCamSetting(0x08000008, 1, &value));
}

TEST(CameraSettingsTest, EveryOperationFailsWithoutACamera) {
  CCamera camera(nullptr);
  DWORD v = 5, w = 6;
  bool on = true;
  double d = 1.5, e = 2.5, f = 3.5;
  EXPECT_FALSE(camera.GetTv(v) || camera.SetTv(1) || camera.GetAv(v) || camera.GetIso(v) || camera.GetBeep(on) ||
               camera.GetImageFormat(v, w) || camera.GetMaxZoom(v, w) || camera.GetDigitalZoom(d) ||
               camera.GetFocalLengths(d, e, f) || camera.StartViewfinder(nullptr, nullptr) || camera.StopViewfinder() ||
               camera.DoAeAfAwb() || camera.LockFocus(true) || camera.SetSaveMode(1));
  EXPECT_EQ(5u, v);
  EXPECT_EQ(6u, w);
  EXPECT_TRUE(on);
  EXPECT_EQ(1.5, d);
  EXPECT_EQ(0, camera.GetBatteryLevel());
  EXPECT_EQ(0, camera.GetRotationAngle());
}

TEST(CameraSettingsTest, FocusAndAutoFunctions) {
  CCamera pr(nullptr);
  Connect(pr, kSimPr);
  EXPECT_TRUE(pr.DoAeAfAwb());
  EXPECT_EQ(7u, Last("PR_RC_DoAeAfAwb").value);
  EXPECT_TRUE(pr.DoAf());
  EXPECT_EQ(2u, Last("PR_RC_DoAeAfAwb").value);
  EXPECT_TRUE(pr.LockFocus(true));
  EXPECT_TRUE(pr.LockFocus(false));
  EXPECT_TRUE(Called("PR_RC_FocusLock") && Called("PR_RC_FocusUnlock"));
  CCamera cd(nullptr);
  Connect(cd, kSimCd);
  EXPECT_TRUE(cd.DoAeAfAwb());
  EXPECT_EQ(7u, Last("CDActViewfinderAutoFunctions").value);
  EXPECT_FALSE(cd.DoAf());
  EXPECT_TRUE(cd.LockFocus(true));
  EXPECT_EQ(1u, Last("CDAFLock").value);
}
