#include "pnp_text.h"

#include <windows.h>

#include <cstring>

namespace tarnix {

namespace {

class OpenKey {
 public:
  explicit OpenKey(const std::string& path) {
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &key_) != ERROR_SUCCESS) key_ = nullptr;
  }
  ~OpenKey() {
    if (key_ != nullptr) RegCloseKey(key_);
  }
  OpenKey(const OpenKey&) = delete;
  OpenKey& operator=(const OpenKey&) = delete;
  HKEY get() const { return key_; }

 private:
  HKEY key_ = nullptr;
};

}  // namespace

bool ReadPnpText(const std::string& keyPath, const char* valueName, std::string& text) {
  OpenKey key(keyPath);
  if (key.get() == nullptr) return false;
  char data[257] = {};
  DWORD type = 0, size = sizeof data - 1;
  if (RegQueryValueExA(key.get(), valueName, nullptr, &type, reinterpret_cast<BYTE*>(data), &size) !=
          ERROR_SUCCESS ||
      type != REG_SZ) {
    return false;
  }
  text.assign(data, strnlen(data, size));
  return true;
}

std::vector<std::string> PnpSubkeys(const std::string& keyPath, std::size_t longest) {
  std::vector<std::string> names;
  OpenKey key(keyPath);
  if (key.get() == nullptr) return names;
  for (DWORD i = 0;; ++i) {
    char name[256] = {};
    DWORD size = sizeof name;
    const LONG rc = RegEnumKeyExA(key.get(), i, name, &size, nullptr, nullptr, nullptr, nullptr);
    if (rc == ERROR_MORE_DATA) continue;
    if (rc != ERROR_SUCCESS) break;
    if (size < longest) names.emplace_back(name, size);
  }
  return names;
}

std::string CutDescription(const std::string& description) {
  const std::size_t blank = description.size() > 7 ? description.find(' ', 7) : std::string::npos;
  return blank == std::string::npos ? description : description.substr(0, blank);
}

}  // namespace tarnix
