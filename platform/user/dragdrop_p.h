// Private: the dropped-files block behind an HDROP.
#pragma once

#include <string>
#include <vector>

#include "platform/win32/windef.h"

namespace user_p {

/// A new drop block; DragFinish frees it.
HDROP MakeDrop(const std::vector<std::string>& ansiPaths, POINT point);

}  // namespace user_p
