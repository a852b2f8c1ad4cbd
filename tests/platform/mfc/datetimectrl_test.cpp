#include <gtest/gtest.h>

#include <QApplication>
#include <QDateTimeEdit>
#include <vector>

#include "platform/mfc/afxwin.h"
#include "platform/mfc/dialogscript.h"
#include "platform/user/window_p.h"

namespace {

enum { IDD_PICKERS = 9402, IDC_START_DATE = 1358, IDC_START_TIME = 1361 };

bool SameTime(const SYSTEMTIME& a, const SYSTEMTIME& b) {
  return a.wYear == b.wYear && a.wMonth == b.wMonth && a.wDay == b.wDay && a.wHour == b.wHour &&
         a.wMinute == b.wMinute && a.wSecond == b.wSecond;
}

SYSTEMTIME Time(WORD year, WORD month, WORD day, WORD hour, WORD minute, WORD second) {
  SYSTEMTIME st{};
  st.wYear = year;
  st.wMonth = month;
  st.wDay = day;
  st.wHour = hour;
  st.wMinute = minute;
  st.wSecond = second;
  return st;
}

// A start date and a start time picker, as a time-lapse dialog has them.
class CPickersDlg : public CDialog {
 public:
  CPickersDlg() : CDialog(IDD_PICKERS) {}
  CDateTimeCtrl m_date;
  CDateTimeCtrl m_time;
  SYSTEMTIME m_start{};
  SYSTEMTIME m_at{};
  std::vector<SYSTEMTIME> m_changes;

  void DoDataExchange(CDataExchange* dx) override {
    DDX_Control(dx, IDC_START_DATE, m_date);
    DDX_Control(dx, IDC_START_TIME, m_time);
  }
  BOOL OnInitDialog() override {
    CDialog::OnInitDialog();
    m_date.SetTime(&m_start);
    m_time.SetTime(&m_start);
    return TRUE;
  }
  void OnOK() override {
    m_date.GetTime(&m_start);
    m_time.GetTime(&m_at);
    CDialog::OnOK();
  }
  BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result) override {
    auto* change = reinterpret_cast<NMDATETIMECHANGE*>(lParam);
    if (change->nmhdr.code == DTN_DATETIMECHANGE) m_changes.push_back(change->st);
    return CDialog::OnNotify(wParam, lParam, result);
  }
};

class DateTimeCtrlTest : public ::testing::Test {
 protected:
  void SetUp() override {
    AfxRegisterDialogTemplate({IDD_PICKERS,
                               "Time Lapse",
                               {{IDC_START_DATE, DlgItemKind::Date, "Start date:"},
                                {IDC_START_TIME, DlgItemKind::Time, "Start time:"},
                                {IDOK, DlgItemKind::DefButton, "OK"},
                                {IDCANCEL, DlgItemKind::Button, "Cancel"}}});
    ClearDialogScripts();
  }
  void TearDown() override { ClearDialogScripts(); }
};

QDateTimeEdit* EditOf(CWnd& picker) {
  QWidget* widget = user_p::WidgetOf(picker.m_hWnd);
  return widget ? widget->findChild<QDateTimeEdit*>() : nullptr;
}

}  // namespace

TEST_F(DateTimeCtrlTest, SetTimeRoundTripsAndRefusesDatesThatDoNotExist) {
  CPickersDlg dialog;
  ASSERT_TRUE(dialog.Create(IDD_PICKERS));
  struct Row {
    SYSTEMTIME in;
    bool accepted;
  } rows[] = {
      {Time(2026, 12, 24, 18, 30, 5), true},  {Time(2024, 2, 29, 0, 0, 0), true},
      {Time(1999, 12, 31, 23, 59, 59), true}, {Time(2023, 2, 29, 12, 0, 0), false},
      {Time(2026, 13, 1, 12, 0, 0), false},   {Time(2026, 1, 1, 24, 0, 0), false},
      {Time(1500, 1, 1, 0, 0, 0), false},
  };
  SYSTEMTIME before = Time(2020, 6, 1, 8, 0, 0);
  for (CDateTimeCtrl* picker : {&dialog.m_date, &dialog.m_time}) {
    for (const Row& row : rows) {
      SCOPED_TRACE(testing::Message() << row.in.wYear << "-" << row.in.wMonth << "-" << row.in.wDay << " "
                                      << row.in.wHour);
      ASSERT_TRUE(picker->SetTime(&before));
      EXPECT_EQ(picker->SetTime(&row.in), row.accepted ? TRUE : FALSE);
      SYSTEMTIME out{};
      EXPECT_EQ(picker->GetTime(&out), static_cast<DWORD>(GDT_VALID));
      EXPECT_TRUE(SameTime(out, row.accepted ? row.in : before));
    }
  }
  SYSTEMTIME out{};
  ASSERT_TRUE(dialog.m_date.SetTime(&rows[0].in));
  dialog.m_date.GetTime(&out);
  EXPECT_EQ(out.wDayOfWeek, 4) << "24 Dec 2026 is a Thursday";
  EXPECT_FALSE(dialog.m_date.SetTime(nullptr));
  EXPECT_EQ(dialog.m_date.GetTime(nullptr), static_cast<DWORD>(GDT_ERROR));
  EXPECT_TRUE(dialog.m_changes.empty()) << "SetTime is not the user's change";
  dialog.DestroyWindow();
}

TEST_F(DateTimeCtrlTest, FormatsShowTheDateOrTheTimeWithoutChangingTheValue) {
  CPickersDlg dialog;
  ASSERT_TRUE(dialog.Create(IDD_PICKERS));
  SYSTEMTIME when = Time(2026, 3, 7, 21, 5, 9);
  dialog.m_date.SetTime(&when);
  dialog.m_time.SetTime(&when);
  ASSERT_NE(EditOf(dialog.m_time), nullptr);
  EXPECT_EQ(EditOf(dialog.m_time)->text(), "21:05:09");
  EXPECT_TRUE(EditOf(dialog.m_date)->text().contains("2026")) << EditOf(dialog.m_date)->text().toStdString();

  struct Row {
    const char* format;
    const char* shown;
  } rows[] = {{"yyyy'/'MM'/'dd", "2026/03/07"}, {"HH':'mm", "21:05"}, {"hh':'mm tt", "09:05 PM"}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.format);
    EXPECT_TRUE(dialog.m_date.SetFormat(row.format));
    EXPECT_EQ(EditOf(dialog.m_date)->text().toStdString(), row.shown);
    SYSTEMTIME out{};
    dialog.m_date.GetTime(&out);
    EXPECT_TRUE(SameTime(out, when));
  }
  dialog.DestroyWindow();
}

TEST_F(DateTimeCtrlTest, ScriptedDialogReturnsThePickedDateAndTimeAndTellsTheParent) {
  CPickersDlg dialog;
  dialog.m_start = Time(2026, 1, 1, 9, 0, 0);
  PushDialogScript(DialogScript(IDD_PICKERS)
                       .Call([](CDialog* shown) {
                         // The user steps the day and the hour up once each.
                         auto* dlg = static_cast<CPickersDlg*>(shown);
                         QDateTimeEdit* date = EditOf(dlg->m_date);
                         date->setSelectedSection(QDateTimeEdit::DaySection);
                         date->stepBy(1);
                         QDateTimeEdit* time = EditOf(dlg->m_time);
                         time->setSelectedSection(QDateTimeEdit::HourSection);
                         time->stepBy(1);
                       })
                       .Press(IDOK));
  ASSERT_EQ(dialog.DoModal(), IDOK);
  EXPECT_TRUE(SameTime(dialog.m_start, Time(2026, 1, 2, 9, 0, 0)));
  EXPECT_TRUE(SameTime(dialog.m_at, Time(2026, 1, 1, 10, 0, 0)));
  ASSERT_EQ(dialog.m_changes.size(), 2u);
  EXPECT_TRUE(SameTime(dialog.m_changes[0], Time(2026, 1, 2, 9, 0, 0)));
  EXPECT_TRUE(SameTime(dialog.m_changes[1], Time(2026, 1, 1, 10, 0, 0)));
}
