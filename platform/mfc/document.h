// CDocument: the data behind the views of a document template.
#pragma once

#include <vector>

#include "platform/mfc/collections.h"
#include "platform/mfc/cstring.h"
#include "platform/mfc/object.h"

class CView;

class CDocument : public CObject {
 public:
  /// Called for a new (empty) document; FALSE stops the document from opening.
  virtual BOOL OnNewDocument() { return TRUE; }
  virtual void OnCloseDocument() {}
  /// Sets the title; the main frame shows "title - application".
  virtual void SetTitle(LPCSTR title);
  const CString& GetTitle() const { return m_strTitle; }
  void SetModifiedFlag(BOOL modified = TRUE) { m_bModified = modified; }
  BOOL IsModified() const { return m_bModified; }

  void AddView(CView* view);
  void RemoveView(CView* view);
  POSITION GetFirstViewPosition() const;
  /// Returns the view at pos and moves pos to the next one (NULL after the last).
  CView* GetNextView(POSITION& pos) const;
  /// Calls OnUpdate of every view except the sender.
  void UpdateAllViews(CView* sender, LPARAM hint = 0, CObject* hintObject = nullptr);

  CString m_strTitle;

 private:
  BOOL m_bModified = FALSE;
  std::vector<CView*> m_views;
};
