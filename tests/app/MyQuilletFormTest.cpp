// The main form's layout after a release, at the frame's default size and larger: no combo box
// cuts its longest entry, the photo and its histogram stay inside their "Photo" box, and the
// photobooth shortcut buttons stand in rows inside theirs.
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QMenu>
#include <QMenuBar>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QWidget>

#include "AppTestSupport.h"
#include "platform/mfc/dialogscript.h"
#include "platform/user/window_p.h"

namespace {

class MyQuilletFormTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ClearProductKey();
    ClearMessageBoxes();
    ResetSimulator({SimModel("Canon PowerShot G9")}, true);
    CMyQuilletView::s_nConnectSettleMs = 0;
    m_harness = std::make_unique<ViewHarness>();
    ASSERT_NE(nullptr, m_harness->m_view);
    m_view = m_harness->m_view;
    m_view->m_strDirectory = CString(TestFolder() + "/form-layout");
    m_view->m_nStoreImage = 1;
  }
  void TearDown() override {
    m_harness.reset();
    CMyQuilletView::s_nConnectSettleMs = 700;
    ClearMessageBoxes();
    ClearProductKey();
  }

  void Connect() {
    DWORD start = GetTickCount();
    PushDialogScript(DialogScript(IDD_PROGRESS).RunUntil([start] { return GetTickCount() - start > 60000; }));
    m_view->StartCameraConnection();
    ASSERT_NE(nullptr, m_view->m_pCamera);
  }
  void Release() {
    size_t before = m_view->m_images.size();
    m_view->SendMessage(WM_COMMAND, MAKEWPARAM(IDC_RELEASE, BN_CLICKED), 0);
    ASSERT_TRUE(PumpUntil(
        [&] { return m_view->m_images.size() > before && m_view->m_pDisplayBitmap && !m_view->m_bBusy; }));
    Settle();
  }
  void Settle() {
    for (int i = 0; i < 20; ++i) {
      QApplication::processEvents();
      PumpWaitingMessages();
    }
  }
  static QRect RectIn(QWidget* widget, QWidget* ancestor) {
    return QRect(widget->mapTo(ancestor, QPoint(0, 0)), widget->size());
  }
  static int BitmapWidth(CBitmap* bitmap, int* height = nullptr) {
    BITMAP info{};
    if (!bitmap || !bitmap->GetBitmap(&info)) return 0;
    if (height) *height = info.bmHeight;
    return info.bmWidth;
  }

  void ExpectFormFits() {
    QWidget* view = user_p::WidgetOf(m_view->m_hWnd);
    ASSERT_NE(nullptr, view);
    QRect client = view->rect();
    int combos = 0;
    for (QComboBox* combo : view->findChildren<QComboBox*>()) {
      QString longest;
      int widest = 0;
      for (int i = 0; i < combo->count(); ++i) {
        int width = combo->fontMetrics().horizontalAdvance(combo->itemText(i));
        if (width > widest) {
          widest = width;
          longest = combo->itemText(i);
        }
      }
      SCOPED_TRACE(longest.toStdString());
      QStyleOptionComboBox option;
      option.initFrom(combo);
      option.rect = combo->rect();
      option.editable = combo->isEditable();
      option.frame = combo->hasFrame();
      QRect field = combo->style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, combo);
      EXPECT_GE(field.width(), widest);
      EXPECT_TRUE(client.contains(RectIn(combo, view))) << combo->x() << " " << combo->width();
      ++combos;
    }
    EXPECT_GE(combos, 14);

    QGroupBox* photoBox = nullptr;
    for (QGroupBox* box : view->findChildren<QGroupBox*>())
      if (box->title() == "Photo") photoBox = box;
    ASSERT_NE(nullptr, photoBox);
    QRect group = RectIn(photoBox, view);
    EXPECT_TRUE(client.contains(group));
    QWidget* picture = user_p::WidgetOf(m_view->m_picture.m_hWnd);
    QWidget* histogram = user_p::WidgetOf(m_view->GetDlgItem(IDC_HISTOGRAM)->m_hWnd);
    ASSERT_TRUE(picture && histogram);
    EXPECT_TRUE(group.contains(RectIn(picture, view))) << "picture " << RectIn(picture, view).right();
    EXPECT_TRUE(group.contains(RectIn(histogram, view))) << "histogram " << RectIn(histogram, view).right();
    // What is drawn in them fits them too.
    int height = 0;
    EXPECT_LE(BitmapWidth(m_view->m_pDisplayBitmap, &height), picture->width());
    EXPECT_LE(height, picture->height());
    EXPECT_GT(height, 0);
    EXPECT_LE(BitmapWidth(m_view->m_pHistogramBitmap.get()), histogram->width());
  }

  std::unique_ptr<ViewHarness> m_harness;
  CMyQuilletView* m_view = nullptr;
};

TEST_F(MyQuilletFormTest, AfterAReleaseCombosShowTheirLongestEntryAndThePhotoStaysInItsBox) {
  Connect();
  Release();
  // The default frame is 1024 wide where the screen allows it (the test screen is narrower).
  CRect frame;
  m_harness->m_frame->GetWindowRect(&frame);
  EXPECT_EQ(std::min(1024, GetSystemMetrics(SM_CXSCREEN)), frame.Width());
  m_harness->m_frame->MoveWindow(0, 0, 1024, 768);
  Settle();
  Release();
  {
    SCOPED_TRACE("default frame");
    ExpectFormFits();
  }

  m_harness->m_frame->MoveWindow(0, 0, 1600, 1000);
  Settle();
  Release();
  {
    SCOPED_TRACE("larger frame");
    ExpectFormFits();
  }

  // Back to the default size: the photo drawn for the larger picture is drawn again to fit.
  m_harness->m_frame->MoveWindow(0, 0, 1024, 768);
  Settle();
  m_view->Invalidate();
  Settle();
  {
    SCOPED_TRACE("default frame again");
    ExpectFormFits();
  }
}

// The shortcut buttons' shown flags, put back after the test.
class ShortcutFlags {
 public:
  explicit ShortcutFlags(std::initializer_list<bool> shown) {
    std::copy(std::begin(g_photoboothShortcutButtons), std::end(g_photoboothShortcutButtons), m_saved);
    size_t i = 0;
    for (bool each : shown) g_photoboothShortcutButtons[i++].shown = each ? TRUE : FALSE;
  }
  ~ShortcutFlags() { std::copy(std::begin(m_saved), std::end(m_saved), g_photoboothShortcutButtons); }

 private:
  PhotoboothShortcutButton m_saved[kPhotoboothShortcutButtonCount];
};

class MyQuilletFormShortcutsTest : public MyQuilletFormTest {
 protected:
  QWidget* Item(int id) {
    HWND item = ::GetDlgItem(m_view->m_hWnd, id);
    return item ? user_p::WidgetOf(item) : nullptr;
  }
  /// The menu bar's entry, as a click on it sends it.
  void ChooseMenuItem(const QString& text) {
    QWidget* frame = user_p::WidgetOf(m_harness->m_frame->m_hWnd);
    QMenuBar* bar = frame ? frame->findChild<QMenuBar*>() : nullptr;
    ASSERT_NE(nullptr, bar);
    QAction* chosen = nullptr;
    std::function<void(QMenu*)> search = [&](QMenu* menu) {
      emit menu->aboutToShow();
      for (QAction* action : menu->actions()) {
        if (action->menu()) search(action->menu());
        else if (action->text() == text) chosen = action;
      }
    };
    for (QAction* action : bar->actions())
      if (action->menu()) search(action->menu());
    ASSERT_NE(nullptr, chosen) << text.toStdString();
    chosen->trigger();
    Settle();
  }

  /// Checks the real buttons against the row rule, in the area the box stands in, and returns
  /// the number of rows.
  int ExpectRows() {
    QWidget* view = user_p::WidgetOf(m_view->m_hWnd);
    QWidget* box = Item(IDC_PHOTOBOOTH_SHORTCUTS);
    if (!view || !box || !box->parentWidget()) {
      ADD_FAILURE() << "no shortcut box";
      return 0;
    }
    QWidget* area = box->parentWidget();
    EXPECT_TRUE(box->isVisible());
    const QRect group = box->geometry();
    const QWidget* first = Item(IDC_PHOTOBOOTH_PRINTER_SETUP);
    const int h = first->height();
    const int gap = h / 8;
    EXPECT_GT(gap, 0);
    int x = group.left() + gap, top = first->y(), rows = 1;
    bool rowEmpty = true;
    std::vector<QRect> placed;
    for (const PhotoboothShortcutButton& entry : g_photoboothShortcutButtons) {
      SCOPED_TRACE(entry.id);
      QWidget* button = Item(entry.id);
      if (!button) {
        ADD_FAILURE() << "missing button";
        continue;
      }
      if (!entry.shown) {
        EXPECT_FALSE(button->isVisible()) << "a hidden button";
        continue;
      }
      EXPECT_TRUE(button->isVisible());
      const int width = button->width();
      if (!rowEmpty && x + gap + width > area->width()) {
        x = group.left() + gap;
        top += gap + h;
        ++rows;
      }
      EXPECT_EQ(QRect(x, top, width, h), button->geometry());
      EXPECT_TRUE(group.contains(button->geometry())) << "inside the box";
      EXPECT_GE(width, button->sizeHint().width()) << "its text fits";
      for (const QRect& other : placed) EXPECT_FALSE(other.intersects(button->geometry())) << "overlaps another";
      placed.push_back(button->geometry());
      x += gap + width;
      rowEmpty = false;
    }
    // The box spans the area less a gap each side; its bottom follows the last row.
    EXPECT_EQ(gap, group.left());
    EXPECT_EQ(area->width() - gap, group.left() + group.width());
    EXPECT_EQ(top + h + gap, group.top() + group.height());
    EXPECT_EQ(group.top() + group.height(), area->height()) << "the area is as tall as the rows";
    // The area keeps clear of every other box of the form and stays inside the window.
    const QRect areaInView = RectIn(area, view);
    EXPECT_TRUE(view->rect().contains(areaInView));
    for (QGroupBox* other : view->findChildren<QGroupBox*>()) {
      if (other == box) continue;
      SCOPED_TRACE(other->title().toStdString());
      EXPECT_FALSE(RectIn(other, view).intersects(areaInView));
    }
    return rows;
  }
};

TEST_F(MyQuilletFormShortcutsTest, ButtonsStandInRowsThatFollowTheWindowsSizeAndTheMenuCommand) {
  // Edit QR Code hidden: the wizard takes its slot beside Printer Setup.
  ShortcutFlags flags({true, false, true, true, true, true, true});
  m_view->m_bPhotoboothShowDashboard = TRUE;
  Connect();
  Release();
  ASSERT_NE(nullptr, m_view->m_pCurrentJpeg);

  int rowsAt[2] = {0, 0};
  const QSize sizes[2] = {{1920, 1080}, {1024, 768}};
  for (int i = 0; i < 2; ++i) {
    SCOPED_TRACE(sizes[i].width());
    m_harness->m_frame->MoveWindow(0, 0, sizes[i].width(), sizes[i].height());
    Settle();
    rowsAt[i] = ExpectRows();
    ExpectFormFits();
  }
  EXPECT_LT(rowsAt[0], rowsAt[1]) << "a wider window needs fewer rows";
  const QRect wizard = Item(IDC_PHOTOBOOTH_SETUP_WIZARD)->geometry();
  const QRect printer = Item(IDC_PHOTOBOOTH_PRINTER_SETUP)->geometry();
  EXPECT_EQ(printer.top(), wizard.top());
  EXPECT_EQ(printer.left() + printer.width() + printer.height() / 8, wizard.left()) << "the hidden one takes no slot";

  // The menu's "Photobooth Shortcuts" hides the row and its room, and brings both back.
  QWidget* box = Item(IDC_PHOTOBOOTH_SHORTCUTS);
  QWidget* area = box->parentWidget();
  ChooseMenuItem("Photobooth Shortcuts");
  EXPECT_FALSE(m_view->m_bPhotoboothShowDashboard);
  EXPECT_FALSE(box->isVisible());
  for (const PhotoboothShortcutButton& entry : g_photoboothShortcutButtons)
    EXPECT_FALSE(Item(entry.id)->isVisible()) << entry.id;
  EXPECT_EQ(0, area->height());
  ChooseMenuItem("Photobooth Shortcuts");
  EXPECT_TRUE(m_view->m_bPhotoboothShowDashboard);
  {
    SCOPED_TRACE("shown again");
    EXPECT_EQ(rowsAt[1], ExpectRows());
  }
}

}  // namespace
