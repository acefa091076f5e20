// The driver's registry class key, under which the installer registers one
// subkey per device; the key depends on the system family.
#pragma once
#include <windows.h>

namespace halvik {

inline constexpr char kClassKeyNt[] =
    "SYSTEM\\CurrentControlSet\\Control\\Class\\{78A1C343-4539-11D3-B88D-00C04FAD5171}";
inline constexpr char kClassKeyOther[] = "SYSTEM\\CurrentControlSet\\Services\\Class\\Dornell";

// The key for the running system; with `trailingBackslash` the name ends in
// one, as the trace log's switch asks for it.
const char* DeviceClassKeyName(bool trailingBackslash);

// Opens it under HKLM for reading; nullptr when it cannot be opened.
HKEY OpenDeviceClassKey(bool trailingBackslash);

// Closes a key when it goes out of scope.
class RegKey {
 public:
  explicit RegKey(HKEY key = nullptr) : key_(key) {}
  ~RegKey() {
    if (key_ != nullptr) RegCloseKey(key_);
  }
  RegKey(const RegKey&) = delete;
  RegKey& operator=(const RegKey&) = delete;
  HKEY get() const { return key_; }
  explicit operator bool() const { return key_ != nullptr; }

 private:
  HKEY key_;
};

}  // namespace halvik
