// Pictures the simulated camera delivers: photos with Exif, THM and CRW companions, frames.
#pragma once

#include <string>
#include <vector>

#include "platform/win32/windef.h"

namespace tavsim_p {

struct PhotoInfo {
  int width = 640;
  int height = 480;
  int counter = 0;  // drawn large into the scene
  std::string model;
  DWORD exposureNum = 1, exposureDen = 125;
  DWORD fNumberNum = 40, fNumberDen = 10;
  WORD iso = 100;
  WORD orientation = 1;      // Exif orientation tag value
  WORD exposureProgram = 2;  // Exif: 1 manual, 2 program, 3 aperture priority, 4 shutter priority
  int biasThirds = 0;        // exposure compensation in thirds of a stop
  WORD whiteBalance = 0;     // Exif: 0 auto, 1 manual
  WORD lightSource = 0;      // Exif light source of a manual white balance (0: unknown)
  WORD flash = 0x10;         // Exif flash value: fired, mode and red-eye bits
};

/// The exposure the camera makes of its settings (PTP codes of a PowerShot): shooting mode,
/// Tv, Av, ISO, white balance, flash mode and exposure compensation. What the mode leaves to
/// the camera stays at its metered 1/125 s, f/4.0, ISO 100.
void ApplySettings(PhotoInfo& photo, DWORD mode, DWORD tv, DWORD av, DWORD iso, DWORD whiteBalance, DWORD flash,
                   DWORD compensation);

/// A baseline JPEG of the test scene; empty on an encoder failure.
std::vector<BYTE> EncodeScene(int width, int height, int counter, int quality);
/// A JPEG photo with an Exif APP1 (IFD0, Exif IFD with a 264-byte comment slot, IFD1 thumbnail).
std::vector<BYTE> MakePhoto(const PhotoInfo& info);
/// A CIFF raw file whose heap holds the JPEG as a 0x2007 record.
std::vector<BYTE> MakeCrw(const std::vector<BYTE>& jpeg);

/// The JPEG thumbnail named by IFD1 of the photo's Exif; empty when there is none.
std::vector<BYTE> ExifThumbnail(const std::vector<BYTE>& jpeg);
/// Reads the comment (0x9286) and orientation (0x0112) of a JPEG's Exif; false when absent.
bool ReadExifFields(const std::vector<BYTE>& jpeg, std::string* comment, WORD* orientation);
/// Rewrites them in place; a comment that has no slot, or does not fit it, gets a slot of the
/// camera's size at the end of the Exif block. False when that cannot be done.
bool WriteExifFields(std::vector<BYTE>& jpeg, const std::string* comment, const WORD* orientation);

}  // namespace tavsim_p
