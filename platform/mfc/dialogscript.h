// Test hook for modal dialogs: a queue of scripts, each played on the next modal dialog that
// opens (set controls by id, press buttons, run code, wait for a condition). Every modal
// dialog shown is recorded. In a test run a dialog without a script is cancelled at once.
// A step that sets a control the dialog lacks, or presses one that is no push button, stops
// the program with a message: such a script would silently test something else.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/win32/windef.h"

class CDialog;

class DialogScript {
 public:
  /// Plays only on the dialog with that template id (0: the next dialog, whatever it is).
  explicit DialogScript(UINT templateId = 0) : m_templateId(templateId) {}

  DialogScript& SetText(int id, const char* text);
  DialogScript& SetCheck(int id, int state);
  DialogScript& Select(int id, int index);  // combo or list index
  DialogScript& SetPos(int id, int position);  // slider
  /// Clicks the button (or sends its WM_COMMAND when the dialog has no such control).
  DialogScript& Press(int id);
  DialogScript& Call(std::function<void(CDialog*)> call);
  /// Runs the dialog's message loop until the condition holds or the dialog ends.
  DialogScript& RunUntil(std::function<bool()> condition);

  struct Step {
    enum Kind { Text, Check, Select, Pos, Press, Call, Until } kind;
    int id;
    std::string text;
    int value;
    std::function<void(CDialog*)> call;
    std::function<bool()> condition;
  };
  UINT m_templateId;
  std::vector<Step> m_steps;
};

struct ShownDialog {
  UINT templateId;
  std::string caption;
  INT_PTR result;
  bool scripted;
};

void PushDialogScript(const DialogScript& script);
std::vector<ShownDialog> GetShownDialogs();
/// Forgets the record and any scripts not yet played.
void ClearDialogScripts();

namespace mfc_p {
/// The next script for a dialog with that template id, if any (removed from the queue).
bool TakeDialogScript(UINT templateId, DialogScript* script);
void RecordShownDialog(const ShownDialog& shown);
}  // namespace mfc_p
