#include "platform/mfc/fontdialog.h"

#include <QFontDialog>
#include <cmath>
#include <cstring>

#include "platform/mfc/commondialog.h"
#include "platform/user/qtstring_p.h"
#include "platform/user/threadqueue_p.h"
#include "platform/user/window_p.h"

namespace {

// Character height in pixels (negative lfHeight) at 96 dpi <-> points.
double PointsOf(const LOGFONTA& font) { return std::abs(font.lfHeight) * 72.0 / 96.0; }

QFont ToQFont(const LOGFONTA& font) {
  QFont qfont(user_p::ToQString(font.lfFaceName));
  if (font.lfHeight != 0) qfont.setPointSizeF(PointsOf(font));
  qfont.setWeight(font.lfWeight >= FW_BOLD ? QFont::Bold : font.lfWeight >= FW_SEMIBOLD ? QFont::DemiBold : QFont::Normal);
  qfont.setItalic(font.lfItalic);
  qfont.setUnderline(font.lfUnderline);
  qfont.setStrikeOut(font.lfStrikeOut);
  return qfont;
}

void FromQFont(const QFont& qfont, LOGFONTA* font) {
  std::string face = user_p::FromQString(qfont.family());
  std::memset(font->lfFaceName, 0, sizeof(font->lfFaceName));
  std::strncpy(font->lfFaceName, face.c_str(), LF_FACESIZE - 1);
  font->lfHeight = -static_cast<LONG>(std::lround(qfont.pointSizeF() * 96.0 / 72.0));
  font->lfWeight = qfont.weight() >= QFont::Bold ? FW_BOLD : qfont.weight() >= QFont::DemiBold ? FW_SEMIBOLD : FW_NORMAL;
  font->lfItalic = qfont.italic();
  font->lfUnderline = qfont.underline();
  font->lfStrikeOut = qfont.strikeOut();
}

}  // namespace

CFontDialog::CFontDialog(LPLOGFONTA initial, DWORD flags, CDC*, CWnd* parent) {
  if (initial) m_lf = *initial;
  m_cf.hwndOwner = parent ? parent->m_hWnd : nullptr;
  m_cf.lpLogFont = &m_lf;
  m_cf.Flags = flags | (initial ? CF_INITTOLOGFONTSTRUCT : 0);
}

INT_PTR CFontDialog::DoModal() {
  CommonDialogAnswer answer;
  INT_PTR result = IDCANCEL;
  if (mfc_p::TakeCommonDialogAnswer(&answer)) {
    result = answer.result;
    if (result == IDOK) {
      m_lf = answer.font;
      m_cf.rgbColors = answer.color;
    }
  } else {
    user_p::RunOnUiThread([&] {
      bool ok = false;
      QFontDialog::FontDialogOptions options;
      if (m_cf.Flags & CF_SCALABLEONLY) options |= QFontDialog::ScalableFonts;
      QFont chosen = QFontDialog::getFont(&ok, ToQFont(m_lf), user_p::WidgetOf(m_cf.hwndOwner), QString(), options);
      if (ok) {
        FromQFont(chosen, &m_lf);
        result = IDOK;
      }
    });
  }
  if (result == IDOK) m_cf.iPointSize = static_cast<INT>(std::lround(PointsOf(m_lf) * 10));
  mfc_p::RecordCommonDialog({"font", "", "", result});
  return result;
}
