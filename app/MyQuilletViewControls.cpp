// The form's camera controls beyond the setting combos: AF lock, zoom keys and wheel, beep,
// the camera's viewfinder output and live view.
#include "app/MyQuilletView.h"

bool CMyQuilletView::OnCameraControlCommand(UINT, UINT) { return false; }
void CMyQuilletView::OnAfLock() {}
void CMyQuilletView::RefocusWithAfLock() {}
void CMyQuilletView::OnZoomIn() {}
void CMyQuilletView::OnZoomOut() {}
void CMyQuilletView::OnZoomReleasedCapture() {}
void CMyQuilletView::OnCameraBeep() {}
void CMyQuilletView::OnViewfinderOutput(UINT) {}
void CMyQuilletView::OnLiveViewfinder() {}
bool CMyQuilletView::EnableViewfinder(bool) { return false; }
int CMyQuilletView::OnViewfinderFrame(BYTE*, DWORD) { return 0; }
BOOL CMyQuilletView::OnMouseWheel(UINT flags, short delta, CPoint point) {
  return CFormView::OnMouseWheel(flags, delta, point);
}
BOOL CMyQuilletView::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result) {
  return CFormView::OnNotify(wParam, lParam, result);
}
