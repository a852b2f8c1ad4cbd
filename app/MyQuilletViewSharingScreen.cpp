// The sharing screen for the last output, opened from the booth window (Ctrl+Shift+S or a tap).
#include "app/MyQuilletView.h"

void CMyQuilletView::ShowSharingScreen() {
  CFullscreenDlg* booth = BoothWindow();
  if (!booth || m_strLastOutput.IsEmpty()) return;
}
