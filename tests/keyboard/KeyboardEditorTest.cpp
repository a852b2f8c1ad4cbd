#include <gtest/gtest.h>

#include "keyboard/ForbiddenWords.h"
#include "KeyboardTestSupport.h"
#include "platform/user/winuser.h"

namespace {

class KeyboardEditorTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ForbiddenWords.clear();
    for (CString& text : LastKeyboardTexts) text.Empty();
  }
  void TearDown() override { ForbiddenWords.clear(); }
};

}  // namespace

TEST_F(KeyboardEditorTest, ClosingKeysFollowFieldsBoxesAndAddresses) {
  struct Row {
    const char* name;
    int type;
    const char* texts[3];
    bool emailOn2;
    bool mandatoryBoxUnticked;
    const char* key;
    KeyboardOutcome expected;
    int current;  // field current afterwards
  };
  const Row rows[] = {
      {"OK with every text empty does nothing", KeyboardMessage, {"", "", ""}, false, false, "OK", KeyboardOutcome::None, 0},
      {"OK checks an empty e-mail field 1", KeyboardEmail, {"", "", ""}, false, false, "OK", KeyboardOutcome::EmailError, 0},
      {"OK refuses a bad address", KeyboardEmail, {"ann@example", "", ""}, false, false, "OK", KeyboardOutcome::EmailError, 0},
      {"OK accepts a good address", KeyboardEmail, {"ann@example.com", "", ""}, false, false, "OK", KeyboardOutcome::Accepted, 0},
      {"OK with several texts accepts", KeyboardFacebook, {"ann", "secret", ""}, false, false, "OK", KeyboardOutcome::Accepted, 0},
      {"an unticked mandatory box stops OK", KeyboardEmail, {"ann@example.com", "", ""}, false, true, "OK", KeyboardOutcome::None, 0},
      {"an unticked mandatory box stops OK all", KeyboardFacebook, {"ann", "secret", ""}, false, true, "OK all", KeyboardOutcome::None, 0},
      {"an unticked mandatory box stops OK none", KeyboardMessage, {"", "", ""}, false, true, "OK none", KeyboardOutcome::None, 0},
      {"OK all selects the empty field silently", KeyboardFacebook, {"ann", "", ""}, false, false, "OK all", KeyboardOutcome::None, 1},
      {"OK all refuses a bad address", KeyboardFacebook, {"ann", "bad@", ""}, true, false, "OK all", KeyboardOutcome::EmailError, 1},
      {"OK all accepts filled fields", KeyboardFacebook, {"ann", "secret", ""}, false, false, "OK all", KeyboardOutcome::Accepted, 0},
      {"OK none lets empty fields through", KeyboardMessage, {"", "", ""}, false, false, "OK none", KeyboardOutcome::Accepted, 0},
      {"OK none still checks field 1's address", KeyboardEmail, {"", "", ""}, false, false, "OK none", KeyboardOutcome::EmailError, 0},
      {"Cancel cancels", KeyboardEmail, {"ann", "", ""}, false, false, "Cancel", KeyboardOutcome::Cancelled, 0},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    KeyboardEditor editor = MakeEditor(row.type);
    for (int i = 0; i < 3; ++i) editor.m_layout.m_fields[i].m_text = row.texts[i];
    editor.m_layout.m_fields[1].m_emailAddress = row.emailOn2;
    if (row.mandatoryBoxUnticked) {
      editor.m_layout.m_checkBoxes[0].m_mandatory = true;
      editor.m_layout.m_checkBoxes[0].m_y = 10;
    }
    EXPECT_EQ(Press(editor, row.key), row.expected);
    EXPECT_EQ(editor.m_currentField, row.current);
    if (row.expected == KeyboardOutcome::Accepted) {
      EXPECT_EQ(LastKeyboardTexts[0], row.texts[0]);
      EXPECT_EQ(Press(editor, row.key), KeyboardOutcome::None) << "accepted twice";
    }
  }
}

TEST_F(KeyboardEditorTest, MandatoryFieldsCountOnlyWhenOnTheScreen) {
  KeyboardEditor editor = MakeEditor(KeyboardMessage);
  editor.m_layout.m_fields[0].m_text = "hello";
  editor.m_layout.m_fields[2].m_mandatory = true;  // field 3 never drawn
  EXPECT_EQ(Press(editor, "OK"), KeyboardOutcome::Accepted);

  KeyboardEditor shown = MakeEditor(KeyboardMessage);
  shown.m_layout.m_fields[0].m_text = "hello";
  shown.m_layout.m_fields[2].m_mandatory = true;
  shown.m_layout.m_fields[2].m_y = 500;
  shown.StartEditing();
  EXPECT_EQ(Press(shown, "OK"), KeyboardOutcome::None);
  EXPECT_EQ(shown.m_currentField, 2);
}

TEST_F(KeyboardEditorTest, FieldsInUseAreTheDrawnOnesWhereverTheySit) {
  // Fields 1 and 3 defined, field 2 absent.
  KeyboardEditor editor = MakeEditor(KeyboardGeneral);
  editor.m_layout.m_fields[0].m_emailAddress = false;
  editor.m_layout.m_fields[2].m_y = 600;
  editor.m_layout.m_fields[2].m_emailAddress = true;
  editor.m_layout.m_fields[2].m_prohibited = true;
  editor.StartEditing();
  EXPECT_EQ(editor.m_fieldsInUse, 2);

  BOOL consumed = FALSE;
  editor.PressKey(VK_TAB, &consumed);
  EXPECT_TRUE(consumed);
  EXPECT_EQ(editor.m_currentField, 2) << "Tab skips the absent field 2";
  editor.PressKey(VK_TAB, &consumed);
  EXPECT_EQ(editor.m_currentField, 0);

  editor.m_layout.m_fields[0].m_text = "Ann";
  editor.m_layout.m_fields[2].m_text = "not an address";
  EXPECT_EQ(Press(editor, "OK"), KeyboardOutcome::EmailError);
  EXPECT_EQ(editor.m_currentField, 2);

  ForbiddenWords = {"darn"};
  editor.m_layout.m_fields[2].m_text = "DARN@example.com";
  EXPECT_EQ(Press(editor, "OK"), KeyboardOutcome::ProhibitedWord);
  EXPECT_EQ(editor.m_currentField, 2);
}

TEST_F(KeyboardEditorTest, ReturnMovesOnThroughFieldsInUseAndAcceptsOnTheLast) {
  KeyboardEditor editor = MakeEditor(KeyboardMms);
  editor.m_layout.m_keys.RemoveAll();  // no OK key: Return walks the fields
  editor.m_layout.m_fields[2].m_y = 600;
  editor.StartEditing();
  BOOL consumed = FALSE;
  EXPECT_EQ(editor.PressKey(VK_RETURN, &consumed), KeyboardOutcome::None);
  EXPECT_EQ(editor.m_currentField, 0) << "an empty field keeps Return";
  editor.TypeCharacter('5');
  editor.PressKey(VK_RETURN, &consumed);
  EXPECT_EQ(editor.m_currentField, 2);
  editor.TypeCharacter('7');
  EXPECT_EQ(editor.PressKey(VK_RETURN, &consumed), KeyboardOutcome::Accepted);

  KeyboardEditor withOk = MakeEditor(KeyboardEmail);
  withOk.m_layout.m_fields[0].m_text = "ann@example.com";
  EXPECT_EQ(withOk.PressKey(VK_RETURN, &consumed), KeyboardOutcome::Accepted) << "Return presses the first OK key";
}

TEST_F(KeyboardEditorTest, TypingRules) {
  KeyboardEditor editor = MakeEditor(KeyboardFacebook);
  TypeKeys(editor, "a  ");
  EXPECT_EQ(editor.m_layout.m_fields[0].m_text, "a ");
  editor.m_layout.m_fields[0].m_text.Empty();
  TypeKeys(editor, " b");
  EXPECT_EQ(editor.m_layout.m_fields[0].m_text, "b") << "a leading space is never kept";

  Press(editor, "Shift");
  TypeKeys(editor, "cd");
  EXPECT_EQ(editor.m_layout.m_fields[0].m_text, "bCd") << "Shift lasts one key";
  EXPECT_FALSE(editor.m_shift);

  editor.m_shift = true;
  editor.TypeCharacter('e');
  EXPECT_EQ(editor.m_layout.m_fields[0].m_text, "bCde") << "the physical keyboard ignores Shift";
  EXPECT_TRUE(editor.m_shift);
  editor.TypeCharacter(8);
  EXPECT_EQ(editor.m_layout.m_fields[0].m_text, "bCd");
  EXPECT_TRUE(editor.m_shift) << "backspace leaves Shift alone";
  Press(editor, "Delete");
  EXPECT_EQ(editor.m_layout.m_fields[0].m_text, "bC");
  EXPECT_FALSE(editor.m_shift);
}

TEST_F(KeyboardEditorTest, MaxCharsHoldsWhicheverWayTheCharactersCome) {
  FixedMetrics metrics;
  KeyboardEditor editor = MakeEditor(KeyboardMms);
  KeyboardTextField& field = editor.m_layout.m_fields[0];
  field.m_maxChars = 5;
  for (char c : std::string("1234567")) editor.TypeCharacter(static_cast<unsigned char>(c));
  EXPECT_EQ(field.m_text, "12345") << "the physical keyboard refuses the sixth";
  field.m_text.Empty();
  TypeKeys(editor, "1234567");
  std::vector<CString> lines;
  WrapFieldText(field, metrics, lines);
  EXPECT_EQ(field.m_text, "12345") << "touch-typed extras go at the next redraw";
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0], "12345");
}

TEST_F(KeyboardEditorTest, NewlineRules) {
  KeyboardEditor editor = MakeEditor(KeyboardMessage);
  KeyboardTextField& field = editor.m_layout.m_fields[0];
  Press(editor, "newline");
  EXPECT_EQ(field.m_text, "") << "nothing at position 0";
  TypeKeys(editor, "a");
  Press(editor, "newline");
  TypeKeys(editor, "b");
  Press(editor, "newline");
  TypeKeys(editor, "c");
  Press(editor, "newline");
  EXPECT_EQ(field.m_text, "a\nb\nc") << "a fourth line is refused in a 3-row field";
  EXPECT_EQ(editor.m_cursorPosition, 5);
  Press(editor, "Left");
  Press(editor, "Left");
  TypeKeys(editor, "x");
  EXPECT_EQ(field.m_text, "a\nbx\nc") << "cursor mode inserts at the cursor";

  KeyboardEditor oneRow = MakeEditor(KeyboardFacebook);
  oneRow.m_layout.m_showCursor = true;
  TypeKeys(oneRow, "ab");
  Press(oneRow, "newline");
  EXPECT_EQ(oneRow.m_layout.m_fields[0].m_text, "ab") << "no line break in a one-row field";
}

TEST_F(KeyboardEditorTest, ReloadAndClearStartAgainAtField1) {
  KeyboardEditor editor = MakeEditor(KeyboardFacebook);
  LastKeyboardTexts[0] = "last";
  LastKeyboardTexts[1] = "pass";
  editor.m_currentField = 1;
  editor.m_shift = true;
  editor.m_layout.m_fields[1].m_text = "typed";
  Press(editor, "Reload");
  EXPECT_EQ(editor.m_layout.m_fields[0].m_text, "last");
  EXPECT_EQ(editor.m_layout.m_fields[1].m_text, "pass");
  EXPECT_EQ(editor.m_currentField, 0);
  EXPECT_FALSE(editor.m_shift);
  editor.m_currentField = 1;
  Press(editor, "Clear");
  EXPECT_EQ(editor.m_layout.m_fields[0].m_text, "");
  EXPECT_EQ(editor.m_layout.m_fields[1].m_text, "");
  EXPECT_EQ(editor.m_currentField, 0);
  EXPECT_EQ(editor.m_cursorPosition, 0);
}

TEST_F(KeyboardEditorTest, CursorKeysAndDeleteInCursorMode) {
  KeyboardEditor editor = MakeEditor(KeyboardMessage);
  TypeKeys(editor, "abc");
  BOOL consumed = FALSE;
  editor.PressKey(VK_LEFT, &consumed);
  EXPECT_TRUE(consumed);
  editor.PressKey(VK_LEFT, &consumed);
  editor.PressKey(VK_DELETE, &consumed);
  EXPECT_EQ(editor.m_layout.m_fields[0].m_text, "ac") << "Delete takes the character at the cursor";
  Press(editor, "Delete");
  EXPECT_EQ(editor.m_layout.m_fields[0].m_text, "c") << "the Delete key takes the one before it";
  EXPECT_EQ(editor.m_cursorPosition, 0);
  editor.PressKey(VK_LEFT, &consumed);
  EXPECT_FALSE(consumed) << "Left at the start is left to the dialog";
}
