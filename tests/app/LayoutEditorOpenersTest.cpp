// The layout editor opened from the form's "Print Layout" button reaches the caption editor, the
// QR-code dialog and the template browser, by its buttons and by its context menu.
#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QTimer>
#include <QWidget>
#include <QWindow>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <fstream>

#include "AppTestSupport.h"
#include "app/MyQuilletApp.h"
#include "app/Resource.h"
#include "config/EditCaptionDlg.h"
#include "config/TemplateBrowserDlg.h"
#include "platform/mfc/dialogscript.h"
#include "platform/user/cursor.h"
#include "platform/user/messagebox.h"
#include "platform/user/window_p.h"
#include "printlayout/PhotoboothCustomLayoutDlg.h"
#include "printlayout/PrintLayoutFile.h"
#include "sharing/QRCodeEditDlg.h"
#include "sharing/SharingResource.h"
#include "support/ProgramGlobals.h"

namespace fs = std::filesystem;

namespace {

using Editor = CPhotoboothCustomLayoutDlg;

QWidget* WidgetOfEditor(Editor& editor) { return user_p::WidgetOf(editor.m_hWnd); }

/// Client pixels of a printer-pixel point of the page.
QPoint ClientOf(Editor& editor, int x, int y) {
  const PhotoboothLayoutRenderer& r = editor.m_renderer;
  return {r.m_nOriginX + PrinterToPreview(x, r.m_nPreviewWidth, editor.m_model.pageWidth),
          r.m_nOriginY + PrinterToPreview(y, r.m_nPreviewWidth, editor.m_model.pageWidth)};
}

QPoint CaptionCentre(Editor& editor, int index) {
  int corners[8];
  editor.m_editor.MeasureCaption(editor.m_model.captions[index], corners);
  return ClientOf(editor, (corners[0] + corners[4]) / 2, (corners[1] + corners[5]) / 2);
}

void SendMouse(QWidget* widget, QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::MouseButtons held) {
  ASSERT_EQ(widget->childAt(at), nullptr) << "the point lies on a control, not on the page";
  QMouseEvent event(type, QPointF(at), widget->mapToGlobal(QPointF(at)), button, held, Qt::NoModifier);
  QApplication::sendEvent(widget, &event);
}

void Click(QWidget* widget, QPoint at, Qt::MouseButton button) {
  SendMouse(widget, QEvent::MouseButtonPress, at, button, button);
  SendMouse(widget, QEvent::MouseButtonRelease, at, button, Qt::NoButton);
}

void SendKey(QObject* target, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
  QKeyEvent press(QEvent::KeyPress, key, modifiers);
  QApplication::sendEvent(target, &press);
  QKeyEvent release(QEvent::KeyRelease, key, modifiers);
  QApplication::sendEvent(target, &release);
}

/// Watches for the next pop-up menu and picks the entry with the arrow keys and Return, as a user
/// does; `entries` receives the enabled entries walked past.
void ChooseInNextMenu(const QString& wanted, QStringList* entries) {
  auto* timer = new QTimer;
  auto ticks = std::make_shared<int>(0);
  QObject::connect(timer, &QTimer::timeout, [timer, ticks, wanted, entries] {
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    if (!menu && ++*ticks < 500) return;
    timer->stop();
    timer->deleteLater();
    if (!menu) return;
    for (int step = 0; step < 40; ++step) {
      SendKey(menu, Qt::Key_Down);
      QAction* active = menu->activeAction();
      if (!active) continue;
      if (!entries->contains(active->text())) entries->append(active->text());
      if (active->text() == wanted) {
        SendKey(menu, Qt::Key_Return);
        return;
      }
    }
    SendKey(menu, Qt::Key_Escape);
  });
  timer->start(20);
}

class LayoutEditorOpenersTest : public ViewTestBase {
 protected:
  void SetUp() override {
    ViewTestBase::SetUp();
    SelectPdfPrinter(300);
    ClearDialogScripts();
    ClearMessageBoxes();
    PhotoboothLayoutRenderer::s_show = LayoutShowFlags{};
    m_folder = TestFolder() + "/openers-" + testing::UnitTest::GetInstance()->current_test_info()->name();
    fs::remove_all(m_folder);
    fs::create_directories(m_folder + "/images");
    m_view->m_strPhotoboothImageDir = (m_folder + "/images").c_str();
    m_view->m_nNumberOfPhotoboothImages = 1;
    for (PhotoboothCustomLayoutBox& box : m_view->m_layoutBoxes) box = {};
    m_view->m_layoutBoxes[0] = {1, 100, 100, 700, 500, 0};
    m_view->m_layoutBoxes[1] = {kQrCodeSelector, 800, 1200, 1100, 1500, 0};
    for (PhotoboothCaption& caption : m_view->m_captions) caption = PhotoboothCaption();
    PhotoboothCaption& caption = m_view->m_captions[0];
    caption.m_nEnable = 1;
    caption.m_strText = "Anna & Ben";
    caption.m_nLeft = 150;
    caption.m_nTop = 900;
    caption.m_font.lfHeight = -40;
    std::strcpy(caption.m_font.lfFaceName, "Arial");
  }
  void TearDown() override {
    ClearDialogScripts();
    ClearMessageBoxes();
    PhotoboothLayoutRenderer::s_show = LayoutShowFlags{};
    ViewTestBase::TearDown();
  }
  /// Opens the editor from the form, runs the body once the page is drawn, ends with `button`.
  void RunEditor(std::function<void(Editor&)> body, int button) {
    const auto start = std::chrono::steady_clock::now();
    Editor* open = nullptr;
    PushDialogScript(DialogScript(IDD_PHOTOBOOTH_CUSTOM_LAYOUT)
                         .Call([&](CDialog* dialog) { open = static_cast<Editor*>(dialog); })
                         .RunUntil([&] {
                           return open->m_renderer.m_nPreviewWidth > 0 ||
                                  std::chrono::steady_clock::now() - start > std::chrono::seconds(20);
                         })
                         .Call([&](CDialog* dialog) { body(*static_cast<Editor*>(dialog)); })
                         .Press(button));
    ::SendMessageA(::GetDlgItem(m_view->m_hWnd, IDC_PHOTOBOOTH_CUSTOM_LAYOUT), BM_CLICK, 0, 0);
  }
  std::string m_folder;
};

TEST_F(LayoutEditorOpenersTest, CaptionEditorFromTheMenuIsMirroredCentredAndUndoneInOneStep) {
  QStringList entries;
  bool centred = false;
  Editor* editor = nullptr;
  PushDialogScript(DialogScript(IDD_EDIT_CAPTION)
                       .Call([&](CDialog* d) {
                         auto* dialog = static_cast<CEditCaptionDlg*>(d);
                         EXPECT_EQ(dialog->m_nCurrentCaption, 0);
                         EXPECT_EQ(dialog->m_nPageWidth, editor->m_model.pageWidth);
                         EXPECT_EQ(dialog->m_nDpiY, 300);
                       })
                       .SetText(IDC_EC_TEXT, "Anna & Ben 2026")
                       // Timer 1 of the layout editor copies the typing into the layout.
                       .RunUntil([&] { return editor->m_model.captions[0].m_strText == "Anna & Ben 2026"; })
                       .Press(IDC_EC_MOVE_TO_CENTER)
                       .RunUntil([&] { return editor->m_model.captions[0].m_nLeft != 150; })
                       .Call([&](CDialog* d) {
                         auto* dialog = static_cast<CEditCaptionDlg*>(d);
                         EXPECT_FALSE(dialog->m_bMoveToCenter) << "the request is taken";
                         CString left;
                         d->GetDlgItemText(IDC_EC_LEFT, left);
                         EXPECT_EQ(atoi(left), editor->m_model.captions[0].m_nLeft) << "its controls are refreshed";
                       })
                       .Press(IDOK));
  RunEditor(
      [&](Editor& e) {
        editor = &e;
        QWidget* widget = WidgetOfEditor(e);
        ChooseInNextMenu("Edit caption...", &entries);
        Click(widget, CaptionCentre(e, 0), Qt::RightButton);
        ASSERT_EQ(GetShownDialogs().size(), 1u) << "the caption editor ran";
        int corners[8];
        e.m_editor.MeasureCaption(e.m_model.captions[0], corners);
        const int centreX = (std::min({corners[0], corners[2], corners[4], corners[6]}) +
                             std::max({corners[0], corners[2], corners[4], corners[6]})) / 2;
        const int centreY = (std::min({corners[1], corners[3], corners[5], corners[7]}) +
                             std::max({corners[1], corners[3], corners[5], corners[7]})) / 2;
        centred = std::abs(centreX - e.m_model.pageWidth / 2) <= 1 && std::abs(centreY - e.m_model.pageHeight / 2) <= 1;
        EXPECT_EQ(e.m_renderer.m_selectedCaptions, std::vector<int>{0});
        // The caption editor's whole visit is one step back.
        SendKey(widget->window()->windowHandle(), Qt::Key_Z, Qt::ControlModifier);
        EXPECT_EQ(e.m_model.captions[0].m_strText, "Anna & Ben");
        EXPECT_EQ(e.m_model.captions[0].m_nLeft, 150);
        SendKey(widget->window()->windowHandle(), Qt::Key_Y, Qt::ControlModifier);
      },
      IDOK);
  EXPECT_TRUE(entries.contains("Edit caption...")) << entries.join("|").toStdString();
  EXPECT_TRUE(centred) << "the caption block sits on the page centre";
  EXPECT_EQ(m_view->m_captions[0].m_strText, "Anna & Ben 2026");
}

TEST_F(LayoutEditorOpenersTest, CancelledCaptionEditorPutsCaptionsAndSelectionsBack) {
  Editor* editor = nullptr;
  PushDialogScript(DialogScript(IDD_EDIT_CAPTION)
                       .SetText(IDC_EC_TEXT, "typed, then cancelled")
                       .RunUntil([&] { return editor->m_model.captions[0].m_strText == "typed, then cancelled"; })
                       .Press(IDCANCEL));
  RunEditor(
      [&](Editor& e) {
        editor = &e;
        e.m_renderer.m_selectedBoxes = {0};
        EXPECT_TRUE(::IsWindowEnabled(::GetDlgItem(e.m_hWnd, IDC_LAYOUT_EDIT_CAPTIONS)));
        ::SendMessageA(::GetDlgItem(e.m_hWnd, IDC_LAYOUT_EDIT_CAPTIONS), BM_CLICK, 0, 0);
        EXPECT_EQ(e.m_model.captions[0].m_strText, "Anna & Ben");
        EXPECT_EQ(e.m_renderer.m_selectedBoxes, std::vector<int>{0});
        EXPECT_TRUE(e.m_renderer.m_selectedCaptions.empty());
        // Hiding the captions greys the button again.
        ::SendMessageA(::GetDlgItem(e.m_hWnd, IDC_LAYOUT_SHOW_CAPTIONS), BM_CLICK, 0, 0);
        EXPECT_FALSE(::IsWindowEnabled(::GetDlgItem(e.m_hWnd, IDC_LAYOUT_EDIT_CAPTIONS)));
      },
      IDCANCEL);
  EXPECT_EQ(GetShownDialogs().size(), 2u);
}

TEST_F(LayoutEditorOpenersTest, QrCodeFromTheMenuOfTheQrBox) {
  m_view->m_strQRcode = "https://example.org/";
  m_view->m_nQRcodeQuality = 1;
  QStringList entries;
  PushDialogScript(DialogScript(IDD_QRCODE_TEXT)
                       .Call([](CDialog* d) {
                         CString text;
                         d->GetDlgItemText(IDC_QR_TEXT, text);
                         EXPECT_EQ(text, "https://example.org/");
                       })
                       .SetText(IDC_QR_TEXT, "https://example.org/booth")
                       .Select(IDC_QR_LEVEL, 3)
                       .Press(IDOK));
  RunEditor(
      [&](Editor& e) {
        ChooseInNextMenu("Edit QR code...", &entries);
        Click(WidgetOfEditor(e), ClientOf(e, 950, 1350), Qt::RightButton);
        EXPECT_EQ(e.m_renderer.m_selectedBoxes, std::vector<int>{1});
        EXPECT_EQ(e.m_strQRcode, "https://example.org/booth");
      },
      IDOK);
  EXPECT_TRUE(entries.contains("Edit QR code...")) << entries.join("|").toStdString();
  EXPECT_EQ(m_view->m_strQRcode, "https://example.org/booth");
  EXPECT_EQ(m_view->m_nQRcodeQuality, 3);
}

TEST_F(LayoutEditorOpenersTest, ImportLayoutLoadsTheChosenTemplateAndRemembersItsFolder) {
  const std::string templates = m_folder + "/templates";
  fs::create_directories(templates);
  g_strPhotoboothTemplateBrowseDir = templates.c_str();
  std::string browserFolder;
  PushDialogScript(DialogScript(IDD_TEMPLATE_BROWSER)
                       .Call([&](CDialog* d) {
                         auto* browser = static_cast<CTemplateBrowserDlg*>(d);
                         browserFolder = browser->m_strTemplateFolder.GetString();
                         ASSERT_EQ(browser->List().GetItemCount(), 1);
                         browser->List().SetItemState(0, LVIS_SELECTED, LVIS_SELECTED);
                       })
                       .Press(IDOK));
  RunEditor(
      [&](Editor& e) {
        // The template: this layout with the first box moved, written as Export writes it.
        PrintLayoutModel saved = e.m_model;
        saved.boxes[0].left = 333;
        saved.boxes[0].top = 444;
        saved.captions[0].m_strText = "from the template";
        std::vector<BYTE> bytes;
        ASSERT_TRUE(BuildPrintLayoutFile(saved, (m_folder + "/images").c_str(), {}, bytes));
        std::ofstream(templates + "/Wedding.PBLT", std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        HWND import = ::GetDlgItem(e.m_hWnd, IDC_LAYOUT_IMPORT);
        EXPECT_TRUE(::IsWindowEnabled(import));
        ::SendMessageA(import, BM_CLICK, 0, 0);
        EXPECT_EQ(e.m_model.boxes[0].left, 333);
        EXPECT_EQ(e.m_model.boxes[0].top, 444);
        EXPECT_EQ(e.m_model.captions[0].m_strText, "from the template");
      },
      IDOK);
  EXPECT_EQ(browserFolder, templates);
  EXPECT_EQ(g_strPhotoboothTemplateBrowseDir, templates.c_str());
  EXPECT_EQ(m_view->m_layoutBoxes[0].left, 333);
  for (const ShownMessageBox& box : GetShownMessageBoxes()) ADD_FAILURE() << box.text;
}

TEST_F(LayoutEditorOpenersTest, PointerShowsTheMoveCursorOverTheSelectedBox) {
  RunEditor(
      [&](Editor& e) {
        QWidget* widget = WidgetOfEditor(e);
        HINSTANCE program = AfxGetInstanceHandle() ? AfxGetInstanceHandle() : reinterpret_cast<HINSTANCE>(0x400000);
        HCURSOR move = LoadCursor(program, MAKEINTRESOURCE(IDC_LAYOUT_CURSOR_MOVE));
        ASSERT_NE(move, nullptr);
        const QPoint inside = ClientOf(e, 400, 300);
        Click(widget, inside, Qt::LeftButton);
        ASSERT_EQ(e.m_renderer.m_selectedBoxes, std::vector<int>{0});
        for (int i = 0; i < 2; ++i) SendMouse(widget, QEvent::MouseMove, inside, Qt::NoButton, Qt::NoButton);
        EXPECT_EQ(::GetCursor(), move);
        EXPECT_EQ(widget->cursor().shape(), Qt::BitmapCursor) << "the editor's own move cursor";
        const QPoint empty = ClientOf(e, 1000, 200);
        for (int i = 0; i < 2; ++i) SendMouse(widget, QEvent::MouseMove, empty, Qt::NoButton, Qt::NoButton);
        EXPECT_EQ(widget->cursor().shape(), Qt::ArrowCursor) << "back to the window's own cursor";
      },
      IDCANCEL);
}

}  // namespace
