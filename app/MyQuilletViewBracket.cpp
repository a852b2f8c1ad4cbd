// The auto-bracket plan: which shutter speed, aperture or compensation each shot of a series uses.
#include "app/MyQuilletView.h"

namespace {

const DWORD kManualMode = 4;

}  // namespace

std::vector<int> PlanBracketEntries(int start, int count, int step, int shots, int limit) {
  std::vector<int> entries;
  int index = start;
  for (int moves = 0; moves < shots / 2 && index >= step; ++moves) index -= step;
  for (int k = 0; k < shots && index < limit && index < count; ++k, index += step) entries.push_back(index);
  return entries;
}

int CMyQuilletView::CalcBracketPlan() {
  m_bracketPlan.assign(49, BracketStep{});
  m_bracketRestore = {m_cbTv.m_hWnd ? m_cbTv.GetCurSel() : -1, m_cbAv.m_hWnd ? m_cbAv.GetCurSel() : -1,
                      m_cbExpComp.m_hWnd ? m_cbExpComp.GetCurSel() : -1};
  int step = m_nAutoBracketInterval >= 1 && m_nAutoBracketInterval <= 9 ? m_nAutoBracketInterval : 1;
  int shots = AutoBracketShots();
  DWORD mode = 0;
  bool manual = m_pCamera && m_pCamera->GetShootingMode(mode) && mode == kManualMode;
  std::vector<int> entries;
  if (manual) {
    CComboBox& combo = m_bAutoBracketUsingTv ? m_cbTv : m_cbAv;
    int count = combo.m_hWnd ? combo.GetCount() : 0;
    int current = combo.m_hWnd ? combo.GetCurSel() : -1;
    // The combo's last entry is never planned.
    if (current >= 0) entries = PlanBracketEntries(current, count, step, shots, count - 1);
    for (size_t k = 0; k < entries.size(); ++k) {
      if (m_bAutoBracketUsingTv) m_bracketPlan[k].tv = entries[k];
      else m_bracketPlan[k].av = entries[k];
    }
  } else {
    int count = m_cbExpComp.m_hWnd ? m_cbExpComp.GetCount() : 0;
    entries = PlanBracketEntries(count / 2, count, step, shots, count);
    for (size_t k = 0; k < entries.size(); ++k) m_bracketPlan[k].expComp = entries[k];
  }
  return static_cast<int>(entries.size());
}
