// Skorradev: vendor B's device I/O library and the driver protocol behind it.
//
// Skorra reaches the vendor-B driver only through the three calls below. Our
// libskorradev.so serves them from simulated boards: each board "SKORRAn"
// is a device "\\.\SKORRAn" of the platform layer, so handles, overlapped
// requests, CancelIo and the cancel-on-close of the last handle behave as
// for any other device.
//
// Control codes. NT: CTL_CODE(0x8CE4, function, method, FILE_ANY_ACCESS),
// with each function's method in SKORRADEV_FUNCTIONS below. Windows 9x: the
// plain function number; the library accepts both forms.
//
// Buffered requests: input {u32 device number n, arguments...}; output the
// same size unless noted, {u32 status, data...}; status 0 is success.
// Records that carry a caller address hold it as a 64-bit field where it
// stands; the static_asserts below give the sizes of those requests. A request whose input or output size
// differs from its record fails the call itself with ERROR_INVALID_PARAMETER
// (87), an unknown handle with ERROR_INVALID_HANDLE (6), a function the
// driver does not have with ERROR_INVALID_FUNCTION (1).
//
// Driver statuses in replies (besides 0) reuse the library's result codes:
// SKORRADEV_STATUS_* below.
//
// Simulated signal. Sample s (0-based scan index since the start) of the
// list entry with channel number ch on device n, for a board of b bits:
//     value = (s + 256 * ch + 1024 * (n - 1)) mod 2^b
// stored little-endian in the board's sample width: 1 byte for b <= 8, 2
// bytes for b <= 23, 4 bytes above. Scans are interleaved in list order.
// Bus-master scans (0xAE2, 0xB0C, 0xAE4) carry extra words after the
// channels: words per scan = channels rounded up to even when the transfer
// selection is 1, otherwise channels + 1 (odd) or + 2 (even); the first
// extra word is s mod 2^(8 x width), the others 0. 0xAC6 always delivers the
// channels only. The direct read 0xAFB delivers the samples as 4-byte words.
//
// Runs. A start (0xAC8, 0xAD2, 0xAD3, 0xAD4, 0xB05, 0xB0C, 0xAE4) uses the
// configuration set last (0xAC4 normal, 0xAE0 bus-master, 0xAF4 memory).
// Scans come at the configured clock (see the clock codes below) and are
// held for reading, up to max(sample count, 0x100000) scans (older ones are
// dropped and counted). The run is endless for trigger mode 9 (normal) and
// stop condition 9 (bus-master) and ends after the sample count otherwise
// (bus-master: sample count x repeat count when the repeat count is
// nonzero; memory: pre- plus post-trigger count). Causes (0xAC3): 1 every
// event-count scans (when nonzero), 2 at the end of a run and at a stop.
// Each cause completes one pending 0xAD0, or the next 0xAD0 at once.
// Event flags (0xB09): 1 for cause 1, 2 for cause 2, 0x40 for any other
// cause; event count (0xB0B): the cause-1 interrupts since the start.
//
// Other behaviour of the simulated board: 0xAD0 answers the number of causes
// waiting to be read; the direct read 0xAFB completes once it can fill its
// buffer (or, at the end of the run, with what is left); digital input 0xACD
// reads back the last output of 0xACE; single conversions 0xACB answer the
// signal at scan 0 and take the long form exactly on boards with more than 16
// single-ended or 8 differential channels; set requests (0xAE8, 0xAEB,
// 0xAED, 0xAF7, 0xAF9, 0xAFC, 0xAFE, 0xB00, 0xB02) are read back by their
// get requests. Closing the last handle of a board stops its run, cancels
// its pending requests and drops its unread causes.
//
// Clock codes of the normal and bus-master records, by the board's clock
// kind (capability dword 85): kind 1 (8 MHz two-stage divider) code =
// quotient << 16 | q, scan frequency = 8e6 / (q x quotient); kind 2 the
// fixed codes 0..7 (8 MHz / 2^code), 8 (16 MHz), 16..23 (10 MHz /
// 2^(code - 16)) and 24 (20 MHz); kinds 3, 4, 6, 7 one divider of 8 MHz,
// 20 MHz, 12.288 MHz, 36 MHz; kind 5 8 MHz / code, or 2.4576 MHz / (code &
// 0xFFFFFF) when bit 24 is set. Code 0 (and -1, 254) = external clock (no
// scans unless a test advances the board). Memory mode: 40 MHz / code, or
// 24.576 MHz / (code & 0xFFFFFF) when bit 24 is set.
#pragma once
#include <windows.h>

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
#define SKORRADEV_EXTERN_C extern "C"
#else
#define SKORRADEV_EXTERN_C
#endif
#define SKORRADEV_API SKORRADEV_EXTERN_C __attribute__((visibility("default")))

// ---------------------------------------------------------------- the calls

// CreateFileA semantics: INVALID_HANDLE_VALUE with the last error set on
// failure. NT path "\\.\SKORRAn"; 9x shared names "\\.\QV<id>" / "\\.\ZT<id>"
// (all other arguments 0, disposition 0 accepted).
SKORRADEV_API HANDLE WINAPI SkorradevCreateFile(LPCSTR path, DWORD access, DWORD share,
                                                LPSECURITY_ATTRIBUTES security, DWORD disposition,
                                                DWORD flags, HANDLE templateFile);
// DeviceIoControl semantics, ERROR_IO_PENDING for a started overlapped request.
SKORRADEV_API BOOL WINAPI SkorradevDeviceIoControl(HANDLE device, DWORD code, LPVOID in, DWORD inSize,
                                                   LPVOID out, DWORD outSize, LPDWORD returned,
                                                   LPOVERLAPPED overlapped);
// Closes a device handle, or any other platform handle (events) as CloseHandle.
SKORRADEV_API BOOL WINAPI SkorradevCloseHandle(HANDLE handle);

// ---------------------------------------------------------------- codes

#define SKORRADEV_DEVICE_TYPE 0x8CE4u
#define SKORRADEV_NT_CODE(function, method) CTL_CODE(SKORRADEV_DEVICE_TYPE, (function), (method), FILE_ANY_ACCESS)
// The plain function number of an NT code, or the 9x code itself.
#define SKORRADEV_FUNCTION_OF(code) \
  (((DWORD)(code) >> 16) == SKORRADEV_DEVICE_TYPE ? (((DWORD)(code) >> 2) & 0xFFFu) : (DWORD)(code))

// Every function of the driver, once: its name, its number, the method by
// which the platform moves its buffers, and whether only the NT driver has
// it (the older platform's code of such a function is 0). The library and
// the simulated board both take their codes from this one list.
#define SKORRADEV_FUNCTIONS(X) \
  X(SKDF_PCI_INFO,             0x900, METHOD_BUFFERED,   false) \
  X(SKDF_DEVICE_INFO,          0x901, METHOD_BUFFERED,   false) \
  X(SKDF_IO_BYTE_READ,         0x902, METHOD_BUFFERED,   false) \
  X(SKDF_IO_WORD_READ,         0x903, METHOD_BUFFERED,   false) \
  X(SKDF_IO_DWORD_READ,        0x904, METHOD_BUFFERED,   false) \
  X(SKDF_IO_BYTE_WRITE,        0x905, METHOD_BUFFERED,   false) \
  X(SKDF_IO_WORD_WRITE,        0x906, METHOD_BUFFERED,   false) \
  X(SKDF_IO_DWORD_WRITE,       0x907, METHOD_BUFFERED,   false) \
  X(SKDF_MEM_BYTE_READ,        0x908, METHOD_BUFFERED,   false) \
  X(SKDF_MEM_WORD_READ,        0x909, METHOD_BUFFERED,   false) \
  X(SKDF_MEM_DWORD_READ,       0x90A, METHOD_BUFFERED,   false) \
  X(SKDF_MEM_BYTE_WRITE,       0x90B, METHOD_BUFFERED,   false) \
  X(SKDF_MEM_WORD_WRITE,       0x90C, METHOD_BUFFERED,   false) \
  X(SKDF_MEM_DWORD_WRITE,      0x90D, METHOD_BUFFERED,   false) \
  X(SKDF_UNUSED_90E,           0x90E, METHOD_BUFFERED,   false) \
  X(SKDF_UNUSED_90F,           0x90F, METHOD_BUFFERED,   false) \
  X(SKDF_OPEN,                 0xAC0, METHOD_BUFFERED,   false) \
  X(SKDF_CLOSE,                0xAC1, METHOD_BUFFERED,   false) \
  X(SKDF_UNUSED_AC2,           0xAC2, METHOD_BUFFERED,   false) \
  X(SKDF_INTERRUPT_CAUSE,      0xAC3, METHOD_BUFFERED,   false) \
  X(SKDF_SET_CONFIG,           0xAC4, METHOD_BUFFERED,   false) \
  X(SKDF_GET_CONFIG,           0xAC5, METHOD_BUFFERED,   false) \
  X(SKDF_READ_DATA,            0xAC6, METHOD_BUFFERED,   false) \
  X(SKDF_CLEAR_DATA,           0xAC7, METHOD_BUFFERED,   false) \
  X(SKDF_START,                0xAC8, METHOD_BUFFERED,   false) \
  X(SKDF_STOP,                 0xAC9, METHOD_BUFFERED,   false) \
  X(SKDF_STATUS,               0xACA, METHOD_BUFFERED,   false) \
  X(SKDF_INPUT_AD,             0xACB, METHOD_BUFFERED,   false) \
  X(SKDF_ADJUST_VR,            0xACC, METHOD_BUFFERED,   false) \
  X(SKDF_INPUT_DI,             0xACD, METHOD_BUFFERED,   false) \
  X(SKDF_OUTPUT_DO,            0xACE, METHOD_BUFFERED,   false) \
  X(SKDF_SELF_CHECK,           0xACF, METHOD_BUFFERED,   false) \
  X(SKDF_INTERRUPT_WAIT,       0xAD0, METHOD_BUFFERED,   true)  \
  X(SKDF_GET_RESOURCE,         0xAD1, METHOD_BUFFERED,   false) \
  X(SKDF_TRIGGER_SAMPLING,     0xAD2, METHOD_BUFFERED,   false) \
  X(SKDF_MEM_TRIGGER_SAMPLING, 0xAD3, METHOD_BUFFERED,   false) \
  X(SKDF_SYNC_SAMPLING,        0xAD4, METHOD_BUFFERED,   false) \
  X(SKDF_LV_SET_CONFIG,        0xAD5, METHOD_BUFFERED,   false) \
  X(SKDF_LV_GET_CONFIG,        0xAD6, METHOD_BUFFERED,   false) \
  X(SKDF_LV_READ_DATA,         0xAD7, METHOD_BUFFERED,   false) \
  X(SKDF_LV_START,             0xAD8, METHOD_BUFFERED,   false) \
  X(SKDF_LV_STOP,              0xAD9, METHOD_BUFFERED,   false) \
  X(SKDF_LV_STATUS,            0xADA, METHOD_BUFFERED,   false) \
  X(SKDF_TEMPERATURE,          0xADB, METHOD_BUFFERED,   false) \
  X(SKDF_UNUSED_ADC,           0xADC, METHOD_BUFFERED,   true)  \
  X(SKDF_UNUSED_ADD,           0xADD, METHOD_BUFFERED,   true)  \
  X(SKDF_UNUSED_ADE,           0xADE, METHOD_BUFFERED,   true)  \
  X(SKDF_UNUSED_ADF,           0xADF, METHOD_BUFFERED,   true)  \
  X(SKDF_BM_SET_CONFIG,        0xAE0, METHOD_BUFFERED,   false) \
  X(SKDF_BM_GET_CONFIG,        0xAE1, METHOD_BUFFERED,   false) \
  X(SKDF_BM_READ_DATA,         0xAE2, METHOD_BUFFERED,   false) \
  X(SKDF_UNUSED_AE3,           0xAE3, METHOD_OUT_DIRECT, false) \
  X(SKDF_BM_SYNC_READ,         0xAE4, METHOD_OUT_DIRECT, false) \
  X(SKDF_LV_CALIBRATION,       0xAE5, METHOD_BUFFERED,   false) \
  X(SKDF_ALLOCATE_BUFFER,      0xAE6, METHOD_BUFFERED,   false) \
  X(SKDF_READ_BUFFER,          0xAE7, METHOD_BUFFERED,   false) \
  X(SKDF_SET_RANGE_EVENT,      0xAE8, METHOD_BUFFERED,   false) \
  X(SKDF_GET_RANGE_EVENT,      0xAE9, METHOD_BUFFERED,   false) \
  X(SKDF_RESET_RANGE_EVENT,    0xAEA, METHOD_BUFFERED,   false) \
  X(SKDF_SET_INTERVAL,         0xAEB, METHOD_BUFFERED,   false) \
  X(SKDF_GET_INTERVAL,         0xAEC, METHOD_BUFFERED,   false) \
  X(SKDF_SET_FUNCTION,         0xAED, METHOD_BUFFERED,   false) \
  X(SKDF_GET_FUNCTION,         0xAEE, METHOD_BUFFERED,   false) \
  X(SKDF_FIFO_READ_DATA,       0xAEF, METHOD_BUFFERED,   false) \
  X(SKDF_GET_OVER_RANGE,       0xAF1, METHOD_BUFFERED,   false) \
  X(SKDF_RESET_OVER_RANGE,     0xAF2, METHOD_BUFFERED,   false) \
  X(SKDF_READ_ADJUST_VR,       0xAF3, METHOD_BUFFERED,   false) \
  X(SKDF_MEM_SET_CONFIG,       0xAF4, METHOD_BUFFERED,   false) \
  X(SKDF_MEM_GET_CONFIG,       0xAF5, METHOD_BUFFERED,   false) \
  X(SKDF_SET_OUT_MODE,         0xAF7, METHOD_BUFFERED,   false) \
  X(SKDF_GET_OUT_MODE,         0xAF8, METHOD_BUFFERED,   false) \
  X(SKDF_MEM_SET_DI_PATTERN,   0xAF9, METHOD_BUFFERED,   false) \
  X(SKDF_MEM_GET_DI_PATTERN,   0xAFA, METHOD_BUFFERED,   false) \
  X(SKDF_DIRECT_READ,          0xAFB, METHOD_OUT_DIRECT, false) \
  X(SKDF_ADJUST_VR_WRITE,      0xAFC, METHOD_BUFFERED,   false) \
  X(SKDF_ADJUST_VR_READ,       0xAFD, METHOD_BUFFERED,   false) \
  X(SKDF_SET_BASE_OSC,         0xAFE, METHOD_BUFFERED,   false) \
  X(SKDF_GET_BASE_OSC,         0xAFF, METHOD_BUFFERED,   false) \
  X(SKDF_SET_FILTER,           0xB00, METHOD_BUFFERED,   true)  \
  X(SKDF_GET_FILTER,           0xB01, METHOD_BUFFERED,   true)  \
  X(SKDF_SET_EXINT_EVENT,      0xB02, METHOD_BUFFERED,   false) \
  X(SKDF_KILL_EXINT_EVENT,     0xB03, METHOD_BUFFERED,   false) \
  X(SKDF_FIFO_RESET,           0xB04, METHOD_BUFFERED,   false) \
  X(SKDF_FIFO_START,           0xB05, METHOD_BUFFERED,   false) \
  X(SKDF_FIFO_STATUS,          0xB06, METHOD_BUFFERED,   false) \
  X(SKDF_SOFT_TRIGGER,         0xB07, METHOD_BUFFERED,   true)  \
  X(SKDF_MORE_DEVICE_INFO,     0xB08, METHOD_BUFFERED,   true)  \
  X(SKDF_EVENT_FLAGS,          0xB09, METHOD_BUFFERED,   true)  \
  X(SKDF_VERSION,              0xB0A, METHOD_BUFFERED,   true)  \
  X(SKDF_EVENT_COUNT,          0xB0B, METHOD_BUFFERED,   true)  \
  X(SKDF_BM_START_TRANSFER,    0xB0C, METHOD_IN_DIRECT,  true)  \
  X(SKDF_SET_ANALOG_TRG_DAC,   0xB0F, METHOD_BUFFERED,   true)  \
  X(SKDF_BM_STATUS,            0xB10, METHOD_BUFFERED,   true)  \
  X(SKDF_BUSY_STATUS,          0xB11, METHOD_BUFFERED,   true)  \
  X(SKDF_FIFO_STOP,            0xB12, METHOD_BUFFERED,   true)  \
  X(SKDF_DSW_VALUE,            0xB13, METHOD_BUFFERED,   true)  \
  X(SKDF_SET_ADC_CONTROL,      0xB14, METHOD_BUFFERED,   true)

enum SkorradevFunction : uint32_t {
#define SKORRADEV_ENUMERATOR(name, number, method, ntOnly) name = number,
  SKORRADEV_FUNCTIONS(SKORRADEV_ENUMERATOR)
#undef SKORRADEV_ENUMERATOR
};

typedef struct SkorradevFunctionSpec {
  SkorradevFunction function;
  DWORD method;
  bool ntOnly;
} SkorradevFunctionSpec;

// The list above in function order.
inline constexpr SkorradevFunctionSpec kSkorradevFunctions[] = {
#define SKORRADEV_SPEC(name, number, method, ntOnly) {name, method, ntOnly},
    SKORRADEV_FUNCTIONS(SKORRADEV_SPEC)
#undef SKORRADEV_SPEC
};
#define SKORRADEV_FUNCTION_COUNT 97u
static_assert(sizeof kSkorradevFunctions / sizeof kSkorradevFunctions[0] == SKORRADEV_FUNCTION_COUNT,
              "the driver has 97 functions");

// The entry of a function number, or nullptr for one the driver lacks.
inline constexpr const SkorradevFunctionSpec* SkorradevFindFunction(DWORD function) {
  for (const SkorradevFunctionSpec& spec : kSkorradevFunctions) {
    if (spec.function == function) return &spec;
  }
  return nullptr;
}

// Driver statuses in the first reply dword.
#define SKORRADEV_STATUS_OK 0x00000000u
#define SKORRADEV_STATUS_UNKNOWN_DEVICE 0xC0000003u  // dword 0 names another device
#define SKORRADEV_STATUS_NOT_AVAILABLE 0xC0000009u   // not on this board model
#define SKORRADEV_STATUS_BUSY 0xC0001001u            // not stopped
#define SKORRADEV_STATUS_NOT_READY 0xC0001002u       // no configuration for this start
#define SKORRADEV_STATUS_BAD_ARGUMENT 0xC0001021u
#define SKORRADEV_STATUS_BAD_CONFIG 0xC0001022u
#define SKORRADEV_STATUS_NULL_BUFFER 0xC0001023u     // address 0 in a data request

// Sampling states (status reply dword 1).
#define SKORRADEV_STATE_STOPPED 1u
#define SKORRADEV_STATE_RUNNING 2u

// Interrupt causes the simulated board raises.
#define SKORRADEV_CAUSE_NONE 0u
#define SKORRADEV_CAUSE_EVENT_COUNT 1u
#define SKORRADEV_CAUSE_END 2u

// ---------------------------------------------------------------- records

#pragma pack(push, 4)

typedef struct SkorradevChannelEntry {
  uint32_t channel;  // 1-based channel number
  uint32_t range;    // one-bit range code
} SkorradevChannelEntry;

// 0x900: {n} -> {status, 14 PCI dwords}. Dword 1 = board model number
// (subsystem id), dword 11 = PCI device id / capability bits.
typedef struct SkorradevPciInfo {
  uint32_t head;  // n in, status out
  uint32_t value[14];
} SkorradevPciInfo;

// 0x901: {n} -> {status, SkDeviceInfo dwords 0..93}.
typedef struct SkorradevDeviceInfoReply {
  uint32_t head;
  uint32_t info[94];
} SkorradevDeviceInfoReply;

// Indices into SkorradevDeviceInfoReply::info.
enum SkorradevInfoIndex : uint32_t {
  SKDI_MODEL = 0,
  SKDI_MODE_MASK = 2,
  SKDI_SINGLE_CHANNELS = 3,
  SKDI_DIFF_CHANNELS = 4,
  SKDI_RESOLUTION = 5,
  SKDI_RANGE_MASK = 6,
  SKDI_TRIGGER_INPUTS = 8,
  SKDI_CLOCK_TYPE = 10,
  SKDI_PERIOD_ONE = 81,
  SKDI_PERIOD_SCAN = 82,
  SKDI_PERIOD_MODE2 = 84,
  SKDI_CLOCK_KIND = 85,
};

// 0x902..0x904, 0x908..0x90A: {offset} (4 bytes) -> {value} (4 bytes).
// 0x905..0x907, 0x90B..0x90D: {offset, value} (8 bytes) -> nothing.
typedef struct SkorradevRegisterWrite {
  uint32_t offset;
  uint32_t value;
} SkorradevRegisterWrite;

// 0xAC3 {n, -} -> {status, cause}; 0xB09/0xB0B {n, -} -> {status, value}; and
// every other two-dword request.
typedef struct SkorradevPair {
  uint32_t head;
  uint32_t value;
} SkorradevPair;

// 0xAC4 in / 0xAC5 out (input of 0xAC5: {n} in a record of this size).
typedef struct SkorradevSamplingRequest {
  uint32_t head;
  uint32_t channelCount;
  SkorradevChannelEntry channels[256];
  uint32_t mode;
  uint32_t inputType;
  uint32_t sampleCount;
  uint32_t eventCount;
  uint32_t clockCode;
  uint32_t triggerPoint;
  uint32_t triggerMode;
  int32_t delay;
  uint32_t triggerChannel;
  uint32_t levelCode1;
  uint32_t levelCode2;
  uint32_t externalClock;   // record offset 2096
  uint32_t unchecked;       // 2100
  uint32_t edgeSelection;   // 2104
  uint32_t triggerInputs;   // 2108
  uint32_t memoryDivisor;   // 2112
} SkorradevSamplingRequest;

// 0xAE0 in / 0xAE1 out.
typedef struct SkorradevBmSamplingRequest {
  uint32_t head;
  uint32_t channelCount;
  SkorradevChannelEntry channels[256];
  uint32_t inputType;
  uint32_t sampleCount;
  uint32_t eventCount;
  uint32_t repeatCount;
  uint32_t bufferMode;
  uint32_t clockCode1;
  uint32_t clockCode2;
  uint32_t startCondition;
  uint32_t stopCondition;
  uint32_t startDelay;
  uint32_t stopDelay;
  uint32_t startTriggerChannel;
  uint32_t startLevelCode;
  uint32_t startHysteresisCode;
  uint32_t stopTriggerChannel;
  uint32_t stopLevelCode;
  uint32_t stopHysteresisCode;
  uint32_t clockOutputSelection;  // record offset 2120
  uint32_t selectionPolarity;
  uint32_t triggerInputSelection1;
  uint32_t triggerInputSelection2;
  uint32_t triggerInputCount;
  uint32_t clockSelection;        // record offset 2140
  uint32_t unchecked;
  uint32_t transferSelection;
  uint32_t transferWidth;
} SkorradevBmSamplingRequest;

// 0xAF4 in / 0xAF5 out.
typedef struct SkorradevMemSamplingRequest {
  uint32_t head;
  uint32_t channelCount;
  SkorradevChannelEntry channels[256];
  uint32_t inputType;
  uint32_t clockCode;
  uint32_t condition;
  uint32_t preTrigger;
  uint32_t postTrigger;
  uint32_t startTriggerChannel;
  uint32_t startLevelCode;
  uint32_t startHysteresisCode;
  uint32_t stopTriggerChannel;
  uint32_t stopLevelCode;
  uint32_t stopHysteresisCode;
  uint32_t clockOutputSelection;  // record offset 2096
  uint32_t selectionPolarity;     // record offsets 2100..2120 follow
  uint32_t triggerInputSelection;
  uint32_t clockSelection;
  uint32_t unchecked;
  uint32_t transferSelection;
  uint32_t transferWidth;
} SkorradevMemSamplingRequest;

// 0xAC6, 0xAE2 {n, count, buffer}; 0xAD7 {n | channels << 16, count, buffer}.
// Reply {status, delivered, -, -}.
typedef struct SkorradevDataRequest {
  uint32_t head;
  uint32_t count;
  uint64_t buffer;
} SkorradevDataRequest;

// 0xAEF {n, count, buffer1, buffer2}; reply {status, delivered, ...}.
// buffer1 receives the scans, buffer2 one u32 scan index per scan.
typedef struct SkorradevFifoDataRequest {
  uint32_t head;
  uint32_t count;
  uint64_t buffer1;
  uint64_t buffer2;
} SkorradevFifoDataRequest;

// 0xAE7 {n, length, count, buffer}; reply {status, -, count delivered, ...}.
typedef struct SkorradevBufferReadRequest {
  uint32_t head;
  int32_t length;
  uint32_t count;
  uint64_t buffer;
} SkorradevBufferReadRequest;

// 0xAC8 {n, mode, event}, 0xAD4 {n, flags, event}, 0xAE4 input {n, count,
// event}, 0xAD8 {n, value, event}: event = driver-side event value, -1 on NT.
typedef struct SkorradevStartRequest {
  uint32_t head;
  uint32_t value;
  uint32_t event;
} SkorradevStartRequest;

// 0xACA reply {status, state, scans since start, scans held}; also 0xADA.
typedef struct SkorradevStatusReply {
  uint32_t head;
  uint32_t state;
  uint32_t scans;
  uint32_t held;
} SkorradevStatusReply;

// 0xACB, short form (boards with at most 16 single-ended / 8 differential
// channels) and long form. The converted values (board sample width, one per
// list entry) go to `values`.
typedef struct SkorradevInputAdShort {
  uint32_t head;
  uint32_t count;
  uint32_t mode;
  SkorradevChannelEntry list[16];
  uint64_t values;
} SkorradevInputAdShort;

typedef struct SkorradevInputAdLong {
  uint32_t head;
  uint32_t count;
  uint32_t mode;
  SkorradevChannelEntry list[256];
  uint64_t values;
} SkorradevInputAdLong;

// 0xAD2 {n, value1..value6, event}.
typedef struct SkorradevTriggerRequest {
  uint32_t head;
  uint32_t value[6];
  uint32_t event;
} SkorradevTriggerRequest;

// 0xAD3.
typedef struct SkorradevMemTriggerRequest {
  uint32_t head;
  uint32_t count;
  SkorradevChannelEntry list[256];
  uint32_t value1;
  uint32_t value2;
  uint32_t value3;
  uint32_t clockCode;
  uint32_t clockSource;
  uint32_t value4;
  uint32_t event;
} SkorradevMemTriggerRequest;

// 0xAD1 reply {status, 10 dwords}.
typedef struct SkorradevResourceReply {
  uint32_t head;
  uint32_t value[10];
} SkorradevResourceReply;

// 0xAF9 / 0xAFA {n, count, 8 values}.
typedef struct SkorradevDiPattern {
  uint32_t head;
  uint32_t count;
  uint32_t value[8];
} SkorradevDiPattern;

// 0xB08 reply.
typedef struct SkorradevMoreInfoReply {
  uint32_t head;
  uint16_t model;
  uint16_t variant;
  uint32_t value[18];  // reply dwords 2..19
} SkorradevMoreInfoReply;

// 0xB0A reply: two zero-terminated texts.
typedef struct SkorradevVersionReply {
  uint32_t head;
  char text[2][16];
} SkorradevVersionReply;

#pragma pack(pop)

static_assert(sizeof(SkorradevChannelEntry) == 8, "channel entry");
static_assert(sizeof(SkorradevPciInfo) == 60, "0x900 record");
static_assert(sizeof(SkorradevDeviceInfoReply) == 380, "0x901 record");
static_assert(sizeof(SkorradevSamplingRequest) == 2120, "0xAC4 record");
static_assert(offsetof(SkorradevSamplingRequest, mode) == 2056 &&
                  offsetof(SkorradevSamplingRequest, clockCode) == 2072 &&
                  offsetof(SkorradevSamplingRequest, levelCode1) == 2092 &&
                  offsetof(SkorradevSamplingRequest, externalClock) == 2100 &&
                  offsetof(SkorradevSamplingRequest, memoryDivisor) == 2116,
              "0xAC4 layout");
static_assert(sizeof(SkorradevBmSamplingRequest) == 2160, "0xAE0 record");
static_assert(offsetof(SkorradevBmSamplingRequest, inputType) == 2056 &&
                  offsetof(SkorradevBmSamplingRequest, clockCode1) == 2076 &&
                  offsetof(SkorradevBmSamplingRequest, startCondition) == 2084 &&
                  offsetof(SkorradevBmSamplingRequest, stopHysteresisCode) == 2120 &&
                  offsetof(SkorradevBmSamplingRequest, clockOutputSelection) == 2124 &&
                  offsetof(SkorradevBmSamplingRequest, clockSelection) == 2144 &&
                  offsetof(SkorradevBmSamplingRequest, transferWidth) == 2156,
              "0xAE0 layout");
static_assert(sizeof(SkorradevMemSamplingRequest) == 2128, "0xAF4 record");
static_assert(offsetof(SkorradevMemSamplingRequest, clockCode) == 2060 &&
                  offsetof(SkorradevMemSamplingRequest, clockOutputSelection) == 2100 &&
                  offsetof(SkorradevMemSamplingRequest, transferWidth) == 2124,
              "0xAF4 layout");
static_assert(sizeof(SkorradevDataRequest) == 16 && offsetof(SkorradevDataRequest, buffer) == 8, "data request");
static_assert(sizeof(SkorradevFifoDataRequest) == 24 && offsetof(SkorradevFifoDataRequest, buffer2) == 16,
              "0xAEF record");
static_assert(sizeof(SkorradevBufferReadRequest) == 20 && offsetof(SkorradevBufferReadRequest, buffer) == 12,
              "0xAE7 record");
static_assert(sizeof(SkorradevStartRequest) == 12, "start record");
static_assert(sizeof(SkorradevStatusReply) == 16, "status record");
static_assert(sizeof(SkorradevInputAdShort) == 148 && offsetof(SkorradevInputAdShort, values) == 140,
              "0xACB short record");
static_assert(sizeof(SkorradevInputAdLong) == 2068 && offsetof(SkorradevInputAdLong, values) == 2060,
              "0xACB long record");
static_assert(sizeof(SkorradevTriggerRequest) == 32, "0xAD2 record");
static_assert(sizeof(SkorradevMemTriggerRequest) == 2084 && offsetof(SkorradevMemTriggerRequest, event) == 2080,
              "0xAD3 record");
static_assert(sizeof(SkorradevResourceReply) == 44, "0xAD1 record");
static_assert(sizeof(SkorradevDiPattern) == 40, "0xAF9 record");
static_assert(sizeof(SkorradevMoreInfoReply) == 80 && offsetof(SkorradevMoreInfoReply, value) == 8, "0xB08 record");
static_assert(sizeof(SkorradevVersionReply) == 36, "0xB0A record");

// ---------------------------------------------------------------- sizes

// Input and output sizes of a buffered request; FALSE for functions the
// driver does not have. 0xACB answers with the short form here; the long
// form (2068) is accepted as well. Direct requests (0xAD0, 0xAE4, 0xAFB,
// 0xB0C) report their input size and an output size of 0 (any).
SKORRADEV_API BOOL WINAPI SkorradevRequestSizes(DWORD function, DWORD* inSize, DWORD* outSize);

// ---------------------------------------------------------------- simulation

// Boards come from HKLM "System\CurrentControlSet\Services\Class\SKORRA":
// each subkey "NNN" (device number 1..255) is a board, with DWORD values
// "Board" (board id; bit 31 selects the 9x name "QV" over "ZT") and "Model"
// (4591 by default; also 4597, 4555, 5055). Without that key the process has
// SKORRA1 (model 4591) and SKORRA2 (model 4597). The registry is read at the
// first call, and again by SkorradevSimReset.
//
// Every call below answers FALSE for a device that does not exist.

// Re-reads the registry; boards with open handles are kept as they are.
SKORRADEV_API BOOL WINAPI SkorradevSimReset(void);
// Manual clock: scans come only from SkorradevSimAdvance (for deterministic
// tests). The board starts on its real-time clock.
SKORRADEV_API BOOL WINAPI SkorradevSimSetManualClock(DWORD device, BOOL manual);
// Produces `scans` scans of a running board at once, with their causes.
SKORRADEV_API BOOL WINAPI SkorradevSimAdvance(DWORD device, DWORD scans);
// Queues an interrupt with the given cause, event flags and event count.
SKORRADEV_API BOOL WINAPI SkorradevSimRaiseInterrupt(DWORD device, DWORD cause, DWORD flags, DWORD count);
// Makes every later request of `function` fail: with callFails the call
// itself returns FALSE with last error `value`; otherwise the reply status
// is `value`. SkorradevSimClearFaults ends all of them.
SKORRADEV_API BOOL WINAPI SkorradevSimSetFault(DWORD device, DWORD function, BOOL callFails, DWORD value);
SKORRADEV_API BOOL WINAPI SkorradevSimClearFaults(DWORD device);
// Replaces the capability record of 0x901 (94 dwords) for tests: the board
// then reports and acts as the model the record describes (dword 0 the model
// number, also in 0x900 and 0xB08; 1 the variant word of 0xB08; the
// channels, resolution, clock type and, by clock kind, how it reads clock
// codes). NULL gives the board its own record back. FALSE while it samples.
SKORRADEV_API BOOL WINAPI SkorradevSimSetDeviceInfo(DWORD device, const DWORD* info);
// Requests of `function` the board has handled (refused ones included); a
// request is counted once it has taken effect.
SKORRADEV_API DWORD WINAPI SkorradevSimRequestCount(DWORD device, DWORD function);
// Starts every count of the board's requests again from 0.
SKORRADEV_API BOOL WINAPI SkorradevSimClearRequestCounts(DWORD device);
// Pending 0xAD0 interrupt waits of the board.
SKORRADEV_API DWORD WINAPI SkorradevSimPendingWaits(DWORD device);
// The simulated signal (see the top of this file).
SKORRADEV_API DWORD WINAPI SkorradevSimSample(DWORD device, DWORD channel, DWORD scan, DWORD bits);
