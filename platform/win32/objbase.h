// COM start and end per thread. The components this program takes from COM (image codecs,
// the mail component) are plain libraries here, so there is nothing to start.
#pragma once

#include "platform/win32/windef.h"

/// Always S_OK.
HRESULT CoInitialize(LPVOID reserved);
void CoUninitialize();
