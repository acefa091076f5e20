// Exports of Halvik, vendor A's analog I/O library.
#pragma once
#include <windef.h>

// Copies the text of a status code into ErrorString (at least 256 bytes; a
// longer text is cut), in the user's language. An unknown code gives the
// text of 34463; a known code without a text in that language gives an
// empty string. 10180 when ErrorString is NULL; nothing is written then.
DLL_EXPORT LONG WINAPI XanGetErrorString(LONG ErrorCode, char* ErrorString);

// ---- Opening and closing (DeviceName: a registered name, any case) ----------
DLL_EXPORT LONG WINAPI XanInit(const char* DeviceName, short* Id);
DLL_EXPORT LONG WINAPI XanExit(short Id);
DLL_EXPORT LONG WINAPI XanResetDevice(short Id);
DLL_EXPORT LONG WINAPI XanResetProcess(short Id);

// ---- Registered devices, without opening them ---------------------------------
// DeviceName and Device receive at least 256 bytes.
DLL_EXPORT LONG WINAPI XanQueryDeviceName(short Index, char* DeviceName, char* Device);
DLL_EXPORT LONG WINAPI XanQueryDeviceNameEx(short Index, char* DeviceName, char* Device, short* BoardId);
DLL_EXPORT LONG WINAPI XanGetDeviceType(const char* Device, short* DeviceType);
// The outputs hold int16, int32 or truncated values by InfoType.
DLL_EXPORT LONG WINAPI XanGetDeviceInfo(const char* Device, short InfoType, void* Param1, void* Param2,
                                        void* Param3);
DLL_EXPORT LONG WINAPI XanGetDeviceDesc(short Id, char* DeviceDesc);
DLL_EXPORT LONG WINAPI XanGetBoardId(short Id, short* BoardId);

// ---- Device-wide settings ----------------------------------------------------------
DLL_EXPORT LONG WINAPI XanSetControlFilter(short Id, short Signal, float Value);
DLL_EXPORT LONG WINAPI XanGetControlFilter(short Id, short Signal, float* Value);
DLL_EXPORT LONG WINAPI XanSetEcuSignal(short Id, short Destination, short Source);
DLL_EXPORT LONG WINAPI XanGetEcuSignal(short Id, short Destination, short* Source);
// Revision receives at most 12 bytes.
DLL_EXPORT LONG WINAPI XanGetDeviceRevision(short Id, char* Revision);
DLL_EXPORT LONG WINAPI XanGetAiMinSamplingClock(short Id, float* AiSamplingClock);
DLL_EXPORT LONG WINAPI XanGetAoMinSamplingClock(short Id, float* AoSamplingClock);
DLL_EXPORT LONG WINAPI XanSetAoRepeatMode(short Id, short AoRepeatMode);
DLL_EXPORT LONG WINAPI XanSetAiUsbSleepMode(short Id, short AiSleepMode);
DLL_EXPORT LONG WINAPI XanGetAiUsbSleepMode(short Id, short* AiSleepMode);
DLL_EXPORT LONG WINAPI XanSetAiUsbSleepTime(short Id, LONG AiSleepTime);
DLL_EXPORT LONG WINAPI XanGetAiUsbSleepTime(short Id, LONG* AiSleepTime);
DLL_EXPORT LONG WINAPI XanSetAoUsbSleepMode(short Id, short AoSleepMode);
DLL_EXPORT LONG WINAPI XanGetAoUsbSleepMode(short Id, short* AoSleepMode);
DLL_EXPORT LONG WINAPI XanSetAoUsbSleepTime(short Id, LONG AoSleepTime);
DLL_EXPORT LONG WINAPI XanGetAoUsbSleepTime(short Id, LONG* AoSleepTime);
DLL_EXPORT LONG WINAPI XanSetAiDeviceBufferMode(short Id, short AiBufferMode);

// ---- Range codes ------------------------------------------------------------------
DLL_EXPORT LONG WINAPI XanGetRangeValue(short RangeData, float* Max, float* Min);
DLL_EXPORT LONG WINAPI XanGetRangeData(float Max, float Min, short* RangeData);

// ---- A stored configuration ----------------------------------------------------------
// Applies the settings of an XML configuration file to an open device; the
// first setter that fails ends it with its status. 10064 no readable file,
// 10065 not one of the library's files, 10069 a file for another model.
DLL_EXPORT LONG WINAPI XanLoadConfig(short Id, const char* FileName);
// Writes nothing.
DLL_EXPORT LONG WINAPI XanSaveConfig(short Id, const char* FileName);

// ---- Output, counter, digital and timer settings the configuration loader uses ----
DLL_EXPORT LONG WINAPI XanStopTmCount(short Id, short TimerId);
DLL_EXPORT LONG WINAPI XanGetCntMaxChannels(short Id, short* CntMaxChannels);
DLL_EXPORT LONG WINAPI XanSetAoRangeAll(short Id, short AoRange);
DLL_EXPORT LONG WINAPI XanSetAoRange(short Id, short AoChannel, short AoRange);
DLL_EXPORT LONG WINAPI XanSetAoTransferMode(short Id, short AoTransferMode);
DLL_EXPORT LONG WINAPI XanSetAoChannels(short Id, short AoChannels);
DLL_EXPORT LONG WINAPI XanSetAoMemoryType(short Id, short AoMemoryType);
DLL_EXPORT LONG WINAPI XanSetAoRepeatTimes(short Id, LONG AoRepeatTimes);
DLL_EXPORT LONG WINAPI XanSetAoClockType(short Id, short AoClockType);
DLL_EXPORT LONG WINAPI XanSetAoSamplingClock(short Id, float AoSamplingClock);
DLL_EXPORT LONG WINAPI XanSetAoClockEdge(short Id, short AoClockEdge);
DLL_EXPORT LONG WINAPI XanSetAoStartTrigger(short Id, short AoStartTrigger);
DLL_EXPORT LONG WINAPI XanSetAoStopTrigger(short Id, short AoStopTrigger);
DLL_EXPORT LONG WINAPI XanSetAoEventSamplingTimes(short Id, LONG AoSamplingTimes);
DLL_EXPORT LONG WINAPI XanSetAoEventTransferTimes(short Id, LONG AoTransferTimes);
DLL_EXPORT LONG WINAPI XanSetDiFilter(short Id, short Bit, float Value);
DLL_EXPORT LONG WINAPI XanSetCntFilter(short Id, short CntChannel, short Signal, float Value);
DLL_EXPORT LONG WINAPI XanSetCntComparisonMode(short Id, short CntChannel, short CntMode);
DLL_EXPORT LONG WINAPI XanSetCntInputSignal(short Id, short CntChannel, short CntInputSignal);
// PresetData: PresetNumber int32 values.
DLL_EXPORT LONG WINAPI XanSetCntPresetReg(short Id, short CntChannel, LONG PresetNumber, const LONG* PresetData,
                                          short Flag);

// ---- Analog input: what the processing library calls ------------------------------
DLL_EXPORT LONG WINAPI XanSetAiChannels(short Id, short AiChannels);
DLL_EXPORT LONG WINAPI XanSetAiChannelSequence(short Id, short AiSequence, short AiChannel);
DLL_EXPORT LONG WINAPI XanSetAiMemoryType(short Id, short AiMemoryType);
DLL_EXPORT LONG WINAPI XanSetAiClockType(short Id, short AiClockType);
DLL_EXPORT LONG WINAPI XanSetAiSamplingClock(short Id, float AiSamplingClock);
DLL_EXPORT LONG WINAPI XanSetAiScanClock(short Id, float AiScanClock);
DLL_EXPORT LONG WINAPI XanSetAiStartTrigger(short Id, short AiStartTrigger);
DLL_EXPORT LONG WINAPI XanSetAiStopTrigger(short Id, short AiStopTrigger);
DLL_EXPORT LONG WINAPI XanSetAiStopLevel(short Id, short AiChannel, LONG AiStopLevel, short AiDirection);
DLL_EXPORT LONG WINAPI XanSetAiStopTimes(short Id, LONG AiStopTimes);
DLL_EXPORT LONG WINAPI XanSetAiStopDelayTimes(short Id, LONG AiStopDelayTimes);
DLL_EXPORT LONG WINAPI XanSetAiRepeatTimes(short Id, LONG AiRepeatTimes);
// hWnd 0: no window.
DLL_EXPORT LONG WINAPI XanSetAiEvent(short Id, HWND hWnd, LONG AiEvent);
DLL_EXPORT LONG WINAPI XanResetAiMemory(short Id);
DLL_EXPORT LONG WINAPI XanGetAiStatus(short Id, LONG* AiStatus);
DLL_EXPORT LONG WINAPI XanStartAi(short Id);
DLL_EXPORT LONG WINAPI XanStopAi(short Id);
DLL_EXPORT LONG WINAPI XanGetAiSamplingCount(short Id, LONG* AiSamplingCount);
// AiSamplingTimes: in, the most scans AiData holds; out, the scans delivered.
DLL_EXPORT LONG WINAPI XanGetAiSamplingData(short Id, LONG* AiSamplingTimes, LONG* AiData);

// ---- Analog input: configuration -------------------------------------------------------
DLL_EXPORT LONG WINAPI XanSetAiInputMethod(short Id, short AiInputMethod);
DLL_EXPORT LONG WINAPI XanGetAiInputMethod(short Id, short* AiInputMethod);
DLL_EXPORT LONG WINAPI XanGetAiResolution(short Id, short* AiResolution);
DLL_EXPORT LONG WINAPI XanGetAiMaxChannels(short Id, short* AiMaxChannels);
DLL_EXPORT LONG WINAPI XanGetAiChannels(short Id, short* AiChannels);
DLL_EXPORT LONG WINAPI XanSetAiChannel(short Id, short AiChannel, short Enabled);
DLL_EXPORT LONG WINAPI XanGetAiChannel(short Id, short AiChannel, short* Enabled);
DLL_EXPORT LONG WINAPI XanGetAiChannelSequence(short Id, short AiSequence, short* AiChannel);
DLL_EXPORT LONG WINAPI XanSetAiRange(short Id, short AiChannel, short AiRange);
DLL_EXPORT LONG WINAPI XanGetAiRange(short Id, short AiChannel, short* AiRange);
DLL_EXPORT LONG WINAPI XanSetAiRangeAll(short Id, short AiRange);
DLL_EXPORT LONG WINAPI XanGetAiMemoryType(short Id, short* AiMemoryType);
DLL_EXPORT LONG WINAPI XanGetAiClockType(short Id, short* AiClockType);
DLL_EXPORT LONG WINAPI XanGetAiSamplingClock(short Id, float* AiSamplingClock);
DLL_EXPORT LONG WINAPI XanGetAiScanClock(short Id, float* AiScanClock);
DLL_EXPORT LONG WINAPI XanSetAiClockEdge(short Id, short AiClockEdge);
DLL_EXPORT LONG WINAPI XanGetAiClockEdge(short Id, short* AiClockEdge);
DLL_EXPORT LONG WINAPI XanGetAiStartTrigger(short Id, short* AiStartTrigger);
DLL_EXPORT LONG WINAPI XanSetAiStartLevel(short Id, short AiChannel, LONG AiStartLevel, short AiDirection);
DLL_EXPORT LONG WINAPI XanGetAiStartLevel(short Id, short AiChannel, LONG* AiStartLevel, short* AiDirection);
DLL_EXPORT LONG WINAPI XanSetAiStartLevelEx(short Id, short AiChannel, float AiStartLevel, short AiDirection);
DLL_EXPORT LONG WINAPI XanGetAiStartLevelEx(short Id, short AiChannel, float* AiStartLevel, short* AiDirection);
DLL_EXPORT LONG WINAPI XanSetAiStartInRange(short Id, short AiChannel, LONG Level1, LONG Level2, LONG StateTimes);
DLL_EXPORT LONG WINAPI XanGetAiStartInRange(short Id, short AiChannel, LONG* Level1, LONG* Level2,
                                            LONG* StateTimes);
DLL_EXPORT LONG WINAPI XanSetAiStartInRangeEx(short Id, short AiChannel, float Level1, float Level2,
                                              LONG StateTimes);
DLL_EXPORT LONG WINAPI XanGetAiStartInRangeEx(short Id, short AiChannel, float* Level1, float* Level2,
                                              LONG* StateTimes);
DLL_EXPORT LONG WINAPI XanSetAiStartOutRange(short Id, short AiChannel, LONG Level1, LONG Level2, LONG StateTimes);
DLL_EXPORT LONG WINAPI XanGetAiStartOutRange(short Id, short AiChannel, LONG* Level1, LONG* Level2,
                                             LONG* StateTimes);
DLL_EXPORT LONG WINAPI XanSetAiStartOutRangeEx(short Id, short AiChannel, float Level1, float Level2,
                                               LONG StateTimes);
DLL_EXPORT LONG WINAPI XanGetAiStartOutRangeEx(short Id, short AiChannel, float* Level1, float* Level2,
                                               LONG* StateTimes);
DLL_EXPORT LONG WINAPI XanGetAiStopTrigger(short Id, short* AiStopTrigger);
DLL_EXPORT LONG WINAPI XanGetAiStopTimes(short Id, LONG* AiStopTimes);
DLL_EXPORT LONG WINAPI XanGetAiStopLevel(short Id, short AiChannel, LONG* AiStopLevel, short* AiDirection);
DLL_EXPORT LONG WINAPI XanSetAiStopLevelEx(short Id, short AiChannel, float AiStopLevel, short AiDirection);
DLL_EXPORT LONG WINAPI XanGetAiStopLevelEx(short Id, short AiChannel, float* AiStopLevel, short* AiDirection);
DLL_EXPORT LONG WINAPI XanSetAiStopInRange(short Id, short AiChannel, LONG Level1, LONG Level2, LONG StateTimes);
DLL_EXPORT LONG WINAPI XanGetAiStopInRange(short Id, short AiChannel, LONG* Level1, LONG* Level2,
                                           LONG* StateTimes);
DLL_EXPORT LONG WINAPI XanSetAiStopInRangeEx(short Id, short AiChannel, float Level1, float Level2,
                                             LONG StateTimes);
DLL_EXPORT LONG WINAPI XanGetAiStopInRangeEx(short Id, short AiChannel, float* Level1, float* Level2,
                                             LONG* StateTimes);
DLL_EXPORT LONG WINAPI XanSetAiStopOutRange(short Id, short AiChannel, LONG Level1, LONG Level2, LONG StateTimes);
DLL_EXPORT LONG WINAPI XanGetAiStopOutRange(short Id, short AiChannel, LONG* Level1, LONG* Level2,
                                            LONG* StateTimes);
DLL_EXPORT LONG WINAPI XanSetAiStopOutRangeEx(short Id, short AiChannel, float Level1, float Level2,
                                              LONG StateTimes);
DLL_EXPORT LONG WINAPI XanGetAiStopOutRangeEx(short Id, short AiChannel, float* Level1, float* Level2,
                                              LONG* StateTimes);
DLL_EXPORT LONG WINAPI XanGetAiStopDelayTimes(short Id, LONG* AiStopDelayTimes);
DLL_EXPORT LONG WINAPI XanGetAiRepeatTimes(short Id, LONG* AiRepeatTimes);
DLL_EXPORT LONG WINAPI XanSetAiEventSamplingTimes(short Id, LONG AiSamplingTimes);
DLL_EXPORT LONG WINAPI XanGetAiEventSamplingTimes(short Id, LONG* AiSamplingTimes);
DLL_EXPORT LONG WINAPI XanSetAiEventTransferTimes(short Id, LONG AiTransferTimes);
DLL_EXPORT LONG WINAPI XanGetAiEventTransferTimes(short Id, LONG* AiTransferTimes);
DLL_EXPORT LONG WINAPI XanSetAiAttachedData(short Id, LONG AttachedData);
DLL_EXPORT LONG WINAPI XanGetAiSamplingDataSize(short Id, short* DataSize);
// 0: samples in the device's memory; 1: bus-master transfer (kernel driver only).
DLL_EXPORT LONG WINAPI XanSetAiTransferMode(short Id, short AiTransferMode);
DLL_EXPORT LONG WINAPI XanGetAiTransferMode(short Id, short* AiTransferMode);
DLL_EXPORT LONG WINAPI XanGetAiDeviceBufferMode(short Id, short* AiBufferMode);
DLL_EXPORT LONG WINAPI XanSetAiAdjustment(short Id, short AiChannel, short Range, short Type, short Data);
DLL_EXPORT LONG WINAPI XanGetAiAdjustment(short Id, short AiChannel, short Range, short Type, short* Data);
DLL_EXPORT LONG WINAPI XanSetAiDefaultAdjustment(short Id, short AiChannel, short Range, short Offset, short Gain);
DLL_EXPORT LONG WINAPI XanGetAiDefaultAdjustment(short Id, short AiChannel, short Range, short Type, short* Data);

// ---- Analog input: runs, events and immediate input ---------------------------------
// AiMemorySize in bytes, at least 8; kept as a multiple of 8.
DLL_EXPORT LONG WINAPI XanSetAiMemorySize(short Id, LONG AiMemorySize);
// Events by callback: (Id, message, 0, count, the registered Param).
typedef void(WINAPI* XanAiCallBack)(short Id, short Message, short wParam, LONG lParam, void* Param);
DLL_EXPORT LONG WINAPI XanSetAiCallBackProc(short Id, XanAiCallBack CallBack, LONG AiEvent, void* Param);
// TimeOut in milliseconds; 0 waits for the run's end without limit.
DLL_EXPORT LONG WINAPI XanStartAiSync(short Id, LONG TimeOut);
DLL_EXPORT LONG WINAPI XanGetAiRepeatCount(short Id, LONG* AiRepeatCount);
DLL_EXPORT LONG WINAPI XanGetAiStopTriggerCount(short Id, LONG* AiStopTriggerCount);
DLL_EXPORT LONG WINAPI XanResetAiStatus(short Id);
// AiSamplingTimes: in scans, as XanGetAiSamplingData.
DLL_EXPORT LONG WINAPI XanGetAiSamplingDataEx(short Id, LONG* AiSamplingTimes, float* AiData);
DLL_EXPORT LONG WINAPI XanSingleAi(short Id, short AiChannel, LONG* AiData);
DLL_EXPORT LONG WINAPI XanSingleAiEx(short Id, short AiChannel, float* AiData);
// AiChannels: 1 to 256 on the kernel driver, at most 128 on bus kind 10 and 32 on bus kind 3.
DLL_EXPORT LONG WINAPI XanMultiAi(short Id, short AiChannels, LONG* AiData);
DLL_EXPORT LONG WINAPI XanMultiAiEx(short Id, short AiChannels, float* AiData);

// ---- Analog input: host ring and bus-master buffer ------------------------------------
DLL_EXPORT LONG WINAPI XanGetAiMemorySize(short Id, LONG* AiMemorySize);
// Buffer: DataNumber (1 to 0x1000000) 32-bit words that the driver fills by
// bus-master transfer; it stays the driver's until the transfer mode or the
// buffer is changed or the device is closed.
DLL_EXPORT LONG WINAPI XanSetAiTransferData(short Id, LONG DataNumber, LONG* Buffer);

// ---- Multi-function counters, digital and port I/O ------------------------------------
// Multi-function counters are on the kernel driver's boards only (20001 on
// the sibling libraries) and make no ownership check; a device that is not
// open gives 10001. Channels 0 to 7; a group is at most 8 channels.
// 20003 when the registered devices run out before this one is found.
DLL_EXPORT LONG WINAPI XanGetCntmMaxChannels(short Id, short* CntmMaxChannels);
// The outputs as the driver writes them for InfoType; 10050 when no open
// device of that model answers. Each device tried is closed again.
DLL_EXPORT LONG WINAPI XanGetCntmDeviceInfo(const char* Device, short InfoType, void* Param1, void* Param2,
                                            void* Param3);
DLL_EXPORT LONG WINAPI XanSetCntmZMode(short Id, short CntmChNo, short CntMode);
DLL_EXPORT LONG WINAPI XanGetCntmZMode(short Id, short CntmChNo, short* CntmMode);
DLL_EXPORT LONG WINAPI XanSetCntmZLogic(short Id, short CntmChNo, short CntmZLogic);
DLL_EXPORT LONG WINAPI XanSelectCntmChannelSignal(short Id, short CntmChNo, short CntmSigType);
DLL_EXPORT LONG WINAPI XanSetCntmCountDirection(short Id, short CntmChNo, short CntmDir);
DLL_EXPORT LONG WINAPI XanSetCntmOperationMode(short Id, short CntmChNo, short CntmOpMode, short CntmMul,
                                               short CntmSyncClr);
DLL_EXPORT LONG WINAPI XanSetCntmDigitalFilter(short Id, short CntmChannel, short CntmFilterValue);
DLL_EXPORT LONG WINAPI XanSetCntmPulseWidth(short Id, short CntmChNo, short CntmPlsWidth);
DLL_EXPORT LONG WINAPI XanGetCntmZLogic(short Id, short CntmChNo, short* CntmZLogic);
DLL_EXPORT LONG WINAPI XanGetCntmChannelSignal(short Id, short CntmChNo, short* CntmSigType);
DLL_EXPORT LONG WINAPI XanGetCntmCountDirection(short Id, short CntmChNo, short* CntmDir);
DLL_EXPORT LONG WINAPI XanGetCntmOperationMode(short Id, short CntmChNo, short* CntmOpMode, short* CntmMul,
                                               short* CntmSyncClr);
DLL_EXPORT LONG WINAPI XanGetCntmDigitalFilter(short Id, short CntmChNo, short* CntmFilterValue);
DLL_EXPORT LONG WINAPI XanGetCntmPulseWidth(short Id, short CntmChNo, short* CntmPlsWidth);
// The meaning of the values is the driver's; the last arguments are not sent.
DLL_EXPORT LONG WINAPI XanSetCntmOutputHardwareEvent(short Id, short CntmChNo, short CntmValue1, LONG CntmValue2,
                                                     short CntmValue3);
DLL_EXPORT LONG WINAPI XanSetCntmInputHardwareEvent(short Id, short CntmChNo, LONG CntmValue1, short CntmValue2,
                                                    short CntmValue3, short CntmReserved);
DLL_EXPORT LONG WINAPI XanSetCntmCountMatchHardwareEvent(short Id, short CntmChNo, short CntmRegisterNo,
                                                         LONG CntmEventType, short CntmReserved);
DLL_EXPORT LONG WINAPI XanSetCntmPresetRegister(short Id, short CntmChNo, LONG CntmPresetData, short CntmReserved);
DLL_EXPORT LONG WINAPI XanSetCntmTestPulse(short Id, short CntmInternal, short CntmOut, short CntmReserved);
DLL_EXPORT LONG WINAPI XanCntmReadStatusEx(short Id, short CntmChNo, short* Status);
DLL_EXPORT LONG WINAPI XanCntmInputDIByte(short Id, short CntmReserved, BYTE* Data);
DLL_EXPORT LONG WINAPI XanCntmOutputDOBit(short Id, short Bit, short CntmReserved, BYTE Data);

// Groups: CntmChNum channel numbers in CntmChNo (a NULL array only with no
// channels for the zero clear).
DLL_EXPORT LONG WINAPI XanCntmStartCount(short Id, const short* CntmChNo, short CntmChNum);
DLL_EXPORT LONG WINAPI XanCntmStopCount(short Id, const short* CntmChNo, short CntmChNum);
DLL_EXPORT LONG WINAPI XanCntmZeroClearCount(short Id, const short* CntmChNo, short CntmChNum);
DLL_EXPORT LONG WINAPI XanCntmPreset(short Id, const short* CntmChNo, short CntmChNum, const LONG* CntmPresetData);
DLL_EXPORT LONG WINAPI XanCntmReadCount(short Id, const short* CntmChNo, short CntmChNum, LONG* CntmCount);

// Notifications, by window message or callback, from one worker per device
// that the first registration starts and the device's last close ends.
// Messages: XANM_CNTM_COUNTUP + channel (wParam Id | flag << 16, lParam the
// count), XANM_CNTM_TIMER for timer and time-up events (wParam Id),
// XANM_CNTM_ERROR (wParam Id | channel << 16, lParam the kind 1 to 3),
// XANM_CNTM_CARRYBORROW (wParam Id | channel << 16, lParam the value).
#define XANM_CNTM_COUNTUP 0x1070
#define XANM_CNTM_TIMER 0x1090
#define XANM_CNTM_ERROR 0x1091
#define XANM_CNTM_CARRYBORROW 0x1092
// (Id, second, third, Param): count-up (Id, channel | flag << 16, count),
// counter error (Id, channel, kind), carry/borrow (Id, channel, value),
// timer (Id, 0, 0).
typedef void(WINAPI* CntmCallBackProc)(LONG Id, LONG Second, LONG Third, void* Param);
// Row 0 or 1 (18000), channel 0 to 7 (28001); hWnd NULL: callbacks only.
DLL_EXPORT LONG WINAPI XanCntmNotifyCountUp(short Id, short CntmChNo, short Row, LONG Value, HWND hWnd);
DLL_EXPORT LONG WINAPI XanCntmStopNotifyCountUp(short Id, short CntmChNo, short Row);
DLL_EXPORT LONG WINAPI XanCntmNotifyCounterError(short Id, HWND hWnd);
DLL_EXPORT LONG WINAPI XanCntmStopNotifyCounterError(short Id);
DLL_EXPORT LONG WINAPI XanCntmNotifyCarryBorrow(short Id, HWND hWnd);
DLL_EXPORT LONG WINAPI XanCntmStopNotifyCarryBorrow(short Id);
// hWnd must be a window.
DLL_EXPORT LONG WINAPI XanCntmNotifyTimer(short Id, LONG CntmTimeValue, HWND hWnd);
DLL_EXPORT LONG WINAPI XanCntmStopNotifyTimer(short Id);
DLL_EXPORT LONG WINAPI XanCntmCountUpCallbackProc(short Id, CntmCallBackProc CallBack, void* Param);
DLL_EXPORT LONG WINAPI XanCntmCounterErrorCallbackProc(short Id, CntmCallBackProc CallBack, void* Param);
DLL_EXPORT LONG WINAPI XanCntmCarryBorrowCallbackProc(short Id, CntmCallBackProc CallBack, void* Param);
DLL_EXPORT LONG WINAPI XanCntmTimerCallbackProc(short Id, CntmCallBackProc CallBack, void* Param);
// Time-ups of the bus library's units, on any bus kind (its result as it
// stands); hWnd NULL switches them on without a worker.
DLL_EXPORT LONG WINAPI XanCntmNotifyTimeUp(short Id, LONG Value, HWND hWnd);
DLL_EXPORT LONG WINAPI XanCntmStopNotifyTimeUp(short Id);

// Digital lines: bits and 8-bit ports; DiData receives the input.
DLL_EXPORT LONG WINAPI XanInputDiBit(short Id, short DiBit, short* DiData);
DLL_EXPORT LONG WINAPI XanInputDiByte(short Id, short DiPort, short* DiData);
DLL_EXPORT LONG WINAPI XanOutputDoBit(short Id, short DoBit, short DoData);
DLL_EXPORT LONG WINAPI XanOutputDoByte(short Id, short DoPort, short DoData);
// Bit -1 (all inputs) only; the kernel driver gives 0.05 back as set.
DLL_EXPORT LONG WINAPI XanGetDiFilter(short Id, short Bit, float* Value);
// The virtual device library's only (20001 elsewhere).
DLL_EXPORT LONG WINAPI XanSetDioDirection(short Id, LONG Dir);
DLL_EXPORT LONG WINAPI XanGetDioDirection(short Id, LONG* Dir);
// Port I/O on I/O space 0 or 1 (the kernel driver's; the virtual device has
// one), not on the bus library's devices. XanInpB gives the low 8 bits.
DLL_EXPORT LONG WINAPI XanInpB(short Id, short Space, short Port, LONG* Data);
DLL_EXPORT LONG WINAPI XanInpW(short Id, short Space, short Port, LONG* Data);
DLL_EXPORT LONG WINAPI XanInpD(short Id, short Space, short Port, LONG* Data);
DLL_EXPORT LONG WINAPI XanOutpB(short Id, short Space, short Port, LONG Data);
DLL_EXPORT LONG WINAPI XanOutpW(short Id, short Space, short Port, LONG Data);
DLL_EXPORT LONG WINAPI XanOutpD(short Id, short Space, short Port, LONG Data);
// The kernel driver's devices only; Selector 0 the first address, any other
// the second. A NULL Address gives -1, which is no status.
DLL_EXPORT LONG WINAPI XanGetAddress(short Id, short Selector, LONG* Address);
// ---- End of the multi-function counters, digital and port I/O ---------------------------
