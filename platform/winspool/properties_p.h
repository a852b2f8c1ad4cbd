// The printer properties dialog behind DocumentProperties(DM_IN_PROMPT).
#pragma once

#include <functional>
#include <string>

#include "platform/winspool/devmode.h"

namespace winspool_p {

/// Lets the user change paper size, orientation and resolution; true when confirmed.
/// Without a widget application (or with a test answer set) nothing is shown.
bool ShowPropertiesDialog(HWND owner, const std::string& printerName, DEVMODEA& devMode);

/// Tests answer the dialog with this instead of showing it; an empty function restores it.
void SetPropertiesDialogAnswer(std::function<bool(DEVMODEA&)> answer);

}  // namespace winspool_p
