#include <gtest/gtest.h>

#include <QImage>
#include <atomic>
#include <fstream>
#include <thread>

#include "KeyboardDialogTestSupport.h"
#include "keyboard/KeyboardResource.h"
#include "keyboard/MyMessageBox.h"
#include "platform/mfc/commondialog.h"
#include "platform/mfc/dialogscript.h"
#include "platform/user/messagebox.h"
#include "support/XmlDocument.h"

namespace {

class CountingParent : public CWnd {
 public:
  CountingParent() { CreateEx(0, nullptr, "booth", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr); }
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
    if (message == WM_KEYBOARD_ACCEPTED) ++m_accepted;
    return CWnd::WindowProc(message, wParam, lParam);
  }
  int m_accepted = 0;
};

class KeyboardDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ClearDialogScripts();
    ClearMessageBoxes();
    ClearCommonDialogAnswers();
    ForbiddenWords.clear();
    KeyboardTimeout = 300;
    m_folder = FreshFolder(::testing::UnitTest::GetInstance()->current_test_info()->name());
  }
  void TearDown() override {
    ClearDialogScripts();
    std::filesystem::remove_all(m_folder);
    KeyboardTimeout = 300;
  }
  CString Folder() const { return m_folder.string().c_str(); }
  // The keys of the MMS keyboard opened over the layouts in the test's folder.
  INT_PTR KeysWhenOpened() {
    CKeyboardDialog keyboard(nullptr, FALSE, KeyboardMms);
    keyboard.m_layoutFolder = Folder();
    INT_PTR keys = -1;
    PushDialogScript(DialogScript(IDD_KEYBOARD).Call([&](CDialog* dialog) {
      keys = static_cast<CKeyboardDialog*>(dialog)->m_editor.m_layout.m_keys.GetSize();
    }));
    keyboard.DoModal();
    return keys;
  }

  std::filesystem::path m_folder;
};

const char kEditLayout[] =
    "<morvane_systems_photobooth version=\"2.2\"><photobooth_settings><keyboard>"
    "<prompt>Edit the text:</prompt></keyboard></photobooth_settings></morvane_systems_photobooth>";

}  // namespace

TEST_F(KeyboardDialogTest, EmailKeyboardWithoutLayoutRefusesAnEmptyAddressThenAcceptsOnce) {
  CountingParent parent;
  CKeyboardDialog keyboard(&parent, FALSE, KeyboardEmail);
  keyboard.m_layoutFolder = Folder();
  CString seenMessage;
  int seenTimeout = -1;
  PushDialogScript(DialogScript(IDD_KEYBOARD).Call([&](CDialog* dialog) {
    auto* kb = static_cast<CKeyboardDialog*>(dialog);
    EXPECT_EQ(kb->m_layoutName, "keyboard") << "no email_keyboard.xml: the general layout";
    EXPECT_EQ(kb->Field(0).m_prompt, "Please enter your email address:");
    EXPECT_EQ(kb->m_editor.m_layout.m_keys.GetSize(), 48);
    TouchKey(kb, "Send email");
    EXPECT_EQ(seenMessage, KeyboardEmailErrorMessage);
    EXPECT_EQ(seenTimeout, 3);
    EXPECT_EQ(parent.m_accepted, 0);
    TypeOnKeyboard(kb, "ann");
    TouchKey(kb, "@");
    TypeOnKeyboard(kb, "example");
    TouchKey(kb, ".com");
    EXPECT_EQ(kb->Field(0).m_text, "ann@example.com");
    PressQtKey(kb, Qt::Key_Return, "\r");
    TouchKey(kb, "Send email");  // a second OK after acceptance changes nothing
  }));
  PushDialogScript(DialogScript(IDD_MYMESSAGEBOX).Call([&](CDialog* dialog) {
    seenMessage = static_cast<CMyMessageBox*>(dialog)->m_text;
    seenTimeout = static_cast<CMyMessageBox*>(dialog)->m_timeoutSeconds;
  }));
  EXPECT_EQ(keyboard.DoModal(), 1);
  EXPECT_EQ(parent.m_accepted, 1);
  EXPECT_EQ(LastKeyboardTexts[0], "ann@example.com");
  bool boxShown = false;
  for (const ShownDialog& shown : GetShownDialogs()) {
    if (shown.templateId == IDD_MYMESSAGEBOX) {
      boxShown = true;
      EXPECT_EQ(shown.caption, "Morvane Systems Photobooth - MessageBox");
    }
    if (shown.templateId == IDD_KEYBOARD) {
      EXPECT_EQ(shown.caption, "Morvane Systems Photobooth - keyboard");
    }
  }
  EXPECT_TRUE(boxShown);
}

TEST_F(KeyboardDialogTest, ReleaseOnAnotherKeyPerformsThatKey) {
  CKeyboardDialog keyboard(nullptr, FALSE, KeyboardFacebook);
  keyboard.m_layoutFolder = Folder();
  PushDialogScript(DialogScript(IDD_KEYBOARD).Call([&](CDialog* dialog) {
    auto* kb = static_cast<CKeyboardDialog*>(dialog);
    Touch(kb, CentreOf(KeyWithLegend(kb, "q")), Qt::NoModifier, CentreOf(KeyWithLegend(kb, "w")));
    TouchKey(kb, "Shift");
    TouchKey(kb, "e");
    TouchKey(kb, "r");
    EXPECT_EQ(kb->Field(0).m_text, "wEr");
    // The tablet's press-and-hold query is a touch, answered "off".
    QPoint t = CentreOf(KeyWithLegend(kb, "t"));
    EXPECT_EQ(kb->SendMessage(0x2CC, 0, MAKELPARAM(t.x(), t.y())), 1);
    EXPECT_EQ(kb->m_pressedKey.m_legend, "t");
    Touch(kb, t);
    // A touch on field 2's box selects it.
    const KeyboardTextField& second = kb->Field(1);
    ASSERT_TRUE(second.IsDefined());
    Touch(kb, QPoint((second.m_x + second.m_right) / 2, (second.m_y + second.m_bottom) / 2));
    EXPECT_EQ(kb->m_editor.m_currentField, 1);
    EXPECT_EQ(kb->Field(0).m_text, "wErt");
    TouchKey(kb, "Cancel");
  }));
  EXPECT_EQ(keyboard.DoModal(), 2);
}

TEST_F(KeyboardDialogTest, SubKeyboardEditsTheTouchedField) {
  std::filesystem::create_directories(m_folder / "subkeyboard");
  std::ofstream((m_folder / "subkeyboard" / "keyboard.xml").string()) << kEditLayout;
  CKeyboardDialog keyboard(nullptr, FALSE, KeyboardMessage);
  keyboard.m_layoutFolder = Folder();
  keyboard.Field(0).m_text = "hello";
  PushDialogScript(DialogScript(IDD_KEYBOARD).Call([&](CDialog* dialog) {
    auto* kb = static_cast<CKeyboardDialog*>(dialog);
    EXPECT_EQ(kb->m_editor.m_cursorPosition, 5) << "the cursor starts after a pre-filled text";
    const KeyboardTextField& field = kb->Field(0);
    Touch(kb, QPoint(field.m_x + 5, field.m_y + 5));
    EXPECT_EQ(kb->Field(0).m_text, "hello world");
    TouchKey(kb, "Cancel");
  }));
  CString prefilled;
  PushDialogScript(DialogScript(IDD_KEYBOARD).Call([&](CDialog* dialog) {
    auto* sub = static_cast<CKeyboardDialog*>(dialog);
    prefilled = sub->Field(0).m_text;
    TypeOnKeyboard(sub, " world");
    PressQtKey(sub, Qt::Key_Return, "\r");
  }));
  EXPECT_EQ(keyboard.DoModal(), 2);
  EXPECT_EQ(prefilled, "hello");
}

TEST_F(KeyboardDialogTest, InactivityEndsTheKeyboardUnlessTheTimeOutIsZero) {
  struct Row {
    int timeout;
    INT_PTR result;
  };
  for (const Row& row : {Row{5, 2}, Row{0, 1}}) {
    SCOPED_TRACE(row.timeout);
    KeyboardTimeout = row.timeout;
    LONGLONG clock = 1000;
    CKeyboardDialog keyboard(nullptr, FALSE, KeyboardMms);
    keyboard.m_layoutFolder = Folder();
    int readsAfterJump = -1000;
    keyboard.m_nowSeconds = [&] {
      ++readsAfterJump;
      return clock;
    };
    PushDialogScript(DialogScript(IDD_KEYBOARD)
                         .Call([&](CDialog*) {
                           clock += 100000;
                           readsAfterJump = 0;
                         })
                         .RunUntil([&] { return readsAfterJump >= 3; })  // three timer ticks
                         .Call([&](CDialog* dialog) {
                           auto* kb = static_cast<CKeyboardDialog*>(dialog);
                           TouchKey(kb, "5");
                           TouchKey(kb, "Send MMS");
                         }));
    EXPECT_EQ(keyboard.DoModal(), row.result);
  }
}

TEST_F(KeyboardDialogTest, ShiftCtrlReleaseWritesTheLayoutThroughTheFolderPicker) {
  std::filesystem::path out = std::filesystem::path(TAVORIN_BINARY_DIR) / "test-output" / "keyboard-layout";
  std::filesystem::remove_all(out);
  std::filesystem::create_directories(out);
  CKeyboardDialog keyboard(nullptr, FALSE, KeyboardGeneral);
  keyboard.m_layoutFolder = Folder();
  QSize screen;
  PushDialogScript(DialogScript(IDD_KEYBOARD).Call([&](CDialog* dialog) {
    auto* kb = static_cast<CKeyboardDialog*>(dialog);
    screen = WidgetOfDialog(kb)->size();
    CommonDialogAnswer answer;
    answer.paths = {out.string()};
    PushCommonDialogAnswer(answer);
    Touch(kb, QPoint(5, 5), Qt::ShiftModifier | Qt::ControlModifier);
    // Again into the same folder: the guest declines to overwrite.
    PushCommonDialogAnswer(answer);
    PushMessageBoxAnswer(IDNO);
    Touch(kb, QPoint(5, 5), Qt::ShiftModifier | Qt::ControlModifier);
    TouchKey(kb, "No thanks!");
  }));
  EXPECT_EQ(keyboard.DoModal(), 2);

  std::vector<ShownCommonDialog> pickers = GetShownCommonDialogs();
  ASSERT_EQ(pickers.size(), 2u);
  EXPECT_EQ(pickers[0].title, "Select folder to save keyboard settings");
  EXPECT_EQ(pickers[0].initialFolder, Folder().str()) << "the picker starts in the layout folder";
  std::vector<ShownMessageBox> boxes = GetShownMessageBoxes();
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[0].text, "Keyboard settings saved in folder:\n" + out.string());
  EXPECT_EQ(boxes[1].text.rfind("Do you wish to overwrite the following files:\n" + (out / "keyboard.xml").string(), 0), 0u);
  EXPECT_EQ(boxes[1].icon, MB_ICONQUESTION);

  XmlNode* root = XmlDocument::LoadFile((out / "keyboard.xml").string().c_str());
  ASSERT_NE(root, nullptr);
  EXPECT_EQ(root->m_name, "morvane_systems_photobooth");
  EXPECT_EQ(root->FindAttribute("version")->m_value, "2.2");
  int keys = 0;
  for (XmlNode* node = root->FindChild("photobooth_settings")->FindChild("keyboard")->m_firstChild; node;
       node = node->m_nextSibling) {
    keys += node->m_name == "key" ? 1 : 0;
  }
  EXPECT_EQ(keys, 48);
  root->Destroy();
  delete root;
  for (const char* suffix : {"_uppercase", "_uppercase_pressed", "_lowercase", "_lowercase_pressed"}) {
    QImage image(QString::fromStdString((out / (std::string("keyboard") + suffix + ".tif")).string()));
    EXPECT_EQ(image.size(), screen) << suffix;
  }
}

TEST_F(KeyboardDialogTest, WrittenImagesAndLayoutComeBackOnTheNextOpening) {
  // A designer's set: the images replace the composed ones, the layout gives the keys.
  CKeyboardDialog first(nullptr, FALSE, KeyboardGeneral);
  first.m_layoutFolder = Folder();
  PushDialogScript(DialogScript(IDD_KEYBOARD).Call([&](CDialog* dialog) {
    auto* kb = static_cast<CKeyboardDialog*>(dialog);
    // Paint a mark into the lower-case image so the reloaded set can be told from a composed one.
    Gdiplus::Graphics graphics(kb->m_images[2]);
    Gdiplus::SolidBrush green(Gdiplus::Color(255, 0, 255, 0));
    graphics.FillRectangle(&green, 0, 0, 20, 20);
    CommonDialogAnswer answer;
    answer.paths = {Folder().str()};
    PushCommonDialogAnswer(answer);
    Touch(kb, QPoint(5, 5), Qt::ShiftModifier | Qt::ControlModifier);
  }));
  first.DoModal();
  ASSERT_TRUE(std::filesystem::exists(m_folder / "keyboard.xml"));

  CKeyboardDialog second(nullptr, FALSE, KeyboardGeneral);
  second.m_layoutFolder = Folder();
  QRgb mark = 0;
  INT_PTR keyCount = 0;
  PushDialogScript(DialogScript(IDD_KEYBOARD).Call([&](CDialog* dialog) {
    auto* kb = static_cast<CKeyboardDialog*>(dialog);
    keyCount = kb->m_editor.m_layout.m_keys.GetSize();
    mark = WidgetOfDialog(kb)->grab().toImage().pixel(5, 5);
  }));
  second.DoModal();
  EXPECT_EQ(keyCount, 48);
  EXPECT_EQ(qGreen(mark), 255);
  EXPECT_EQ(qRed(mark), 0);
}

TEST_F(KeyboardDialogTest, EmailKeyboardIsSavedUnderItsOwnNameAndAFailedWriteIsReported) {
  std::filesystem::path out = m_folder / "out";
  std::filesystem::create_directories(out / "email_keyboard.xml");  // a folder where the file must go
  CKeyboardDialog keyboard(nullptr, FALSE, KeyboardEmail);
  keyboard.m_layoutFolder = Folder();
  PushDialogScript(DialogScript(IDD_KEYBOARD).Call([&](CDialog* dialog) {
    auto* kb = static_cast<CKeyboardDialog*>(dialog);
    CommonDialogAnswer answer;
    answer.paths = {out.string()};
    PushCommonDialogAnswer(answer);
    PushMessageBoxAnswer(IDYES);
    Touch(kb, QPoint(5, 5), Qt::ShiftModifier | Qt::ControlModifier);
  }));
  keyboard.DoModal();
  std::vector<ShownMessageBox> boxes = GetShownMessageBoxes();
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[1].text, "Error writing file: " + (out / "email_keyboard.xml").string());
  EXPECT_EQ(boxes[1].icon, MB_ICONERROR);
  EXPECT_TRUE(std::filesystem::exists(out / "email_keyboard_uppercase.tif"));
  EXPECT_FALSE(std::filesystem::exists(out / "keyboard_uppercase.tif"));
}

TEST_F(KeyboardDialogTest, LayoutErrorsAreShownAndTheKeyboardStillOpens) {
  std::ofstream((m_folder / "mms_keyboard.xml").string())
      << "<morvane_systems_photobooth><photobooth_settings><keyboard><key><left>1</left></key>"
         "</keyboard></photobooth_settings></morvane_systems_photobooth>";
  std::ofstream((m_folder / "forbidden_words.xml").string()) << "<morvane_systems_photobooth/>";
  EXPECT_EQ(KeysWhenOpened(), 14) << "no key read: the built-in keypad";
  std::vector<ShownMessageBox> boxes = GetShownMessageBoxes();
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[0].text, "Can't find <top> tag\nXML file: " + (m_folder / "mms_keyboard.xml").string());
  EXPECT_EQ(boxes[0].caption, "Tavorin");
  EXPECT_EQ(boxes[1].text, "Can't find <forbidden_words> tag, file may not be a photobooth settings file\nXML file: " +
                               (m_folder / "forbidden_words.xml").string());
}

TEST_F(KeyboardDialogTest, DamagedLayoutFilesAreRefusedWholeAndTheKeyboardStillOpens) {
  std::ofstream((m_folder / "mms_keyboard.xml").string())
      << "<morvane_systems_photobooth><photobooth_settings><keyboard><key><left>1</left><top>2</top>"
         "<width>3</width><height>4</height><legend>a</legend><shifted_legend>A</shifted_legend><code>a</code>"
         "<shifted_code>A</shifted_code></key><key><left>1";
  std::ofstream((m_folder / "forbidden_words.xml").string())
      << "<morvane_systems_photobooth><forbidden_words><word>darn</word>";
  EXPECT_EQ(KeysWhenOpened(), 14) << "nothing of the damaged file: the built-in keypad";
  EXPECT_TRUE(ForbiddenWords.empty());
  std::vector<ShownMessageBox> boxes = GetShownMessageBoxes();
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[0].text, "Error reading file\nXML file: " + (m_folder / "mms_keyboard.xml").string());
  EXPECT_EQ(boxes[1].text, "Error reading file\nXML file: " + (m_folder / "forbidden_words.xml").string());
}

TEST_F(KeyboardDialogTest, HostileLayoutNumbersAreDrawnAndTouchedSafely) {
  auto key = [](const char* code, const char* left, const char* top, const char* width) {
    return std::string("<key><left>") + left + "</left><top>" + top + "</top><width>" + width +
           "</width><height>80</height><legend>" + code + "</legend><shifted_legend>" + code +
           "</shifted_legend><code>" + code + "</code><shifted_code>" + code + "</shifted_code></key>";
  };
  std::ofstream((m_folder / "keyboard.xml").string())
      << "<morvane_systems_photobooth><photobooth_settings><keyboard>"
         "<prompt rows=\"2000000000\">Type:</prompt><text_y>2147483600</text_y>"
         "<prompt2 rows=\"2000000000\">More:</prompt2><text2_y>300</text2_y><text2_x>10</text2_x><text2_r>900</text2_r>"
      << key("far", "2147483000", "10", "2000") << key("a", "10", "500", "90") << key("Cancel", "200", "500", "300")
      << "</keyboard></photobooth_settings></morvane_systems_photobooth>";
  CKeyboardDialog keyboard(nullptr, FALSE, KeyboardGeneral);
  keyboard.m_layoutFolder = Folder();
  PushDialogScript(DialogScript(IDD_KEYBOARD).Call([&](CDialog* dialog) {
    auto* kb = static_cast<CKeyboardDialog*>(dialog);
    EXPECT_EQ(kb->Field(0).m_y, kKeyboardCoordinateLimit);
    EXPECT_EQ(kb->Field(1).m_rows, kKeyboardMaxFieldRows);
    EXPECT_EQ(KeyWithLegend(kb, "far").m_x, kKeyboardCoordinateLimit);
    Touch(kb, QPoint(500, 40));
    Touch(kb, QPoint(400, 320));  // field 2's box
    TouchKey(kb, "a");
    EXPECT_EQ(kb->Field(1).m_text, "a");
    TouchKey(kb, "Cancel");
  }));
  EXPECT_EQ(keyboard.DoModal(), 2);
}

TEST_F(KeyboardDialogTest, AKeyboardOpenedByAWorkerRunsOnTheUiThread) {
  CKeyboardDialog keyboard(nullptr, FALSE, KeyboardPassword);
  keyboard.m_layoutFolder = Folder();
  std::thread::id scriptThread;
  PushDialogScript(DialogScript(IDD_KEYBOARD).Call([&](CDialog* dialog) {
    scriptThread = std::this_thread::get_id();
    auto* kb = static_cast<CKeyboardDialog*>(dialog);
    TypeOnKeyboard(kb, "secret");
    TouchKey(kb, "OK");
  }));
  std::atomic<bool> done{false};
  INT_PTR result = -1;
  std::thread worker([&] {
    result = keyboard.DoModal();
    done = true;
  });
  while (!done) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
  worker.join();
  EXPECT_EQ(result, 1);
  EXPECT_EQ(scriptThread, std::this_thread::get_id());
  EXPECT_EQ(LastKeyboardTexts[0], "secret");
}
