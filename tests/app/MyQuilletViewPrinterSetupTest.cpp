// Printer setup from the main window: the framework's "Printer Setup..." (57606) and the form's
// photobooth printer setup button (1353), which keeps the layout centred on the printable area.
#include <cstring>

#include "AppTestSupport.h"
#include "app/MyQuilletApp.h"
#include "platform/mfc/dialogscript.h"
#include "platform/mfc/printdialog.h"
#include "platform/winspool/globalmem.h"
#include "printlayout/PhotoboothPrinterSetupDlg.h"
#include "printlayout/PrinterMargins.h"

namespace {

class MyQuilletViewPrinterSetupTest : public ViewTestBase {
 protected:
  void SetUp() override {
    ViewTestBase::SetUp();
    RegDeleteTreeA(HKEY_CURRENT_USER, kPrinterMarginsKey);
    SelectPdfPrinter(300);  // 103 x 155 mm at 300 dpi: 1217 x 1831 pixels
    ClearDialogScripts();
    m_view->m_layoutBoxes[0] = {1, 100, 200, 400, 400, 0};
    m_view->m_captions[0].m_nLeft = 50;
    m_view->m_captions[0].m_nTop = 60;
  }
  void TearDown() override {
    ClearDialogScripts();
    ViewTestBase::TearDown();
  }
  void ClickPrinterSetup() {
    HWND button = ::GetDlgItem(m_view->m_hWnd, IDC_PHOTOBOOTH_PRINTER_SETUP);
    ASSERT_NE(button, nullptr);
    ::SendMessageA(button, BM_CLICK, 0, 0);
  }
};

TEST_F(MyQuilletViewPrinterSetupTest, NewMarginsMoveTheLayoutWithTheCentre) {
  // Left 8 -> 20: the printable centre moves by (20 + 1189 / 2) - (8 + 1201 / 2) = 6.
  PushDialogScript(DialogScript(IDD_PHOTOBOOTH_PRINTER_SETUP).SetText(IDC_PBPS_LEFT, "20").SetText(IDC_PBPS_TOP, "5").Press(IDOK));
  ClickPrinterSetup();
  ASSERT_EQ(GetShownDialogs().size(), 1u);
  EXPECT_EQ(m_view->m_layoutBoxes[0].left, 106);
  EXPECT_EQ(m_view->m_layoutBoxes[0].right, 406);
  EXPECT_EQ(m_view->m_layoutBoxes[0].top, 195);  // (5 + 1811 / 2) - (15 + 1801 / 2) = -5
  EXPECT_EQ(m_view->m_captions[0].m_nLeft, 56);
  EXPECT_EQ(m_view->m_captions[0].m_nTop, 55);
  EXPECT_EQ(m_view->m_captions[1].m_nLeft, 6);
}

TEST_F(MyQuilletViewPrinterSetupTest, PaperChangeMovesNothingAndCancelRestoresThePrinter) {
  PushDialogScript(DialogScript(IDD_PHOTOBOOTH_PRINTER_SETUP).SetCheck(IDC_PBPS_LANDSCAPE, BST_CHECKED).Press(IDOK));
  ClickPrinterSetup();
  EXPECT_EQ(GetPrinterOrientation(), 2);
  EXPECT_EQ(m_view->m_layoutBoxes[0].left, 100);
  EXPECT_EQ(m_view->m_layoutBoxes[0].top, 200);

  PushDialogScript(DialogScript(IDD_PHOTOBOOTH_PRINTER_SETUP).SetCheck(IDC_PBPS_PORTRAIT, BST_CHECKED).Press(IDCANCEL));
  ClickPrinterSetup();
  EXPECT_EQ(GetPrinterOrientation(), 2);
  EXPECT_EQ(m_view->m_layoutBoxes[0].left, 100);
}

TEST_F(MyQuilletViewPrinterSetupTest, FilePrinterSetupSurvivesARestart) {
  std::string chosen;
  PushDialogScript(DialogScript(AFX_IDD_PRINTSETUP)
                       .Call([&chosen](CDialog* dialog) {
                         // The last printer of the list: another one when the system has several.
                         LRESULT count = dialog->SendDlgItemMessage(IDC_PRINTSETUP_PRINTER, CB_GETCOUNT);
                         ASSERT_GT(count, 0);
                         char name[512] = {};
                         dialog->SendDlgItemMessage(IDC_PRINTSETUP_PRINTER, CB_GETLBTEXT, count - 1,
                                                    reinterpret_cast<LPARAM>(name));
                         chosen = name;
                         dialog->SendDlgItemMessage(IDC_PRINTSETUP_PRINTER, CB_SETCURSEL, count - 1);
                         dialog->SendMessage(WM_COMMAND, MAKEWPARAM(IDC_PRINTSETUP_PRINTER, CBN_SELCHANGE),
                                             reinterpret_cast<LPARAM>(::GetDlgItem(dialog->m_hWnd, IDC_PRINTSETUP_PRINTER)));
                       })
                       .SetCheck(IDC_PRINTSETUP_LANDSCAPE, BST_CHECKED)
                       .Press(IDOK));
  m_harness->m_frame->SendMessage(WM_COMMAND, MAKEWPARAM(ID_FILE_PRINT_SETUP, 0), 0);
  ASSERT_EQ(GetShownDialogs().size(), 1u);
  EXPECT_EQ(GetShownDialogs()[0].caption, "Print Setup");
  CString name;
  EXPECT_TRUE(GetCurrentPrinterName(name));
  EXPECT_EQ(std::string(name), chosen);
  EXPECT_EQ(GetPrinterOrientation(), 2);

  // A restart: the view saves, the application forgets its printer, a new view loads it.
  m_harness->Close();
  AfxGetApp()->SelectPrinter(nullptr, nullptr, TRUE);
  m_harness = std::make_unique<ViewHarness>();
  ASSERT_NE(nullptr, m_harness->m_view);
  m_view = m_harness->m_view;
  EXPECT_TRUE(GetCurrentPrinterName(name));
  EXPECT_EQ(std::string(name), chosen);
  EXPECT_EQ(GetPrinterOrientation(), 2);

  // Cancel changes nothing.
  BYTE *modeBefore = nullptr, *namesBefore = nullptr, *modeAfter = nullptr, *namesAfter = nullptr;
  DWORD modeSize = 0, namesSize = 0, modeSizeAfter = 0, namesSizeAfter = 0;
  ASSERT_TRUE(GetMyQuilletApp()->GetPrinterSettings(modeBefore, modeSize, namesBefore, namesSize));
  PushDialogScript(DialogScript(AFX_IDD_PRINTSETUP).SetCheck(IDC_PRINTSETUP_PORTRAIT, BST_CHECKED).Press(IDCANCEL));
  m_harness->m_frame->SendMessage(WM_COMMAND, MAKEWPARAM(ID_FILE_PRINT_SETUP, 0), 0);
  ASSERT_TRUE(GetMyQuilletApp()->GetPrinterSettings(modeAfter, modeSizeAfter, namesAfter, namesSizeAfter));
  EXPECT_EQ(modeSize, modeSizeAfter);
  EXPECT_EQ(0, std::memcmp(modeBefore, modeAfter, modeSize));
  EXPECT_EQ(0, std::memcmp(namesBefore, namesAfter, namesSize));
  delete[] modeBefore;
  delete[] namesBefore;
  delete[] modeAfter;
  delete[] namesAfter;
}

}  // namespace

TEST_F(MyQuilletViewPrinterSetupTest, ShortcutsBoxIsAWindowHiddenWithItsButtons) {
  HWND box = ::GetDlgItem(m_view->m_hWnd, IDC_PHOTOBOOTH_SHORTCUTS);
  HWND button = ::GetDlgItem(m_view->m_hWnd, IDC_PHOTOBOOTH_PRINTER_SETUP);
  ASSERT_NE(box, nullptr);
  ASSERT_NE(button, nullptr);
  char title[64] = {};
  ::GetWindowTextA(box, title, sizeof(title));
  EXPECT_STREQ(title, "Photobooth Shortcuts");
  ASSERT_TRUE(::IsWindowVisible(button));
  // The buttons stand beside the box, not in it: the view hides and shows them with it.
  m_view->m_bPhotoboothShowDashboard = FALSE;
  m_view->LayoutOptionButtons();
  EXPECT_FALSE(::IsWindowVisible(box));
  EXPECT_FALSE(::IsWindowVisible(button));
  m_view->m_bPhotoboothShowDashboard = TRUE;
  m_view->LayoutOptionButtons();
  EXPECT_TRUE(::IsWindowVisible(box));
  EXPECT_TRUE(::IsWindowVisible(button));
}
