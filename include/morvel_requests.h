// The request protocol between the Morvel library and its kernel driver
// Morvel00: device names, control codes, the record of every code, result
// codes and record sizes. One definition shared by both sides.
//
// Every request is a buffered device-control request whose record travels
// in and comes back in the same buffer. Records start with the head
// {u32 handle value, i16 result}; the status answers 0x40, 0x88 and 0x68
// and the counter wait 0x64 use +4 for data instead.
//
// On this 64-bit system a field that holds an address in the caller's memory
// is 64 bits wide where it stands, and the fields after it move to keep
// natural alignment. Handle and window values are below 2^31 and stay
// 32-bit. The static_asserts at the end pin every size and offset.
#pragma once
#include <cstddef>
#include <cstdint>

// ---- device names ------------------------------------------------------------

// The library opens "\\.\Xan00Dev" to "\\.\Xan55Dev" (the two digits are the
// device index); the driver registers the name without the "\\.\" prefix.
#define XAN_DEVICE_PATH_FORMAT "\\\\.\\Xan%02uDev"
#define XAN_DEVICE_NAME_FORMAT "Xan%02uDev"
inline constexpr unsigned kXanMaxDeviceIndex = 55;
inline constexpr unsigned kXanGroups = 16;

// ---- control codes -------------------------------------------------------------

// Device type 40000, function 0x900 + n, buffered, any access.
inline constexpr uint32_t kXanCodeBase = 0x9C402400u;
inline constexpr unsigned kXanCodeCount = 47;  // n = 0 .. 46
constexpr uint32_t XanCode(uint32_t offset) { return kXanCodeBase + offset; }
// Offset of a code (code - base); offsets of valid codes are multiples of 4
// from 0x00 to 0xB8.
constexpr uint32_t XanCodeOffset(uint32_t code) { return code - kXanCodeBase; }

// `XanControlCode`: the offsets, by what the request does.
enum XanControlCode : uint32_t {
  XAN_OPEN = 0x00,
  XAN_INP = 0x04,
  XAN_INP_BACK = 0x08,
  XAN_INP_BD_MEM = 0x0C,
  XAN_READ_BUF = 0x10,
  XAN_SET_GAIN = 0x14,
  XAN_RANGE = 0x18,
  XAN_RELAY = 0x1C,
  XAN_OUT = 0x20,
  XAN_OUT_BACK = 0x24,
  XAN_DI = 0x28,
  XAN_DO = 0x2C,
  XAN_STS = 0x30,
  XAN_STOP = 0x34,
  XAN_CLOSE = 0x38,
  XAN_WAIT_BACK = 0x3C,
  XAN_BACK_STATUS = 0x40,
  XAN_IS_DATA_READY = 0x44,
  XAN_OPEN_CNT_GATE = 0x48,
  XAN_CLOSE_CNT_GATE = 0x4C,
  XAN_SET_CNT_DATA = 0x50,
  XAN_GET_CNT_DATA = 0x54,
  XAN_GET_CNT_STS = 0x58,
  XAN_RESET_CNT_STS = 0x5C,
  XAN_SET_CNT_COMMAND = 0x60,
  XAN_WAIT_CNT = 0x64,
  XAN_CNT_STATUS = 0x68,
  XAN_IS_CNT_DATA_READY = 0x6C,
  XAN_LATCH_CNT_DATA = 0x70,
  XAN_CHANGE_CNT_ERR_LIMIT = 0x74,
  XAN_SET_CNT_DATA_B = 0x78,
  XAN_GET_CNT_DATA_B = 0x7C,
  XAN_BACK_DATA = 0x80,
  XAN_WAIT_BD_MEM = 0x84,
  XAN_BD_MEM_STATUS = 0x88,
  XAN_BOARD_RESET = 0x8C,
  XAN_MEMORY_RESET = 0x90,
  XAN_SET_WRITE_ADDRESS = 0x94,
  XAN_GET_WRITE_ADDRESS = 0x98,
  XAN_SET_READ_ADDRESS = 0x9C,
  XAN_GET_READ_ADDRESS = 0xA0,
  XAN_GET_TRG_WRITE_ADDRESS = 0xA4,
  XAN_GET_AI_DATA = 0xA8,
  XAN_SET_RANGE = 0xAC,
  XAN_GET_RANGE = 0xB0,
  XAN_SET_AI = 0xB4,
  XAN_BINARY_TO_VOLT = 0xB8,
};

// ---- results ---------------------------------------------------------------------

// `XanResult`: 16-bit signed, returned by the library sign-extended.
enum XanResult : int16_t {
  XAN_OK = 0,
  XAN_E_INDEX = 1,            // device index above 55
  XAN_E_CALL = 2,             // the request could not be made / unknown handle
  XAN_E_GROUP = 3,            // group 0, above 16 or not configured
  XAN_E_OWNED = 4,            // another handle owns the board (+0 holds it)
  XAN_E_THREAD = 5,           // a notification thread or event could not be made
  XAN_E_HANDLE_OWNS = 6,      // this handle value already owns a board
  XAN_E_MESSAGE = 12,         // a message number neither 0 nor 1024..32767
  XAN_E_PCI_SEARCH = 16,      // start-up codes of the board search
  XAN_E_PCI_SEARCH2 = 17,
  XAN_E_BOARD = 768,
  XAN_E_CHANNEL = 769,
  XAN_E_CHANNEL_COUNT = 770,
  XAN_E_BUSY = 771,
  XAN_E_MODE = 772,
  XAN_E_SAMPLES = 773,
  XAN_E_SAMPLING_CLOCK = 774,
  XAN_E_TRIGGER_SOURCE = 775,
  XAN_E_RING = 776,
  XAN_E_SCAN_CLOCK = 777,
  XAN_E_CLOCK_SOURCE = 778,
  XAN_E_REPEAT = 779,
  XAN_E_DELAY = 780,
  XAN_E_TRIGGER_EDGE = 781,
  XAN_E_TRIGGER_CHANNEL = 782,
  XAN_E_TRIGGER_LEVEL = 783,
  XAN_E_TRIGGER_DIRECTION = 784,
  XAN_E_START_POSITION = 785,
  XAN_E_SCANS = 786,
  XAN_E_GAIN_CHANNEL = 788,
  XAN_E_GAIN_MODE = 787,
  XAN_E_GAIN_CODE = 789,
  XAN_E_BOARD_INDEX = 790,
  XAN_E_NOT_RUNNING = 791,
  XAN_E_NO_INP = 801,
  XAN_E_NO_OUT = 802,
  XAN_E_OUT_SAMPLES = 803,
  XAN_E_OUT_REPEAT = 804,
  XAN_E_TIME_BASE = 805,
  XAN_E_CLOCK_COUNT = 806,
  XAN_E_NO_GAIN = 807,
  XAN_E_NO_DI = 808,
  XAN_E_NO_DO = 809,
  XAN_E_NO_RANGE = 810,
  XAN_E_RANGE_CHANNEL = 811,
  XAN_E_RANGE_CODE = 812,
  XAN_E_RANGE_COUNT = 813,
  XAN_E_NO_DATA = 815,
  XAN_E_PORT = 821,
  XAN_E_COUNTER = 822,
  XAN_E_COUNT = 823,
  XAN_E_GATE_OPEN = 824,
  XAN_E_NO_COUNTER = 825,
  XAN_E_NO_DATA_READY = 826,
  XAN_E_MEMORY = 827,
  XAN_E_CONVERSION = 848,
  XAN_E_UNKNOWN_HANDLE = 1280,
  XAN_E_WAKE = 1281,
  XAN_E_SET_RANGE_DIRECTION = 10000,
  XAN_E_SET_RANGE_SCOPE = 10001,
  XAN_E_SET_RANGE_CHANNEL = 10002,
  XAN_E_SET_RANGE_CODE = 10003,
  XAN_E_PRIORITY = 20000,
  XAN_E_NOT_SUPPORTED = -1,
};

// Board record states reported by the status answers.
enum XanState : int16_t {
  XAN_STATE_FINISHED = 0,
  XAN_STATE_STARTED = 1,
  XAN_STATE_RUNNING = 2,
  XAN_STATE_DATA_READY = 3,
  XAN_STATE_STOPPED = 4,
  XAN_STATE_ERROR = 5,
  XAN_STATE_MEMORY_16 = 16,
  XAN_STATE_MEMORY_17 = 17,
  XAN_STATE_CLOSED = 255,
};

// ---- records -------------------------------------------------------------------------

// The head, spelled into each record so that the field after it can sit at +6.
#define XAN_HEAD      \
  uint32_t handle; /* in: the caller's handle value */ \
  int16_t result   /* out */

struct XanHead {
  XAN_HEAD;
  uint16_t code6;  // the first field of most records
};

// Head only: close (36 bytes), the waits 0x3C and 0x84 (32), and the 8-byte
// requests 0x4C, 0x5C, 0x70, 0x8C, 0x90.
struct XanHeadOnly8 {
  XAN_HEAD;
  uint16_t unused6;
};
struct XanClose36 {
  XAN_HEAD;
  uint8_t unused[30];
};

struct XanOpenRecord {  // 0x00
  XAN_HEAD;  // handle out: the owner's handle value on result 4
  uint16_t deviceIndex;
  int16_t group;
  uint16_t unused10;
};

// Single input 0x04 and single output 0x20.
struct XanSingleIoRecord {
  XAN_HEAD;
  uint16_t unused6;
  uint64_t valuesAddress;       // u16 array: one value or code per listed channel
  uint64_t channelListAddress;  // u16 channel list
  int16_t count;
  uint8_t unused26[6];
};

// Background input 0x08 and background output 0x24.
struct XanBackRecord {
  XAN_HEAD;
  int16_t mode;
  uint32_t windowA;
  uint16_t messageA;
  uint16_t unused14;
  uint32_t windowB;
  uint16_t messageB;
  uint16_t unused22;
  uint64_t dataAddress;         // u16 data, channel-interleaved
  uint64_t channelListAddress;  // u16 channel list
  int16_t count;
  uint16_t samplesPerChannel;   // output only; not read for input
  uint32_t scansOrRepeat;       // input: scans; output: repeat count
  uint16_t timeBase;
  uint16_t clockCount;
  uint32_t reserved;            // kept by the driver, handed back in status and stop
  uint8_t unused56[8];
};

struct XanInpBdMemRecord {  // 0x0C
  XAN_HEAD;
  int16_t mode;
  uint32_t windowA;
  uint16_t messageA;
  uint16_t unused14;
  uint32_t windowB;
  uint16_t messageB;
  uint16_t unused22;
  uint64_t channelListAddress;
  int16_t channelCount;
  uint16_t unused34;
  int32_t samplesPerChannel;
  int32_t samplingClock;
  int16_t triggerSource;
  int16_t memoryRing;
  int16_t scanClock;
  int16_t clockSource;
  int32_t repeatCount;
  int32_t delayCount;
  int16_t triggerEdge;       // modes 0 and 1
  uint16_t triggerChannel;   // modes 2 and 3
  uint16_t triggerLevel1;
  uint16_t triggerLevel2;
  int16_t triggerDirection;  // modes 2 and 3
  uint16_t unused70;
  uint32_t reserved;
  uint8_t unused76[4];
};

struct XanReadBufRecord {  // 0x10
  XAN_HEAD;
  uint16_t unused6;
  int32_t startPosition;
  int32_t scans;
  uint64_t arrayAddress;  // u16 array: channel count x scans values
};

struct XanSetGainRecord {  // 0x14
  XAN_HEAD;
  uint16_t gainMode;
  int16_t channel;
  int16_t gainCode;
};

struct XanRangeRecord {  // 0x18
  XAN_HEAD;
  uint16_t unused6;
  uint64_t channelListAddress;  // i16 channels
  uint64_t rangeListAddress;    // i16 range codes
  int16_t count;
  uint8_t unused26[6];
};

struct XanRelayRecord {  // 0x1C, answered by no handler
  XAN_HEAD;
  uint16_t value6;
  uint32_t value8;
  uint16_t value12;
  uint16_t value14;
};

// Digital input 0x28 and output 0x2C.
struct XanDigitalRecord {
  XAN_HEAD;
  uint16_t portSelector;  // low 4 bits board index, high byte port
  uint16_t value;         // out for 0x28, in for 0x2C
  uint16_t unused10;
};

struct XanStsRecord {  // 0x30
  XAN_HEAD;
  uint16_t state;
  uint32_t count;
  uint16_t passCount;
  uint16_t unused14;
};

struct XanStopRecord {  // 0x34
  XAN_HEAD;
  uint16_t state;  // 4 on success
  uint32_t windowA;
  uint16_t messageA;
  uint16_t unused14;
  uint32_t windowB;
  uint16_t messageB;
  uint16_t unused22;
  uint32_t reserved;
  uint32_t unused28;
  uint16_t triggerSource;
  uint16_t unused34;
};

struct XanWait32Record {  // 0x3C and 0x84
  XAN_HEAD;
  uint8_t unused6[24];
  uint8_t memoryFlag;  // 0x84 out: 0 when the state is 3, else 1
  uint8_t unused31;
};

// The status answers 0x40 and 0x88: +4 carries data, not the result.
struct XanNotifyStatusRecord {
  uint32_t handle;
  uint32_t windowA;
  uint16_t messageA;
  uint16_t unused10;
  uint32_t windowB;
  uint16_t messageB;
  uint16_t unused18;
  uint32_t reserved;
  uint32_t unused24;
  int16_t state;
  uint16_t unused30;
};

// A single caller word, byte or dword written by the driver: 0x44, 0x54,
// 0x58, 0x6C, 0x7C, 0x98, 0xA0, 0xA4.
struct XanAddressRecord {
  XAN_HEAD;
  uint8_t counter;  // 0x54 and 0x7C: the counter 0..2
  uint8_t unused7;
  uint64_t address;
};

// A 32-bit value in: 0x50 (count), 0x94 and 0x9C (board-memory address).
struct XanValueRecord {
  XAN_HEAD;
  uint8_t counter;  // 0x50: the counter 0..2
  uint8_t unused7;
  uint32_t value;
};

struct XanCntGateRecord {  // 0x48
  XAN_HEAD;
  uint16_t unused6;
  uint32_t window;
  uint16_t message;
  uint8_t unused14[10];
};

// One-byte or one-word argument at +6: 0x60 (control word), 0x74 (limit).
struct XanSmallRecord {
  XAN_HEAD;
  uint16_t value;  // 0x60 uses its low byte only
};

// The counter wait 0x64 and counter status 0x68 (+4 carries data).
struct XanCntNotifyRecord {
  uint32_t handle;
  uint32_t window;  // 0x64 out
  uint16_t message; // 0x64 out
  uint8_t unused10[10];
  int16_t state;    // 0x68 out
  uint16_t unused22;
};

struct XanSetCntDataBRecord {  // 0x78
  XAN_HEAD;
  uint8_t counter;
  uint8_t unused7;
  uint16_t value;
  uint16_t unused10;
};

struct XanBackDataRecord {  // 0x80
  XAN_HEAD;
  uint8_t unused6[6];
  uint16_t more;  // out: 0 when finished and every scan acquired, else 1
  uint16_t unused14;
};

struct XanGetAIDataRecord {  // 0xA8
  XAN_HEAD;
  uint16_t unused6;
  uint32_t number;  // values to read, at most 0x40000
  uint32_t unused12;
  uint64_t arrayAddress;
};

struct XanSetRangeRecord {  // 0xAC
  XAN_HEAD;
  uint16_t direction;  // 0 input, 1 output
  uint16_t scope;      // 0 every channel, 1 one channel
  uint16_t channel;
  uint16_t rangeCode;
  uint16_t unused14;
};

struct XanGetRangeRecord {  // 0xB0
  XAN_HEAD;
  uint16_t direction;
  uint16_t scope;
  uint16_t channel;
  uint8_t unused12[4];
  uint64_t codeAddress;  // u16 receiving the recorded range code
};

struct XanSetAIRecord {  // 0xB4
  XAN_HEAD;
  uint16_t value6;
  uint16_t value8;
  uint16_t unused10;
};

// 0xB8: no head; the driver takes the first four bytes as the handle value
// and writes a result at +4, so the buffer is 12 bytes.
struct XanBinaryToVoltRecord {
  int16_t result;
  uint16_t value;
  int16_t driverResult;
  uint8_t unused6[6];
};

// `XanRequest`: one buffer that holds the record of any code.
inline constexpr std::size_t kXanMaxRecord = 80;
union XanRequest {
  unsigned char bytes[kXanMaxRecord];  // first, so that XanRequest{} zeroes it all
  XanHead head;
  XanOpenRecord open;
  XanSingleIoRecord singleIo;
  XanBackRecord back;
  XanInpBdMemRecord bdMem;
  XanReadBufRecord readBuf;
  XanSetGainRecord setGain;
  XanRangeRecord range;
  XanRelayRecord relay;
  XanDigitalRecord digital;
  XanStsRecord sts;
  XanStopRecord stop;
  XanClose36 close;
  XanWait32Record wait;
  XanNotifyStatusRecord notifyStatus;
  XanAddressRecord address;
  XanValueRecord value;
  XanCntGateRecord cntGate;
  XanSmallRecord small;
  XanCntNotifyRecord cntNotify;
  XanSetCntDataBRecord cntDataB;
  XanBackDataRecord backData;
  XanGetAIDataRecord aiData;
  XanSetRangeRecord setRange;
  XanGetRangeRecord getRange;
  XanSetAIRecord setAI;
  XanBinaryToVoltRecord binaryToVolt;
};

// ---- record sizes ----------------------------------------------------------------------

// Record size of each code, by n = offset / 4. The relay's 16 bytes are what
// the library sends; the driver answers it with 0 bytes.
inline constexpr uint16_t kXanRecordSize[kXanCodeCount] = {
    12, 32, 64, 80, 24, 12, 32, 16,  // 0x00 .. 0x1C
    32, 64, 12, 12, 16, 36, 36, 32,  // 0x20 .. 0x3C
    32, 16, 24, 8,  12, 16, 16, 8,   // 0x40 .. 0x5C
    8,  24, 24, 16, 8,  8,  12, 16,  // 0x60 .. 0x7C
    16, 32, 32, 8,  8,  12, 16, 12,  // 0x80 .. 0x9C
    16, 16, 24, 16, 24, 12, 12,      // 0xA0 .. 0xB8
};
// Size of the record of an offset; 0 for offsets that are not codes.
constexpr uint16_t XanRecordSize(uint32_t offset) {
  return (offset % 4 == 0 && offset / 4 < kXanCodeCount) ? kXanRecordSize[offset / 4] : 0;
}

// ---- layout pins -----------------------------------------------------------------------

#define XAN_PIN(type, field, at) static_assert(offsetof(type, field) == (at), #type "." #field)
static_assert(sizeof(XanHead) == 8 && offsetof(XanHead, result) == 4 && offsetof(XanHead, code6) == 6);
static_assert(sizeof(XanHeadOnly8) == 8 && sizeof(XanClose36) == 36);
static_assert(sizeof(XanOpenRecord) == 12);
XAN_PIN(XanOpenRecord, deviceIndex, 6);
XAN_PIN(XanOpenRecord, group, 8);
static_assert(sizeof(XanSingleIoRecord) == 32);
XAN_PIN(XanSingleIoRecord, valuesAddress, 8);
XAN_PIN(XanSingleIoRecord, channelListAddress, 16);
XAN_PIN(XanSingleIoRecord, count, 24);
static_assert(sizeof(XanBackRecord) == 64);
XAN_PIN(XanBackRecord, mode, 6);
XAN_PIN(XanBackRecord, windowA, 8);
XAN_PIN(XanBackRecord, messageA, 12);
XAN_PIN(XanBackRecord, windowB, 16);
XAN_PIN(XanBackRecord, messageB, 20);
XAN_PIN(XanBackRecord, dataAddress, 24);
XAN_PIN(XanBackRecord, channelListAddress, 32);
XAN_PIN(XanBackRecord, count, 40);
XAN_PIN(XanBackRecord, samplesPerChannel, 42);
XAN_PIN(XanBackRecord, scansOrRepeat, 44);
XAN_PIN(XanBackRecord, timeBase, 48);
XAN_PIN(XanBackRecord, clockCount, 50);
XAN_PIN(XanBackRecord, reserved, 52);
static_assert(sizeof(XanInpBdMemRecord) == 80);
XAN_PIN(XanInpBdMemRecord, mode, 6);
XAN_PIN(XanInpBdMemRecord, windowA, 8);
XAN_PIN(XanInpBdMemRecord, messageA, 12);
XAN_PIN(XanInpBdMemRecord, windowB, 16);
XAN_PIN(XanInpBdMemRecord, messageB, 20);
XAN_PIN(XanInpBdMemRecord, channelListAddress, 24);
XAN_PIN(XanInpBdMemRecord, channelCount, 32);
XAN_PIN(XanInpBdMemRecord, samplesPerChannel, 36);
XAN_PIN(XanInpBdMemRecord, samplingClock, 40);
XAN_PIN(XanInpBdMemRecord, triggerSource, 44);
XAN_PIN(XanInpBdMemRecord, memoryRing, 46);
XAN_PIN(XanInpBdMemRecord, scanClock, 48);
XAN_PIN(XanInpBdMemRecord, clockSource, 50);
XAN_PIN(XanInpBdMemRecord, repeatCount, 52);
XAN_PIN(XanInpBdMemRecord, delayCount, 56);
XAN_PIN(XanInpBdMemRecord, triggerEdge, 60);
XAN_PIN(XanInpBdMemRecord, triggerChannel, 62);
XAN_PIN(XanInpBdMemRecord, triggerLevel1, 64);
XAN_PIN(XanInpBdMemRecord, triggerLevel2, 66);
XAN_PIN(XanInpBdMemRecord, triggerDirection, 68);
XAN_PIN(XanInpBdMemRecord, reserved, 72);
static_assert(sizeof(XanReadBufRecord) == 24);
XAN_PIN(XanReadBufRecord, startPosition, 8);
XAN_PIN(XanReadBufRecord, scans, 12);
XAN_PIN(XanReadBufRecord, arrayAddress, 16);
static_assert(sizeof(XanSetGainRecord) == 12);
XAN_PIN(XanSetGainRecord, gainMode, 6);
XAN_PIN(XanSetGainRecord, channel, 8);
XAN_PIN(XanSetGainRecord, gainCode, 10);
static_assert(sizeof(XanRangeRecord) == 32);
XAN_PIN(XanRangeRecord, channelListAddress, 8);
XAN_PIN(XanRangeRecord, rangeListAddress, 16);
XAN_PIN(XanRangeRecord, count, 24);
static_assert(sizeof(XanRelayRecord) == 16);
XAN_PIN(XanRelayRecord, value8, 8);
XAN_PIN(XanRelayRecord, value12, 12);
XAN_PIN(XanRelayRecord, value14, 14);
static_assert(sizeof(XanDigitalRecord) == 12);
XAN_PIN(XanDigitalRecord, portSelector, 6);
XAN_PIN(XanDigitalRecord, value, 8);
static_assert(sizeof(XanStsRecord) == 16);
XAN_PIN(XanStsRecord, state, 6);
XAN_PIN(XanStsRecord, count, 8);
XAN_PIN(XanStsRecord, passCount, 12);
static_assert(sizeof(XanStopRecord) == 36);
XAN_PIN(XanStopRecord, state, 6);
XAN_PIN(XanStopRecord, windowA, 8);
XAN_PIN(XanStopRecord, messageA, 12);
XAN_PIN(XanStopRecord, windowB, 16);
XAN_PIN(XanStopRecord, messageB, 20);
XAN_PIN(XanStopRecord, reserved, 24);
XAN_PIN(XanStopRecord, triggerSource, 32);
static_assert(sizeof(XanWait32Record) == 32);
XAN_PIN(XanWait32Record, memoryFlag, 30);
static_assert(sizeof(XanNotifyStatusRecord) == 32);
XAN_PIN(XanNotifyStatusRecord, windowA, 4);
XAN_PIN(XanNotifyStatusRecord, messageA, 8);
XAN_PIN(XanNotifyStatusRecord, windowB, 12);
XAN_PIN(XanNotifyStatusRecord, messageB, 16);
XAN_PIN(XanNotifyStatusRecord, reserved, 20);
XAN_PIN(XanNotifyStatusRecord, state, 28);
static_assert(sizeof(XanAddressRecord) == 16);
XAN_PIN(XanAddressRecord, counter, 6);
XAN_PIN(XanAddressRecord, address, 8);
static_assert(sizeof(XanValueRecord) == 12);
XAN_PIN(XanValueRecord, counter, 6);
XAN_PIN(XanValueRecord, value, 8);
static_assert(sizeof(XanCntGateRecord) == 24);
XAN_PIN(XanCntGateRecord, window, 8);
XAN_PIN(XanCntGateRecord, message, 12);
static_assert(sizeof(XanSmallRecord) == 8);
XAN_PIN(XanSmallRecord, value, 6);
static_assert(sizeof(XanCntNotifyRecord) == 24);
XAN_PIN(XanCntNotifyRecord, window, 4);
XAN_PIN(XanCntNotifyRecord, message, 8);
XAN_PIN(XanCntNotifyRecord, state, 20);
static_assert(sizeof(XanSetCntDataBRecord) == 12);
XAN_PIN(XanSetCntDataBRecord, counter, 6);
XAN_PIN(XanSetCntDataBRecord, value, 8);
static_assert(sizeof(XanBackDataRecord) == 16);
XAN_PIN(XanBackDataRecord, more, 12);
static_assert(sizeof(XanGetAIDataRecord) == 24);
XAN_PIN(XanGetAIDataRecord, number, 8);
XAN_PIN(XanGetAIDataRecord, arrayAddress, 16);
static_assert(sizeof(XanSetRangeRecord) == 16);
XAN_PIN(XanSetRangeRecord, direction, 6);
XAN_PIN(XanSetRangeRecord, scope, 8);
XAN_PIN(XanSetRangeRecord, channel, 10);
XAN_PIN(XanSetRangeRecord, rangeCode, 12);
static_assert(sizeof(XanGetRangeRecord) == 24);
XAN_PIN(XanGetRangeRecord, channel, 10);
XAN_PIN(XanGetRangeRecord, codeAddress, 16);
static_assert(sizeof(XanSetAIRecord) == 12);
XAN_PIN(XanSetAIRecord, value6, 6);
XAN_PIN(XanSetAIRecord, value8, 8);
static_assert(sizeof(XanBinaryToVoltRecord) == 12);
XAN_PIN(XanBinaryToVoltRecord, value, 2);
XAN_PIN(XanBinaryToVoltRecord, driverResult, 4);
static_assert(sizeof(XanRequest) == kXanMaxRecord);
#undef XAN_PIN
#undef XAN_HEAD

// Each code's record type fits its size (the table and the structs agree).
static_assert(XanRecordSize(XAN_OPEN) == sizeof(XanOpenRecord));
static_assert(XanRecordSize(XAN_INP) == sizeof(XanSingleIoRecord));
static_assert(XanRecordSize(XAN_OUT) == sizeof(XanSingleIoRecord));
static_assert(XanRecordSize(XAN_INP_BACK) == sizeof(XanBackRecord));
static_assert(XanRecordSize(XAN_OUT_BACK) == sizeof(XanBackRecord));
static_assert(XanRecordSize(XAN_INP_BD_MEM) == sizeof(XanInpBdMemRecord));
static_assert(XanRecordSize(XAN_READ_BUF) == sizeof(XanReadBufRecord));
static_assert(XanRecordSize(XAN_RANGE) == sizeof(XanRangeRecord));
static_assert(XanRecordSize(XAN_STOP) == sizeof(XanStopRecord));
static_assert(XanRecordSize(XAN_CLOSE) == sizeof(XanClose36));
static_assert(XanRecordSize(XAN_BACK_STATUS) == sizeof(XanNotifyStatusRecord));
static_assert(XanRecordSize(XAN_IS_DATA_READY) == sizeof(XanAddressRecord));
static_assert(XanRecordSize(XAN_WAIT_CNT) == sizeof(XanCntNotifyRecord));
static_assert(XanRecordSize(XAN_GET_AI_DATA) == sizeof(XanGetAIDataRecord));
static_assert(XanRecordSize(XAN_GET_RANGE) == sizeof(XanGetRangeRecord));
static_assert(XanRecordSize(XAN_BINARY_TO_VOLT) == sizeof(XanBinaryToVoltRecord));
