// One photo of the view's image list: its file and the metadata read when it arrived.
#pragma once

#include "platform/mfc/cstring.h"
#include "support/Exif.h"

class CTVNImage {
 public:
  explicit CTVNImage(const CString& path) : m_strFileName(path), m_exif(path) {}

  CString GetFileName() const { return m_strFileName; }
  /// The Exif rotation of the photo, 0 when it has none.
  int GetRotation() const { return m_exif.GetRotation(); }

  CString m_strFileName;
  Exif m_exif;
};
