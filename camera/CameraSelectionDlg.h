// CCameraSelectionDlg: the camera choice shown when two or more cameras are found. It lists
// the choice entries that BuildCameraChoice made and answers with the chosen SDK index.
#pragma once

#include "camera/Camera.h"
#include "platform/mfc/dialog.h"
#include "platform/mfc/stdctrls.h"

#define IDD_CAMERA_SELECTION 173
#define IDC_CAMERA_LIST 1073

class CCameraSelectionDlg : public CDialog {
 public:
  /// `items` must outlive the dialog; `selection` is the entry shown first.
  CCameraSelectionDlg(CWnd* parent, const CArray<CameraChoiceItem>& items, int selection);

  BOOL OnInitDialog() override;
  /// Takes the chosen entry; with none chosen the dialog stays open.
  void OnOK() override;
  void DoDataExchange(CDataExchange* dx) override;

  // After IDOK: the chosen entry, and its CDSDK or PRSDK index (the other one is -1).
  int m_selection;
  int m_cdsdkIndex = -1;
  int m_prsdkIndex = -1;

 private:
  const CArray<CameraChoiceItem>& m_items;
  CComboBox m_cameraList;
};

/// The camera chooser behind CCamera::Connect when a window system is present: shows the
/// dialog (on the UI thread, whatever thread asks); false when it is cancelled or cannot open.
bool ShowCameraSelectionDlg(CMyQuilletView* parent, const CArray<CameraChoiceItem>& items, int& selection);
