#include "printlayout/LayoutEditorInteraction.h"

#include <gtest/gtest.h>

#include <cmath>

#include "platform/polyimage/polyimage.h"
#include "platform/user/winuser.h"
#include "support/PipSession.h"

namespace {

// Client 920 x 620, no controls: a 900 x 600 preview at (10, 10), half the 1800 x 1200 page.
const int kClientWidth = 920, kClientHeight = 620, kX0 = 10, kY0 = 10;

POINT Client(int printerX, int printerY) { return {kX0 + printerX / 2, kY0 + printerY / 2}; }

class LayoutEditorInteractionTest : public testing::Test {
 protected:
  void SetUp() override {
    PhotoboothLayoutRenderer::s_show = LayoutShowFlags{};
    m_model.pageWidth = 1800;
    m_model.pageHeight = 1200;
    m_model.dpiX = m_model.dpiY = 300;
    m_model.photos = 4;
    m_model.boxes[0] = LayoutEditBox{1, 0.0, 200, 200, 400, 300};
    m_model.boxes[1] = LayoutEditBox{2, 0.0, 300, 300, 400, 300};
    m_model.boxes[2] = LayoutEditBox{3, 30.0, 1000, 200, 400, 300};
    m_model.boxes[3] = LayoutEditBox{5, 0.0, 1000, 800, 200, 200};  // the QR code
    m_model.captions[0] = PhotoboothCaption::MakeNew(1, 320, 360);
    m_model.captions[0].m_strText = "Smile!";
    m_renderer.m_recordUndo = [this](int tag) { m_undoTags.push_back(tag); };
    m_editor.redraw = [this](int tag) { Draw(tag); };
    m_editor.capture = [this](bool on) { m_captured = on; };
    m_editor.messageBox = [this](const char* text, UINT) {
      m_messages.push_back(text);
      return IDOK;
    };
    ASSERT_NE(cNewImage(m_canvas.m_hSession, kClientWidth, kClientHeight, RGB(255, 255, 255)), 0);
    Draw(0);
    ASSERT_EQ(m_renderer.m_nPreviewWidth, 900);
    ASSERT_EQ(m_renderer.m_nOriginX, kX0);
    ASSERT_EQ(m_renderer.m_nOriginY, kY0);
  }
  void TearDown() override { PhotoboothLayoutRenderer::s_show = LayoutShowFlags{}; }

  void Draw(int tag) {
    HDC dc = cGetImageDC(m_canvas.m_hSession);
    m_renderer.DrawLayout(dc, kClientWidth, kClientHeight, 0, m_captured ? 0 : tag);
    cReleaseImageDC(m_canvas.m_hSession, dc);
  }
  POINT CaptionCentre(int index) const {
    const POINT c = m_renderer.m_captionOutlines[index].centre;
    return {kX0 + c.x, kY0 + c.y};
  }
  // A press, moves and a release, as the dialog passes them on.
  void Drag(POINT from, std::initializer_list<POINT> path, UINT flags = 0) {
    m_editor.OnLButtonDown(flags, from);
    for (POINT p : path) m_editor.OnMouseMove(flags, p);
    m_captured = false;
    m_editor.OnLButtonUp(flags, path.size() ? *(path.end() - 1) : from);
  }
  void Select(std::vector<int> boxes, std::vector<int> captions = {}) {
    m_renderer.m_selectedBoxes = boxes;
    m_renderer.m_selectedCaptions = captions;
    Draw(0);
  }

  PrintLayoutModel m_model;
  PhotoboothLayoutRenderer m_renderer{m_model};
  LayoutEditorInteraction m_editor{m_model, m_renderer};
  PipSession m_canvas;
  std::vector<int> m_undoTags;
  std::vector<std::string> m_messages;
  bool m_captured = false;
};

TEST_F(LayoutEditorInteractionTest, PressesSelectWhatTheUserSees) {
  struct Row {
    const char* name;
    std::vector<int> boxesBefore, captionsBefore;
    POINT point;
    UINT flags;
    std::vector<int> boxes, captions;
    BOOL handled;
  };
  const POINT caption = CaptionCentre(0);
  const Row rows[] = {
      {"the topmost box wins", {}, {}, Client(350, 350), 0, {1}, {}, TRUE},
      {"only the lower box there", {}, {}, Client(220, 220), 0, {0}, {}, TRUE},
      {"ctrl on a caption over photos toggles the caption", {1}, {}, caption, kLayoutCtrl, {1}, {0}, TRUE},
      {"ctrl again takes it away", {1}, {0}, caption, kLayoutCtrl, {1}, {}, TRUE},
      {"ctrl on a photo appends it", {1}, {}, Client(220, 220), kLayoutCtrl, {1, 0}, {}, TRUE},
      {"empty paper clears", {1, 0}, {}, Client(1700, 100), 0, {}, {}, TRUE},
      {"the band left of the page clears", {1}, {0}, {kX0 - 5, 200}, 0, {}, {}, FALSE},
      {"farther left is the controls' business", {1}, {0}, {kX0 - 15, 200}, 0, {1}, {0}, FALSE},
      {"the QR box is a box", {}, {}, Client(1100, 900), 0, {3}, {}, TRUE},
      // Inside the turned box's bounding rectangle but outside its outline.
      {"a turned box by its outline", {}, {}, Client(1010, 210), 0, {}, {}, TRUE},
      {"inside the turned box", {}, {}, Client(1200, 400), 0, {2}, {}, TRUE},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    Select(row.boxesBefore, row.captionsBefore);
    EXPECT_EQ(m_editor.OnLButtonDown(row.flags, row.point), row.handled);
    m_editor.OnLButtonUp(0, row.point);
    EXPECT_EQ(m_renderer.m_selectedBoxes, row.boxes);
    EXPECT_EQ(m_renderer.m_selectedCaptions, row.captions);
  }
}

TEST_F(LayoutEditorInteractionTest, AlmostUnturnedBoxIsItsRectangleEdgesIncluded) {
  m_model.boxes[0].rotation = 0.04;
  Draw(0);
  EXPECT_TRUE(m_editor.HitsBox(0, {100, 100}));
  EXPECT_TRUE(m_editor.HitsBox(0, {300, 250}));
  EXPECT_FALSE(m_editor.HitsBox(0, {301, 250}));
  m_model.boxes[0].rotation = 45;
  Draw(0);
  EXPECT_FALSE(m_editor.HitsBox(0, {100, 100})) << "the corner of the bounding rectangle";
  EXPECT_TRUE(m_editor.HitsBox(0, m_renderer.m_boxOutlines[0].centre));
}

TEST_F(LayoutEditorInteractionTest, MovesFollowThePointerAndShiftHoldsAnAxis) {
  Drag(Client(220, 220), {Client(320, 260)});
  EXPECT_EQ(m_model.boxes[0].left, 300);
  EXPECT_EQ(m_model.boxes[0].top, 240);
  Drag(Client(320, 260), {Client(420, 280)}, kLayoutShift);
  EXPECT_EQ(m_model.boxes[0].left, 400);
  EXPECT_EQ(m_model.boxes[0].top, 240) << "the smaller offset is dropped";
  EXPECT_EQ(m_undoTags.back(), 0);
}

TEST_F(LayoutEditorInteractionTest, SeveralItemsWithShiftPutBackTheOtherAxis) {
  Select({0, 2});
  const POINT press = Client(220, 220);
  m_editor.OnLButtonDown(kLayoutShift, press);
  ASSERT_EQ(m_editor.m_nDragMode, 1);
  m_editor.OnMouseMove(kLayoutShift, {press.x + 40, press.y + 10});
  EXPECT_EQ(m_model.boxes[0].left, 280);
  EXPECT_EQ(m_model.boxes[0].top, 200);
  m_editor.OnMouseMove(0, {press.x + 40, press.y + 30});
  EXPECT_EQ(m_model.boxes[0].top, 240) << "without Shift both axes move";
  // Now farther along y: the x travel is undone.
  m_editor.OnMouseMove(kLayoutShift, {press.x + 40, press.y + 60});
  EXPECT_EQ(m_model.boxes[0].left, 200);
  EXPECT_EQ(m_model.boxes[0].top, 300);
  EXPECT_EQ(m_model.boxes[2].left, 1000);
  EXPECT_EQ(m_model.boxes[2].top, 300);
  m_editor.OnLButtonUp(0, press);
}

TEST_F(LayoutEditorInteractionTest, RotationStepsAndTheCentreKeepsTheAngle) {
  Select({0});
  const POINT handle = {kX0 + m_renderer.m_boxOutlines[0].handle2.x, kY0 + m_renderer.m_boxOutlines[0].handle2.y};
  const POINT centre = {kX0 + m_renderer.m_boxOutlines[0].centre.x, kY0 + m_renderer.m_boxOutlines[0].centre.y};
  const LayoutBoxOutline before = ComputeBoxOutline(200, 200, 400, 300, 0);
  m_editor.OnLButtonDown(0, handle);
  ASSERT_EQ(m_editor.m_nDragMode, 2);
  EXPECT_EQ(m_editor.CursorToShow(), LayoutCursor::Rotate);
  m_editor.OnMouseMove(0, {handle.x, handle.y + 7});
  const double angle = m_model.boxes[0].rotation;
  EXPECT_GT(angle, 0);
  EXPECT_EQ(std::fmod(angle * 2, 1.0), 0.0) << angle;
  const LayoutBoxOutline after = ComputeBoxOutline(m_model.boxes[0].left, m_model.boxes[0].top, 400, 300, angle);
  EXPECT_NEAR(after.centre.x, before.centre.x, 1);
  EXPECT_NEAR(after.centre.y, before.centre.y, 1);
  m_editor.OnMouseMove(0, centre);
  EXPECT_EQ(m_model.boxes[0].rotation, angle) << "on the centre the angle stays";
  m_editor.OnMouseMove(kLayoutShift, {handle.x - 20, handle.y + 60});
  EXPECT_EQ(std::fmod(m_model.boxes[0].rotation, 15.0), 0.0) << m_model.boxes[0].rotation;
  EXPECT_GT(m_model.boxes[0].rotation, 0);
  m_editor.OnLButtonUp(0, handle);
}

TEST_F(LayoutEditorInteractionTest, ResizeKeepsTheOppositeCornerAndAMinimum) {
  Select({0});
  // Corner 2 (bottom right) at printer (600, 500); the opposite corner (200, 200) stays.
  m_editor.OnLButtonDown(0, Client(600, 500));
  ASSERT_EQ(m_editor.m_nDragMode, 6);
  m_editor.OnMouseMove(0, Client(1000, 800));
  EXPECT_EQ(m_model.boxes[0].width, 800);
  EXPECT_EQ(m_model.boxes[0].height, 600);
  EXPECT_EQ(m_model.boxes[0].left, 200);
  m_editor.OnMouseMove(0, Client(240, 230));
  EXPECT_EQ(m_model.boxes[0].width, 800) << "below 50 the last size stays";
  m_editor.OnMouseMove(0, Client(260, 246));
  EXPECT_EQ(m_model.boxes[0].width, 800) << "60 x 45 is refused as a whole";
  m_editor.OnMouseMove(0, Client(280, 260));
  EXPECT_EQ(m_model.boxes[0].width, 80);
  EXPECT_EQ(m_model.boxes[0].height, 60) << "proportional";
  m_editor.OnMouseMove(0, Client(240, 232));
  EXPECT_EQ(m_model.boxes[0].width, 80);
  m_editor.OnLButtonUp(0, {});

  // Free, by the top-left corner: stops at 50, the bottom-right corner stays.
  Select({1});
  m_editor.OnLButtonDown(kLayoutShift, Client(300, 300));
  ASSERT_EQ(m_editor.m_nDragMode, 3);
  m_editor.OnMouseMove(kLayoutShift, Client(500, 360));
  EXPECT_EQ(m_model.boxes[1].width, 200);
  EXPECT_EQ(m_model.boxes[1].height, 240);
  m_editor.OnMouseMove(kLayoutShift, Client(900, 900));
  EXPECT_EQ(m_model.boxes[1].width, 50);
  EXPECT_EQ(m_model.boxes[1].height, 50);
  EXPECT_EQ(m_model.boxes[1].left + 50, 700);
  EXPECT_EQ(m_model.boxes[1].top + 50, 600);
  m_editor.OnLButtonUp(0, {});
}

TEST_F(LayoutEditorInteractionTest, CaptionResizeScalesTheFontAndKeepsTheOppositeCorner) {
  Select({}, {0});
  const LayoutBoxOutline& outline = m_renderer.m_captionOutlines[0];
  int corners[8];
  m_editor.MeasureCaption(m_model.captions[0], corners);
  const POINT corner2 = {kX0 + outline.corner[2].x, kY0 + outline.corner[2].y};
  m_editor.OnLButtonDown(0, corner2);
  ASSERT_EQ(m_editor.m_nDragMode, 6);
  const LONG height = m_model.captions[0].m_font.lfHeight;
  m_editor.OnMouseMove(0, {corner2.x + (outline.corner[2].x - outline.corner[0].x),
                           corner2.y + (outline.corner[2].y - outline.corner[0].y)});
  EXPECT_NEAR(m_model.captions[0].m_font.lfHeight, 2 * height, 2);
  int after[8];
  m_editor.MeasureCaption(m_model.captions[0], after);
  EXPECT_NEAR(after[0], corners[0], 2);
  EXPECT_NEAR(after[1], corners[1], 2);
  m_editor.OnLButtonUp(0, {});
}

TEST_F(LayoutEditorInteractionTest, KeysNudgeAndTurnTheSelection) {
  Select({0, 1}, {0});
  EXPECT_TRUE(m_editor.OnCommand(ID_LAYOUT_NUDGE_RIGHT10));
  EXPECT_TRUE(m_editor.OnCommand(ID_LAYOUT_NUDGE_UP));
  EXPECT_EQ(m_model.boxes[0].left, 210);
  EXPECT_EQ(m_model.boxes[1].top, 299);
  EXPECT_EQ(m_model.captions[0].m_nLeft, 330);
  EXPECT_EQ(m_undoTags.back(), 2);
  m_editor.OnCommand(ID_LAYOUT_TURN_RIGHT);
  EXPECT_EQ(m_model.boxes[0].rotation, 0) << "turning needs one item";

  struct Row {
    UINT command;
    double from, to;
  };
  const Row rows[] = {{ID_LAYOUT_TURN_RIGHT, 10, 10.5},   {ID_LAYOUT_TURN_LEFT, 0, 359.5},
                      {ID_LAYOUT_TURN_RIGHT15, 10, 30},   {ID_LAYOUT_TURN_RIGHT15, 15, 30},
                      {ID_LAYOUT_TURN_LEFT15, 10, 0},     {ID_LAYOUT_TURN_LEFT15, 0, 345},
                      {ID_LAYOUT_TURN_RIGHT15, 352.5, 15}};
  Select({2});
  for (const Row& row : rows) {
    SCOPED_TRACE(testing::Message() << row.command << " from " << row.from);
    m_model.boxes[2].rotation = row.from;
    m_editor.OnCommand(row.command);
    EXPECT_DOUBLE_EQ(m_model.boxes[2].rotation, row.to);
    EXPECT_EQ(m_undoTags.back(), 1);
  }
}

TEST_F(LayoutEditorInteractionTest, SelectionCommands) {
  struct Row {
    UINT command;
    bool showCaptions;
    std::vector<int> boxes, captions;
  };
  const Row rows[] = {{ID_LAYOUT_SELECT_ALL, true, {0, 1, 2, 3}, {0}},
                      {ID_LAYOUT_SELECT_ALL, false, {0, 1, 2, 3}, {}},
                      {ID_LAYOUT_SELECT_PHOTOS, true, {0, 1, 2, 3}, {}},
                      {ID_LAYOUT_SELECT_NONE, true, {}, {}},
                      {ID_LAYOUT_INVERT_SELECTION, true, {0, 2, 3}, {0}}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.command);
    PhotoboothLayoutRenderer::s_show.captions = row.showCaptions;
    Select({1});
    m_editor.OnCommand(row.command);
    EXPECT_EQ(m_renderer.m_selectedBoxes, row.boxes);
    EXPECT_EQ(m_renderer.m_selectedCaptions, row.captions);
  }
}

TEST_F(LayoutEditorInteractionTest, AlignToTheItemUnderTheClick) {
  struct Row {
    UINT command;
    int left0, top0, left1, top1;
  };
  // The reference is box 0 (clicked at its top left part); box 1 moves.
  const Row rows[] = {{ID_LAYOUT_ALIGN_LEFT, 200, 200, 200, 300},
                      {ID_LAYOUT_ALIGN_RIGHT, 200, 200, 200, 300},
                      {ID_LAYOUT_ALIGN_TOP, 200, 200, 300, 200},
                      {ID_LAYOUT_ALIGN_BOTTOM, 200, 200, 300, 200},
                      {ID_LAYOUT_ALIGN_VCENTER, 200, 200, 200, 300}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.command);
    m_model.boxes[0] = LayoutEditBox{1, 0.0, 200, 200, 400, 300};
    m_model.boxes[1] = LayoutEditBox{2, 0.0, 300, 300, 400, 300};
    Select({0, 1});
    m_editor.PrepareContextMenu(0, Client(220, 220));
    EXPECT_EQ(m_renderer.m_selectedBoxes, (std::vector<int>{0, 1})) << "a click on a selected item keeps the selection";
    m_editor.OnCommand(row.command);
    EXPECT_EQ(m_model.boxes[0].left, row.left0);
    EXPECT_EQ(m_model.boxes[0].top, row.top0);
    EXPECT_EQ(m_model.boxes[1].left, row.left1);
    EXPECT_EQ(m_model.boxes[1].top, row.top1);
  }
}

TEST_F(LayoutEditorInteractionTest, SpaceEvenlyAndSameSize) {
  m_model.boxes[0] = LayoutEditBox{1, 0.0, 0, 0, 200, 100};
  m_model.boxes[1] = LayoutEditBox{2, 0.0, 300, 0, 200, 100};
  m_model.boxes[2] = LayoutEditBox{3, 0.0, 1000, 400, 200, 100};
  m_model.boxes[3] = LayoutEditBox{4, 0.0, 700, 0, 100, 100};
  Select({0, 2, 1});
  m_editor.OnCommand(ID_LAYOUT_SPACE_EVENLY);
  // Its centre goes halfway between the centres of the first and the last selected.
  EXPECT_EQ(m_model.boxes[2].left, 150);
  EXPECT_EQ(m_model.boxes[2].top, 0);
  EXPECT_EQ(m_model.boxes[0].left, 0);
  EXPECT_EQ(m_model.boxes[1].left, 300);

  Select({0, 3});
  m_editor.PrepareContextMenu(0, Client(50, 50));
  m_editor.OnCommand(ID_LAYOUT_SAME_SIZE);
  EXPECT_EQ(m_model.boxes[3].width, 200);
  EXPECT_EQ(m_model.boxes[3].height, 100);
  EXPECT_EQ(m_model.boxes[3].left, 650) << "keeps its centre";
  EXPECT_EQ(m_model.boxes[3].top, 0 + 0);
}

TEST_F(LayoutEditorInteractionTest, OrderingMovesTheItemAndTheSelectionFollows) {
  struct Row {
    UINT command;
    int selected;
    std::vector<int> images;  // the image of boxes 0..4 after
    int nowSelected;
  };
  m_model.boxes[4] = LayoutEditBox{4, 0.0, 0, 0, 100, 100};
  const Row rows[] = {{ID_LAYOUT_MOVE_TO_BACK, 2, {3, 1, 2, 5, 4}, 0},
                      {ID_LAYOUT_MOVE_BACK, 2, {1, 3, 2, 5, 4}, 1},
                      {ID_LAYOUT_MOVE_FORWARD, 2, {1, 2, 5, 3, 4}, 3},
                      {ID_LAYOUT_MOVE_FORWARD, 4, {1, 2, 3, 5, 4}, 4},
                      {ID_LAYOUT_MOVE_TO_FRONT, 1, {1, 3, 5, 4, 2}, 4}};
  for (const Row& row : rows) {
    SCOPED_TRACE(testing::Message() << row.command << " of " << row.selected);
    const int images[5] = {1, 2, 3, 5, 4};
    for (int i = 0; i < 5; ++i) m_model.boxes[i].image = images[i];
    Select({row.selected});
    m_editor.OnCommand(row.command);
    for (int i = 0; i < 5; ++i) EXPECT_EQ(m_model.boxes[i].image, row.images[i]) << "box " << i;
    EXPECT_EQ(m_renderer.m_selectedBoxes, std::vector<int>{row.nowSelected});
  }
}

TEST_F(LayoutEditorInteractionTest, ContextMenusForTheSelection) {
  auto ids = [](const std::vector<LayoutMenuEntry>& menu) {
    std::vector<std::pair<UINT, bool>> out;
    for (const LayoutMenuEntry& entry : menu) out.push_back({entry.id, entry.enabled});
    return out;
  };
  using V = std::vector<std::pair<UINT, bool>>;
  const V selection = {{ID_LAYOUT_SELECT_ALL, true},
                       {ID_LAYOUT_SELECT_PHOTOS, true},
                       {ID_LAYOUT_SELECT_NONE, true},
                       {ID_LAYOUT_INVERT_SELECTION, true}};
  auto with = [&](V head, V tail = {}) {
    head.insert(head.end(), selection.begin(), selection.end());
    head.insert(head.end(), tail.begin(), tail.end());
    return head;
  };
  Select({});
  EXPECT_EQ(ids(m_editor.BuildContextMenu()), with({}, {{0, true}, {ID_LAYOUT_ADD_CAPTION, true}}));
  Select({3});
  EXPECT_EQ(ids(m_editor.BuildContextMenu()), with({{ID_LAYOUT_EDIT_POSITION, true}, {ID_LAYOUT_EDIT_QRCODE, true}}));
  Select({}, {0});
  EXPECT_EQ(ids(m_editor.BuildContextMenu()), with({{ID_LAYOUT_EDIT_CAPTION, true},
                                                    {ID_LAYOUT_DUPLICATE_CAPTION, true},
                                                    {ID_LAYOUT_DISABLE_CAPTIONS, true},
                                                    {0, true}}));
  Select({0, 1});
  EXPECT_EQ(ids(m_editor.BuildContextMenu()),
            with({{0, true}, {ID_LAYOUT_SPACE_EVENLY, false}, {ID_LAYOUT_SAME_SIZE, true}}));
  Select({}, {0, 1});
  EXPECT_EQ(ids(m_editor.BuildContextMenu()), with({{0, true}, {ID_LAYOUT_DISABLE_CAPTIONS, true}}));
}

TEST_F(LayoutEditorInteractionTest, AddAndDuplicateCaptionsUntilAllTwelveAreUsed) {
  Select({});
  m_editor.PrepareContextMenu(0, Client(600, 100));
  m_editor.OnCommand(ID_LAYOUT_ADD_CAPTION);
  EXPECT_EQ(m_model.captions[1].m_nEnable, 1);
  EXPECT_EQ(m_model.captions[1].m_strText, CString("Caption 2"));
  EXPECT_EQ(m_model.captions[1].m_nLeft, 600);
  EXPECT_EQ(m_model.captions[1].m_nTop, 100);
  EXPECT_EQ(m_renderer.m_selectedCaptions, std::vector<int>{1});

  // On a wide page a caption near the top is copied half the printable height lower.
  m_editor.OnCommand(ID_LAYOUT_DUPLICATE_CAPTION);
  EXPECT_EQ(m_model.captions[2].m_strText, CString("Caption 2"));
  EXPECT_EQ(m_model.captions[2].m_nTop, 700);
  EXPECT_EQ(m_model.captions[2].m_nLeft, 600);
  EXPECT_EQ(m_renderer.m_selectedCaptions, std::vector<int>{2});

  for (int i = 3; i < kLayoutCaptionCount; ++i) m_editor.OnCommand(ID_LAYOUT_ADD_CAPTION);
  EXPECT_TRUE(m_messages.empty());
  m_editor.OnCommand(ID_LAYOUT_ADD_CAPTION);
  m_editor.OnCommand(ID_LAYOUT_DUPLICATE_CAPTION);
  ASSERT_EQ(m_messages.size(), 2u);
  EXPECT_EQ(m_messages[0].rfind("All 12 captions have been used", 0), 0u);
  EXPECT_EQ(m_messages[1].rfind("ERROR: all 12 captions are in use.", 0), 0u);

  m_editor.OnCommand(ID_LAYOUT_DISABLE_CAPTIONS);
  EXPECT_EQ(m_model.captions[11].m_nEnable, 0);
  EXPECT_TRUE(m_renderer.m_selectedCaptions.empty());
}

}  // namespace
