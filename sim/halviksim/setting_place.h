// Where a road keeps a setting a request takes: the code and record size
// it is stored under.
#pragma once
#include <windows.h>

#include <cstdint>

#include "device.h"

namespace halviksim {

struct Place {
  DWORD code;
  DWORD size;
};

inline int64_t settingAt(const Device& device, Place place, int64_t key = 0) {
  return device.setting(place.code, place.size, key)[0];
}

}  // namespace halviksim
