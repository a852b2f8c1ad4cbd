#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "camera/Camera.h"
#include "camera/CameraSelectionDlg.h"
#include "platform/mfc/dialogscript.h"
#include "tests/camera/SimTestSupport.h"

using namespace tavsim;

namespace {

// What the dialog showed when the script looked at it.
struct Shown {
  std::vector<std::string> names;
  std::vector<DWORD_PTR> data;
  int selected = -1;
};


DialogScript Look(Shown* shown) {
  return DialogScript(IDD_CAMERA_SELECTION).Call([shown](CDialog* dialog) {
    CComboBox* combo = static_cast<CComboBox*>(dialog->GetDlgItem(IDC_CAMERA_LIST));
    ASSERT_NE(combo, nullptr);
    for (int i = 0; i < combo->GetCount(); ++i) {
      CString text;
      combo->GetLBText(i, text);
      shown->names.push_back(text.GetString());
      shown->data.push_back(combo->GetItemData(i));
    }
    shown->selected = combo->GetCurSel();
  });
}

class CameraSelectionDlgTest : public ::testing::Test {
 protected:
  void SetUp() override {
    CCamera::SetCameraChooser(nullptr);  // the dialog, as the program has it
    ClearDialogScripts();
    SimCameraProfile g9 = SimSpec("Canon PowerShot G9 #1", kSimPr);
    g9.internalName = "usb-g9";
    SimCameraProfile sx110 = SimSpec("Canon PowerShot SX110 IS #2", kSimPr);
    sx110.internalName = "usb-sx110";
    StartSimulator({g9, sx110});
  }
  void TearDown() override { ClearDialogScripts(); }
};

}  // namespace

TEST_F(CameraSelectionDlgTest, ShowsBothCamerasWithThePreferredOneChosenAndConnectsToThePick) {
  Shown shown;
  PushDialogScript(Look(&shown).Select(IDC_CAMERA_LIST, 0).Press(IDOK));
  CCamera camera(nullptr);
  camera.Connect("USB-SX110");  // the preferred name matches whatever the case
  EXPECT_EQ(shown.names, (std::vector<std::string>{"canon powershot g9", "canon powershot sx110 is"}));
  EXPECT_EQ(shown.data, (std::vector<DWORD_PTR>{0, 1})) << "PRSDK entries carry their device index";
  EXPECT_EQ(shown.selected, 1);
  ASSERT_TRUE(camera.IsConnected());
  EXPECT_EQ(camera.GetModelName(), "Canon PowerShot G9") << "the pick, not the preselection";

  std::vector<ShownDialog> dialogs = GetShownDialogs();
  ASSERT_EQ(dialogs.size(), 1u);
  EXPECT_EQ(dialogs[0].templateId, 173u);
  EXPECT_EQ(dialogs[0].caption, "Camera Selection");
  EXPECT_EQ(dialogs[0].result, IDOK);
}

TEST_F(CameraSelectionDlgTest, WithoutAPreferredNameTheFirstCameraIsShownChosen) {
  Shown shown;
  PushDialogScript(Look(&shown).Select(IDC_CAMERA_LIST, 1).Press(IDOK));
  CCamera camera(nullptr);
  camera.Connect("");
  EXPECT_EQ(shown.selected, 0);
  ASSERT_TRUE(camera.IsConnected());
  EXPECT_EQ(camera.GetModelName(), "Canon PowerShot SX110 IS");
}

TEST_F(CameraSelectionDlgTest, CancelThrowsWithNothingLeftOpen) {
  PushDialogScript(DialogScript(IDD_CAMERA_SELECTION).Press(IDCANCEL));
  CCamera camera(nullptr);
  int thrown = 0;
  try {
    camera.Connect("");
  } catch (int code) {
    thrown = code;
  }
  EXPECT_EQ(thrown, 1);
  EXPECT_FALSE(camera.IsConnected());
  EXPECT_FALSE(Called("PR_CreateCameraObject"));
  EXPECT_FALSE(Called("CDOpenSource"));
  ASSERT_EQ(GetShownDialogs().size(), 1u);
  EXPECT_EQ(GetShownDialogs()[0].result, IDCANCEL);
}

TEST(CameraSelectionDlgUnitTest, OkAnswersTheSdkIndexOfTheChosenEntry) {
  CArray<CameraChoiceItem> items;
  items.Add({CString("powershot a640"), CAMERA_CHOICE_CDSDK});
  items.Add({CString("powershot s80"), CAMERA_CHOICE_CDSDK});
  items.Add({CString("canon powershot g9"), 3});
  struct Row {
    int pick, cdsdk, prsdk;
  } rows[] = {{0, 0, -1}, {1, 1, -1}, {2, -1, 3}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.pick);
    ClearDialogScripts();
    PushDialogScript(DialogScript(IDD_CAMERA_SELECTION).Select(IDC_CAMERA_LIST, row.pick).Press(IDOK));
    CCameraSelectionDlg dialog(nullptr, items, 0);
    ASSERT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(dialog.m_selection, row.pick);
    EXPECT_EQ(dialog.m_cdsdkIndex, row.cdsdk);
    EXPECT_EQ(dialog.m_prsdkIndex, row.prsdk);
  }
  ClearDialogScripts();
}
