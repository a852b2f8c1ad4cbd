// CFrameWnd: a main window holding a view, a menu bar, accelerators and a status bar. It
// lays them out on every size change and passes commands to the active view first.
#pragma once

#include "platform/mfc/view.h"
#include "platform/mfc/wnd.h"

/// Frame style: the title shows the document's name before the application's.
#define FWS_ADDTOTITLE 0x00008000L

class CFrameWnd : public CWnd {
 public:
  static const CRect rectDefault;

  /// FALSE when the window cannot be made.
  virtual BOOL Create(LPCSTR className, LPCSTR title, DWORD style = WS_OVERLAPPEDWINDOW,
                      const RECT& rect = rectDefault, CWnd* parent = nullptr, LPCSTR menuName = nullptr,
                      DWORD exStyle = 0, CCreateContext* context = nullptr);
  /// Creates the frame for a document template: titled with the application's name, with the
  /// accelerator table of that id when one exists.
  virtual BOOL LoadFrame(UINT resourceId, DWORD style = WS_OVERLAPPEDWINDOW, CWnd* parent = nullptr,
                         CCreateContext* context = nullptr);
  BOOL LoadAccelTable(LPCSTR resourceName);

  CView* GetActiveView() const { return m_pViewActive; }
  void SetActiveView(CView* view) { m_pViewActive = view; }
  CDocument* GetActiveDocument() const { return m_pViewActive ? m_pViewActive->GetDocument() : nullptr; }
  /// Places the menu bar, the status bar (child AFX_IDW_STATUS_BAR) and the view.
  virtual void RecalcLayout(BOOL notify = TRUE);
  void InitialUpdateFrame(CDocument* document, BOOL makeVisible);
  /// Sets the title from the document ("title - application") or the application alone; a
  /// frame made without FWS_ADDTOTITLE keeps whatever title it has.
  void OnUpdateFrameTitle(BOOL addToTitle);

  BOOL PreTranslateMessage(MSG* msg) override;
  /// Passes WM_ACTIVATE on to the active view too, so the view knows when its frame is active.
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

  HACCEL m_hAccelTable = nullptr;
  /// The frame styles (FWS_...) the window was created with.
  DWORD m_dwFrameStyle = 0;

 protected:
  virtual BOOL OnCreateClient(LPCREATESTRUCT createStruct, CCreateContext* context);
  int OnCreate(LPCREATESTRUCT createStruct) override;
  void OnSize(UINT type, int cx, int cy) override;
  BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
  void PostNcDestroy() override;  // frames are made with new and end with their window

 private:
  CView* m_pViewActive = nullptr;
  CCreateContext* m_pCreating = nullptr;
};
