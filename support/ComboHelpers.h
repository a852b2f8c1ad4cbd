// Filling combo boxes from the program's {value, label} tables and selecting by value.
#pragma once

#include "platform/mfc/afxwin.h"

/// One row of a value table: the value is stored as the item's data, the label is shown.
struct ComboTableRow {
  int value;
  const char* label;
};

/// One row of the touchscreen action table; the screen mask is not used for filling.
struct ComboActionRow {
  int value;
  const char* label;
  DWORD screenMask;
};

/// Empties the combo box, then adds each row's label with its value as item data.
void FillComboFromTable(CComboBox* combo, const ComboTableRow* rows, int count);
void FillComboFromActionTable(CComboBox* combo, const ComboActionRow* rows, int count);
/// Selects the first item whose data equals the value; false (selection unchanged) if none.
bool SelectComboByItemData(CComboBox* combo, DWORD_PTR value);
