// The registry primitives that the rest of the library calls by path.
#include "registry_access.h"
#include "registry_key.h"

namespace tarnix {

namespace {

bool isEmpty(const char* text) { return text == nullptr || text[0] == '\0'; }

bool typeNeedsItsArgument(int32_t type, const void* text, const void* value) {
  if (type == static_cast<int32_t>(REG_SZ)) return text != nullptr;
  if (type == static_cast<int32_t>(REG_DWORD)) return value != nullptr;
  return false;
}

int32_t writeInto(const RegKey& key, int32_t type, const char* name, const char* text, int32_t value) {
  return type == static_cast<int32_t>(REG_SZ) ? key.writeText(name, text) : key.writeDword(name, value);
}

}  // namespace

int32_t ReadRegValue(const char* keyPath, int32_t type, const char* name, char* text, int32_t* value) {
  if (text != nullptr && type == static_cast<int32_t>(REG_SZ)) text[0] = '\0';
  if (value != nullptr && type == static_cast<int32_t>(REG_DWORD)) *value = 0;
  if (keyPath == nullptr || !typeNeedsItsArgument(type, text, value)) return 1;
  RegKey key;
  if (int32_t status = key.open(keyPath, KEY_READ); status != 0) return status;
  return type == static_cast<int32_t>(REG_SZ) ? key.readText(name, text) : key.readDword(name, *value);
}

int32_t ReadRegBinary(const char* keyPath, const char* name, void* data, uint32_t* size) {
  if (keyPath == nullptr || data == nullptr || size == nullptr) return 1;
  RegKey key;
  if (int32_t status = key.open(keyPath, KEY_READ); status != 0) return status;
  DWORD type = 0;
  if (LONG status = RegQueryValueExA(key.get(), name, nullptr, &type, nullptr, nullptr); status != ERROR_SUCCESS)
    return status;
  if (type != REG_BINARY) return 1;
  DWORD length = *size;
  const LONG status = RegQueryValueExA(key.get(), name, nullptr, &type, static_cast<BYTE*>(data), &length);
  if (status == ERROR_SUCCESS) *size = length;
  return status;
}

int32_t WriteRegValue(const char* keyPath, int32_t type, const char* name, const char* text, int32_t value) {
  if (keyPath == nullptr || !typeNeedsItsArgument(type, text, &value)) return 1;
  RegKey key;
  if (int32_t status = key.create(keyPath); status != 0) return status;
  return writeInto(key, type, name, text, value);
}

int32_t WriteRegBinary(const char* keyPath, const char* name, const void* data, uint32_t size) {
  if (keyPath == nullptr || (data == nullptr && size != 0)) return 1;
  RegKey key;
  if (int32_t status = key.create(keyPath); status != 0) return status;
  return RegSetValueExA(key.get(), name, 0, REG_BINARY, static_cast<const BYTE*>(data), size);
}

int32_t CreateRegKey(const char* keyPath) {
  if (keyPath == nullptr) return 1;
  RegKey key;
  return key.create(keyPath);
}

int32_t WriteExistingRegValue(const char* keyPath, int32_t type, const char* name, const char* text,
                              int32_t value) {
  if (keyPath == nullptr || !typeNeedsItsArgument(type, text, &value)) return 1;
  RegKey key;
  if (int32_t status = key.open(keyPath, KEY_ALL_ACCESS); status != 0) return status;
  return writeInto(key, type, name, text, value);
}

int32_t DeleteRegKey(const char* parentPath, const char* subkey) {
  // An empty name would name the parent itself.
  if (isEmpty(parentPath) || isEmpty(subkey)) return 0;
  RegKey parent;
  if (int32_t status = parent.open(parentPath, KEY_ALL_ACCESS); status != 0) return status;
  return RegDeleteKeyA(parent.get(), subkey);
}

int32_t DeleteRegValue(const char* keyPath, const char* name) {
  if (isEmpty(keyPath) || isEmpty(name)) return 0;
  RegKey key;
  if (int32_t status = key.open(keyPath, KEY_ALL_ACCESS); status != 0) return status;
  return RegDeleteValueA(key.get(), name);
}

}  // namespace tarnix
