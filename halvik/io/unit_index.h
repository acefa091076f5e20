// The table index of an Id that an export has found already.
#pragma once
#include <cstdint>

#include "device_record.h"

namespace halvik::io {

inline uint16_t RecordIndexOf(short id) {
  uint16_t index = 0;
  FindDeviceById(id, &index);
  return index;
}

}  // namespace halvik::io
