#include "platform/mfc/doctemplate.h"

#include "platform/mfc/winapp.h"

CSingleDocTemplate::~CSingleDocTemplate() { delete m_pOnlyDoc; }

CDocument* CSingleDocTemplate::OpenDocumentFile(LPCSTR, BOOL makeVisible) {
  if (m_pOnlyDoc) return m_pOnlyDoc->OnNewDocument() ? m_pOnlyDoc : nullptr;
  CObject* docObject = m_pDocClass ? m_pDocClass->CreateObject() : nullptr;
  auto* document = dynamic_cast<CDocument*>(docObject);
  CObject* frameObject = m_pFrameClass ? m_pFrameClass->CreateObject() : nullptr;
  auto* frame = dynamic_cast<CFrameWnd*>(frameObject);
  if (!document || !frame) {
    delete docObject;
    delete frameObject;
    return nullptr;
  }
  document->m_strTitle = "Untitled";
  CCreateContext context;
  context.m_pNewViewClass = m_pViewClass;
  context.m_pCurrentDoc = document;
  context.m_pCurrentFrame = frame;
  if (!frame->LoadFrame(m_nIDResource, WS_OVERLAPPEDWINDOW | FWS_ADDTOTITLE, nullptr, &context)) {
    // The frame's window was made and destroyed again: the frame deleted itself with it.
    delete document;
    return nullptr;
  }
  CWinApp* app = AfxGetApp();
  if (app && !app->m_pMainWnd) app->m_pMainWnd = frame;
  if (!document->OnNewDocument()) {
    frame->DestroyWindow();
    delete document;
    return nullptr;
  }
  m_pOnlyDoc = document;
  frame->InitialUpdateFrame(document, makeVisible);
  return document;
}
