// NI-DAQmx's entry points, bound by name at attach when it is installed.
#pragma once
#include <outside/daqmx_entries.h>

#include <atomic>
#include <cstddef>
#include <cstdint>

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

// Each entry's own prototype.
template <NiEntry E>
struct NiProc;
#define VEKMATH_NI_PROC(entry, proc) \
  template <>                        \
  struct NiProc<NiEntry::entry> {    \
    using type = daqmx::proc;        \
  };
VEKMATH_NI_PROC(CreateTask, CreateTaskProc)
VEKMATH_NI_PROC(GetExtendedErrorInfo, GetExtendedErrorInfoProc)
VEKMATH_NI_PROC(StopTask, StopTaskProc)
VEKMATH_NI_PROC(ClearTask, ClearTaskProc)
VEKMATH_NI_PROC(StartTask, StartTaskProc)
VEKMATH_NI_PROC(ReadBinaryU16, ReadBinaryU16Proc)
VEKMATH_NI_PROC(ReadAnalogF64, ReadAnalogF64Proc)
VEKMATH_NI_PROC(CreateAIVoltageChan, CreateAIVoltageChanProc)
VEKMATH_NI_PROC(ExportSignal, ExportSignalProc)
VEKMATH_NI_PROC(CfgSampClkTiming, CfgSampClkTimingProc)
VEKMATH_NI_PROC(GetSysDevNames, GetSysDevNamesProc)
VEKMATH_NI_PROC(GetDevProductType, GetDevProductTypeProc)
VEKMATH_NI_PROC(CreateDOChan, CreateDOChanProc)
VEKMATH_NI_PROC(WriteDigitalU32, WriteDigitalU32Proc)
VEKMATH_NI_PROC(ReadDigitalU32, ReadDigitalU32Proc)
VEKMATH_NI_PROC(CfgDigEdgeStartTrig, CfgDigEdgeStartTrigProc)
VEKMATH_NI_PROC(RegisterEveryNSamplesEvent, RegisterEveryNSamplesEventProc)
VEKMATH_NI_PROC(CreateDIChan, CreateDIChanProc)
#undef VEKMATH_NI_PROC

// The status of an entry this NI-DAQmx lacks, or of all while it is absent.
inline constexpr int32_t kNiEntryMissing = 30009;

// NI-DAQmx's failures are negative (positive results are warnings); a
// missing entry fails too.
inline bool niFailed(int32_t result) { return result < 0 || result == kNiEntryMissing; }

// One call through the bound entry; kNiEntryMissing when it is not there.
template <NiEntry E, typename... Args>
int32_t callNi(Args... args) {
  auto entry = reinterpret_cast<typename NiProc<E>::type>(niDaqmx().entry(E));
  return entry != nullptr ? static_cast<int32_t>(entry(args...)) : kNiEntryMissing;
}

}  // namespace vekmath
