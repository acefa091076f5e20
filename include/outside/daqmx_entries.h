// The NI-DAQmx entry points this system calls, as the library declares
// them, and the constants it passes. The processing library binds them by
// name; the stand-in under sim/ defines them with these very prototypes.
#pragma once
#include <cstdint>

#include <windef.h>

namespace daqmx {

using int32 = int32_t;
using uInt32 = uint32_t;
using uInt64 = uint64_t;
using int16 = int16_t;
using uInt16 = uint16_t;
using float64 = double;
using bool32 = uInt32;
using TaskHandle = void*;
static_assert(sizeof(TaskHandle) == sizeof(void*));

using EveryNSamplesEventCallbackPtr = int32(WINAPI*)(TaskHandle task, int32 eventType, uInt32 nSamples,
                                                     void* callbackData);

using CreateTaskProc = int32(WINAPI*)(const char* taskName, TaskHandle* task);
using GetExtendedErrorInfoProc = int32(WINAPI*)(char* errorString, uInt32 bufferSize);
using StopTaskProc = int32(WINAPI*)(TaskHandle task);
using ClearTaskProc = int32(WINAPI*)(TaskHandle task);
using StartTaskProc = int32(WINAPI*)(TaskHandle task);
using ReadBinaryU16Proc = int32(WINAPI*)(TaskHandle task, int32 numSampsPerChan, float64 timeout, bool32 fillMode,
                                         uInt16 readArray[], uInt32 arraySizeInSamps, int32* sampsPerChanRead,
                                         bool32* reserved);
using ReadAnalogF64Proc = int32(WINAPI*)(TaskHandle task, int32 numSampsPerChan, float64 timeout, bool32 fillMode,
                                         float64 readArray[], uInt32 arraySizeInSamps, int32* sampsPerChanRead,
                                         bool32* reserved);
using CreateAIVoltageChanProc = int32(WINAPI*)(TaskHandle task, const char* physicalChannel,
                                               const char* nameToAssignToChannel, int32 terminalConfig,
                                               float64 minVal, float64 maxVal, int32 units,
                                               const char* customScaleName);
using ExportSignalProc = int32(WINAPI*)(TaskHandle task, int32 signalID, const char* outputTerminal);
using CfgSampClkTimingProc = int32(WINAPI*)(TaskHandle task, const char* source, float64 rate, int32 activeEdge,
                                            int32 sampleMode, uInt64 sampsPerChan);
using GetSysDevNamesProc = int32(WINAPI*)(char* data, uInt32 bufferSize);
using GetDevProductTypeProc = int32(WINAPI*)(const char* device, char* data, uInt32 bufferSize);
using CreateDOChanProc = int32(WINAPI*)(TaskHandle task, const char* lines, const char* nameToAssignToLines,
                                        int32 lineGrouping);
using WriteDigitalU32Proc = int32(WINAPI*)(TaskHandle task, int32 numSampsPerChan, bool32 autoStart,
                                           float64 timeout, bool32 dataLayout, const uInt32 writeArray[],
                                           int32* sampsPerChanWritten, bool32* reserved);
using ReadDigitalU32Proc = int32(WINAPI*)(TaskHandle task, int32 numSampsPerChan, float64 timeout,
                                          bool32 fillMode, uInt32 readArray[], uInt32 arraySizeInSamps,
                                          int32* sampsPerChanRead, bool32* reserved);
using CfgDigEdgeStartTrigProc = int32(WINAPI*)(TaskHandle task, const char* triggerSource, int32 triggerEdge);
using RegisterEveryNSamplesEventProc = int32(WINAPI*)(TaskHandle task, int32 everyNsamplesEventType,
                                                      uInt32 nSamples, uInt32 options,
                                                      EveryNSamplesEventCallbackPtr callbackFunction,
                                                      void* callbackData);
using CreateDIChanProc = int32(WINAPI*)(TaskHandle task, const char* lines, const char* nameToAssignToLines,
                                        int32 lineGrouping);

inline constexpr int32 kValVolts = 10348;
inline constexpr int32 kValSampleClock = 12487;
inline constexpr int32 kValRising = 10280;
inline constexpr int32 kValFiniteSamps = 10178;
inline constexpr int32 kValContSamps = 10123;
inline constexpr int32 kValAcquiredIntoBuffer = 1;
inline constexpr bool32 kValGroupByChannel = 0;
inline constexpr bool32 kValGroupByScanNumber = 1;
inline constexpr int32 kValChanForAllLines = 1;
inline constexpr int32 kErrorTextBytes = 2048;
// A read whose time-out passed before all samples came; those that did
// came with it.
inline constexpr int32 kErrorSamplesNotYetAvailable = -200284;

}  // namespace daqmx
