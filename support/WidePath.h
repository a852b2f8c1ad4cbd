// Paths in the system code page as the wide strings GDI+ takes.
#pragma once

#include <string>

/// The path converted from the system code page; empty for NULL.
std::u16string WidePath(const char* path);
