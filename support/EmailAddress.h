// The plain syntax check of e-mail addresses typed by guests and set up by the operator.
#pragma once

/// True for text "@" domain, the domain holding a dot that neither starts nor ends it; outer spaces ignored.
bool IsValidEmailAddress(const char* text);
