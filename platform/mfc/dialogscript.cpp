#include "platform/mfc/dialogscript.h"

#include <deque>
#include <mutex>

namespace {

std::mutex g_mutex;
std::deque<DialogScript> g_scripts;
std::vector<ShownDialog> g_shown;

}  // namespace

DialogScript& DialogScript::SetText(int id, const char* text) {
  m_steps.push_back({Step::Text, id, text ? text : "", 0, nullptr, nullptr});
  return *this;
}

DialogScript& DialogScript::SetCheck(int id, int state) {
  m_steps.push_back({Step::Check, id, "", state, nullptr, nullptr});
  return *this;
}

DialogScript& DialogScript::Select(int id, int index) {
  m_steps.push_back({Step::Select, id, "", index, nullptr, nullptr});
  return *this;
}

DialogScript& DialogScript::SetPos(int id, int position) {
  m_steps.push_back({Step::Pos, id, "", position, nullptr, nullptr});
  return *this;
}

DialogScript& DialogScript::Press(int id) {
  m_steps.push_back({Step::Press, id, "", 0, nullptr, nullptr});
  return *this;
}

DialogScript& DialogScript::Call(std::function<void(CDialog*)> call) {
  m_steps.push_back({Step::Call, 0, "", 0, std::move(call), nullptr});
  return *this;
}

DialogScript& DialogScript::RunUntil(std::function<bool()> condition) {
  m_steps.push_back({Step::Until, 0, "", 0, nullptr, std::move(condition)});
  return *this;
}

void PushDialogScript(const DialogScript& script) {
  std::lock_guard<std::mutex> lock(g_mutex);
  g_scripts.push_back(script);
}

std::vector<ShownDialog> GetShownDialogs() {
  std::lock_guard<std::mutex> lock(g_mutex);
  return g_shown;
}

void ClearDialogScripts() {
  std::lock_guard<std::mutex> lock(g_mutex);
  g_scripts.clear();
  g_shown.clear();
}

namespace mfc_p {

bool TakeDialogScript(UINT templateId, DialogScript* script) {
  std::lock_guard<std::mutex> lock(g_mutex);
  for (auto it = g_scripts.begin(); it != g_scripts.end(); ++it) {
    if (it->m_templateId == 0 || it->m_templateId == templateId) {
      *script = *it;
      g_scripts.erase(it);
      return true;
    }
  }
  return false;
}

void RecordShownDialog(const ShownDialog& shown) {
  std::lock_guard<std::mutex> lock(g_mutex);
  g_shown.push_back(shown);
}

}  // namespace mfc_p
