// Renders a dialog built from a table into a PNG under the build's test-output folder, so the
// automatic form layout can be looked at (run under xvfb-run for the real window system).
#include <gtest/gtest.h>

#include <QDir>
#include <QImage>
#include <QPixmap>
#include <QWidget>

#include "platform/mfc/afxwin.h"
#include "platform/user/window_p.h"

namespace {

enum { IDD_DEMO = 9201, IDC_COPIES = 1101, IDC_COPIES_SPIN = 1102, IDC_PRINTER = 1103, IDC_CONFIRM = 1104,
       IDC_DELAY = 1105, IDC_EMAIL = 1106, IDC_COLOR = 1107, IDC_MONO = 1108 };

}  // namespace

TEST(DialogScreenshotTest, DemoDialogIsLaidOutAsATidyForm) {
  AfxRegisterDialogTemplate({IDD_DEMO,
                             "Photobooth Printing",
                             {
                                 {IDC_PRINTER, DlgItemKind::Combo, "Printer:", "PhotoboothPrinter"},
                                 {IDC_COPIES, DlgItemKind::Edit, "Copies:", "PhotoboothCopies", 1, 10},
                                 {IDC_COPIES_SPIN, DlgItemKind::Spin, nullptr, nullptr, 1, 10},
                                 {IDC_CONFIRM, DlgItemKind::Check, "Ask before printing", "ConfirmPrinting"},
                                 {IDC_DELAY, DlgItemKind::Slider, "Countdown (s):", "CountdownDelay", 0, 10, "Timing"},
                                 {IDC_COLOR, DlgItemKind::Radio, "Colour", "PrintMode", 0, 0, "Timing"},
                                 {IDC_MONO, DlgItemKind::Radio, "Black and white", nullptr, 0, 0, "Timing"},
                                 {IDC_EMAIL, DlgItemKind::Edit, "Send a copy to:", "ShareEmail", 0, 0, "Sharing"},
                                 {IDOK, DlgItemKind::DefButton, "OK"},
                                 {IDCANCEL, DlgItemKind::Button, "Cancel"},
                             }});
  CDialog dialog;
  ASSERT_TRUE(dialog.Create(IDD_DEMO));
  for (const char* printer : {"Tavorin PDF printer", "Photo printer (4x6)"}) {
    dialog.SendDlgItemMessage(IDC_PRINTER, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(printer));
  }
  dialog.SendDlgItemMessage(IDC_PRINTER, CB_SETCURSEL, 0);
  dialog.SetDlgItemText(IDC_COPIES, "2");
  dialog.CheckDlgButton(IDC_CONFIRM, BST_CHECKED);
  dialog.CheckDlgButton(IDC_COLOR, BST_CHECKED);
  dialog.SendDlgItemMessage(IDC_DELAY, TBM_SETPOS, TRUE, 3);

  QWidget* window = user_p::WidgetOf(dialog.m_hWnd);
  ASSERT_NE(window, nullptr);
  window->adjustSize();
  QPixmap shot = window->grab();
  QString folder = QString::fromUtf8(TAVORIN_BINARY_DIR) + "/test-output";
  QDir().mkpath(folder);
  QString path = folder + "/demo-dialog.png";
  ASSERT_TRUE(shot.save(path, "PNG"));
  EXPECT_FALSE(QImage(path).isNull());

  // Every control is visible, inside the dialog, and no two overlap.
  std::vector<std::pair<int, QRect>> placed;
  for (int id : std::initializer_list<int>{IDC_PRINTER, IDC_COPIES, IDC_COPIES_SPIN, IDC_CONFIRM, IDC_DELAY, IDC_COLOR, IDC_MONO, IDC_EMAIL,
                 IDOK, IDCANCEL}) {
    QWidget* control = user_p::WidgetOf(::GetDlgItem(dialog.m_hWnd, id));
    ASSERT_NE(control, nullptr) << id;
    EXPECT_TRUE(control->isVisible()) << id;
    QRect area(control->mapTo(window, QPoint(0, 0)), control->size());
    EXPECT_TRUE(window->rect().contains(area)) << id;
    EXPECT_GT(area.width(), 8) << id;
    for (auto& [other, otherArea] : placed) EXPECT_FALSE(area.intersects(otherArea)) << id << " overlaps " << other;
    placed.push_back({id, area});
  }
  // Buttons sit below everything else.
  QRect ok = placed[8].second;
  for (size_t i = 0; i < 8; ++i) EXPECT_LT(placed[i].second.bottom(), ok.top());
  dialog.DestroyWindow();
}

TEST(DialogScreenshotTest, ColumnStartsPlaceBoxesSideBySideAndHiddenControlsKeepTheirPlace) {
  enum { IDD_COLUMNS = 9202, IDC_A = 1201, IDC_B = 1202, IDC_C = 1203, IDC_D = 1204 };
  DlgTemplate columns{IDD_COLUMNS,
                      "Columns",
                      {
                          {IDC_A, DlgItemKind::Combo, "A:", nullptr, 0, 0, "Left"},
                          {IDC_B, DlgItemKind::Progress, "B:", nullptr, 0, 100, "Left"},
                          {IDC_C, DlgItemKind::Combo, "C:", nullptr, 0, 0, "Lower left"},
                          {IDC_D, DlgItemKind::Combo, "D:", nullptr, 0, 0, "Right"},
                      }};
  columns.columnStarts = {"Left", "Right"};
  AfxRegisterDialogTemplate(columns);
  CDialog dialog;
  ASSERT_TRUE(dialog.Create(IDD_COLUMNS));
  QWidget* window = user_p::WidgetOf(dialog.m_hWnd);
  ASSERT_NE(window, nullptr);
  ::ShowWindow(::GetDlgItem(dialog.m_hWnd, IDC_B), SW_HIDE);
  window->adjustSize();
  auto areaOf = [&](int id) {
    QWidget* control = user_p::WidgetOf(::GetDlgItem(dialog.m_hWnd, id));
    return control ? QRect(control->mapTo(window, QPoint(0, 0)), control->size()) : QRect();
  };
  // "Lower left" stays under "Left"; "Right" starts a column of its own beside them.
  EXPECT_GT(areaOf(IDC_C).top(), areaOf(IDC_A).bottom());
  EXPECT_GT(areaOf(IDC_D).left(), areaOf(IDC_A).right());
  EXPECT_LT(areaOf(IDC_D).top(), areaOf(IDC_C).top());
  // The hidden bar still has its width, as a hidden window keeps its rectangle.
  RECT bar{};
  ::GetClientRect(::GetDlgItem(dialog.m_hWnd, IDC_B), &bar);
  EXPECT_GT(bar.right, 40);
  EXPECT_GT(areaOf(IDC_C).top(), areaOf(IDC_B).bottom());
  dialog.DestroyWindow();
}
