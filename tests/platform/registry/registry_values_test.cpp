// Values: every type round trip, size queries, short buffers and the callers' type checks.
#include <cstring>

#include "tests/platform/registry/registry_test_fixture.h"

namespace {

using namespace std::string_literals;

struct StoredValue {
  const char* name;
  DWORD type;
  std::string bytes;
};

const StoredValue kEveryType[] = {
    {"Nothing", REG_NONE, ""s},
    {"Directory", REG_SZ, "C:\\Photos\0"s},
    {"FilenamePrefix", REG_SZ, "\0"s},
    {"Caption1252", REG_SZ, "\xC9t\xE9 \x80 \xFF\0"s},  // "Été € ÿ" in 1252
    {"Unterminated", REG_SZ, "abc"s},                     // kept as given; the reader decides
    {"LaunchEditorCmd", REG_EXPAND_SZ, "%TEMP%\\edit.exe \"%1\"\0"s},
    {"PhotoboothMsgFont", REG_BINARY, std::string(60, '\0').replace(0, 6, "\xF4\xFF\xFF\xFF\x00\x01"s)},
    {"EmptyBinary", REG_BINARY, ""s},
    {"GridColour", REG_DWORD, "\x00\xFF\x00\x00"s},
    {"ViewfinderWindowLeft", REG_DWORD, "\xFF\xFF\xFF\xFF"s},
    {"ExpComp", REG_MULTI_SZ, "8\0" "11\0" "24\0" "40\0\0"s},
    {"FlashExpComp", REG_MULTI_SZ, "\0"s},  // the empty list as the connect worker writes it
    {"EmptyListTwoNuls", REG_MULTI_SZ, "\0\0"s},
    {"Names1252", REG_MULTI_SZ, "\xC4pfel\0\xDC" "ber\0\0"s},
    {"Gr\xFC\xDF" "e", REG_SZ, "name in 1252\0"s},
    {"", REG_SZ, "default value\0"s},
};

TEST_F(RegistryTest, EveryTypeRoundTripsThroughTheFile) {
  HKEY key = Create(kProductKey);
  for (const StoredValue& value : kEveryType) {
    SCOPED_TRACE(value.name);
    EXPECT_EQ(SetBytes(key, value.name, value.type, value.bytes), ERROR_SUCCESS);
  }
  RegCloseKey(key);
  RegistryReopenForTest();

  key = Open(kProductKey);
  for (const StoredValue& value : kEveryType) {
    SCOPED_TRACE(value.name);
    DWORD type = 0xDEAD;
    std::string bytes;
    ASSERT_EQ(Read(key, value.name, &type, &bytes), ERROR_SUCCESS);
    EXPECT_EQ(type, value.type);
    EXPECT_EQ(bytes, value.bytes);
  }
  RegCloseKey(key);
}

TEST_F(RegistryTest, NullNameIsTheDefaultValue) {
  HKEY key = Create(kProductKey);
  ASSERT_EQ(SetDword(key, nullptr, 7), ERROR_SUCCESS);
  DWORD type = 0, value = 0, size = sizeof value;
  EXPECT_EQ(RegQueryValueExA(key, "", nullptr, &type, reinterpret_cast<LPBYTE>(&value), &size), ERROR_SUCCESS);
  EXPECT_EQ(type, REG_DWORD);
  EXPECT_EQ(value, 7u);
  RegCloseKey(key);
}

TEST_F(RegistryTest, SizeQueryAndShortBuffer) {
  HKEY key = Create(kProductKey);
  const char text[] = "C:\\Photos";
  ASSERT_EQ(RegSetValueExA(key, "Directory", 0, REG_SZ, reinterpret_cast<const BYTE*>(text), sizeof text),
            ERROR_SUCCESS);

  DWORD type = 0, size = 0;
  EXPECT_EQ(RegQueryValueExA(key, "Directory", nullptr, &type, nullptr, &size), ERROR_SUCCESS);
  EXPECT_EQ(type, REG_SZ);
  EXPECT_EQ(size, sizeof text) << "a REG_SZ size counts its terminator";

  char buffer[sizeof text];
  std::memset(buffer, 'x', sizeof buffer);
  size = sizeof text - 1;
  type = 0;
  EXPECT_EQ(RegQueryValueExA(key, "Directory", nullptr, &type, reinterpret_cast<LPBYTE>(buffer), &size),
            ERROR_MORE_DATA);
  EXPECT_EQ(size, sizeof text) << "the size needed";
  EXPECT_EQ(type, REG_SZ);
  EXPECT_EQ(std::string(buffer, sizeof buffer), std::string(sizeof buffer, 'x')) << "a short buffer is untouched";

  EXPECT_EQ(RegQueryValueExA(key, "Directory", nullptr, &type, reinterpret_cast<LPBYTE>(buffer), &size),
            ERROR_SUCCESS);
  EXPECT_STREQ(buffer, text);

  // Type only: no size asked for.
  type = 0;
  EXPECT_EQ(RegQueryValueExA(key, "Directory", nullptr, &type, nullptr, nullptr), ERROR_SUCCESS);
  EXPECT_EQ(type, REG_SZ);
  RegCloseKey(key);
}

TEST_F(RegistryTest, MissingValueIsNotFoundAndLeavesArgumentsAlone) {
  HKEY key = Create(kProductKey);
  DWORD type = 99, value = 1234, size = sizeof value;
  EXPECT_EQ(RegQueryValueExA(key, "NoSuchValue", nullptr, &type, reinterpret_cast<LPBYTE>(&value), &size),
            ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(type, 99u);
  EXPECT_EQ(value, 1234u);
  EXPECT_EQ(size, sizeof value);
  EXPECT_EQ(RegQueryValueExA(key, nullptr, nullptr, &type, nullptr, &size), ERROR_FILE_NOT_FOUND);
  RegCloseKey(key);
}

// The settings load accepts a number only as a successful 4-byte REG_DWORD read...
bool LoadNumber(HKEY key, const char* name, int& member) {
  DWORD type = 0, value = 0, size = sizeof value;
  if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<LPBYTE>(&value), &size) != ERROR_SUCCESS ||
      type != REG_DWORD)
    return false;
  member = static_cast<int>(value);
  return true;
}

// ...and a text only as REG_SZ or REG_EXPAND_SZ that fits 10,240 bytes and ends in a terminator.
bool LoadText(HKEY key, const char* name, std::string& member) {
  std::string buffer(10240, '\0');
  DWORD type = 0, size = static_cast<DWORD>(buffer.size());
  if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<LPBYTE>(buffer.data()), &size) != ERROR_SUCCESS)
    return false;
  if ((type != REG_SZ && type != REG_EXPAND_SZ) || size == 0 || buffer[size - 1] != '\0') return false;
  member.assign(buffer.data(), size - 1);
  return true;
}

TEST_F(RegistryTest, MistypedValueKeepsTheCallersDefault) {
  HKEY key = Create(kProductKey);
  ASSERT_EQ(SetDword(key, "Directory", 5), ERROR_SUCCESS);
  ASSERT_EQ(SetBytes(key, "StoreImage", REG_SZ, "hello\0"s), ERROR_SUCCESS);
  ASSERT_EQ(SetBytes(key, "Year", REG_SZ, "1\0"s), ERROR_SUCCESS);  // fits in 4 bytes, wrong type
  ASSERT_EQ(SetBytes(key, "Month", REG_BINARY, "\1\0\0\0\0\0\0\0"s), ERROR_SUCCESS);
  ASSERT_EQ(SetBytes(key, "FilenamePrefix", REG_SZ, "no terminator"s), ERROR_SUCCESS);
  ASSERT_EQ(SetBytes(key, "LaunchEditorCmd", REG_SZ, std::string(10240, 'a') + '\0'), ERROR_SUCCESS);

  struct NumberCase {
    const char* name;
    LSTATUS result;  // of the 4-byte query
  } numbers[] = {{"StoreImage", ERROR_MORE_DATA}, {"Year", ERROR_SUCCESS}, {"Month", ERROR_MORE_DATA}};
  for (const NumberCase& row : numbers) {
    SCOPED_TRACE(row.name);
    DWORD type = 0, value = 0xABCD, size = sizeof value;
    EXPECT_EQ(RegQueryValueExA(key, row.name, nullptr, &type, reinterpret_cast<LPBYTE>(&value), &size), row.result);
    EXPECT_NE(type, REG_DWORD) << "the type tells the caller to refuse it";
    int member = 42;
    EXPECT_FALSE(LoadNumber(key, row.name, member));
    EXPECT_EQ(member, 42);
  }
  for (const char* name : {"Directory", "FilenamePrefix", "LaunchEditorCmd"}) {
    SCOPED_TRACE(name);
    std::string member = "C:\\Photos";
    EXPECT_FALSE(LoadText(key, name, member));
    EXPECT_EQ(member, "C:\\Photos");
  }
  RegCloseKey(key);
}

TEST_F(RegistryTest, OverwriteKeepsFirstSpellingAndPlace) {
  HKEY key = Create(kProductKey);
  ASSERT_EQ(SetDword(key, "Zoom", 1), ERROR_SUCCESS);
  ASSERT_EQ(SetDword(key, "Tv", 2), ERROR_SUCCESS);
  ASSERT_EQ(SetBytes(key, "ZOOM", REG_SZ, "3\0"s), ERROR_SUCCESS);

  const char* expected[] = {"Zoom", "Tv"};
  for (DWORD index = 0; index < 2; ++index) {
    char name[32];
    DWORD length = sizeof name;
    ASSERT_EQ(RegEnumValueA(key, index, name, &length, nullptr, nullptr, nullptr, nullptr), ERROR_SUCCESS);
    EXPECT_STREQ(name, expected[index]);
    EXPECT_EQ(length, std::strlen(expected[index]));
  }
  DWORD type = 0;
  std::string bytes;
  ASSERT_EQ(Read(key, "zoom", &type, &bytes), ERROR_SUCCESS);
  EXPECT_EQ(type, REG_SZ);
  EXPECT_EQ(bytes, "3\0"s);
  RegCloseKey(key);
}

TEST_F(RegistryTest, DeleteValueIgnoresCase) {
  HKEY key = Create(kProductKey);
  ASSERT_EQ(SetDword(key, "PhotoboothCustomDoubleStrip", 1), ERROR_SUCCESS);
  EXPECT_EQ(RegDeleteValueA(key, "photoboothcustomdoublestrip"), ERROR_SUCCESS);
  DWORD type = 0;
  std::string bytes;
  EXPECT_EQ(Read(key, "PhotoboothCustomDoubleStrip", &type, &bytes), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(RegDeleteValueA(key, "PhotoboothCustomDoubleStrip"), ERROR_FILE_NOT_FOUND);
  RegCloseKey(key);
}

TEST_F(RegistryTest, HandleRightsAreEnforced) {
  RegCloseKey(Create(kProductKey));
  HKEY reader = Open(kProductKey, KEY_READ);
  EXPECT_EQ(SetDword(reader, "DisplayGrid", 1), ERROR_ACCESS_DENIED);
  EXPECT_EQ(RegDeleteValueA(reader, "DisplayGrid"), ERROR_ACCESS_DENIED);
  HKEY created = nullptr;
  EXPECT_EQ(RegCreateKeyExA(reader, "Printers", 0, nullptr, 0, KEY_READ, nullptr, &created, nullptr),
            ERROR_ACCESS_DENIED)
      << "making a sub-key needs KEY_CREATE_SUB_KEY";
  EXPECT_EQ(created, nullptr);
  RegCloseKey(reader);

  HKEY writer = Open(kProductKey, KEY_SET_VALUE);
  EXPECT_EQ(SetDword(writer, "DisplayGrid", 1), ERROR_SUCCESS);
  DWORD size = 0;
  EXPECT_EQ(RegQueryValueExA(writer, "DisplayGrid", nullptr, nullptr, nullptr, &size), ERROR_ACCESS_DENIED);
  RegCloseKey(writer);
}

TEST_F(RegistryTest, InvalidArgumentsAreRefused) {
  HKEY key = Create(kProductKey);
  DWORD reserved = 0, value = 0, size = sizeof value;
  EXPECT_EQ(RegQueryValueExA(key, "X", &reserved, nullptr, nullptr, &size), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(RegQueryValueExA(key, "X", nullptr, nullptr, reinterpret_cast<LPBYTE>(&value), nullptr),
            ERROR_INVALID_PARAMETER);
  EXPECT_EQ(RegSetValueExA(key, "X", 0, REG_BINARY, nullptr, 4), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(RegSetValueExA(key, "X", 0, REG_BINARY, nullptr, 0), ERROR_SUCCESS);
  std::string longName(16384, 'v');
  EXPECT_EQ(SetDword(key, longName.c_str(), 1), ERROR_INVALID_PARAMETER);
  longName.pop_back();
  EXPECT_EQ(SetDword(key, longName.c_str(), 1), ERROR_SUCCESS);
  RegCloseKey(key);
}

}  // namespace
