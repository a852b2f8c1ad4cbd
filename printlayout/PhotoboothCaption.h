// One caption of a custom print layout: a text template drawn at a place in printer pixels.
#pragma once

#include "platform/mfc/cstring.h"
#include "platform/win32/windef.h"

class PhotoboothCaption {
 public:
  PhotoboothCaption();
  PhotoboothCaption(const PhotoboothCaption& other) = default;
  PhotoboothCaption& operator=(const PhotoboothCaption& other) = default;
  /// Every field, the 60 font bytes and both texts.
  bool operator==(const PhotoboothCaption& other) const;
  bool operator!=(const PhotoboothCaption& other) const { return !(*this == other); }

  /// A caption just placed by the user: on, at (left, top), 18-point Arial, "Caption %d".
  static PhotoboothCaption MakeNew(int number, int left, int top);

  int m_nEnable = 0;
  int m_nLeft = 0;
  int m_nTop = 0;
  int m_nMaxNumberOfLines = 0;
  int m_nMaxLineWidth = 0;
  int m_nAlignment = 0;  // 0 left, 1 centred, 2 right
  double m_dAngle = 0.0;  // degrees
  LOGFONTA m_font;        // height in screen pixels
  COLORREF m_colour = 0;
  CString m_strText;
  CString m_strExpandedText;
};

/// The most lines a caption may ask for: more than a page holds in any readable font, and few
/// enough that every draw of the editor stays quick.
const int kMaxCaptionLines = 300;
/// A line count as read from a file, the registry or the editor, within 0..kMaxCaptionLines.
int ClampCaptionLines(int lines);

/// The LOGFONT of an Arial font of `pointTenths` created for the screen.
LOGFONTA MakeScreenPointFont(int pointTenths);
