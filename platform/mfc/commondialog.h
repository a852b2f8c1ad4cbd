// Test hook of the common dialogs (file, folder, font, colour): queued answers, and a record
// of every one shown. In a test run a common dialog without an answer is cancelled.
#pragma once

#include <string>
#include <vector>

#include "platform/win32/windef.h"

struct CommonDialogAnswer {
  INT_PTR result = 1;               // IDOK or IDCANCEL
  std::vector<std::string> paths;   // file or folder dialogs: the chosen path(s)
  DWORD filterIndex = 0;            // file dialogs: the filter chosen (1-based); 0 keeps the first
  COLORREF color = 0;               // colour and font dialogs
  LOGFONTA font{};                  // font dialog
};

struct ShownCommonDialog {
  std::string kind;    // "open", "save", "folder", "font", "color"
  std::string title;
  std::string filter;  // file dialogs: the filter as the program gave it
  INT_PTR result;
  std::string initialFolder = {};  // the folder it starts in (the folder browser's: what its callback selected)
};

void PushCommonDialogAnswer(const CommonDialogAnswer& answer);
std::vector<ShownCommonDialog> GetShownCommonDialogs();
void ClearCommonDialogAnswers();

namespace mfc_p {
/// The queued answer, or a cancel in a test run; false when the user must be asked.
bool TakeCommonDialogAnswer(CommonDialogAnswer* answer);
void RecordCommonDialog(const ShownCommonDialog& shown);
}  // namespace mfc_p
