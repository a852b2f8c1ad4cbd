// The main window's menu and accelerators and the commands that only flip a setting.
#include "app/MyQuilletView.h"

bool CMyQuilletView::OnMenuCommand(UINT) { return false; }

void CMyQuilletView::UpdateMenu() {}
