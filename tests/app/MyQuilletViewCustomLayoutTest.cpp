// The form's "Print Layout" button (1355): the layout goes into the editor and comes back on OK.
#include <cstring>

#include "AppTestSupport.h"
#include "app/MyQuilletApp.h"
#include "platform/mfc/dialogscript.h"
#include "platform/mfc/printdialog.h"
#include "platform/user/messagebox.h"
#include "platform/winspool/globalmem.h"
#include "printlayout/PhotoboothCustomLayoutDlg.h"
#include "printlayout/PhotoboothPrinterSetupDlg.h"
#include "printlayout/PrinterMargins.h"

namespace {

void SelectPrinter(const char* name, int paperWidth) {
  DEVMODEA mode{};
  std::strcpy(reinterpret_cast<char*>(mode.dmDeviceName), name);
  mode.dmSpecVersion = DM_SPECVERSION;
  mode.dmSize = sizeof(DEVMODEA);
  mode.dmFields = DM_ORIENTATION | DM_PAPERWIDTH | DM_PAPERLENGTH | DM_PRINTQUALITY | DM_YRESOLUTION;
  mode.dmOrientation = DMORIENT_PORTRAIT;
  mode.dmPaperWidth = static_cast<SHORT>(paperWidth);
  mode.dmPaperLength = 1550;
  mode.dmPrintQuality = mode.dmYResolution = 300;
  HGLOBAL devMode = GlobalAlloc(GHND, sizeof(mode));
  std::memcpy(GlobalLock(devMode), &mode, sizeof(mode));
  GlobalUnlock(devMode);
  AfxGetApp()->SelectPrinter(AfxMakeDevNames("winspool", name, "", 0), devMode, TRUE);
}

class MyQuilletViewCustomLayoutTest : public ViewTestBase {
 protected:
  void SetUp() override {
    ViewTestBase::SetUp();
    SelectPrinter("Tavorin PDF Printer", 1030);
    ClearDialogScripts();
    ClearMessageBoxes();
    m_view->m_nNumberOfPhotoboothImages = 2;
    m_view->m_bPhotoboothCustomLayout = FALSE;
    m_view->m_layoutBoxes[0] = {1, 100, 200, 400, 400, 0};
    m_view->m_layoutBoxes[1] = {2, 500, 600, 800, 800, 0};
  }
  void TearDown() override {
    ClearDialogScripts();
    ClearMessageBoxes();
    ViewTestBase::TearDown();
  }
  void ClickPrintLayout() {
    HWND button = ::GetDlgItem(m_view->m_hWnd, IDC_PHOTOBOOTH_CUSTOM_LAYOUT);
    ASSERT_NE(button, nullptr);
    char text[32] = {};
    ::GetWindowTextA(button, text, sizeof(text));
    EXPECT_STREQ(text, "Print\nLayout");
    ::SendMessageA(button, BM_CLICK, 0, 0);
  }
};

TEST_F(MyQuilletViewCustomLayoutTest, OkKeepsTheEditedLayout) {
  m_view->m_bAutoReconnect = TRUE;
  BOOL reconnectInside = TRUE;
  PushDialogScript(DialogScript(IDD_PHOTOBOOTH_CUSTOM_LAYOUT)
                       .Call([&](CDialog* dialog) {
                         auto* editor = static_cast<CPhotoboothCustomLayoutDlg*>(dialog);
                         reconnectInside = m_view->m_bAutoReconnect;
                         EXPECT_EQ(editor->m_model.boxes[1].left, 500);
                         // Typed into row 2's Left field, as OK reads the table.
                         editor->SetDlgItemText(kLayoutRowEdits[1][0], "550");
                       })
                       .Press(IDOK));
  ClickPrintLayout();
  ASSERT_EQ(GetShownDialogs().size(), 1u);
  EXPECT_FALSE(reconnectInside) << "no reconnection while the editor is open";
  EXPECT_TRUE(m_view->m_bAutoReconnect);
  EXPECT_EQ(m_view->m_layoutBoxes[1].left, 550);
  EXPECT_EQ(m_view->m_layoutBoxes[1].right, 850);
  EXPECT_TRUE(m_view->m_bPhotoboothCustomLayout);
}

TEST_F(MyQuilletViewCustomLayoutTest, OkIsInTheRegistryAtOnce) {
  ClearProductKey();
  PushDialogScript(DialogScript(IDD_PHOTOBOOTH_CUSTOM_LAYOUT)
                       .Call([&](CDialog* dialog) {
                         static_cast<CPhotoboothCustomLayoutDlg*>(dialog)->SetDlgItemText(kLayoutRowEdits[1][0], "550");
                       })
                       .Press(IDOK));
  ClickPrintLayout();
  ASSERT_EQ(GetShownDialogs().size(), 1u);
  HKEY key = nullptr;
  ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CURRENT_USER, kProductKey, 0, KEY_READ, &key));
  DWORD custom = 0, left = 0;
  EXPECT_TRUE(ReadRegDword(key, "PhotoboothCustomLayout", custom));
  EXPECT_EQ(1u, custom);
  EXPECT_TRUE(ReadRegDword(key, "PhotoboothCustomLayout2Left", left));
  EXPECT_EQ(550u, left) << "the edited box is saved on OK";
  RegCloseKey(key);
}

TEST_F(MyQuilletViewCustomLayoutTest, CancelGivesBackThePrinterAndKeepsTheLayout) {
  PushDialogScript(DialogScript(IDD_PHOTOBOOTH_CUSTOM_LAYOUT)
                       .Call([&](CDialog* dialog) {
                         auto* editor = static_cast<CPhotoboothCustomLayoutDlg*>(dialog);
                         PushDialogScript(DialogScript(IDD_PHOTOBOOTH_PRINTER_SETUP).Call([](CDialog*) {
                           SelectPrinter("Tavorin PDF Printer", 1300);
                         }).Press(IDOK));
                         editor->SendMessage(WM_COMMAND, IDC_LAYOUT_PRINTER_SETUP, 0);
                       })
                       .Press(IDCANCEL));
  ClickPrintLayout();
  ApplicationPrinterInfo printer = ReadApplicationPrinter();
  EXPECT_EQ(printer.horzRes, 1217) << "the printer chosen inside the editor is dropped";
  EXPECT_EQ(m_view->m_layoutBoxes[0].left, 100);
  EXPECT_FALSE(m_view->m_bPhotoboothCustomLayout);
}

TEST_F(MyQuilletViewCustomLayoutTest, AnUnknownPrinterIsReportedAndNothingOpens) {
  SelectPrinter("No Such Printer", 1030);
  ClickPrintLayout();
  EXPECT_TRUE(GetShownDialogs().empty());
  const auto boxes = GetShownMessageBoxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text,
            "Printer \"No Such Printer\" is not defined.\nPlease use \"Printer Setup\" to select a printer.");
}

}  // namespace
