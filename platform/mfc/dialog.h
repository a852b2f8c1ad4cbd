// CDialog: modal (DoModal) and modeless (Create) dialogs built from a dialog template.
// A modal dialog opened from a worker thread runs on the UI thread while the worker waits.
#pragma once

#include "platform/mfc/dlgtemplate.h"
#include "platform/mfc/wnd.h"

/// Ends the modal dialog of that window with the result; FALSE when it is no dialog.
BOOL EndDialog(HWND dialog, INT_PTR result);

class CDialog : public CWnd {
 public:
  CDialog() = default;
  explicit CDialog(UINT templateId, CWnd* parent = nullptr) : m_pParentWnd(parent), m_nIDTemplate(templateId) {}

  /// Runs the dialog and returns what EndDialog was given (IDOK, IDCANCEL, ...), or -1 when
  /// its template is missing or its window cannot be made.
  virtual INT_PTR DoModal();
  /// Opens the dialog modeless; FALSE when its template is missing or its window fails.
  virtual BOOL Create(UINT templateId, CWnd* parent = nullptr);
  /// Ends a modal dialog with that result (a modeless one is hidden).
  void EndDialog(int result);

  /// Default: moves the members into the controls; TRUE puts the focus on the first control.
  virtual BOOL OnInitDialog();
  /// Default: takes the values (UpdateData) and ends with IDOK; a refused value keeps it open.
  virtual void OnOK();
  virtual void OnCancel();

  void GotoDlgCtrl(CWnd* control);
  void NextDlgCtrl() const;
  void PrevDlgCtrl() const;

  BOOL PreTranslateMessage(MSG* msg) override;
  /// Centres the dialog again after a change of size, unless the program has moved it.
  void KeepCentredOnResize();

  CWnd* m_pParentWnd = nullptr;
  UINT m_nIDTemplate = 0;
  UINT m_nIDHelp = 0;

 protected:
  BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
  BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
  /// The control a DialogScript step with that id acts on (a sheet looks in its current page).
  virtual HWND FindScriptControl(int id) const { return ::GetDlgItem(m_hWnd, id); }

 private:
  BOOL CreateDialogWindow(const DlgTemplate& dialogTemplate);
  /// Fits the dialog to the screen once its WM_INITDIALOG has filled it, and centres it again
  /// unless the program has placed it itself.
  void PlaceBeforeShowing();
  void PlayScript(const class DialogScript& script);
  POINT m_ptCentred = {0, 0};
  bool m_bCentring = false;
  bool m_modal = false;
  volatile BOOL m_ended = FALSE;
  int m_result = -1;
};
