// Private: timers end with their window.
#pragma once

#include "platform/user/winmsg.h"

namespace user_p {

void KillWindowTimers(HWND hWnd);

}  // namespace user_p
