// An open registry key that closes itself, and the text and number values
// the installers and readers of the system's libraries write and read.
#pragma once
#include <windows.h>

#include <optional>
#include <string>

namespace plat {

#pragma GCC visibility push(default)

class RegistryKey {
 public:
  RegistryKey() = default;
  ~RegistryKey() { close(); }
  RegistryKey(RegistryKey&& other) noexcept;
  RegistryKey& operator=(RegistryKey&& other) noexcept;
  RegistryKey(const RegistryKey&) = delete;
  RegistryKey& operator=(const RegistryKey&) = delete;

  // False, and the key closed, when the key below parent cannot be opened.
  bool open(HKEY parent, const char* path, REGSAM access);
  // Opens the key below parent with every right, making it (and the keys
  // above it) where missing; disposition, when given, says which it was.
  bool create(HKEY parent, const char* path, DWORD* disposition = nullptr);
  void close();

  bool isOpen() const { return handle_ != nullptr; }
  HKEY get() const { return handle_; }

 private:
  HKEY handle_ = nullptr;
};

// A REG_SZ with its terminator.
bool SetRegistryText(HKEY key, const char* name, const std::string& text);
bool SetRegistryNumber(HKEY key, const char* name, DWORD value);
// The REG_SZ up to its first NUL, of any length; empty when it is missing
// or of another type.
std::string GetRegistryText(HKEY key, const char* name);
// The REG_DWORD; none when it is missing, of another type or longer than a
// DWORD.
std::optional<DWORD> GetRegistryNumber(HKEY key, const char* name);

#pragma GCC visibility pop

}  // namespace plat
