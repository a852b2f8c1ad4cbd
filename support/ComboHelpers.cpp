#include "support/ComboHelpers.h"

namespace {

template <typename Row>
void FillCombo(CComboBox* combo, const Row* rows, int count) {
  if (!combo) return;
  combo->ResetContent();
  for (int i = 0; rows && i < count; ++i) {
    int index = combo->AddString(rows[i].label ? rows[i].label : "");
    if (index >= 0) combo->SetItemData(index, static_cast<DWORD_PTR>(rows[i].value));
  }
}

}  // namespace

void FillComboFromTable(CComboBox* combo, const ComboTableRow* rows, int count) { FillCombo(combo, rows, count); }

void FillComboFromActionTable(CComboBox* combo, const ComboActionRow* rows, int count) {
  FillCombo(combo, rows, count);
}

bool SelectComboByItemData(CComboBox* combo, DWORD_PTR value) {
  if (!combo) return false;
  for (int i = 0, count = combo->GetCount(); i < count; ++i) {
    if (combo->GetItemData(i) == value) {
      combo->SetCurSel(i);
      return true;
    }
  }
  return false;
}
