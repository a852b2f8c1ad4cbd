// The metadata of one photo: camera model, shooting values, orientation, time taken and
// comment, read from a .jpg, a .thm (also for a .crw) or a JPEG in memory.
//
// The reader is a small bounded walk of JPEG markers and TIFF IFDs, not a general Exif
// library: every offset, count and length from the file is checked against its data, and a
// damaged or absent block leaves the record empty (rotation 0, the construction time).
#pragma once

#include "platform/mfc/cstring.h"
#include "platform/win32/windef.h"

class ExifTiff;
struct ExifEntry;

class Exif {
 public:
  /// Parses the file; a .crw is read through its .thm companion. Never fails: no metadata leaves the fields empty.
  explicit Exif(const char* path);
  explicit Exif(const CString& path);
  /// Parses a JPEG held in memory; the bytes stay the caller's.
  Exif(const BYTE* buffer, DWORD size);
  Exif(const Exif& other) = default;
  Exif& operator=(const Exif& other) = default;
  virtual ~Exif() = default;

  CString GetFileName() const { return m_path; }
  CString GetModel() const { return m_model; }
  CString GetOwnerName() const { return m_owner; }
  CString GetAperture() const { return m_aperture; }
  CString GetIso() const { return m_iso; }
  CString GetExposure() const { return m_exposure; }
  int GetRotation() const { return m_rotation; }
  LONGLONG GetTime() const { return m_time; }
  CString GetDateTimeText() const { return m_dateTime; }

  /// Stores the rotation in the file: in place in a .jpg's Exif block (the record's rotation is not
  /// changed), through the camera SDK's image item for other files. A missing tag changes nothing.
  void SetOrientation(int degrees);
  /// Writes up to 255 characters as the image comment through the camera SDK; FALSE when it was
  /// not stored (no SDK, no companion file, the SDK refused), and the file is then unchanged.
  BOOL SetComment(const char* comment);
  /// The comment read through the camera SDK; the stored comment when that fails or there is no path.
  CString GetComment();
  /// "1/250sec @ F2.8, ISO 100 'comment'", each part only when known.
  CString GetSummary();

  /// Moves the file and its .jpg and .thm companions; returns "" or "Error renaming image".
  CString RenameImage(const char* newPath);
  CString Rename(const CString& newPath) { return RenameImage(newPath); }

  /// The photo's JPEG (a .jpg whole, a .crw's embedded JPEG) in a new buffer the caller delete[]s; NULL on failure.
  BYTE* ReadJpegBytes(DWORD& size) const;

  // Fields in the record's declaration order.
  BYTE m_byteOrder = 0;  // 1 little-endian ("II"), 0 big-endian ("MM")
  CString m_path;
  CString m_spare;
  CString m_firmware;
  CString m_owner;
  CString m_model;
  CString m_serialNumber;
  CString m_aperture;
  CString m_exposure;
  CString m_comment;
  int m_makerNote = 0;
  int m_rotation = 0;
  CString m_iso;
  LONGLONG m_time = 0;
  CString m_dateTime;

 private:
  void Init(const char* path);
  void ParseFile(const char* path);
  void ParseApp1(const BYTE* segment, size_t length);
  void ParseExifIfd(const ExifTiff& tiff, DWORD offset);
  static CString FormatExposure(const ExifTiff& tiff, const ExifEntry& entry);
  void ApplyDateTime();
};
