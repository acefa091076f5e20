// NI-DAQmx's entry points, bound by name at attach when it is installed.
#pragma once
#include <atomic>
#include <cstddef>

#include <windef.h>

namespace vekmath {

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

}  // namespace vekmath
