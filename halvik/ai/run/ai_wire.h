// The input family's sibling records that the run exports fill and read,
// and the kernel places that have no name of their own in the block.
#pragma once
#include <outside/halvikdrv.h>

#include <cstddef>
#include <cstdint>

namespace halvik::airun {

// Kernel: the fetch answer's list of factor words (int32 entries up to the
// list length) and its length and end flag.
inline constexpr std::size_t kFetchList = halvikdrv::ai::kEventList;
inline constexpr std::size_t kFetchListCount = halvikdrv::ai::kEventListLength;  // int32
inline constexpr std::size_t kFetchEnd = halvikdrv::ai::kEventEnd;              // int16
inline constexpr std::size_t kFetchFactor = halvikdrv::ai::kEventFactor;        // int32
inline constexpr int kFetchListMax = halvikdrv::ai::kEventListCapacity;
static_assert(kFetchList + kFetchListMax * 4 == kFetchListCount);

// The readout count (int32, in: scans asked, out: scans delivered).
inline constexpr std::size_t kDataCount = halvikdrv::ai::kChannels;

// Sibling records, status int32 at 0 in all.
// Start 0x3130: 8 bytes with the int16 table index at 4 (bus kind 10), 4 bytes (bus kind 3).
inline constexpr std::size_t kStartSizeVm = 8, kStartSizeBus = 4, kStartIndex = 4;
// Stop 0x3134: int32 message flag at 4. Status and counts 0x3135..0x3138: int32 at 4.
inline constexpr std::size_t kValueSize = 8, kValue = 4;
// Reset status 0x313A and memory 0x313B: the status alone.
inline constexpr std::size_t kStatusOnlySize = 4;
// Event masks 0x312E and 0x3142: int32 mask at 4, int16 get flag at 8.
inline constexpr std::size_t kMaskSize = 12, kMask = 4, kMaskGetFlag = 8;
// Channel count 0x3121 (get): int16 get flag at 4, int16 value at 6.
inline constexpr std::size_t kChannelsSize = 8, kChannelsGetFlag = 4, kChannelsValue = 6;
// Readout 0x3139, bus kind 10: int32 count at 4, 8-byte data address at 8.
inline constexpr std::size_t kReadSizeVm = 16, kReadCount = 4, kReadAddress = 8;
// Readout 0x3139, bus kind 3, in chunks: int32 chunk index at 4, int32
// value count at 8, two reserved int32, then up to 1024 uint16 values.
inline constexpr std::size_t kChunkSize = 2068, kChunkIndex = 4, kChunkCount = 8, kChunkValues = 20;
inline constexpr int kChunkMax = 1024;
static_assert(kChunkValues + kChunkMax * 2 == kChunkSize);
// Event wait 0x31C1: the status alone.
inline constexpr std::size_t kWaitSize = 4;
// Event fetch 0x31C2, as the wire contract lays it out: bus kind 10 carries
// the list of int32 factor words (1056 bytes), bus kind 3 none (28).
inline constexpr std::size_t kFetchSizeVm = 1056, kFetchSizeBus = 28;
inline constexpr std::size_t kBusMask = halvikdrv::rec::kAiFetchMask, kBusFactor = halvikdrv::rec::kAiFetchFactor,
                             kBusSampling = halvikdrv::rec::kAiFetchSamplingCount,
                             kBusRepeat = halvikdrv::rec::kAiFetchRepeatCount,
                             kBusListCount = halvikdrv::rec::kAiFetchListLength, kBusEnd = halvikdrv::rec::kAiFetchEnd,
                             kBusList = halvikdrv::rec::kAiFetchList;
static_assert(kBusList + kFetchListMax * 4 <= kFetchSizeVm);
// Range codes 0x313F: an int16 code per channel (268 bytes on bus kind 10,
// 76 on bus kind 3).
inline constexpr std::size_t kRangesSizeVm = 268, kRangesSizeBus = 76, kRangesAt = halvikdrv::rec::kAiRangesCodes;

}  // namespace halvik::airun
