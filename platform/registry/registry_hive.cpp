// The hive file: where it lives, opening it for several processes at once, and replacing a
// damaged one with an empty hive while keeping the damaged file beside it.
#include <fcntl.h>
#include <pwd.h>
#include <sqlite3.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <unordered_map>

#include "platform/registry/registry_p.h"
#include "platform/registry/registry_testing.h"
#include "platform/win32/trace.h"

namespace regstore {
namespace {

constexpr int kApplicationId = 0x54565247;  // marks the file as ours: "TVRG"
// Another process may hold the file for a moment: reads wait a few hundred ms, writes (which
// queue behind other writers) a few seconds. Once a call gave up, later calls try once until
// one succeeds again, so a long lock never costs more than one wait.
constexpr int kBusyStepMs = 10;
constexpr int kReadWaitMs = 400;
constexpr int kWriteWaitMs = 3000;

const char kSchema[] =
    "CREATE TABLE keys(id INTEGER PRIMARY KEY AUTOINCREMENT, parent INTEGER, name BLOB NOT NULL,"
    " fold BLOB NOT NULL, UNIQUE(parent, fold));"
    "CREATE TABLE vals(key INTEGER NOT NULL, name BLOB NOT NULL, fold BLOB NOT NULL,"
    " type INTEGER NOT NULL, data BLOB NOT NULL, UNIQUE(key, fold));"
    "INSERT INTO keys(id, parent, name, fold) VALUES(1, NULL, X'', X'');"
    "PRAGMA user_version = 1;";

struct Hive {
  sqlite3* db = nullptr;
  std::string path;      // of the open (or last opened) hive
  uint64_t generation = 0;
  bool damaged = false;  // SQLite saw damage mid-run; check the file again before the next call
  std::unordered_map<const char*, sqlite3_stmt*> statements;
  std::string reportedFailure;  // a failure to open is reported once per file
  bool busy = false;             // the last call found the file held by another process
  bool writing = false;          // a write transaction is being begun
  bool failFast = false;         // a call gave up on a held file: do not wait again yet
  bool readsMissed = false;      // a read failed that way: what the caller holds was not loaded
  std::string damagedKept;       // where a damaged file was kept this run
};

// Never destroyed: a worker thread may still read a setting while the program exits.
Hive& TheHive() {
  static Hive* hive = new Hive;
  return *hive;
}

enum class OpenResult { kOk, kDamaged, kFailed };

int BusyWait(void*, int count) {
  Hive& hive = TheHive();
  hive.busy = true;
  if (hive.failFast || count * kBusyStepMs >= (hive.writing ? kWriteWaitMs : kReadWaitMs)) return 0;
  sqlite3_sleep(kBusyStepMs);
  return 1;
}

bool IsBusy(int rc) {
  rc &= 0xff;
  return rc == SQLITE_BUSY || rc == SQLITE_LOCKED;
}

bool IsDamage(int rc) {
  rc &= 0xff;
  return rc == SQLITE_CORRUPT || rc == SQLITE_NOTADB;
}

// Folders on the way to the hive are made readable by the user only.
bool MakeFolders(const std::string& dir) {
  for (size_t i = 1; i <= dir.size(); ++i) {
    if (i < dir.size() && dir[i] != '/') continue;
    std::string part = dir.substr(0, i);
    if (mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) return false;
  }
  struct stat st;
  return stat(dir.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::string FolderOf(const std::string& path) {
  size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

// Serialises checking and replacing the file between processes that open it at the same time,
// so that no process moves aside a hive another one has just made.
class FolderLock {
 public:
  explicit FolderLock(const std::string& dir) : fd_(open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {
    if (fd_ < 0) return;
    while (flock(fd_, LOCK_EX) != 0 && errno == EINTR) {
    }
  }
  ~FolderLock() {
    if (fd_ >= 0) close(fd_);
  }
  FolderLock(const FolderLock&) = delete;
  FolderLock& operator=(const FolderLock&) = delete;

 private:
  int fd_;
};

int QueryText(sqlite3* db, const char* sql, std::string* text) {
  sqlite3_stmt* stmt = nullptr;
  int rc = sqlite3_prepare_v2(db, sql, -1, &stmt, nullptr);
  if (rc == SQLITE_OK) {
    rc = sqlite3_step(stmt);
    if (rc == SQLITE_ROW) {
      const unsigned char* value = sqlite3_column_text(stmt, 0);
      text->assign(value ? reinterpret_cast<const char*>(value) : "");
      rc = SQLITE_OK;
    } else if (rc == SQLITE_DONE) {
      text->clear();
      rc = SQLITE_OK;
    }
  }
  sqlite3_finalize(stmt);
  return rc;
}

// Makes the tables in a new file; a file with other tables is not ours and counts as damaged.
OpenResult PrepareSchema(sqlite3* db, std::string* problem) {
  std::string tables, appId;
  // A hive of ours needs no write lock to open, so another process writing it holds no reader up.
  bool ours = QueryText(db, "SELECT count(*) FROM sqlite_master", &tables) == SQLITE_OK && tables != "0" &&
              QueryText(db, "PRAGMA application_id", &appId) == SQLITE_OK && appId == std::to_string(kApplicationId);
  if (!ours) {
    int rc = sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
    if (rc == SQLITE_OK) rc = QueryText(db, "SELECT count(*) FROM sqlite_master", &tables);
    if (rc == SQLITE_OK) rc = QueryText(db, "PRAGMA application_id", &appId);
    if (rc == SQLITE_OK && tables == "0") {
      rc = sqlite3_exec(db, kSchema, nullptr, nullptr, nullptr);
      char pragma[64];
      std::snprintf(pragma, sizeof pragma, "PRAGMA application_id = %d", kApplicationId);
      if (rc == SQLITE_OK) rc = sqlite3_exec(db, pragma, nullptr, nullptr, nullptr);
    } else if (rc == SQLITE_OK && appId != std::to_string(kApplicationId)) {
      sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
      *problem = "not a Tavorin registry";
      return OpenResult::kDamaged;
    }
    if (rc == SQLITE_OK) rc = sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK) {
      *problem = sqlite3_errmsg(db);
      if (IsBusy(rc)) TheHive().busy = true;
      sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
      return IsDamage(rc) ? OpenResult::kDamaged : OpenResult::kFailed;
    }
  }
  // Our marker on a file whose tables were since changed by hand: not usable either.
  sqlite3_stmt* keys = nullptr;
  sqlite3_stmt* vals = nullptr;
  bool usable = sqlite3_prepare_v2(db, "SELECT id, parent, name, fold FROM keys WHERE id = 1", -1, &keys,
                                   nullptr) == SQLITE_OK &&
                sqlite3_step(keys) == SQLITE_ROW &&
                sqlite3_prepare_v2(db, "SELECT key, name, fold, type, data FROM vals", -1, &vals, nullptr) ==
                    SQLITE_OK;
  sqlite3_finalize(keys);
  sqlite3_finalize(vals);
  if (!usable) {
    *problem = "registry tables are missing";
    return OpenResult::kDamaged;
  }
  return OpenResult::kOk;
}

OpenResult TryOpen(const std::string& path, sqlite3** out, std::string* problem) {
  *out = nullptr;
  // Made here rather than by SQLite so that it is private to the user: it holds passwords.
  int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (fd < 0) {
    *problem = std::strerror(errno);
    return OpenResult::kFailed;
  }
  close(fd);
  sqlite3* db = nullptr;
  int rc = sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_FULLMUTEX,
                           nullptr);
  std::string verdict;
  if (rc == SQLITE_OK) rc = sqlite3_busy_handler(db, BusyWait, nullptr);
  // WAL lets readers and one writer of other processes go on together; FULL makes each commit
  // durable before the call returns.
  if (rc == SQLITE_OK) rc = sqlite3_exec(db, "PRAGMA journal_mode=WAL", nullptr, nullptr, nullptr);
  if (rc == SQLITE_OK) rc = sqlite3_exec(db, "PRAGMA synchronous=FULL", nullptr, nullptr, nullptr);
  if (rc == SQLITE_OK) rc = QueryText(db, "PRAGMA integrity_check", &verdict);
  if (rc != SQLITE_OK) {
    *problem = db ? sqlite3_errmsg(db) : sqlite3_errstr(rc);
    if (IsBusy(rc)) TheHive().busy = true;
    sqlite3_close_v2(db);
    return IsDamage(rc) ? OpenResult::kDamaged : OpenResult::kFailed;
  }
  if (verdict != "ok") {
    *problem = "integrity check: " + verdict.substr(0, 200);
    for (char& c : *problem) c = c == '\n' ? ' ' : c;  // one line in the log
    sqlite3_close_v2(db);
    return OpenResult::kDamaged;
  }
  OpenResult result = PrepareSchema(db, problem);
  if (result != OpenResult::kOk) {
    sqlite3_close_v2(db);
    return result;
  }
  *out = db;
  return OpenResult::kOk;
}

// Renames the damaged file (and its write-ahead log, which must not be replayed onto the new
// hive) to "<path>.damaged-<time>". Returns the new name, or "" when it could not be moved.
std::string MoveAside(const std::string& path) {
  char stamp[32];
  std::time_t now = std::time(nullptr);
  struct tm local;
  localtime_r(&now, &local);
  std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &local);
  std::string base = path + ".damaged-" + stamp;
  std::string target = base;
  for (int n = 2; access(target.c_str(), F_OK) == 0; ++n) {
    if (n > 999) return "";
    target = base + "-" + std::to_string(n);
  }
  if (std::rename(path.c_str(), target.c_str()) != 0) return "";
  std::rename((path + "-wal").c_str(), (target + "-wal").c_str());
  unlink((path + "-shm").c_str());
  return target;
}

void Report(const char* text) {
  TRACE("Registry::Open() - %s\n", text);
  if (!TavorinTraceEnabled()) std::fprintf(stderr, "Tavorin: %s\n", text);
}

void ReportFailure(Hive& hive, const std::string& path, const std::string& problem) {
  if (hive.busy) return;  // held by another process: the caller notes it, no file is at fault
  if (hive.reportedFailure == path) return;
  hive.reportedFailure = path;
  std::string text = "cannot open the settings file " + path + " (" + problem + "); settings are not kept";
  Report(text.c_str());
}

void CloseConnection(Hive& hive) {
  for (auto& entry : hive.statements) sqlite3_finalize(entry.second);
  hive.statements.clear();
  sqlite3_close_v2(hive.db);
  hive.db = nullptr;
}

}  // namespace

std::string HivePath() {
  const char* override = std::getenv("TAVORIN_REGISTRY");
  if (override && *override) return override;
  std::string base;
  const char* config = std::getenv("XDG_CONFIG_HOME");
  if (config && config[0] == '/') {
    base = config;
  } else {
    const char* home = std::getenv("HOME");
    if (home && *home) {
      base = home;
    } else {
      struct passwd entry;
      struct passwd* found = nullptr;
      char buffer[4096];
      if (getpwuid_r(getuid(), &entry, buffer, sizeof buffer, &found) == 0 && found && found->pw_dir)
        base = found->pw_dir;
    }
    base += "/.config";
  }
  return base + "/tavorin/registry.sqlite3";
}

LONG HiveOpen() {
  Hive& hive = TheHive();
  if (hive.db && !hive.damaged) return ERROR_SUCCESS;
  if (hive.db) CloseConnection(hive);
  hive.damaged = false;

  std::string path = HivePath();
  std::string dir = FolderOf(path);
  if (!MakeFolders(dir)) {
    ReportFailure(hive, path, std::string("cannot make folder ") + dir + ": " + std::strerror(errno));
    return ERROR_CANTOPEN;
  }
  FolderLock lock(dir);
  sqlite3* db = nullptr;
  std::string problem;
  bool replaced = false;
  OpenResult result = TryOpen(path, &db, &problem);
  if (result == OpenResult::kDamaged) {
    std::string kept = MoveAside(path);
    if (kept.empty()) {
      ReportFailure(hive, path, "damaged (" + problem + ") and cannot be moved aside: " + std::strerror(errno));
      return ERROR_BADDB;
    }
    std::string text = "the settings file " + path + " was damaged (" + problem + "); kept it as " + kept +
                       " and started with empty settings";
    Report(text.c_str());
    hive.damagedKept = kept;
    replaced = true;
    result = TryOpen(path, &db, &problem);
  }
  if (result != OpenResult::kOk) {
    ReportFailure(hive, path, problem);
    return result == OpenResult::kDamaged ? ERROR_BADDB : ERROR_CANTOPEN;
  }
  // Key ids of another file mean nothing here: handles opened on it become stale.
  if (replaced || path != hive.path || hive.generation == 0) ++hive.generation;
  hive.db = db;
  hive.path = path;
  hive.reportedFailure.clear();
  return ERROR_SUCCESS;
}

sqlite3* HiveDb() { return TheHive().db; }

uint64_t HiveGeneration() { return TheHive().generation; }

sqlite3_stmt* HiveStatement(const char* sql, int* rc) {
  Hive& hive = TheHive();
  auto found = hive.statements.find(sql);
  if (found != hive.statements.end()) {
    sqlite3_reset(found->second);
    sqlite3_clear_bindings(found->second);
    *rc = SQLITE_OK;
    return found->second;
  }
  sqlite3_stmt* stmt = nullptr;
  *rc = sqlite3_prepare_v3(hive.db, sql, -1, SQLITE_PREPARE_PERSISTENT, &stmt, nullptr);
  if (*rc != SQLITE_OK) {
    sqlite3_finalize(stmt);
    return nullptr;
  }
  try {
    hive.statements.emplace(sql, stmt);
  } catch (...) {
    sqlite3_finalize(stmt);
    throw;
  }
  return stmt;
}

void HiveMarkDamaged() { TheHive().damaged = true; }

void HiveStartCall() { TheHive().busy = false; }

void HiveEndCall(LONG error) {
  Hive& hive = TheHive();
  if (error == ERROR_SUCCESS) hive.failFast = false;
  else if (hive.busy) hive.failFast = true;
}

void HiveSetWriting(bool writing) { TheHive().writing = writing; }

void HiveEndRead(LONG error) {
  Hive& hive = TheHive();
  if (error != ERROR_SUCCESS && hive.busy && !hive.readsMissed) {
    hive.readsMissed = true;
    Report("the settings file is in use by another program: settings were not read and are not saved this run");
  }
}

bool HiveReadsMissed() { return TheHive().readsMissed; }

bool HiveRetryMissedReads() {
  Hive& hive = TheHive();
  if (!hive.readsMissed) return true;
  LONG error = HiveOpen();
  if (error == ERROR_SUCCESS) error = KeyExists(kCurrentUserRoot);
  if (error != ERROR_SUCCESS) return false;
  hive.readsMissed = false;
  TRACE("Registry - the settings file can be read again\n");
  return true;
}

void HiveClose() {
  Hive& hive = TheHive();
  if (hive.db) CloseConnection(hive);
  hive.damaged = false;
  hive.path.clear();
}

LONG ErrorFromSqlite(int rc, bool writing) {
  switch (rc & 0xff) {
    case SQLITE_OK:
    case SQLITE_ROW:
    case SQLITE_DONE: return ERROR_SUCCESS;
    case SQLITE_NOMEM: return ERROR_NOT_ENOUGH_MEMORY;
    case SQLITE_FULL: return ERROR_DISK_FULL;
    case SQLITE_TOOBIG: return ERROR_INVALID_PARAMETER;
    case SQLITE_READONLY:
    case SQLITE_PERM:
    case SQLITE_AUTH: return ERROR_ACCESS_DENIED;
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB: HiveMarkDamaged(); return ERROR_BADDB;
    case SQLITE_BUSY:
    case SQLITE_LOCKED: TheHive().busy = true; return writing ? ERROR_CANTWRITE : ERROR_CANTREAD;
    default: return writing ? ERROR_CANTWRITE : ERROR_CANTREAD;
  }
}

}  // namespace regstore

void RegistryReopenForTest() {
  std::lock_guard<std::mutex> lock(regstore::RegistryMutex());
  regstore::ForgetHandles();
  regstore::HiveClose();
}

std::string RegistryPathForTest() { return regstore::HivePath(); }

BOOL RegistryReadsMissed() {
  std::lock_guard<std::mutex> lock(regstore::RegistryMutex());
  return regstore::HiveReadsMissed() ? TRUE : FALSE;
}

BOOL RegistryRetryMissedReads() {
  LSTATUS result = regstore::Guarded([]() -> LONG {
    return regstore::HiveRetryMissedReads() ? ERROR_SUCCESS : ERROR_CANTREAD;
  });
  return result == ERROR_SUCCESS ? TRUE : FALSE;
}

std::string RegistryDamagedFileKept() {
  std::lock_guard<std::mutex> lock(regstore::RegistryMutex());
  return regstore::TheHive().damagedKept;
}
