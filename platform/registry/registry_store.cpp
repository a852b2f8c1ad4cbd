// Key and value rows of the hive. Each change runs in its own immediate transaction, so it is
// whole and durable when it returns, and it first checks that its key was not deleted meanwhile
// (perhaps by another process).
#include <sqlite3.h>

#include "platform/registry/registry_p.h"

namespace regstore {
namespace {

// A cached statement, reset when it goes out of scope so that no read stays open.
class Query {
 public:
  explicit Query(const char* sql) : stmt_(HiveStatement(sql, &rc_)) {}
  ~Query() {
    if (stmt_) sqlite3_reset(stmt_);
  }
  Query(const Query&) = delete;
  Query& operator=(const Query&) = delete;

  void Int(int index, int64_t value) {
    if (stmt_ && rc_ == SQLITE_OK) rc_ = sqlite3_bind_int64(stmt_, index, value);
  }
  void Blob(int index, const void* data, size_t size) {
    if (!stmt_ || rc_ != SQLITE_OK) return;
    // An empty name or value is a zero-length blob, never NULL.
    rc_ = size ? sqlite3_bind_blob64(stmt_, index, data, size, SQLITE_TRANSIENT) : sqlite3_bind_zeroblob(stmt_, index, 0);
  }
  void Blob(int index, const std::string& text) { Blob(index, text.data(), text.size()); }
  int Step() { return stmt_ && rc_ == SQLITE_OK ? sqlite3_step(stmt_) : rc_; }

  int64_t ColumnInt(int index) { return sqlite3_column_int64(stmt_, index); }
  std::string ColumnBlob(int index) {
    const void* data = sqlite3_column_blob(stmt_, index);
    int size = sqlite3_column_bytes(stmt_, index);
    return data && size > 0 ? std::string(static_cast<const char*>(data), static_cast<size_t>(size)) : std::string();
  }

 private:
  int rc_ = SQLITE_OK;
  sqlite3_stmt* stmt_;
};

class WriteTransaction {
 public:
  // IMMEDIATE takes the write lock up front, where the busy timeout applies.
  WriteTransaction() : rc_(Begin()) {}
  ~WriteTransaction() {
    if (rc_ == SQLITE_OK && !committed_) sqlite3_exec(HiveDb(), "ROLLBACK", nullptr, nullptr, nullptr);
  }
  WriteTransaction(const WriteTransaction&) = delete;
  WriteTransaction& operator=(const WriteTransaction&) = delete;

  LONG Begun() const { return ErrorFromSqlite(rc_, true); }
  LONG Commit() {
    int rc = sqlite3_exec(HiveDb(), "COMMIT", nullptr, nullptr, nullptr);
    committed_ = rc == SQLITE_OK;
    return ErrorFromSqlite(rc, true);
  }

 private:
  static int Begin() {
    HiveSetWriting(true);
    int rc = sqlite3_exec(HiveDb(), "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
    HiveSetWriting(false);
    return rc;
  }

  int rc_;
  bool committed_ = false;
};

LONG FindChild(KeyId parent, const std::string& name, KeyId* child) {
  Query query("SELECT id FROM keys WHERE parent = ?1 AND fold = ?2");
  query.Int(1, parent);
  query.Blob(2, FoldName(name));
  int rc = query.Step();
  if (rc == SQLITE_ROW) {
    *child = query.ColumnInt(0);
    return ERROR_SUCCESS;
  }
  return rc == SQLITE_DONE ? ERROR_FILE_NOT_FOUND : ErrorFromSqlite(rc, false);
}

LONG AddChild(KeyId parent, const std::string& name, KeyId* child) {
  Query query("INSERT INTO keys(parent, name, fold) VALUES(?1, ?2, ?3)");
  query.Int(1, parent);
  query.Blob(2, name);
  query.Blob(3, FoldName(name));
  int rc = query.Step();
  if (rc != SQLITE_DONE) return ErrorFromSqlite(rc, true);
  *child = sqlite3_last_insert_rowid(HiveDb());
  return ERROR_SUCCESS;
}

}  // namespace

LONG KeyExists(KeyId key) {
  Query query("SELECT 1 FROM keys WHERE id = ?1");
  query.Int(1, key);
  int rc = query.Step();
  if (rc == SQLITE_ROW) return ERROR_SUCCESS;
  return rc == SQLITE_DONE ? ERROR_KEY_DELETED : ErrorFromSqlite(rc, false);
}

LONG FindKey(KeyId from, const std::vector<std::string>& names, KeyId* found) {
  LONG error = KeyExists(from);
  KeyId key = from;
  for (size_t i = 0; error == ERROR_SUCCESS && i < names.size(); ++i) error = FindChild(key, names[i], &key);
  if (error == ERROR_SUCCESS) *found = key;
  return error;
}

LONG CreateKey(KeyId from, const std::vector<std::string>& names, bool canCreate, KeyId* found, bool* created) {
  // Most calls open a key that exists: no need for the write lock then.
  if (FindKey(from, names, found) == ERROR_SUCCESS) {
    *created = false;
    return ERROR_SUCCESS;
  }
  WriteTransaction transaction;
  LONG error = transaction.Begun();
  if (error == ERROR_SUCCESS) error = KeyExists(from);
  KeyId key = from;
  bool made = false;
  for (size_t i = 0; error == ERROR_SUCCESS && i < names.size(); ++i) {
    error = FindChild(key, names[i], &key);
    if (error != ERROR_FILE_NOT_FOUND) continue;
    if (!canCreate) return ERROR_ACCESS_DENIED;
    error = AddChild(key, names[i], &key);
    made = true;
  }
  if (error == ERROR_SUCCESS && made) error = transaction.Commit();
  if (error != ERROR_SUCCESS) return error;
  *found = key;
  *created = made;
  return ERROR_SUCCESS;
}

LONG QueryValue(KeyId key, const std::string& name, DWORD* type, std::string* data) {
  LONG error = KeyExists(key);
  if (error != ERROR_SUCCESS) return error;
  Query query("SELECT type, data FROM vals WHERE key = ?1 AND fold = ?2");
  query.Int(1, key);
  query.Blob(2, FoldName(name));
  int rc = query.Step();
  if (rc == SQLITE_DONE) return ERROR_FILE_NOT_FOUND;
  if (rc != SQLITE_ROW) return ErrorFromSqlite(rc, false);
  *type = static_cast<DWORD>(query.ColumnInt(0));
  *data = query.ColumnBlob(1);
  return ERROR_SUCCESS;
}

LONG SetValue(KeyId key, const std::string& name, DWORD type, const BYTE* data, DWORD size) {
  WriteTransaction transaction;
  LONG error = transaction.Begun();
  if (error == ERROR_SUCCESS) error = KeyExists(key);
  if (error != ERROR_SUCCESS) return error;
  // An existing value keeps its place in the enumeration and the spelling of its first name.
  Query query(
      "INSERT INTO vals(key, name, fold, type, data) VALUES(?1, ?2, ?3, ?4, ?5)"
      " ON CONFLICT(key, fold) DO UPDATE SET type = excluded.type, data = excluded.data");
  query.Int(1, key);
  query.Blob(2, name);
  query.Blob(3, FoldName(name));
  query.Int(4, type);
  query.Blob(5, data, size);
  int rc = query.Step();
  if (rc != SQLITE_DONE) return ErrorFromSqlite(rc, true);
  return transaction.Commit();
}

LONG DeleteValue(KeyId key, const std::string& name) {
  WriteTransaction transaction;
  LONG error = transaction.Begun();
  if (error == ERROR_SUCCESS) error = KeyExists(key);
  if (error != ERROR_SUCCESS) return error;
  Query query("DELETE FROM vals WHERE key = ?1 AND fold = ?2");
  query.Int(1, key);
  query.Blob(2, FoldName(name));
  int rc = query.Step();
  if (rc != SQLITE_DONE) return ErrorFromSqlite(rc, true);
  if (sqlite3_changes(HiveDb()) == 0) return ERROR_FILE_NOT_FOUND;
  return transaction.Commit();
}

LONG DeleteKey(KeyId key, bool withSubKeys, bool keepKey) {
  if (key == kCurrentUserRoot && !keepKey) return ERROR_ACCESS_DENIED;
  WriteTransaction transaction;
  LONG error = transaction.Begun();
  if (error == ERROR_SUCCESS) error = KeyExists(key);
  if (error != ERROR_SUCCESS) return error;
  if (!withSubKeys) {
    Query children("SELECT 1 FROM keys WHERE parent = ?1 LIMIT 1");
    children.Int(1, key);
    int rc = children.Step();
    if (rc == SQLITE_ROW) return ERROR_ACCESS_DENIED;
    if (rc != SQLITE_DONE) return ErrorFromSqlite(rc, false);
  }
  {
    Query values(
        "WITH RECURSIVE tree(id) AS (SELECT ?1 UNION ALL SELECT keys.id FROM keys JOIN tree ON keys.parent = tree.id)"
        " DELETE FROM vals WHERE key IN tree");
    values.Int(1, key);
    int rc = values.Step();
    if (rc != SQLITE_DONE) return ErrorFromSqlite(rc, true);
  }
  {
    Query keys(
        "WITH RECURSIVE tree(id) AS (SELECT ?1 UNION ALL SELECT keys.id FROM keys JOIN tree ON keys.parent = tree.id)"
        " DELETE FROM keys WHERE id IN tree AND id <> ?2");
    keys.Int(1, key);
    keys.Int(2, keepKey ? key : 0);
    int rc = keys.Step();
    if (rc != SQLITE_DONE) return ErrorFromSqlite(rc, true);
  }
  return transaction.Commit();
}

LONG EnumKey(KeyId key, DWORD index, std::string* name) {
  LONG error = KeyExists(key);
  if (error != ERROR_SUCCESS) return error;
  Query query("SELECT name FROM keys WHERE parent = ?1 ORDER BY fold LIMIT 1 OFFSET ?2");
  query.Int(1, key);
  query.Int(2, index);
  int rc = query.Step();
  if (rc == SQLITE_DONE) return ERROR_NO_MORE_ITEMS;
  if (rc != SQLITE_ROW) return ErrorFromSqlite(rc, false);
  *name = query.ColumnBlob(0);
  return ERROR_SUCCESS;
}

LONG EnumValue(KeyId key, DWORD index, std::string* name, DWORD* type, std::string* data) {
  LONG error = KeyExists(key);
  if (error != ERROR_SUCCESS) return error;
  Query query("SELECT name, type, data FROM vals WHERE key = ?1 ORDER BY rowid LIMIT 1 OFFSET ?2");
  query.Int(1, key);
  query.Int(2, index);
  int rc = query.Step();
  if (rc == SQLITE_DONE) return ERROR_NO_MORE_ITEMS;
  if (rc != SQLITE_ROW) return ErrorFromSqlite(rc, false);
  *name = query.ColumnBlob(0);
  *type = static_cast<DWORD>(query.ColumnInt(1));
  *data = query.ColumnBlob(2);
  return ERROR_SUCCESS;
}

}  // namespace regstore
