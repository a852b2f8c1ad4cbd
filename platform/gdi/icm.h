// Colour profiles of the screen: where profiles live and which one describes the display.
#pragma once

#include "platform/gdi/types.h"

/// The folder of colour profiles: $XDG_DATA_HOME/icc (~/.local/share/icc without it), made
/// when missing. `machine` must be NULL. `size` is in characters with the terminator; when the
/// buffer is too small the call fails, sets *size to what is needed and the last error to
/// ERROR_INSUFFICIENT_BUFFER.
BOOL GetColorDirectoryA(LPCSTR machine, LPSTR buffer, LPDWORD size);
#define GetColorDirectory GetColorDirectoryA

/// The file of the screen's colour profile: the X root window's _ICC_PROFILE when the display
/// has a valid one (copied into the colour folder), else an sRGB profile written there once.
/// `size` works as for GetColorDirectoryA; FALSE when no profile file can be written.
BOOL GetICMProfileA(HDC dc, LPDWORD size, LPSTR fileName);
#define GetICMProfile GetICMProfileA
