// The window system in one include: windows, messages, timers, painting, input, controls,
// menus, cursors and message boxes.
#pragma once

#include "platform/user/controls.h"
#include "platform/user/cursor.h"
#include "platform/user/input.h"
#include "platform/user/menu.h"
#include "platform/user/message.h"
#include "platform/user/messagebox.h"
#include "platform/user/paint.h"
#include "platform/user/shellapi.h"
#include "platform/user/timer.h"
#include "platform/user/window.h"
#include "platform/user/winmsg.h"
