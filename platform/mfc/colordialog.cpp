#include "platform/mfc/colordialog.h"

#include <QColorDialog>

#include "platform/mfc/commondialog.h"
#include "platform/user/threadqueue_p.h"
#include "platform/user/window_p.h"

CColorDialog::CColorDialog(COLORREF initial, DWORD flags, CWnd* parent) {
  m_cc.hwndOwner = parent ? parent->m_hWnd : nullptr;
  m_cc.rgbResult = initial;
  m_cc.Flags = flags;
}

INT_PTR CColorDialog::DoModal() {
  CommonDialogAnswer answer;
  INT_PTR result = IDCANCEL;
  if (mfc_p::TakeCommonDialogAnswer(&answer)) {
    result = answer.result;
    if (result == IDOK) m_cc.rgbResult = answer.color;
  } else {
    user_p::RunOnUiThread([&] {
      QColor initial(GetRValue(m_cc.rgbResult), GetGValue(m_cc.rgbResult), GetBValue(m_cc.rgbResult));
      QColor chosen = QColorDialog::getColor(initial, user_p::WidgetOf(m_cc.hwndOwner));
      if (chosen.isValid()) {
        m_cc.rgbResult = RGB(chosen.red(), chosen.green(), chosen.blue());
        result = IDOK;
      }
    });
  }
  mfc_p::RecordCommonDialog({"color", "", "", result});
  return result;
}
