// libgphoto2 for the back end's sources: it defines TRUE and FALSE only where they are not yet
// defined, so ours come first.
#pragma once

#include "platform/win32/windef.h"

#include <gphoto2/gphoto2.h>
