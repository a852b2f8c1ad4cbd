// CPhotoboothProfilesDlg ("Photobooth Profiles"): the 18 profile paths and the default profile
// that the booth returns to. Works on copies: the opener fills the members and takes them back
// after IDOK.
#pragma once

#include "config/PhotoboothProfiles.h"
#include "platform/mfc/dialog.h"

#define IDD_PHOTOBOOTH_PROFILES 214
#define IDC_PROFILES_DEFAULT 1039

class CPhotoboothProfilesDlg : public CDialog {
 public:
  explicit CPhotoboothProfilesDlg(CWnd* parent = nullptr);

  /// The path edit and the browse button of profile n (1 to 18).
  static int PathEditId(int profile);
  static int BrowseButtonId(int profile);

  CString m_strProfiles[kProfileSlots];
  /// 0 none, 1 to 8 that profile; a stored value the list cannot show is kept as it is.
  int m_nDefaultProfile = 0;

 protected:
  BOOL OnInitDialog() override;
  void DoDataExchange(CDataExchange* dx) override;
  BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;

 private:
  void OnBrowse(int profile);
};
