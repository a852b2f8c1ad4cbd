// Document templates: what the application creates for a new document (document, frame and
// view classes, and the frame's resource id).
#pragma once

#include "platform/mfc/document.h"
#include "platform/mfc/framewnd.h"

class CDocTemplate : public CObject {
 public:
  CDocTemplate(UINT resourceId, const CRuntimeClass* docClass, const CRuntimeClass* frameClass,
               const CRuntimeClass* viewClass)
      : m_nIDResource(resourceId), m_pDocClass(docClass), m_pFrameClass(frameClass), m_pViewClass(viewClass) {}
  /// Opens a new document in a new frame (a path is ignored: every document starts new). The
  /// frame becomes the main window when there is none. Returns NULL when a part fails.
  virtual CDocument* OpenDocumentFile(LPCSTR path, BOOL makeVisible = TRUE) = 0;

  UINT m_nIDResource;
  const CRuntimeClass* m_pDocClass;
  const CRuntimeClass* m_pFrameClass;
  const CRuntimeClass* m_pViewClass;
};

class CSingleDocTemplate : public CDocTemplate {
 public:
  using CDocTemplate::CDocTemplate;
  ~CSingleDocTemplate() override;
  CDocument* OpenDocumentFile(LPCSTR path, BOOL makeVisible = TRUE) override;

 private:
  CDocument* m_pOnlyDoc = nullptr;
};
