// The two lists that SelectBoardNAME fills: device names and model names,
// comma-separated, in the caller's buffers. Each back end adds the devices
// of its family that can be opened now.
#pragma once
#include <cstddef>
#include <cstring>
#include <string_view>

#include "vekmath/device_lists.h"

namespace vekmath {

inline constexpr std::size_t kListBytes = VEKMATH_DEVICE_LIST_BYTES;

// Writes device/model pairs into the caller's two buffers. A pair goes in
// whole or not at all, and once one does not fit nothing more is added, so
// the two lists always stay of equal length and in step.
class DeviceLists {
 public:
  DeviceLists(char* names, char* models)
      : names_(names), models_(models), nameLength_(strnlen(names, kListBytes)),
        modelLength_(strnlen(models, kListBytes)) {
    // A buffer without its NUL inside the room is already full.
    full_ = nameLength_ == kListBytes || modelLength_ == kListBytes;
  }

  void add(std::string_view name, std::string_view model) {
    if (full_) return;
    const std::size_t separator = first_ ? 0 : 1;
    if (!fits(nameLength_, separator + name.size()) || !fits(modelLength_, separator + model.size())) {
      full_ = true;
      return;
    }
    append(names_, nameLength_, name);
    append(models_, modelLength_, model);
    first_ = false;
  }

 private:
  static bool fits(std::size_t length, std::size_t more) { return more <= kListBytes - 1 - length; }

  void append(char* buffer, std::size_t& length, std::string_view text) const {
    if (!first_) buffer[length++] = ',';
    std::memcpy(buffer + length, text.data(), text.size());
    length += text.size();
    buffer[length] = '\0';
  }

  char* names_;
  char* models_;
  std::size_t nameLength_;
  std::size_t modelLength_;
  bool first_ = true;
  bool full_ = false;
};

}  // namespace vekmath
