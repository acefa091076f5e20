#include "support.h"

#include "library.h"

namespace morvel {

namespace {

constexpr int kFamilies = static_cast<int>(Support::None);

struct Row {
  int indices[4];  // ended by the first -1 (or the fourth entry)
  const char* flags;  // one '1' or '0' per family, in the order of Support
};

// Device indices not listed have no family at all.
const Row kRows[] = {
    {{0, 20, -1, -1}, "111110010111111"},
    {{8, -1, -1, -1}, "111111111111111"},
    {{30, -1, -1, -1}, "111100010111011"},
    {{1, 2, 9, -1}, "000000011110000"},
    {{3, 6, 7, -1}, "110000000110001"},
    {{4, -1, -1, -1}, "000001011110000"},
    {{5, -1, -1, -1}, "110010000110001"},
    {{10, 11, 16, 50}, "110000000000001"},
    {{12, 19, 55, -1}, "000000011000000"},
    {{13, 18, 26, -1}, "000001011000000"},
    {{14, 15, -1, -1}, "110010000000001"},
    {{17, -1, -1, -1}, "110000010110001"},
    {{21, -1, -1, -1}, "110001000110000"},
};

constexpr int16_t kResults[kFamilies] = {801, 801, 801, 786, 807, 810, 0, 802, 802, 808, 809, 826, 825, -1, -1};

}  // namespace

bool supported(unsigned deviceIndex, Support family) {
  if (family == Support::None) return true;
  for (const Row& row : kRows) {
    for (int index : row.indices) {
      if (index < 0) break;
      if (static_cast<unsigned>(index) == deviceIndex) return row.flags[static_cast<int>(family)] == '1';
    }
  }
  return false;
}

int16_t unsupportedResult(Support family) {
  return family == Support::None ? 0 : kResults[static_cast<int>(family)];
}

int16_t checkSupport(uint32_t handle, Support family, bool& unsupported) {
  unsupported = false;
  if (family == Support::None || handle == kFreeHandle) return 0;
  for (int n = 0; n < kSlots; ++n) {
    if (slotAt(n).handle.load() == handle && !supported(deviceIndexOf(n), family)) {
      unsupported = true;
      return unsupportedResult(family);
    }
  }
  return 0;
}

}  // namespace morvel
