#include "config/MotionDlg.h"

#include <mutex>

namespace {

void RegisterTemplate() {
  static std::once_flag once;
  std::call_once(once, [] {
    AfxRegisterDialogTemplate(
        {IDD_MOTION,
         "Tavorin Motion Detection Requirements",
         {{-1, DlgItemKind::Label,
           "Motion detection needs the Rizoru Vori Rivarad program, a separate product of Vevir Edidad.\n"
           "Install it and run it beside Tavorin; the help pages tell how to connect the two."},
          {IDOK, DlgItemKind::DefButton, "View Help Pages"},
          {IDCANCEL, DlgItemKind::Button, "Cancel"}}});
  });
}

}  // namespace

CMotionDlg::CMotionDlg(CWnd* parent) : CDialog(IDD_MOTION, parent) { RegisterTemplate(); }
