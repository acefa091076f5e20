// Skorra: vendor B's AD board library.
//
// Every export takes the device handle that SkOpen returned first and
// returns an SkResult: 0 on success, one of the SK_E_* codes below, or the
// driver's own nonzero status passed through unchanged. SkOpen alone returns
// the handle itself (INVALID_HANDLE_VALUE on failure).
//
// The records below travel to the driver field by field; their sizes and
// offsets are fixed and pinned by the static_asserts at the end.
#pragma once
#include <windows.h>

#include <cstddef>
#include <cstdint>

#ifdef __cplusplus
extern "C" {
#endif

typedef uint32_t SkResult;

// Result codes of the library (it keeps no message texts).
#define SK_SUCCESS 0x00000000u
#define SK_E_UNKNOWN_HANDLE 0xC0000003u
#define SK_E_NOT_AVAILABLE 0xC0000009u
#define SK_E_BUSY 0xC0001001u
#define SK_E_NOT_READY 0xC0001002u
#define SK_E_TIMEOUT 0xC0001004u
#define SK_E_FREQUENCY_OVER_LIMIT 0xC0001005u
#define SK_E_INVALID_ARGUMENT 0xC0001021u
#define SK_E_INVALID_CONFIG 0xC0001022u
#define SK_E_NULL_BUFFER 0xC0001023u
#define SK_E_DATA_FILE 0xC0001041u
#define SK_E_NO_RESOURCES 0xC0001081u
#define SK_E_RAW_ACCESS 0xC0001083u

// Sampling state reported by SkGetStatus: stopped and ready for a start.
#define SK_STATE_STOPPED 1

// Runs on the device's notification worker with the registered data.
typedef void(WINAPI* SkCompletionCallback)(void* data);

// Capability record of a board (function 0x901), 94 dwords.
typedef struct SkDeviceInfo {
  uint32_t dw[94];
} SkDeviceInfo;

enum SkDeviceInfoField : uint32_t {
  SK_INFO_MODEL = 0,
  SK_INFO_MODE_MASK = 2,
  SK_INFO_MAX_SINGLE = 3,
  SK_INFO_MAX_DIFF = 4,
  SK_INFO_RESOLUTION = 5,
  SK_INFO_RANGE_MASK = 6,
  SK_INFO_TRIGGER_INPUTS = 8,
  SK_INFO_CLOCK_TYPE = 10,
  SK_INFO_PERIOD_ONE = 81,   // ns, one channel
  SK_INFO_PERIOD_SCAN = 82,  // ns per channel, modes 1 and 8
  SK_INFO_PERIOD_83 = 83,
  SK_INFO_PERIOD_MODE2 = 84,  // ns per channel, mode 2
  SK_INFO_CLOCK_KIND = 85,
};

// Descriptive record of SkGetMoreDeviceInfo.
typedef struct SkMoreDeviceInfo {
  char modelName[64];
  uint32_t values[11];  // reply dwords 2..12
  uint32_t value14;
  float clock1;
  float clock2;
  float clock3;
  float clock4;
  float clock5;
} SkMoreDeviceInfo;

typedef struct SkChannelEntry {
  uint32_t channel;  // 1 .. maximum
  uint32_t range;    // one-bit range code; bit 30 is a flag
} SkChannelEntry;

#define SK_MAX_CHANNELS 256
#define SK_RANGE_FLAG 0x40000000u

// Normal sampling configuration.
typedef struct SkSamplingConfig {
  uint32_t channelCount;
  SkChannelEntry channels[SK_MAX_CHANNELS];
  uint32_t mode;  // 1, 2, 4 (memory) or 8
  uint32_t inputType;  // 1 single-ended, 2 differential
  uint32_t sampleCount;
  uint32_t eventCount;
  float frequency;  // Hz; 0.0 external clock, -1.0 allowed
  uint32_t triggerPoint;
  uint32_t triggerMode;
  int32_t delay;
  uint32_t triggerChannel;
  float level1;
  float level2;
  uint32_t externalClock;  // 1 or 2 when the frequency is 0.0
  uint32_t reserved2100;   // passed to the driver as it is
  uint32_t triggerEdge;
  uint32_t triggerInputCount;
  uint32_t memoryDivisor;
} SkSamplingConfig;

// Bus-master sampling configuration.
typedef struct SkBmSamplingConfig {
  uint32_t channelCount;
  SkChannelEntry channels[SK_MAX_CHANNELS];
  uint32_t inputType;
  uint32_t sampleCount;
  uint32_t eventCount;
  uint32_t repeatCount;
  uint32_t bufferMode;
  float clock;
  float secondClock;
  uint32_t startCondition;
  uint32_t stopCondition;
  uint32_t startDelay;
  uint32_t stopDelay;
  uint32_t startTriggerChannel;
  float startLevel;
  float startHysteresis;
  uint32_t stopTriggerChannel;
  float stopLevel;
  float stopHysteresis;
  uint32_t clockOutputSelection;
  uint32_t selectionPolarity;
  uint32_t triggerInputSelection1;
  uint32_t triggerInputSelection2;
  uint32_t triggerInputCount;
  uint32_t clockSelection;
  uint32_t reserved2144;
  uint32_t transferSelection;
  uint32_t transferWidth;
} SkBmSamplingConfig;

// Memory-mode sampling configuration.
typedef struct SkMemSamplingConfig {
  uint32_t channelCount;
  SkChannelEntry channels[SK_MAX_CHANNELS];
  uint32_t inputType;
  float frequency;
  uint32_t triggerCondition;
  uint32_t preTriggerCount;
  uint32_t postTriggerCount;
  uint32_t startTriggerChannel;
  float startLevel;
  float startHysteresis;
  uint32_t stopTriggerChannel;
  float stopLevel;
  float stopHysteresis;
  uint32_t clockOutputSelection;
  uint32_t selectionPolarity;
  uint32_t triggerInputSelection;
  uint32_t clockSelection;
  uint32_t reserved2112;
  uint32_t transferSelection;
  uint32_t transferWidth;
} SkMemSamplingConfig;

// --- open, close, information ---
// The name is "SKORRA" (any case) and the device number 1..255.
DLL_EXPORT HANDLE WINAPI SkOpen(const char* name);
DLL_EXPORT SkResult WINAPI SkClose(HANDLE h);
DLL_EXPORT SkResult WINAPI SkGetDeviceInfo(HANDLE h, uint32_t out[10]);
DLL_EXPORT SkResult WINAPI SkCommonGetDeviceInfo(HANDLE h, uint32_t out[94]);
DLL_EXPORT SkResult WINAPI SkSetBoardConfig(HANDLE h, HANDLE event, SkCompletionCallback callback, void* data);
DLL_EXPORT SkResult WINAPI SkGetBoardConfig(HANDLE h, uint32_t* cause);
DLL_EXPORT SkResult WINAPI SkGetMoreDeviceInfo(HANDLE h, SkMoreDeviceInfo* out);
DLL_EXPORT SkResult WINAPI SkGetVersion(HANDLE h, char out[6][16]);

// --- configuration ---
DLL_EXPORT SkResult WINAPI SkSetSamplingConfig(HANDLE h, SkSamplingConfig* cfg);
DLL_EXPORT SkResult WINAPI SkGetSamplingConfig(HANDLE h, SkSamplingConfig* out);
DLL_EXPORT SkResult WINAPI SkBmSetSamplingConfig(HANDLE h, const SkBmSamplingConfig* cfg);
DLL_EXPORT SkResult WINAPI SkBmGetSamplingConfig(HANDLE h, SkBmSamplingConfig* out);
DLL_EXPORT SkResult WINAPI SkMemSetSamplingConfig(HANDLE h, const SkMemSamplingConfig* cfg);
DLL_EXPORT SkResult WINAPI SkMemGetSamplingConfig(HANDLE h, SkMemSamplingConfig* out);
DLL_EXPORT SkResult WINAPI SkLvSetSamplingConfig(HANDLE h, uint32_t index, uint32_t value, float rate,
                                                 uint32_t value2, HANDLE event, SkCompletionCallback callback,
                                                 void* data);
DLL_EXPORT SkResult WINAPI SkLvGetSamplingConfig(HANDLE h, uint32_t index, uint32_t* value, float* rate,
                                                 uint32_t* value2);

// --- sampling control and data ---
// mode 1 waits for the end of sampling, 2 returns at once.
DLL_EXPORT SkResult WINAPI SkStartSampling(HANDLE h, uint32_t mode);
DLL_EXPORT SkResult WINAPI SkStopSampling(HANDLE h);
DLL_EXPORT SkResult WINAPI SkGetStatus(HANDLE h, int32_t* state, int32_t* value2, int32_t* value3);
// *count: units wanted on entry, units delivered on return.
DLL_EXPORT SkResult WINAPI SkGetSamplingData(HANDLE h, void* buffer, uint32_t* count);
DLL_EXPORT SkResult WINAPI SkClearSamplingData(HANDLE h);
DLL_EXPORT SkResult WINAPI SkTriggerSampling(HANDLE h, uint32_t v1, uint32_t v2, uint32_t v3, uint32_t v4,
                                             uint32_t v5, uint32_t v6);
DLL_EXPORT SkResult WINAPI SkMemTriggerSampling(HANDLE h, uint32_t count, const uint32_t (*list)[2], uint32_t v1,
                                                uint32_t v2, uint32_t v3, float frequency, uint32_t clockSource,
                                                uint32_t v4);
DLL_EXPORT SkResult WINAPI SkSyncSampling(HANDLE h, uint32_t flags);
DLL_EXPORT SkResult WINAPI SkBmStartSampling(HANDLE h, void* buffer, uint32_t size);
DLL_EXPORT SkResult WINAPI SkBmSyncSampling(HANDLE h, uint32_t count, void* buffer);
DLL_EXPORT SkResult WINAPI SkBmGetSamplingData(HANDLE h, void* buffer, uint32_t* count);
DLL_EXPORT SkResult WINAPI SkBmGetStatus(HANDLE h, uint32_t* o1, uint32_t* o2, uint32_t* o3, uint32_t* o4);
DLL_EXPORT SkResult WINAPI SkLvStartSampling(HANDLE h, uint32_t value);
DLL_EXPORT SkResult WINAPI SkLvStopSampling(HANDLE h, uint32_t value);
DLL_EXPORT SkResult WINAPI SkLvGetStatus(HANDLE h, uint32_t value, uint32_t* o1, uint32_t* o2, uint32_t* o3);
DLL_EXPORT SkResult WINAPI SkLvGetSamplingData(HANDLE h, uint32_t channels, void* buffer, uint32_t* count);
DLL_EXPORT SkResult WINAPI SkFifoGetSamplingData(HANDLE h, void* buffer1, void* buffer2, uint32_t* count);
DLL_EXPORT SkResult WINAPI SkFifoReset(HANDLE h);
DLL_EXPORT SkResult WINAPI SkStartFifoSampling(HANDLE h);
DLL_EXPORT SkResult WINAPI SkFifoStop(HANDLE h);
DLL_EXPORT SkResult WINAPI SkGetFifoStatus(HANDLE h, uint32_t* out);
DLL_EXPORT SkResult WINAPI SkGetBusyStatus(HANDLE h, uint32_t* out);
DLL_EXPORT SkResult WINAPI SkSoftTrigger(HANDLE h);

// --- file sampling: file mode 1 raw, 2 text ---
DLL_EXPORT SkResult WINAPI SkStartFileSampling(HANDLE h, const char* path, uint32_t fileMode);
DLL_EXPORT SkResult WINAPI SkBmStartFileSampling(HANDLE h, const char* path, uint32_t fileMode);

// --- notifications ---
DLL_EXPORT SkResult WINAPI SkSetMessage(HANDLE h, HWND window, uint32_t message, uint32_t highWord);
DLL_EXPORT SkResult WINAPI SkKillMessage(HANDLE h);
DLL_EXPORT SkResult WINAPI SkSetMaskMessage(HANDLE h, uint32_t mask);
DLL_EXPORT SkResult WINAPI SkGetMaskMessage(HANDLE h, uint32_t* mask);
DLL_EXPORT SkResult WINAPI SkSetExIntEvent(HANDLE h, uint32_t value, HANDLE event, SkCompletionCallback callback,
                                           void* data);
DLL_EXPORT SkResult WINAPI SkKillExIntEvent(HANDLE h);

// --- auxiliary functions ---
// Dword 1 is the board model number (the PCI subsystem id, e.g. 4591) and
// dword 11 the PCI device id, whose bits SkSyncSampling tests.
DLL_EXPORT SkResult WINAPI SkCommonGetPciDeviceInfo(HANDLE h, uint32_t* p1, uint32_t* p2, uint32_t* p3,
                                                    uint32_t* p4, uint32_t* p5, uint32_t* p6, uint32_t* p7,
                                                    uint32_t* p8, uint32_t* p9, uint32_t* p10, uint32_t* p11,
                                                    uint32_t* p12, uint32_t* p13, uint32_t* p14);
DLL_EXPORT SkResult WINAPI SkInputAD(HANDLE h, uint32_t count, uint32_t inputMode, const uint32_t (*list)[2],
                                     void* values);
DLL_EXPORT SkResult WINAPI SkSetTimer(HANDLE h, uint32_t divider1, uint32_t divider2);
DLL_EXPORT SkResult WINAPI SkGetTimer(HANDLE h, uint32_t* divider1, uint32_t* divider2, float* frequency);
DLL_EXPORT SkResult WINAPI SkSetBaseOsc(HANDLE h, uint32_t oscillator, float frequency1, float frequency2);
DLL_EXPORT SkResult WINAPI SkGetBaseOsc(HANDLE h, uint32_t* oscillator, float* frequency1, float* frequency2);
DLL_EXPORT SkResult WINAPI SkMeasureTemperature(HANDLE h, float* celsius);
DLL_EXPORT SkResult WINAPI SkLvCalibration(HANDLE h, uint32_t value1, uint32_t value2);
DLL_EXPORT SkResult WINAPI SkSetFilter(HANDLE h, uint32_t filter);
DLL_EXPORT SkResult WINAPI SkReadSamplingBuffer(HANDLE h, int32_t length, uint32_t* count, void* buffer);
DLL_EXPORT SkResult WINAPI SkMemSetDiPattern(HANDLE h, uint32_t count, const uint32_t* values);
DLL_EXPORT SkResult WINAPI SkMemGetDiPattern(HANDLE h, uint32_t values[8]);
DLL_EXPORT SkResult WINAPI SkGetOverRangeChStatus(HANDLE h, uint32_t* status);
DLL_EXPORT SkResult WINAPI SkGetRangeEventStatus(HANDLE h, uint32_t* value1, uint32_t* value2);
DLL_EXPORT SkResult WINAPI SkInputDI(HANDLE h, uint32_t* value);
DLL_EXPORT SkResult WINAPI SkOutputDO(HANDLE h, uint32_t value);
DLL_EXPORT SkResult WINAPI SkAdjustVR(HANDLE h, uint32_t a, uint32_t b, uint32_t c, uint32_t d, uint32_t e);
DLL_EXPORT SkResult WINAPI SkReadAdjustVR(HANDLE h, uint32_t a);
DLL_EXPORT SkResult WINAPI SkSelfCheck(HANDLE h);
DLL_EXPORT SkResult WINAPI SkGetResource(HANDLE h, uint32_t out[6], uint32_t* a, uint32_t* b, uint32_t* c,
                                         uint32_t* d);
DLL_EXPORT SkResult WINAPI SkAllocateSamplingBuffer(HANDLE h);
DLL_EXPORT SkResult WINAPI SkSetRangeEvent(HANDLE h, uint32_t a, uint32_t b);
DLL_EXPORT SkResult WINAPI SkResetRangeEvent(HANDLE h);
DLL_EXPORT SkResult WINAPI SkResetOverRangeCh(HANDLE h);
DLL_EXPORT SkResult WINAPI SkSetInterval(HANDLE h, uint32_t interval);
DLL_EXPORT SkResult WINAPI SkGetInterval(HANDLE h, uint32_t* interval);
DLL_EXPORT SkResult WINAPI SkSetFunction(HANDLE h, uint32_t a, uint32_t b);
DLL_EXPORT SkResult WINAPI SkGetFunction(HANDLE h, uint32_t a, uint32_t* value);
DLL_EXPORT SkResult WINAPI SkGetFilter(HANDLE h, uint32_t* filter);
DLL_EXPORT SkResult WINAPI SkSetOutMode(HANDLE h, uint32_t a, uint32_t b);
DLL_EXPORT SkResult WINAPI SkGetOutMode(HANDLE h, uint32_t* a, uint32_t* b);
DLL_EXPORT SkResult WINAPI SkAdjustVRWrite(HANDLE h, uint32_t a, uint32_t b, uint32_t c, uint32_t d);
DLL_EXPORT SkResult WINAPI SkAdjustVRRead(HANDLE h, uint32_t a, uint32_t b, uint32_t c, uint32_t* value);
DLL_EXPORT SkResult WINAPI SkSetAnalogTrgDac(HANDLE h, uint32_t a, uint32_t b);
DLL_EXPORT SkResult WINAPI SkGetDswValue(HANDLE h, uint32_t* value);
DLL_EXPORT SkResult WINAPI SkSetAdcControl(HANDLE h, uint32_t value);

// Raw register access. The request carries no device number, so on the
// older platform, where devices of one board share a driver handle, it
// cannot tell them apart; meant for the NT family.
DLL_EXPORT SkResult WINAPI SkCommonIoByteRead(HANDLE h, uint32_t offset, uint32_t* value);
DLL_EXPORT SkResult WINAPI SkCommonIoWordRead(HANDLE h, uint32_t offset, uint32_t* value);
DLL_EXPORT SkResult WINAPI SkCommonIoDwordRead(HANDLE h, uint32_t offset, uint32_t* value);
DLL_EXPORT SkResult WINAPI SkCommonIoByteWrite(HANDLE h, uint32_t offset, uint32_t value);
DLL_EXPORT SkResult WINAPI SkCommonIoWordWrite(HANDLE h, uint32_t offset, uint32_t value);
DLL_EXPORT SkResult WINAPI SkCommonIoDwordWrite(HANDLE h, uint32_t offset, uint32_t value);
DLL_EXPORT SkResult WINAPI SkCommonMemoryByteRead(HANDLE h, uint32_t offset, uint32_t* value);
DLL_EXPORT SkResult WINAPI SkCommonMemoryWordRead(HANDLE h, uint32_t offset, uint32_t* value);
DLL_EXPORT SkResult WINAPI SkCommonMemoryDwordRead(HANDLE h, uint32_t offset, uint32_t* value);
DLL_EXPORT SkResult WINAPI SkCommonMemoryByteWrite(HANDLE h, uint32_t offset, uint32_t value);
DLL_EXPORT SkResult WINAPI SkCommonMemoryWordWrite(HANDLE h, uint32_t offset, uint32_t value);
DLL_EXPORT SkResult WINAPI SkCommonMemoryDwordWrite(HANDLE h, uint32_t offset, uint32_t value);

#ifdef __cplusplus
}

static_assert(sizeof(SkDeviceInfo) == 376);
static_assert(sizeof(SkMoreDeviceInfo) == 132);
static_assert(offsetof(SkMoreDeviceInfo, values) == 64 && offsetof(SkMoreDeviceInfo, value14) == 108);
static_assert(offsetof(SkMoreDeviceInfo, clock1) == 112 && offsetof(SkMoreDeviceInfo, clock5) == 128);

static_assert(sizeof(SkSamplingConfig) == 2116);
static_assert(offsetof(SkSamplingConfig, channels) == 4);
static_assert(offsetof(SkSamplingConfig, mode) == 2052);
static_assert(offsetof(SkSamplingConfig, inputType) == 2056);
static_assert(offsetof(SkSamplingConfig, sampleCount) == 2060);
static_assert(offsetof(SkSamplingConfig, eventCount) == 2064);
static_assert(offsetof(SkSamplingConfig, frequency) == 2068);
static_assert(offsetof(SkSamplingConfig, triggerPoint) == 2072);
static_assert(offsetof(SkSamplingConfig, triggerMode) == 2076);
static_assert(offsetof(SkSamplingConfig, delay) == 2080);
static_assert(offsetof(SkSamplingConfig, triggerChannel) == 2084);
static_assert(offsetof(SkSamplingConfig, level1) == 2088);
static_assert(offsetof(SkSamplingConfig, level2) == 2092);
static_assert(offsetof(SkSamplingConfig, externalClock) == 2096);
static_assert(offsetof(SkSamplingConfig, triggerEdge) == 2104);
static_assert(offsetof(SkSamplingConfig, triggerInputCount) == 2108);
static_assert(offsetof(SkSamplingConfig, memoryDivisor) == 2112);

static_assert(sizeof(SkBmSamplingConfig) == 2156);
static_assert(offsetof(SkBmSamplingConfig, inputType) == 2052);
static_assert(offsetof(SkBmSamplingConfig, repeatCount) == 2064);
static_assert(offsetof(SkBmSamplingConfig, clock) == 2072);
static_assert(offsetof(SkBmSamplingConfig, startCondition) == 2080);
static_assert(offsetof(SkBmSamplingConfig, startLevel) == 2100);
static_assert(offsetof(SkBmSamplingConfig, stopHysteresis) == 2116);
static_assert(offsetof(SkBmSamplingConfig, clockOutputSelection) == 2120);
static_assert(offsetof(SkBmSamplingConfig, triggerInputCount) == 2136);
static_assert(offsetof(SkBmSamplingConfig, clockSelection) == 2140);
static_assert(offsetof(SkBmSamplingConfig, transferSelection) == 2148);
static_assert(offsetof(SkBmSamplingConfig, transferWidth) == 2152);

static_assert(sizeof(SkMemSamplingConfig) == 2124);
static_assert(offsetof(SkMemSamplingConfig, inputType) == 2052);
static_assert(offsetof(SkMemSamplingConfig, frequency) == 2056);
static_assert(offsetof(SkMemSamplingConfig, stopHysteresis) == 2092);
static_assert(offsetof(SkMemSamplingConfig, clockOutputSelection) == 2096);
static_assert(offsetof(SkMemSamplingConfig, clockSelection) == 2108);
static_assert(offsetof(SkMemSamplingConfig, transferWidth) == 2120);
#endif
