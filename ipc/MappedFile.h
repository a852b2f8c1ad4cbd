// MappedFile: the process's one view of the remote-control block "TavorinFileMapping".
// It holds no data of its own: a static count, the static mapping handle and the static
// view. A program keeps one static MappedFile, so the view stays mapped until exit.
#pragma once

#include "platform/win32/windef.h"

struct TavorinIpcBlock;

class MappedFile {
 public:
  MappedFile();
  /// The last MappedFile of the process unmaps the view and closes the mapping.
  ~MappedFile();

  /// Creates or opens the shared block and maps it; NULL when either fails. The block is
  /// shared by the process and stays valid while any MappedFile lives.
  TavorinIpcBlock* GetMappedView();

 private:
  static int s_nCount;
  static HANDLE s_hMapping;
  static TavorinIpcBlock* s_pView;
};
