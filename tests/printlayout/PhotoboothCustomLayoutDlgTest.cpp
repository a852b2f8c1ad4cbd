#include "printlayout/PhotoboothCustomLayoutDlg.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QPixmap>
#include <QScrollArea>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWidget>
#include <QWindow>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <memory>
#include <fstream>

#include "PrintLayoutTestSupport.h"
#include "platform/mfc/commondialog.h"
#include "platform/mfc/dialogscript.h"
#include "platform/polyimage/polyimage.h"
#include "platform/user/dragdrop_p.h"
#include "platform/user/messagebox.h"
#include "platform/user/window_p.h"
#include "platform/user/winuser.h"
#include "platform/win32/files.h"
#include "printlayout/PhotoboothPrinterSetupDlg.h"
#include "printlayout/PresetPrintLayoutsDlg.h"
#include "support/PipSession.h"
#include "support/ProgramGlobals.h"

namespace fs = std::filesystem;

namespace {

using Editor = CPhotoboothCustomLayoutDlg;

void WriteImage(const std::string& path, int width, int height, COLORREF colour, int format) {
  PipSession image;
  ASSERT_NE(cNewImage(image.m_hSession, width, height, colour), 0);
  ASSERT_NE(cSave(image.m_hSession, path.c_str(), format, 0, 0, 0), 0);
}

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

class PhotoboothCustomLayoutDlgTest : public testing::Test {
 protected:
  void SetUp() override {
    SelectTestPrinter(1030, 1550, 300, 300, 1);  // 1217 x 1831
    ClearMessageBoxes();
    ClearDialogScripts();
    ClearCommonDialogAnswers();
    PhotoboothLayoutRenderer::s_show = LayoutShowFlags{};
    m_folder = PrintLayoutTestDir() + "/editor-" + testing::UnitTest::GetInstance()->current_test_info()->name();
    fs::remove_all(m_folder);
    fs::create_directories(m_folder + "/images");
    m_images = m_folder + "/images";
  }
  void TearDown() override {
    ClearMessageBoxes();
    ClearDialogScripts();
    ClearCommonDialogAnswers();
    PhotoboothLayoutRenderer::s_show = LayoutShowFlags{};
  }

  // Opens an editor with two photos placed, runs the body inside it and ends with the button.
  INT_PTR Run(Editor& editor, std::function<void(Editor&)> body, int button = IDCANCEL) {
    editor.m_strImageDir = m_images.c_str();
    const auto start = std::chrono::steady_clock::now();
    PushDialogScript(DialogScript(IDD_PHOTOBOOTH_CUSTOM_LAYOUT)
                         // The page is drawn by the first paint; give up after a while.
                         .RunUntil([&editor, start] {
                           return editor.m_renderer.m_nPreviewWidth > 0 ||
                                  std::chrono::steady_clock::now() - start > std::chrono::seconds(10);
                         })
                         .Call([&](CDialog* dialog) { body(*static_cast<Editor*>(dialog)); })
                         .Press(button));
    return editor.DoModal();
  }
  void PlaceTwo(Editor& editor) {
    editor.m_nNumberOfPhotos = 2;
    editor.m_layoutBoxes[0] = {1, 100, 100, 500, 400, 0};
    editor.m_layoutBoxes[1] = {2, 600, 900, 1000, 1200, 0};
  }
  static POINT Client(Editor& editor, int x, int y) {
    const PhotoboothLayoutRenderer& r = editor.m_renderer;
    return {r.m_nOriginX + PrinterToPreview(x, r.m_nPreviewWidth, editor.m_model.pageWidth),
            r.m_nOriginY + PrinterToPreview(y, r.m_nPreviewWidth, editor.m_model.pageWidth)};
  }
  static void Mouse(Editor& editor, UINT message, POINT at, UINT flags = 0) {
    editor.SendMessage(message, flags, MAKELPARAM(at.x, at.y));
  }
  // A key as the display server delivers it to the window holding the focus.
  static void Key(Editor& editor, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier, bool repeat = false) {
    QWindow* window = user_p::WidgetOf(editor.m_hWnd)->window()->windowHandle();
    ASSERT_NE(window, nullptr);
    QKeyEvent press(QEvent::KeyPress, key, modifiers, QString(), repeat);
    QApplication::sendEvent(window, &press);
    QKeyEvent release(QEvent::KeyRelease, key, modifiers, QString(), repeat);
    QApplication::sendEvent(window, &release);
    // The modifiers go up too, so later code does not see Shift or Ctrl held.
    for (QEvent::Type type : {QEvent::KeyPress, QEvent::KeyRelease}) {
      QKeyEvent none(type, Qt::Key_unknown, Qt::NoModifier);
      QApplication::sendEvent(window, &none);
    }
  }
  // A click of the left button at a point of a widget, given to its top-level window as the
  // display server gives it, so the toolkit moves the focus as it does for a user.
  static void ClickWidget(QWidget* widget, QPoint at) {
    ASSERT_NE(widget, nullptr);
    // On a small screen the form scrolls: bring the widget into sight first, as a user would.
    for (QWidget* up = widget->parentWidget(); up; up = up->parentWidget())
      if (auto* scroll = qobject_cast<QScrollArea*>(up)) scroll->ensureWidgetVisible(widget, 0, 0);
    // A click activates the window it lands in, as the display server does.
    if (QApplication::activeWindow() != widget->window()) {
      widget->window()->activateWindow();
      QApplication::processEvents();
    }
    QWindow* window = widget->window()->windowHandle();
    ASSERT_NE(window, nullptr);
    const QPointF local = QPointF(widget->mapTo(widget->window(), at));
    for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
      QMouseEvent event(type, local, window->mapToGlobal(local), Qt::LeftButton,
                        type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
      QApplication::sendEvent(window, &event);
    }
  }
  // Clicks into a row's edit, empties it and types `text`, key by key.
  static void TypeInto(Editor& editor, int id, const std::string& text) {
    QWidget* edit = user_p::WidgetOf(::GetDlgItem(editor.m_hWnd, id));
    ClickWidget(edit, edit->rect().center());
    ASSERT_EQ(QApplication::focusWidget(), edit);
    Key(editor, Qt::Key_End);
    for (int i = 0; i < 8; ++i) Key(editor, Qt::Key_Backspace);
    QWindow* window = user_p::WidgetOf(editor.m_hWnd)->window()->windowHandle();
    for (char c : text) {
      const int key = c == '-' ? Qt::Key_Minus : Qt::Key_0 + (c - '0');
      for (QEvent::Type type : {QEvent::KeyPress, QEvent::KeyRelease}) {
        QKeyEvent event(type, key, Qt::NoModifier, QString(QChar(c)));
        QApplication::sendEvent(window, &event);
      }
    }
  }
  static CString Text(Editor& editor, int id) {
    CString text;
    editor.GetDlgItemText(id, text);
    return text;
  }
  static std::vector<std::string> Combo(Editor& editor, int row) {
    HWND combo = ::GetDlgItem(editor.m_hWnd, kLayoutRowCombo[row]);
    std::vector<std::string> items;
    const int count = static_cast<int>(::SendMessageA(combo, CB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
      char text[64] = {};
      ::SendMessageA(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
      items.push_back(text);
    }
    return items;
  }

  std::string m_folder;
  std::string m_images;
};

TEST_F(PhotoboothCustomLayoutDlgTest, OpensOnTheLayoutWithItsTableAndTitle) {
  Editor editor(nullptr, 3, 2);
  PlaceTwo(editor);
  Run(editor, [&](Editor& e) {
    CString title;
    e.GetWindowText(title);
    EXPECT_EQ(title, CString("Photobooth Custom Layout: ") + m_images.c_str());
    EXPECT_EQ(e.m_model.pageWidth, 1217);
    EXPECT_EQ(Combo(e, 0), (std::vector<std::string>{"None", "1", "2", "QR code"}));
    EXPECT_EQ(Text(e, kLayoutRowEdits[0][2]), CString("400"));
    EXPECT_EQ(Text(e, kLayoutRowEdits[1][3]), CString("300"));
    EXPECT_FALSE(::IsWindowEnabled(::GetDlgItem(e.m_hWnd, kLayoutRowButton[2]))) << "a row without an image";
    EXPECT_GT(e.m_renderer.m_nPreviewWidth, 0);
    EXPECT_GT(e.m_renderer.m_nOriginX, 0) << "the page stands right of the table";
  });
}

TEST_F(PhotoboothCustomLayoutDlgTest, TypedPositionsAreTakenOnLeavingTheEditAndSurviveRedraws) {
  // How the typing ends; "click" leaves the focus in the edit and clicks the empty page.
  for (const char* ending : {"Tab", "Return", "click"}) {
    SCOPED_TRACE(ending);
    Editor editor(nullptr, 3, 2);
    PlaceTwo(editor);
    bool open = false;
    Run(editor, [&](Editor& e) {
      const int top = kLayoutRowEdits[1][1];
      const int centreBefore = e.m_renderer.m_boxOutlines[1].centre.y;
      TypeInto(e, top, "200");
      const std::string how = ending;
      if (how == "Tab") Key(e, Qt::Key_Tab);
      if (how == "Return") Key(e, Qt::Key_Return);
      if (how != "click") {
        EXPECT_EQ(e.m_model.boxes[1].top, 200) << "taken as the edit is left";
        EXPECT_LT(e.m_renderer.m_boxOutlines[1].centre.y, centreBefore) << "the preview follows";
      }
      // A click on the empty page redraws everything: the typed value stays.
      const POINT empty = Client(e, 1150, 50);
      ClickWidget(user_p::WidgetOf(e.m_hWnd), QPoint(empty.x, empty.y));
      EXPECT_EQ(Text(e, top), CString("200"));
      EXPECT_EQ(e.m_model.boxes[1].top, 200);
      EXPECT_EQ(e.m_model.boxes[1].left, 600) << "the rest of the row unchanged";
      open = ::IsWindowVisible(e.m_hWnd) != FALSE;
    }, IDOK);
    EXPECT_TRUE(open) << "Return in an edit does not close the editor";
    EXPECT_EQ(editor.m_layoutBoxes[1].top, 200);
    EXPECT_EQ(editor.m_layoutBoxes[1].bottom, 200 + 300);
  }
}

TEST_F(PhotoboothCustomLayoutDlgTest, UndoStepsFollowKeysAndDrags) {
  Editor editor(nullptr, 3, 2);
  PlaceTwo(editor);
  Run(editor, [&](Editor& e) {
    e.SendMessage(WM_COMMAND, IDC_LAYOUT_UNDO, 0);
    EXPECT_EQ(e.m_model.boxes[0].left, 100) << "undo after opening does nothing";
    // A click selects box 0; its row turns green.
    Mouse(e, WM_LBUTTONDOWN, Client(e, 300, 250));
    Mouse(e, WM_LBUTTONUP, Client(e, 300, 250));
    ASSERT_EQ(e.m_renderer.m_selectedBoxes, std::vector<int>{0});
    EXPECT_EQ(e.m_edits[0][0].GetBackgroundColour(), 0xC8FFC8u);
    EXPECT_EQ(e.m_edits[1][0].GetBackgroundColour(), 0xFFFFFFu);
    EXPECT_EQ(e.m_edits[2][0].GetBackgroundColour(), 0u);
    const size_t steps = e.m_undo.size();
    for (int i = 0; i < 10; ++i) Key(e, Qt::Key_Right, Qt::NoModifier, i > 0);
    EXPECT_EQ(e.m_model.boxes[0].left, 110) << "held keys keep nudging";
    EXPECT_EQ(Text(e, kLayoutRowEdits[0][0]), CString("110"));
    EXPECT_EQ(e.m_undo.size(), steps + 1) << "ten arrows are one step";
    Key(e, Qt::Key_Down, Qt::ShiftModifier);
    EXPECT_EQ(e.m_model.boxes[0].top, 110);
    e.SendMessage(WM_COMMAND, IDC_LAYOUT_UNDO, 0);
    EXPECT_EQ(e.m_model.boxes[0].left, 100);
    EXPECT_EQ(e.m_model.boxes[0].top, 100);
    e.SendMessage(WM_COMMAND, IDC_LAYOUT_REDO, 0);
    EXPECT_EQ(e.m_model.boxes[0].left, 110);

    // An arrow, then a drag: two steps.
    Key(e, Qt::Key_Up);
    Mouse(e, WM_LBUTTONDOWN, Client(e, 300, 250));
    Mouse(e, WM_MOUSEMOVE, Client(e, 500, 250), MK_LBUTTON);
    Mouse(e, WM_LBUTTONUP, Client(e, 500, 250));
    EXPECT_NEAR(e.m_model.boxes[0].left, 310, 4);
    e.SendMessage(WM_COMMAND, IDC_LAYOUT_UNDO, 0);
    EXPECT_EQ(e.m_model.boxes[0].left, 110);
    EXPECT_EQ(e.m_model.boxes[0].top, 109);
    e.SendMessage(WM_COMMAND, IDC_LAYOUT_UNDO, 0);
    EXPECT_EQ(e.m_model.boxes[0].top, 110);
  });
}

TEST_F(PhotoboothCustomLayoutDlgTest, RotateAndTurnKeysThroughTheDialog) {
  Editor editor(nullptr, 3, 2);
  PlaceTwo(editor);
  Run(editor, [&](Editor& e) {
    Mouse(e, WM_LBUTTONDOWN, Client(e, 300, 250));
    Mouse(e, WM_LBUTTONUP, Client(e, 300, 250));
    Key(e, Qt::Key_Right, Qt::ControlModifier);
    EXPECT_DOUBLE_EQ(e.m_model.boxes[0].rotation, 0.5);
    Key(e, Qt::Key_Right, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_DOUBLE_EQ(e.m_model.boxes[0].rotation, 15);
    EXPECT_EQ(Text(e, kLayoutRowEdits[0][4]), CString("15"));
    // Drag the rotation handle with Shift: multiples of 15 only.
    const LayoutBoxOutline& outline = e.m_renderer.m_boxOutlines[0];
    const POINT handle{e.m_renderer.m_nOriginX + outline.handle2.x, e.m_renderer.m_nOriginY + outline.handle2.y};
    Mouse(e, WM_LBUTTONDOWN, handle);
    ASSERT_EQ(e.m_editor.m_nDragMode, 2);
    Mouse(e, WM_MOUSEMOVE, {handle.x - 10, handle.y + 40}, MK_LBUTTON | MK_SHIFT);
    Mouse(e, WM_LBUTTONUP, {handle.x - 10, handle.y + 40});
    EXPECT_EQ(std::fmod(e.m_model.boxes[0].rotation, 15.0), 0.0);
    EXPECT_GT(e.m_model.boxes[0].rotation, 15.0);
  });
}

TEST_F(PhotoboothCustomLayoutDlgTest, OrderingMovesTheTableRows) {
  Editor editor(nullptr, 3, 2);
  PlaceTwo(editor);
  Run(editor, [&](Editor& e) {
    Mouse(e, WM_LBUTTONDOWN, Client(e, 300, 250));
    Mouse(e, WM_LBUTTONUP, Client(e, 300, 250));
    e.SendMessage(WM_COMMAND, ID_LAYOUT_MOVE_TO_FRONT, 0);
    EXPECT_EQ(e.m_renderer.m_selectedBoxes, std::vector<int>{1});
    EXPECT_EQ(Text(e, kLayoutRowEdits[1][0]), CString("100"));
    EXPECT_EQ(Text(e, kLayoutRowEdits[0][0]), CString("600"));
    EXPECT_EQ(::SendDlgItemMessageA(e.m_hWnd, kLayoutRowCombo[1], CB_GETCURSEL, 0, 0), 1);
    EXPECT_EQ(e.m_edits[1][0].GetBackgroundColour(), 0xC8FFC8u);
  });
}

TEST_F(PhotoboothCustomLayoutDlgTest, APresetOfFourPhotosSetsTheCount) {
  Editor editor(nullptr, 3, 2);
  editor.m_nNumberOfPhotos = 6;
  Run(editor, [&](Editor& e) {
    PushDialogScript(DialogScript(IDD_PRESET_PRINT_LAYOUTS).SetCheck(IDC_PRESET_2ROWS_OF_2, BST_CHECKED).Press(IDOK));
    e.SendMessage(WM_COMMAND, IDC_LAYOUT_PRESETS, 0);
    EXPECT_EQ(e.m_model.photos, 4);
    EXPECT_EQ(Combo(e, 5), (std::vector<std::string>{"None", "1", "2", "3", "4", "QR code"}));
    EXPECT_EQ(e.m_model.boxes[3].image, 4);
  });
}

TEST_F(PhotoboothCustomLayoutDlgTest, OkListsUnusedPhotosAndSavesOnlyOnYes) {
  for (int answer : {IDNO, IDYES}) {
    SCOPED_TRACE(answer);
    ClearMessageBoxes();
    Editor editor(nullptr, 3, 2);
    editor.m_nNumberOfPhotos = 4;
    editor.m_layoutBoxes[0] = {1, 100, 100, 500, 400, 0};
    editor.m_layoutBoxes[1] = {2, 600, 900, 1000, 1200, 0};
    editor.m_layoutBoxes[2] = {kQrCodeSelector, 700, 100, 900, 300, 0};
    PushMessageBoxAnswer(answer);
    const INT_PTR result = Run(editor, [&](Editor& e) {
      e.SendMessage(WM_COMMAND, IDOK, 0);
    });
    const auto boxes = GetShownMessageBoxes();
    ASSERT_FALSE(boxes.empty());
    EXPECT_EQ(boxes[0].text, "ERROR:\nimage 3 not defined\nimage 4 not defined\n\n\nDo you want to save the settings?");
    EXPECT_EQ(result, answer == IDYES ? IDOK : IDCANCEL);
    if (answer == IDYES) {
      EXPECT_EQ(editor.m_layoutBoxes[2].image, kQrCodeSelector);
    }
  }
}

TEST_F(PhotoboothCustomLayoutDlgTest, DroppedImagesAndFoldersAndLayouts) {
  WriteImage(m_folder + "/Back.JPG", 300, 200, RGB(0, 0, 255), PIP_FORMAT_JPEG);
  WriteImage(m_folder + "/over.png", 300, 200, RGB(255, 0, 0), PIP_FORMAT_PNG);
  fs::create_directories(m_folder + "/folder.jpg");
  Editor editor(nullptr, 3, 2);
  PlaceTwo(editor);
  Run(editor, [&](Editor& e) {
    const std::string background = m_images + "/background.jpg", overlay = m_images + "/overlay.png";
    PushMessageBoxAnswer(IDYES);
    PushMessageBoxAnswer(IDYES);
    e.SendMessage(WM_DROPFILES, reinterpret_cast<WPARAM>(user_p::MakeDrop(
                                    {m_folder + "/folder.jpg", m_folder + "/Back.JPG", m_folder + "/over.png"}, {5, 5})));
    auto boxes = GetShownMessageBoxes();
    ASSERT_EQ(boxes.size(), 2u) << "the folder is passed over";
    EXPECT_EQ(boxes[0].text, "Load this JPEG as a background image?\n" + background);
    EXPECT_EQ(boxes[1].text, "Load this PNG as an overlay image?\n" + overlay);
    EXPECT_EQ(ReadAll(background), ReadAll(m_folder + "/Back.JPG"));
    EXPECT_EQ(ReadAll(overlay), ReadAll(m_folder + "/over.png"));
    EXPECT_TRUE(::IsWindowEnabled(::GetDlgItem(e.m_hWnd, IDC_LAYOUT_DELETE_OVERLAY)));

    // Again: the overwrite question; No keeps the file.
    ClearMessageBoxes();
    WriteImage(m_folder + "/other.jpg", 30, 20, RGB(0, 255, 0), PIP_FORMAT_JPEG);
    PushMessageBoxAnswer(IDNO);
    e.SendMessage(WM_DROPFILES, reinterpret_cast<WPARAM>(user_p::MakeDrop({m_folder + "/other.jpg"}, {5, 5})));
    boxes = GetShownMessageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, background + " exists.\n\nDo you want to overwrite it?");
    EXPECT_EQ(ReadAll(background), ReadAll(m_folder + "/Back.JPG"));

    // Delete asks first.
    ClearMessageBoxes();
    PushMessageBoxAnswer(IDYES);
    e.SendMessage(WM_COMMAND, IDC_LAYOUT_DELETE_OVERLAY, 0);
    boxes = GetShownMessageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text,
              "Are you sure you want to delete the overlay.png image?\n\nThis will permanently delete the file:\n" +
                  overlay + "\nand cannot be undone.");
    EXPECT_FALSE(fs::exists(overlay));
  });
}

TEST_F(PhotoboothCustomLayoutDlgTest, AFailedImportKeepsTheOldBackground) {
  WriteImage(m_images + "/background.jpg", 30, 20, RGB(0, 0, 255), PIP_FORMAT_JPEG);
  const std::string before = ReadAll(m_images + "/background.jpg");
  // A source that cannot be read whole: a folder.
  fs::create_directories(m_folder + "/broken.jpg");
  Editor editor(nullptr, 3, 2);
  Run(editor, [&](Editor& e) {
    CommonDialogAnswer answer;
    answer.paths = {m_folder + "/broken.jpg"};
    PushCommonDialogAnswer(answer);
    PushMessageBoxAnswer(IDYES);
    e.SendMessage(WM_COMMAND, IDC_LAYOUT_IMPORT_BACKGROUND, 0);
    const auto boxes = GetShownMessageBoxes();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[1].text, "Error copying " + m_folder + "/broken.jpg\nto " + m_images + "/background.jpg");
    EXPECT_EQ(ReadAll(m_images + "/background.jpg"), before);
    const auto dialogs = GetShownCommonDialogs();
    ASSERT_FALSE(dialogs.empty());
    EXPECT_EQ(dialogs.back().title, "Select background.jpg image");
  });
}

TEST_F(PhotoboothCustomLayoutDlgTest, ExportedLayoutComesBackInAFreshEditor) {
  WriteImage(m_images + "/background.jpg", 300, 200, RGB(0, 0, 255), PIP_FORMAT_JPEG);
  const std::string file = m_folder + "/party";
  Editor first(nullptr, 3, 2);
  PlaceTwo(first);
  first.m_captions[0] = PhotoboothCaption::MakeNew(1, 200, 1500);
  first.m_captions[0].m_strText = "Happy day";
  Run(first, [&](Editor& e) {
    CommonDialogAnswer answer;
    answer.paths = {file};
    PushCommonDialogAnswer(answer);
    e.SendMessage(WM_COMMAND, IDC_LAYOUT_EXPORT, 0);
  });
  ASSERT_TRUE(fs::exists(file + ".pblt"));
  EXPECT_EQ(GetShownCommonDialogs().back().title, "Save Photobooth Print Layout");
  fs::remove(m_images + "/background.jpg");

  Editor second(nullptr, 3, 2);
  Run(
      second,
      [&](Editor& e) {
        PushMessageBoxAnswer(IDYES);
        e.SendMessage(WM_DROPFILES, reinterpret_cast<WPARAM>(user_p::MakeDrop({file + ".pblt"}, {5, 5})));
        EXPECT_EQ(e.m_model.photos, 2);
        EXPECT_EQ(e.m_model.captions[0].m_strText, CString("Happy day"));
        EXPECT_TRUE(fs::exists(m_images + "/background.jpg"));
      },
      IDOK);
  for (int i = 0; i < 2; ++i) {
    EXPECT_EQ(second.m_layoutBoxes[i].image, first.m_layoutBoxes[i].image);
    EXPECT_EQ(second.m_layoutBoxes[i].left, first.m_layoutBoxes[i].left);
    EXPECT_EQ(second.m_layoutBoxes[i].bottom, first.m_layoutBoxes[i].bottom);
  }
  EXPECT_EQ(second.m_captions[0].m_nLeft, 200);
  EXPECT_EQ(second.m_captions[0].m_nTop, 1500);
}

TEST_F(PhotoboothCustomLayoutDlgTest, AddCaptionAtTheMenuPointAndAllTwelveUsed) {
  Editor editor(nullptr, 3, 2);
  PlaceTwo(editor);
  Run(editor, [&](Editor& e) {
    e.m_editor.m_menuPoint = Client(e, 600, 700);
    e.SendMessage(WM_COMMAND, ID_LAYOUT_ADD_CAPTION, 0);
    EXPECT_EQ(e.m_model.captions[0].m_nEnable, 1);
    EXPECT_NEAR(e.m_model.captions[0].m_nLeft, 600, 3);
    EXPECT_NEAR(e.m_model.captions[0].m_nTop, 700, 3);
    EXPECT_EQ(e.m_renderer.m_selectedCaptions, std::vector<int>{0});
    for (int i = 1; i <= kLayoutCaptionCount; ++i) e.SendMessage(WM_COMMAND, ID_LAYOUT_ADD_CAPTION, 0);
    const auto boxes = GetShownMessageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text,
              "All 12 captions have been used and no more can be defined.\nPlease edit one of the existing captions.");
    EXPECT_EQ(boxes[0].icon, static_cast<UINT>(MB_ICONEXCLAMATION));
  });
}

TEST_F(PhotoboothCustomLayoutDlgTest, PrinterSetupRecentresAndCancelGivesThePrinterBack) {
  Editor editor(nullptr, 3, 2);
  PlaceTwo(editor);
  Run(editor, [&](Editor& e) {
    const int width = e.m_model.pageWidth;
    // OK on a wider paper: the boxes follow the printable area's centre.
    PushDialogScript(DialogScript(IDD_PHOTOBOOTH_PRINTER_SETUP).Call([](CDialog*) {
      SelectTestPrinter(1300, 1550, 300, 300, 1);
    }).Press(IDOK));
    e.SendMessage(WM_COMMAND, IDC_LAYOUT_PRINTER_SETUP, 0);
    const int grown = e.m_model.pageWidth - width;
    ASSERT_GT(grown, 0);
    EXPECT_NEAR(e.m_model.boxes[0].left, 100 + grown / 2, 1);
    // Cancel: the application's printer is what it was.
    PushDialogScript(DialogScript(IDD_PHOTOBOOTH_PRINTER_SETUP).Call([](CDialog*) {
      SelectTestPrinter(1030, 1550, 300, 300, 1);
    }).Press(IDCANCEL));
    e.SendMessage(WM_COMMAND, IDC_LAYOUT_PRINTER_SETUP, 0);
    e.ReadPageMetrics();
    EXPECT_EQ(e.m_model.pageWidth, width + grown);
  });
}

// A condition that also gives up after a few seconds, so a broken timer fails instead of hanging.
std::function<bool()> Within(std::function<bool()> condition) {
  auto deadline = std::make_shared<std::chrono::steady_clock::time_point>();
  return [condition, deadline] {
    if (*deadline == std::chrono::steady_clock::time_point{})
      *deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    return condition() || std::chrono::steady_clock::now() > *deadline;
  };
}

TEST_F(PhotoboothCustomLayoutDlgTest, PhotoPositionDialogIsMirroredByTheTimer) {
  Editor editor(nullptr, 3, 2);
  PlaceTwo(editor);
  Run(editor, [&](Editor& e) {
    LayoutEditBox& box = e.m_model.boxes[0];
    std::string title;
    PushDialogScript(DialogScript(IDD_PHOTO_POSITION)
                         .Call([&](CDialog* dialog) {
                           CString text;
                           dialog->GetWindowText(text);
                           title = text.str();
                         })
                         .SetText(IDC_POSITION_LEFT, "150")
                         .RunUntil(Within([&] { return box.left == 150; }))
                         .SetText(IDC_POSITION_WIDTH, "")
                         .RunUntil(Within([&] { return box.width == 450; }))
                         .SetText(IDC_POSITION_WIDTH, "400")
                         .SetText(IDC_POSITION_LEFT, "0")
                         .Press(IDC_POSITION_CENTER)
                         .Press(IDC_POSITION_CENTER)
                         .RunUntil(Within([&] { return box.left == 408; }))
                         .Call([&](CDialog* dialog) {
                           EXPECT_FALSE(static_cast<CPhotoPositionEditDlg*>(dialog)->m_bMoveToCenter);
                           CString left;
                           dialog->GetDlgItemText(IDC_POSITION_LEFT, left);
                           EXPECT_EQ(left, CString("408"));
                         })
                         .SetText(IDC_POSITION_WIDTH, "100")
                         .Press(IDC_POSITION_CENTER)
                         .RunUntil(Within([&] { return box.width == 1217 / 3; }))
                         .Press(IDOK));
    e.SendMessage(WM_COMMAND, kLayoutRowButton[0], 0);
    EXPECT_EQ(title, "Edit Position: Photo 1");
    EXPECT_EQ(box.width, 405) << "a box below 101 x 51 is reset";
    EXPECT_EQ(box.height, 270);
    EXPECT_EQ(box.left, (1217 - 405) / 2);
    EXPECT_EQ(box.top, (1831 - 270) / 2);
    EXPECT_EQ(e.m_renderer.m_selectedBoxes, std::vector<int>{0});

    // Cancel puts the box back.
    PushDialogScript(DialogScript(IDD_PHOTO_POSITION)
                         .SetText(IDC_POSITION_TOP, "5")
                         .RunUntil(Within([&] { return box.top == 5; }))
                         .Press(IDCANCEL));
    e.SendMessage(WM_COMMAND, kLayoutRowButton[0], 0);
    EXPECT_EQ(box.top, (1831 - 270) / 2);
  });
}

}  // namespace

namespace {

// The editor with a preset, a background, an overlay and one selected caption, saved as a PNG under
// the build's test-output folder so that it can be looked at (run under xvfb-run for a real window).
TEST_F(PhotoboothCustomLayoutDlgTest, ScreenshotOfTheEditor) {
  WriteImage(m_images + "/background.jpg", 1100, 1700, RGB(120, 170, 230), PIP_FORMAT_JPEG);
  {
    PipSession overlay;
    ASSERT_NE(cNewImage(overlay.m_hSession, 1217, 200, RGB(200, 40, 40)), 0);
    ASSERT_NE(cSave(overlay.m_hSession, (m_images + "/overlay.png").c_str(), PIP_FORMAT_PNG, 0, 0, 0), 0);
  }
  Editor editor(nullptr, 3, 2);
  editor.m_captions[0] = PhotoboothCaption::MakeNew(1, 300, 1500);
  editor.m_captions[0].m_strText = "Party at the lake";
  Run(editor, [&](Editor& e) {
    PushDialogScript(DialogScript(IDD_PRESET_PRINT_LAYOUTS).SetCheck(IDC_PRESET_2ROWS_OF_2, BST_CHECKED).Press(IDOK));
    e.SendMessage(WM_COMMAND, IDC_LAYOUT_PRESETS, 0);
    const LayoutBoxOutline& caption = e.m_renderer.m_captionOutlines[0];
    const POINT at{e.m_renderer.m_nOriginX + caption.centre.x, e.m_renderer.m_nOriginY + caption.centre.y};
    Mouse(e, WM_LBUTTONDOWN, at);
    Mouse(e, WM_LBUTTONUP, at);
    EXPECT_EQ(e.m_renderer.m_selectedCaptions, std::vector<int>{0});
    QWidget* window = user_p::WidgetOf(e.m_hWnd);
    ASSERT_NE(window, nullptr);
    const QString folder = QString::fromUtf8(TAVORIN_BINARY_DIR) + "/test-output";
    QDir().mkpath(folder);
    const QString path = folder + "/layout-editor.png";
    ASSERT_TRUE(window->grab().save(path));
    // A second look at the page itself: the preset's four boxes and the selected caption's handles.
    const QImage shot(path);
    EXPECT_GT(shot.width(), 600);
  });
}

}  // namespace

TEST_F(PhotoboothCustomLayoutDlgTest, ImportFoldersAreKeptFromOneOpeningToTheNext) {
  const std::string pictures = m_folder + "/pictures", templates = m_folder + "/templates";
  fs::create_directories(pictures);
  fs::create_directories(templates);
  WriteImage(pictures + "/sky.jpg", 30, 20, RGB(0, 0, 255), PIP_FORMAT_JPEG);
  g_strPhotoboothTemplateBrowseDir = "";
  std::vector<std::string> browsed;
  auto browse = [&](CWnd*, const CString& folder) {
    browsed.push_back(folder.GetString());
    return browsed.size() == 1 ? CString((templates + "/none.pblt").c_str()) : CString();
  };
  // The first opening imports a background and a layout from their folders.
  {
    Editor editor(nullptr, 3, 2);
    editor.m_childDialogs.browseTemplates = browse;
    Run(editor, [&](Editor& e) {
      CommonDialogAnswer answer;
      answer.paths = {pictures + "/sky.jpg"};
      PushCommonDialogAnswer(answer);
      ::SendMessageA(::GetDlgItem(e.m_hWnd, IDC_LAYOUT_IMPORT_BACKGROUND), BM_CLICK, 0, 0);
      ::SendMessageA(::GetDlgItem(e.m_hWnd, IDC_LAYOUT_IMPORT), BM_CLICK, 0, 0);
    });
  }
  ClearMessageBoxes();  // the missing template's report
  ClearCommonDialogAnswers();
  // A later opening starts both dialogs there.
  Editor editor(nullptr, 3, 2);
  editor.m_childDialogs.browseTemplates = browse;
  Run(editor, [&](Editor& e) {
    ::SendMessageA(::GetDlgItem(e.m_hWnd, IDC_LAYOUT_IMPORT_OVERLAY), BM_CLICK, 0, 0);
    ::SendMessageA(::GetDlgItem(e.m_hWnd, IDC_LAYOUT_IMPORT), BM_CLICK, 0, 0);
  });
  const auto dialogs = GetShownCommonDialogs();
  ASSERT_EQ(dialogs.size(), 1u);
  EXPECT_EQ(dialogs[0].title, "Select overlay.png image");
  EXPECT_EQ(dialogs[0].initialFolder, pictures);
  ASSERT_EQ(browsed.size(), 2u);
  EXPECT_EQ(browsed[1], templates);
  g_strPhotoboothTemplateBrowseDir = "";
}
