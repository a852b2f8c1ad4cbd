// Movable global memory blocks, as printer settings (DEVMODE, DEVNAMES) are handed around.
// A handle stays valid until GlobalFree; GlobalLock gives the block's address.
#pragma once

#include "platform/win32/windef.h"

#define GMEM_FIXED 0x0000u
#define GMEM_MOVEABLE 0x0002u
#define GMEM_ZEROINIT 0x0040u
#define GHND (GMEM_MOVEABLE | GMEM_ZEROINIT)
#define GPTR (GMEM_FIXED | GMEM_ZEROINIT)

/// Returns NULL (ERROR_NOT_ENOUGH_MEMORY) when the block cannot be had; free with GlobalFree.
HGLOBAL GlobalAlloc(UINT flags, SIZE_T bytes);
/// Returns NULL for a bad handle. Each lock needs an unlock.
LPVOID GlobalLock(HGLOBAL memory);
/// Returns FALSE once the block is no longer locked (last error NO_ERROR), as the platform does.
BOOL GlobalUnlock(HGLOBAL memory);
/// The block's size in bytes; 0 for a bad handle.
SIZE_T GlobalSize(HGLOBAL memory);
/// Returns NULL on success, the handle itself on failure.
HGLOBAL GlobalFree(HGLOBAL memory);
