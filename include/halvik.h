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
// *hWnd (when given): the window of the last XanSetAiEvent.
DLL_EXPORT LONG WINAPI XanGetAiEvent(short Id, HWND* hWnd, LONG* AiEvent);
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
// Positions of a transfer into a host buffer, in 32-bit words; the kernel driver only.
DLL_EXPORT LONG WINAPI XanGetAiTransferCount(short Id, LONG* AiTransferCount);
DLL_EXPORT LONG WINAPI XanGetAiTransferLap(short Id, LONG* AiTransferLap);
DLL_EXPORT LONG WINAPI XanGetAiStopTriggerTransferCount(short Id, LONG* AiStopTriggerTransferCount);
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

// ---- Counters, interval timers and the timer-count device ----------------------------
// Events by callback: (Id, message, CntChannel, parameter, the registered Param).
typedef void(WINAPI* XanCntCallBack)(short Id, short Message, short CntChannel, LONG Param, void* UserParam);
// Events by callback: (Id, XANM_TME_INT, 0, 0, the registered Param).
typedef void(WINAPI* XanTmCallBack)(short Id, short Message, short wParam, LONG lParam, void* UserParam);

// Counter messages; wParam = (CntChannel << 16) | Id, lParam = the count.
#define XANM_CNTE_END 0x1041
#define XANM_CNTE_DATA_NUM 0x1042
#define XANM_CNTE_ORERR 0x1043
#define XANM_CNTE_ERR 0x1044
// Interval-timer tick; wParam = Id, lParam = 0.
#define XANM_TME_INT 0x1060

DLL_EXPORT LONG WINAPI XanGetCntComparisonMode(short Id, short CntChannel, short* CntMode);
// ComparisonData: ComparisonNumber int32 values.
DLL_EXPORT LONG WINAPI XanSetCntComparisonReg(short Id, short CntChannel, LONG ComparisonNumber,
                                              const LONG* ComparisonData, short Flag);
DLL_EXPORT LONG WINAPI XanGetCntInputSignal(short Id, short CntChannel, short* CntInputSignal);
// CntChannel and Signal -1 only (all of them).
DLL_EXPORT LONG WINAPI XanGetCntFilter(short Id, short CntChannel, short Signal, float* Value);
DLL_EXPORT LONG WINAPI XanPresetCnt(short Id, short CntChannel, LONG PresetData);
DLL_EXPORT LONG WINAPI XanGetCntStatus(short Id, short CntChannel, LONG* CntStatus);
DLL_EXPORT LONG WINAPI XanGetCntCount(short Id, short CntChannel, LONG* Count);
DLL_EXPORT LONG WINAPI XanResetCntStatus(short Id, short CntChannel, LONG CntStatus);
// Channels 0 and 1 only. hWnd 0 or -1: no window.
DLL_EXPORT LONG WINAPI XanSetCntEvent(short Id, short CntChannel, HWND hWnd, LONG CntEvent);
DLL_EXPORT LONG WINAPI XanGetCntEvent(short Id, short CntChannel, HWND* hWnd, LONG* CntEvent);
DLL_EXPORT LONG WINAPI XanSetCntCallBackProc(short Id, short CntChannel, XanCntCallBack CallBackProc, LONG CntEvent,
                                             void* Param);
DLL_EXPORT LONG WINAPI XanStartCnt(short Id, short CntChannel);
DLL_EXPORT LONG WINAPI XanStopCnt(short Id, short CntChannel);

// TimerId 0 and 1 for the exports that notify. hWnd 0 or -1: no window.
DLL_EXPORT LONG WINAPI XanSetTmEvent(short Id, short TimerId, HWND hWnd, LONG TmEvent);
DLL_EXPORT LONG WINAPI XanGetTmEvent(short Id, short TimerId, HWND* hWnd, LONG* TmEvent);
DLL_EXPORT LONG WINAPI XanSetTmCallBackProc(short Id, short TimerId, XanTmCallBack CallBackProc, LONG TmEvent,
                                            void* Param);
// Interval: at least 1, sent truncated.
DLL_EXPORT LONG WINAPI XanStartTmTimer(short Id, short TimerId, float Interval);
DLL_EXPORT LONG WINAPI XanStopTmTimer(short Id, short TimerId);
DLL_EXPORT LONG WINAPI XanStartTmCount(short Id, short TimerId);
// *Lap is 0 on the virtual device.
DLL_EXPORT LONG WINAPI XanLapTmCount(short Id, short TimerId, LONG* Lap);
DLL_EXPORT LONG WINAPI XanResetTmCount(short Id, short TimerId);
DLL_EXPORT LONG WINAPI XanTmWait(short Id, short TimerId, LONG Wait);

// The process's one timer-count device. DeviceName (at least 256 bytes) is
// in and out: empty takes the first device that answers, else that device;
// it receives the name of the device opened. Description receives at most
// 200 bytes of the ANSI code page and a terminator (at least 201 bytes). A
// second XanTimInit
// closes the device opened before.
DLL_EXPORT LONG WINAPI XanTimInit(char* DeviceName, char* Description, LONG* Value);
DLL_EXPORT LONG WINAPI XanTimReadCount(DWORD* Count);
DLL_EXPORT LONG WINAPI XanTimExit(void);
// ---- Analog output -------------------------------------------------------------------
// Raw counts are 32-bit; sample data is sample-major (channel j of sample i
// at i x AoChannels + j).
DLL_EXPORT LONG WINAPI XanSingleAo(short Id, short AoChannel, LONG AoData);
DLL_EXPORT LONG WINAPI XanSingleAoEx(short Id, short AoChannel, float AoData);
// At most 17 raw or 16 physical channels on bus kinds 3 and 10.
DLL_EXPORT LONG WINAPI XanMultiAo(short Id, short AoChannels, const LONG* AoData);
DLL_EXPORT LONG WINAPI XanMultiAoEx(short Id, short AoChannels, const float* AoData);
DLL_EXPORT LONG WINAPI XanGetAoResolution(short Id, short* AoResolution);
DLL_EXPORT LONG WINAPI XanGetAoChannels(short Id, short* AoChannels);
DLL_EXPORT LONG WINAPI XanGetAoMaxChannels(short Id, short* AoMaxChannels);
DLL_EXPORT LONG WINAPI XanGetAoRange(short Id, short AoChannel, short* AoRange);
DLL_EXPORT LONG WINAPI XanGetAoTransferMode(short Id, short* AoTransferMode);
DLL_EXPORT LONG WINAPI XanSetAoDeviceBufferMode(short Id, short AoBufferMode);
DLL_EXPORT LONG WINAPI XanGetAoDeviceBufferMode(short Id, short* AoBufferMode);
DLL_EXPORT LONG WINAPI XanGetAoMemoryType(short Id, short* AoMemoryType);
DLL_EXPORT LONG WINAPI XanSetAoSamplingData(short Id, LONG AoSamplingTimes, const LONG* AoData);
DLL_EXPORT LONG WINAPI XanSetAoSamplingDataEx(short Id, LONG AoSamplingTimes, const float* AoData);
DLL_EXPORT LONG WINAPI XanGetAoSamplingTimes(short Id, LONG* AoSamplingTimes);
DLL_EXPORT LONG WINAPI XanSetAoMemorySize(short Id, LONG AoMemorySize);
DLL_EXPORT LONG WINAPI XanGetAoMemorySize(short Id, LONG* AoMemorySize);
// Buffer: DataNumber (at most 0x1000000) 32-bit words the driver outputs by
// bus-master transfer; it stays the driver's until the next registration
// or the device's close.
DLL_EXPORT LONG WINAPI XanSetAoTransferData(short Id, LONG DataNumber, LONG* Buffer);
DLL_EXPORT LONG WINAPI XanSetAoAttachedData(short Id, LONG AttachedData);
DLL_EXPORT LONG WINAPI XanGetAoSamplingDataSize(short Id, short* DataSize);
DLL_EXPORT LONG WINAPI XanGetAoClockType(short Id, short* AoClockType);
DLL_EXPORT LONG WINAPI XanGetAoSamplingClock(short Id, float* AoSamplingClock);
DLL_EXPORT LONG WINAPI XanGetAoClockEdge(short Id, short* AoClockEdge);
DLL_EXPORT LONG WINAPI XanGetAoStartTrigger(short Id, short* AoStartTrigger);
DLL_EXPORT LONG WINAPI XanGetAoStopTrigger(short Id, short* AoStopTrigger);
DLL_EXPORT LONG WINAPI XanGetAoRepeatTimes(short Id, LONG* AoRepeatTimes);
// Events by message to hWnd (wParam Id, lParam the count) or by callback
// (Id, message, 0, count, Param); the last registration decides.
DLL_EXPORT LONG WINAPI XanSetAoEvent(short Id, HWND hWnd, LONG AoEvent);
DLL_EXPORT LONG WINAPI XanGetAoEvent(short Id, HWND* hWnd, LONG* AoEvent);
typedef void(WINAPI* XanAoCallBack)(short Id, short Message, short wParam, LONG lParam, void* Param);
DLL_EXPORT LONG WINAPI XanSetAoCallBackProc(short Id, XanAoCallBack CallBackProc, LONG AoEvent, void* Param);
DLL_EXPORT LONG WINAPI XanGetAoEventSamplingTimes(short Id, LONG* AoSamplingTimes);
DLL_EXPORT LONG WINAPI XanGetAoEventTransferTimes(short Id, LONG* AoTransferTimes);
DLL_EXPORT LONG WINAPI XanEnableAo(short Id, short AoChannel);
DLL_EXPORT LONG WINAPI XanDisableAo(short Id, short AoChannel);
DLL_EXPORT LONG WINAPI XanStartAo(short Id);
DLL_EXPORT LONG WINAPI XanStopAo(short Id);
DLL_EXPORT LONG WINAPI XanGetAoStatus(short Id, LONG* AoStatus);
DLL_EXPORT LONG WINAPI XanGetAoSamplingCount(short Id, LONG* AoSamplingCount);
DLL_EXPORT LONG WINAPI XanGetAoTransferCount(short Id, LONG* AoTransferCount);
DLL_EXPORT LONG WINAPI XanGetAoTransferLap(short Id, LONG* Lap);
DLL_EXPORT LONG WINAPI XanGetAoRepeatCount(short Id, LONG* AoRepeatCount);
DLL_EXPORT LONG WINAPI XanResetAoStatus(short Id);
DLL_EXPORT LONG WINAPI XanResetAoMemory(short Id);
DLL_EXPORT LONG WINAPI XanSetAoAdjustment(short Id, short AoChannel, short Range, short Type, short Data);
DLL_EXPORT LONG WINAPI XanGetAoAdjustment(short Id, short AoChannel, short Range, short Type, short* Data);
DLL_EXPORT LONG WINAPI XanGetAoDefaultAdjustment(short Id, short AoChannel, short Range, short Type, short* Data);
// Messages (and callback message numbers) of analog output.
#define AOE_START 0x1020
#define AOE_RPT_END 0x1021
#define AOE_END 0x1022
#define AOE_DATA_NUM 0x1023
#define AOE_SCERR 0x1025
#define AOE_AOERR 0x1026
#define AOE_DATA_TSF 0x1027
// ---- End of analog output --------------------------------------------------------------
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
