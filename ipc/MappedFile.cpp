#include "ipc/MappedFile.h"

#include "ipc/TavorinIPC.h"
#include "platform/win32/error.h"
#include "platform/win32/filemapping.h"
#include "platform/win32/handle.h"
#include "platform/win32/trace.h"

int MappedFile::s_nCount = 0;
HANDLE MappedFile::s_hMapping = nullptr;
TavorinIpcBlock* MappedFile::s_pView = nullptr;

// Keeps the block mapped for the life of the process.
static MappedFile s_processMapping;

MappedFile::MappedFile() { ++s_nCount; }

MappedFile::~MappedFile() {
  if (s_nCount-- == 1 && s_hMapping) {
    if (s_pView) {
      TRACE("MappedFile::MappedFile() - unmapping view\n");
      UnmapViewOfFile(s_pView);
      s_pView = nullptr;
    }
    TRACE("MappedFile::~MappedFile() - closing handle\n");
    CloseHandle(s_hMapping);
    s_hMapping = nullptr;
  }
}

TavorinIpcBlock* MappedFile::GetMappedView() {
  if (!s_hMapping) {
    TRACE("MappedFile::GetMappedView() creating file mapping\n");
    HANDLE mapping = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, kTavorinIpcMappingSize,
                                       kTavorinIpcMappingName);
    if (!mapping) return s_pView;
    if (GetLastError() == ERROR_ALREADY_EXISTS) {
      TRACE("MappedFile::GetMappedView() file exists, using OpenFileMapping\n");
      CloseHandle(mapping);
      mapping = OpenFileMappingA(FILE_MAP_ALL_ACCESS, FALSE, kTavorinIpcMappingName);
      if (!mapping) return s_pView;
    }
    s_hMapping = mapping;
  }
  if (s_pView) return s_pView;
  TRACE("MappedFile::GetMappedView() mapping view of file\n");
  s_pView = static_cast<TavorinIpcBlock*>(MapViewOfFile(s_hMapping, FILE_MAP_ALL_ACCESS, 0, 0, 0));
  if (s_pView) s_pView->serverWindow = kTavorinNoServer;
  return s_pView;
}
