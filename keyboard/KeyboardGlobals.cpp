#include "keyboard/KeyboardGlobals.h"

CString LastKeyboardTexts[kKeyboardFieldCount];
int KeyboardTimeout = 300;
CString KeyboardEmailErrorMessage = "Please enter a valid email address in the form name@example.com";
const char* const KeyboardProhibitedWordMessage = "Sorry, this word is prohibited\nPlease enter a different word";
std::vector<CString> ForbiddenWords;
