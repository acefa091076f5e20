#include <platform/registry_key.h>

#include <winreg.h>

namespace plat {

RegistryKey::RegistryKey(RegistryKey&& other) noexcept : handle_(other.handle_) { other.handle_ = nullptr; }

RegistryKey& RegistryKey::operator=(RegistryKey&& other) noexcept {
  if (this != &other) {
    close();
    handle_ = other.handle_;
    other.handle_ = nullptr;
  }
  return *this;
}

bool RegistryKey::open(HKEY parent, const char* path, REGSAM access) {
  close();
  if (RegOpenKeyExA(parent, path, 0, access, &handle_) == ERROR_SUCCESS) return true;
  handle_ = nullptr;
  return false;
}

bool RegistryKey::create(HKEY parent, const char* path, DWORD* disposition) {
  close();
  if (RegCreateKeyExA(parent, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &handle_, disposition) ==
      ERROR_SUCCESS) {
    return true;
  }
  handle_ = nullptr;
  return false;
}

void RegistryKey::close() {
  if (handle_ != nullptr) RegCloseKey(handle_);
  handle_ = nullptr;
}

bool SetRegistryText(HKEY key, const char* name, const std::string& text) {
  return RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                        static_cast<DWORD>(text.size() + 1)) == ERROR_SUCCESS;
}

bool SetRegistryNumber(HKEY key, const char* name, DWORD value) {
  return RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value) ==
         ERROR_SUCCESS;
}

std::string GetRegistryText(HKEY key, const char* name) {
  DWORD type = 0;
  DWORD size = 0;
  if (RegQueryValueExA(key, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS || type != REG_SZ) return {};
  std::string text(size + 1, '\0');
  if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(text.data()), &size) != ERROR_SUCCESS) {
    return {};
  }
  text.resize(std::char_traits<char>::length(text.c_str()));
  return text;
}

std::optional<DWORD> GetRegistryNumber(HKEY key, const char* name) {
  DWORD type = 0;
  DWORD value = 0;
  DWORD size = sizeof value;
  if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) != ERROR_SUCCESS ||
      type != REG_DWORD) {
    return std::nullopt;
  }
  return value;
}

}  // namespace plat
