#include "platform/win32/objbase.h"

HRESULT CoInitialize(LPVOID) { return S_OK; }

void CoUninitialize() {}
