// Board selection: remembers which device the later calls work on.
#include "acquisition/board_table.h"

#include <cstdlib>
#include <cstring>

#include "acquisition/selection.h"
#include "vekmath.h"

namespace vekmath {
namespace {

// Copies up to the terminator, at most one byte short of the buffer, and
// clears the rest so no earlier, longer name shows through.
void storeDeviceName(SelectionState& s, const char* name) {
  std::memset(s.deviceName, 0, kDeviceNameSize);
  if (name == nullptr) return;
  std::size_t length = strnlen(name, kDeviceNameSize - 1);
  std::memcpy(s.deviceName, name, length);
}

// "Dev1" gives 1: the number after the first three characters.
int32_t niDeviceNumberOf(const char* stored) {
  if (std::strlen(stored) < 3) return 0;
  // strtol rather than atol: an overlong number saturates instead of being
  // undefined, and the 32-bit state keeps its low half.
  return static_cast<int32_t>(std::strtol(stored + 3, nullptr, 10));
}

}  // namespace
}  // namespace vekmath

DLL_EXPORT LONG WINAPI SelectBoard(LONG type, LONG value, const char* name) {
  using namespace vekmath;
  SelectionState& s = selection();
  storeDeviceName(s, name);
  s.boardType = type;
  s.boardValue = value;
  const BoardTypeInfo* info = boardInfo(type);
  if (info != nullptr && info->setsBackEndFlag) {
    s.backEndFlag.store(1);
    if (info->group == BoardGroup::NiDaqmx) s.niDeviceNumber = niDeviceNumberOf(s.deviceName);
  }
  return type;
}
