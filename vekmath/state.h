// Process-wide state of the library: one instance, shared by the exports and
// the acquisition thread.
#pragma once
#include <atomic>
#include <cstddef>
#include <cstdint>

#include <windef.h>

namespace vekmath {

inline constexpr std::size_t kDeviceNameSize = 88;

struct SelectionState {
  int32_t boardType = 0;
  int32_t boardValue = 0;  // the older vendor A library's group number
  char deviceName[kDeviceNameSize] = {};
  int32_t niDeviceNumber = 0;
  // Read by the block reader, possibly while another thread selects.
  std::atomic<uint8_t> backEndFlag{0};
  int32_t zeroOffset = 0;  // raw count that stands for 0 V
  int32_t resolution = 0;  // bits
};

SelectionState& selection();

inline constexpr std::size_t kMaxChannels = 32;

// What SetupSampling and its side calls leave for the start, the thread and
// the readout.
struct SamplingConfig {
  int32_t channels = 0;
  int16_t channelList[kMaxChannels] = {};
  int32_t blockScans = 0;
  int32_t scanClockUs = 0;
  int32_t periodUs = 0;
  int32_t rate = 0;   // scans per second
  int32_t chunk = 0;  // scans asked for in one read
  int32_t eventOffset = 0;
  int32_t triggerChannel = 0;  // 1-based, 0 = no level trigger
  int16_t levelA = 0;
  int16_t levelB = 0;
  uint8_t triggerDirection = 0;
  int32_t samplingMode = 0;  // 0 continuous, 1 triggered block, 2 event
  int32_t dataFormat[kMaxChannels] = {};  // 1 = signed raw data
  int32_t setupValue = 0;                 // stored, read by nobody
  int32_t detectTriggers = 0;
  int32_t monitorSpan = 0;
  // The acquisition thread writes it when its back end fails.
  std::atomic<int32_t> lastStatus{0};
};

SamplingConfig& config();

// Every acquisition call ends by handing the last status to the caller; a
// caller may pass no variable.
inline int32_t reportLastStatus(int32_t* out) {
  int32_t status = config().lastStatus.load();
  if (out != nullptr) *out = status;
  return status;
}

// Seams to the parts of the library that record; each is filled by its
// owner and may stay empty (nothing is then done).
struct Hooks {
  // Detach: close the library's debug output file.
  std::atomic<void (*)()> closeDebugOutput{nullptr};
};

Hooks& hooks();

// NI-DAQmx, bound by name at attach when it is installed. Null module: absent.
enum class NiEntry {
  CreateTask,
  GetExtendedErrorInfo,
  StopTask,
  ClearTask,
  StartTask,
  ReadBinaryU16,
  ReadAnalogF64,
  CreateAIVoltageChan,
  ExportSignal,
  CfgSampClkTiming,
  GetSysDevNames,
  GetDevProductType,
  CreateDOChan,
  WriteDigitalU32,
  ReadDigitalU32,
  CfgDigEdgeStartTrig,
  RegisterEveryNSamplesEvent,
  CreateDIChan,
  Count,
};

inline constexpr const char* kNiEntryNames[] = {
    "DAQmxCreateTask",     "DAQmxGetExtendedErrorInfo",  "DAQmxStopTask",          "DAQmxClearTask",
    "DAQmxStartTask",      "DAQmxReadBinaryU16",         "DAQmxReadAnalogF64",     "DAQmxCreateAIVoltageChan",
    "DAQmxExportSignal",   "DAQmxCfgSampClkTiming",      "DAQmxGetSysDevNames",    "DAQmxGetDevProductType",
    "DAQmxCreateDOChan",   "DAQmxWriteDigitalU32",       "DAQmxReadDigitalU32",    "DAQmxCfgDigEdgeStartTrig",
    "DAQmxRegisterEveryNSamplesEvent", "DAQmxCreateDIChan",
};
static_assert(sizeof kNiEntryNames / sizeof kNiEntryNames[0] == static_cast<std::size_t>(NiEntry::Count));

inline constexpr const char* kNiLibraryName = "nicaiu.dll";

struct NiDaqmxBinding {
  std::atomic<HMODULE> module{nullptr};
  // Cast to the entry's own prototype by its caller; null when not found.
  std::atomic<FARPROC> entries[static_cast<std::size_t>(NiEntry::Count)] = {};
  FARPROC entry(NiEntry e) const { return entries[static_cast<std::size_t>(e)].load(); }
};

NiDaqmxBinding& niDaqmx();

// What the library does when a process loads and unloads it (attach.cpp).
// The detach waits at most detachJoinMs for the acquisition thread and
// skips the monitor redraw: at process exit the window may be gone.
void attachLibrary();
// The work of StopSampling and CloseBoard (acquisition.cpp) with a bounded
// join; false when the thread did not end in time, and then the device is
// left alone.
bool stopAcquisition(DWORD joinMs, bool redraw);
bool closeAcquisition(DWORD joinMs);
inline constexpr DWORD kDetachJoinMs = 5000;
void detachLibrary();

}  // namespace vekmath
