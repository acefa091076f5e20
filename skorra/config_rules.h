// Rules the configuration exports share.
#pragma once
#include <cstddef>
#include <cstdint>
#include <initializer_list>

#include <skorra.h>

namespace skorra {

bool isPowerOfTwoUpTo32768(uint32_t v);
bool inList(uint32_t v, const uint32_t* list, size_t count);
template <size_t N>
bool inList(uint32_t v, const uint32_t (&list)[N]) {
  return inList(v, list, N);
}
bool isModel(uint32_t model, std::initializer_list<uint32_t> models);

// The channel maximum for an input type (1 single-ended, 2 differential);
// 0 for another type or a board without such inputs.
uint32_t channelMaximum(const SkDeviceInfo& info, uint32_t inputType);

// Every entry's range code (bit 30 removed unless keepFlag) shares a bit
// with the board's range mask and is in `allowed`; channel numbers lie in
// 1..maximum and are unique.
bool checkChannelList(const SkChannelEntry* entries, uint32_t count, uint32_t maximum, const SkDeviceInfo& info,
                      const uint32_t* allowed, size_t allowedCount, bool keepFlag);

// Index of the list entry with this channel number, -1 when none.
int findChannel(const SkChannelEntry* entries, uint32_t count, uint32_t channel);

// Clock and output selections of the bus-master and memory records.
extern const uint32_t kClockOutputSelections[16];
// Range codes of the bus-master and memory records.
extern const uint32_t kBmRanges[16];

}  // namespace skorra
