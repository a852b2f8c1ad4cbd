// The wrapping rule itself, with the text measure passed in (tests use fixed metrics).
#pragma once

#include <functional>

#include "support/WordWrap.h"

void WordWrapLines(const char* text, int width, const std::function<int(const CString&)>& measure,
                   CStringArray& lines);
