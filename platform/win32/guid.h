// GUIDs: random identifiers for names that must not collide (multipart boundaries).
#pragma once

#include "platform/win32/windef.h"

/// A random (version 4) GUID from the kernel's random source. E_FAIL when none can be had.
HRESULT CoCreateGuid(GUID* guid);

/// Test seam: while set, CoCreateGuid fails, so callers' fallbacks can be exercised.
void SetCoCreateGuidFailsForTesting(bool fails);
