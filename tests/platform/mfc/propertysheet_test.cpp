#include <gtest/gtest.h>

#include <QApplication>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWidget>
#include <QWindow>

#include "platform/mfc/afxwin.h"
#include "platform/mfc/dialogscript.h"
#include "platform/user/window_p.h"

namespace {

enum { IDD_PAGE_A = 9201, IDD_PAGE_B = 9202, IDD_PAGE_C = 9203, IDC_A_CHOICE = 1101, IDC_B_NAME = 1102,
       IDC_B_COUNT = 1103, IDC_C_FLAG = 1104 };

void RegisterPages() {
  AfxRegisterDialogTemplate({IDD_PAGE_A, "Step 1 of 3: Choose", {{IDC_A_CHOICE, DlgItemKind::Check, "Choice"}}});
  AfxRegisterDialogTemplate({IDD_PAGE_B,
                             "Step 2 of 3: Name",
                             {{IDC_B_NAME, DlgItemKind::Edit, "Name:"}, {IDC_B_COUNT, DlgItemKind::Edit, "Count:"}}});
  AfxRegisterDialogTemplate({IDD_PAGE_C, "Step 3 of 3: Finish", {{IDC_C_FLAG, DlgItemKind::Check, "Flag"}}});
}

// Records what the sheet asks of it; each page says which buttons it wants, as wizard pages do.
class CTestPage : public CPropertyPage {
 public:
  CTestPage(UINT id, DWORD buttons) : CPropertyPage(id), m_buttons(buttons) {}
  BOOL OnInitDialog() override {
    ++m_inits;
    return CPropertyPage::OnInitDialog();
  }
  BOOL OnSetActive() override {
    ++m_activations;
    GetParent()->PostMessage(PSM_SETWIZBUTTONS, 0, m_buttons);
    return CPropertyPage::OnSetActive();
  }
  LRESULT OnWizardNext() override { return m_refuseNext ? -1 : 0; }
  BOOL OnWizardFinish() override {
    ++m_finishes;
    return TRUE;
  }
  DWORD m_buttons;
  bool m_refuseNext = false;
  int m_inits = 0, m_activations = 0, m_finishes = 0;
};

class CPageA : public CTestPage {
 public:
  CPageA() : CTestPage(IDD_PAGE_A, PSWIZB_NEXT) {}
  void DoDataExchange(CDataExchange* dx) override { DDX_Check(dx, IDC_A_CHOICE, m_choice); }
  int m_choice = 0;
};

class CPageB : public CTestPage {
 public:
  CPageB() : CTestPage(IDD_PAGE_B, PSWIZB_BACK | PSWIZB_NEXT) {}
  void DoDataExchange(CDataExchange* dx) override {
    DDX_Text(dx, IDC_B_NAME, m_name);
    DDX_Text(dx, IDC_B_COUNT, m_count);
    DDV_MinMaxInt(dx, m_count, 1, 9);
  }
  CString m_name = "Booth";
  int m_count = 3;
};

class CPageC : public CTestPage {
 public:
  CPageC() : CTestPage(IDD_PAGE_C, PSWIZB_BACK | PSWIZB_FINISH) {}
  void DoDataExchange(CDataExchange* dx) override { DDX_Check(dx, IDC_C_FLAG, m_flag); }
  int m_flag = 0;
};

void Settle() {
  for (int i = 0; i < 5; ++i) QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

bool ButtonEnabled(CDialog* sheet, int id) {
  HWND button = ::GetDlgItem(sheet->m_hWnd, id);
  return button && ::IsWindowVisible(button) && ::IsWindowEnabled(button);
}

class PropertySheetTest : public ::testing::Test {
 protected:
  void SetUp() override {
    RegisterPages();
    ClearDialogScripts();
    ClearMessageBoxes();
    sheet.AddPage(&a);
    sheet.AddPage(&b);
    sheet.AddPage(&c);
    sheet.SetWizardMode();
  }
  void TearDown() override { ClearDialogScripts(); }
  CPageA a;
  CPageB b;
  CPageC c;
  CPropertySheet sheet{"Setup Wizard"};
};

TEST_F(PropertySheetTest, ScriptDrivesTheWizardPageByPageAndTheMembersKeepTheValues) {
  std::vector<std::string> captions;
  auto caption = [&](CDialog* dialog) {
    CString text;
    dialog->GetDlgItemText(AFX_IDC_PAGE_CAPTION, text);
    captions.push_back(text.str());
  };
  std::vector<bool> backShown;
  PushDialogScript(DialogScript(AFX_IDD_PROPSHEET)
                       .Call(caption)
                       .Call([&](CDialog* s) {
                         Settle();
                         backShown.push_back(ButtonEnabled(s, ID_WIZBACK));
                       })
                       .SetCheck(IDC_A_CHOICE, 1)
                       .Press(ID_WIZNEXT)
                       .Call([](CDialog*) { Settle(); })
                       .Call(caption)
                       .Call([&](CDialog* s) { backShown.push_back(ButtonEnabled(s, ID_WIZBACK)); })
                       .SetText(IDC_B_NAME, "Party")
                       .SetText(IDC_B_COUNT, "7")
                       .Press(ID_WIZNEXT)
                       .Call([](CDialog*) { Settle(); })
                       .Call(caption)
                       .SetCheck(IDC_C_FLAG, 1)
                       .Press(ID_WIZFINISH));
  EXPECT_EQ(ID_WIZFINISH, sheet.DoModal());
  EXPECT_EQ((std::vector<std::string>{"Step 1 of 3: Choose", "Step 2 of 3: Name", "Step 3 of 3: Finish"}), captions);
  Settle();
  EXPECT_EQ((std::vector<bool>{false, true}), backShown);
  EXPECT_EQ(1, a.m_choice);
  EXPECT_EQ("Party", std::string(b.m_name.str()));
  EXPECT_EQ(7, b.m_count);
  EXPECT_EQ(1, c.m_flag);
  EXPECT_EQ(1, c.m_finishes);
  auto shown = GetShownDialogs();
  ASSERT_EQ(1u, shown.size());
  EXPECT_EQ("Setup Wizard", shown[0].caption);
}

TEST_F(PropertySheetTest, FinishStaysHiddenUntilThePageAsksForItAndNextIsHiddenThen) {
  std::vector<std::pair<bool, bool>> nextFinish;
  auto look = [&](CDialog* s) {
    Settle();
    nextFinish.push_back({ButtonEnabled(s, ID_WIZNEXT), ButtonEnabled(s, ID_WIZFINISH)});
  };
  // A press on a button that is not offered does nothing.
  PushDialogScript(DialogScript(AFX_IDD_PROPSHEET)
                       .Call(look)
                       .Press(ID_WIZFINISH)
                       .Press(ID_WIZNEXT)
                       .Press(ID_WIZNEXT)
                       .Call(look)
                       .Call([&](CDialog*) { EXPECT_EQ(2, sheet.GetActiveIndex()); }));
  EXPECT_EQ(IDCANCEL, sheet.DoModal());
  EXPECT_EQ((std::vector<std::pair<bool, bool>>{{true, false}, {false, true}}), nextFinish);
  EXPECT_EQ(0, c.m_finishes);
}

TEST_F(PropertySheetTest, MinusOneOrARefusedValueKeepsThePageAndBackLeavesWithoutAskingOrANewInit) {
  a.m_refuseNext = true;
  std::vector<int> pages;
  auto where = [&](CDialog*) {
    Settle();
    pages.push_back(sheet.GetActiveIndex());
  };
  PushDialogScript(DialogScript(AFX_IDD_PROPSHEET)
                       .Press(ID_WIZNEXT)
                       .Call(where)
                       .Call([&](CDialog*) { a.m_refuseNext = false; })
                       .Press(ID_WIZNEXT)
                       .Call(where)
                       .SetText(IDC_B_COUNT, "12")  // out of range: the page stays
                       .Press(ID_WIZNEXT)
                       .Call(where)
                       .Call([](CDialog*) { ClearMessageBoxes(); })
                       .Press(ID_WIZBACK)
                       .Call(where)
                       .Press(ID_WIZNEXT)
                       .Call(where)
                       .Press(IDCANCEL));
  EXPECT_EQ(IDCANCEL, sheet.DoModal());
  EXPECT_EQ((std::vector<int>{0, 1, 1, 0, 1}), pages);
  EXPECT_EQ(1, a.m_inits);
  EXPECT_EQ(1, b.m_inits);
  EXPECT_EQ(2, a.m_activations);
  EXPECT_EQ(2, b.m_activations);
}

TEST_F(PropertySheetTest, AMouseClickOnNextAndEnterInAnEditWalkOn) {
  PushDialogScript(DialogScript(AFX_IDD_PROPSHEET)
                       .Call([](CDialog* s) {
                         Settle();
                         QWidget* next = user_p::WidgetOf(::GetDlgItem(s->m_hWnd, ID_WIZNEXT));
                         ASSERT_NE(nullptr, next);
                         QPointF centre(next->width() / 2.0, next->height() / 2.0);
                         QMouseEvent press(QEvent::MouseButtonPress, centre, next->mapToGlobal(centre), Qt::LeftButton,
                                           Qt::LeftButton, Qt::NoModifier);
                         QMouseEvent release(QEvent::MouseButtonRelease, centre, next->mapToGlobal(centre),
                                             Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
                         QApplication::sendEvent(next, &press);
                         QApplication::sendEvent(next, &release);
                         Settle();
                       })
                       .Call([&](CDialog* s) {
                         EXPECT_EQ(1, sheet.GetActiveIndex());
                         QWidget* window = user_p::WidgetOf(s->m_hWnd);
                         window->activateWindow();
                         for (int spin = 0; spin < 500 && !window->isActiveWindow(); ++spin)
                           QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
                         QWidget* edit = user_p::WidgetOf(::GetDlgItem(b.m_hWnd, IDC_B_NAME));
                         edit->setFocus();
                         QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
                         QApplication::sendEvent(window->windowHandle(), &enter);
                         Settle();
                         EXPECT_EQ(2, sheet.GetActiveIndex());
                       })
                       .Press(IDCANCEL));
  EXPECT_EQ(IDCANCEL, sheet.DoModal());
  EXPECT_EQ(1, b.m_activations);
}

}  // namespace
