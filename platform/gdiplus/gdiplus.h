// The GDI+ interface in one include.
#pragma once

#include "platform/gdiplus/codecs.h"
#include "platform/gdiplus/graphics.h"
#include "platform/gdiplus/image.h"
#include "platform/gdiplus/types.h"
