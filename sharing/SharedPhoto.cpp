#include "sharing/SharedPhoto.h"

#include <sys/stat.h>

#include "platform/win32/files.h"
#include "printlayout/PrinterMargins.h"
#include "support/PipSession.h"

namespace {

bool Exists(const CString& path) {
  struct stat info;
  return ::stat(path, &info) == 0;
}

int ToEdge(int extent) { return extent <= 20 ? 100000 : extent; }

}  // namespace

CString MakeTemporaryCopyPath(const char* photoPath, int firstNumber) {
  char folder[4096] = "";
  GetTempPathA(sizeof folder, folder);
  CString temp = folder;
  if (!temp.IsEmpty() && temp[temp.GetLength() - 1] != '/') temp += "/";
  CString photo = photoPath;
  int slash = photo.ReverseFind('/');
  CString file = photo.Mid(slash + 1);
  int dot = file.ReverseFind('.');
  CString name = dot >= 0 ? file.Left(dot) : file;
  CString extension = dot >= 0 ? file.Mid(dot) : CString();
  if (firstNumber < 0) {
    CString plain = temp + name + extension;
    if (!Exists(plain)) return plain;
    firstNumber = 1;
  }
  for (int n = firstNumber;; ++n) {
    CString candidate;
    candidate.Format("%s%s%d%s", temp.GetString(), name.GetString(), n, extension.GetString());
    if (!Exists(candidate)) return candidate;
  }
}

CString PrepareSharedPhoto(const char* photoPath, const SharedPhotoSettings& settings, const char* copyPath) {
  PipSession image;
  if (!cLoadImage(image.m_hSession, photoPath, 0, 0, 0)) return CString("Error reading image file:\n") + photoPath;
  CropToPrinterMargins(image);
  if (settings.cropEnable) {
    // The library's rectangle is inclusive; a narrow width or height reaches to the edge so
    // that a crop ticked but never sized cannot empty the photo.
    long right = static_cast<long>(settings.cropX) + ToEdge(settings.cropWidth) - 1;
    long bottom = static_cast<long>(settings.cropY) + ToEdge(settings.cropHeight) - 1;
    cSetOpRectangle(image.m_hSession, settings.cropX, settings.cropY, static_cast<int>(right),
                    static_cast<int>(bottom), 0);
    if (!cOpCrop(image.m_hSession)) return CString("Error reading image file:\n") + photoPath;
  }
  DWORD width = image.GetWidth(), height = image.GetHeight();
  if (settings.maxWidth > 0 && settings.maxHeight > 0 &&
      (width > static_cast<DWORD>(settings.maxWidth) || height > static_cast<DWORD>(settings.maxHeight)))
    cOpResizeEx(image.m_hSession, settings.maxWidth, settings.maxHeight, PIP_RESAMPLE_HIGH, 1);
  if (settings.rotation == 90 || settings.rotation == 180 || settings.rotation == 270)
    cOpRotateFine(image.m_hSession, settings.rotation);
  if (!cSave(image.m_hSession, copyPath, PIP_FORMAT_JPEG, 0, 0, 0))
    return CString("Error writing image file:\n") + copyPath;
  return "";
}
