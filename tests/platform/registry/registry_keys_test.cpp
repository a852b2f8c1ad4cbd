// Keys: names without regard to case, path spellings, deletes, enumeration and handles.
#include <cstring>
#include <vector>

#include "tests/platform/registry/registry_test_fixture.h"

namespace {

const char kModelKey[] = "SOFTWARE\\MorvaneSystems\\Tavorin\\102\\Canon PowerShot G9";

std::vector<std::string> SubKeys(HKEY key) {
  std::vector<std::string> names;
  for (DWORD index = 0;; ++index) {
    char name[256];
    DWORD length = sizeof name;
    LSTATUS result = RegEnumKeyExA(key, index, name, &length, nullptr, nullptr, nullptr, nullptr);
    if (result != ERROR_SUCCESS) {
      EXPECT_EQ(result, ERROR_NO_MORE_ITEMS);
      break;
    }
    EXPECT_EQ(length, std::strlen(name));
    names.push_back(name);
  }
  return names;
}

bool KeyExists(const char* path) {
  HKEY key = nullptr;
  LSTATUS result = RegOpenKeyExA(HKEY_CURRENT_USER, path, 0, KEY_READ, &key);
  if (result == ERROR_SUCCESS) RegCloseKey(key);
  EXPECT_TRUE(result == ERROR_SUCCESS || result == ERROR_FILE_NOT_FOUND) << result;
  return result == ERROR_SUCCESS;
}

TEST_F(RegistryTest, CreateReportsNewOrExisting) {
  DWORD disposition = 0;
  RegCloseKey(Create(kModelKey, &disposition));
  EXPECT_EQ(disposition, REG_CREATED_NEW_KEY);
  RegCloseKey(Create(kModelKey, &disposition));
  EXPECT_EQ(disposition, REG_OPENED_EXISTING_KEY);
  RegCloseKey(Create("SOFTWARE\\MorvaneSystems", &disposition));
  EXPECT_EQ(disposition, REG_OPENED_EXISTING_KEY) << "levels on the way were made too";
}

TEST_F(RegistryTest, OpenMissingKeyIsNotFound) {
  HKEY key = reinterpret_cast<HKEY>(0x1);
  EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "SOFTWARE\\Vevir Edidad\\Rizoru Vori Rivarad", 0, KEY_READ, &key),
            ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(key, nullptr);
}

TEST_F(RegistryTest, NamesIgnoreCaseAndKeepIt) {
  HKEY model = Create(kModelKey);
  ASSERT_EQ(SetDword(model, "ExpComp", 24), ERROR_SUCCESS);
  RegCloseKey(model);
  RegCloseKey(Create("SOFTWARE\\MorvaneSystems\\Tavorin\\102\\\xC9t\xE9"));  // "Été"

  const char* spellings[] = {"software\\morvanesystems\\TAVORIN\\102\\canon powershot g9",
                             "SOFTWARE\\MORVANESYSTEMS\\tavorin\\102\\CANON POWERSHOT G9"};
  for (const char* spelling : spellings) {
    SCOPED_TRACE(spelling);
    HKEY key = Open(spelling);
    DWORD type = 0, value = 0, size = sizeof value;
    EXPECT_EQ(RegQueryValueExA(key, "EXPCOMP", nullptr, &type, reinterpret_cast<LPBYTE>(&value), &size),
              ERROR_SUCCESS);
    EXPECT_EQ(value, 24u);
    RegCloseKey(key);
  }
  EXPECT_TRUE(KeyExists("software\\morvanesystems\\tavorin\\102\\\xE9T\xC9")) << "1252 letters fold too";

  HKEY product = Open(kProductKey);
  EXPECT_EQ(SubKeys(product), (std::vector<std::string>{"Canon PowerShot G9", "\xC9t\xE9"}));
  RegCloseKey(product);
  HKEY software = Open("software");
  EXPECT_EQ(SubKeys(software), std::vector<std::string>{"MorvaneSystems"});
  RegCloseKey(software);
}

TEST_F(RegistryTest, DoubledAndTrailingBackslashesNameTheSameKey) {
  // The margins key is written with two backslashes before "Printers".
  DWORD disposition = 0;
  HKEY printers = Create("SOFTWARE\\MorvaneSystems\\Tavorin\\102\\\\Printers", &disposition);
  EXPECT_EQ(disposition, REG_CREATED_NEW_KEY);
  ASSERT_EQ(SetDword(printers, "Photo 4x6_300DPI_P_leftMargin", 18), ERROR_SUCCESS);
  RegCloseKey(printers);

  const char* spellings[] = {"SOFTWARE\\MorvaneSystems\\Tavorin\\102\\Printers",
                             "SOFTWARE\\MorvaneSystems\\Tavorin\\102\\Printers\\",
                             "SOFTWARE\\\\MorvaneSystems\\Tavorin\\102\\\\\\Printers\\\\"};
  for (const char* spelling : spellings) {
    SCOPED_TRACE(spelling);
    HKEY key = Create(spelling, &disposition);
    EXPECT_EQ(disposition, REG_OPENED_EXISTING_KEY);
    DWORD value = 0, size = sizeof value;
    EXPECT_EQ(RegQueryValueExA(key, "Photo 4x6_300DPI_P_leftMargin", nullptr, nullptr,
                               reinterpret_cast<LPBYTE>(&value), &size),
              ERROR_SUCCESS);
    EXPECT_EQ(value, 18u);
    RegCloseKey(key);
  }
  HKEY product = Open(kProductKey);
  EXPECT_EQ(SubKeys(product), std::vector<std::string>{"Printers"});
  RegCloseKey(product);
}

TEST_F(RegistryTest, RecursiveDeleteRemovesSubKeysAndValues) {
  struct Row {
    const char* how;
    LSTATUS (*remove)(HKEY, LPCSTR);
  } rows[] = {{"SHDeleteKeyA", SHDeleteKeyA}, {"RegDeleteTreeA", RegDeleteTreeA}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.how);
    HKEY product = Create(kProductKey);
    ASSERT_EQ(SetDword(product, "DisplayGrid", 1), ERROR_SUCCESS);
    HKEY model = Create(kModelKey);
    ASSERT_EQ(SetBytes(model, "ExpComp", REG_MULTI_SZ, std::string("24\0\0", 4)), ERROR_SUCCESS);
    HKEY settings = Create("SOFTWARE\\MorvaneSystems\\Tavorin\\102\\Canon PowerShot G9\\Settings\\Deeper");
    ASSERT_EQ(SetDword(settings, "Zoom", 3), ERROR_SUCCESS);
    RegCloseKey(settings);
    RegCloseKey(model);
    RegCloseKey(Create("SOFTWARE\\MorvaneSystems\\Tavorin\\102\\Canon PowerShot A640\\Settings"));

    EXPECT_EQ(row.remove(product, "canon powershot g9"), ERROR_SUCCESS);

    EXPECT_FALSE(KeyExists(kModelKey));
    EXPECT_FALSE(KeyExists("SOFTWARE\\MorvaneSystems\\Tavorin\\102\\Canon PowerShot G9\\Settings"));
    EXPECT_TRUE(KeyExists("SOFTWARE\\MorvaneSystems\\Tavorin\\102\\Canon PowerShot A640\\Settings"));
    DWORD value = 0, size = sizeof value;
    EXPECT_EQ(RegQueryValueExA(product, "DisplayGrid", nullptr, nullptr, reinterpret_cast<LPBYTE>(&value), &size),
              ERROR_SUCCESS);
    EXPECT_EQ(row.remove(product, "Canon PowerShot G9"), ERROR_FILE_NOT_FOUND);

    // Made again, the model key starts empty: nothing of the old one comes back.
    DWORD disposition = 0;
    model = Create(kModelKey, &disposition);
    EXPECT_EQ(disposition, REG_CREATED_NEW_KEY);
    EXPECT_EQ(RegQueryValueExA(model, "ExpComp", nullptr, nullptr, nullptr, &size), ERROR_FILE_NOT_FOUND);
    EXPECT_TRUE(SubKeys(model).empty());
    RegCloseKey(model);
    EXPECT_EQ(SHDeleteKeyA(HKEY_CURRENT_USER, "SOFTWARE"), ERROR_SUCCESS);
    RegCloseKey(product);
  }
}

TEST_F(RegistryTest, DeleteTreeWithoutSubKeyEmptiesTheKey) {
  HKEY model = Create(kModelKey);
  ASSERT_EQ(SetDword(model, "ImageSettingsSupported", 1), ERROR_SUCCESS);
  RegCloseKey(Create("SOFTWARE\\MorvaneSystems\\Tavorin\\102\\Canon PowerShot G9\\Settings"));
  EXPECT_EQ(RegDeleteTreeA(model, nullptr), ERROR_SUCCESS);
  EXPECT_TRUE(KeyExists(kModelKey));
  EXPECT_TRUE(SubKeys(model).empty());
  char name[64];
  DWORD length = sizeof name;
  EXPECT_EQ(RegEnumValueA(model, 0, name, &length, nullptr, nullptr, nullptr, nullptr), ERROR_NO_MORE_ITEMS);
  EXPECT_EQ(SetDword(model, "ImageSettingsSupported", 0), ERROR_SUCCESS) << "the handle is still good";
  RegCloseKey(model);
}

TEST_F(RegistryTest, DeleteKeyRefusesAKeyWithSubKeys) {
  RegCloseKey(Create("SOFTWARE\\MorvaneSystems\\Tavorin\\102\\Canon PowerShot G9\\Settings"));
  HKEY product = Open(kProductKey);
  EXPECT_EQ(RegDeleteKeyA(product, "Canon PowerShot G9"), ERROR_ACCESS_DENIED);
  EXPECT_EQ(RegDeleteKeyA(product, "Canon PowerShot G9\\Settings"), ERROR_SUCCESS);
  EXPECT_EQ(RegDeleteKeyA(product, "Canon PowerShot G9"), ERROR_SUCCESS);
  EXPECT_EQ(RegDeleteKeyA(product, "Canon PowerShot G9"), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(SHDeleteKeyA(HKEY_CURRENT_USER, ""), ERROR_ACCESS_DENIED) << "the root stays";
  RegCloseKey(product);
}

TEST_F(RegistryTest, HandleOfADeletedKeyReportsKeyDeleted) {
  HKEY model = Create(kModelKey);
  ASSERT_EQ(SetDword(model, "ImageSettingsSupported", 1), ERROR_SUCCESS);
  HKEY product = Open(kProductKey);
  ASSERT_EQ(SHDeleteKeyA(product, "Canon PowerShot G9"), ERROR_SUCCESS);

  DWORD size = 0;
  EXPECT_EQ(SetDword(model, "ImageSettingsSupported", 0), ERROR_KEY_DELETED);
  EXPECT_EQ(RegQueryValueExA(model, "ImageSettingsSupported", nullptr, nullptr, nullptr, &size), ERROR_KEY_DELETED);
  HKEY sub = nullptr;
  EXPECT_EQ(RegCreateKeyExA(model, "Settings", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &sub, nullptr),
            ERROR_KEY_DELETED);
  EXPECT_EQ(RegFlushKey(model), ERROR_KEY_DELETED);
  EXPECT_FALSE(KeyExists(kModelKey)) << "a write through a stale handle does not bring the key back";

  // A new key at the same path is another key: the old handle still does not reach it.
  HKEY again = Create(kModelKey);
  EXPECT_EQ(SetDword(model, "Tv", 1), ERROR_KEY_DELETED);
  EXPECT_EQ(RegQueryValueExA(again, "Tv", nullptr, nullptr, nullptr, &size), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(RegCloseKey(model), ERROR_SUCCESS);
  RegCloseKey(again);
  RegCloseKey(product);
}

TEST_F(RegistryTest, BadHandlesAreRefused) {
  HKEY closed = Create(kProductKey);
  ASSERT_EQ(RegCloseKey(closed), ERROR_SUCCESS);
  struct Row {
    const char* what;
    HKEY key;
  } rows[] = {{"null", nullptr},
              {"closed", closed},
              {"made up", reinterpret_cast<HKEY>(0x1234)},
              {"pointer", reinterpret_cast<HKEY>(&closed)}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    HKEY result = reinterpret_cast<HKEY>(0x1);
    DWORD value = 1, size = sizeof value;
    char name[16];
    DWORD length = sizeof name;
    EXPECT_EQ(RegCreateKeyExA(row.key, "Sub", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &result, nullptr),
              ERROR_INVALID_HANDLE);
    EXPECT_EQ(result, nullptr);
    EXPECT_EQ(RegOpenKeyExA(row.key, "Sub", 0, KEY_READ, &result), ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegQueryValueExA(row.key, "V", nullptr, nullptr, reinterpret_cast<LPBYTE>(&value), &size),
              ERROR_INVALID_HANDLE);
    EXPECT_EQ(SetDword(row.key, "V", 1), ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegDeleteValueA(row.key, "V"), ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegDeleteKeyA(row.key, "Sub"), ERROR_INVALID_HANDLE);
    EXPECT_EQ(SHDeleteKeyA(row.key, "Sub"), ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegEnumKeyExA(row.key, 0, name, &length, nullptr, nullptr, nullptr, nullptr), ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegEnumValueA(row.key, 0, name, &length, nullptr, nullptr, nullptr, nullptr), ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegFlushKey(row.key), ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegCloseKey(row.key), ERROR_INVALID_HANDLE);
  }
  EXPECT_EQ(RegCloseKey(HKEY_CURRENT_USER), ERROR_SUCCESS);
  EXPECT_EQ(RegFlushKey(HKEY_CURRENT_USER), ERROR_SUCCESS);
}

TEST_F(RegistryTest, EnumerationShortBuffersAndEnd) {
  HKEY product = Create(kProductKey);
  RegCloseKey(Create("SOFTWARE\\MorvaneSystems\\Tavorin\\102\\b-second"));
  RegCloseKey(Create("SOFTWARE\\MorvaneSystems\\Tavorin\\102\\A-first"));
  ASSERT_EQ(SetBytes(product, "Value", REG_BINARY, "12345678"), ERROR_SUCCESS);
  EXPECT_EQ(SubKeys(product), (std::vector<std::string>{"A-first", "b-second"})) << "in name order, any case";

  char name[8];
  DWORD length = 7;  // "b-second" needs 9 with its terminator
  EXPECT_EQ(RegEnumKeyExA(product, 1, name, &length, nullptr, nullptr, nullptr, nullptr), ERROR_MORE_DATA);
  length = sizeof name;
  EXPECT_EQ(RegEnumKeyExA(product, 2, name, &length, nullptr, nullptr, nullptr, nullptr), ERROR_NO_MORE_ITEMS);

  BYTE data[4];
  DWORD type = 0, size = sizeof data;
  length = sizeof name;
  EXPECT_EQ(RegEnumValueA(product, 0, name, &length, nullptr, &type, data, &size), ERROR_MORE_DATA);
  EXPECT_EQ(size, 8u);
  EXPECT_EQ(type, REG_BINARY);
  EXPECT_STREQ(name, "Value");
  length = 5;  // "Value" needs 6
  EXPECT_EQ(RegEnumValueA(product, 0, name, &length, nullptr, nullptr, nullptr, nullptr), ERROR_MORE_DATA);
  length = sizeof name;
  EXPECT_EQ(RegEnumValueA(product, 1, name, &length, nullptr, nullptr, nullptr, nullptr), ERROR_NO_MORE_ITEMS);
  RegCloseKey(product);
}

TEST_F(RegistryTest, OverlongKeyNamesAreRefused) {
  std::string path = std::string(kProductKey) + std::string(256, 'k');
  HKEY key = reinterpret_cast<HKEY>(0x1);
  EXPECT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
            ERROR_INVALID_PARAMETER);
  EXPECT_EQ(key, nullptr);
  path.pop_back();
  RegCloseKey(Create(path.c_str()));
  EXPECT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "X", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, nullptr, nullptr),
            ERROR_INVALID_PARAMETER);
}

}  // namespace
