// The simulated Halvik devices, as tests and programs steer them. One device
// model per registered device or unit module serves all three roads (the
// kernel driver behind "\\.\NAME", HalvikVm.dll and Kelbus.dll); a device is
// named here by its registered DeviceName (any case).
//
// The registry is read when the library is attached and again by Rescan();
// a rescan starts every device afresh (settings, faults and log cleared),
// while handles opened before keep the device they had.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#define HALVIKSIM_API __attribute__((visibility("default")))

namespace halviksim {

// Re-reads the driver's class key and registers every kernel-road device.
HALVIKSIM_API void Rescan();
HALVIKSIM_API bool DeviceKnown(const std::string& device);

// What a fault does to the calls of one kernel code or one sibling command.
struct Fault {
  enum class Kind {
    CallFails,  // DeviceIoControl returns FALSE; a sibling call returns `value`
    Status,     // the request is not carried out; `value` is left as its status
  };
  Kind kind = Kind::Status;
  int32_t value = 0;
  int times = 1;  // calls it applies to; kEveryCall for all of them, 0 removes it
};
inline constexpr int kEveryCall = -1;
// The code under which KelbusGetDeviceInfo takes its faults.
inline constexpr DWORD kGetDeviceInfoCall = 0xFFFF0004u;

HALVIKSIM_API bool SetFault(const std::string& device, DWORD code, const Fault& fault);
HALVIKSIM_API bool ClearFaults(const std::string& device);

// What the device reports.
HALVIKSIM_API bool SetRevision(const std::string& device, const std::string& revision);
HALVIKSIM_API bool SetFirmwareVersion(const std::string& device, WORD version);
HALVIKSIM_API bool SetCounterChannels(const std::string& device, int16_t channels);

// The status bits a family's status request gives (0: not running); a stop
// request clears them. Unit: the counter channel or timer number.
enum class Function { Ai, Ao, Counter, Timer };
HALVIKSIM_API bool SetStatusBits(const std::string& device, Function function, int unit, int32_t bits);

// Analog input samples the known signal of halvikdrv.h on the monotonic
// clock, or, once a test switches the device to its virtual clock, only as
// far as AdvanceTime moves it (from where the run stood). The interval
// timers, time counters and the timer-count device's count always run on
// the virtual clock: AdvanceTime moves it, and so does the driver's own wait.
enum class AiClock { RealTime, Virtual };
HALVIKSIM_API bool SetAiClock(const std::string& device, AiClock clock);
HALVIKSIM_API bool AdvanceTime(const std::string& device, int64_t microseconds);
// Scans stored and not yet read at most (2^20 at first); scans beyond it are
// dropped, counted, and set the overflow bit.
HALVIKSIM_API bool SetAiStorageCap(const std::string& device, int64_t scans);
HALVIKSIM_API int64_t AiDroppedScans(const std::string& device);
// Occurrences as the event fetch lists them, as if the run had raised them
// (whatever the event mask); `end` reports the run as over.
HALVIKSIM_API bool QueueAiEvents(const std::string& device, const std::vector<int32_t>& factors, bool end);

// Pulses on a counter channel's simulated input; a channel that is not
// counting ignores them.
HALVIKSIM_API bool PulseCounter(const std::string& device, int channel, int64_t pulses);
// What a timer-count device answers its description request with: the
// text (at most 100 UTF-16 units) and the value.
HALVIKSIM_API bool SetTimerCountDescription(const std::string& device, const std::u16string& text, int32_t value);
// The files open on a timer-count device; -1 for an unknown device.
HALVIKSIM_API int TimerCountOpenFiles(const std::string& device);
// ---- Multi-function counters -----------------------------------------------------
// The counter of a model that has one (HVA-1632PE: 8 channels) counts the
// pulses fed to a running channel, up, or down when its count direction is
// 1. A count that reaches a count-up value switched on for its row raises
// a count-up event (flag row + 1); passing 2^32 - 1 to 0 raises a carry
// (1), 0 to 2^32 - 1 a borrow (2), when carry/borrow is on.
HALVIKSIM_API bool CntmPulses(const std::string& device, int channel, int64_t pulses);
// A counter error of kind 1 to 3, when counter errors are on.
HALVIKSIM_API bool CntmCounterError(const std::string& device, int channel, int kind);
// Timer events, when the timer is on.
HALVIKSIM_API bool CntmTimerTicks(const std::string& device, int ticks);
// The next event read reports these counts of channels, rows and entries
// of every kind, whatever it holds (a faulty driver).
HALVIKSIM_API bool CntmForceEventCounts(const std::string& device, int16_t channels, int16_t rows, int16_t entries);
// Time-ups of a bus library unit, when switched on.
HALVIKSIM_API bool CntmTimeUps(const std::string& device, int count);

// Kernel codes and sibling commands the device has seen, oldest first
// (the most recent 4096).
HALVIKSIM_API std::vector<DWORD> RequestLog(const std::string& device);
HALVIKSIM_API bool ClearRequestLog(const std::string& device);

// ---- Analog output ----------------------------------------------------------------
// What the device put out, looped back: the immediate output's last count
// per channel, and the run's samples (sample-major, the first 2^21 values
// of the last run) with how many values it put out in all. `underrun`: the
// run ran out of data before its stop request (stop trigger 4).
struct AoReadBack {
  std::vector<int32_t> levels;
  std::vector<int32_t> output;
  int64_t outputTotal = 0;
  bool underrun = false;
};
HALVIKSIM_API AoReadBack ReadAoOutput(const std::string& device);
// Event words as the event fetch lists them, as if the run had raised them
// (whatever the event mask); `park` reports the run as over.
HALVIKSIM_API bool QueueAoEvents(const std::string& device, const std::vector<int32_t>& words, bool park);
// ---- End of analog output ---------------------------------------------------------

}  // namespace halviksim
