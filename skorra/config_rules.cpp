#include "config_rules.h"

namespace skorra {

const uint32_t kClockOutputSelections[16] = {16,  32,  64,  128, 144, 160, 192, 256,
                                             272, 288, 320, 512, 528, 544, 576, 0x80000000u};
const uint32_t kBmRanges[16] = {1,       2,       4,       8,        16,       32,       4096,     8192,
                                0x10000, 0x20000, 0x40000, 0x80000, 0x100000, 0x200000, 0x800000, 0x80000000u};

bool isPowerOfTwoUpTo32768(uint32_t v) { return v >= 1 && v <= 32768 && (v & (v - 1)) == 0; }

bool inList(uint32_t v, const uint32_t* list, size_t count) {
  for (size_t i = 0; i < count; ++i)
    if (list[i] == v) return true;
  return false;
}

bool isModel(uint32_t model, std::initializer_list<uint32_t> models) {
  for (uint32_t m : models)
    if (m == model) return true;
  return false;
}

uint32_t channelMaximum(const SkDeviceInfo& info, uint32_t inputType) {
  if (inputType == 1) return info.dw[SK_INFO_MAX_SINGLE];
  if (inputType == 2) return info.dw[SK_INFO_MAX_DIFF];
  return 0;
}

bool checkChannelList(const SkChannelEntry* entries, uint32_t count, uint32_t maximum, const SkDeviceInfo& info,
                      const uint32_t* allowed, size_t allowedCount, bool keepFlag) {
  if (count > SK_MAX_CHANNELS) return false;
  for (uint32_t i = 0; i < count; ++i) {
    uint32_t range = keepFlag ? entries[i].range : (entries[i].range & ~SK_RANGE_FLAG);
    if ((range & info.dw[SK_INFO_RANGE_MASK]) == 0 || !inList(range, allowed, allowedCount)) return false;
    if (entries[i].channel < 1 || entries[i].channel > maximum) return false;
    for (uint32_t j = i + 1; j < count; ++j)
      if (entries[j].channel == entries[i].channel) return false;
  }
  return true;
}

int findChannel(const SkChannelEntry* entries, uint32_t count, uint32_t channel) {
  for (uint32_t i = 0; i < count && i < SK_MAX_CHANNELS; ++i)
    if (entries[i].channel == channel) return static_cast<int>(i);
  return -1;
}

}  // namespace skorra
