// CMyQuilletApp: the application object. It starts the single-document shell (document, main
// frame, form view) and keeps the program-wide printer settings that the print workers share.
#pragma once

#include "platform/mfc/afxwin.h"
#include "platform/winspool/globalmem.h"

class CMyQuilletView;

class CMyQuilletApp : public CWinApp {
 public:
  CMyQuilletApp();
  ~CMyQuilletApp() override;

  BOOL InitInstance() override;
  void OnAppAbout();

  /// Copies of the printer DEVMODE and DEVNAMES in new[] buffers the caller delete[]s; the
  /// default printer fills in missing ones. FALSE (outputs untouched) when there is no printer.
  BOOL GetPrinterSettings(BYTE*& devMode, DWORD& devModeSize, BYTE*& devNames, DWORD& devNamesSize);
  /// Installs copies of both records; FALSE for a null pointer or zero size.
  BOOL SetPrinterSettings(const BYTE* devMode, DWORD devModeSize, const BYTE* devNames, DWORD devNamesSize);

  CMyQuilletView* m_pView = nullptr;
};

/// The application object when it is a CMyQuilletApp, else NULL.
CMyQuilletApp* GetMyQuilletApp();

/// Whether the start must hand over to the compatibility copy of the program: only on
/// Windows 6.0 with a layer value (NULL when it could not be read) other than "WINXPSP2".
bool NeedsCompatibilityRelaunch(DWORD majorVersion, DWORD minorVersion, bool layersKeyOpened,
                                const char* layerValue);
