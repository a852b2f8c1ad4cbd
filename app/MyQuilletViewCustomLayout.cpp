// The custom print-layout editor from the form's shortcut button: the layout goes in, and comes
// back with an OK; a printer changed inside the editor lasts only with that OK.
#include "app/LayoutEditorOpeners.h"
#include "app/MyQuilletApp.h"
#include "app/MyQuilletView.h"
#include "platform/user/messagebox.h"
#include "printlayout/PhotoboothCustomLayoutDlg.h"
#include "printlayout/PrinterMargins.h"

void CMyQuilletView::OnPhotoboothCustomLayout() {
  CString printer;
  if (!GetCurrentPrinterName(printer)) {
    ::MessageBoxA(m_hWnd,
                  "Printer \"" + printer + "\" is not defined.\nPlease use \"Printer Setup\" to select a printer.",
                  "Tavorin", MB_OK | MB_ICONERROR);
    return;
  }
  // A camera reconnecting behind the modal editor would take the UI from it.
  const BOOL autoReconnect = m_bAutoReconnect;
  m_bAutoReconnect = FALSE;

  CMyQuilletApp* app = GetMyQuilletApp();
  BYTE* devMode = nullptr;
  BYTE* devNames = nullptr;
  DWORD devModeSize = 0, devNamesSize = 0;
  const BOOL saved = app && app->GetPrinterSettings(devMode, devModeSize, devNames, devNamesSize);

  CPhotoboothCustomLayoutDlg editor(this, m_bPhotobooth3to2Crop ? 3 : 4, m_bPhotobooth3to2Crop ? 2 : 3);
  ConnectLayoutEditorDialogs(editor);
  editor.m_nNumberOfPhotos = m_nNumberOfPhotoboothImages;
  editor.m_strImageDir = m_strPhotoboothImageDir;
  editor.m_backgroundColour = static_cast<COLORREF>(m_nPhotoboothBackgroundColor);
  editor.m_strQRcode = m_strQRcode;
  editor.m_nQRcodeQuality = m_nQRcodeQuality;
  for (int i = 0; i < kLayoutBoxCount; ++i) editor.m_layoutBoxes[i] = m_layoutBoxes[i];
  for (int i = 0; i < kLayoutCaptionCount; ++i) editor.m_captions[i] = m_captions[i];
  if (editor.DoModal() == IDOK) {
    for (int i = 0; i < kLayoutBoxCount; ++i) m_layoutBoxes[i] = editor.m_layoutBoxes[i];
    for (int i = 0; i < kLayoutCaptionCount; ++i) m_captions[i] = editor.m_captions[i];
    m_nNumberOfPhotoboothImages = editor.m_nNumberOfPhotos;
    m_nPhotoboothBackgroundColor = static_cast<int>(editor.m_backgroundColour);
    m_strQRcode = editor.m_strQRcode;
    m_nQRcodeQuality = editor.m_nQRcodeQuality;
    m_bPhotoboothCustomLayout = TRUE;
    UpdateData(FALSE);
    SaveSettings();
  } else if (saved) {
    app->SetPrinterSettings(devMode, devModeSize, devNames, devNamesSize);
  }
  delete[] devMode;
  delete[] devNames;
  m_bAutoReconnect = autoReconnect;
}
