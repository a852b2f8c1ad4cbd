// Feeds arbitrary bytes as settings stored in the registry: the fonts (60-byte LOGFONT binaries
// and hex texts), the scrambled passwords, the printer's DEVMODE and DEVNAMES, and the typed
// values of the view's settings table.
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/MyQuilletApp.h"
#include "app/SettingsStore.h"
#include "platform/registry/registry.h"
#include "platform/registry/registry_testing.h"
#include "support/LogFontHex.h"
#include "support/PasswordScrambler.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  static std::string path = "/tmp/tavorin-fuzz-registry-" + std::to_string(getpid()) + ".sqlite3";
  setenv("TAVORIN_REGISTRY", path.c_str(), 1);
  RegistryReopenForTest();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);
  std::string terminated = text.substr(0, text.find('\0'));
  LOGFONTA font{};
  HexToLogFont(terminated.c_str(), font);
  UnscramblePassword(terminated.c_str());

  // The printer records as the view hands them to the application.
  static CMyQuilletApp app;
  size_t half = size / 2;
  app.SetPrinterSettings(data, static_cast<DWORD>(half), data + half, static_cast<DWORD>(size - half));

  // One setting of the view's table, chosen by the input, gets the bytes under a stored type.
  HKEY key = nullptr;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, "SOFTWARE\\Fuzz", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) !=
      ERROR_SUCCESS)
    return 0;
  static ViewSettings settings;
  static const std::vector<SettingEntry> table = BuildSettingsTable(settings);
  if (table.empty()) std::abort();
  const SettingEntry& row = table[size > 1 ? data[1] % table.size() : 0];
  const DWORD type = size ? (data[0] % 2 ? REG_BINARY : (data[0] % 3 ? REG_SZ : REG_DWORD)) : REG_BINARY;
  RegSetValueExA(key, row.name, 0, type, data, static_cast<DWORD>(size));
  LoadSettingsTable(key, {row});
  std::vector<BYTE> blob;
  ReadRegBinary(key, row.name, blob, 1, 4096);
  RegCloseKey(key);
  return 0;
}
