// A temporary hive per test: TAVORIN_REGISTRY points into a fresh folder that is removed after.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <string>

#include "platform/registry/registry.h"
#include "platform/registry/registry_testing.h"

inline constexpr const char kProductKey[] = "SOFTWARE\\MorvaneSystems\\Tavorin\\102\\";

class RegistryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (std::filesystem::temp_directory_path() / "tavorin-registry-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    dir_ = pattern;
    path_ = dir_ + "/registry.sqlite3";
    setenv("TAVORIN_REGISTRY", path_.c_str(), 1);
    RegistryReopenForTest();
  }
  void TearDown() override {
    RegistryReopenForTest();
    unsetenv("TAVORIN_REGISTRY");
    std::error_code ignored;
    std::filesystem::remove_all(dir_, ignored);
  }

  /// Opens or creates a key under HKEY_CURRENT_USER with full rights; fails the test otherwise.
  HKEY Create(const char* path, DWORD* disposition = nullptr) {
    HKEY key = nullptr;
    LSTATUS result = RegCreateKeyExA(HKEY_CURRENT_USER, path, 0, nullptr, REG_OPTION_NON_VOLATILE,
                                     KEY_READ | KEY_WRITE, nullptr, &key, disposition);
    EXPECT_EQ(result, ERROR_SUCCESS) << path;
    return key;
  }
  HKEY Open(const char* path, REGSAM access = KEY_READ) {
    HKEY key = nullptr;
    EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, path, 0, access, &key), ERROR_SUCCESS) << path;
    return key;
  }
  static LSTATUS SetDword(HKEY key, const char* name, DWORD value) {
    return RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
  }
  static LSTATUS SetBytes(HKEY key, const char* name, DWORD type, const std::string& bytes) {
    return RegSetValueExA(key, name, 0, type, reinterpret_cast<const BYTE*>(bytes.data()),
                          static_cast<DWORD>(bytes.size()));
  }
  /// The stored type and bytes of a value, read with a size query first.
  static LSTATUS Read(HKEY key, const char* name, DWORD* type, std::string* bytes) {
    DWORD size = 0;
    LSTATUS result = RegQueryValueExA(key, name, nullptr, type, nullptr, &size);
    if (result != ERROR_SUCCESS) return result;
    bytes->assign(size, '\0');
    result = RegQueryValueExA(key, name, nullptr, type, reinterpret_cast<LPBYTE>(bytes->data()), &size);
    bytes->resize(size);
    return result;
  }

  std::string dir_;
  std::string path_;
};
