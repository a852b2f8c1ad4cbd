// The hive file: where it lives, damaged files, and writers in several processes and threads.
#include <fcntl.h>
#include <sqlite3.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <iterator>
#include <optional>
#include <thread>

#include "tests/platform/registry/registry_test_fixture.h"
#include "tests/platform/registry/registry_writer.h"

extern char** environ;

namespace {

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteFile(const std::string& path, const std::string& bytes, std::streamoff at = 0) {
  std::fstream out(path, std::ios::binary | std::ios::in | std::ios::out);
  out.seekp(at);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  ASSERT_TRUE(out.good()) << path;
}

std::vector<std::string> FilesStartingWith(const std::string& dir, const std::string& prefix) {
  std::vector<std::string> found;
  for (const auto& entry : std::filesystem::directory_iterator(dir)) {
    std::string name = entry.path().filename().string();
    if (name.rfind(prefix, 0) == 0) found.push_back(entry.path().string());
  }
  return found;
}

size_t Count(const std::string& text, const std::string& what) {
  size_t count = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++count;
  return count;
}

// Sets environment variables for one test and puts the old values back after it.
class ScopedEnv {
 public:
  void Set(const char* name, std::optional<std::string> value) {
    const char* old = getenv(name);
    saved_.emplace_back(name, old ? std::optional<std::string>(old) : std::nullopt);
    if (value) setenv(name, value->c_str(), 1);
    else unsetenv(name);
  }
  ~ScopedEnv() {
    for (auto it = saved_.rbegin(); it != saved_.rend(); ++it) {
      if (it->second) setenv(it->first.c_str(), it->second->c_str(), 1);
      else unsetenv(it->first.c_str());
    }
  }

 private:
  std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

TEST_F(RegistryTest, HivePathFollowsTheEnvironment) {
  struct Row {
    std::optional<std::string> registry, config, home;
    std::string expected;
  } rows[] = {
      {"/x/r.sqlite3", "/cfg", "/home/u", "/x/r.sqlite3"},
      {std::nullopt, "/cfg", "/home/u", "/cfg/tavorin/registry.sqlite3"},
      {std::nullopt, std::nullopt, "/home/u", "/home/u/.config/tavorin/registry.sqlite3"},
      {"", "relative/cfg", "/home/u", "/home/u/.config/tavorin/registry.sqlite3"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.expected);
    ScopedEnv env;
    env.Set("TAVORIN_REGISTRY", row.registry);
    env.Set("XDG_CONFIG_HOME", row.config);
    env.Set("HOME", row.home);
    EXPECT_EQ(RegistryPathForTest(), row.expected);
  }
}

TEST_F(RegistryTest, DefaultHiveIsPrivateToTheUser) {
  ScopedEnv env;
  env.Set("TAVORIN_REGISTRY", std::nullopt);
  env.Set("XDG_CONFIG_HOME", dir_ + "/config");
  RegistryReopenForTest();
  HKEY key = Create(kProductKey);
  ASSERT_EQ(SetDword(key, "DisplayGrid", 1), ERROR_SUCCESS);
  RegCloseKey(key);
  RegistryReopenForTest();

  struct stat info;
  for (std::string folder : {dir_ + "/config", dir_ + "/config/tavorin"}) {
    SCOPED_TRACE(folder);
    ASSERT_EQ(stat(folder.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);
  }
  ASSERT_EQ(stat((dir_ + "/config/tavorin/registry.sqlite3").c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0600u);
}

TEST_F(RegistryTest, DamagedFileIsKeptAsideAndReplacedByAnEmptyHive) {
  struct Row {
    const char* what;
    bool keepDatabase;  // start from a real hive and damage one page of it
    std::string bytes;
  } rows[] = {
      {"not a database", false, std::string(300, 'G')},
      {"damaged page", true, std::string(4096, '\xA5')},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directory(dir_);
    RegistryReopenForTest();
    if (row.keepDatabase) {
      HKEY key = Create(kProductKey);
      for (int i = 0; i < 50; ++i) ASSERT_EQ(SetDword(key, ("Value" + std::to_string(i)).c_str(), i), ERROR_SUCCESS);
      RegCloseKey(key);
      RegistryReopenForTest();  // the last close folds the log into the file
      ASSERT_GT(std::filesystem::file_size(path_), 8192u);
      WriteFile(path_, row.bytes, 4096);
    } else {
      std::ofstream(path_, std::ios::binary) << row.bytes;
    }
    std::string damaged = ReadFile(path_);

    testing::internal::CaptureStderr();
    HKEY key = reinterpret_cast<HKEY>(0x1);
    EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, kProductKey, 0, KEY_READ, &key), ERROR_FILE_NOT_FOUND);
    key = Create(kProductKey);
    EXPECT_EQ(SetDword(key, "DisplayGrid", 1), ERROR_SUCCESS);
    RegCloseKey(key);
    std::string messages = testing::internal::GetCapturedStderr();

    std::vector<std::string> kept = FilesStartingWith(dir_, "registry.sqlite3.damaged-");
    ASSERT_EQ(kept.size(), 1u);
    EXPECT_EQ(ReadFile(kept[0]), damaged) << "the damaged file is kept as it was";
    EXPECT_EQ(Count(messages, "was damaged"), 1u) << messages;
    EXPECT_NE(messages.find(kept[0]), std::string::npos) << messages;

    // The new hive is sound: it survives a reopen without being set aside again.
    RegistryReopenForTest();
    key = Open(kProductKey);
    DWORD value = 0, size = sizeof value;
    EXPECT_EQ(RegQueryValueExA(key, "DisplayGrid", nullptr, nullptr, reinterpret_cast<LPBYTE>(&value), &size),
              ERROR_SUCCESS);
    EXPECT_EQ(value, 1u);
    RegCloseKey(key);
    EXPECT_EQ(FilesStartingWith(dir_, "registry.sqlite3.damaged-").size(), 1u);
  }
}

TEST_F(RegistryTest, HiveThatCannotBeOpenedFailsQuietlyAfterOneReport) {
  std::ofstream(dir_ + "/file") << "a file where a folder should be";
  setenv("TAVORIN_REGISTRY", (dir_ + "/file/registry.sqlite3").c_str(), 1);
  RegistryReopenForTest();

  testing::internal::CaptureStderr();
  for (int attempt = 0; attempt < 2; ++attempt) {
    HKEY key = reinterpret_cast<HKEY>(0x1);
    EXPECT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kProductKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_CANTOPEN);
    EXPECT_EQ(key, nullptr);
    DWORD size = 0;
    EXPECT_EQ(RegQueryValueExA(HKEY_CURRENT_USER, "X", nullptr, nullptr, nullptr, &size), ERROR_CANTOPEN);
  }
  std::string messages = testing::internal::GetCapturedStderr();
  EXPECT_EQ(Count(messages, "cannot open"), 1u) << messages;
}

// Sums what RunWriter-style loops in another process or thread left behind.
void ExpectWriterValues(const std::vector<std::string>& prefixes, int count) {
  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, kWriterKey, 0, KEY_READ, &key), ERROR_SUCCESS);
  for (const std::string& prefix : prefixes) {
    for (int i = 0; i < count; ++i) {
      std::string name = prefix + std::to_string(i);
      DWORD type = 0, value = 0xFFFF, size = sizeof value;
      ASSERT_EQ(RegQueryValueExA(key, name.c_str(), nullptr, &type, reinterpret_cast<LPBYTE>(&value), &size),
                ERROR_SUCCESS)
          << name;
      EXPECT_EQ(type, REG_DWORD);
      EXPECT_EQ(value, static_cast<DWORD>(i)) << name;
    }
  }
  char name[64];
  DWORD length = sizeof name;
  EXPECT_EQ(RegEnumValueA(key, static_cast<DWORD>(prefixes.size() * count), name, &length, nullptr, nullptr, nullptr,
                          nullptr),
            ERROR_NO_MORE_ITEMS);
  RegCloseKey(key);
}

TEST_F(RegistryTest, TwoProcessesWriteAtOnce) {
  constexpr int kCount = 200;
  int start[2];
  ASSERT_EQ(pipe(start), 0);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addclose(&actions, start[1]);  // the pipe closes only when the parent lets go
  std::string self = std::filesystem::read_symlink("/proc/self/exe").string();
  std::string fd = std::to_string(start[0]), count = std::to_string(kCount);
  std::vector<std::string> prefixes = {"First", "Second"};
  std::vector<pid_t> children;
  for (const std::string& prefix : prefixes) {
    const char* argv[] = {self.c_str(), kRegistryWriterFlag, prefix.c_str(), count.c_str(), fd.c_str(), nullptr};
    pid_t pid = 0;
    ASSERT_EQ(posix_spawn(&pid, self.c_str(), &actions, nullptr, const_cast<char* const*>(argv), environ), 0);
    children.push_back(pid);
  }
  posix_spawn_file_actions_destroy(&actions);
  close(start[0]);
  close(start[1]);  // both writers start now

  for (pid_t pid : children) {
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "writer status " << status;
  }
  RegistryReopenForTest();
  ExpectWriterValues(prefixes, kCount);
}

TEST_F(RegistryTest, TwoThreadsWriteAtOnce) {
  constexpr int kCount = 200;
  std::vector<std::string> prefixes = {"Ui", "Worker"};
  auto write = [](const std::string& prefix) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kWriterKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    for (int i = 0; i < kCount; ++i) {
      std::string name = prefix + std::to_string(i);
      DWORD value = static_cast<DWORD>(i);
      ASSERT_EQ(RegSetValueExA(key, name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value),
                ERROR_SUCCESS);
    }
    RegCloseKey(key);
  };
  std::thread first(write, prefixes[0]), second(write, prefixes[1]);
  first.join();
  second.join();
  ExpectWriterValues(prefixes, kCount);
}

}  // namespace

// Another program holds the settings file for a long time: no call waits long, nothing read is
// taken for loaded, and the defaults the program runs on never replace the stored settings.
TEST_F(RegistryTest, AHeldHiveCostsShortWaitsAndIsNeverOverwrittenWithDefaults) {
  HKEY key = Create(kProductKey);
  const char chosen[] = "/chosen/photos";
  ASSERT_EQ(RegSetValueExA(key, "Directory", 0, REG_SZ, reinterpret_cast<const BYTE*>(chosen), sizeof chosen),
            ERROR_SUCCESS);
  RegCloseKey(key);
  RegistryReopenForTest();
  EXPECT_FALSE(RegistryReadsMissed());

  int held[2], release[2];
  ASSERT_EQ(pipe(held), 0);
  ASSERT_EQ(pipe(release), 0);
  pid_t holder = fork();
  if (holder == 0) {
    sqlite3* db = nullptr;
    if (sqlite3_open(path_.c_str(), &db) != SQLITE_OK ||
        sqlite3_exec(db, "PRAGMA locking_mode=EXCLUSIVE; BEGIN EXCLUSIVE; UPDATE keys SET name = name WHERE id = 1;",
                     nullptr, nullptr, nullptr) != SQLITE_OK) {
      _exit(2);
    }
    char byte = 'L';
    if (write(held[1], &byte, 1) != 1 || read(release[0], &byte, 1) != 1) _exit(3);
    _exit(0);  // the transaction dies with the process
  }
  ASSERT_GT(holder, 0);
  char byte = 0;
  ASSERT_EQ(read(held[0], &byte, 1), 1);

  auto started = std::chrono::steady_clock::now();
  HKEY locked = nullptr;
  EXPECT_NE(RegOpenKeyExA(HKEY_CURRENT_USER, kProductKey, 0, KEY_READ | KEY_WRITE, &locked), ERROR_SUCCESS);
  for (int i = 0; i < 50; ++i) RegOpenKeyExA(HKEY_CURRENT_USER, kProductKey, 0, KEY_READ, &locked);
  EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(3));
  EXPECT_TRUE(RegistryReadsMissed());
  EXPECT_FALSE(RegistryRetryMissedReads());
  EXPECT_TRUE(RegistryReadsMissed());

  ASSERT_EQ(write(release[1], &byte, 1), 1);
  int status = 0;
  ASSERT_EQ(waitpid(holder, &status, 0), holder);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;

  // The file answers again, but this run read defaults: its writes are refused.
  key = Open(kProductKey, KEY_READ | KEY_WRITE);
  const char defaults[] = "/root/Photos";
  EXPECT_EQ(RegSetValueExA(key, "Directory", 0, REG_SZ, reinterpret_cast<const BYTE*>(defaults), sizeof defaults),
            ERROR_ACCESS_DENIED);
  EXPECT_EQ(RegDeleteValueA(key, "Directory"), ERROR_ACCESS_DENIED);
  char text[64] = {};
  DWORD size = sizeof text;
  EXPECT_EQ(RegQueryValueExA(key, "Directory", nullptr, nullptr, reinterpret_cast<BYTE*>(text), &size), ERROR_SUCCESS);
  EXPECT_STREQ(text, chosen);

  // Once the caller asks, the file is read again and its writes are kept.
  EXPECT_TRUE(RegistryRetryMissedReads());
  EXPECT_FALSE(RegistryReadsMissed());
  const char changed[] = "/changed/photos";
  EXPECT_EQ(RegSetValueExA(key, "Directory", 0, REG_SZ, reinterpret_cast<const BYTE*>(changed), sizeof changed),
            ERROR_SUCCESS);
  size = sizeof text;
  EXPECT_EQ(RegQueryValueExA(key, "Directory", nullptr, nullptr, reinterpret_cast<BYTE*>(text), &size), ERROR_SUCCESS);
  EXPECT_STREQ(text, changed);
  RegCloseKey(key);
}
