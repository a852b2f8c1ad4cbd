// The booth window lives with the photobooth session; the view's files include it from here.
#pragma once

#include "photobooth/FullscreenDlg.h"
