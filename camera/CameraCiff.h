// The JPEG previews inside a raw (CIFF) file.
#pragma once

#include <vector>

#include "platform/win32/windef.h"

struct CiffJpeg {
  DWORD offset;  // from the start of the data
  DWORD size;
};

/// The 0x2007 records of the raw file's heap, in directory order. A directory or record that
/// lies outside the data ends the walk; what was found before it is kept.
std::vector<CiffJpeg> FindCiffJpegs(const BYTE* data, DWORD size);
