#include "camera/CameraSelectionDlg.h"

#include <mutex>

#include "platform/mfc/ddx.h"

namespace {

void RegisterTemplate() {
  static std::once_flag once;
  std::call_once(once, [] {
    AfxRegisterDialogTemplate({IDD_CAMERA_SELECTION,
                               "Camera Selection",
                               {{IDC_CAMERA_LIST, DlgItemKind::Combo, nullptr}, {IDOK, DlgItemKind::DefButton, "OK"}}});
  });
}

}  // namespace

CCameraSelectionDlg::CCameraSelectionDlg(CWnd* parent, const CArray<CameraChoiceItem>& items, int selection)
    : CDialog(IDD_CAMERA_SELECTION, parent), m_selection(selection), m_items(items) {
  RegisterTemplate();
}

void CCameraSelectionDlg::DoDataExchange(CDataExchange* dx) {
  CDialog::DoDataExchange(dx);
  DDX_Control(dx, IDC_CAMERA_LIST, m_cameraList);
}

BOOL CCameraSelectionDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  for (INT_PTR i = 0; i < m_items.GetSize(); ++i) {
    int index = m_cameraList.AddString(m_items[i].text);
    m_cameraList.SetItemData(index, m_items[i].data);
  }
  bool known = m_selection >= 0 && m_selection < m_items.GetSize();
  m_cameraList.SetCurSel(known ? m_selection : 0);
  return TRUE;
}

void CCameraSelectionDlg::OnOK() {
  int chosen = m_cameraList.GetCurSel();
  if (chosen < 0) return;  // nothing to connect to yet
  m_selection = chosen;
  // CDSDK entries come first, so a CDSDK entry's position is its source index.
  DWORD_PTR data = m_cameraList.GetItemData(chosen);
  if (data == CAMERA_CHOICE_CDSDK) {
    m_cdsdkIndex = chosen;
    m_prsdkIndex = -1;
  } else {
    m_cdsdkIndex = -1;
    m_prsdkIndex = static_cast<int>(data);
  }
  EndDialog(IDOK);
}

bool ShowCameraSelectionDlg(CMyQuilletView*, const CArray<CameraChoiceItem>& items, int& selection) {
  // The view's frame (the main window) owns the dialog.
  CCameraSelectionDlg dialog(nullptr, items, selection);
  if (dialog.DoModal() != IDOK) return false;
  selection = dialog.m_selection;
  return true;
}
