#include "printlayout/MyEdit.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QImage>
#include <QWidget>

#include "platform/mfc/afxwin.h"
#include "platform/user/window_p.h"

namespace {

enum { IDD_MYEDIT_TEST = 9401, IDC_MYEDIT_TEST = 1198 };

// A parent that counts how often its edit asks for colours and gives none itself.
class CColourParentDlg : public CDialog {
 public:
  CColourParentDlg() : CDialog(IDD_MYEDIT_TEST) {}
  int m_nAsked = 0;
  CMyEdit m_edit;

 protected:
  HBRUSH OnCtlColor(CDC* dc, CWnd* wnd, UINT kind) override {
    if (kind == CTLCOLOR_EDIT) ++m_nAsked;
    return CDialog::OnCtlColor(dc, wnd, kind);
  }
};

void Settle() {
  for (int i = 0; i < 5; ++i) QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

QRgb Middle(HWND edit) {
  QWidget* widget = user_p::WidgetOf(edit);
  QImage shot = widget->grab().toImage();
  return shot.pixel(shot.width() / 2, shot.height() / 2);
}

TEST(MyEditTest, PaintsTheOwnersColourAndZeroBringsBackTheSystemColours) {
  AfxRegisterDialogTemplate({IDD_MYEDIT_TEST, "Edit colours", {{IDC_MYEDIT_TEST, DlgItemKind::Edit, "Left:"}}, 0});
  CColourParentDlg dialog;
  ASSERT_TRUE(dialog.Create(IDD_MYEDIT_TEST));
  ASSERT_TRUE(dialog.m_edit.SubclassDlgItem(IDC_MYEDIT_TEST, &dialog));
  dialog.ShowWindow(SW_SHOW);
  const QRgb system = Middle(dialog.m_edit.m_hWnd);

  dialog.m_edit.SetBackgroundColour(RGB(200, 255, 200));
  EXPECT_EQ(Middle(dialog.m_edit.m_hWnd), qRgb(200, 255, 200));
  Settle();
  const int asked = dialog.m_nAsked;
  EXPECT_GT(asked, 0) << "the edit asks its parent first";
  dialog.m_edit.SetBackgroundColour(RGB(200, 255, 200));
  Settle();
  EXPECT_EQ(dialog.m_nAsked, asked) << "the same colour again repaints nothing";

  dialog.m_edit.SetBackgroundColour(0);
  EXPECT_EQ(Middle(dialog.m_edit.m_hWnd), system);
  dialog.DestroyWindow();
}

}  // namespace
