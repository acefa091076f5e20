// The queries behind the registry functions, on an open store inside a
// transaction. Names are kept as bytes in the ANSI code page.
#pragma once
#include <windef.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "advapi32/store.h"

namespace plat::reg {

struct ValueRow {
  std::string name;
  DWORD type = 0;
  std::vector<unsigned char> data;
};

struct KeyInfo {
  DWORD subkeys = 0;
  DWORD maxSubkeyName = 0;
  DWORD values = 0;
  DWORD maxValueName = 0;
  DWORD maxValueData = 0;
};

// The key a handle refers to, checked against the store of this call and
// the rights the operation needs. ERROR_INVALID_HANDLE for an unknown
// handle, ERROR_ACCESS_DENIED for missing rights, ERROR_KEY_DELETED when
// the key is gone.
long resolveKey(StoreContext& store, HKEY key, DWORD neededAccess, int64_t& id);

// Walks a path below a key; ERROR_FILE_NOT_FOUND when a part is missing.
long findPath(StoreContext& store, int64_t start, const std::vector<std::string>& path, int64_t& id);
// Opens or creates every part of a path; created tells whether the last
// part was new.
int64_t createPath(StoreContext& store, int64_t start, const std::vector<std::string>& path, bool& created);

bool hasSubkeys(StoreContext& store, int64_t id);
void deleteKey(StoreContext& store, int64_t id);
// Deletes everything below a key; with itself, the key as well.
void deleteBelow(StoreContext& store, int64_t id, bool itself);

std::optional<std::string> subkeyAt(StoreContext& store, int64_t id, DWORD index);
std::optional<ValueRow> valueAt(StoreContext& store, int64_t id, DWORD index);
KeyInfo keyInfo(StoreContext& store, int64_t id);

std::optional<ValueRow> findValue(StoreContext& store, int64_t id, const std::string& name);
void setValue(StoreContext& store, int64_t id, const std::string& name, DWORD type, const BYTE* data,
              DWORD size);
// False when there was no such value.
bool deleteValue(StoreContext& store, int64_t id, const std::string& name);

}  // namespace plat::reg
