#include "config/TouchscreenPreviewEditor.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// Codes of the action table used below, with the screens they are offered on.
const int kStart = 1;            // ready
const int kIncrease = 11;        // ready
const int kOneCopy = 6;          // ready and confirm
const int kConfirm = 22;         // confirm
const int kShareEmail = 37;      // share

struct Area {
  int left, top, right, bottom;
};

void ExpectArea(const PhotoboothTouchscreenButton& got, Area want) {
  EXPECT_EQ(got.left, want.left);
  EXPECT_EQ(got.top, want.top);
  EXPECT_EQ(got.right, want.right);
  EXPECT_EQ(got.bottom, want.bottom);
}

// An 800 x 600 screen with a Start area at (100, 100)-(300, 200) in slot 3.
TouchscreenPreviewEditor EditorWithStart() {
  TouchscreenPreviewEditor editor;
  editor.m_nClientWidth = 800;
  editor.m_nClientHeight = 600;
  editor.m_buttons[2] = {kStart, 100, 100, 300, 200};
  for (int i = 0; i < kPhotoboothTouchscreenButtonCount; ++i) editor.m_original[i] = editor.m_buttons[i];
  return editor;
}

std::string Label(int code) { return "#" + std::to_string(code); }

}  // namespace

TEST(TouchscreenPreviewEditorTest, PressSelectsTheAreaUnderThePointAndDragsIt) {
  TouchscreenPreviewEditor editor = EditorWithStart();
  EXPECT_EQ(editor.PressLeft({150, 150}), TouchCursor::Move);
  EXPECT_EQ(editor.m_nSelected, 2);
  EXPECT_EQ(editor.m_drag, TouchDrag::Move);
  editor.DragTo({170, 140});
  ExpectArea(editor.m_buttons[2], {120, 90, 320, 190});
  editor.DragTo({-500, 150});  // far past the left edge: pushed back, size kept
  ExpectArea(editor.m_buttons[2], {0, 100, 200, 200});
  editor.DragTo({1000, 1000});
  ExpectArea(editor.m_buttons[2], {600, 500, 800, 600});
  editor.Release();
  EXPECT_EQ(editor.m_drag, TouchDrag::None);
  editor.DragTo({0, 0});
  ExpectArea(editor.m_buttons[2], {600, 500, 800, 600});

  EXPECT_EQ(editor.PressLeft({50, 50}), TouchCursor::Arrow) << "a press on nothing clears the selection";
  EXPECT_EQ(editor.m_nSelected, -1);
  // Edges belong to the area.
  EXPECT_EQ(editor.HitTest({600, 500}), 2);
  EXPECT_EQ(editor.HitTest({800, 600}), 2);
  EXPECT_EQ(editor.HitTest({599, 500}), -1);
}

TEST(TouchscreenPreviewEditorTest, CornerDragsStopAtTwentyFivePixelsAndAtTheScreen) {
  const struct {
    const char* name;
    POINT press;
    POINT to;
    Area expected;
  } rows[] = {
      {"top-left inwards", {100, 100}, {400, 400}, {275, 175, 300, 200}},
      {"top-left outwards", {105, 95}, {-100, -100}, {0, 0, 300, 200}},
      {"top-right inwards", {300, 100}, {0, 500}, {100, 175, 125, 200}},
      {"top-right outwards", {292, 108}, {2000, -50}, {100, 0, 800, 200}},
      {"bottom-left", {100, 200}, {500, 0}, {275, 100, 300, 125}},
      {"bottom-right inwards", {300, 200}, {0, 0}, {100, 100, 125, 125}},
      {"bottom-right outwards", {309, 209}, {900, 900}, {100, 100, 800, 600}},
      {"bottom-right small", {300, 200}, {310, 230}, {100, 100, 310, 230}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    TouchscreenPreviewEditor editor = EditorWithStart();
    editor.m_nSelected = 2;
    EXPECT_EQ(editor.CursorAt(row.press), TouchCursor::Size);
    EXPECT_EQ(editor.PressLeft(row.press), TouchCursor::Size);
    editor.DragTo(row.to);
    ExpectArea(editor.m_buttons[2], row.expected);
  }
  // Ten pixels off a corner is the area's body, not its corner.
  TouchscreenPreviewEditor editor = EditorWithStart();
  editor.m_nSelected = 2;
  EXPECT_EQ(editor.CursorAt({110, 110}), TouchCursor::Move);
  EXPECT_EQ(editor.CursorAt({50, 50}), TouchCursor::Arrow);
  EXPECT_EQ(editor.PressLeft({110, 110}), TouchCursor::Move);
  EXPECT_EQ(editor.m_drag, TouchDrag::Move);
}

TEST(TouchscreenPreviewEditorTest, KeyCommandsMoveGrowAndShrinkTheSelectedArea) {
  const struct {
    UINT command;
    Area start;
    int repeat;
    Area expected;
  } rows[] = {
      {ID_TS_MOVE_LEFT, {2, 10, 50, 60}, 5, {0, 10, 48, 60}},
      {ID_TS_MOVE_RIGHT, {700, 10, 797, 60}, 5, {702, 10, 799, 60}},
      {ID_TS_MOVE_UP, {10, 1, 50, 60}, 3, {10, 0, 50, 59}},
      {ID_TS_MOVE_DOWN, {10, 500, 50, 598}, 3, {10, 501, 50, 599}},
      {ID_TS_MOVE_LEFT20, {30, 10, 80, 60}, 2, {0, 10, 50, 60}},
      {ID_TS_MOVE_RIGHT20, {700, 10, 770, 60}, 2, {730, 10, 800, 60}},
      {ID_TS_MOVE_UP20, {10, 25, 50, 60}, 2, {10, 0, 50, 35}},
      {ID_TS_MOVE_DOWN20, {10, 500, 50, 590}, 1, {10, 510, 50, 600}},
      {ID_TS_GROW_UP, {10, 1, 50, 598}, 4, {10, 0, 50, 600}},
      {ID_TS_SHRINK_DOWN, {10, 10, 50, 37}, 5, {10, 12, 50, 37}},
      {ID_TS_GROW_RIGHT, {10, 10, 799, 60}, 3, {8, 10, 800, 60}},
      {ID_TS_SHRINK_LEFT, {10, 10, 38, 60}, 5, {10, 10, 35, 60}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.command);
    TouchscreenPreviewEditor editor = EditorWithStart();
    editor.m_buttons[0] = {kStart, row.start.left, row.start.top, row.start.right, row.start.bottom};
    editor.m_nSelected = 0;
    for (int i = 0; i < row.repeat; ++i) EXPECT_TRUE(editor.OnKeyCommand(row.command));
    ExpectArea(editor.m_buttons[0], row.expected);
    ExpectArea(editor.m_buttons[2], {100, 100, 300, 200});
  }
  TouchscreenPreviewEditor editor = EditorWithStart();
  EXPECT_TRUE(editor.OnKeyCommand(ID_TS_MOVE_LEFT)) << "without a selection the key does nothing";
  ExpectArea(editor.m_buttons[2], {100, 100, 300, 200});
  EXPECT_FALSE(editor.OnKeyCommand(1));
}

TEST(TouchscreenPreviewEditorTest, AddingUsesTheFirstFreeSlotAndStaysInsideTheScreen) {
  TouchscreenPreviewEditor editor = EditorWithStart();
  editor.m_buttons[0] = {kIncrease, 0, 0, 10, 10};
  EXPECT_EQ(editor.AddAction(kOneCopy, {400, 300}), 1);
  ExpectArea(editor.m_buttons[1], {400, 300, 550, 400});
  EXPECT_EQ(editor.m_buttons[1].action, kOneCopy);
  EXPECT_EQ(editor.m_nSelected, 1);
  // 50 pixels from the right edge and 30 from the bottom: moved in to end one pixel inside.
  EXPECT_EQ(editor.AddAction(kStart, {750, 570}), 3);
  ExpectArea(editor.m_buttons[3], {649, 499, 799, 599});
  EXPECT_TRUE(editor.Changed());

  for (int i = 0; i < kPhotoboothTouchscreenButtonCount; ++i) editor.m_buttons[i].action = kStart;
  PhotoboothTouchscreenButton before[kPhotoboothTouchscreenButtonCount];
  for (int i = 0; i < kPhotoboothTouchscreenButtonCount; ++i) before[i] = editor.m_buttons[i];
  EXPECT_EQ(editor.AddAction(kIncrease, {10, 10}), -1) << "all 18 slots used";
  for (int i = 0; i < kPhotoboothTouchscreenButtonCount; ++i) {
    EXPECT_EQ(editor.m_buttons[i].action, kStart);
    EXPECT_EQ(editor.m_buttons[i].left, before[i].left);
  }
}

TEST(TouchscreenPreviewEditorTest, DeletingEmptiesTheSlotAndAnUnchangedEditorSaysSo) {
  TouchscreenPreviewEditor editor = EditorWithStart();
  EXPECT_FALSE(editor.Changed());
  editor.m_nSelected = 2;
  editor.DeleteSelected();
  EXPECT_EQ(editor.m_buttons[2].action, 0);
  EXPECT_EQ(editor.m_nSelected, -1);
  EXPECT_TRUE(editor.Changed());
  EXPECT_EQ(editor.HitTest({150, 150}), -1);
}

TEST(TouchscreenPreviewEditorTest, OnlyAreasOfTheCurrentScreenAreEditedAndChecked) {
  TouchscreenPreviewEditor editor = EditorWithStart();
  editor.m_buttons[0] = {kIncrease, 300, 150, 400, 250};  // touches the Start area at x = 300
  editor.m_buttons[1] = {kConfirm, 150, 150, 250, 250};
  editor.m_buttons[4] = {kShareEmail, 100, 100, 300, 200};
  editor.m_buttons[5] = {kStart, 120, 120, 200, 180};  // a second Start: the editor reports it too
  editor.m_buttons[6] = {kOneCopy, 500, 500, 600, 550};
  EXPECT_EQ(editor.OverlapReport(Label), "1:#11 overlaps 3:#1\n3:#1 overlaps 6:#1\n");
  EXPECT_EQ(editor.HitTest({150, 150}), 2) << "the confirm area is not on the ready screen";

  editor.m_nScreenBit = 8;  // confirm printing
  EXPECT_EQ(editor.HitTest({150, 150}), 1);
  EXPECT_EQ(editor.OverlapReport(Label), "");
  editor.m_buttons[6] = {kOneCopy, 250, 250, 300, 300};  // offered on confirm too; corner touches
  EXPECT_EQ(editor.OverlapReport(Label), "2:#22 overlaps 7:#6\n");

  editor.m_nScreenBit = 0;  // show all: every used area drawn, none edited or checked
  EXPECT_TRUE(editor.IsShown(4));
  EXPECT_FALSE(editor.IsShown(3));
  EXPECT_EQ(editor.HitTest({150, 150}), -1);
  EXPECT_EQ(editor.OverlapReport(Label), "");
}
