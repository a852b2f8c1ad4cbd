#include "platform/mfc/commondialog.h"

#include <deque>
#include <mutex>

#include "platform/user/messagebox.h"

namespace {

std::mutex g_mutex;
std::deque<CommonDialogAnswer> g_answers;
std::vector<ShownCommonDialog> g_shown;

}  // namespace

void PushCommonDialogAnswer(const CommonDialogAnswer& answer) {
  std::lock_guard<std::mutex> lock(g_mutex);
  g_answers.push_back(answer);
}

std::vector<ShownCommonDialog> GetShownCommonDialogs() {
  std::lock_guard<std::mutex> lock(g_mutex);
  return g_shown;
}

void ClearCommonDialogAnswers() {
  std::lock_guard<std::mutex> lock(g_mutex);
  g_answers.clear();
  g_shown.clear();
}

namespace mfc_p {

bool TakeCommonDialogAnswer(CommonDialogAnswer* answer) {
  std::lock_guard<std::mutex> lock(g_mutex);
  if (!g_answers.empty()) {
    *answer = g_answers.front();
    g_answers.pop_front();
    return true;
  }
  if (IsUserTestRun()) {
    *answer = CommonDialogAnswer();
    answer->result = 2;  // IDCANCEL: nobody to answer
    return true;
  }
  return false;
}

void RecordCommonDialog(const ShownCommonDialog& shown) {
  std::lock_guard<std::mutex> lock(g_mutex);
  g_shown.push_back(shown);
}

}  // namespace mfc_p
