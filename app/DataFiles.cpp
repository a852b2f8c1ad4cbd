#include "app/DataFiles.h"

#include "platform/win32/folders.h"

CString FindDataFile(const char* name) { return CString(FindShippedFile(name).c_str()); }
