// What the mouse, the keys and the context menu do in the layout editor's preview, without a
// window: selections, hit tests, drags (move, rotate, resize), nudges, alignment, ordering and
// the caption commands. Points are client pixels of the editor; the geometry and the outlines
// come from the renderer's last draw, so hit tests always match what the user sees.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "printlayout/PhotoboothLayoutRenderer.h"

// Commands of the editor's keys and context menu.
#define ID_LAYOUT_NUDGE_UP 33094
#define ID_LAYOUT_NUDGE_DOWN 33097
#define ID_LAYOUT_NUDGE_LEFT 33098
#define ID_LAYOUT_NUDGE_RIGHT 33099
#define ID_LAYOUT_NUDGE_UP10 33105
#define ID_LAYOUT_NUDGE_DOWN10 33102
#define ID_LAYOUT_NUDGE_LEFT10 33103
#define ID_LAYOUT_NUDGE_RIGHT10 33104
#define ID_LAYOUT_TURN_RIGHT 33093
#define ID_LAYOUT_TURN_LEFT 33095
#define ID_LAYOUT_TURN_RIGHT15 33107
#define ID_LAYOUT_TURN_LEFT15 33106
#define ID_LAYOUT_SELECT_ALL 33108
#define ID_LAYOUT_SELECT_PHOTOS 32939
#define ID_LAYOUT_SELECT_NONE 33109
#define ID_LAYOUT_INVERT_SELECTION 33110
#define ID_LAYOUT_ALIGN_LEFT 32921
#define ID_LAYOUT_ALIGN_RIGHT 32922
#define ID_LAYOUT_ALIGN_TOP 32923
#define ID_LAYOUT_ALIGN_BOTTOM 32924
#define ID_LAYOUT_ALIGN_VCENTER 32925
#define ID_LAYOUT_SPACE_EVENLY 32927
#define ID_LAYOUT_EDIT_POSITION 32928
#define ID_LAYOUT_EDIT_QRCODE 32929
#define ID_LAYOUT_SAME_SIZE 32930
#define ID_LAYOUT_DUPLICATE_CAPTION 32934
#define ID_LAYOUT_MOVE_TO_BACK 32935
#define ID_LAYOUT_MOVE_BACK 32936
#define ID_LAYOUT_MOVE_FORWARD 32937
#define ID_LAYOUT_MOVE_TO_FRONT 32938
#define ID_LAYOUT_DISABLE_CAPTIONS 32941
#define ID_LAYOUT_ADD_CAPTION 32945
#define ID_LAYOUT_EDIT_CAPTION 1326

/// Modifier flags of a mouse event (the MK_ values of a mouse message).
const UINT kLayoutShift = 0x0004;
const UINT kLayoutCtrl = 0x0008;

enum class LayoutCursor { None, Move, Rotate, SizeAll };

/// One entry of a context menu; a separator has id 0, a submenu has entries.
struct LayoutMenuEntry {
  LayoutMenuEntry() = default;
  LayoutMenuEntry(UINT entryId, std::string entryText, bool entryEnabled = true,
                  std::vector<LayoutMenuEntry> entries = {})
      : id(entryId), text(std::move(entryText)), enabled(entryEnabled), submenu(std::move(entries)) {}
  UINT id = 0;
  std::string text;
  bool enabled = true;
  std::vector<LayoutMenuEntry> submenu;
};

class LayoutEditorInteraction {
 public:
  LayoutEditorInteraction(PrintLayoutModel& model, PhotoboothLayoutRenderer& renderer);

  /// Redraws with an undo tag (2 moves, 1 rotations, 0 anything else).
  std::function<void(int tag)> redraw;
  /// Pushes the model into the editor's controls.
  std::function<void()> refreshControls;
  /// Takes (true) or releases the mouse capture.
  std::function<void(bool)> capture;
  /// Shows a message captioned "Tavorin" and returns the answer.
  std::function<int(const char* text, UINT type)> messageBox;

  /// FALSE when the press was outside the page (the caller does its default handling).
  BOOL OnLButtonDown(UINT flags, POINT point);
  void OnMouseMove(UINT flags, POINT point);
  void OnLButtonUp(UINT flags, POINT point);
  /// The cursor WM_SETCURSOR shows (None: the default).
  LayoutCursor CursorToShow() const;
  /// A right click at `point`: remembered for alignment; inside the page it selects first.
  void PrepareContextMenu(UINT flags, POINT point);
  /// The entries of the context menu for the current selection.
  std::vector<LayoutMenuEntry> BuildContextMenu() const;
  /// Runs a key or menu command; FALSE when it is none of this class's.
  BOOL OnCommand(UINT id);

  void SelectAll(bool photosOnly);
  void SelectNone();
  void InvertSelection();
  void AddCaption();
  void DuplicateCaption();
  void DisableCaptions();
  /// Turns one item to an angle about its centre.
  void SetBoxAngle(int index, double degrees);
  void SetCaptionAngle(int index, double degrees);

  /// The caption's block corners in printer pixels (x, y pairs), as it is drawn.
  void MeasureCaption(const PhotoboothCaption& caption, int corners[8]) const;
  /// Hit tests in preview pixels relative to the page; -1 for none.
  int CaptionAt(POINT preview) const;
  int BoxAt(POINT preview, bool photosOnly = false) const;
  bool HitsBox(int index, POINT preview) const;

  int m_nDragMode = 0;  // 0 none, 1 move, 2 rotate, 3..6 resize by corner 0, 1, 3, 2
  LayoutCursor m_hoverCursor = LayoutCursor::None;
  bool m_bContextMenu = false;
  POINT m_menuPoint{0, 0};  // client pixels

 private:
  std::vector<int>& Boxes() const { return m_renderer.m_selectedBoxes; }
  std::vector<int>& Captions() const { return m_renderer.m_selectedCaptions; }
  size_t SelectedCount() const { return Boxes().size() + Captions().size(); }
  int ToPreview(int v) const;
  int ToPrinter(int v) const;
  POINT ToPage(POINT client) const;
  bool InsidePage(POINT client) const;
  void Redraw(int tag);
  void Refresh();
  void ClearSelection();
  void StartDrag(int mode, bool caption, int index, POINT page);
  void DragMove(UINT flags, POINT client, POINT page);
  void DragRotate(UINT flags, POINT page);
  void DragResize(UINT flags, POINT client, POINT page);
  void MoveSelection(int dx, int dy);
  void MoveItem(bool caption, int index, int dx, int dy);
  void TurnSelected(int command);
  void Align(UINT command);
  void SpaceEvenly();
  void SameSizeAndAngle();
  void Order(UINT command);
  LayoutBoxOutline CaptionOutlinePrinter(const PhotoboothCaption& caption) const;

  PrintLayoutModel& m_model;
  PhotoboothLayoutRenderer& m_renderer;
  POINT m_dragStart{0, 0};  // page pixels of the preview
  POINT m_press{0, 0};      // client pixels
  int m_nAccumulatedX = 0;
  int m_nAccumulatedY = 0;
  bool m_bDragCaption = false;
  int m_nDragIndex = -1;
  LayoutEditBox m_dragBox;
  PhotoboothCaption m_dragCaption;
  LayoutBoxOutline m_dragOutline{};
};

/// True when the point lies inside the outline or on its edges.
bool PointInLayoutOutline(const LayoutBoxOutline& outline, POINT point);
