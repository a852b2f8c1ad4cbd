#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QScreen>

#include "KeyboardDialogTestSupport.h"
#include "keyboard/KeyboardResource.h"
#include "keyboard/MyMessageBox.h"
#include "platform/mfc/dialogscript.h"

namespace {

class MyMessageBoxTest : public ::testing::Test {
 protected:
  void SetUp() override { ClearDialogScripts(); }
  void TearDown() override { ClearDialogScripts(); }
};

}  // namespace

TEST_F(MyMessageBoxTest, DeadlineIsFixedAtOpeningAndZeroWaitsForAClick) {
  struct Row {
    int timeout;
    bool endsByItself;
  };
  for (const Row& row : {Row{3, true}, Row{0, false}}) {
    SCOPED_TRACE(row.timeout);
    ULONGLONG clock = 50000;
    int ticksAfterJump = -1000;
    CMyMessageBox box(nullptr, "Sorry", row.timeout, FALSE);
    box.m_now = [&] {
      ++ticksAfterJump;
      return clock;
    };
    bool endedBeforeClick = false;
    PushDialogScript(DialogScript(IDD_MYMESSAGEBOX)
                         .Call([&](CDialog*) {
                           clock += 3001;
                           ticksAfterJump = 0;
                         })
                         .RunUntil([&] { return ticksAfterJump >= 3; })
                         .Call([&](CDialog* dialog) {
                           endedBeforeClick = false;
                           Touch(dialog, QPoint(3, 3));
                         }));
    // The click step runs only while the box is open.
    endedBeforeClick = true;
    EXPECT_EQ(box.DoModal(), 1);
    EXPECT_EQ(endedBeforeClick, row.endsByItself);
  }
}

TEST_F(MyMessageBoxTest, BoxIsLayeredFullScreenAndSeeThroughAroundThePanel) {
  CMyMessageBox box(nullptr, "Thank\\nyou", 0, TRUE);
  EXPECT_EQ(box.m_text, "Thank\nyou");
  QRegion shape;
  QSize size;
  PushDialogScript(DialogScript(IDD_MYMESSAGEBOX).Call([&](CDialog* dialog) {
    QWidget* widget = WidgetOfDialog(dialog);
    EXPECT_TRUE(dialog->GetExStyle() & WS_EX_LAYERED);
    widget->grab();  // paints, which shapes the window
    shape = widget->mask();
    size = widget->size();
  }));
  box.DoModal();
  EXPECT_EQ(size, QGuiApplication::primaryScreen()->availableGeometry().size());
  EXPECT_FALSE(shape.contains(QPoint(2, 2))) << "the key colour is cut out";
  EXPECT_FALSE(shape.contains(QPoint(size.width() - 3, size.height() - 3)));
  EXPECT_TRUE(shape.contains(QPoint(size.width() / 2, size.height() / 2))) << "the panel stays";
}
