#include "registry_key.h"

#include <xan_board_config.h>

#include <cstring>

namespace tarnix {

RegKey& RegKey::operator=(RegKey&& other) noexcept {
  if (this != &other) {
    close();
    key_ = other.key_;
    other.key_ = nullptr;
  }
  return *this;
}

void RegKey::close() {
  if (key_ != nullptr) RegCloseKey(key_);
  key_ = nullptr;
}

int32_t RegKey::open(const char* path, REGSAM access) {
  close();
  return RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, access, &key_);
}

int32_t RegKey::create(const char* path) {
  close();
  char noClass[1] = {'\0'};
  return RegCreateKeyExA(HKEY_LOCAL_MACHINE, path, 0, noClass, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr,
                         &key_, nullptr);
}

int32_t RegKey::readText(const char* name, char* text) const {
  text[0] = '\0';
  if (key_ == nullptr) return ERROR_FILE_NOT_FOUND;
  char buffer[xanconfig::kLongestValueBytes];
  DWORD type = 0;
  DWORD size = sizeof buffer;
  const LONG status = RegQueryValueExA(key_, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size);
  if (status == ERROR_MORE_DATA) return 1;
  if (status != ERROR_SUCCESS) return status;
  if (type != xanconfig::kRegSz) return 1;
  // A stored text need not carry its NUL; one of 256 bytes without it
  // keeps its first 255.
  const std::size_t length = strnlen(buffer, size < sizeof buffer ? size : sizeof buffer - 1);
  std::memcpy(text, buffer, length);
  text[length] = '\0';
  return 0;
}

int32_t RegKey::readDword(const char* name, int32_t& value) const {
  value = 0;
  if (key_ == nullptr) return ERROR_FILE_NOT_FOUND;
  BYTE buffer[xanconfig::kLongestValueBytes];
  DWORD type = 0;
  DWORD size = sizeof buffer;
  const LONG status = RegQueryValueExA(key_, name, nullptr, &type, buffer, &size);
  if (status == ERROR_MORE_DATA) return 1;
  if (status != ERROR_SUCCESS) return status;
  if (type != xanconfig::kRegDword || size != sizeof value) return 1;
  std::memcpy(&value, buffer, sizeof value);
  return 0;
}

int32_t RegKey::writeText(const char* name, const char* text) const {
  return RegSetValueExA(key_, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                        static_cast<DWORD>(std::strlen(text) + 1));
}

int32_t RegKey::writeDword(const char* name, int32_t value) const {
  return RegSetValueExA(key_, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
}

int32_t RegKey::subkeyName(DWORD index, char* name) const {
  DWORD length = xanconfig::kLongestValueBytes;
  return RegEnumKeyExA(key_, index, name, &length, nullptr, nullptr, nullptr, nullptr);
}

}  // namespace tarnix
