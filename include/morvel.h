// Morvel: vendor A's library for the older analog boards, over requests to
// its kernel driver Morvel00 (records in morvel_requests.h).
//
// The module is "Morvel.dll"; its exports are found by name or by the
// ordinals below (the processing library binds 2, 4, 5, 10, 11, 12 and 48).
// Board functions return a 16-bit signed result sign-extended to 32 bits
// (XanResult in morvel_requests.h); 0 is success.
//
// Handle values are the 32-bit device-file handles XanOpen gives out; window
// values are 32-bit too. Every address the library hands to the driver is a
// pointer of the caller that must stay valid until the call returns; the
// data buffer of a background input or output until it is stopped or closed.
#pragma once
#include <windows.h>

#include <cstddef>
#include <cstdint>

#include <morvel_requests.h>

typedef uint32_t XanHandle;
typedef uint32_t XanWindow;

// ---- caller records ------------------------------------------------------------

// XanInp and XanOut.
struct XanIoParams {
  uint16_t* values;  // XanInp: receives one value per channel; XanOut: the codes
  uint16_t* channelList;
  uint16_t count;
};

// XanInpBack.
struct XanInpBackParams {
  uint16_t* dataBuffer;  // channel count x scans values; lives until stop or close
  uint16_t* channelList;
  uint16_t count;
  uint16_t notSent;
  uint32_t scans;
  uint16_t timeBase;
  uint16_t clockCount;
};

// XanOutBack.
struct XanOutBackParams {
  uint16_t* data;  // channel count x samples, channel-interleaved
  uint16_t* channelList;
  uint16_t count;
  uint16_t samplesPerChannel;
  uint32_t repeatCount;
  uint16_t timeBase;
  uint16_t clockCount;
};

// XanInpBdMem, by mode.
struct XanInpBdMemParamsAbove3 {  // modes above 3
  uint64_t channelList;  // address of the u16 channel list
  uint16_t channelCount;
  int32_t samplesPerChannel;
  uint16_t scanClock;
  int32_t samplingClock;
  uint16_t clockSource;
  uint16_t memoryRing;
  uint16_t triggerSource;
};

struct XanInpBdMemParamsModes01 {  // modes 0 and 1 (mode 1 does not use the repeat count)
  uint64_t channelList;
  uint16_t channelCount;
  int32_t samplesPerChannel;
  uint16_t triggerEdge;
  int32_t delayCount;
  uint16_t scanClock;
  int32_t samplingClock;
  uint16_t clockSource;
  uint16_t memoryRing;
  uint16_t triggerSource;
  int32_t startTriggerRepeat;
};

struct XanInpBdMemParamsModes23 {  // modes 2 and 3
  uint64_t channelList;
  uint16_t channelCount;
  int32_t samplesPerChannel;
  uint16_t triggerChannel;
  uint16_t firstLevel;
  uint16_t secondLevel;
  int32_t delayCount;
  uint16_t scanClock;
  int32_t samplingClock;
  uint16_t clockSource;
  uint16_t triggerDirection;
  uint16_t memoryRing;
  uint16_t triggerSource;
};

union XanInpBdMemParams {
  XanInpBdMemParamsModes01 modes01;
  XanInpBdMemParamsModes23 modes23;
  XanInpBdMemParamsAbove3 above3;
};

// XanReadBuf.
struct XanReadBufParams {
  int32_t firstPosition;
  int32_t scans;
  uint64_t array;  // address of the u16 array: channel count x scans values
};

static_assert(sizeof(XanInpBdMemParamsAbove3) == 32);
static_assert(offsetof(XanInpBdMemParamsAbove3, channelCount) == 8);
static_assert(offsetof(XanInpBdMemParamsAbove3, samplesPerChannel) == 12);
static_assert(offsetof(XanInpBdMemParamsAbove3, scanClock) == 16);
static_assert(offsetof(XanInpBdMemParamsAbove3, samplingClock) == 20);
static_assert(offsetof(XanInpBdMemParamsAbove3, clockSource) == 24);
static_assert(offsetof(XanInpBdMemParamsAbove3, memoryRing) == 26);
static_assert(offsetof(XanInpBdMemParamsAbove3, triggerSource) == 28);
static_assert(sizeof(XanInpBdMemParamsModes01) == 48);
static_assert(offsetof(XanInpBdMemParamsModes01, channelCount) == 8);
static_assert(offsetof(XanInpBdMemParamsModes01, samplesPerChannel) == 12);
static_assert(offsetof(XanInpBdMemParamsModes01, triggerEdge) == 16);
static_assert(offsetof(XanInpBdMemParamsModes01, delayCount) == 20);
static_assert(offsetof(XanInpBdMemParamsModes01, scanClock) == 24);
static_assert(offsetof(XanInpBdMemParamsModes01, samplingClock) == 28);
static_assert(offsetof(XanInpBdMemParamsModes01, clockSource) == 32);
static_assert(offsetof(XanInpBdMemParamsModes01, memoryRing) == 34);
static_assert(offsetof(XanInpBdMemParamsModes01, triggerSource) == 36);
static_assert(offsetof(XanInpBdMemParamsModes01, startTriggerRepeat) == 40);
static_assert(sizeof(XanInpBdMemParamsModes23) == 48);
static_assert(offsetof(XanInpBdMemParamsModes23, channelCount) == 8);
static_assert(offsetof(XanInpBdMemParamsModes23, samplesPerChannel) == 12);
static_assert(offsetof(XanInpBdMemParamsModes23, triggerChannel) == 16);
static_assert(offsetof(XanInpBdMemParamsModes23, firstLevel) == 18);
static_assert(offsetof(XanInpBdMemParamsModes23, secondLevel) == 20);
static_assert(offsetof(XanInpBdMemParamsModes23, delayCount) == 24);
static_assert(offsetof(XanInpBdMemParamsModes23, scanClock) == 28);
static_assert(offsetof(XanInpBdMemParamsModes23, samplingClock) == 32);
static_assert(offsetof(XanInpBdMemParamsModes23, clockSource) == 36);
static_assert(offsetof(XanInpBdMemParamsModes23, triggerDirection) == 38);
static_assert(offsetof(XanInpBdMemParamsModes23, memoryRing) == 40);
static_assert(offsetof(XanInpBdMemParamsModes23, triggerSource) == 42);
static_assert(sizeof(XanReadBufParams) == 16);
static_assert(offsetof(XanReadBufParams, scans) == 4);
static_assert(offsetof(XanReadBufParams, array) == 8);
static_assert(sizeof(XanIoParams) == 24 && sizeof(XanInpBackParams) == 32 && sizeof(XanOutBackParams) == 32);

// ---- ordinals ------------------------------------------------------------------------

enum MorvelOrdinal : WORD {
  MORVEL_ORD_XanOpen = 2,
  MORVEL_ORD_XanInp = 3,
  MORVEL_ORD_XanInpBdMem = 4,
  MORVEL_ORD_XanReadBuf = 5,
  MORVEL_ORD_XanSetGain = 6,
  MORVEL_ORD_XanOut = 7,
  MORVEL_ORD_XanDI = 8,
  MORVEL_ORD_XanDO = 9,
  MORVEL_ORD_XanSts = 10,
  MORVEL_ORD_XanStop = 11,
  MORVEL_ORD_XanClose = 12,
  MORVEL_ORD_BinaryToVI = 13,
  MORVEL_ORD_VIToBinary = 14,
  MORVEL_ORD_XanInpBack = 15,
  MORVEL_ORD_XanOutBack = 16,
  MORVEL_ORD_XanRange = 17,
  MORVEL_ORD_XanRelay = 18,
  MORVEL_ORD_XanIsDataReady = 19,
  MORVEL_ORD_XanOpenCntGate = 20,
  MORVEL_ORD_XanCloseCntGate = 21,
  MORVEL_ORD_XanSetCntData = 22,
  MORVEL_ORD_XanGetCntData = 23,
  MORVEL_ORD_XanGetCntSts = 24,
  MORVEL_ORD_XanResetCntSts = 25,
  MORVEL_ORD_XanSetCntCommand = 26,
  MORVEL_ORD_XanIsCntDataReady = 27,
  MORVEL_ORD_XanLatchCntData = 28,
  MORVEL_ORD_XanChangeCntErrLimit = 29,
  MORVEL_ORD_XanSetCntDataB = 30,
  MORVEL_ORD_XanGetCntDataB = 31,
  MORVEL_ORD_XanOpenEx = 32,
  MORVEL_ORD_XanReset = 33,
  MORVEL_ORD_XanMemoryReset = 34,
  MORVEL_ORD_XanSetWriteAddress = 35,
  MORVEL_ORD_XanGetWriteAddress = 36,
  MORVEL_ORD_XanSetReadAddress = 37,
  MORVEL_ORD_XanGetReadAddress = 38,
  MORVEL_ORD_XanGetTrgWriteAddress = 39,
  MORVEL_ORD_XanGetAIData = 40,
  MORVEL_ORD_XanSaveData = 41,
  MORVEL_ORD_XanLoadData = 42,
  MORVEL_ORD_XanSetFileMode1 = 43,
  MORVEL_ORD_XanGetFileMode1 = 44,
  MORVEL_ORD_XanSetFileMode2 = 45,
  MORVEL_ORD_XanGetFileMode2 = 46,
  MORVEL_ORD_XanSaveDataEx = 47,
  MORVEL_ORD_XanSetRange = 48,
  MORVEL_ORD_XanGetRange = 49,
  MORVEL_ORD_XanSetAI = 50,
  MORVEL_ORD_XanBinaryToVolt = 51,
  MORVEL_ORD_XanSetBackPriority = 52,
};

// ---- exports --------------------------------------------------------------------------

// Open and close.
DLL_EXPORT LONG WINAPI XanOpen(XanHandle* handle, uint16_t deviceIndex, uint16_t group);      // 2
DLL_EXPORT LONG WINAPI XanOpenEx(const char* boardName, XanHandle* handle);                   // 32
DLL_EXPORT LONG WINAPI XanClose(XanHandle handle);                                             // 12

// Analog input.
DLL_EXPORT LONG WINAPI XanInp(XanHandle handle, XanIoParams* params);                          // 3
DLL_EXPORT LONG WINAPI XanInpBack(XanHandle handle, uint16_t mode, XanInpBackParams* params,   // 15
                                  XanWindow windowA, uint16_t messageA, XanWindow windowB, uint16_t messageB);
DLL_EXPORT LONG WINAPI XanInpBdMem(XanHandle handle, uint16_t mode, XanInpBdMemParams* params, // 4
                                   XanWindow windowA, uint16_t messageA, XanWindow windowB, uint16_t messageB);
DLL_EXPORT LONG WINAPI XanReadBuf(XanHandle handle, XanReadBufParams* params);                 // 5
DLL_EXPORT LONG WINAPI XanSetGain(XanHandle handle, uint16_t gainMode, uint16_t channel,       // 6
                                  uint16_t gainCode);
DLL_EXPORT LONG WINAPI XanRange(XanHandle handle, int16_t* channelList, int16_t* rangeList,    // 17
                                uint16_t count);
DLL_EXPORT LONG WINAPI XanRelay(XanHandle handle, uint16_t a, uint32_t b, uint16_t c, uint16_t d);  // 18
DLL_EXPORT LONG WINAPI XanIsDataReady(XanHandle handle, uint16_t* flag);                      // 19
DLL_EXPORT LONG WINAPI XanSetRange(XanHandle handle, uint8_t direction, uint8_t allOrOne,      // 48
                                   uint16_t channel, uint16_t rangeCode);
DLL_EXPORT LONG WINAPI XanGetRange(XanHandle handle, uint8_t direction, uint8_t allOrOne,      // 49
                                   uint16_t channel, uint16_t* rangeCode);
DLL_EXPORT LONG WINAPI XanSetAI(XanHandle handle, uint16_t a, uint16_t b);                     // 50
DLL_EXPORT LONG WINAPI XanBinaryToVolt(XanHandle handle, uint16_t value, void* unused);        // 51

// Analog output.
DLL_EXPORT LONG WINAPI XanOut(XanHandle handle, XanIoParams* params);                          // 7
DLL_EXPORT LONG WINAPI XanOutBack(XanHandle handle, uint16_t mode, XanOutBackParams* params,   // 16
                                  XanWindow windowA, uint16_t messageA, XanWindow windowB, uint16_t messageB);

// Digital input and output.
DLL_EXPORT LONG WINAPI XanDI(XanHandle handle, uint16_t portSelector, uint16_t* value);        // 8
DLL_EXPORT LONG WINAPI XanDO(XanHandle handle, uint16_t portSelector, uint16_t value);         // 9

// Status, stop, reset.
DLL_EXPORT LONG WINAPI XanSts(XanHandle handle, uint16_t* state, uint32_t* count,              // 10
                              uint16_t* passCount);
DLL_EXPORT LONG WINAPI XanStop(XanHandle handle);                                              // 11
DLL_EXPORT LONG WINAPI XanReset(XanHandle handle);                                             // 33

// Counter gate (the board's 8254).
DLL_EXPORT LONG WINAPI XanOpenCntGate(XanHandle handle, XanWindow window, uint16_t message);    // 20
DLL_EXPORT LONG WINAPI XanCloseCntGate(XanHandle handle);                                      // 21
DLL_EXPORT LONG WINAPI XanSetCntData(XanHandle handle, uint8_t counter, uint32_t count);       // 22
DLL_EXPORT LONG WINAPI XanGetCntData(XanHandle handle, uint8_t counter, uint32_t* count);      // 23
DLL_EXPORT LONG WINAPI XanGetCntSts(XanHandle handle, uint8_t* flags);                          // 24
DLL_EXPORT LONG WINAPI XanResetCntSts(XanHandle handle);                                       // 25
DLL_EXPORT LONG WINAPI XanSetCntCommand(XanHandle handle, uint8_t controlWord);                // 26
DLL_EXPORT LONG WINAPI XanIsCntDataReady(XanHandle handle, uint8_t* flag);                      // 27
DLL_EXPORT LONG WINAPI XanLatchCntData(XanHandle handle);                                      // 28
DLL_EXPORT LONG WINAPI XanChangeCntErrLimit(XanHandle handle, uint16_t limit);                 // 29
DLL_EXPORT LONG WINAPI XanSetCntDataB(XanHandle handle, uint8_t counter, uint16_t value);      // 30
DLL_EXPORT LONG WINAPI XanGetCntDataB(XanHandle handle, uint8_t counter, uint16_t* value);     // 31

// Board memory.
DLL_EXPORT LONG WINAPI XanMemoryReset(XanHandle handle);                                       // 34
DLL_EXPORT LONG WINAPI XanSetWriteAddress(XanHandle handle, uint32_t address);                 // 35
DLL_EXPORT LONG WINAPI XanGetWriteAddress(XanHandle handle, uint32_t* address);                // 36
DLL_EXPORT LONG WINAPI XanSetReadAddress(XanHandle handle, uint32_t address);                  // 37
DLL_EXPORT LONG WINAPI XanGetReadAddress(XanHandle handle, uint32_t* address);                 // 38
DLL_EXPORT LONG WINAPI XanGetTrgWriteAddress(XanHandle handle, uint32_t* address);             // 39
DLL_EXPORT LONG WINAPI XanGetAIData(XanHandle handle, uint32_t number, uint16_t* values);      // 40

// Notification threads.
DLL_EXPORT LONG WINAPI XanSetBackPriority(XanHandle handle, int16_t priority);                 // 52

// Conversions (no board involved). BinaryToVI returns double precision.
DLL_EXPORT double WINAPI BinaryToVI(float low, float high, int16_t gain, int16_t bits, uint16_t code);  // 13
DLL_EXPORT LONG WINAPI VIToBinary(float low, float high, int16_t gain, int16_t bits, float value);     // 14

// Data files: rows of `count` comma-separated values. They return 0, or 2
// when the file cannot be opened (or, for XanSaveDataEx, the format is not
// one floating-point conversion).
DLL_EXPORT LONG WINAPI XanSaveData(const char* path, int32_t rows, uint16_t count, const float* values,  // 41
                                   uint16_t precision);
DLL_EXPORT LONG WINAPI XanSaveDataEx(const char* path, int32_t rows, uint16_t count, const float* values,  // 47
                                     const char* valueFormat);
DLL_EXPORT LONG WINAPI XanLoadData(const char* path, int32_t rows, uint16_t count, float* destination);  // 42
DLL_EXPORT LONG WINAPI XanSetFileMode1(LONG mode);                                             // 43
DLL_EXPORT LONG WINAPI XanGetFileMode1(void);                                                  // 44
DLL_EXPORT LONG WINAPI XanSetFileMode2(LONG mode);                                             // 45
DLL_EXPORT LONG WINAPI XanGetFileMode2(void);                                                  // 46
