// CUiPropPage: the wizard's last page, the user-interface options of the new booth. Facebook
// and e-mail need the touchscreen: clearing it clears them, ticking either ticks it.
#pragma once

#include "platform/mfc/propertysheet.h"

#define IDD_UI_PROP_PAGE 230
#define IDC_UI_TOUCHSCREEN 1273
#define IDC_UI_COLOUR_CHOICE 1274
#define IDC_UI_PREVIEW 1275
#define IDC_UI_CONFIRM 1276
#define IDC_UI_BACKGROUND 1278
#define IDC_UI_EMAIL 1298
#define IDC_UI_FACEBOOK 1297
#define IDC_UI_THUMBNAILS 1147
#define IDC_UI_3TO2 1189
#define IDC_UI_PRINT_IN_SHARING 1277
#define IDC_UI_TWITTER 1303
#define IDC_UI_MMS 1390
#define IDC_UI_INACTIVITY 1133

class CUiPropPage : public CPropertyPage {
 public:
  CUiPropPage();

  BOOL m_bTouchscreen = TRUE;
  BOOL m_bColourChoice = TRUE;
  BOOL m_bPreview = TRUE;
  BOOL m_bConfirmPrinting = TRUE;
  BOOL m_bBackground = FALSE;
  BOOL m_bEmail = FALSE;
  BOOL m_bFacebook = FALSE;
  BOOL m_bThumbnails = FALSE;
  BOOL m_b3to2 = FALSE;
  BOOL m_bPrintInSharing = FALSE;
  BOOL m_bTwitter = FALSE;
  BOOL m_bMms = FALSE;
  int m_nInactivityTimeout = 0;

 protected:
  BOOL OnSetActive() override;
  void DoDataExchange(CDataExchange* dx) override;
  BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
};
