#include "platform/mfc/document.h"

#include <algorithm>

#include "platform/mfc/framewnd.h"
#include "platform/mfc/view.h"

void CDocument::SetTitle(LPCSTR title) {
  m_strTitle = title ? title : "";
  for (CView* view : m_views) {
    if (CFrameWnd* frame = view->GetParentFrame()) frame->OnUpdateFrameTitle(TRUE);
  }
}

void CDocument::AddView(CView* view) {
  if (view && std::find(m_views.begin(), m_views.end(), view) == m_views.end()) {
    m_views.push_back(view);
    view->m_pDocument = this;
  }
}

void CDocument::RemoveView(CView* view) {
  auto it = std::find(m_views.begin(), m_views.end(), view);
  if (it == m_views.end()) return;
  m_views.erase(it);
  view->m_pDocument = nullptr;
}

POSITION CDocument::GetFirstViewPosition() const {
  // A position is the index of the next view, plus one so that NULL means "no more".
  return m_views.empty() ? nullptr : reinterpret_cast<POSITION>(static_cast<uintptr_t>(1));
}

CView* CDocument::GetNextView(POSITION& pos) const {
  size_t index = reinterpret_cast<uintptr_t>(pos);
  if (index == 0 || index > m_views.size()) {
    pos = nullptr;
    return nullptr;
  }
  pos = index < m_views.size() ? reinterpret_cast<POSITION>(static_cast<uintptr_t>(index + 1)) : nullptr;
  return m_views[index - 1];
}

void CDocument::UpdateAllViews(CView* sender, LPARAM hint, CObject* hintObject) {
  for (CView* view : m_views) {
    if (view != sender) view->OnUpdate(sender, hint, hintObject);
  }
}
