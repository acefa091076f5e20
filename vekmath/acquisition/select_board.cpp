// Board selection: remembers which device the later calls work on.
#include <cstring>

#include "acquisition/backend.h"
#include "acquisition/board_table.h"
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

}  // namespace
}  // namespace vekmath

DLL_EXPORT LONG WINAPI SelectBoard(LONG type, LONG value, const char* name) {
  using namespace vekmath;
  SelectionState& s = selection();
  storeDeviceName(s, name);
  s.boardType = type;
  s.boardValue = value;
  const BoardTypeInfo* row = boardInfo(type);
  BackEnd& backEnd = backEndFor(row != nullptr ? row->group : BoardGroup::None);
  s.row.store(row);
  s.backEnd.store(&backEnd);
  if (row != nullptr && row->setsBackEndFlag) {
    s.backEndFlag.store(1);
    backEnd.selected(s);
  }
  return type;
}
