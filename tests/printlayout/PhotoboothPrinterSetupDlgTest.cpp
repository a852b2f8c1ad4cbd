#include "printlayout/PhotoboothPrinterSetupDlg.h"

#include <QApplication>
#include <gtest/gtest.h>

#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>

#include <unistd.h>

#include "../platform/winspool/cups_queue.h"
#include "PrintLayoutTestSupport.h"
#include <chrono>
#include <thread>
#include "platform/mfc/dialogscript.h"
#include "platform/polyimage/polyimage.h"
#include "platform/registry/registry.h"
#include "platform/user/messagebox.h"
#include "platform/winspool/properties_p.h"
#include "printlayout/PrinterMargins.h"
#include "support/PipSession.h"
#include "support/ProgramGlobals.h"

namespace fs = std::filesystem;

namespace {

std::string Text(CDialog* dialog, int id) {
  CString text;
  dialog->GetDlgItemText(id, text);
  return text.GetString();
}

void SeedCounter(DWORD value) {
  HKEY key = nullptr;
  RegCreateKeyExA(HKEY_CURRENT_USER, kProductKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
  RegSetValueExA(key, "PhotoboothPrintCounter", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof(value));
  RegCloseKey(key);
}

CDialog* s_dialog = nullptr;

std::string PrintsFolder() { return std::string(std::getenv("XDG_DOCUMENTS_DIR")) + "/Tavorin Prints"; }
void CheckCalibrationPage(const std::string& pdf, int sizeTolerance = 1);

class PhotoboothPrinterSetupDlgTest : public testing::Test {
 protected:
  void SetUp() override {
    RegDeleteTreeA(HKEY_CURRENT_USER, kPrinterMarginsKey);
    SelectTestPrinter(1030, 1550, 300, 300, 1);  // 1217 x 1831
    ClearMessageBoxes();
    ClearDialogScripts();
  }
  void TearDown() override {
    ClearMessageBoxes();
    ClearDialogScripts();
    winspool_p::SetPropertiesDialogAnswer(nullptr);
  }
};

TEST_F(PhotoboothPrinterSetupDlgTest, MarginsFollowOrientationAndEdits) {
  PushDialogScript(DialogScript(IDD_PHOTOBOOTH_PRINTER_SETUP)
                       .Call([](CDialog* dialog) {
                         EXPECT_EQ(Text(dialog, IDC_PBPS_LEFT), "8");
                         EXPECT_EQ(Text(dialog, IDC_PBPS_TOP), "15");
                         EXPECT_EQ(Text(dialog, IDC_PBPS_RIGHT), "8");
                         EXPECT_EQ(Text(dialog, IDC_PBPS_BOTTOM), "15");
                         EXPECT_NE(Text(dialog, IDC_PBPS_PAGE_INFO).find("Print extent in pixels: 1217 x 1831"),
                                   std::string::npos);
                         EXPECT_TRUE(dialog->GetDlgItem(IDC_PBPS_CENTER_PAGE)->IsWindowEnabled());
                         EXPECT_TRUE(dialog->IsDlgButtonChecked(IDC_PBPS_PORTRAIT));
                       })
                       .SetCheck(IDC_PBPS_LANDSCAPE, BST_CHECKED)
                       .Call([](CDialog* dialog) {
                         EXPECT_EQ(Text(dialog, IDC_PBPS_LEFT), "15");
                         EXPECT_EQ(Text(dialog, IDC_PBPS_TOP), "8");
                         EXPECT_EQ(GetPrinterOrientation(), 2);
                       })
                       .SetCheck(IDC_PBPS_PORTRAIT, BST_CHECKED)
                       .SetText(IDC_PBPS_LEFT, "")
                       .Call([](CDialog* dialog) {
                         auto* setup = static_cast<CPhotoboothPrinterSetupDlg*>(dialog);
                         EXPECT_EQ(setup->m_nLeftMargin, 0);
                         EXPECT_EQ(Text(dialog, IDC_PBPS_LEFT), "");
                         // Leaving the empty edit writes "0" into it.
                         dialog->SetForegroundWindow();
                         s_dialog = dialog;
                       })
                       .RunUntil([] { return QApplication::activeWindow() != nullptr; })
                       .Call([](CDialog* dialog) {
                         dialog->GetDlgItem(IDC_PBPS_LEFT)->SetFocus();
                         dialog->GetDlgItem(IDC_PBPS_TOP)->SetFocus();
                       })
                       .RunUntil([] { return Text(s_dialog, IDC_PBPS_LEFT) == "0"; })
                       .Call([](CDialog* dialog) { EXPECT_EQ(Text(dialog, IDC_PBPS_LEFT), "0"); })
                       .Press(IDC_PBPS_CENTER_PAGE)
                       .Call([](CDialog* dialog) {
                         EXPECT_EQ(Text(dialog, IDC_PBPS_LEFT), "8");
                         EXPECT_EQ(Text(dialog, IDC_PBPS_BOTTOM), "15");
                       })
                       // 1217 - 600 - 608 leaves 9 pixels: refused.
                       .SetText(IDC_PBPS_LEFT, "600")
                       .SetText(IDC_PBPS_RIGHT, "608")
                       .Press(IDOK)
                       .SetText(IDC_PBPS_RIGHT, "607")
                       .Press(IDOK));
  CPhotoboothPrinterSetupDlg dialog;
  ASSERT_EQ(dialog.DoModal(), IDOK);
  std::vector<ShownMessageBox> shown = GetShownMessageBoxes();
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0].text, "ERROR: printer margins are too big for the page size");
  EXPECT_EQ(shown[0].icon, MB_ICONERROR);
  int left, top, right, bottom;
  GetPrinterMargins(left, top, right, bottom);
  EXPECT_EQ(left, 600);
  EXPECT_EQ(right, 607);
  EXPECT_EQ(top, 15);
}

TEST_F(PhotoboothPrinterSetupDlgTest, UnequalResolutionsRefuseOkAndTestPrint) {
  SelectTestPrinter(1030, 1550, 300, 600, 1);
  PushDialogScript(DialogScript(IDD_PHOTOBOOTH_PRINTER_SETUP)
                       .Call([](CDialog* dialog) {
                         EXPECT_EQ(Text(dialog, IDC_PBPS_LEFT), "0");
                         EXPECT_FALSE(dialog->GetDlgItem(IDC_PBPS_CENTER_PAGE)->IsWindowEnabled());
                       })
                       .Press(IDOK)
                       .Press(IDC_PBPS_TEST_PRINT)
                       .Press(IDCANCEL));
  CPhotoboothPrinterSetupDlg dialog;
  EXPECT_EQ(dialog.DoModal(), IDCANCEL);
  std::vector<ShownMessageBox> shown = GetShownMessageBoxes();
  ASSERT_EQ(shown.size(), 2u);
  EXPECT_EQ(shown[0].text, "ERROR: horizontal and vertical DPI settings are different");
  EXPECT_EQ(shown[1].text, "ERROR: horizontal and vertical DPI settings are different");
}

TEST_F(PhotoboothPrinterSetupDlgTest, DriverSettingsOfAHashTwoEntry) {
  winspool_p::SetPropertiesDialogAnswer([](DEVMODEA& mode) {
    mode.dmOrientation = DMORIENT_LANDSCAPE;
    return true;
  });
  PushDialogScript(DialogScript(IDD_PHOTOBOOTH_PRINTER_SETUP)
                       .Call([](CDialog* dialog) {
                         std::string entry = std::string("#2:") + kTestPdfPrinter;
                         LRESULT index = dialog->SendDlgItemMessage(IDC_PBPS_PRINTER, CB_ADDSTRING, 0,
                                                                    reinterpret_cast<LPARAM>(entry.c_str()));
                         dialog->SendDlgItemMessage(IDC_PBPS_PRINTER, CB_SETCURSEL, static_cast<WPARAM>(index));
                       })
                       .Press(IDC_PBPS_SETUP_PRINTER)
                       .Call([](CDialog* dialog) {
                         EXPECT_TRUE(dialog->IsDlgButtonChecked(IDC_PBPS_LANDSCAPE));
                         EXPECT_EQ(Text(dialog, IDC_PBPS_LEFT), "15");
                       })
                       .Press(IDCANCEL));
  CPhotoboothPrinterSetupDlg dialog;
  EXPECT_EQ(dialog.DoModal(), IDCANCEL);
  EXPECT_EQ(GetPrinterOrientation(), 2);  // driver changes stay after Cancel
}

TEST_F(PhotoboothPrinterSetupDlgTest, TestPrintIsACalibrationPage) {
  SeedCounter(10);
  SavePrinterMargins(8, 15, 8, 15);
  fs::remove_all(PrintsFolder());
  PushDialogScript(DialogScript(IDD_PHOTOBOOTH_PRINTER_SETUP).Press(IDC_PBPS_TEST_PRINT).Press(IDCANCEL));
  CPhotoboothPrinterSetupDlg dialog;
  EXPECT_EQ(dialog.DoModal(), IDCANCEL);
  EXPECT_TRUE(GetShownMessageBoxes().empty());
  EXPECT_EQ(UpdatePhotoboothPrintCounter(0), 9u);

  std::string pdf;
  for (const auto& entry : fs::directory_iterator(PrintsFolder()))
    if (entry.path().extension() == ".pdf") pdf = entry.path().string();
  ASSERT_FALSE(pdf.empty());
  CheckCalibrationPage(pdf);
}

TEST_F(PhotoboothPrinterSetupDlgTest, TestPrintOnACupsQueue) {
  if (!CupsTestQueueListed())
    GTEST_SKIP() << "cupsd is not reachable or has no " << kCupsTestQueue << " queue; run scripts/start-cups as root";
  SelectTestPrinter(1030, 1550, 300, 300, 1, kCupsTestQueue);
  SeedCounter(10);
  SavePrinterMargins(8, 15, 8, 15);
  std::set<std::string> before;
  if (fs::is_directory(kCupsTestOutput))
    for (const auto& entry : fs::directory_iterator(kCupsTestOutput)) before.insert(entry.path().string());
  PushDialogScript(DialogScript(IDD_PHOTOBOOTH_PRINTER_SETUP).Press(IDC_PBPS_TEST_PRINT).Press(IDCANCEL));
  CPhotoboothPrinterSetupDlg dialog;
  EXPECT_EQ(dialog.DoModal(), IDCANCEL);
  EXPECT_TRUE(GetShownMessageBoxes().empty());
  EXPECT_EQ(UpdatePhotoboothPrintCounter(0), 9u);

  // cups-pdf writes the file once the job has passed its filters, and keeps writing a while. It
  // names the file after the job's title: other tests print on the same queue under titles of
  // their own ("Tavorin - Photobooth Edition", "TavorinCupsTest..."), the test page's is the
  // program's name alone.
  auto isTestPage = [](const fs::path& path) {
    const std::string name = path.filename().string();
    return path.extension() == ".pdf" && name.rfind("Tavorin", 0) == 0 && name.size() > 7 &&
           !std::isalnum(static_cast<unsigned char>(name[7])) && name.find("Photobooth") == std::string::npos;
  };
  std::string pdf;
  for (int i = 0; i < 600 && pdf.empty(); ++i) {
    if (fs::is_directory(kCupsTestOutput))
      for (const auto& entry : fs::directory_iterator(kCupsTestOutput))
        if (isTestPage(entry.path()) && !before.count(entry.path().string())) pdf = entry.path().string();
    if (pdf.empty()) std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  ASSERT_FALSE(pdf.empty()) << "no PDF for the job in " << kCupsTestOutput;
  for (int i = 0; i < 300 && std::system(("pdfinfo '" + pdf + "' >/dev/null 2>&1").c_str()) != 0; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  CheckCalibrationPage(pdf, 5);  // the PDF filter rounds custom paper to whole points
  fs::remove(pdf);
}

// The calibration page of a 1217 x 1831 page: diagonals and labels where they belong.
void CheckCalibrationPage(const std::string& pdf, int sizeTolerance) {
  // Each test process renders into a file of its own: the tests of this file run side by side.
  const std::string png = std::string(TAVORIN_BINARY_DIR) + "/printlayout-test-page-" + std::to_string(getpid());
  ASSERT_EQ(std::system(("pdftoppm -r 300 -png -singlefile '" + pdf + "' '" + png + "'").c_str()), 0);
  PipSession page;
  const bool loaded = cLoadImage(page.m_hSession, (png + ".png").c_str(), 0, 0, 0) != 0;
  std::remove((png + ".png").c_str());
  ASSERT_TRUE(loaded);
  const int W = 1217, H = 1831, D = 100;
  EXPECT_NEAR(static_cast<int>(page.GetWidth()), W, sizeTolerance);
  EXPECT_NEAR(static_cast<int>(page.GetHeight()), H, sizeTolerance);
  auto darkNear = [&](int x, int y) {
    for (int dy = -2; dy <= 2; ++dy)
      for (int dx = -2; dx <= 2; ++dx) {
        COLORREF colour = 0xFFFFFF;
        cGetPixelColor(page.m_hSession, x + dx, y + dy, &colour);
        if (GetRValue(colour) < 128 && GetGValue(colour) < 128) return true;
      }
    return false;
  };
  auto darkIn = [&](int left, int top, int right, int bottom) {
    for (int y = top; y < bottom; y += 2)
      for (int x = left; x < right; x += 2)
        if (darkNear(x, y)) return true;
    return false;
  };
  // Diagonals along the top and left rulers: the depth where the paper edge crosses is read off.
  const int rulerX = W / 5, stepX = W / 30, rulerY = H / 5, stepY = H / 30;
  EXPECT_TRUE(darkNear(rulerX + 10 * stepX, D / 2));
  EXPECT_TRUE(darkNear(rulerX + 10 * stepX, H - 1 - D / 2));
  EXPECT_TRUE(darkNear(D / 2, rulerY + 10 * stepY));
  EXPECT_TRUE(darkNear(W - 1 - D / 2, rulerY + 10 * stepY));
  EXPECT_FALSE(darkNear(rulerX + 11 * stepX, D + 40));  // odd ticks carry no label
  // The text block at the centre, the scale labels beyond the ticks, "Left=" inside the left ruler.
  EXPECT_TRUE(darkIn(W / 2 - 100, H / 2 - 60, W / 2 + 100, H / 2 + 60));
  EXPECT_TRUE(darkIn(rulerX + 20 * stepX - 20, D + 2, rulerX + 20 * stepX + 20, D + 80));
  EXPECT_TRUE(darkIn(D + 2, H / 2 - 40, D + 140, H / 2 + 40));
  EXPECT_FALSE(darkIn(W / 2 - 30, H / 2 - 400, W / 2 + 30, H / 2 - 300));
}

}  // namespace

namespace {

// The PDF cannot be written where the documents folder is a regular file: the failed job is
// reported instead of passing for a print.
TEST_F(PhotoboothPrinterSetupDlgTest, FailedTestPrintIsReported) {
  const std::string documents = std::getenv("XDG_DOCUMENTS_DIR");
  const std::string blocker = PrintLayoutTestDir() + "/not-a-folder";
  { std::ofstream(blocker) << "x"; }
  setenv("XDG_DOCUMENTS_DIR", (blocker + "/Documents").c_str(), 1);
  PushDialogScript(DialogScript(IDD_PHOTOBOOTH_PRINTER_SETUP).Press(IDC_PBPS_TEST_PRINT).Press(IDCANCEL));
  CPhotoboothPrinterSetupDlg dialog;
  dialog.DoModal();
  setenv("XDG_DOCUMENTS_DIR", documents.c_str(), 1);
  std::vector<ShownMessageBox> shown = GetShownMessageBoxes();
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0].text, "Unable to print test page");
  EXPECT_EQ(shown[0].icon, MB_ICONERROR);
}

}  // namespace
