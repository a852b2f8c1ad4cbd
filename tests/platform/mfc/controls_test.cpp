#include <gtest/gtest.h>

#include "platform/mfc/afxwin.h"

TEST(ControlClassesTest, WrappersBoundByDdxControlDriveTheirControls) {
  enum { IDD_CONTROLS = 9301, IDC_MODE = 1201, IDC_ZOOM = 1202, IDC_DONE = 1203, IDC_COUNT = 1204, IDC_SPIN = 1205 };
  AfxRegisterDialogTemplate({IDD_CONTROLS,
                             "Controls",
                             {{IDC_MODE, DlgItemKind::Combo, "Mode:"},
                              {IDC_ZOOM, DlgItemKind::Slider, "Zoom:", nullptr, 0, 8},
                              {IDC_DONE, DlgItemKind::Progress, "Done:", nullptr, 0, 100},
                              {IDC_COUNT, DlgItemKind::Edit, "Count:"},
                              {IDC_SPIN, DlgItemKind::Spin, nullptr, nullptr, 1, 5}},
                             0});
  class CControlsDlg : public CDialog {
   public:
    CControlsDlg() : CDialog(IDD_CONTROLS) {}
    CComboBox m_mode;
    CSliderCtrl m_zoom;
    CProgressCtrl m_done;
    CSpinButtonCtrl m_spin;
    void DoDataExchange(CDataExchange* dx) override {
      DDX_Control(dx, IDC_MODE, m_mode);
      DDX_Control(dx, IDC_ZOOM, m_zoom);
      DDX_Control(dx, IDC_DONE, m_done);
      DDX_Control(dx, IDC_SPIN, m_spin);
    }
  } dialog;
  ASSERT_TRUE(dialog.Create(IDD_CONTROLS));
  EXPECT_FALSE(dialog.IsWindowVisible());  // the template has no WS_VISIBLE
  EXPECT_EQ(CWnd::FromHandlePermanent(dialog.m_mode.m_hWnd), &dialog.m_mode);

  EXPECT_EQ(dialog.m_mode.AddString("Manual"), 0);
  EXPECT_EQ(dialog.m_mode.AddString("Auto"), 1);
  dialog.m_mode.SetItemData(1, 42);
  EXPECT_EQ(dialog.m_mode.SelectString(-1, "au"), 1);
  CString text;
  dialog.m_mode.GetLBText(dialog.m_mode.GetCurSel(), text);
  EXPECT_EQ(text, "Auto");
  EXPECT_EQ(dialog.m_mode.GetItemData(1), 42u);
  dialog.m_mode.GetLBText(9, text);
  EXPECT_EQ(text, "");

  EXPECT_EQ(dialog.m_zoom.GetRangeMax(), 8);
  dialog.m_zoom.SetPos(5);
  EXPECT_EQ(dialog.m_zoom.GetPos(), 5);
  dialog.m_done.SetPos(30);
  EXPECT_EQ(dialog.m_done.OffsetPos(20), 30);
  EXPECT_EQ(dialog.m_done.GetPos(), 50);

  // The spin's arrows write into the edit beside it.
  dialog.m_spin.SetPos32(4);
  EXPECT_EQ(dialog.m_spin.GetPos32(), 4);
  EXPECT_EQ(dialog.m_spin.SetPos32(99), 4);
  EXPECT_EQ(dialog.m_spin.GetPos32(), 5);  // clamped into its range
  dialog.DestroyWindow();
}
