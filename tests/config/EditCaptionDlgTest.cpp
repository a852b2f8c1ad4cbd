#include "config/EditCaptionDlg.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>
#include <cstring>
#include <string>

#include "config/FontDescription.h"
#include "platform/mfc/commondialog.h"
#include "platform/mfc/dialogscript.h"
#include "platform/user/messagebox.h"
#include "platform/user/window_p.h"

namespace {

std::string Text(CDialog* dialog, int id) {
  CString text;
  dialog->GetDlgItemText(id, text);
  return text.GetString();
}

// Replaces an edit's text the way a user does: Ctrl+A, then the keys one by one.
void TypeInto(CDialog* dialog, int id, const std::string& text) {
  QWidget* edit = user_p::WidgetOf(dialog->GetDlgItem(id)->m_hWnd);
  ASSERT_NE(edit, nullptr);
  edit->setFocus();
  auto key = [edit](int code, Qt::KeyboardModifiers modifiers, const QString& typed) {
    QKeyEvent press(QEvent::KeyPress, code, modifiers, typed);
    QApplication::sendEvent(edit, &press);
    QKeyEvent release(QEvent::KeyRelease, code, modifiers, typed);
    QApplication::sendEvent(edit, &release);
  };
  key(Qt::Key_A, Qt::ControlModifier, QString());
  for (char c : text) key(Qt::Key_0 + (c - '0'), Qt::NoModifier, QString(QChar(c)));
}

bool Enabled(CDialog* dialog, int id) { return dialog->GetDlgItem(id)->IsWindowEnabled() != FALSE; }

class EditCaptionDlgTest : public testing::Test {
 protected:
  void SetUp() override {
    ClearDialogScripts();
    ClearMessageBoxes();
    ClearCommonDialogAnswers();
    m_dialog.m_nPageWidth = 1800;
    m_dialog.m_nPageHeight = 1200;
    m_dialog.m_nDpiX = m_dialog.m_nDpiY = 300;
  }
  void TearDown() override {
    ClearDialogScripts();
    ClearMessageBoxes();
    ClearCommonDialogAnswers();
  }
  CEditCaptionDlg m_dialog;
};

TEST_F(EditCaptionDlgTest, EmptyCaptionsGetSpreadDefaultsStoredOnOk) {
  m_dialog.m_captions[0].m_strText = "Kept";
  m_dialog.m_captions[0].m_nLeft = 5;
  m_dialog.m_captions[0].m_font.lfHeight = -20;
  PushDialogScript(DialogScript(IDD_EDIT_CAPTION)
                       .Call([](CDialog* d) {
                         EXPECT_EQ(Text(d, IDC_EC_TEXT), "Kept");
                         EXPECT_EQ(Text(d, IDC_EC_LEFT), "5");
                       })
                       .Select(IDC_EC_CAPTIONS, 2)
                       .Call([](CDialog* d) {
                         EXPECT_EQ(Text(d, IDC_EC_TEXT), "Caption 3");
                         EXPECT_EQ(Text(d, IDC_EC_LEFT), "270");  // 1800 x 2 / 40 + 1800 / 10
                         EXPECT_EQ(Text(d, IDC_EC_TOP), "246");   // 2 x 1200 / 14 + 300 / 4
                         EXPECT_EQ(Text(d, IDC_EC_ANGLE), "0");
                         EXPECT_EQ(Text(d, IDC_EC_FONT_DESCRIPTION), "Arial, 28 point");
                       })
                       .Press(IDOK));
  ASSERT_EQ(m_dialog.DoModal(), IDOK);
  EXPECT_EQ(m_dialog.m_captions[0].m_strText, "Kept");
  EXPECT_EQ(m_dialog.m_captions[0].m_nLeft, 5);
  EXPECT_EQ(m_dialog.m_captions[0].m_font.lfHeight, -20);
  EXPECT_EQ(m_dialog.m_captions[2].m_strText, "Caption 3");
  EXPECT_EQ(m_dialog.m_captions[2].m_nLeft, 270);
  EXPECT_EQ(m_dialog.m_captions[2].m_nTop, 246);
  EXPECT_EQ(m_dialog.m_captions[2].m_colour, RGB(0, 0, 0));
  EXPECT_STREQ(m_dialog.m_captions[2].m_font.lfFaceName, "Arial");
  EXPECT_TRUE(m_dialog.m_captions[1].m_strText.IsEmpty()) << "only the captions shown get defaults";
}

TEST_F(EditCaptionDlgTest, BlankEditsAreZeroAndSwitchingKeepsEdits) {
  m_dialog.m_captions[0].m_strText = "First";
  m_dialog.m_captions[0].m_nLeft = 40;
  m_dialog.m_captions[0].m_dAngle = 12.5;
  m_dialog.m_captions[0].m_nEnable = 1;
  PushDialogScript(DialogScript(IDD_EDIT_CAPTION)
                       .SetText(IDC_EC_ANGLE, " ")
                       .SetText(IDC_EC_LEFT, "")
                       .SetText(IDC_EC_TEXT, "Changed")
                       .SetText(IDC_EC_TOP, "-")  // on its way to a negative number
                       .SetText(IDC_EC_TOP, "-15")
                       .Select(IDC_EC_ALIGNMENT, 2)
                       .Select(IDC_EC_CAPTIONS, 1)
                       .Select(IDC_EC_CAPTIONS, 0)
                       .Call([](CDialog* d) {
                         EXPECT_EQ(Text(d, IDC_EC_TEXT), "Changed");
                         EXPECT_EQ(Text(d, IDC_EC_LEFT), "0");
                         EXPECT_EQ(Text(d, IDC_EC_TOP), "-15");
                       })
                       .Press(IDOK));
  ASSERT_EQ(m_dialog.DoModal(), IDOK);
  const PhotoboothCaption& first = m_dialog.m_captions[0];
  EXPECT_EQ(first.m_strText, "Changed");
  EXPECT_EQ(first.m_nLeft, 0);
  EXPECT_EQ(first.m_nTop, -15);
  EXPECT_DOUBLE_EQ(first.m_dAngle, 0.0);
  EXPECT_EQ(first.m_nAlignment, 2);
  EXPECT_TRUE(GetShownMessageBoxes().empty()) << "typing a sign is not an error";
}

TEST_F(EditCaptionDlgTest, OkRefusesANonNumberAndStaysOpen) {
  m_dialog.m_captions[0].m_strText = "First";
  PushDialogScript(DialogScript(IDD_EDIT_CAPTION)
                       .SetText(IDC_EC_WRAP_WIDTH, "wide")
                       .Press(IDOK)
                       .Call([](CDialog* d) { EXPECT_TRUE(d->IsWindowVisible()); })
                       .SetText(IDC_EC_WRAP_WIDTH, "600")
                       .Press(IDOK));
  ASSERT_EQ(m_dialog.DoModal(), IDOK);
  ASSERT_EQ(GetShownMessageBoxes().size(), 1u);
  EXPECT_EQ(m_dialog.m_captions[0].m_nMaxLineWidth, 600);
}

TEST_F(EditCaptionDlgTest, TypedLineCountsAreHeldToWhatAPageHolds) {
  m_dialog.m_captions[0].m_strText = "First";
  m_dialog.m_captions[0].m_nEnable = 1;
  PushDialogScript(DialogScript(IDD_EDIT_CAPTION)
                       .Call([](CDialog* d) { TypeInto(d, IDC_EC_MAX_LINES, "2147483647"); })
                       .Call([](CDialog* d) { EXPECT_EQ(Text(d, IDC_EC_MAX_LINES), "2147483647"); })
                       .Press(IDOK));
  ASSERT_EQ(m_dialog.DoModal(), IDOK);
  EXPECT_EQ(m_dialog.m_captions[0].m_nMaxNumberOfLines, kMaxCaptionLines);
  EXPECT_TRUE(GetShownMessageBoxes().empty());
}

TEST_F(EditCaptionDlgTest, DisabledCaptionGreysItsFieldsAndMoveToCenterIsARequest) {
  m_dialog.m_captions[0].m_strText = "Off";
  m_dialog.m_captions[0].m_nEnable = 0;
  PushDialogScript(DialogScript(IDD_EDIT_CAPTION)
                       .Call([](CDialog* d) {
                         for (int id : {IDC_EC_TEXT, IDC_EC_FONT, IDC_EC_LEFT, IDC_EC_TOP, IDC_EC_ALIGNMENT,
                                        IDC_EC_ANGLE, IDC_EC_COLOUR, IDC_EC_FONT_DESCRIPTION, IDC_EC_MOVE_TO_CENTER})
                           EXPECT_FALSE(Enabled(d, id)) << id;
                         EXPECT_TRUE(Enabled(d, IDC_EC_ENABLE));
                         EXPECT_TRUE(Enabled(d, IDC_EC_CAPTIONS));
                       })
                       .SetCheck(IDC_EC_ENABLE, BST_CHECKED)
                       .Call([](CDialog* d) {
                         EXPECT_TRUE(Enabled(d, IDC_EC_TEXT));
                         EXPECT_TRUE(Enabled(d, IDC_EC_MOVE_TO_CENTER));
                       })
                       .Press(IDC_EC_MOVE_TO_CENTER)
                       .Call([](CDialog* d) {
                         EXPECT_TRUE(static_cast<CEditCaptionDlg*>(d)->m_bMoveToCenter);
                         EXPECT_TRUE(d->IsWindowVisible());
                       })
                       .Press(IDCANCEL));
  EXPECT_EQ(m_dialog.DoModal(), IDCANCEL);
  EXPECT_TRUE(m_dialog.m_bMoveToCenter);
}

TEST_F(EditCaptionDlgTest, FontAndColourChoosersAndOpenerRefresh) {
  m_dialog.m_captions[0].m_strText = "Styled";
  m_dialog.m_captions[0].m_nEnable = 1;
  m_dialog.m_bHideMoveToCenter = TRUE;
  CommonDialogAnswer font;
  font.result = IDOK;
  font.font.lfHeight = -32;  // 24 point at 96 dpi
  font.font.lfWeight = 700;
  font.font.lfItalic = 1;
  std::strcpy(font.font.lfFaceName, "DejaVu Serif");
  PushCommonDialogAnswer(font);
  CommonDialogAnswer colour;
  colour.result = IDOK;
  colour.color = RGB(200, 10, 20);
  PushCommonDialogAnswer(colour);
  PushDialogScript(DialogScript(IDD_EDIT_CAPTION)
                       .Call([](CDialog* d) { EXPECT_FALSE(d->GetDlgItem(IDC_EC_MOVE_TO_CENTER)->IsWindowVisible()); })
                       .Press(IDC_EC_FONT)
                       .Call([](CDialog* d) {
                         EXPECT_EQ(Text(d, IDC_EC_FONT_DESCRIPTION),
                                   std::string(FormatFontDescription(static_cast<CEditCaptionDlg*>(d)->m_caption.m_font,
                                                                     ScreenDpiY())));
                         EXPECT_NE(Text(d, IDC_EC_FONT_DESCRIPTION).find("DejaVu Serif, "), std::string::npos);
                         EXPECT_NE(Text(d, IDC_EC_FONT_DESCRIPTION).find(" point, bold, italic"), std::string::npos);
                       })
                       .Press(IDC_EC_COLOUR)
                       .Call([](CDialog* d) {
                         // The layout editor moves the caption and asks for the controls again.
                         auto* dialog = static_cast<CEditCaptionDlg*>(d);
                         dialog->m_caption.m_nLeft = 999;
                         dialog->RefreshControls();
                         EXPECT_EQ(Text(d, IDC_EC_LEFT), "999");
                       })
                       .Press(IDOK));
  ASSERT_EQ(m_dialog.DoModal(), IDOK);
  EXPECT_STREQ(m_dialog.m_captions[0].m_font.lfFaceName, "DejaVu Serif");
  EXPECT_EQ(m_dialog.m_captions[0].m_colour, RGB(200, 10, 20));
  EXPECT_EQ(m_dialog.m_captions[0].m_nLeft, 999);
}

TEST(FontDescriptionTest, SizeWeightAndStyle) {
  struct Row {
    int height, weight, italic, dpi;
    const char* expected;
  } rows[] = {{-37, 400, 0, 96, "Arial, 28 point"},   // 27.75 rounds up
              {-32, 700, 0, 96, "Arial, 24 point, bold"},
              {-32, 600, 1, 96, "Arial, 24 point, italic"},
              {-100, 400, 0, 120, "Arial, 60 point"},
              {20, 400, 0, 0, "Arial, -15 point"}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.expected);
    LOGFONTA font{};
    std::strcpy(font.lfFaceName, "Arial");
    font.lfHeight = row.height;
    font.lfWeight = row.weight;
    font.lfItalic = static_cast<BYTE>(row.italic);
    EXPECT_EQ(std::string(FormatFontDescription(font, row.dpi)), row.expected);
  }
}

}  // namespace
