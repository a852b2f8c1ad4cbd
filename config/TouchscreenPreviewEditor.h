// The editing core of the touchscreen preview: the areas of one screen, the selection, mouse
// drags that move an area or one of its corners, the arrow-key commands, adding and deleting
// areas and the overlap check. It knows nothing of windows, so tests drive it directly.
#pragma once

#include <functional>
#include <string>

#include "app/SettingsStore.h"
#include "platform/win32/windef.h"

// Commands of the preview's keys (accelerator table 254).
#define ID_TS_MOVE_LEFT 33180
#define ID_TS_MOVE_RIGHT 302
#define ID_TS_MOVE_UP 33181
#define ID_TS_MOVE_DOWN 33182
#define ID_TS_MOVE_RIGHT20 33183
#define ID_TS_MOVE_LEFT20 33184
#define ID_TS_MOVE_UP20 33185
#define ID_TS_MOVE_DOWN20 33186
#define ID_TS_GROW_UP 33187
#define ID_TS_SHRINK_DOWN 33188
#define ID_TS_GROW_RIGHT 33189
#define ID_TS_SHRINK_LEFT 33190

enum class TouchDrag { None = 0, Move = 1, TopLeft = 3, TopRight = 4, BottomLeft = 5, BottomRight = 6 };
enum class TouchCursor { Arrow, Move, Size };

class TouchscreenPreviewEditor {
 public:
  /// Areas never become narrower or lower than this by a drag or a shrink key.
  static const int kMinimumSize = 25;
  /// A press this close to a corner of the selected area (in both directions) grabs the corner.
  static const int kCornerReach = 9;

  PhotoboothTouchscreenButton m_buttons[kPhotoboothTouchscreenButtonCount];
  /// The areas as the editor got them, to tell whether anything changed.
  PhotoboothTouchscreenButton m_original[kPhotoboothTouchscreenButtonCount];
  int m_nClientWidth = 0;
  int m_nClientHeight = 0;
  /// Screen bit of the screen being edited; 0 shows all areas and edits none.
  int m_nScreenBit = 1;
  int m_nSelected = -1;
  TouchDrag m_drag = TouchDrag::None;
  POINT m_pressPoint{0, 0};
  RECT m_pressRect{0, 0, 0, 0};

  /// An area on the screen being edited (never in "show all").
  bool IsOnScreen(int slot) const;
  /// An area the preview draws: on the screen, or any used area in "show all".
  bool IsShown(int slot) const;
  /// The first area on the screen containing the point, edges included; -1 when none.
  int HitTest(POINT point) const;
  /// A left press: grabs a corner of the selected area, or selects and starts moving the area
  /// under the point, or clears the selection. Returns the cursor to show.
  TouchCursor PressLeft(POINT point);
  /// Applies the offset from the press point to the rectangle saved at the press.
  void DragTo(POINT point);
  void Release() { m_drag = TouchDrag::None; }
  /// The cursor over a point when no drag runs.
  TouchCursor CursorAt(POINT point) const;
  /// One of the key commands on the selected area; FALSE for another command.
  bool OnKeyCommand(UINT command);
  /// Puts a new 150 x 100 area with the code at the click into the first free slot and selects
  /// it; -1 when all slots are used.
  int AddAction(int code, POINT click);
  void DeleteSelected();
  /// Whether any area differs from the one the editor got.
  bool Changed() const;
  /// The lines "i:label overlaps j:label" of overlapping areas on the screen; empty when none.
  std::string OverlapReport(const std::function<std::string(int code)>& label) const;

 private:
  /// Which corner of the selected area is within reach of the point; None when none.
  TouchDrag CornerAt(POINT point) const;
};
