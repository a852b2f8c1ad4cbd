// The line layout of the full-screen message box, apart from any window.
#pragma once

#include <functional>
#include <vector>

#include "platform/mfc/cstring.h"

/// Splits at line breaks, then breaks each line too wide for `limit` at its last spaces until
/// the head fits. A part without a usable space is cut by characters (at least one each), so
/// every line fits unless a single character is wider than the limit. `width` measures a text.
std::vector<CString> BreakMessageLines(const CString& text, int limit, const std::function<int(const CString&)>& width);
/// The text with every backslash + "n" pair made a line break.
CString ExpandMessageLineBreaks(const CString& text);
