// The simulated NI-DAQmx library: its configuration, its signals and the
// hooks a test reaches by name (GetProcAddress on the loaded module), so
// that linking it never makes it look installed.
//
// Configuration, read at the first call and again at NisimReset:
//   NISIM_DEVICES  "Dev1:SIM-6251,Dev2:SIM-6009" (name:product type); unset
//                  means the one device Dev1 of type SIM-6251. Each device
//                  has ai0 to ai31 and the lines port0/line0-7, port1/line0-3.
//   NISIM_SIGNAL   "ramp" (default) or "sine".
//   NISIM_TRIGGER  "immediate" (default): PFI0 fires as the task starts;
//                  "hook": only NisimFireTrigger fires it.
//   NISIM_CLOCK    "wall" (default): samples come at the task's rate;
//                  "free": every sample is there as soon as it is asked for.
#pragma once
#include <outside/daqmx_entries.h>

#include <cmath>
#include <cstdint>

namespace nisim {

inline constexpr int32_t kChannelsPerDevice = 32;

// Raw value of physical channel aiK at scan s, for each signal.
inline uint16_t rampValue(int32_t k, uint64_t s) { return static_cast<uint16_t>((s + 1000u * k) & 0xFFFF); }
inline uint16_t sineValue(int32_t k, uint64_t s) {
  const double v = 20000.0 * std::sin(6.283185307179586 * static_cast<double>(s % 64) / 64.0 + k / 4.0);
  return static_cast<uint16_t>(static_cast<int16_t>(std::lround(v)));
}

// Codes of the stand-in's own refusals.
inline constexpr int32_t kErrInvalidTask = -200088;
inline constexpr int32_t kErrBadDevice = -200220;
inline constexpr int32_t kErrBadChannel = -200170;
inline constexpr int32_t kErrBadArgument = -200077;
inline constexpr int32_t kErrNotRunning = -200983;
inline constexpr int32_t kErrBufferTooSmall = -200229;
inline constexpr int32_t kErrRunning = -200479;

// Hook prototypes and their export names.
using ResetProc = void (*)();                                   // "NisimReset"
using FireTriggerProc = void (*)();                             // "NisimFireTrigger"
using InjectErrorProc = void (*)(const char* function, int32_t code);  // "NisimInjectError", 0 clears
using CallLogProc = uint32_t (*)(char* out, uint32_t size);     // "NisimCallLog": one call a line
using ScriptProc = void (*)(int32_t k, const int16_t* values, uint32_t count);  // "NisimScript"
using StallProc = void (*)(int32_t on);                         // "NisimStall": no new samples
using LiveTasksProc = int32_t (*)();                            // "NisimLiveTasks"
using LinesProc = uint32_t (*)(const char* device);             // "NisimLines": bit 8p + l
using SetLinesProc = void (*)(const char* device, uint32_t lines);  // "NisimSetLines"
using SetModeProc = void (*)(const char* name, const char* value);  // "NisimSetMode": NISIM_* at run time

}  // namespace nisim
