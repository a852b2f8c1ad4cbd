#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QPointer>
#include <thread>

#include "testwindow.h"

class MessageBoxTest : public ::testing::Test {
 protected:
  void SetUp() override { ClearMessageBoxes(); }
  void TearDown() override { ClearMessageBoxes(); }
};

TEST_F(MessageBoxTest, ScriptedAnswersAreUsedInOrderAndEveryBoxIsRecorded) {
  PushMessageBoxAnswer(IDNO);
  PushMessageBoxAnswer(IDCANCEL);
  EXPECT_EQ(MessageBoxA(nullptr, "Overwrite?", "Tavorin", MB_YESNO | MB_ICONQUESTION), IDNO);
  EXPECT_EQ(MessageBoxA(nullptr, "Save?", "Tavorin", MB_YESNOCANCEL | MB_ICONEXCLAMATION), IDCANCEL);
  std::vector<ShownMessageBox> shown = GetShownMessageBoxes();
  ASSERT_EQ(shown.size(), 2u);
  EXPECT_EQ(shown[0].text, "Overwrite?");
  EXPECT_EQ(shown[0].caption, "Tavorin");
  EXPECT_EQ(shown[0].icon, MB_ICONQUESTION);
  EXPECT_EQ(shown[0].buttons, MB_YESNO);
  EXPECT_EQ(shown[0].answer, IDNO);
  EXPECT_EQ(shown[1].icon, MB_ICONEXCLAMATION);
  EXPECT_EQ(shown[1].buttons, MB_YESNOCANCEL);
}

TEST_F(MessageBoxTest, WithoutAScriptATestRunTakesTheDefaultButton) {
  struct Row {
    UINT type;
    int expected;
  } rows[] = {
      {MB_OK | MB_ICONERROR, IDOK},
      {MB_YESNO, IDYES},
      {MB_YESNO | MB_DEFBUTTON2, IDNO},
      {MB_YESNOCANCEL | MB_DEFBUTTON3, IDCANCEL},
      {MB_OKCANCEL | MB_DEFBUTTON2, IDCANCEL},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.type);
    EXPECT_EQ(MessageBoxA(nullptr, "text", "Tavorin", row.type), row.expected);
  }
  EXPECT_EQ(GetShownMessageBoxes().size(), std::size(rows));
}

TEST_F(MessageBoxTest, NullCaptionIsError) {
  MessageBoxA(nullptr, "x", nullptr, MB_OK);
  ASSERT_EQ(GetShownMessageBoxes().size(), 1u);
  EXPECT_EQ(GetShownMessageBoxes()[0].caption, "Error");
}

TEST_F(MessageBoxTest, WorkerThreadBoxesAreRecordedToo) {
  PushMessageBoxAnswer(IDRETRY);
  int answer = 0;
  std::thread worker([&] { answer = MessageBoxA(nullptr, "Printer offline", "Tavorin", MB_RETRYCANCEL | MB_ICONERROR); });
  worker.join();
  EXPECT_EQ(answer, IDRETRY);
  ASSERT_EQ(GetShownMessageBoxes().size(), 1u);
  EXPECT_EQ(GetShownMessageBoxes()[0].icon, MB_ICONERROR);
}

// A box nobody waits for, asked for from a worker: the worker goes on at once, and the box comes
// up on the UI thread without a modal loop and without taking the keyboard, until it is answered.
TEST_F(MessageBoxTest, ABoxNotWaitedForLetsItsCallerGoOnAndStaysUntilAnswered) {
  setenv("TAVORIN_TEST", "0", 1);  // a real box: nothing in the test run answers it
  std::thread worker([] { MessageBoxWithoutWaiting(nullptr, "ffmpeg is missing", "Clip", MB_OK | MB_ICONERROR); });
  worker.join();
  setenv("TAVORIN_TEST", "1", 1);
  ASSERT_EQ(GetShownMessageBoxes().size(), 1u);
  EXPECT_EQ(GetShownMessageBoxes()[0].answer, 0);
  QMessageBox* box = nullptr;
  ASSERT_TRUE(PumpUntil([&] {
    for (QWidget* widget : QApplication::topLevelWidgets())
      if (auto* found = qobject_cast<QMessageBox*>(widget); found && found->isVisible()) box = found;
    return box != nullptr;
  }));
  EXPECT_EQ(box->text(), QString("ffmpeg is missing"));
  EXPECT_EQ(box->windowTitle(), QString("Clip"));
  EXPECT_FALSE(box->isModal());
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
  EXPECT_TRUE(box->testAttribute(Qt::WA_ShowWithoutActivating));
  QPointer<QMessageBox> watched(box);
  ASSERT_EQ(box->buttons().size(), 1);
  box->buttons()[0]->click();
  EXPECT_TRUE(PumpUntil([&] { return watched.isNull(); }));  // answered: closed and gone
}

// A queued answer answers it at once, and nothing is shown.
TEST_F(MessageBoxTest, AQueuedAnswerAnswersABoxNotWaitedFor) {
  PushMessageBoxAnswer(IDOK);
  MessageBoxWithoutWaiting(nullptr, "x", "Clip", MB_OK);
  ASSERT_EQ(GetShownMessageBoxes().size(), 1u);
  EXPECT_EQ(GetShownMessageBoxes()[0].answer, IDOK);
  EXPECT_EQ(MessageBoxA(nullptr, "y", "Clip", MB_YESNO | MB_DEFBUTTON2), IDNO);  // the answer was used up
}
