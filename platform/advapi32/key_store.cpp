#include "advapi32/key_store.h"

#include <winreg.h>

#include "advapi32/key_handles.h"
#include "advapi32/key_names.h"

namespace plat::reg {

namespace {

sqlite3* raw(StoreContext& store) { return store.db.get(); }

bool keyExists(StoreContext& store, int64_t id) {
  Statement st(raw(store), "SELECT 1 FROM keys WHERE id = ?");
  return st.bind(1, id).step();
}

std::optional<int64_t> findChild(StoreContext& store, int64_t parent, const std::string& name) {
  Statement st(raw(store), "SELECT id FROM keys WHERE parent = ? AND name_fold = ?");
  st.bind(1, parent).bind(2, foldName(name));
  if (!st.step()) return std::nullopt;
  return st.integer(0);
}

}  // namespace

long resolveKey(StoreContext& store, HKEY key, DWORD neededAccess, int64_t& id) {
  std::optional<KeyRef> ref = findKeyHandle(key);
  if (!ref) return ERROR_INVALID_HANDLE;
  if ((ref->access & neededAccess) != neededAccess) return ERROR_ACCESS_DENIED;
  if (!ref->store.empty() && ref->store != store.id) return ERROR_KEY_DELETED;
  if (!keyExists(store, ref->id)) return ERROR_KEY_DELETED;
  id = ref->id;
  return ERROR_SUCCESS;
}

long findPath(StoreContext& store, int64_t start, const std::vector<std::string>& path, int64_t& id) {
  int64_t current = start;
  for (const std::string& part : path) {
    std::optional<int64_t> child = findChild(store, current, part);
    if (!child) return ERROR_FILE_NOT_FOUND;
    current = *child;
  }
  id = current;
  return ERROR_SUCCESS;
}

int64_t createPath(StoreContext& store, int64_t start, const std::vector<std::string>& path, bool& created) {
  int64_t current = start;
  created = false;
  for (const std::string& part : path) {
    if (std::optional<int64_t> child = findChild(store, current, part)) {
      current = *child;
      created = false;
      continue;
    }
    Statement st(raw(store), "INSERT INTO keys(parent, name, name_fold) VALUES(?, ?, ?)");
    st.bind(1, current).bind(2, part).bind(3, foldName(part)).run();
    current = sqlite3_last_insert_rowid(raw(store));
    created = true;
  }
  return current;
}

bool hasSubkeys(StoreContext& store, int64_t id) {
  Statement st(raw(store), "SELECT 1 FROM keys WHERE parent = ? LIMIT 1");
  return st.bind(1, id).step();
}

void deleteKey(StoreContext& store, int64_t id) {
  Statement(raw(store), "DELETE FROM vals WHERE key = ?").bind(1, id).run();
  Statement(raw(store), "DELETE FROM keys WHERE id = ?").bind(1, id).run();
}

void deleteBelow(StoreContext& store, int64_t id, bool itself) {
  const char* const tree =
      "WITH RECURSIVE tree(id) AS (SELECT id FROM keys WHERE parent = ?1"
      " UNION ALL SELECT keys.id FROM keys JOIN tree ON keys.parent = tree.id) ";
  std::string values = std::string(tree) + "DELETE FROM vals WHERE key IN (SELECT id FROM tree)";
  std::string keys = std::string(tree) + "DELETE FROM keys WHERE id IN (SELECT id FROM tree)";
  Statement(raw(store), values.c_str()).bind(1, id).run();
  Statement(raw(store), keys.c_str()).bind(1, id).run();
  if (itself) {
    deleteKey(store, id);
  } else {
    Statement(raw(store), "DELETE FROM vals WHERE key = ?").bind(1, id).run();
  }
}

std::optional<std::string> subkeyAt(StoreContext& store, int64_t id, DWORD index) {
  // Sorted by the folded name, as the caller's view of a key's subkeys does
  // not depend on the order in which they were written.
  Statement st(raw(store), "SELECT name FROM keys WHERE parent = ? ORDER BY name_fold LIMIT 1 OFFSET ?");
  st.bind(1, id).bind(2, static_cast<int64_t>(index));
  if (!st.step()) return std::nullopt;
  return st.text(0);
}

std::optional<ValueRow> valueAt(StoreContext& store, int64_t id, DWORD index) {
  Statement st(raw(store), "SELECT name, type, data FROM vals WHERE key = ? ORDER BY id LIMIT 1 OFFSET ?");
  st.bind(1, id).bind(2, static_cast<int64_t>(index));
  if (!st.step()) return std::nullopt;
  return ValueRow{st.text(0), static_cast<DWORD>(st.integer(1)), st.blob(2)};
}

KeyInfo keyInfo(StoreContext& store, int64_t id) {
  KeyInfo info;
  Statement keys(raw(store), "SELECT count(*), ifnull(max(length(name)), 0) FROM keys WHERE parent = ?");
  if (keys.bind(1, id).step()) {
    info.subkeys = static_cast<DWORD>(keys.integer(0));
    info.maxSubkeyName = static_cast<DWORD>(keys.integer(1));
  }
  Statement values(raw(store),
                   "SELECT count(*), ifnull(max(length(name)), 0), ifnull(max(length(data)), 0)"
                   " FROM vals WHERE key = ?");
  if (values.bind(1, id).step()) {
    info.values = static_cast<DWORD>(values.integer(0));
    info.maxValueName = static_cast<DWORD>(values.integer(1));
    info.maxValueData = static_cast<DWORD>(values.integer(2));
  }
  return info;
}

std::optional<ValueRow> findValue(StoreContext& store, int64_t id, const std::string& name) {
  Statement st(raw(store), "SELECT name, type, data FROM vals WHERE key = ? AND name_fold = ?");
  st.bind(1, id).bind(2, foldName(name));
  if (!st.step()) return std::nullopt;
  return ValueRow{st.text(0), static_cast<DWORD>(st.integer(1)), st.blob(2)};
}

void setValue(StoreContext& store, int64_t id, const std::string& name, DWORD type, const BYTE* data,
              DWORD size) {
  // An existing value keeps its name as first written and its place in the
  // enumeration.
  Statement st(raw(store),
               "INSERT INTO vals(key, name, name_fold, type, data) VALUES(?1, ?2, ?3, ?4, ?5)"
               " ON CONFLICT(key, name_fold) DO UPDATE SET type = excluded.type, data = excluded.data");
  st.bind(1, id).bind(2, name).bind(3, foldName(name)).bind(4, static_cast<int64_t>(type));
  st.bindBlob(5, data, size).run();
}

bool deleteValue(StoreContext& store, int64_t id, const std::string& name) {
  Statement st(raw(store), "DELETE FROM vals WHERE key = ? AND name_fold = ?");
  st.bind(1, id).bind(2, foldName(name)).run();
  return sqlite3_changes(raw(store)) > 0;
}

}  // namespace plat::reg
