#include "printlayout/PrinterPropPage.h"

#include <QCoreApplication>
#include <gtest/gtest.h>

#include <string>

#include "PrintLayoutTestSupport.h"
#include "platform/mfc/dialogscript.h"
#include "platform/user/messagebox.h"
#include "printlayout/PresetPrintLayoutsDlg.h"

namespace {

const char kUnequal[] = "ERROR: printer horizontal and vertical resolution settings are different.\nPlease exit this setup "
                        "wizard, adjust the default printer settings and try again.";

void Settle() {
  for (int i = 0; i < 5; ++i) QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

class PrinterPropPageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ClearDialogScripts();
    ClearMessageBoxes();
    sheet.AddPage(&page);
    sheet.AddPage(&next);
    sheet.SetWizardMode();
  }
  void TearDown() override {
    ClearDialogScripts();
    ClearMessageBoxes();
  }
  // The sheet needs somewhere to go after the printer page.
  CPrinterPropPage page;
  CPropertyPage next{IDD_PRINTER_PROP_PAGE};
  CPropertySheet sheet{"Photobooth Setup Wizard"};
};

TEST_F(PrinterPropPageTest, InformationTextFollowsThePrinter) {
  struct Row {
    int paperWidth, paperLength, dpiX, dpiY, orientation;
    const char* printer;
    std::string starts;   // the text begins so
    std::string holds;    // and holds this
    bool equal;
  } rows[] = {
      {1016, 1524, 300, 300, 1, kTestPdfPrinter,
       "Printer: Tavorin PDF Printer\nPaper size: 101.6 x 152.4 mm / 4 x 6 inches / ",
       " pixels\nOrientation: Portrait\nResolution: 300 x 300 DPI", true},
      {1016, 1524, 300, 300, 2, kTestPdfPrinter, "Printer: Tavorin PDF Printer\nPaper size: ",
       "\nOrientation: Landscape\nResolution: 300 x 300 DPI", true},
      // No orientation field: no orientation line.
      {2100, 2970, 200, 200, 0, kTestPdfPrinter, "Printer: Tavorin PDF Printer\nPaper size: 210.1 x 297.1 mm / 8.3 x 11.7 inches / 1654 x ",
       " pixels\nResolution: 200 x 200 DPI", true},
      {1016, 1524, 300, 600, 1, kTestPdfPrinter, "Printer: Tavorin PDF Printer\nPaper size: ",
       "\nResolution: 300 x 600 DPI\nWARNING: horizontal and vertical resolution must be the same.\nPlease change the "
       "resolution in the printer driver settings.",
       false},
      // A printer that cannot be reached: its name and nothing more, and the wizard may go on.
      {1016, 1524, 300, 300, 1, "Nowhere Printer 9", "Printer: Nowhere Printer 9", "Printer: Nowhere Printer 9", true},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.starts);
    SelectTestPrinter(row.paperWidth, row.paperLength, row.dpiX, row.dpiY, row.orientation, row.printer);
    page.UpdatePrinterInfo();
    std::string info = page.m_strInfo.str();
    EXPECT_EQ(0u, info.find(row.starts)) << info;
    EXPECT_NE(std::string::npos, info.find(row.holds)) << info;
    if (std::string(row.printer) != kTestPdfPrinter) {
      EXPECT_EQ(row.starts, info);
    }
    EXPECT_EQ(row.equal, page.m_bResolutionsEqual != FALSE);
  }
  BOOL equal = FALSE;
  EXPECT_EQ("Printer: Unknown", std::string(DescribePrinter(nullptr, nullptr, nullptr, equal).str()));
  EXPECT_TRUE(equal);
}

TEST_F(PrinterPropPageTest, UnequalResolutionsKeepThePageWithTheError) {
  SelectTestPrinter(1016, 1524, 300, 600, 1);
  std::string shown;
  PushDialogScript(DialogScript(AFX_IDD_PROPSHEET)
                       .Call([&](CDialog* s) {
                         Settle();
                         CString text;
                         page.GetDlgItemText(IDC_PRINTER_PAGE_INFO, text);
                         shown = text.str();
                         EXPECT_FALSE(::IsWindowEnabled(::GetDlgItem(s->m_hWnd, ID_WIZBACK)));
                       })
                       .Press(ID_WIZNEXT)
                       .Call([&](CDialog*) { EXPECT_EQ(0, sheet.GetActiveIndex()); })
                       .Press(IDCANCEL));
  EXPECT_EQ(IDCANCEL, sheet.DoModal());
  EXPECT_NE(std::string::npos, shown.find("WARNING: horizontal and vertical")) << shown;
  auto boxes = GetShownMessageBoxes();
  ASSERT_EQ(1u, boxes.size());
  EXPECT_EQ(kUnequal, boxes[0].text);
  EXPECT_EQ("Tavorin", boxes[0].caption);
  EXPECT_EQ(static_cast<UINT>(MB_ICONERROR), boxes[0].icon);
}

TEST_F(PrinterPropPageTest, NextTakesThePresetOfTheCheckedRadio) {
  SelectTestPrinter(1016, 1524, 300, 300, 1);
  struct Row {
    int radio;  // 0: none checked
    int code;
  } rows[] = {{IDC_PRESET_DOUBLE_STRIP4, 0}, {IDC_PRESET_SINGLE_STRIP4, 1}, {IDC_PRESET_1LARGE_3SMALL, 2},
              {IDC_PRESET_2ROWS_OF_2, 3},    {IDC_PRESET_DOUBLE_STRIP3, 4}, {IDC_PRESET_SINGLE_STRIP3, 5},
              {IDC_PRESET_SINGLE_PHOTO, 6},  {IDC_PRESET_SINGLE_STRIP2, 7}, {0, 0}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.radio);
    CPrinterPropPage fresh;
    CPropertyPage after{IDD_PRINTER_PROP_PAGE};
    CPropertySheet wizard("Photobooth Setup Wizard");
    wizard.AddPage(&fresh);
    wizard.AddPage(&after);
    wizard.SetWizardMode();
    fresh.m_nPresetCode = 99;
    PushDialogScript(DialogScript(AFX_IDD_PROPSHEET)
                         .Call([&](CDialog*) {
                           Settle();
                           EXPECT_EQ(BST_CHECKED, fresh.IsDlgButtonChecked(IDC_PRESET_DOUBLE_STRIP4));
                           if (row.radio) {
                             ::SendMessageA(::GetDlgItem(fresh.m_hWnd, row.radio), BM_CLICK, 0, 0);
                           } else {
                             fresh.CheckDlgButton(IDC_PRESET_DOUBLE_STRIP4, BST_UNCHECKED);
                           }
                         })
                         .Press(ID_WIZNEXT)
                         .Call([&](CDialog*) { EXPECT_EQ(1, wizard.GetActiveIndex()); })
                         .Press(IDCANCEL));
    wizard.DoModal();
    EXPECT_EQ(row.code, fresh.m_nPresetCode);
  }
}

TEST_F(PrinterPropPageTest, PrinterSetupRunsWithThePageAsParentAndTheTextFollows) {
  SelectTestPrinter(1016, 1524, 300, 300, 1);
  CWnd* parent = nullptr;
  page.m_printerSetup = [&](CWnd* p) {
    parent = p;
    SelectTestPrinter(2100, 2970, 200, 200, 2);
  };
  std::string after;
  PushDialogScript(DialogScript(AFX_IDD_PROPSHEET)
                       .Press(IDC_PRINTER_PAGE_SETUP)
                       .Call([&](CDialog*) {
                         CString text;
                         page.GetDlgItemText(IDC_PRINTER_PAGE_INFO, text);
                         after = text.str();
                       })
                       .Press(IDCANCEL));
  sheet.DoModal();
  EXPECT_EQ(&page, parent);
  EXPECT_NE(std::string::npos, after.find("297.1 x 210.1 mm / 11.7 x 8.3 inches")) << after;
  EXPECT_NE(std::string::npos, after.find("Orientation: Landscape")) << after;
}

}  // namespace
