// One open registry key under HKEY_LOCAL_MACHINE, closed when it goes, and
// the value reads and writes every routine of the registry area shares.
// A load opens each key once and reads all its values through it.
#pragma once
#include <windows.h>

#include <xan_board_config.h>

#include <cstdint>
#include <string>

namespace tarnix {

class RegKey {
 public:
  RegKey() = default;
  ~RegKey() { close(); }
  RegKey(RegKey&& other) noexcept : key_(other.key_) { other.key_ = nullptr; }
  RegKey& operator=(RegKey&& other) noexcept;
  RegKey(const RegKey&) = delete;
  RegKey& operator=(const RegKey&) = delete;

  // 0 or the system's error code; on failure the key stays closed.
  int32_t open(const char* path, REGSAM access);
  // Creates the key and every missing key above it (empty class, kept).
  int32_t create(const char* path);
  int32_t open(const std::string& path, REGSAM access) { return open(path.c_str(), access); }
  int32_t create(const std::string& path) { return create(path.c_str()); }

  bool isOpen() const { return key_ != nullptr; }
  HKEY get() const { return key_; }

  // A text of at most 255 characters into text (room for 256): 0, or 1 for
  // another stored type or a longer value (text left empty), or the
  // system's code. A closed key reads as missing.
  int32_t readText(const char* name, char* text) const;
  // A REG_DWORD: 0, 1 for another type or size (value left 0), or the code.
  int32_t readDword(const char* name, int32_t& value) const;
  int32_t writeText(const char* name, const char* text) const;
  int32_t writeDword(const char* name, int32_t value) const;

  // The subkey name at index into name (room for 256): 0, ERROR_NO_MORE_ITEMS
  // past the last one, or the system's code.
  int32_t subkeyName(DWORD index, char* name) const;

 private:
  void close();
  HKEY key_ = nullptr;
};

// "<parent>\<child>".
inline std::string JoinKey(const std::string& parent, const std::string& child) { return parent + "\\" + child; }
// "<stem><number>", as "BoardNumber3".
inline std::string NumberedKey(const char* stem, int32_t number) { return stem + std::to_string(number); }

}  // namespace tarnix
