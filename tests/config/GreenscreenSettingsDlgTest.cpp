#include "config/GreenscreenSettingsDlg.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QLineEdit>
#include <string>
#include <vector>

#include "ConfigTestSupport.h"
#include "config/GridDlg.h"
#include "platform/mfc/dialogscript.h"
#include "platform/user/window.h"
#include "platform/win32/sync.h"

namespace {

struct Posted {
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
};

// A window that stands for the booth: it records what the settings post to it.
class RecordingParent : public CGridDlg {
 public:
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
    if (message >= WM_GREENSCREEN_THRESHOLD && message <= WM_GREENSCREEN_FLAGS)
      m_posted.push_back({message, wParam, lParam});
    return CGridDlg::WindowProc(message, wParam, lParam);
  }
  std::vector<Posted> m_posted;
};

void Pump(DWORD ms) {
  DWORD start = GetTickCount();
  while (GetTickCount() - start < ms) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
}

bool Visible(CDialog* dialog, int id) {
  CWnd* item = dialog->GetDlgItem(id);
  return item && item->IsWindowVisible();
}

class GreenscreenSettingsDlgTest : public testing::Test {
 protected:
  void SetUp() override {
    ClearDialogScripts();
    ASSERT_TRUE(m_parent.Create(IDD_GRID, nullptr));
  }
  void TearDown() override {
    m_parent.DestroyWindow();
    ClearDialogScripts();
  }
  RecordingParent m_parent;
};

TEST_F(GreenscreenSettingsDlgTest, EachTickLabelsTheSlidersAndPostsValuesWithoutPointers) {
  CGreenscreenSettingsDlg dialog(&m_parent, 1);
  dialog.m_nThreshold = 70;
  dialog.m_nRedLevel = 230;
  dialog.m_nThirdLevel = 179;
  dialog.m_bEnable = TRUE;
  dialog.m_strBackground = "/booth/greenscreen_background.jpg";
  RecordingParent* parent = &m_parent;
  CDialog* open = nullptr;
  std::string label, title, blueTitle;
  bool browseShown = true, pathEditable = true, saveShown = false;
  auto titleOf = [](CDialog* d) {
    CString text;
    d->GetWindowText(text);
    return std::string(text.GetString());
  };
  PushDialogScript(DialogScript(IDD_GREENSCREEN_SETTINGS)
                       .Call([&](CDialog* d) {
                         open = d;
                         browseShown = Visible(d, IDC_GREENSCREEN_BROWSE);
                         saveShown = Visible(d, IDC_GREENSCREEN_SAVE_COPY);
                         auto* edit = qobject_cast<QLineEdit*>(
                             user_p::WidgetOf(::GetDlgItem(d->m_hWnd, IDC_GREENSCREEN_BACKGROUND)));
                         pathEditable = !edit || !edit->isReadOnly();
                         title = titleOf(d);
                       })
                       .SetPos(IDC_GREENSCREEN_THRESHOLD, 42)
                       .RunUntil([parent] {
                         for (const Posted& p : parent->m_posted)
                           if (p.message == WM_GREENSCREEN_THRESHOLD && p.wParam == 42) return true;
                         return false;
                       })
                       .Call([&](CDialog* d) { label = Text(d, IDC_GREENSCREEN_THRESHOLD_LABEL); })
                       .SetCheck(IDC_GREENSCREEN_BLUE_MODE, BST_CHECKED)
                       .Call([&](CDialog* d) { blueTitle = titleOf(d); })
                       .RunUntil([&] { return Text(open, IDC_GREENSCREEN_THIRD_LABEL) == "Green level: 179"; })
                       .Press(IDOK));
  EXPECT_EQ(IDOK, dialog.DoModal());
  Pump(100);  // what the last tick posted
  EXPECT_EQ("Greenscreen Settings (green screen mode)", title);
  EXPECT_EQ("Greenscreen Settings (blue screen mode)", blueTitle);
  EXPECT_EQ("Green threshold: 42", label);
  EXPECT_FALSE(browseShown);
  EXPECT_FALSE(pathEditable);
  EXPECT_TRUE(saveShown);
  EXPECT_EQ(42, dialog.m_nThreshold);
  EXPECT_TRUE(dialog.m_bBlueScreen);

  ASSERT_GE(parent->m_posted.size(), 4u);
  for (size_t i = 0; i + 4 <= parent->m_posted.size(); i += 4) {
    SCOPED_TRACE(i);
    EXPECT_EQ(UINT(WM_GREENSCREEN_THRESHOLD), parent->m_posted[i].message);
    EXPECT_EQ(UINT(WM_GREENSCREEN_RED), parent->m_posted[i + 1].message);
    EXPECT_EQ(UINT(WM_GREENSCREEN_THIRD), parent->m_posted[i + 2].message);
    EXPECT_EQ(UINT(WM_GREENSCREEN_FLAGS), parent->m_posted[i + 3].message);
    // Values only: no address of the dialog's own text travels with them.
    EXPECT_EQ(0, parent->m_posted[i].lParam);
    EXPECT_EQ(0, parent->m_posted[i + 1].lParam);
    EXPECT_EQ(0, parent->m_posted[i + 2].lParam);
    EXPECT_EQ(230u, parent->m_posted[i + 1].wParam);
    EXPECT_EQ(1u, parent->m_posted[i + 3].wParam);
  }
  EXPECT_EQ(1, parent->m_posted.back().lParam);  // blue screen
  // The timer ended with the dialog.
  size_t count = parent->m_posted.size();
  Pump(600);
  EXPECT_EQ(count, parent->m_posted.size());
}

TEST_F(GreenscreenSettingsDlgTest, WithoutTheBoothModeTheBackgroundIsEditableAndSaveCopyHidden) {
  CGreenscreenSettingsDlg dialog(&m_parent, 0);
  bool browseShown = false, saveShown = true;
  PushDialogScript(DialogScript(IDD_GREENSCREEN_SETTINGS)
                       .Call([&](CDialog* d) {
                         browseShown = Visible(d, IDC_GREENSCREEN_BROWSE);
                         saveShown = Visible(d, IDC_GREENSCREEN_SAVE_COPY);
                       })
                       .SetText(IDC_GREENSCREEN_BACKGROUND, "/elsewhere/bg.jpg")
                       .Press(IDCANCEL));
  EXPECT_EQ(IDCANCEL, dialog.DoModal());
  EXPECT_TRUE(browseShown);
  EXPECT_FALSE(saveShown);
}

}  // namespace
