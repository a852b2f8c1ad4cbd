// CMyQuilletDoc: the shell's document. The program keeps no document data; it exists because
// the single-document shell needs one.
#pragma once

#include "platform/mfc/afxwin.h"

class CMyQuilletDoc : public CDocument {
  DECLARE_DYNCREATE(CMyQuilletDoc)

 public:
  BOOL OnNewDocument() override { return CDocument::OnNewDocument(); }
};
