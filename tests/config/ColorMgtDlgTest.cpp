#include "config/ColorMgtDlg.h"

#include <gtest/gtest.h>
#include <lcms2.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "ConfigTestSupport.h"
#include "platform/gdi/wingdi.h"
#include "platform/mfc/commondialog.h"
#include "platform/mfc/dialogscript.h"
#include "platform/user/messagebox.h"

namespace fs = std::filesystem;

namespace {

/// An sRGB profile file; `description` empty leaves the profile without one.
std::string MakeProfile(const fs::path& path, const char* description) {
  cmsHPROFILE profile = cmsCreate_sRGBProfile();
  if (description) {
    cmsMLU* text = cmsMLUalloc(nullptr, 1);
    cmsMLUsetASCII(text, "en", "US", description);
    cmsWriteTag(profile, cmsSigProfileDescriptionTag, text);
    cmsMLUfree(text);
  } else {
    cmsWriteTag(profile, cmsSigProfileDescriptionTag, nullptr);
  }
  EXPECT_TRUE(cmsSaveProfileToFile(profile, path.c_str()));
  cmsCloseProfile(profile);
  return path.string();
}

class ColorMgtDlgTest : public testing::Test {
 protected:
  void SetUp() override {
    m_folder = fs::temp_directory_path() / ("colour-dialog-" + std::to_string(::getpid()));
    fs::create_directories(m_folder);
    m_monitor = MakeProfile(m_folder / "screen.icc", "Studio Screen");
    m_camera = MakeProfile(m_folder / "camera one.icm", "Camera One");
    m_printer = MakeProfile(m_folder / "paper.icc", nullptr);
    m_missing = (m_folder / "gone.icc").string();
    ClearDialogScripts();
    ClearMessageBoxes();
    ClearCommonDialogAnswers();
  }
  void TearDown() override {
    ClearDialogScripts();
    ClearMessageBoxes();
    ClearCommonDialogAnswers();
    fs::remove_all(m_folder);
  }
  fs::path m_folder;
  std::string m_monitor, m_camera, m_printer, m_missing;
};

}  // namespace

TEST_F(ColorMgtDlgTest, OkChecksTheProfilesInOrder) {
  struct Row {
    const char* name;
    bool display, printer;
    std::string monitor, camera, printerProfile;
    std::string message;  // "" closes with OK
    UINT icon;
  } rows[] = {
      {"monitor missing", true, false, m_missing, m_camera, "", "Monitor color profile not found:\n" + m_missing,
       MB_ICONERROR},
      {"no camera", true, false, m_monitor, "", "", "Please select a color profile for the camera", MB_ICONWARNING},
      {"camera missing", true, true, m_monitor, m_missing, m_printer, "Camera color profile not found:\n" + m_missing,
       MB_ICONERROR},
      {"printer only still needs the camera", false, true, m_monitor, "", m_printer,
       "Please select a color profile for the camera", MB_ICONWARNING},
      {"no printer", false, true, m_monitor, m_camera, "", "Please select a color profile for the printer",
       MB_ICONWARNING},
      {"printer missing", true, true, m_monitor, m_camera, m_missing, "Printer color profile not found:\n" + m_missing,
       MB_ICONERROR},
      {"nothing managed", false, false, m_missing, "", "", "", 0},
      {"all there", true, true, m_monitor, m_camera, m_printer, "", 0},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    ClearMessageBoxes();
    CColorMgtDlg dialog;
    dialog.m_bEnableColourManagement = row.display;
    dialog.m_bEnablePrinterColourManagement = row.printer;
    dialog.m_strMonitorProfile = row.monitor.c_str();
    dialog.m_strCameraProfile = row.camera.c_str();
    dialog.m_strPrinterProfile = row.printerProfile.c_str();
    PushDialogScript(DialogScript(IDD_COLOR_MANAGEMENT).Press(IDOK).Press(IDCANCEL));
    INT_PTR result = dialog.DoModal();
    std::vector<ShownMessageBox> shown = GetShownMessageBoxes();
    if (row.message.empty()) {
      EXPECT_EQ(result, IDOK);
      EXPECT_TRUE(shown.empty());
    } else {
      EXPECT_EQ(result, IDCANCEL);
      ASSERT_EQ(shown.size(), 1u);
      EXPECT_EQ(shown[0].text, row.message);
      EXPECT_EQ(shown[0].caption, "Tavorin");
      EXPECT_EQ(shown[0].icon, row.icon);
    }
  }
}

TEST_F(ColorMgtDlgTest, ProfilesShowTheirDescriptionAndFileNameAndAnEmptyMonitorTakesTheScreens) {
  CColorMgtDlg dialog;
  dialog.m_strCameraProfile = m_missing.c_str();
  dialog.m_strPrinterProfile = m_printer.c_str();
  CommonDialogAnswer chosen;
  chosen.paths = {m_camera};
  PushCommonDialogAnswer(chosen);
  PushDialogScript(DialogScript(IDD_COLOR_MANAGEMENT)
                       .Call([](CDialog* d) {
                         // The screen's profile (sRGB here) stands in for the empty monitor profile.
                         EXPECT_EQ(Text(d, IDC_CMS_MONITOR_LABEL).rfind("Monitor Profile (", 0), 0u);
                         EXPECT_FALSE(Text(d, IDC_CMS_MONITOR).empty());
                         EXPECT_EQ(Text(d, IDC_CMS_CAMERA_LABEL), "Camera Profile:");
                         EXPECT_EQ(Text(d, IDC_CMS_CAMERA), "");
                         EXPECT_EQ(Text(d, IDC_CMS_PRINTER_LABEL), "Printer Profile (paper.icc):");
                         EXPECT_EQ(Text(d, IDC_CMS_PRINTER), "paper");
                       })
                       .Press(IDC_CMS_CAMERA_BROWSE)
                       .Call([](CDialog* d) {
                         EXPECT_EQ(Text(d, IDC_CMS_CAMERA_LABEL), "Camera Profile (camera one.icm):");
                         EXPECT_EQ(Text(d, IDC_CMS_CAMERA), "Camera One");
                       })
                       .Press(IDOK));
  ASSERT_EQ(dialog.DoModal(), IDOK);
  EXPECT_EQ(dialog.m_strCameraProfile, m_camera.c_str());
  char folder[MAX_PATH] = {};
  DWORD size = sizeof(folder);
  ASSERT_TRUE(GetColorDirectoryA(nullptr, folder, &size));
  EXPECT_EQ(fs::path(dialog.m_strMonitorProfile.GetString()).parent_path(), fs::path(folder));
  std::vector<ShownCommonDialog> choosers = GetShownCommonDialogs();
  ASSERT_EQ(choosers.size(), 1u);
  EXPECT_EQ(choosers[0].title, "Select Camera Color Profile");
  EXPECT_EQ(choosers[0].filter, "Color Profiles (*.icm;*.icc)|*.icm;*.icc|All Files (*.*)|*.*||");
}
