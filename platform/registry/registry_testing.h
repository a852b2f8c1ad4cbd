// Test hooks: not for the program's own code.
#pragma once

#include <string>

/// Closes the hive and forgets every open handle; the next call opens the file that the
/// environment names then (tests point TAVORIN_REGISTRY at a temporary file).
void RegistryReopenForTest();
/// The hive file the next open would use.
std::string RegistryPathForTest();
