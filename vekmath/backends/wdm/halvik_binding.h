// The Halvik entry points the WDM back end calls, reached through one table
// so that a test can put a recording device in the library's place. The
// table in use starts as the library's linked exports.
#pragma once
#include <halvik.h>

namespace vekmath {

// Opening, closing, the device lists and the texts: Halvik's core.
#define VEKMATH_HALVIK_CORE_ENTRIES(X) \
  X(XanGetErrorString)                 \
  X(XanInit)                           \
  X(XanExit)                           \
  X(XanResetDevice)                    \
  X(XanQueryDeviceName)

// Its analog input.
#define VEKMATH_HALVIK_AI_ENTRIES(X) \
  X(XanSetAiChannels)                \
  X(XanSetAiChannelSequence)         \
  X(XanSetAiMemoryType)              \
  X(XanSetAiClockType)               \
  X(XanSetAiSamplingClock)           \
  X(XanSetAiScanClock)               \
  X(XanSetAiStartTrigger)            \
  X(XanSetAiStopTrigger)             \
  X(XanSetAiStopLevel)               \
  X(XanSetAiStopTimes)               \
  X(XanSetAiStopDelayTimes)          \
  X(XanSetAiEvent)                   \
  X(XanSetAiRepeatTimes)             \
  X(XanResetAiMemory)                \
  X(XanGetAiStatus)                  \
  X(XanStartAi)                      \
  X(XanStopAi)                       \
  X(XanGetAiSamplingCount)           \
  X(XanGetAiSamplingData)

#define VEKMATH_HALVIK_MEMBER(name) decltype(&::name) name = nullptr;

// A null entry is a function this Halvik does not have.
struct HalvikBinding {
  VEKMATH_HALVIK_CORE_ENTRIES(VEKMATH_HALVIK_MEMBER)
  VEKMATH_HALVIK_AI_ENTRIES(VEKMATH_HALVIK_MEMBER)
};

#undef VEKMATH_HALVIK_MEMBER

// The table in use. Replaced only while no acquisition runs.
HalvikBinding& halvik();

// Halvik's exports as this library was linked with them. The shared library
// defines it; a test program that links the objects brings its own.
HalvikBinding linkedHalvik();

}  // namespace vekmath
