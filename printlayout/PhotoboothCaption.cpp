#include "printlayout/PhotoboothCaption.h"

#include <algorithm>
#include <cstring>

#include "platform/mfc/gdiobjects.h"

LOGFONTA MakeScreenPointFont(int pointTenths) {
  LOGFONTA font{};
  CFont made;
  if (made.CreatePointFont(pointTenths, "Arial") && made.GetLogFont(&font) == sizeof(LOGFONTA)) return font;
  font = LOGFONTA{};
  font.lfHeight = -(pointTenths * 96 / 720);  // the screen's 96 dpi
  font.lfWeight = 400;
  std::strncpy(font.lfFaceName, "Arial", sizeof(font.lfFaceName) - 1);
  return font;
}

int ClampCaptionLines(int lines) { return std::clamp(lines, 0, kMaxCaptionLines); }

PhotoboothCaption::PhotoboothCaption() : m_font(MakeScreenPointFont(280)) {}

PhotoboothCaption PhotoboothCaption::MakeNew(int number, int left, int top) {
  PhotoboothCaption caption;
  caption.m_nEnable = 1;
  caption.m_nLeft = left;
  caption.m_nTop = top;
  caption.m_font = MakeScreenPointFont(180);
  caption.m_strText.Format("Caption %d", number);
  return caption;
}

bool PhotoboothCaption::operator==(const PhotoboothCaption& other) const {
  return m_nEnable == other.m_nEnable && m_nLeft == other.m_nLeft && m_nTop == other.m_nTop &&
         m_nMaxNumberOfLines == other.m_nMaxNumberOfLines && m_nMaxLineWidth == other.m_nMaxLineWidth &&
         m_nAlignment == other.m_nAlignment && m_dAngle == other.m_dAngle &&
         std::memcmp(&m_font, &other.m_font, sizeof(LOGFONTA)) == 0 && m_colour == other.m_colour &&
         m_strText == other.m_strText && m_strExpandedText == other.m_strExpandedText;
}
