#include "platform/mfc/propertysheet.h"

#include <QBoxLayout>
#include <QFont>
#include <QFrame>
#include <QLayout>
#include <QWidget>
#include <algorithm>

#include "platform/mfc/dlgtemplate.h"
#include "platform/user/window_p.h"
#include "platform/win32/trace.h"

namespace {

void RegisterSheetTemplate() {
  static bool registered = false;
  if (registered) return;
  registered = true;
  DlgTemplate sheet{AFX_IDD_PROPSHEET,
                    "",
                    {
                        {AFX_IDC_PAGE_CAPTION, DlgItemKind::Label, ""},
                        {ID_WIZBACK, DlgItemKind::Button, "< &Back"},
                        {ID_WIZNEXT, DlgItemKind::DefButton, "&Next >"},
                        {ID_WIZFINISH, DlgItemKind::Button, "Finish"},
                        {IDCANCEL, DlgItemKind::Button, "Cancel"},
                    }};
  sheet.manualLayout = true;
  AfxRegisterDialogTemplate(sheet);
}

QWidget* ControlWidget(HWND dialog, int id) { return user_p::WidgetOf(::GetDlgItem(dialog, id)); }

}  // namespace

CPropertySheet::CPropertySheet(const char* caption, CWnd* parent, UINT selectPage)
    : CDialog(AFX_IDD_PROPSHEET, parent), m_strCaption(caption ? caption : ""), m_nStartPage(selectPage) {
  RegisterSheetTemplate();
}

void CPropertySheet::AddPage(CPropertyPage* page) {
  if (!page) return;
  page->m_pSheet = this;
  m_pages.push_back(page);
}

CPropertyPage* CPropertySheet::GetPage(int index) const {
  return index >= 0 && index < GetPageCount() ? m_pages[static_cast<size_t>(index)] : nullptr;
}

INT_PTR CPropertySheet::DoModal() {
  if (m_pages.empty()) return -1;
  m_nActive = -1;
  INT_PTR result = CDialog::DoModal();
  // The pages die with the sheet's window; their members stay for the opener to read.
  for (CPropertyPage* page : m_pages) {
    if (page->m_hWnd) page->DestroyWindow();
  }
  m_nActive = -1;
  m_pPageArea = nullptr;
  return result;
}

BOOL CPropertySheet::OnInitDialog() {
  SetWindowText(m_strCaption);
  QWidget* host = user_p::WidgetOf(m_hWnd);
  if (!host) return FALSE;
  auto* outer = new QVBoxLayout(host);
  if (QWidget* caption = ControlWidget(m_hWnd, AFX_IDC_PAGE_CAPTION)) {
    QFont bold = caption->font();
    bold.setBold(true);
    caption->setFont(bold);
    // A long caption wraps above its page rather than widening the sheet (see SetActivePage).
    caption->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    outer->addWidget(caption);
  }
  auto* pageArea = new QVBoxLayout;
  outer->addLayout(pageArea, 1);
  m_pPageArea = pageArea;
  auto* line = new QFrame(host);
  line->setFrameShape(QFrame::HLine);
  line->setFrameShadow(QFrame::Sunken);
  outer->addWidget(line);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  for (int id : {ID_WIZBACK, ID_WIZNEXT, ID_WIZFINISH, IDCANCEL}) {
    if (QWidget* button = ControlWidget(m_hWnd, id)) buttons->addWidget(button);
  }
  outer->addLayout(buttons);
  outer->setSizeConstraint(QLayout::SetFixedSize);
  if (!m_bWizard) {
    // Without wizard mode the row is OK-like: Finish ends, Next walks on.
    m_dwWizButtons = PSWIZB_BACK | PSWIZB_NEXT;
  }
  SetWizardButtons(m_dwWizButtons);
  int start = static_cast<int>(m_nStartPage) < GetPageCount() ? static_cast<int>(m_nStartPage) : 0;
  if (!SetActivePage(start)) {
    EndDialog(IDCANCEL);
    return FALSE;
  }
  // The dialog centres itself again on the screen when it takes this size.
  host->ensurePolished();
  outer->activate();
  host->adjustSize();
  return FALSE;
}

bool CPropertySheet::CreatePage(CPropertyPage* page) {
  if (page->m_hWnd) return true;
  const DlgTemplate* pageTemplate = AfxFindDialogTemplate(page->m_nIDTemplate);
  if (!pageTemplate) {
    TRACE("CPropertySheet::CreatePage() - no dialog template %u\n", page->m_nIDTemplate);
    return false;
  }
  page->m_pParentWnd = this;
  if (!page->CreateEx(0, "#32770", pageTemplate->caption, WS_CHILD, 0, 0, 0, 0, m_hWnd,
                      reinterpret_cast<HMENU>(static_cast<UINT_PTR>(page->m_nIDTemplate)))) {
    return false;
  }
  AfxBuildDialogControls(page->m_hWnd, *pageTemplate, FALSE);
  if (QWidget* widget = user_p::WidgetOf(page->m_hWnd)) {
    if (m_pPageArea) static_cast<QVBoxLayout*>(m_pPageArea)->addWidget(widget);
    widget->hide();
  }
  page->SendMessage(WM_INITDIALOG, 0, 0);
  return true;
}

BOOL CPropertySheet::SetActivePage(int index) {
  CPropertyPage* page = GetPage(index);
  if (!page || !m_hWnd || !CreatePage(page)) return FALSE;
  CPropertyPage* previous = GetActivePage();
  m_nActive = index;
  if (!page->OnSetActive()) {
    m_nActive = previous ? IndexOfTemplate(previous->m_nIDTemplate) : -1;
    return FALSE;
  }
  if (previous && previous != page) previous->ShowWindow(SW_HIDE);
  page->ShowWindow(SW_SHOW);
  AfxFitDialogToScreen(page->m_hWnd);
  CString caption;
  page->GetWindowText(caption);
  SetDlgItemText(AFX_IDC_PAGE_CAPTION, caption);
  QWidget* captionWidget = ControlWidget(m_hWnd, AFX_IDC_PAGE_CAPTION);
  QWidget* pageWidget = user_p::WidgetOf(page->m_hWnd);
  if (captionWidget && pageWidget) {
    const int width = std::max(pageWidget->sizeHint().width(), 1);
    const int lines = std::max(1, (captionWidget->sizeHint().width() + width - 1) / width);
    captionWidget->setFixedHeight(lines * captionWidget->fontMetrics().lineSpacing() + 2);
  }
  if (QWidget* host = user_p::WidgetOf(m_hWnd)) host->adjustSize();
  return TRUE;
}

int CPropertySheet::IndexOfTemplate(UINT templateId) const {
  for (int i = 0; i < GetPageCount(); ++i) {
    if (m_pages[static_cast<size_t>(i)]->m_nIDTemplate == templateId) return i;
  }
  return -1;
}

void CPropertySheet::SetWizardButtons(DWORD flags) {
  m_dwWizButtons = flags;
  if (!m_hWnd) return;
  const bool finish = (flags & (PSWIZB_FINISH | PSWIZB_DISABLEDFINISH)) != 0;
  if (CWnd* back = GetDlgItem(ID_WIZBACK)) back->EnableWindow((flags & PSWIZB_BACK) != 0);
  if (CWnd* next = GetDlgItem(ID_WIZNEXT)) {
    next->ShowWindow(finish ? SW_HIDE : SW_SHOW);
    next->EnableWindow(!finish && (flags & PSWIZB_NEXT) != 0);
  }
  if (CWnd* done = GetDlgItem(ID_WIZFINISH)) {
    done->ShowWindow(finish ? SW_SHOW : SW_HIDE);
    done->EnableWindow((flags & PSWIZB_FINISH) != 0);
  }
}

void CPropertySheet::Go(int direction) {
  CPropertyPage* page = GetActivePage();
  if (!page) return;
  LRESULT target = direction > 0 ? page->OnWizardNext() : page->OnWizardBack();
  if (target == -1 || !m_hWnd) return;
  int index = target == 0 ? m_nActive + direction : IndexOfTemplate(static_cast<UINT>(target));
  if (!GetPage(index)) return;
  // Going back never asks the page to give up its values: they stay in its controls.
  if (direction > 0 && !page->OnKillActive()) return;
  SetActivePage(index);
}

void CPropertySheet::Finish() {
  CPropertyPage* page = GetActivePage();
  if (!page || !page->OnKillActive()) return;
  if (!page->OnWizardFinish()) return;
  EndDialog(ID_WIZFINISH);
}

void CPropertySheet::OnOK() {
  // Enter: the button that stands in the row for going on.
  if (m_dwWizButtons & PSWIZB_FINISH) {
    Finish();
  } else if (m_dwWizButtons & PSWIZB_NEXT) {
    Go(+1);
  }
}

BOOL CPropertySheet::OnCommand(WPARAM wParam, LPARAM lParam) {
  if (HIWORD(wParam) == BN_CLICKED) {
    switch (LOWORD(wParam)) {
      case ID_WIZBACK:
        if (m_dwWizButtons & PSWIZB_BACK) Go(-1);
        return TRUE;
      case ID_WIZNEXT:
        if (m_dwWizButtons & PSWIZB_FINISH) {
          Finish();
        } else if (m_dwWizButtons & PSWIZB_NEXT) {
          Go(+1);
        }
        return TRUE;
      case ID_WIZFINISH:
        if (m_dwWizButtons & PSWIZB_FINISH) Finish();
        return TRUE;
    }
  }
  return CDialog::OnCommand(wParam, lParam);
}

BOOL CPropertySheet::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
  if (message == PSM_SETWIZBUTTONS) {
    SetWizardButtons(static_cast<DWORD>(lParam));
    *result = 0;
    return TRUE;
  }
  return CDialog::OnWndMsg(message, wParam, lParam, result);
}

HWND CPropertySheet::FindScriptControl(int id) const {
  if (CPropertyPage* page = GetActivePage()) {
    if (page->m_hWnd) {
      if (HWND control = ::GetDlgItem(page->m_hWnd, id)) return control;
    }
  }
  return ::GetDlgItem(m_hWnd, id);
}
