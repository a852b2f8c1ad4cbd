// The GDI drawing interface in one include.
#pragma once

#include "platform/gdi/blit.h"
#include "platform/gdi/dc.h"
#include "platform/gdi/draw.h"
#include "platform/gdi/icm.h"
#include "platform/gdi/objects.h"
#include "platform/gdi/region.h"
#include "platform/gdi/text.h"
#include "platform/gdi/types.h"
