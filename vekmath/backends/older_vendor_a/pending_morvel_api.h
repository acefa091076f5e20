// TEMPORARY: the part of the older library's public header that this back
// end needs, until include/morvel.h lands; the merge replaces this file by
// that header. Only declarations: the back end reaches the exports through
// its ordinal binding, never by linking them.
//
// Addresses in the records are 64 bits wide where they stand; the fields
// after them keep their natural alignment. Handle and window values travel
// in 32 bits.
#pragma once
#include <windef.h>

#include <cstddef>
#include <cstdint>

// XanInpBdMem's parameter record for the free-running modes (above 3).
struct XanInpBdMemParamsFreeRun {
  uint64_t channelList;  // address of channelCount u16 channel numbers
  uint16_t channelCount;
  int32_t samplesPerChannel;  // -1: no end
  uint16_t scanClock;         // 25 ns units less one, between channels
  int32_t samplingClock;      // 25 ns units less one, between scans
  uint16_t clockSource;
  uint16_t memoryRing;
  uint16_t triggerSource;
};
static_assert(offsetof(XanInpBdMemParamsFreeRun, channelList) == 0);
static_assert(offsetof(XanInpBdMemParamsFreeRun, channelCount) == 8);
static_assert(offsetof(XanInpBdMemParamsFreeRun, samplesPerChannel) == 12);
static_assert(offsetof(XanInpBdMemParamsFreeRun, scanClock) == 16);
static_assert(offsetof(XanInpBdMemParamsFreeRun, samplingClock) == 20);
static_assert(offsetof(XanInpBdMemParamsFreeRun, clockSource) == 24);
static_assert(offsetof(XanInpBdMemParamsFreeRun, memoryRing) == 26);
static_assert(offsetof(XanInpBdMemParamsFreeRun, triggerSource) == 28);
static_assert(sizeof(XanInpBdMemParamsFreeRun) == 32);

// XanInpBdMem's parameter record for the level-triggered modes 2 and 3.
struct XanInpBdMemParamsLevel {
  uint64_t channelList;
  uint16_t channelCount;
  int32_t samplesPerChannel;
  uint16_t triggerChannel;
  uint16_t firstLevel;
  uint16_t secondLevel;
  int32_t delayCount;
  uint16_t scanClock;
  int32_t samplingClock;
  uint16_t clockSource;
  uint16_t triggerDirection;
  uint16_t memoryRing;
  uint16_t triggerSource;
};
static_assert(offsetof(XanInpBdMemParamsLevel, channelList) == 0);
static_assert(offsetof(XanInpBdMemParamsLevel, channelCount) == 8);
static_assert(offsetof(XanInpBdMemParamsLevel, samplesPerChannel) == 12);
static_assert(offsetof(XanInpBdMemParamsLevel, triggerChannel) == 16);
static_assert(offsetof(XanInpBdMemParamsLevel, firstLevel) == 18);
static_assert(offsetof(XanInpBdMemParamsLevel, secondLevel) == 20);
static_assert(offsetof(XanInpBdMemParamsLevel, delayCount) == 24);
static_assert(offsetof(XanInpBdMemParamsLevel, scanClock) == 28);
static_assert(offsetof(XanInpBdMemParamsLevel, samplingClock) == 32);
static_assert(offsetof(XanInpBdMemParamsLevel, clockSource) == 36);
static_assert(offsetof(XanInpBdMemParamsLevel, triggerDirection) == 38);
static_assert(offsetof(XanInpBdMemParamsLevel, memoryRing) == 40);
static_assert(offsetof(XanInpBdMemParamsLevel, triggerSource) == 42);
static_assert(sizeof(XanInpBdMemParamsLevel) == 48);

// XanReadBuf's record: which scans of the board memory go where.
struct XanReadBufParams {
  int32_t firstPosition;
  int32_t scans;
  uint64_t array;  // address of scans x channels u16 values
};
static_assert(offsetof(XanReadBufParams, firstPosition) == 0);
static_assert(offsetof(XanReadBufParams, scans) == 4);
static_assert(offsetof(XanReadBufParams, array) == 8);
static_assert(sizeof(XanReadBufParams) == 16);

// Every export returns its 16-bit result sign-extended.
extern "C" {
LONG WINAPI XanOpen(uint32_t* handle, uint16_t deviceIndex, uint16_t group);
LONG WINAPI XanClose(uint32_t handle);
// params: a XanInpBdMemParamsFreeRun or XanInpBdMemParamsLevel by mode.
LONG WINAPI XanInpBdMem(uint32_t handle, uint16_t mode, void* params, uint32_t windowA, uint16_t messageA,
                        uint32_t windowB, uint16_t messageB);
LONG WINAPI XanReadBuf(uint32_t handle, XanReadBufParams* params);
// passCount may be null.
LONG WINAPI XanSts(uint32_t handle, uint16_t* state, uint32_t* count, uint16_t* passCount);
LONG WINAPI XanStop(uint32_t handle);
LONG WINAPI XanSetRange(uint32_t handle, uint8_t direction, uint8_t allOrOne, uint16_t channel, uint16_t rangeCode);
}
