// CFolderPropPage: the wizard's second page, the name of the new booth images folder under the
// documents folder's "PhotoboothImages". Refuses empty names and names with characters a
// folder name cannot hold, and offers the first free numbered name when the folder exists.
#pragma once

#include "platform/mfc/propertysheet.h"

#define IDD_FOLDER_PROP_PAGE 228
#define IDC_FOLDER_PAGE_NAME 1271
#define IDC_FOLDER_PAGE_PARENT 1272

class CFolderPropPage : public CPropertyPage {
 public:
  CFolderPropPage();

  CString m_strFolderName{"PhotoBooth"};
  /// Documents folder + "/PhotoboothImages" (the documents folder is made when missing).
  CString m_strParentFolder;
  /// Parent + "/" + name, set when the page is left with Next.
  CString m_strFolder;

 protected:
  BOOL OnInitDialog() override;
  BOOL OnSetActive() override;
  LRESULT OnWizardNext() override;
  void DoDataExchange(CDataExchange* dx) override;
};
