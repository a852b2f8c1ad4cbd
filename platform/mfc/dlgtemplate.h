// Dialog templates: each dialog is a table of controls (id, kind, label, bound setting, range,
// group), laid out automatically as a form: labels left, controls right, groups boxed,
// buttons without a group in a row at the bottom.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "platform/mfc/wnd.h"

enum class DlgItemKind {
  Label,      // static text across the row
  Edit,       // single-line edit; a Spin right after it becomes its arrows
  Number,     // single-line edit for digits only
  MultiLine,  // multi-line edit
  Password,   // single-line edit showing '*'
  ReadOnly,   // single-line edit the user cannot change
  Check,      // check box; its label is its text
  Radio,      // radio button; consecutive ones form a group
  Combo,      // drop-down list
  ComboEdit,  // drop-down with an editable field
  List,       // list box
  Slider,     // trackbar with range [minValue, maxValue]
  Spin,       // up-down arrows with range [minValue, maxValue]
  Progress,   // progress bar with range [minValue, maxValue]
  Button,     // push button
  DefButton,  // default push button
  Picture,    // a drawing area of minValue x maxValue pixels (the program paints it)
  Report,     // list control with columns; several rows may be selected
  Icons,      // list control showing icons; several items may be selected
  Date,       // date picker
  Time,       // time picker
};

struct DlgItem {
  int id;
  DlgItemKind kind;
  const char* label;            // may be NULL
  const char* binding = nullptr;  // the setting the control edits (documentation and accessibility)
  int minValue = 0;
  int maxValue = 0;
  const char* group = nullptr;  // controls with the same group share a box titled with it
};

/// Rows of controls under column headings (a table of records), standing first in the controls.
struct DlgGrid {
  std::vector<std::string> headings;
  std::vector<std::vector<DlgItem>> rows;  // each item shows its label as its own text
};

struct DlgTemplate {
  UINT id;
  const char* caption;
  std::vector<DlgItem> items;
  DWORD style = WS_VISIBLE;  // a modeless dialog made without WS_VISIBLE starts hidden; WS_POPUP
                             // without WS_CAPTION makes a dialog without a title bar
  /// Groups that begin a new column of boxes (boxes stack in one column without any).
  std::vector<std::string> columnStarts = {};
  /// Boxes that are windows of their own, by group name: GetDlgItem(id) finds the box.
  std::vector<std::pair<std::string, int>> groupIds = {};
  /// Groups whose controls the program places itself (MoveWindow in the coordinates of the
  /// box's parent): the box and its controls stand in an area that takes the group's place in
  /// its column and is as tall as its shown controls reach. The area passes their WM_COMMAND
  /// on to the dialog.
  std::vector<std::string> placedGroups = {};
  /// A resizable dialog: the controls stand in a column at the left and the rest of the client
  /// area is the dialog's own to paint (its WM_PAINT).
  bool paintedClientArea = false;
  /// The program places and sizes the controls itself: no automatic layout, no fixed size.
  bool manualLayout = false;
  DlgGrid grid = {};
};

/// Makes a template available to CDialog/CFormView by its id (replaces an earlier one).
void AfxRegisterDialogTemplate(const DlgTemplate& dialogTemplate);
/// The template with that id, or NULL.
const DlgTemplate* AfxFindDialogTemplate(UINT id);
/// Creates the template's controls in `window` and lays them out. A dialog gets a fixed size
/// that fits them; a form view keeps its size. FALSE when a control could not be created.
BOOL AfxBuildDialogControls(HWND window, const DlgTemplate& dialogTemplate, BOOL formView);
/// Bounds a dialog built from a template by the free area of its screen: what does not fit
/// scrolls, above a button row that stays in sight. Again whenever its controls may have grown.
void AfxFitDialogToScreen(HWND window);
