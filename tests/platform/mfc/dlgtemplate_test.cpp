// A group of a dialog template that the program places itself: its controls stand in an area
// of their own that keeps its place in the layout, follows their rows in height and passes
// their clicks on to the dialog.
#include <gtest/gtest.h>

#include <QApplication>
#include <QGroupBox>
#include <QMouseEvent>
#include <QWidget>

#include "platform/mfc/afxwin.h"
#include "platform/user/window_p.h"

namespace {

enum { IDD_PLACED = 9201, IDC_PLACED_BOX = 1201, IDC_PLACED_ONE = 1202, IDC_PLACED_TWO = 1203, IDC_ABOVE = 1204 };

class CPlacedDlg : public CDialog {
 public:
  CPlacedDlg() : CDialog(IDD_PLACED) {
    DlgTemplate dialog{IDD_PLACED,
                       "Placed",
                       {{IDC_ABOVE, DlgItemKind::Combo, "Above:", nullptr, 0, 0, "Settings"},
                        {IDC_PLACED_ONE, DlgItemKind::Button, "One", nullptr, 0, 0, "Row"},
                        {IDC_PLACED_TWO, DlgItemKind::Button, "Two\nlines", nullptr, 0, 0, "Row"}}};
    dialog.groupIds = {{"Row", IDC_PLACED_BOX}};
    dialog.placedGroups = {"Row"};
    AfxRegisterDialogTemplate(dialog);
  }
  std::vector<int> m_clicked;

 protected:
  BOOL OnCommand(WPARAM wParam, LPARAM lParam) override {
    if (HIWORD(wParam) == BN_CLICKED) m_clicked.push_back(LOWORD(wParam));
    return CDialog::OnCommand(wParam, lParam);
  }
};

void Settle() {
  for (int i = 0; i < 5; ++i) QApplication::processEvents();
}

QRect RectIn(QWidget* widget, QWidget* ancestor) { return QRect(widget->mapTo(ancestor, QPoint(0, 0)), widget->size()); }

void Click(QWidget* widget) {
  QPointF centre(widget->width() / 2.0, widget->height() / 2.0);
  QMouseEvent press(QEvent::MouseButtonPress, centre, widget->mapToGlobal(centre), Qt::LeftButton, Qt::LeftButton,
                    Qt::NoModifier);
  QMouseEvent release(QEvent::MouseButtonRelease, centre, widget->mapToGlobal(centre), Qt::LeftButton, Qt::NoButton,
                      Qt::NoModifier);
  QApplication::sendEvent(widget, &press);
  QApplication::sendEvent(widget, &release);
}

}  // namespace

TEST(DlgTemplateTest, APlacedGroupsAreaFollowsItsControlsAndPassesTheirClicksOn) {
  CPlacedDlg dialog;
  ASSERT_TRUE(dialog.Create(IDD_PLACED));
  Settle();
  HWND box = ::GetDlgItem(dialog.m_hWnd, IDC_PLACED_BOX);
  HWND one = ::GetDlgItem(dialog.m_hWnd, IDC_PLACED_ONE);
  HWND two = ::GetDlgItem(dialog.m_hWnd, IDC_PLACED_TWO);
  ASSERT_TRUE(box && one && two);
  HWND area = ::GetParent(box);
  ASSERT_NE(dialog.m_hWnd, area);
  EXPECT_EQ(dialog.m_hWnd, ::GetParent(area));
  EXPECT_EQ(area, ::GetParent(one));
  EXPECT_EQ(area, ::GetParent(two));
  QWidget* areaWidget = user_p::WidgetOf(area);
  QWidget* oneWidget = user_p::WidgetOf(one);
  QWidget* twoWidget = user_p::WidgetOf(two);
  QWidget* above = user_p::WidgetOf(::GetDlgItem(dialog.m_hWnd, IDC_ABOVE));
  QWidget* window = user_p::WidgetOf(dialog.m_hWnd);
  ASSERT_TRUE(areaWidget && oneWidget && twoWidget && above && window);

  // First places: one to a row inside the box, both as tall as the taller, below the other box.
  EXPECT_EQ(oneWidget->height(), twoWidget->height());
  EXPECT_GE(twoWidget->y(), oneWidget->y() + oneWidget->height());
  EXPECT_TRUE(user_p::WidgetOf(box)->geometry().contains(twoWidget->geometry()));
  EXPECT_FALSE(RectIn(areaWidget, window).intersects(RectIn(above, window)));
  EXPECT_EQ(user_p::WidgetOf(box)->geometry().bottom() + 1, areaWidget->height());

  // The program's own places, in the area's coordinates; the area grows and shrinks with them.
  RECT client{};
  ::GetClientRect(area, &client);
  EXPECT_EQ(areaWidget->width(), client.right);
  ::MoveWindow(box, 0, 0, client.right, 40, TRUE);
  ::MoveWindow(one, 4, 10, 50, 20, TRUE);
  ::MoveWindow(two, 4, 120, 50, 30, TRUE);
  Settle();
  EXPECT_EQ(150, areaWidget->height());
  EXPECT_EQ(QRect(4, 120, 50, 30), RectIn(twoWidget, areaWidget));
  ::ShowWindow(two, SW_HIDE);
  Settle();
  EXPECT_EQ(40, areaWidget->height());
  ::ShowWindow(box, SW_HIDE);
  ::ShowWindow(one, SW_HIDE);
  Settle();
  EXPECT_EQ(0, areaWidget->height());
  ::ShowWindow(box, SW_SHOW);
  ::ShowWindow(one, SW_SHOW);
  ::ShowWindow(two, SW_SHOW);
  Settle();
  EXPECT_EQ(150, areaWidget->height());

  // A click on a placed button reaches the dialog as its own control's.
  Click(twoWidget);
  Click(oneWidget);
  EXPECT_EQ((std::vector<int>{IDC_PLACED_TWO, IDC_PLACED_ONE}), dialog.m_clicked);
  dialog.DestroyWindow();
}
