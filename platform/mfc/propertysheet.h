// CPropertySheet and CPropertyPage in wizard mode: one window with a page area and the
// Back / Next / Finish / Cancel row; each page is a child dialog made from its template the first
// time it becomes active and kept (hidden) while another page shows.
#pragma once

#include <vector>

#include "platform/mfc/dialog.h"

#define PSM_SETWIZBUTTONS (WM_USER + 112)
#define PSWIZB_BACK 0x00000001
#define PSWIZB_NEXT 0x00000002
#define PSWIZB_FINISH 0x00000004
#define PSWIZB_DISABLEDFINISH 0x00000008

#define ID_WIZBACK 0x3023
#define ID_WIZNEXT 0x3024
#define ID_WIZFINISH 0x3025

/// The sheet's own window template: what a DialogScript for a sheet names.
#define AFX_IDD_PROPSHEET 0x7F50
/// The static above the page area that shows the page's caption.
#define AFX_IDC_PAGE_CAPTION 0x3026

class CPropertySheet;

class CPropertyPage : public CDialog {
 public:
  explicit CPropertyPage(UINT templateId) : CDialog(templateId) {}

  /// The page has become the current one. Default: TRUE (the page shows).
  virtual BOOL OnSetActive() { return TRUE; }
  /// The page is about to be left. Default: takes the values; FALSE (stay) when one is refused.
  virtual BOOL OnKillActive() { return UpdateData(TRUE); }
  /// Return 0 for the neighbouring page, -1 to stay, or the template id of the page to show.
  virtual LRESULT OnWizardBack() { return 0; }
  virtual LRESULT OnWizardNext() { return 0; }
  /// TRUE lets the wizard end.
  virtual BOOL OnWizardFinish() { return TRUE; }

  CPropertySheet* GetSheet() const { return m_pSheet; }
  /// Enter and Escape inside a page go on to the sheet.
  BOOL PreTranslateMessage(MSG*) override { return FALSE; }

 protected:
  // A page is a child of the sheet: Enter and Escape belong to the sheet.
  void OnOK() override {}
  void OnCancel() override {}

 private:
  friend class CPropertySheet;
  CPropertySheet* m_pSheet = nullptr;
};

class CPropertySheet : public CDialog {
 public:
  explicit CPropertySheet(const char* caption, CWnd* parent = nullptr, UINT selectPage = 0);

  void AddPage(CPropertyPage* page);
  int GetPageCount() const { return static_cast<int>(m_pages.size()); }
  CPropertyPage* GetPage(int index) const;
  CPropertyPage* GetActivePage() const { return GetPage(m_nActive); }
  int GetActiveIndex() const { return m_nActive; }
  BOOL SetActivePage(int index);

  void SetWizardMode() { m_bWizard = true; }
  /// Which of Back, Next and Finish are enabled (PSWIZB_...); Finish takes Next's place.
  void SetWizardButtons(DWORD flags);
  DWORD GetWizardButtons() const { return m_dwWizButtons; }

  /// ID_WIZFINISH when the wizard was finished, IDCANCEL when cancelled, -1 on failure.
  INT_PTR DoModal() override;

  CString m_strCaption;

 protected:
  BOOL OnInitDialog() override;
  void OnOK() override;
  BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
  BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
  HWND FindScriptControl(int id) const override;

 private:
  bool CreatePage(CPropertyPage* page);
  int IndexOfTemplate(UINT templateId) const;
  void Go(int direction);
  void Finish();
  std::vector<CPropertyPage*> m_pages;
  int m_nActive = -1;
  UINT m_nStartPage = 0;
  bool m_bWizard = false;
  DWORD m_dwWizButtons = PSWIZB_BACK | PSWIZB_NEXT;
  void* m_pPageArea = nullptr;  // the layout the pages go in
};
