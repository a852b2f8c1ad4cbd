#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QImage>
#include <QMouseEvent>
#include <QTest>
#include <vector>

#include "platform/mfc/afxwin.h"
#include "platform/user/window_p.h"

namespace {

enum { IDD_LISTS = 9401, IDC_REPORT = 1301, IDC_ICONS = 1302 };

struct Notice {
  UINT code;
  int item;
  UINT oldState;
  UINT newState;
  LPARAM data;
};

// A dialog holding a report list and an icon list; it records the lists' notifications and
// draws the icon list's items itself when asked to.
class CListsDlg : public CDialog {
 public:
  CListsDlg() : CDialog(IDD_LISTS) {}
  CListCtrl m_report;
  CListCtrl m_icons;
  std::vector<Notice> m_notices;
  std::vector<RECT> m_drawnRects;
  bool m_drawItems = false;

  void DoDataExchange(CDataExchange* dx) override {
    DDX_Control(dx, IDC_REPORT, m_report);
    DDX_Control(dx, IDC_ICONS, m_icons);
  }
  BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result) override {
    auto* hdr = reinterpret_cast<NMHDR*>(lParam);
    if (hdr->code == NM_CUSTOMDRAW && wParam == IDC_ICONS && m_drawItems) {
      auto* draw = reinterpret_cast<NMLVCUSTOMDRAW*>(lParam);
      if (draw->nmcd.dwDrawStage == CDDS_PREPAINT) {
        *result = CDRF_NOTIFYITEMDRAW;
      } else if (draw->nmcd.dwDrawStage == CDDS_ITEMPREPAINT) {
        // Each item paints its box in the colour held as its data.
        m_drawnRects.push_back(draw->nmcd.rc);
        CDC::FromHandle(draw->nmcd.hdc)->FillSolidRect(&draw->nmcd.rc, static_cast<COLORREF>(draw->nmcd.lItemlParam));
        *result = CDRF_SKIPDEFAULT;
      }
      return TRUE;
    }
    if (hdr->code == LVN_ITEMCHANGED) {
      auto* change = reinterpret_cast<NMLISTVIEW*>(lParam);
      m_notices.push_back({hdr->code, change->iItem, change->uOldState, change->uNewState, change->lParam});
    } else if (hdr->code == NM_CLICK || hdr->code == NM_DBLCLK) {
      auto* activate = reinterpret_cast<NMITEMACTIVATE*>(lParam);
      m_notices.push_back({hdr->code, activate->iItem, 0, 0, activate->lParam});
    }
    return CDialog::OnNotify(wParam, lParam, result);
  }
};

class ListCtrlTest : public ::testing::Test {
 protected:
  void SetUp() override {
    AfxRegisterDialogTemplate({IDD_LISTS,
                               "Lists",
                               {{IDC_REPORT, DlgItemKind::Report, "Emails:"},
                                {IDC_ICONS, DlgItemKind::Icons, "Templates:"},
                                {IDCANCEL, DlgItemKind::Button, "Cancel"}}});
    ASSERT_TRUE(m_dialog.Create(IDD_LISTS));
    QApplication::processEvents();
  }
  void TearDown() override { m_dialog.DestroyWindow(); }

  QAbstractItemView* ViewOf(CListCtrl& list) {
    QWidget* widget = user_p::WidgetOf(list.m_hWnd);
    return widget ? widget->findChild<QAbstractItemView*>() : nullptr;
  }
  void FillReport(int rows) {
    m_dialog.m_report.InsertColumn(0, "Date/Time", LVCFMT_LEFT, 120);
    m_dialog.m_report.InsertColumn(1, "To", LVCFMT_LEFT, 150);
    m_dialog.m_report.InsertColumn(2, "Photo", LVCFMT_LEFT, 500);
    for (int i = 0; i < rows; ++i) {
      CString when;
      when.Format("2026/01/%02d 10:00:00", i + 1);
      int item = m_dialog.m_report.InsertItem(i, when);
      m_dialog.m_report.SetItemText(item, 1, "guest@example.com");
      m_dialog.m_report.SetItemData(item, 100 + i);
    }
  }

  CListsDlg m_dialog;
};

}  // namespace

TEST_F(ListCtrlTest, ReportRowsKeepTheirTextDataAndOrder) {
  CListCtrl& list = m_dialog.m_report;
  FillReport(3);
  EXPECT_EQ(list.InsertItem(1, "inserted"), 1);  // rows below move down
  list.SetItemText(1, 2, "/photos/a.jpg");
  EXPECT_FALSE(list.SetItemText(1, 3, "no such column"));
  EXPECT_FALSE(list.SetItemText(9, 0, "no such row"));
  EXPECT_EQ(list.InsertItem(99, "appended"), 5 - 1);  // past the end appends

  struct Row {
    int item, subItem;
    const char* text;
  } rows[] = {{0, 0, "2026/01/01 10:00:00"}, {1, 0, "inserted"},          {1, 2, "/photos/a.jpg"},
              {2, 0, "2026/01/02 10:00:00"}, {2, 1, "guest@example.com"}, {2, 2, ""},
              {4, 0, "appended"},            {5, 0, ""},                  {0, 7, ""}};
  for (const Row& row : rows) {
    SCOPED_TRACE(testing::Message() << row.item << "," << row.subItem);
    EXPECT_EQ(list.GetItemText(row.item, row.subItem), row.text);
  }
  EXPECT_EQ(list.GetItemCount(), 5);
  EXPECT_EQ(list.GetItemData(2), 101u);
  EXPECT_EQ(list.GetItemData(1), 0u);
  EXPECT_EQ(list.GetItemData(42), 0u);

  CString longText('x', 700);  // longer than the first buffer GetItemText tries
  list.SetItemText(3, 2, longText);
  EXPECT_EQ(list.GetItemText(3, 2), longText);

  EXPECT_TRUE(list.DeleteItem(1));
  EXPECT_EQ(list.GetItemText(1, 0), "2026/01/02 10:00:00");
  EXPECT_FALSE(list.DeleteItem(4));
  EXPECT_TRUE(list.DeleteAllItems());
  EXPECT_EQ(list.GetItemCount(), 0);
}

TEST_F(ListCtrlTest, SelectionIsWalkedWithGetNextItemAndReportedAsItemChanged) {
  CListCtrl& list = m_dialog.m_report;
  FillReport(5);
  m_dialog.m_notices.clear();
  EXPECT_EQ(list.GetNextItem(-1, LVNI_SELECTED), -1);
  EXPECT_EQ(list.GetFirstSelectedItemPosition(), nullptr);

  list.SetItemState(1, LVIS_SELECTED, LVIS_SELECTED);
  list.SetItemState(3, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
  EXPECT_EQ(list.GetSelectedCount(), 2u);
  EXPECT_EQ(list.GetNextItem(-1, LVNI_SELECTED), 1);
  EXPECT_EQ(list.GetNextItem(1, LVNI_SELECTED), 3);
  EXPECT_EQ(list.GetNextItem(3, LVNI_SELECTED), -1);
  EXPECT_EQ(list.GetNextItem(-1, LVNI_FOCUSED), 3);
  EXPECT_EQ(list.GetNextItem(2, LVNI_ALL), 3);
  EXPECT_EQ(list.GetItemState(3, LVIS_SELECTED | LVIS_FOCUSED), LVIS_SELECTED | LVIS_FOCUSED);
  EXPECT_EQ(list.GetItemState(2, LVIS_SELECTED), 0u);

  std::vector<int> walked;
  for (POSITION pos = list.GetFirstSelectedItemPosition(); pos;) walked.push_back(list.GetNextSelectedItem(pos));
  EXPECT_EQ(walked, (std::vector<int>{1, 3}));

  list.SetItemState(-1, 0, LVIS_SELECTED);  // -1: every item
  EXPECT_EQ(list.GetSelectedCount(), 0u);

  struct Expected {
    int item;
    UINT oldState, newState;
    LPARAM data;
  } expected[] = {{1, 0, LVIS_SELECTED, 101}, {3, 0, LVIS_SELECTED, 103}, {1, LVIS_SELECTED, 0, 101},
                  {3, LVIS_SELECTED, 0, 103}};
  ASSERT_EQ(m_dialog.m_notices.size(), std::size(expected));
  for (size_t i = 0; i < std::size(expected); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(m_dialog.m_notices[i].code, LVN_ITEMCHANGED);
    EXPECT_EQ(m_dialog.m_notices[i].item, expected[i].item);
    EXPECT_EQ(m_dialog.m_notices[i].oldState, expected[i].oldState);
    EXPECT_EQ(m_dialog.m_notices[i].newState, expected[i].newState);
    EXPECT_EQ(m_dialog.m_notices[i].data, expected[i].data);
  }

  // Deleting a selected item is not a state change.
  list.SetItemState(0, LVIS_SELECTED, LVIS_SELECTED);
  m_dialog.m_notices.clear();
  list.DeleteAllItems();
  EXPECT_TRUE(m_dialog.m_notices.empty());
}

TEST_F(ListCtrlTest, DoubleClickOnAnItemTellsTheParentWhichItem) {
  CListCtrl& list = m_dialog.m_report;
  FillReport(3);
  QApplication::processEvents();
  RECT rect;
  ASSERT_TRUE(list.GetItemRect(2, &rect, LVIR_BOUNDS));
  QAbstractItemView* view = ViewOf(list);
  ASSERT_NE(view, nullptr);
  QPointF at(rect.left + 10, (rect.top + rect.bottom) / 2);
  QPointF global = view->viewport()->mapToGlobal(at);
  m_dialog.m_notices.clear();
  for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease, QEvent::MouseButtonDblClick,
                            QEvent::MouseButtonRelease}) {
    Qt::MouseButtons buttons = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent event(type, at, global, Qt::LeftButton, buttons, Qt::NoModifier);
    QApplication::sendEvent(view->viewport(), &event);
  }
  std::vector<UINT> codes;
  int doubleClicked = -1;
  for (const Notice& notice : m_dialog.m_notices) {
    if (notice.code == LVN_ITEMCHANGED) continue;
    codes.push_back(notice.code);
    if (notice.code == NM_DBLCLK) doubleClicked = notice.item;
  }
  EXPECT_EQ(codes.front(), NM_CLICK);
  EXPECT_NE(std::find(codes.begin(), codes.end(), NM_DBLCLK), codes.end());
  EXPECT_EQ(doubleClicked, 2);
  EXPECT_EQ(list.GetNextItem(-1, LVNI_SELECTED), 2) << "the click selects the row";
}

TEST_F(ListCtrlTest, EnsureVisibleScrollsTheItemIntoView) {
  CListCtrl& list = m_dialog.m_report;
  FillReport(200);
  QApplication::processEvents();
  QAbstractItemView* view = ViewOf(list);
  ASSERT_NE(view, nullptr);
  int height = view->viewport()->height();
  RECT rect;
  ASSERT_TRUE(list.GetItemRect(150, &rect, LVIR_BOUNDS));
  ASSERT_GT(rect.top, height) << "row 150 starts out of view";
  EXPECT_TRUE(list.EnsureVisible(150, FALSE));
  ASSERT_TRUE(list.GetItemRect(150, &rect, LVIR_BOUNDS));
  EXPECT_GE(rect.top, 0);
  EXPECT_LE(rect.bottom, height);
  EXPECT_FALSE(list.EnsureVisible(200, FALSE));
}

TEST_F(ListCtrlTest, IconItemsFillTheirSpacingAndAreDrawnByTheParent) {
  CListCtrl& list = m_dialog.m_icons;
  CImageList images;
  ASSERT_TRUE(images.Create(40, 40, ILC_COLOR24, 10, 10));
  EXPECT_EQ(list.SetImageList(&images, LVSIL_NORMAL), nullptr);
  list.SetIconSpacing(50, 60);
  const COLORREF colours[] = {RGB(200, 0, 0), RGB(0, 160, 0), RGB(0, 0, 220)};
  for (int i = 0; i < 3; ++i) {
    list.InsertItem(i, "template");
    list.SetItemData(i, colours[i]);
  }
  m_dialog.m_drawItems = true;
  QAbstractItemView* view = ViewOf(list);
  ASSERT_NE(view, nullptr);
  view->viewport()->resize(200, 100);  // room for three cells in a row
  QApplication::processEvents();
  m_dialog.m_drawnRects.clear();
  QImage picture = view->viewport()->grab().toImage();
  ASSERT_EQ(m_dialog.m_drawnRects.size(), 3u);

  for (int i = 0; i < 3; ++i) {
    SCOPED_TRACE(i);
    RECT rect;
    ASSERT_TRUE(list.GetItemRect(i, &rect, LVIR_BOUNDS));
    EXPECT_EQ(rect.right - rect.left, 50);
    EXPECT_EQ(rect.bottom - rect.top, 60);
    const RECT& drawn = m_dialog.m_drawnRects[i];
    EXPECT_EQ(drawn.left, rect.left);
    EXPECT_EQ(drawn.top, rect.top);
    QColor pixel = picture.pixelColor((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
    EXPECT_EQ(pixel.red(), GetRValue(colours[i]));
    EXPECT_EQ(pixel.green(), GetGValue(colours[i]));
    EXPECT_EQ(pixel.blue(), GetBValue(colours[i]));
  }
}

// The keys reach the list the way the window system hands them over: to the focus widget
// of the active dialog, after the focus came to the list from another control.
TEST_F(ListCtrlTest, FirstDownOrUpOnAListWithNoCurrentRowSelectsTheFirstRow) {
  struct Row {
    const char* name;
    std::vector<Qt::Key> keys;
    int expected;
  } rows[] = {{"Down", {Qt::Key_Down}, 0},
              {"Up", {Qt::Key_Up}, 0},
              {"Down, Down", {Qt::Key_Down, Qt::Key_Down}, 1},
              {"Down, Down, Up", {Qt::Key_Down, Qt::Key_Down, Qt::Key_Up}, 0}};
  CListCtrl& list = m_dialog.m_report;
  FillReport(3);
  QWidget* window = user_p::WidgetOf(m_dialog.m_hWnd);
  ASSERT_NE(window, nullptr);
  window->show();
  window->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(window));
  QAbstractItemView* view = ViewOf(list);
  ASSERT_NE(view, nullptr);
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    // A list filled again has no current row.
    list.DeleteAllItems();
    for (int i = 0; i < 3; ++i) list.InsertItem(i, "row");
    m_dialog.GotoDlgCtrl(m_dialog.GetDlgItem(IDCANCEL));
    m_dialog.GotoDlgCtrl(&list);
    QApplication::processEvents();
    ASSERT_EQ(QApplication::focusWidget(), view);
    EXPECT_EQ(list.GetNextItem(-1, LVNI_FOCUSED), -1) << "the focus alone makes no row current";
    for (Qt::Key key : row.keys) QTest::keyClick(QApplication::focusWidget(), key);
    EXPECT_EQ(list.GetNextItem(-1, LVNI_FOCUSED), row.expected);
    EXPECT_EQ(list.GetNextItem(-1, LVNI_SELECTED), row.expected);
    EXPECT_EQ(list.GetSelectedCount(), 1u);
  }
}

TEST(ImageListTest, PicturesKeepTheCellSizeAndDrawWhereAsked) {
  CImageList images;
  ASSERT_TRUE(images.Create(8, 8, ILC_COLOR32, 1, 1));
  EXPECT_FALSE(images.Create(8, 8, ILC_COLOR32, 1, 1)) << "already holds a list";
  std::vector<DWORD> red(4 * 4, 0xFFFF0000u);  // B,G,R,A bytes: pure red
  CBitmap bitmap;
  ASSERT_TRUE(bitmap.CreateBitmap(4, 4, 1, 32, red.data()));
  EXPECT_EQ(images.Add(&bitmap, nullptr), 0);
  EXPECT_EQ(images.Add(nullptr, nullptr), -1);
  EXPECT_EQ(images.GetImageCount(), 1);
  int cx = 0, cy = 0;
  EXPECT_TRUE(ImageList_GetIconSize(images, &cx, &cy));
  EXPECT_EQ(cx * 100 + cy, 808);

  CDC dc;
  ASSERT_TRUE(dc.CreateCompatibleDC(nullptr));
  CBitmap surface;
  ASSERT_TRUE(surface.CreateCompatibleBitmap(&dc, 20, 20));
  CBitmap* old = dc.SelectObject(&surface);
  dc.FillSolidRect(0, 0, 20, 20, RGB(255, 255, 255));
  EXPECT_TRUE(images.Draw(&dc, 0, POINT{5, 5}, ILD_NORMAL));
  EXPECT_FALSE(images.Draw(&dc, 1, POINT{0, 0}, ILD_NORMAL));
  EXPECT_EQ(dc.GetPixel(5, 5), RGB(255, 0, 0));
  EXPECT_EQ(dc.GetPixel(12, 12), RGB(255, 0, 0)) << "scaled up to the 8 x 8 cell";
  EXPECT_EQ(dc.GetPixel(13, 13), RGB(255, 255, 255));
  EXPECT_EQ(dc.GetPixel(4, 4), RGB(255, 255, 255));
  dc.SelectObject(old);
  EXPECT_TRUE(images.DeleteImageList());
  EXPECT_EQ(images.GetImageCount(), 0);
}
