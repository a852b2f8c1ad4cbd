#include "platform/mfc/winapp.h"

#include <QApplication>
#include <cstdlib>
#include <memory>

#include "platform/mfc/doctemplate.h"
#include "platform/user/qtstring_p.h"
#include "platform/winspool/globalmem.h"

namespace {

CWinApp* g_app = nullptr;

}  // namespace

CWinApp* AfxGetApp() { return g_app; }

CWnd* AfxGetMainWnd() { return g_app ? g_app->m_pMainWnd : nullptr; }

LPCSTR AfxGetAppName() { return g_app && g_app->m_pszAppName ? g_app->m_pszAppName : "Tavorin"; }

HINSTANCE AfxGetInstanceHandle() { return g_app ? g_app->m_hInstance : nullptr; }

HINSTANCE AfxGetResourceHandle() { return AfxGetInstanceHandle(); }

int AfxMessageBox(LPCSTR text, UINT type, UINT helpId) {
  if (g_app) return g_app->DoMessageBox(text, type, helpId);
  return ::MessageBoxA(nullptr, text, AfxGetAppName(), type);
}

int CWinThread::Run() {
  m_exitCode = RunUiMessageLoop();
  return ExitInstance();
}

int CWinThread::ExitInstance() { return m_exitCode; }

CWinApp::CWinApp(LPCSTR appName) : m_appName(appName ? appName : "Tavorin") {
  m_pszAppName = m_appName;
  // The program's module: resources are built in, so any non-null token names it.
  m_hInstance = reinterpret_cast<HINSTANCE>(static_cast<ULONG_PTR>(0x400000));
  g_app = this;
}

CWinApp::~CWinApp() {
  for (CDocTemplate* docTemplate : m_templates) delete docTemplate;
  if (m_hDevMode) GlobalFree(m_hDevMode);
  if (m_hDevNames) GlobalFree(m_hDevNames);
  if (g_app == this) g_app = nullptr;
}

void CWinApp::SetRegistryKey(LPCSTR key) {
  m_registryKey = key ? key : "";
  m_pszRegistryKey = m_registryKey;
  m_pszProfileName = m_pszAppName;
}

void CWinApp::AddDocTemplate(CDocTemplate* docTemplate) {
  if (docTemplate) m_templates.push_back(docTemplate);
}

void CWinApp::ParseCommandLine(CCommandLineInfo& info) {
  for (int i = 1; i < m_argc; ++i) {
    const char* param = m_argv[i];
    BOOL flag = param[0] == '-' || param[0] == '/';
    info.ParseParam(flag ? param + 1 : param, flag, i == m_argc - 1);
  }
}

void CCommandLineInfo::ParseParam(const char* param, BOOL flag, BOOL) {
  if (!flag && m_strFileName.IsEmpty()) {
    m_strFileName = param;
    m_nShellCommand = FileOpen;
  }
}

BOOL CWinApp::ProcessShellCommand(CCommandLineInfo& info) {
  if (info.m_nShellCommand == CCommandLineInfo::FileNothing) return TRUE;
  // A file name is not a document here: every start opens a new one.
  OnFileNew();
  return m_pMainWnd != nullptr;
}

void CWinApp::OnFileNew() {
  if (m_templates.empty()) return;
  m_templates.front()->OpenDocumentFile(nullptr);
}

int CWinApp::DoMessageBox(LPCSTR prompt, UINT type, UINT) {
  HWND owner = m_pMainWnd ? m_pMainWnd->m_hWnd : nullptr;
  return ::MessageBoxA(owner, prompt, m_pszAppName, type);
}

int AfxWinMain(int argc, char** argv) {
  std::unique_ptr<QApplication> qtApp;
  // Movies play through the ffmpeg media back end (the default one crashes opening MP4 files);
  // it must be chosen before the application object exists. A back end set by the user wins.
  setenv("QT_MEDIA_BACKEND", "ffmpeg", 0);
  if (!QCoreApplication::instance()) qtApp = std::make_unique<QApplication>(argc, argv);
  CWinApp* app = AfxGetApp();
  if (!app) return -1;
  QApplication::setApplicationName(user_p::ToQString(app->m_pszAppName));
  app->m_argc = argc;
  app->m_argv = argv;
  AfxCloseMainWindowOnSignals();
  if (!app->InitInstance()) {
    if (app->m_pMainWnd) app->m_pMainWnd->DestroyWindow();
    return app->ExitInstance();
  }
  return app->Run();
}
