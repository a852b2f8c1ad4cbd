// Hands the layout editor the child dialogs it cannot link itself: the caption editor, the
// QR-code text dialog and the template browser.
#pragma once

class CPhotoboothCustomLayoutDlg;

/// Every opener of the layout editor calls this before running it.
void ConnectLayoutEditorDialogs(CPhotoboothCustomLayoutDlg& editor);
