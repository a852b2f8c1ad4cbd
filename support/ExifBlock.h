// The camera's Exif block put back into a photo the imaging library re-saved, its embedded
// thumbnail rebuilt from the processed picture; and the small byte readers beside it.
#pragma once

#include <vector>

#include "platform/win32/windef.h"

/// Replaces the saved JPEG's Exif APP1 segment by the camera JPEG's, with a thumbnail made from
/// the session's picture (session 0: the camera's thumbnail stays; one that does not fit grows
/// the block or is dropped, never left showing the old picture), and keeps the camera JPEG's
/// ICC profile when the saved file has none. The file is rewritten
/// through a temporary file renamed over it; any failure leaves it as it was, silently.
void RestoreExifBlock(int session, const BYTE* cameraJpeg, DWORD size, const char* path);

/// Moves data to the first FF D8 FF followed by DB or E0 and shortens length to match;
/// both unchanged when there is none.
void FindJpegStart(const BYTE*& data, DWORD& length);

/// Little-endian when intel is set, else big-endian. The caller checks the bytes are there.
DWORD ReadExifUInt32(const BYTE* bytes, BOOL intel);
WORD ReadExifUInt16(const BYTE* bytes, BOOL intel);

/// The new thumbnail for an old one of oldLength bytes: a JPEG of the session's picture fitted
/// to 160 x 160 at the first quality from 80 down to 50 that makes it shorter. False when none
/// fits or the picture cannot be read; then `smallest` (when given) gets the quality-50 result.
bool MakeExifThumbnail(int session, DWORD oldLength, std::vector<BYTE>& jpeg, std::vector<BYTE>* smallest = nullptr);
