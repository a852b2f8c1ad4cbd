#include "app/DataFiles.h"

#include "platform/win32/files.h"
#include "platform/win32/folders.h"

CString FindDataFile(const char* name) {
  CString path = CString(GetProgramFolder()) + name;
  if (PathFileExistsA(path)) return path;
#ifdef TAVORIN_SOURCE_DATA_DIR
  path = CString(TAVORIN_SOURCE_DATA_DIR "/") + name;
  if (PathFileExistsA(path)) return path;
#endif
  return CString();
}
