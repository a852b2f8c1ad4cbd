// The suite's main. Started with kRegistryWriterFlag it is instead one of the writer processes of
// the concurrency test: it waits until its start pipe closes, then writes its values.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/registry/registry.h"
#include "tests/platform/registry/registry_writer.h"

namespace {

int RunWriter(const char* prefix, int count, int startFd) {
  char byte;
  while (read(startFd, &byte, 1) > 0) {
  }
  close(startFd);
  int failures = 0;
  for (int i = 0; i < count; ++i) {
    // Each value through its own open, as the program's separate settings passes do.
    HKEY key = nullptr;
    LSTATUS result = RegCreateKeyExA(HKEY_CURRENT_USER, kWriterKey, 0, nullptr, REG_OPTION_NON_VOLATILE,
                                     KEY_READ | KEY_WRITE, nullptr, &key, nullptr);
    if (result == ERROR_SUCCESS) {
      std::string name = std::string(prefix) + std::to_string(i);
      DWORD value = static_cast<DWORD>(i);
      result = RegSetValueExA(key, name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
      RegCloseKey(key);
    }
    if (result != ERROR_SUCCESS) {
      std::fprintf(stderr, "writer %s: value %d failed with %ld\n", prefix, i, static_cast<long>(result));
      ++failures;
    }
  }
  return failures == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 5 && std::strcmp(argv[1], kRegistryWriterFlag) == 0)
    return RunWriter(argv[2], std::atoi(argv[3]), std::atoi(argv[4]));
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
