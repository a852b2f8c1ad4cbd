// CWinThread and CWinApp: the application object, its start-up (InitInstance), the message
// loop (Run) and its end (ExitInstance). AfxWinMain drives them from main().
#pragma once

#include <vector>

#include "platform/mfc/cstring.h"
#include "platform/mfc/wnd.h"

class CDocTemplate;
class CCommandLineInfo;
class CDC;
struct PRINTDLGA;
struct CRITICAL_SECTION;

class CWinThread : public CObject {
 public:
  CWnd* m_pMainWnd = nullptr;

  virtual BOOL InitInstance() { return TRUE; }
  /// Runs the message loop until PostQuitMessage; returns ExitInstance's result.
  virtual int Run();
  virtual int ExitInstance();
  /// Offered every message of the UI thread after its windows have declined it.
  virtual BOOL PreTranslateMessage(MSG*) { return FALSE; }

  /// Worker threads (AfxBeginThread): the thread's handle, closed when the object goes; with
  /// m_bAutoDelete the object deletes itself when the thread's function returns.
  HANDLE m_hThread = nullptr;
  BOOL m_bAutoDelete = TRUE;
  DWORD ResumeThread();
  ~CWinThread() override;

 protected:
  int m_exitCode = 0;
};

class CWinApp : public CWinThread {
 public:
  /// There is one application object; a NULL name becomes "Tavorin"'s executable name.
  explicit CWinApp(LPCSTR appName = nullptr);
  ~CWinApp() override;

  LPCSTR m_pszAppName = nullptr;
  LPCSTR m_pszRegistryKey = nullptr;
  LPCSTR m_pszProfileName = nullptr;
  HINSTANCE m_hInstance = nullptr;
  LPSTR m_lpCmdLine = nullptr;
  int m_nCmdShow = SW_SHOWNORMAL;

  /// Remembers the registry key the settings go under ("Software\<key>\<app name>").
  void SetRegistryKey(LPCSTR key);
  /// The application takes ownership of the template.
  void AddDocTemplate(CDocTemplate* docTemplate);
  void ParseCommandLine(CCommandLineInfo& info);
  /// FALSE when the command (a new document) could not be carried out.
  BOOL ProcessShellCommand(CCommandLineInfo& info);
  virtual void OnFileNew();
  /// The message box behind AfxMessageBox, captioned with the application's name.
  virtual int DoMessageBox(LPCSTR prompt, UINT type, UINT helpId);
  BOOL Enable3dControls() { return TRUE; }

  /// The application's printer: movable DEVMODE and DEVNAMES blocks owned by the application.
  /// Workers read them, so every change happens under m_pPrinterLock when one is set.
  HGLOBAL m_hDevMode = nullptr;
  HGLOBAL m_hDevNames = nullptr;
  CRITICAL_SECTION* m_pPrinterLock = nullptr;
  /// Fills in the system's default printer when the application has none yet, then hands out
  /// the application's handles (still owned by it). FALSE when there is no printer at all.
  BOOL GetPrinterDeviceDefaults(PRINTDLGA* printDialog);
  /// A DC on the application's printer attached to `dc`; FALSE when none can be made.
  BOOL CreatePrinterDC(CDC& dc);
  /// Makes the blocks the application's printer (the application owns them from now on).
  void SelectPrinter(HGLOBAL devNames, HGLOBAL devMode, BOOL freeOld = TRUE);
  /// File > Print Setup: the print-setup dialog on the application's printer.
  virtual void OnFilePrintSetup();

  int m_argc = 0;
  char** m_argv = nullptr;

 private:
  CString m_appName;
  CString m_registryKey;
  std::vector<CDocTemplate*> m_templates;
};

/// The one application object (NULL before it is constructed).
CWinApp* AfxGetApp();
CWnd* AfxGetMainWnd();
LPCSTR AfxGetAppName();
HINSTANCE AfxGetInstanceHandle();
HINSTANCE AfxGetResourceHandle();
/// A message box captioned with the application's name, owned by the main window.
int AfxMessageBox(LPCSTR text, UINT type = MB_OK, UINT helpId = 0);
/// Starts the window system, then InitInstance, Run and ExitInstance of the application
/// object; returns the exit code (InitInstance's FALSE ends at once with ExitInstance's code).
int AfxWinMain(int argc, char** argv);
/// From now on SIGTERM, SIGINT and SIGHUP close the main window (WM_CLOSE) as its close box
/// does; a second signal during that shutdown ends the process at once. AfxWinMain calls it.
void AfxCloseMainWindowOnSignals();
/// TRUE once such a signal came: long work (a print job) stops early so the close can finish.
BOOL AfxIsSessionEnding();

/// Command-line parsing for ProcessShellCommand.
class CCommandLineInfo {
 public:
  enum { FileNew = 0, FileOpen = 1, FileNothing = 5 };
  virtual ~CCommandLineInfo() = default;
  /// Called once per argument: a flag (leading '-' or '/') without its prefix, or a parameter.
  virtual void ParseParam(const char* param, BOOL flag, BOOL last);
  int m_nShellCommand = FileNew;
  CString m_strFileName;
};
