// Driver function numbers, their control codes, and the mapping of system
// errors of a failed device-control call to library results.
#pragma once
#include <windows.h>

#include <cstdint>

namespace skorra {

enum Fn : uint32_t {
  kFnPciInfo = 0x900,
  kFnDeviceInfo = 0x901,
  kFnRawFirst = 0x902,  // 0x902..0x90D, in the order of the raw exports
  kFnOpen9x = 0xAC0,
  kFnClose9x = 0xAC1,
  kFnCause = 0xAC3,
  kFnSetConfig = 0xAC4,
  kFnGetConfig = 0xAC5,
  kFnReadData = 0xAC6,
  kFnClearData = 0xAC7,
  kFnStart = 0xAC8,
  kFnStop = 0xAC9,
  kFnStatus = 0xACA,
  kFnInputAD = 0xACB,
  kFnAdjustVR = 0xACC,
  kFnInputDI = 0xACD,
  kFnOutputDO = 0xACE,
  kFnSelfCheck = 0xACF,
  kFnInterruptWait = 0xAD0,
  kFnResource = 0xAD1,
  kFnTriggerSampling = 0xAD2,
  kFnMemTriggerSampling = 0xAD3,
  kFnSyncSampling = 0xAD4,
  kFnLvSetConfig = 0xAD5,
  kFnLvGetConfig = 0xAD6,
  kFnLvReadData = 0xAD7,
  kFnLvStart = 0xAD8,
  kFnLvStop = 0xAD9,
  kFnLvStatus = 0xADA,
  kFnTemperature = 0xADB,
  kFnBmSetConfig = 0xAE0,
  kFnBmGetConfig = 0xAE1,
  kFnBmReadData = 0xAE2,
  kFnBmSyncRead = 0xAE4,
  kFnLvCalibration = 0xAE5,
  kFnAllocateBuffer = 0xAE6,
  kFnReadBuffer = 0xAE7,
  kFnSetRangeEvent = 0xAE8,
  kFnGetRangeEventStatus = 0xAE9,
  kFnResetRangeEvent = 0xAEA,
  kFnSetInterval = 0xAEB,
  kFnGetInterval = 0xAEC,
  kFnSetFunction = 0xAED,
  kFnGetFunction = 0xAEE,
  kFnFifoReadData = 0xAEF,
  kFnOverRangeStatus = 0xAF1,
  kFnResetOverRange = 0xAF2,
  kFnReadAdjustVR = 0xAF3,
  kFnMemSetConfig = 0xAF4,
  kFnMemGetConfig = 0xAF5,
  kFnSetOutMode = 0xAF7,
  kFnGetOutMode = 0xAF8,
  kFnMemSetDiPattern = 0xAF9,
  kFnMemGetDiPattern = 0xAFA,
  kFnDirectRead = 0xAFB,
  kFnAdjustVRWrite = 0xAFC,
  kFnAdjustVRRead = 0xAFD,
  kFnSetBaseOsc = 0xAFE,
  kFnGetBaseOsc = 0xAFF,
  kFnSetFilter = 0xB00,
  kFnGetFilter = 0xB01,
  kFnSetExInt = 0xB02,
  kFnKillExInt = 0xB03,
  kFnFifoReset = 0xB04,
  kFnFifoStart = 0xB05,
  kFnFifoStatus = 0xB06,
  kFnSoftTrigger = 0xB07,
  kFnMoreInfo = 0xB08,
  kFnEventFlags = 0xB09,
  kFnVersion = 0xB0A,
  kFnEventCount = 0xB0B,
  kFnBmStartTransfer = 0xB0C,
  kFnAnalogTrgDac = 0xB0F,
  kFnBmStatus = 0xB10,
  kFnBusyStatus = 0xB11,
  kFnFifoStop = 0xB12,
  kFnDswValue = 0xB13,
  kFnAdcControl = 0xB14,
};

inline constexpr uint32_t kFnLowFirst = 0x900, kFnLowLast = 0x90F;
inline constexpr uint32_t kFnHighFirst = 0xAC0, kFnHighLast = 0xB14;
inline constexpr int kFunctionCount = 97;

// True for the 97 function numbers the driver knows.
bool isDriverFunction(uint32_t fn);
// The control code of a function on the platform family (nt: NT codes,
// otherwise the plain numbers; NT-only functions give 0 there). 0 for a
// number that is not a driver function.
uint32_t controlCode(uint32_t fn, bool nt);

// The library result for a failed device-control call.
uint32_t mapSystemError(DWORD error);

}  // namespace skorra
