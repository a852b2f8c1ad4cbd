// The template language of user texts (file names, captions, e-mails, QR texts): named
// placeholders from a map, then brace functions such as {left,3,text} or {if,c,yes,no}.
#pragma once

#include "platform/mfc/collections.h"
#include "platform/mfc/cstring.h"

/// Replaces every key of the map (in the map's iteration order) by its value, then evaluates the brace functions.
void ExpandTextTemplate(const CMapStringToString& values, CString& text);
/// Evaluates the brace functions innermost first; unknown or incomplete calls stay in the text.
void ExpandTemplateFunctions(CString& text);
