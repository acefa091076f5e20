// The outside side of Halvik: its kernel driver's device-control protocol
// and the IoControl entries of the two sibling libraries (the virtual
// device library, bus kind 10, and the bus library, bus kind 3).
//
// Kernel requests are CTL_CODE(0x22, function, METHOD_BUFFERED,
// FILE_ANY_ACCESS) unless noted; the same block is the input and the
// output, of one fixed size per family, and the driver leaves its status
// in the block (0 = success). Sibling commands are 16-bit codes with one
// record as input and output; the record's int32 status is first.
//
// A block field that carries a caller's address is 8 bytes wide where it
// stands, so every field behind it sits 4 bytes further on than in a
// 32-bit layout; the offsets below are the ones both sides use. Handles
// and window values travel in 32-bit fields (they stay below 2^31).
//
// Blocks are read and written through offsets (WireRecord), because some
// requests read the same bytes in two ways (the minimum sampling clock as
// two int32 parts where the sampling clock setter keeps a double).
#pragma once
#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <type_traits>

namespace halvikdrv {

constexpr DWORD kernelCode(DWORD function) { return (0x22u << 16) | (function << 2); }

// ---- Block sizes -------------------------------------------------------
inline constexpr std::size_t kDeviceBlockSize = 56;
inline constexpr std::size_t kAiBlockSize = 2236;   // one address field
inline constexpr std::size_t kAoBlockSize = 2196;   // two address fields
inline constexpr std::size_t kCntBlockSize = 1112;  // two address fields
inline constexpr std::size_t kTmBlockSize = 1076;
inline constexpr std::size_t kDioBlockSize = 24;
inline constexpr std::size_t kOwnershipRecordSize = 8;  // {status, process id}

// ---- DeviceParamBlock ------------------------------------------------------
namespace dev {
inline constexpr std::size_t kStatus = 0;          // int32
inline constexpr std::size_t kProcessId = 4;       // int32
inline constexpr std::size_t kFilterValue = 12;    // uint32, control filter
inline constexpr std::size_t kTableIndex = 28;     // int16, open
inline constexpr std::size_t kGetFlag = 32;        // int16
inline constexpr std::size_t kSignal = 36;         // int16, control filter
inline constexpr std::size_t kEcuDestination = 38; // int16
inline constexpr std::size_t kEcuSource = 40;      // int16
inline constexpr std::size_t kRevision = 44;       // char[12]
inline constexpr std::size_t kRevisionSize = 12;
static_assert(kRevision + kRevisionSize == kDeviceBlockSize);
}  // namespace dev

// ---- AiParamBlock ------------------------------------------------------------
namespace ai {
inline constexpr std::size_t kTransferMode = 0;          // int16
inline constexpr std::size_t kDeviceBufferMode = 2;      // int16
inline constexpr std::size_t kAttachedData = 16;         // int32
inline constexpr std::size_t kSamplingDataSize = 20;     // int16 (out)
inline constexpr std::size_t kLevel1 = 24;               // int32
inline constexpr std::size_t kLevel2 = 28;               // int32
inline constexpr std::size_t kStateTimes = 32;           // int32
inline constexpr std::size_t kEventTransferTimes = 36;   // int32
inline constexpr std::size_t kTransferCount = 40;        // int32 (out)
inline constexpr std::size_t kTransferLap = 44;          // int32 (out)
inline constexpr std::size_t kAdjustType = 48;           // int16 (or Offset)
inline constexpr std::size_t kAdjustData = 50;           // int16 (or Gain)
inline constexpr std::size_t kStatus = 1084;             // int32
inline constexpr std::size_t kMemorySizeIn = 1088;       // int32
inline constexpr std::size_t kStopTimes = 1092;          // int32
inline constexpr std::size_t kSamplingClock = 1096;      // double (clock setter)
inline constexpr std::size_t kMinClockWhole = 1096;      // int32 (min clock read)
inline constexpr std::size_t kMinClockThousandths = 1100;  // int32
inline constexpr std::size_t kScanClock = 1104;          // double
inline constexpr std::size_t kRepeatTimes = 1112;        // int32
inline constexpr std::size_t kLevel = 1116;              // int32 raw count
inline constexpr std::size_t kEventMask = 1120;          // int32; stop: message flag
inline constexpr std::size_t kStatusBits = 1124;         // int32; bit 0 running
inline constexpr std::size_t kStatusBitClear = 1128;     // int16
inline constexpr std::size_t kStopDelayTimes = 1136;     // int32
inline constexpr std::size_t kSamplingCount = 1140;      // int32 (out)
inline constexpr std::size_t kRepeatCount = 1144;        // int32 (out)
inline constexpr std::size_t kStopTriggerCount = 1148;   // int32 (out)
inline constexpr std::size_t kEventSamplingTimes = 1152; // int32
inline constexpr std::size_t kWindow = 1160;             // int32
inline constexpr std::size_t kMemorySizeOut = 1168;      // int32 (out)
inline constexpr std::size_t kDataAddress = 1172;        // 8-byte address
inline constexpr std::size_t kResolution = 1180;         // int16
inline constexpr std::size_t kInputMethod = 1182;        // int16
inline constexpr std::size_t kChannels = 1184;           // int16 (or int32 count)
inline constexpr std::size_t kSequence = 1186;           // int16
inline constexpr std::size_t kChannel = 1188;            // int16
inline constexpr std::size_t kRange = 1190;              // int16
inline constexpr std::size_t kStartTrigger = 1192;       // int16
inline constexpr std::size_t kStopTrigger = 1194;        // int16
inline constexpr std::size_t kClockType = 1196;          // int16
inline constexpr std::size_t kClockEdge = 1198;          // int16
inline constexpr std::size_t kMemoryType = 1200;         // int16
inline constexpr std::size_t kDirection = 1202;          // int16
inline constexpr std::size_t kGetFlag = 1204;            // int16
inline constexpr std::size_t kChannelRanges = 1206;      // int16 array
inline constexpr std::size_t kChannelEnabled = 2230;     // int16
inline constexpr std::size_t kDeviceMemoryFlag = 2232;   // int16
static_assert(kChannelRanges + 512 * 2 <= kChannelEnabled);
static_assert(kDeviceMemoryFlag + 2 <= kAiBlockSize);
}  // namespace ai

// ---- AoParamBlock ------------------------------------------------------------
namespace ao {
inline constexpr std::size_t kTransferMode = 0;          // int16
inline constexpr std::size_t kDeviceBufferMode = 2;      // int16
inline constexpr std::size_t kDataNumber = 4;            // int32
inline constexpr std::size_t kTransferBuffer = 8;        // 8-byte address
inline constexpr std::size_t kAttachedData = 16;         // int32
inline constexpr std::size_t kSamplingDataSize = 20;     // int16
inline constexpr std::size_t kTransferTimes = 24;        // int32
inline constexpr std::size_t kTransferCount = 28;        // int32
inline constexpr std::size_t kTransferLap = 32;          // int32
inline constexpr std::size_t kAdjustType = 36;           // int16
inline constexpr std::size_t kAdjustData = 38;           // int16
inline constexpr std::size_t kEventWords = 40;           // int32[256]
inline constexpr std::size_t kEventWordCount = 1064;     // int32
inline constexpr std::size_t kListFlag = 1068;           // int16
inline constexpr std::size_t kParkFlag = 1070;           // int16
inline constexpr std::size_t kStatus = 1072;             // int32
inline constexpr std::size_t kProcessId = 1076;          // int32
inline constexpr std::size_t kClockWhole = 1084;         // int32
inline constexpr std::size_t kClockThousandths = 1088;   // int32
inline constexpr std::size_t kRepeatTimes = 1092;        // int32
inline constexpr std::size_t kEventMask = 1096;          // int32
inline constexpr std::size_t kStatusBits = 1100;         // int32; bit 0 running
inline constexpr std::size_t kSamplingTimes = 1104;      // int32
inline constexpr std::size_t kSamplingCount = 1108;      // int32
inline constexpr std::size_t kRepeatCount = 1112;        // int32
inline constexpr std::size_t kWindow = 1120;             // int32
inline constexpr std::size_t kEventSamplingTimes = 1128; // int32
inline constexpr std::size_t kEventBits = 1132;          // int32
inline constexpr std::size_t kMemorySize = 1136;         // int32
inline constexpr std::size_t kDataAddress = 1140;        // 8-byte address
inline constexpr std::size_t kResolution = 1148;         // int16
inline constexpr std::size_t kChannels = 1152;           // int16
inline constexpr std::size_t kChannel = 1154;            // int16
inline constexpr std::size_t kRange = 1156;              // int16
inline constexpr std::size_t kStartTrigger = 1158;       // int16
inline constexpr std::size_t kStopTrigger = 1160;        // int16
inline constexpr std::size_t kClockType = 1162;          // int16
inline constexpr std::size_t kClockEdge = 1164;          // int16
inline constexpr std::size_t kMemoryType = 1166;         // int16
inline constexpr std::size_t kGetFlag = 1168;            // int16
inline constexpr std::size_t kChannelRanges = 1170;      // int16 array
static_assert(kEventWords + 256 * 4 == kEventWordCount);
static_assert(kChannelRanges + 256 * 2 <= kAoBlockSize);
}  // namespace ao

// ---- CntParamBlock -----------------------------------------------------------
namespace cnt {
inline constexpr std::size_t kStatus = 0;              // int32
inline constexpr std::size_t kCounterStatus = 8;       // int32
inline constexpr std::size_t kEventMask = 12;          // int32
inline constexpr std::size_t kWindow = 20;             // int32
inline constexpr std::size_t kIoEvent = 24;            // int32 handle
inline constexpr std::size_t kPresetNumber = 28;       // int32
inline constexpr std::size_t kPresetData = 32;         // 8-byte address
inline constexpr std::size_t kComparisonNumber = 40;   // int32
inline constexpr std::size_t kComparisonData = 44;     // 8-byte address
inline constexpr std::size_t kPresetValue = 52;        // int32
inline constexpr std::size_t kCount = 56;              // int32
inline constexpr std::size_t kFilterValue = 60;        // int32
inline constexpr std::size_t kComparisonMode = 64;     // int32
inline constexpr std::size_t kEventWords = 68;         // int32 array
inline constexpr std::size_t kEventWordCount = 1092;   // int16
inline constexpr std::size_t kGetFlag = 1096;          // int16
inline constexpr std::size_t kMaxChannels = 1098;      // int16
inline constexpr std::size_t kChannel = 1100;          // int16
inline constexpr std::size_t kFlag = 1102;             // int16
inline constexpr std::size_t kInputSignal = 1104;      // int16
inline constexpr std::size_t kFilterSignal = 1106;     // int16
inline constexpr std::size_t kStopped = 1108;          // int16
static_assert(kStopped + 2 <= kCntBlockSize);
}  // namespace cnt

// ---- TmParamBlock ------------------------------------------------------------
namespace tm {
inline constexpr std::size_t kStatus = 0;          // int32
inline constexpr std::size_t kEventMask = 8;       // int32; stop: notify flag
inline constexpr std::size_t kWindow = 16;         // int32
inline constexpr std::size_t kIoEvent = 20;        // int32 handle
inline constexpr std::size_t kInterval = 24;       // int32
inline constexpr std::size_t kStatusBits = 28;     // int32; see below
inline constexpr std::size_t kLapTime = 32;        // int32
inline constexpr std::size_t kWaitTime = 36;       // int32
inline constexpr std::size_t kEventWords = 40;     // int32 array
inline constexpr std::size_t kEventWordCount = 1064;  // int16
inline constexpr std::size_t kGetFlag = 1068;      // int16
inline constexpr std::size_t kTimerId = 1070;      // int16
inline constexpr std::size_t kStopped = 1074;      // int16
static_assert(kStopped + 2 == kTmBlockSize);
// Status bits of a timer: bit 0 something runs, bit 1 the interval timer,
// bit 2 the time counter.
inline constexpr int32_t kRunning = 0x1;
inline constexpr int32_t kIntervalRunning = 0x2;
inline constexpr int32_t kTimeCountRunning = 0x4;
}  // namespace tm

// ---- DioParamBlock (digital bit, byte and filter requests) --------------------
namespace dio {
inline constexpr std::size_t kStatus = 0;       // int32
inline constexpr std::size_t kFilterValue = 8;  // int32
inline constexpr std::size_t kBit = 12;         // int16 (the filter: -1 for all)
inline constexpr std::size_t kPort = 14;        // int16
inline constexpr std::size_t kInput = 16;       // int16
inline constexpr std::size_t kOutput = 18;      // int16
inline constexpr std::size_t kGetFlag = 20;     // int16
static_assert(kGetFlag + 2 <= kDioBlockSize);
}  // namespace dio

// ---- Kernel request codes ----------------------------------------------------
// The device family (DeviceParamBlock unless noted).
inline constexpr DWORD kOpen = 0x222000;
inline constexpr DWORD kClose = 0x222004;
inline constexpr DWORD kReset = 0x22200C;
inline constexpr DWORD kPortIo = 0x222010;
inline constexpr DWORD kControlFilter = 0x222014;
inline constexpr DWORD kEcuSignal = 0x222018;
inline constexpr DWORD kIoResource = 0x22201C;
inline constexpr DWORD kRevision = 0x222020;
inline constexpr DWORD kOwnership = 0x222400;          // 8-byte record
inline constexpr DWORD kReleaseOwnership = 0x222424;   // 8-byte record
// Analog input (AiParamBlock). A setter and its getter share one code and
// are told apart by the get flag.
inline constexpr DWORD kAiInputMethod = 0x222190;
inline constexpr DWORD kAiChannels = 0x222194;
inline constexpr DWORD kAiRange = 0x222198;
inline constexpr DWORD kAiRangeAll = 0x22219C;
inline constexpr DWORD kAiMemoryType = 0x2221A0;
inline constexpr DWORD kAiRepeatTimes = 0x2221A4;
inline constexpr DWORD kAiClockType = 0x2221A8;
inline constexpr DWORD kAiSamplingClock = 0x2221AC;
inline constexpr DWORD kAiStartTrigger = 0x2221B0;
inline constexpr DWORD kAiStartLevel = 0x2221B4;
inline constexpr DWORD kAiStopTrigger = 0x2221B8;
inline constexpr DWORD kAiStopTimes = 0x2221BC;
inline constexpr DWORD kAiStopLevel = 0x2221C0;
inline constexpr DWORD kAiStopDelayTimes = 0x2221C4;
inline constexpr DWORD kAiEvent = 0x2221C8;
inline constexpr DWORD kAiEventSamplingTimes = 0x2221CC;
inline constexpr DWORD kAiStart = 0x2221D0;
inline constexpr DWORD kAiSingle = 0x2221D4;
inline constexpr DWORD kAiMulti = 0x2221D8;
inline constexpr DWORD kAiStop = 0x2221E0;
inline constexpr DWORD kAiStatus = 0x2221E4;
inline constexpr DWORD kAiSamplingCount = 0x2221E8;
inline constexpr DWORD kAiRepeatCount = 0x2221EC;
inline constexpr DWORD kAiStopTriggerCount = 0x2221F0;
inline constexpr DWORD kAiSamplingData = 0x2221F4;
inline constexpr DWORD kAiResetStatus = 0x2221F8;
inline constexpr DWORD kAiResetMemory = 0x2221FC;
inline constexpr DWORD kAiMaxChannels = 0x222200;
inline constexpr DWORD kAiResolution = 0x222204;
inline constexpr DWORD kAiMemorySize = 0x222208;
inline constexpr DWORD kAiChannelRanges = 0x22220C;
inline constexpr DWORD kAiChannelSequence = 0x222210;
inline constexpr DWORD kAiCallBackEvent = 0x222214;
inline constexpr DWORD kAiTransferMode = 0x222218;
inline constexpr DWORD kAiBusMasterSetup = 0x22221C;
inline constexpr DWORD kAiAttachedData = 0x222220;
inline constexpr DWORD kAiSamplingDataSize = 0x222224;
inline constexpr DWORD kAiStartInRange = 0x222228;
inline constexpr DWORD kAiStartOutRange = 0x22222C;
inline constexpr DWORD kAiStopInRange = 0x222230;
inline constexpr DWORD kAiStopOutRange = 0x222234;
inline constexpr DWORD kAiEventTransferTimes = 0x222238;
inline constexpr DWORD kAiTransferCount = 0x22223C;
inline constexpr DWORD kAiTransferLap = 0x222240;
inline constexpr DWORD kAiStopTriggerTransferCount = 0x222244;
inline constexpr DWORD kAiAdjustment = 0x222248;
inline constexpr DWORD kAiDefaultAdjustment = 0x22224C;
inline constexpr DWORD kAiBusMasterRelease = 0x222254;
inline constexpr DWORD kAiScanClock = 0x222258;
inline constexpr DWORD kAiClockEdge = 0x222260;
inline constexpr DWORD kAiChannelEnable = 0x222268;
inline constexpr DWORD kAiEventWait = 0x222404;
inline constexpr DWORD kAiEventFetch = 0x222408;
inline constexpr DWORD kAiMinClock = 0x22225C;
inline constexpr DWORD kDeviceBufferMode = 0x222264;   // AI or AO block, by length
// Analog output (AoParamBlock).
inline constexpr DWORD kAoChannels = 0x222324;
inline constexpr DWORD kAoRange = 0x222328;
inline constexpr DWORD kAoRangeAll = 0x22232C;
inline constexpr DWORD kAoMemoryType = 0x222330;
inline constexpr DWORD kAoRepeatTimes = 0x222334;
inline constexpr DWORD kAoClockType = 0x222338;
inline constexpr DWORD kAoSamplingClock = 0x22233C;
inline constexpr DWORD kAoStartTrigger = 0x222340;
inline constexpr DWORD kAoStopTrigger = 0x222344;
inline constexpr DWORD kAoEventSamplingTimes = 0x222350;
inline constexpr DWORD kAoStop = 0x222364;
inline constexpr DWORD kAoStatus = 0x22236C;
inline constexpr DWORD kAoTransferMode = 0x222394;
inline constexpr DWORD kAoEventTransferTimes = 0x2223A4;
inline constexpr DWORD kAoMinClock = 0x2223C0;
inline constexpr DWORD kAoClockEdge = 0x2223C4;
inline constexpr DWORD kAoRepeatMode = 0x2223CC;
// Digital input (DioParamBlock).
inline constexpr DWORD kDiFilter = 0x2224B8;
// Counters (CntParamBlock).
inline constexpr DWORD kCntComparisonMode = 0x222640;
inline constexpr DWORD kCntPresetReg = 0x222644;
inline constexpr DWORD kCntInputSignal = 0x22264C;
inline constexpr DWORD kCntFilter = 0x222658;
inline constexpr DWORD kCntStop = 0x222660;
inline constexpr DWORD kCntStatus = 0x222668;
inline constexpr DWORD kCntMaxChannels = 0x222674;
// Interval timers (TmParamBlock).
inline constexpr DWORD kTmStop = 0x2227DC;
inline constexpr DWORD kTmStopCount = 0x2227E4;
inline constexpr DWORD kTmStatus = 0x2227F4;

// ---- Sibling commands and their record sizes ---------------------------------
inline constexpr WORD kCmdOpen = 0x3100;            // 28
inline constexpr WORD kCmdClose = 0x3101;           // 28
inline constexpr WORD kCmdReset = 0x3103;           // 28
inline constexpr WORD kCmdEcuSignal = 0x3105;       // 16
inline constexpr WORD kCmdRevision = 0x3107;        // 20
inline constexpr WORD kCmdDeviceCheck = 0x3108;     // 76
inline constexpr WORD kCmdControlFilter = 0x3109;   // 20
inline constexpr WORD kCmdOwnership = 0x31C0;       // 8
inline constexpr WORD kCmdReleaseOwnership = 0x31C5;  // 8
// Analog input: the record forms are the input family's.
inline constexpr WORD kCmdAiInputMethod = 0x3120;
inline constexpr WORD kCmdAiChannels = 0x3121;
inline constexpr WORD kCmdAiRange = 0x3122;
inline constexpr WORD kCmdAiRangeAll = 0x3123;
inline constexpr WORD kCmdAiMemoryType = 0x3124;
inline constexpr WORD kCmdAiRepeatTimes = 0x3125;
inline constexpr WORD kCmdAiClockType = 0x3126;
inline constexpr WORD kCmdAiSamplingClock = 0x3127;
inline constexpr WORD kCmdAiStartTrigger = 0x3128;
inline constexpr WORD kCmdAiStartLevel = 0x3129;
inline constexpr WORD kCmdAiStopTrigger = 0x312A;
inline constexpr WORD kCmdAiStopTimes = 0x312B;
inline constexpr WORD kCmdAiStopLevel = 0x312C;
inline constexpr WORD kCmdAiStopDelayTimes = 0x312D;
inline constexpr WORD kCmdAiEvent = 0x312E;
inline constexpr WORD kCmdAiEventSamplingTimes = 0x312F;
inline constexpr WORD kCmdAiStart = 0x3130;
inline constexpr WORD kCmdAiSingle = 0x3131;
inline constexpr WORD kCmdAiMulti = 0x3132;
inline constexpr WORD kCmdAiStop = 0x3134;
inline constexpr WORD kCmdAiStatus = 0x3135;
inline constexpr WORD kCmdAiSamplingCount = 0x3136;
inline constexpr WORD kCmdAiRepeatCount = 0x3137;
inline constexpr WORD kCmdAiStopTriggerCount = 0x3138;
inline constexpr WORD kCmdAiSamplingData = 0x3139;
inline constexpr WORD kCmdAiResetStatus = 0x313A;
inline constexpr WORD kCmdAiResetMemory = 0x313B;
inline constexpr WORD kCmdAiMaxChannels = 0x313C;
inline constexpr WORD kCmdAiResolution = 0x313D;
inline constexpr WORD kCmdAiMemorySize = 0x313E;
inline constexpr WORD kCmdAiChannelRanges = 0x313F;
inline constexpr WORD kCmdAiChannelSequence = 0x3140;
inline constexpr WORD kCmdAiCallBackEvent = 0x3142;
inline constexpr WORD kCmdAiStartInRange = 0x3148;
inline constexpr WORD kCmdAiStartOutRange = 0x3149;
inline constexpr WORD kCmdAiStopInRange = 0x314A;
inline constexpr WORD kCmdAiStopOutRange = 0x314B;
inline constexpr WORD kCmdAiAdjustment = 0x3145;
inline constexpr WORD kCmdAiDefaultAdjustment = 0x3146;
inline constexpr WORD kCmdAiScanClock = 0x314D;
inline constexpr WORD kCmdAiClockEdge = 0x314C;
inline constexpr WORD kCmdAiEventWait = 0x31C1;
inline constexpr WORD kCmdAiEventFetch = 0x31C2;
inline constexpr WORD kCmdAiMinClock = 0x3141;      // 16 (kind 10), 12 (kind 3)
inline constexpr WORD kCmdAiSleepMode = 0x3143;     // 8
inline constexpr WORD kCmdAiSleepTime = 0x3144;     // 12
inline constexpr WORD kCmdAoChannels = 0x3161;      // 8
inline constexpr WORD kCmdAoRange = 0x3162;         // 12
inline constexpr WORD kCmdAoRangeAll = 0x3163;      // 8
inline constexpr WORD kCmdAoMemoryType = 0x3164;    // 8
inline constexpr WORD kCmdAoRepeatTimes = 0x3165;   // 12
inline constexpr WORD kCmdAoClockType = 0x3166;     // 8
inline constexpr WORD kCmdAoSamplingClock = 0x3167; // 12
inline constexpr WORD kCmdAoStartTrigger = 0x3168;  // 8
inline constexpr WORD kCmdAoStopTrigger = 0x3169;   // 8
inline constexpr WORD kCmdAoEventSamplingTimes = 0x316C;  // 12
inline constexpr WORD kCmdAoStop = 0x3171;          // 8
inline constexpr WORD kCmdAoStatus = 0x3173;        // 8
inline constexpr WORD kCmdAoMinClock = 0x317C;      // 16 (kind 10), 12 (kind 3)
inline constexpr WORD kCmdAoSleepMode = 0x317E;     // 8
inline constexpr WORD kCmdAoSleepTime = 0x317F;     // 12
inline constexpr WORD kCmdAoClockEdge = 0x3182;     // 8
inline constexpr WORD kCmdAoRepeatMode = 0x3183;    // 12
inline constexpr WORD kCmdDiFilter = 0x31A2;
inline constexpr WORD kCmdCntStatus = 0x31D0;       // 12
inline constexpr WORD kCmdTmStatus = 0x31D1;        // 16
inline constexpr WORD kCmdCntComparisonMode = 0x31E0;  // 16
inline constexpr WORD kCmdCntPresetReg = 0x31E1;    // 24
inline constexpr WORD kCmdCntInputSignal = 0x31E3;  // 12
inline constexpr WORD kCmdCntFilter = 0x31E6;       // 16
inline constexpr WORD kCmdCntStop = 0x31E8;         // 12
inline constexpr WORD kCmdCntMaxChannels = 0x31ED;  // 8
inline constexpr WORD kCmdTmStopCount = 0x3205;     // 12

// ---- Counters, interval timers and the timer-count device -------------------------
// Counter requests (CntParamBlock); a setter and its getter share a code.
inline constexpr DWORD kCntComparisonReg = 0x222648;
inline constexpr DWORD kCntEvent = 0x222650;
inline constexpr DWORD kCntCallBackEvent = 0x222654;
inline constexpr DWORD kCntStart = 0x22265C;
inline constexpr DWORD kCntPreset = 0x222664;
inline constexpr DWORD kCntCount = 0x22266C;
inline constexpr DWORD kCntResetStatus = 0x222670;
// The counter's event wait, sent with an OVERLAPPED and kept pending until
// the channel (at cnt::kChannel) has events, and its read: the event words
// since the last read (at most kCntEventWordsMax), the enabled mask, the
// count at the last word (cnt::kCount) and the stopped flag (1: the run was
// stopped; nothing follows until the next start).
inline constexpr DWORD kCntEventWait = 0x222414;
inline constexpr DWORD kCntEventRead = 0x222418;
inline constexpr int kCntEventWordsMax = 256;
static_assert(cnt::kEventWords + kCntEventWordsMax * 4 == cnt::kEventWordCount);
// Interval-timer requests (TmParamBlock).
inline constexpr DWORD kTmEvent = 0x2227D0;
inline constexpr DWORD kTmCallBackEvent = 0x2227D4;
inline constexpr DWORD kTmStart = 0x2227D8;
inline constexpr DWORD kTmStartCount = 0x2227E0;
inline constexpr DWORD kTmLapCount = 0x2227E8;
inline constexpr DWORD kTmResetCount = 0x2227EC;
inline constexpr DWORD kTmWait = 0x2227F0;
// The timer's event wait and read, as the counter's (tm::kTimerId names the
// timer; a word with bit 0 set is one tick).
inline constexpr DWORD kTmEventWait = 0x22241C;
inline constexpr DWORD kTmEventRead = 0x222420;
inline constexpr int kTmEventWordsMax = 256;
static_assert(tm::kEventWords + kTmEventWordsMax * 4 == tm::kEventWordCount);

// Counter and timer commands (bus kind 10 only).
inline constexpr WORD kCmdCntComparisonReg = 0x31E2;  // 24, as 0x31E1
inline constexpr WORD kCmdCntEvent = 0x31E4;          // 16
inline constexpr WORD kCmdCntCallBackEvent = 0x31E5;  // 16
inline constexpr WORD kCmdCntStart = 0x31E7;          // 16
inline constexpr WORD kCmdCntPreset = 0x31E9;         // 16
inline constexpr WORD kCmdCntCount = 0x31EB;          // 12
inline constexpr WORD kCmdCntResetStatus = 0x31EC;    // 12
inline constexpr WORD kCmdCntEventWait = 0x31C6;      // 16
inline constexpr WORD kCmdCntEventRead = 0x31C7;      // kCntBlockSize
inline constexpr WORD kCmdTmEvent = 0x3200;           // 16
inline constexpr WORD kCmdTmCallBackEvent = 0x3201;   // 16
inline constexpr WORD kCmdTmStart = 0x3202;           // 20
inline constexpr WORD kCmdTmStop = 0x3203;            // 12
inline constexpr WORD kCmdTmStartCount = 0x3204;      // 20
inline constexpr WORD kCmdTmLapCount = 0x3206;        // 16
inline constexpr WORD kCmdTmResetCount = 0x3207;      // 12
inline constexpr WORD kCmdTmWait = 0x3208;            // 12

namespace rec {
// Counter event 0x31E4 and its callback form 0x31E5 (16 bytes): int32
// window at 4 (0x31E4), int32 mask at 8, int16 get flag at 12, int16
// channel at 14.
inline constexpr std::size_t kCntEventSize = 16;
inline constexpr std::size_t kCntEventWindow = 4;
inline constexpr std::size_t kCntEventMask = 8;
inline constexpr std::size_t kCntEventGetFlag = 12;
inline constexpr std::size_t kCntEventChannel = 14;
// Counter start 0x31E7 (16 bytes): int16 channel at 8, int16 table index at 12.
inline constexpr std::size_t kCntStartSize = 16;
inline constexpr std::size_t kCntStartTableIndex = 12;
// Counter preset 0x31E9 (16 bytes): int16 channel at 4, int32 value at 8,
// int16 get flag at 12.
inline constexpr std::size_t kCntPresetValueSize = 16;
inline constexpr std::size_t kCntPresetValue = 8;
// Counter count 0x31EB and status reset 0x31EC (12 bytes): int32 at 4 (the
// count out, or the bits to reset), int16 channel at 8, int16 get flag at 10.
// Counter event wait 0x31C6 (16 bytes): int16 channel at 4; kept pending
// (ERROR_IO_PENDING) until the channel has events, then int32 1 at 8 and the
// OVERLAPPED's event set. The read 0x31C7 answers in the CntParamBlock layout.
inline constexpr std::size_t kCntWaitSize = 16;
inline constexpr std::size_t kCntWaitChannel = 4;
inline constexpr std::size_t kCntWaitEvents = 8;
// Timer event 0x3200 and callback form 0x3201 (16 bytes): int32 window at 4
// (0x3200), int32 mask at 8, int16 get flag at 12, int16 timer at 14.
inline constexpr std::size_t kTmEventSize = 16;
inline constexpr std::size_t kTmEventWindow = 4;
inline constexpr std::size_t kTmEventMask = 8;
inline constexpr std::size_t kTmEventGetFlag = 12;
inline constexpr std::size_t kTmEventTimer = 14;
// Timer start 0x3202 and time-counter start 0x3204 (20 bytes): int16 timer
// at 8, int16 get flag at 10, int32 interval at 16 (0x3202).
inline constexpr std::size_t kTmStartSize = 20;
inline constexpr std::size_t kTmFlagAt10 = 10;
inline constexpr std::size_t kTmStartInterval = 16;
// Timer stop 0x3203, time-counter stop 0x3205, reset 0x3207 and wait 0x3208
// (12 bytes): int32 at 4 (the stop's message flag, the wait time), int16
// timer at 8, int16 0 at 10. Lap 0x3206 (16 bytes): timer at 8, get flag 1 at 10.
inline constexpr std::size_t kTmShortSize = 12;
inline constexpr std::size_t kTmLapSize = 16;
}  // namespace rec

// The timer-count device: its own device object, request codes on its own
// handle. 0x223800 (208 bytes): UTF-16 description of up to 100 units at 0,
// int32 value at 200, int32 status at 204. 0x223804 (8 bytes): uint32 count
// at 0, int32 status at 4.
inline constexpr DWORD kTimDescribe = 0x223800;
inline constexpr DWORD kTimReadCount = 0x223804;
namespace tim {
inline constexpr std::size_t kDescribeSize = 208;
inline constexpr std::size_t kText = 0;
inline constexpr std::size_t kTextUnits = 100;
inline constexpr std::size_t kValue = 200;
inline constexpr std::size_t kStatus = 204;
inline constexpr std::size_t kCountSize = 8;
inline constexpr std::size_t kCount = 0;
inline constexpr std::size_t kCountStatus = 4;
static_assert(kText + kTextUnits * 2 <= kValue && kStatus + 4 == kDescribeSize);
}  // namespace tim
// ---- End of counters, interval timers and the timer-count device -----------------

// ---- Statuses the driver side gives (besides 0) --------------------------------
inline constexpr int32_t kStatusNotSupported = 20001;   // not on this device
inline constexpr int32_t kStatusNotAvailable = 20002;
inline constexpr int32_t kStatusOtherProcess = 20003;   // another process holds it
inline constexpr int32_t kStatusNoDeviceInfo = 20032;
inline constexpr int32_t kStatusInvalidHandle = 20034;
inline constexpr int32_t kStatusAiAlreadyStopped = 21480;
inline constexpr int32_t kStatusNoSuchCounter = 25200;
inline constexpr int32_t kStatusNoSuchTimer = 26180;

// ---- Sibling entry points --------------------------------------------------------
// The same prototype serves HalvikVmIoControl and KelbusIoControl. The last
// argument is NULL, or the OVERLAPPED of a wait that completes later.
typedef DWORD(WINAPI* BusIoControlProc)(DWORD busKind, HANDLE handle, DWORD command, void* in, DWORD inLength,
                                        void* out, DWORD outLength, DWORD* returned, OVERLAPPED* overlapped);
typedef DWORD(WINAPI* BusCloseHandleProc)(DWORD busKind, HANDLE handle);
// INVALID_HANDLE_VALUE when the device cannot be opened.
typedef HANDLE(WINAPI* HalvikVmOpenHandleProc)(DWORD busKind, const char* devicePath, const char* moduleText);
typedef HANDLE(WINAPI* KelbusOpenHandleProc)(DWORD busKind, const char* devicePath, WORD moduleId);
typedef HANDLE(WINAPI* KelbusOpenHandleExProc)(DWORD busKind, const char* devicePath, WORD moduleId,
                                               LONG moduleIndex);
typedef HANDLE(WINAPI* KelbusOpenHandleEx2Proc)(DWORD first, DWORD second, DWORD third);
typedef DWORD(WINAPI* KelbusIoCtlControlTransferProc)(DWORD, DWORD, DWORD, DWORD, DWORD, DWORD, DWORD, DWORD,
                                                      DWORD, DWORD);
typedef DWORD(WINAPI* KelbusEzFirmDownloadProc)(DWORD, DWORD, DWORD, DWORD);
// Info 4: the firmware version in *second.
typedef DWORD(WINAPI* KelbusGetDeviceInfoProc)(DWORD busKind, HANDLE handle, DWORD info, DWORD* first,
                                               WORD* second, void* reserved);

// ---- Sibling command records: the places behind the status ------------------
// Offsets of the command records (status int32 at 0 in all of them). Both the
// library and the stand-ins fill and read these places.
namespace rec {
// Open 0x3100, close 0x3101, reset 0x3103 (28 bytes).
inline constexpr std::size_t kOpenSize = 28;
inline constexpr std::size_t kProcessId = 4;     // int32; also 0x3105, 0x3107, 0x3109, 0x31C0, 0x31C5
inline constexpr std::size_t kOpenTableIndex = 12;  // int16
inline constexpr std::size_t kOpenMark = 24;        // int16, always 150
inline constexpr int16_t kOpenMarkValue = 150;
// Device check 0x3108 (76 bytes): int32 0 at 4, byte 0 at 8, module text.
inline constexpr std::size_t kDeviceCheckSize = 76;
inline constexpr std::size_t kDeviceCheckModuleText = 12;
// Event-controller connection 0x3105 (16 bytes).
inline constexpr std::size_t kEcuSize = 16;
inline constexpr std::size_t kEcuGetFlag = 8;      // int16
inline constexpr std::size_t kEcuDestination = 10; // int16
inline constexpr std::size_t kEcuSource = 12;      // int16
// Revision 0x3107 (20 bytes): char[12] at 8.
inline constexpr std::size_t kRevisionSize = 20;
inline constexpr std::size_t kRevisionText = 8;
// Control filter 0x3109 (20 bytes).
inline constexpr std::size_t kFilterSize = 20;
inline constexpr std::size_t kFilterSignal = 8;    // int16
inline constexpr std::size_t kFilterValue = 12;    // uint32
inline constexpr std::size_t kFilterGetFlag = 16;  // int16
// Ownership 0x31C0 and its release 0x31C5 (8 bytes): process id at 4.
// The short forms:
//   8 bytes "flag": int16 get flag at 4, int16 value at 6 (0x3143, 0x3161,
//     0x3164, 0x3166, 0x3168, 0x3169, 0x317E, 0x3182; 0x3163 the value only);
//   8 bytes "value": int32 value at 4 (0x3135, 0x3173 status bits out;
//     0x3134, 0x3171 the message flag in; 0x31ED int16 channel count out);
//   12 bytes "count": int32 value at 4, int16 get flag at 8 (0x3165, 0x316C);
//   12 bytes "time": int32 get flag at 4, int32 value at 8 (0x3144, 0x317F).
inline constexpr std::size_t kShortGetFlag = 4;
inline constexpr std::size_t kShortValue = 6;
inline constexpr std::size_t kValue = 4;
inline constexpr std::size_t kCountGetFlag = 8;
inline constexpr std::size_t kTimeGetFlag = 4;
inline constexpr std::size_t kTimeValue = 8;
// Output range 0x3162 (12 bytes): get flag 4, channel 6, range 8, resolution 10.
inline constexpr std::size_t kAoRangeChannel = 6;
inline constexpr std::size_t kAoRangeValue = 8;
inline constexpr std::size_t kAoRangeResolution = 10;
// Output sampling clock 0x3167, 12 bytes on both buses. Bus kind 10: int32
// whole part at 4, int32 thousandths at 8; a get sends a zeroed record with
// the int16 get flag 1 at 8, where the reply puts the thousandths. Bus kind
// 3: int32 value at 4, int16 get flag at 8.
inline constexpr std::size_t kAoClockSizeVm = 12;
inline constexpr std::size_t kAoClockSizeBus = 12;
inline constexpr std::size_t kAoClockWhole = 4;
inline constexpr std::size_t kAoClockThousandths = 8;
inline constexpr std::size_t kAoClockGetFlagVm = 8;
inline constexpr std::size_t kAoClockGetFlagBus = 8;
// Minimum clocks 0x3141 and 0x317C (16 bytes on bus kind 10, 12 on bus
// kind 3): int32 clock out at 4.
inline constexpr std::size_t kMinClockSizeVm = 16;
inline constexpr std::size_t kMinClockSizeBus = 12;
// Output repeat mode 0x3183 (12 bytes): int16 mode at 4, int16 get flag at 8.
inline constexpr std::size_t kRepeatModeValue = 4;
inline constexpr std::size_t kRepeatModeGetFlag = 8;
// Digital-input filter 0x31A2 (28 bytes).
inline constexpr std::size_t kDiFilterSize = 28;
inline constexpr std::size_t kDiFilterValue = 8;    // int32
inline constexpr std::size_t kDiFilterBit = 16;     // int16, -1
inline constexpr std::size_t kDiFilterGetFlag = 24; // int16
// Counter status 0x31D0 and stop 0x31E8 (12 bytes): int32 at 4 (status out,
// or the stop's message flag), int16 channel at 8, int16 get flag at 10.
inline constexpr std::size_t kCntChannelAt8 = 8;
inline constexpr std::size_t kCntGetFlagAt10 = 10;
// Counter settings: int16 channel at 4.
//   0x31E0 (16): int32 mode at 8, int16 get flag at 12;
//   0x31E1 (24): int32 number at 8, the 8-byte data address at 12, int16
//     flag at 20, int16 get flag at 22;
//   0x31E3 (12): int16 signal at 6, int16 get flag at 8;
//   0x31E6 (16): int16 signal at 6, int32 value at 8, int16 get flag at 12.
inline constexpr std::size_t kCntChannel = 4;
inline constexpr std::size_t kCntModeValue = 8;
inline constexpr std::size_t kCntModeGetFlag = 12;
inline constexpr std::size_t kCntPresetSize = 24;
inline constexpr std::size_t kCntPresetNumber = 8;
inline constexpr std::size_t kCntPresetData = 12;
inline constexpr std::size_t kCntPresetFlag = 20;
inline constexpr std::size_t kCntPresetGetFlag = 22;
inline constexpr std::size_t kCntSignal = 6;
inline constexpr std::size_t kCntSignalGetFlag = 8;
inline constexpr std::size_t kCntFilterValue = 8;
inline constexpr std::size_t kCntFilterGetFlag = 12;
// Timer status 0x31D1 (16 bytes): int32 status bits out at 4, int16 timer at
// 8, int16 get flag at 12. Time-counter stop 0x3205 (12 bytes): int16 timer
// at 8, int16 0 at 10.
inline constexpr std::size_t kTmStatusSize = 16;
inline constexpr std::size_t kTmTimer = 8;
inline constexpr std::size_t kTmStatusGetFlag = 12;
}  // namespace rec

// ---- Analog-input forms ----------------------------------------------------------
// The command records of the input family (status int32 at 0; in and out of
// one length). The simulated devices sample a known signal: scan s of a run
// (counted from its start, 0 first), sequence entry c, reading channel ch =
// the channel set at sequence position c (c when none was set), gives the raw
// count (s + 256 * ch) mod 2^bits, bits the model's resolution. An immediate
// conversion gives the same for the scans the current run has taken so far.
namespace rec {
// A (8): int16 get flag at 4, int16 value at 6 (0x3121, 0x3123 value only,
// 0x3124, 0x3126, 0x3128, 0x312A, 0x314C).
inline constexpr std::size_t kAiFormASize = 8;
inline constexpr std::size_t kAiFormAGetFlag = 4;
inline constexpr std::size_t kAiFormAValue = 6;
// B (8): value at 4, int16 for 0x313C and 0x313D, int32 for 0x3135 to 0x3138.
inline constexpr std::size_t kAiFormBSize = 8;
inline constexpr std::size_t kAiFormBValue = 4;
// C (12): int32 value at 4, int16 get flag at 8 (0x3125, 0x312B, 0x312D,
// 0x312F, 0x312E, 0x3142).
inline constexpr std::size_t kAiFormCSize = 12;
inline constexpr std::size_t kAiFormCValue = 4;
inline constexpr std::size_t kAiFormCGetFlag = 8;
// D (12): int16 get flag at 4, int16 key at 6, int16 value at 8 (0x3140
// sequence position and channel, 0x3122 channel and range).
inline constexpr std::size_t kAiFormDSize = 12;
inline constexpr std::size_t kAiFormDGetFlag = 4;
inline constexpr std::size_t kAiFormDKey = 6;
inline constexpr std::size_t kAiFormDValue = 8;
// E (12): int16 get flag at 4, int32 memory size at 8 (0x313E).
inline constexpr std::size_t kAiFormESize = 12;
inline constexpr std::size_t kAiFormEGetFlag = 4;
inline constexpr std::size_t kAiFormEValue = 8;
// F: bus kind 10, 16 bytes, double clock at 4, int16 get flag at 12 (0x3127,
// 0x314D); bus kind 3, 12 bytes, float clock at 4, int16 get flag at 8.
inline constexpr std::size_t kAiFormFSizeVm = 16;
inline constexpr std::size_t kAiFormFSizeBus = 12;
inline constexpr std::size_t kAiFormFClock = 4;
inline constexpr std::size_t kAiFormFGetFlagVm = 12;
inline constexpr std::size_t kAiFormFGetFlagBus = 8;
// G (20): int32 level at 4, int16 get flag at 8, channel at 10, direction at
// 12; a get also gives the channel's range at 14 and the resolution at 16
// (0x3129, 0x312C).
inline constexpr std::size_t kAiFormGSize = 20;
inline constexpr std::size_t kAiFormGLevel = 4;
inline constexpr std::size_t kAiFormGGetFlag = 8;
inline constexpr std::size_t kAiFormGChannel = 10;
inline constexpr std::size_t kAiFormGDirection = 12;
inline constexpr std::size_t kAiFormGRange = 14;
inline constexpr std::size_t kAiFormGResolution = 16;
// H (28): int16 get flag at 4, int32 Level1 at 8, Level2 at 12, StateTimes at
// 16, int16 channel at 20; a get also gives range at 22, resolution at 24
// (0x3148 to 0x314B).
inline constexpr std::size_t kAiFormHSize = 28;
inline constexpr std::size_t kAiFormHGetFlag = 4;
inline constexpr std::size_t kAiFormHLevel1 = 8;
inline constexpr std::size_t kAiFormHLevel2 = 12;
inline constexpr std::size_t kAiFormHStateTimes = 16;
inline constexpr std::size_t kAiFormHChannel = 20;
inline constexpr std::size_t kAiFormHRange = 22;
inline constexpr std::size_t kAiFormHResolution = 24;
// I (16): int16 get flag at 4, channel at 6, range at 8, Type or Offset at
// 10, Data or Gain at 12 (0x3145, 0x3146).
inline constexpr std::size_t kAiFormISize = 16;
inline constexpr std::size_t kAiFormIGetFlag = 4;
inline constexpr std::size_t kAiFormIChannel = 6;
inline constexpr std::size_t kAiFormIRange = 8;
inline constexpr std::size_t kAiFormIType = 10;
inline constexpr std::size_t kAiFormIData = 12;
// J (24): int16 get flag at 4, int16 value at 6 (0x3120).
inline constexpr std::size_t kAiFormJSize = 24;
inline constexpr std::size_t kAiFormJGetFlag = 4;
inline constexpr std::size_t kAiFormJValue = 6;
// K (12): int16 channel at 4 (in); uint16 raw count at 6, int16 range at 8,
// int16 resolution at 10 (out) (0x3131).
inline constexpr std::size_t kAiFormKSize = 12;
inline constexpr std::size_t kAiFormKChannel = 4;
inline constexpr std::size_t kAiFormKRaw = 6;
inline constexpr std::size_t kAiFormKRange = 8;
inline constexpr std::size_t kAiFormKResolution = 10;
// L: bus kind 3, 4 bytes, the status only; bus kind 10, 8 bytes, int16
// device-table index at 4 (0x3130).
inline constexpr std::size_t kAiFormLSizeBus = 4;
inline constexpr std::size_t kAiFormLSizeVm = 8;
inline constexpr std::size_t kAiFormLTableIndex = 4;
// M (8): int32 message-delivery flag at 4 (0x3134).
inline constexpr std::size_t kAiFormMSize = 8;
inline constexpr std::size_t kAiFormMFlag = 4;
// N (4): the status only (0x313A, 0x313B).
inline constexpr std::size_t kAiFormNSize = 4;

// Multi conversion 0x3132: int16 channel count at 4 (in), uint16 raw counts
// at 6, int16 range codes, int16 resolution (out). Bus kind 10: 520 bytes,
// 128 channels; bus kind 3: 136 bytes, 32 channels.
inline constexpr std::size_t kAiMultiSizeVm = 520;
inline constexpr std::size_t kAiMultiSizeBus = 136;
inline constexpr std::size_t kAiMultiCount = 4;
inline constexpr std::size_t kAiMultiRaw = 6;
inline constexpr std::size_t kAiMultiRangesVm = 262;
inline constexpr std::size_t kAiMultiResolutionVm = 518;
inline constexpr std::size_t kAiMultiRangesBus = 70;
inline constexpr std::size_t kAiMultiResolutionBus = 134;
inline constexpr int kAiMultiChannelsVm = 128;
inline constexpr int kAiMultiChannelsBus = 32;
// Readout 0x3139 on bus kind 10 (16 bytes): int32 scans at 4 (in: asked,
// out: delivered), the 8-byte address of the caller's int32 array at 8.
inline constexpr std::size_t kAiReadoutSizeVm = 16;
inline constexpr std::size_t kAiReadoutScans = 4;
inline constexpr std::size_t kAiReadoutAddress = 8;
// Readout 0x3139 on bus kind 3, one chunk (2068 bytes): int32 chunk index at
// 4, int32 values at 8 (in: asked, out: delivered), 8 bytes reserved, then
// up to 1024 uint16 raw counts at 20, scans in order, sequence entries in
// order within a scan. A chunk may end inside a scan; the next goes on there.
inline constexpr std::size_t kAiChunkSize = 2068;
inline constexpr std::size_t kAiChunkIndex = 4;
inline constexpr std::size_t kAiChunkCount = 8;
inline constexpr std::size_t kAiChunkValues = 20;
inline constexpr int kAiChunkCapacity = 1024;
// Range codes of all channels 0x313F: int16 channel count at 4, int16 range
// codes at 12. Bus kind 10: 268 bytes (128 channels); bus kind 3: 76 (32).
inline constexpr std::size_t kAiRangesSizeVm = 268;
inline constexpr std::size_t kAiRangesSizeBus = 76;
inline constexpr std::size_t kAiRangesCount = 4;
inline constexpr std::size_t kAiRangesCodes = 12;
// Event wait 0x31C1 (4 bytes, the status only), sent with an OVERLAPPED: the
// call returns ERROR_IO_PENDING and the OVERLAPPED's event is set when
// events are due.
inline constexpr std::size_t kAiWaitSize = 4;
// Event fetch 0x31C2: int32 enabled mask at 4, int32 factor word at 8 (the
// bits of every listed occurrence), int32 sampling count at 12, int32 repeat
// count at 16, int32 list length at 20, int16 end flag at 24 (1: the run is
// over). Bus kind 10 (1056 bytes) lists the occurrences' factor words, int32
// each, from 28 (at most 256); bus kind 3 (28 bytes) has no list.
inline constexpr std::size_t kAiFetchSizeVm = 1056;
inline constexpr std::size_t kAiFetchSizeBus = 28;
inline constexpr std::size_t kAiFetchMask = 4;
inline constexpr std::size_t kAiFetchFactor = 8;
inline constexpr std::size_t kAiFetchSamplingCount = 12;
inline constexpr std::size_t kAiFetchRepeatCount = 16;
inline constexpr std::size_t kAiFetchListLength = 20;
inline constexpr std::size_t kAiFetchEnd = 24;
inline constexpr std::size_t kAiFetchList = 28;
}  // namespace rec

// The event fetch 0x222408 in the AiParamBlock: the factor words of the
// occurrences since the last fetch (int32 each, at most kAiEventListCapacity)
// with their count, the OR of them, and whether the run is over. The enabled
// mask, sampling count and repeat count come at their usual places.
namespace ai {
inline constexpr std::size_t kEventList = 52;         // int32 array
inline constexpr std::size_t kEventListLength = 1076; // int32
inline constexpr std::size_t kEventEnd = 1082;        // int16, 1: run over
inline constexpr std::size_t kEventFactor = 1156;     // int32
inline constexpr int kEventListCapacity = 256;
static_assert(kEventList + kEventListCapacity * 4 == kEventListLength);
}  // namespace ai

// Analog-input factor bits (the event mask is their OR) and status bits.
namespace ai {
inline constexpr int32_t kFactorStart = 0x2;
inline constexpr int32_t kFactorRepeatEnd = 0x10;
inline constexpr int32_t kFactorEnd = 0x20;
inline constexpr int32_t kFactorDataCount = 0x80;
inline constexpr int32_t kFactorTransfer = 0x100;
inline constexpr int32_t kFactorOverflow = 0x10000;
inline constexpr int32_t kFactorClockError = 0x20000;
inline constexpr int32_t kFactorConversionError = 0x40000;
inline constexpr int32_t kStatusRunning = 0x1;
inline constexpr int32_t kStatusCountReached = 0x10;
inline constexpr int32_t kStatusOverflow = 0x10000;
inline constexpr int16_t kStopByCommand = 4;  // stop trigger: only a stop request ends the run
}  // namespace ai

// Statuses of analog input.
inline constexpr int32_t kStatusAiChannelOutOfRange = 21420;
inline constexpr int32_t kStatusAiTooManyChannels = 21441;
inline constexpr int32_t kStatusAiBeyondStored = 21580;
// ---- End of the analog-input forms -------------------------------------------------

// ---- Analog-input triggers ----------------------------------------------------------
// What the driver makes of the trigger settings. A level trigger is met by
// the scan whose count reaches the level from the other side (the scan
// before it on the far side); a window trigger by the scan that completes
// StateTimes scans in a row inside [min(Level1, Level2), max(...)] (in-range)
// or outside it (out-range), at least one. The trigger's channel is the one
// whose level or window was set last; it is a channel of the device, read
// whether the sequence takes it or not.
namespace ai {
inline constexpr int16_t kTriggerNone = 0;      // start at once; stop after the stop times (per repeat)
inline constexpr int16_t kTriggerLevel = 3;     // the start or stop level
inline constexpr int16_t kTriggerInRange = 5;   // the start or stop in-range window
inline constexpr int16_t kTriggerOutRange = 6;  // the start or stop out-range window
// Directions of a level trigger.
inline constexpr int16_t kDirectionEither = 0;
inline constexpr int16_t kDirectionFalling = 1;
inline constexpr int16_t kDirectionRising = 2;
// Set while a started run waits for its start trigger: nothing is taken
// yet, and the start event comes with the trigger. A stop trigger ends the
// run the stop delay times of scans after the scan that met it; the
// stop-trigger count (1148, 0x3138) is then the scans taken up to and
// including that scan, 0 before.
inline constexpr int32_t kStatusStartWait = 0x2;
}  // namespace ai
// A start refused for a trigger the device cannot watch (an unknown kind, a
// window on the bus library's devices, a channel the model lacks).
inline constexpr int32_t kStatusAiStartTriggerUnfit = 21160;
inline constexpr int32_t kStatusAiStopTriggerUnfit = 21260;
// ---- End of the analog-input triggers ----------------------------------------------

// Kernel places of two output requests whose block field has no name of its
// own: the minimum output clock (0x2223C0) comes back as one int32 where the
// sampling clock's whole part stands, and the repeat mode (0x2223CC) travels
// as an int16 where the repeat times stand.
namespace ao {
inline constexpr std::size_t kMinClock = kClockWhole;
inline constexpr std::size_t kRepeatMode = kRepeatTimes;
}  // namespace ao

// ---- Analog output: run, data and events -------------------------------------------
// Kernel requests with the AoParamBlock, the bus-master buffer 0x22E3B9 and
// the sibling commands with their records. The event fetch fills the block
// at the places of namespace ao below; the bus records at rec::kAoFetch*.
inline constexpr DWORD kAoSamplingData = 0x222348;   // +1104 times, +1140 count array; get: +1104 out
inline constexpr DWORD kAoEvent = 0x22234C;          // +1096 mask, +1120 window
inline constexpr DWORD kAoStart = 0x222354;
inline constexpr DWORD kAoSingle = 0x222358;         // +1154 channel, +1140 address of one int32
inline constexpr DWORD kAoMulti = 0x22235C;          // +1152 channels, +1140 address of the int32 array
inline constexpr DWORD kAoEnable = 0x222368;         // +1154 channel, get flag 0 enable, 1 disable
inline constexpr DWORD kAoSamplingCount = 0x222370;  // +1108 out
inline constexpr DWORD kAoRepeatCount = 0x222374;    // +1112 out
inline constexpr DWORD kAoResetStatus = 0x222378;
inline constexpr DWORD kAoResetMemory = 0x22237C;
inline constexpr DWORD kAoMaxChannels = 0x222380;    // +1152 out
inline constexpr DWORD kAoResolution = 0x222384;     // +1148 out
inline constexpr DWORD kAoMemorySize = 0x222388;     // +1136
inline constexpr DWORD kAoChannelRanges = 0x22238C;  // +1152 channels in; +1170 codes, +1148 resolution out
inline constexpr DWORD kAoCallBackEvent = 0x222390;  // +1096 mask
inline constexpr DWORD kAoBufferSetup = 0x222398;    // +4 words, +8 address, +1076 process id
inline constexpr DWORD kAoAttachedData = 0x22239C;   // +16
inline constexpr DWORD kAoSamplingDataSize = 0x2223A0;  // +20 out
inline constexpr DWORD kAoTransferCount = 0x2223A8;  // +28 out
inline constexpr DWORD kAoTransferLap = 0x2223AC;    // +32 out
inline constexpr DWORD kAoAdjustment = 0x2223B0;     // +1154 channel, +1156 range, +36 type, +38 data
inline constexpr DWORD kAoDefaultAdjustment = 0x2223B4;
inline constexpr DWORD kAoBufferRelease = 0x2223BC;  // completes a pending 0x22E3B9
inline constexpr DWORD kAoEventWait = 0x22240C;      // with an OVERLAPPED; pending until events are due
inline constexpr DWORD kAoEventFetch = 0x222410;
// The caller's buffer as the request's buffer: CTL_CODE(0x22, 0x8EE,
// METHOD_IN_DIRECT, read and write access). Pending while the driver
// outputs from it; completed by the release, a new hand-over, a cancel or
// the close.
inline constexpr DWORD kAoHostBuffer = 0x22E3B9;
static_assert(kAoHostBuffer == ((0x22u << 16) | (3u << 14) | (0x8EEu << 2) | 1u));

inline constexpr WORD kCmdAoSamplingData = 0x316A;  // kind 10: 24 bytes; kind 3: 18 (get) or 2068 (chunk)
inline constexpr WORD kCmdAoEvent = 0x316B;         // 12: +4 mask, +8 get flag
inline constexpr WORD kCmdAoStart = 0x316D;         // kind 10: 8 (+4 table index); kind 3: 4
inline constexpr WORD kCmdAoSingle = 0x316E;        // 8: +4 channel, +6 count
inline constexpr WORD kCmdAoMulti = 0x316F;         // 40: +4 channels, +6 int16[17]
inline constexpr WORD kCmdAoEnable = 0x3172;        // 8: +4 0 enable / 1 disable, +6 channel
inline constexpr WORD kCmdAoSamplingCount = 0x3174; // 8: +4 out
inline constexpr WORD kCmdAoRepeatCount = 0x3175;   // 8: +4 out
inline constexpr WORD kCmdAoResetStatus = 0x3176;   // 4
inline constexpr WORD kCmdAoResetMemory = 0x3177;   // 4
inline constexpr WORD kCmdAoMaxChannels = 0x3178;   // 8: +4 out
inline constexpr WORD kCmdAoResolution = 0x3179;    // 8: +4 out
inline constexpr WORD kCmdAoMemorySize = 0x317A;    // 12: +4 get flag, +8 out
inline constexpr WORD kCmdAoChannelRanges = 0x317B; // 44
inline constexpr WORD kCmdAoCallBackEvent = 0x317D; // 12: +4 mask, +8 get flag
inline constexpr WORD kCmdAoAdjustment = 0x3180;    // 16: get flag, channel, range, type, data
inline constexpr WORD kCmdAoDefaultAdjustment = 0x3181;
inline constexpr WORD kCmdAoEventWait = 0x31C3;     // 4, with an OVERLAPPED: ERROR_IO_PENDING
inline constexpr WORD kCmdAoEventFetch = 0x31C4;    // kind 10: 1060; kind 3: 32

namespace rec {
// Output data 0x316A on bus kind 10 (24 bytes): int32 samples per channel
// at 4, the low half of the count array's address at 8, int16 get flag at
// 12, the whole 8-byte address at 16. Bus kind 3: a get is 18 bytes (get
// flag at 16, samples out at 8); a chunk travels in one 2068-byte buffer
// passed with input length 18: int32 values at 8, int32 chunk index at 12,
// int16 0 at 16, uint16 values from 18 (1024 at most).
inline constexpr std::size_t kAoDataSizeVm = 24;
inline constexpr std::size_t kAoDataTimes = 4;
inline constexpr std::size_t kAoDataAddressLow = 8;
inline constexpr std::size_t kAoDataGetFlagVm = 12;
inline constexpr std::size_t kAoDataAddress = 16;
inline constexpr std::size_t kAoDataGetSizeBus = 18;
inline constexpr std::size_t kAoDataTimesBus = 8;
inline constexpr std::size_t kAoDataGetFlagBus = 16;
inline constexpr std::size_t kAoChunkSize = 2068;
inline constexpr std::size_t kAoChunkInLength = 18;
inline constexpr std::size_t kAoChunkCount = 8;
inline constexpr std::size_t kAoChunkIndex = 12;
inline constexpr std::size_t kAoChunkValues = 18;
inline constexpr int kAoChunkCapacity = 1024;
static_assert(kAoChunkValues + kAoChunkCapacity * 2 <= kAoChunkSize);
// Multi output 0x316F (40 bytes): int16 channels at 4, int16 counts from 6.
inline constexpr std::size_t kAoMultiSize = 40;
inline constexpr std::size_t kAoMultiValues = 6;
inline constexpr int kAoMultiCapacity = 17;
// All ranges 0x317B (44 bytes): int16 get flag 4, channels 6, codes from 8,
// resolution at 40.
inline constexpr std::size_t kAoRangesSize = 44;
inline constexpr std::size_t kAoRangesCount = 6;
inline constexpr std::size_t kAoRangesCodes = 8;
inline constexpr std::size_t kAoRangesResolution = 40;
inline constexpr int kAoRangesCapacity = 16;
// Adjustment 0x3180/0x3181 (16 bytes).
inline constexpr std::size_t kAoAdjustSize = 16;
// Event fetch 0x31C4: bus kind 10 (1060 bytes) and bus kind 3 (32 bytes).
inline constexpr std::size_t kAoFetchSizeVm = 1060;
inline constexpr std::size_t kAoFetchSizeBus = 32;
inline constexpr std::size_t kAoWaitSize = 4;
struct AoFetchPlaces {
  std::size_t count, bits, mask, repeat, times, sampling, words, list, park, memoryType;  // count, words 0: none
};
inline constexpr AoFetchPlaces kAoFetchVm{4, 8, 12, 16, 20, 24, 28, 1052, 1054, 1056};
inline constexpr AoFetchPlaces kAoFetchBus{0, 4, 8, 12, 16, 20, 0, 24, 26, 28};
}  // namespace rec

namespace ao {
inline constexpr int kEventWordCapacity = 256;
// The same places in the AoParamBlock.
inline constexpr rec::AoFetchPlaces kFetch{kEventWordCount, kEventBits, kEventMask, kRepeatCount, kSamplingTimes,
                                           kSamplingCount, kEventWords, kListFlag, kParkFlag, kMemoryType};
// Event bits and the status bit.
inline constexpr int32_t kEventStart = 0x2;
inline constexpr int32_t kEventRepeatEnd = 0x10;
inline constexpr int32_t kEventEnd = 0x20;
inline constexpr int32_t kEventDataNumber = 0x80;
inline constexpr int32_t kEventTransfer = 0x100;
inline constexpr int32_t kEventClockError = 0x20000;
inline constexpr int32_t kEventOutputError = 0x40000;
inline constexpr int32_t kStatusRunning = 0x1;
// A stop trigger of 4: the output runs until the stop request, taking the
// data as it comes; running out of data before that is an underrun.
inline constexpr int16_t kStopByCommand = 4;
// The most int32 values the device memory holds.
inline constexpr int64_t kMemoryValues = 262144;
}  // namespace ao
// Statuses of analog output: more data than the device memory holds; an
// output request for a channel the device lacks.
inline constexpr int32_t kStatusAoMemoryFull = 23220;
inline constexpr int32_t kStatusAoChannelOutOfRange = 23000;
inline constexpr int32_t kStatusAoMultiOutOfRange = 23020;
// ---- End of analog output ------------------------------------------------------------
// ---- Multi-function counters, digital and port I/O --------------------------------
// Multi-function counter requests (read access: CTL_CODE(0x22, ...,
// METHOD_BUFFERED, FILE_READ_ACCESS)). Each has a record of its own whose
// int32 driver status is its last field.
inline constexpr DWORD kCntmGetChannelBlock = 0x22400C;
inline constexpr DWORD kCntmSetChannelBlock = 0x224010;
inline constexpr DWORD kCntmSetZMode = 0x224018;
inline constexpr DWORD kCntmGetZMode = 0x22401C;
inline constexpr DWORD kCntmPulseWidth = 0x224020;
inline constexpr DWORD kCntmStart = 0x224024;
inline constexpr DWORD kCntmStop = 0x224028;
inline constexpr DWORD kCntmPreset = 0x22402C;
inline constexpr DWORD kCntmReadCount = 0x224030;
inline constexpr DWORD kCntmNotifyCountUp = 0x224038;
inline constexpr DWORD kCntmNotifyTimer = 0x22403C;
inline constexpr DWORD kCntmInputDi = 0x224040;
inline constexpr DWORD kCntmInfo = 0x224044;
inline constexpr DWORD kCntmOutputHardwareEvent = 0x224050;
inline constexpr DWORD kCntmInputHardwareEvent = 0x224054;
inline constexpr DWORD kCntmCountMatchEvent = 0x224058;
inline constexpr DWORD kCntmPresetRegister = 0x22405C;
inline constexpr DWORD kCntmZeroClear = 0x224060;
inline constexpr DWORD kCntmReadStatus = 0x224064;
inline constexpr DWORD kCntmOutputDo = 0x224068;
inline constexpr DWORD kCntmNotifyError = 0x22406C;
inline constexpr DWORD kCntmNotifyCarryBorrow = 0x224070;
inline constexpr DWORD kCntmTestPulse = 0x224074;
// The event wait (8 bytes {int32 process id, int32 0}, overlapped: pending
// until events are due) and the event read that follows it.
inline constexpr DWORD kCntmEventWait = 0x2240A0;
inline constexpr DWORD kCntmEventRead = 0x2240A4;
// The time-up notifications of the bus library's units (commands).
inline constexpr WORD kCmdCntmTimeUpRead = 0x3261;    // 396
inline constexpr WORD kCmdCntmTimeUpEnable = 0x3262;  // 12
inline constexpr WORD kCmdCntmTimeUpCount = 0x3263;   // 12
inline constexpr WORD kCmdCntmTimeUpWait = 0x5281;    // 8, overlapped
// Digital bit and byte (DioParamBlock) and their commands.
inline constexpr DWORD kDiBit = 0x2224B0;
inline constexpr DWORD kDiByte = 0x2224B4;
inline constexpr WORD kCmdDioBit = 0x31A0;        // 20
inline constexpr WORD kCmdDioByte = 0x31A1;       // 20
inline constexpr WORD kCmdDioDirection = 0x31A3;  // 28
inline constexpr WORD kCmdPortIo = 0x3104;        // 28

namespace cntm {
inline constexpr int kChannels = 8;
inline constexpr int kRows = 2;
// CntmChannelBlock (24 bytes).
inline constexpr std::size_t kBlockSize = 24;
inline constexpr std::size_t kChannel = 0;      // int16
inline constexpr std::size_t kZLogic = 4;       // int16
inline constexpr std::size_t kSignal = 6;       // int16
inline constexpr std::size_t kDirection = 8;    // int16
inline constexpr std::size_t kOperation = 10;   // int16
inline constexpr std::size_t kSyncClear = 12;   // int16
inline constexpr std::size_t kMultiply = 14;    // int16
inline constexpr std::size_t kFilter = 16;      // int16
inline constexpr std::size_t kPulseWidth = 18;  // int16 (out)
// The small records: {int16 channel, int16 value, status} (8 bytes: Z
// mode, pulse width, test pulse, digital input and output) and the 12- and
// 16-byte ones; the value places are given where they are sent.
inline constexpr std::size_t kShortSize = 8;
inline constexpr std::size_t kShortValue = 2;
// Channel groups: int16 channels[8], int16 count at 16. The count record
// (24 bytes) has its status at 20; the preset record (56 bytes) carries
// int32 values[8] at 20 (preset in, counts out) and its status at 52.
inline constexpr std::size_t kCountSize = 24;
inline constexpr std::size_t kPresetSize = 56;
inline constexpr std::size_t kGroupCount = 16;
inline constexpr std::size_t kGroupValues = 20;
// Notify records. Count-up (20 bytes): int16 channel 0, int16 row 2, int32
// value 4, int32 process id 8, int16 enable 12. Counter error and
// carry/borrow (12): int32 process id 0, int16 enable 4. Timer (16): int32
// time value 0, int32 process id 4, int16 enable 8.
inline constexpr std::size_t kCountUpSize = 20;
inline constexpr std::size_t kFlagNotifySize = 12;
inline constexpr std::size_t kTimerNotifySize = 16;
// CntmInfoRecord (132 bytes): UTF-16 model name (50 units, terminated only
// when shorter), int16 information type at 100, the caller's three 8-byte
// output pointers at 104, 112 and 120, status at 128. Type 1 writes the
// number of channels as int16 through the first pointer.
inline constexpr std::size_t kInfoSize = 132;
inline constexpr std::size_t kInfoName = 0;
inline constexpr std::size_t kInfoNameUnits = 50;
inline constexpr std::size_t kInfoType = 100;
inline constexpr std::size_t kInfoOut1 = 104;
inline constexpr std::size_t kInfoOut2 = 112;
inline constexpr std::size_t kInfoOut3 = 120;
inline constexpr std::size_t kInfoStatus = 128;
static_assert(kInfoStatus + 4 == kInfoSize);
// CntmEventRecord (163864 bytes).
inline constexpr std::size_t kEventSize = 163864;
inline constexpr std::size_t kEventChannels = 0;        // int16 N
inline constexpr std::size_t kEventRows = 2;            // int16 R
inline constexpr std::size_t kCountUpValues = 4;        // int32 [e*16 + r*8 + c]
inline constexpr std::size_t kCountUpFlags = 65540;     // int16, same index
inline constexpr std::size_t kErrorFlags[3] = {98308, 114692, 131076};  // int16 [e*8 + c]
inline constexpr std::size_t kCarryBorrow = 147460;     // int16 [e*8 + c]
inline constexpr std::size_t kTimerEvents = 163844;     // int16
inline constexpr std::size_t kCountUpEntries = 163846;  // int16
inline constexpr std::size_t kErrorEntries[3] = {163848, 163850, 163852};  // int16
inline constexpr std::size_t kCarryBorrowEntries = 163854;  // int16
inline constexpr std::size_t kEventProcessId = 163856;  // int32 (in)
inline constexpr std::size_t kEventStatus = 163860;     // int32
inline constexpr int kEntries = 1024;
static_assert(kCountUpValues + 4 * kEntries * 16 == kCountUpFlags);
static_assert(kCountUpFlags + 2 * kEntries * 16 == kErrorFlags[0]);
static_assert(kCarryBorrow + 2 * kEntries * 8 == kTimerEvents);
static_assert(kEventStatus + 4 == kEventSize);
// Time-up commands: enable (12: int32 value 4, int32 process id 8), wait (8:
// int32 process id 0), read (396: int32 values[64] at 4, int16 flags[64] at
// 260, index row * 2 + entry; int32 process id at 392), count (12: int32
// count out at 4, int32 process id 8).
inline constexpr std::size_t kTimeUpEnableSize = 12;
inline constexpr std::size_t kTimeUpWaitSize = 8;
inline constexpr std::size_t kTimeUpSize = 396;
inline constexpr std::size_t kTimeUpValues = 4;
inline constexpr std::size_t kTimeUpFlags = 260;
inline constexpr std::size_t kTimeUpProcessId = 392;
inline constexpr std::size_t kTimeUpCountSize = 12;
inline constexpr int kTimeUpSlots = 64;
static_assert(kTimeUpFlags + 2 * kTimeUpSlots + 4 == kTimeUpProcessId);
}  // namespace cntm

// Port I/O and the I/O addresses in the DeviceParamBlock (0x222010, 0x22201C).
namespace dev {
inline constexpr std::size_t kPortData = 8;        // int32
inline constexpr std::size_t kFirstAddress = 16;   // int32 (out)
inline constexpr std::size_t kSecondAddress = 20;  // int32 (out)
inline constexpr std::size_t kPortOffset = 30;     // int16
inline constexpr std::size_t kPortDirection = 32;  // int16, 1 input
inline constexpr std::size_t kPortWidth = 34;      // int16, bytes
inline constexpr std::size_t kPortSpace = 42;      // int16, 0 or 1
}  // namespace dev
namespace rec {
// Digital bit 0x31A0 and byte 0x31A1 (20 bytes).
inline constexpr std::size_t kDioSize = 20;
inline constexpr std::size_t kDioBit = 8;       // int16
inline constexpr std::size_t kDioPort = 10;     // int16
inline constexpr std::size_t kDioInput = 12;    // int16 (out)
inline constexpr std::size_t kDioOutput = 14;   // int16
inline constexpr std::size_t kDioGetFlag = 16;  // int16, 1 input
// Line direction 0x31A3 (28 bytes).
inline constexpr std::size_t kDirectionSize = 28;
inline constexpr std::size_t kDirectionValue = 12;    // int32
inline constexpr std::size_t kDirectionGetFlag = 24;  // int16
// Port I/O 0x3104 (28 bytes); the virtual device has one I/O space.
inline constexpr std::size_t kPortSize = 28;
inline constexpr std::size_t kPortData = 8;        // int32
inline constexpr std::size_t kPortOffset = 18;     // int16
inline constexpr std::size_t kPortDirection = 20;  // int16, 1 input
inline constexpr std::size_t kPortWidth = 22;      // int16, bytes
}  // namespace rec
// ---- End of the multi-function counters, digital and port I/O -----------------------

// ---- Reading and writing a record by offset ----------------------------------------
template <std::size_t Size>
struct WireRecord {
  unsigned char bytes[Size] = {};

  template <class T>
  T get(std::size_t offset) const {
    static_assert(std::is_trivially_copyable_v<T>);
    T value;
    std::memcpy(&value, bytes + offset, sizeof value);
    return value;
  }
  template <class T>
  void put(std::size_t offset, T value) {
    static_assert(std::is_trivially_copyable_v<T>);
    std::memcpy(bytes + offset, &value, sizeof value);
  }
  static constexpr DWORD size() { return static_cast<DWORD>(Size); }
  void* data() { return bytes; }
};

using DeviceBlock = WireRecord<kDeviceBlockSize>;
using AiBlock = WireRecord<kAiBlockSize>;
using AoBlock = WireRecord<kAoBlockSize>;
using CntBlock = WireRecord<kCntBlockSize>;
using TmBlock = WireRecord<kTmBlockSize>;
using DioBlock = WireRecord<kDioBlockSize>;

// ---- Analog input into a host buffer -------------------------------------------
// The hand-over 0x22E251 = CTL_CODE(0x22, 0x894, METHOD_IN_DIRECT, read and
// write access) gives the driver a buffer of the library's (the host ring of
// device buffer mode 1) or of the caller's (bus-master transfer) as the
// request's output buffer. The driver keeps the request pending, and the
// buffer in its use, until the buffer is released (0x222254), the buffer
// mode or transfer mode is set, the request is cancelled or the handle is
// closed.
//
// The set-up 0x22221C that follows names the same buffer in the AiParamBlock:
// the process id at ai::kMemorySizeIn, the size in 32-bit words at 4, the
// 8-byte address at 8 and the int32 1 at 16.
//
// In the host ring the driver writes 16-bit entries, two per 32-bit word,
// the lower half first, the sample in the low 12 bits. A scan starts on a
// word of its own and takes (channels + 1) / 2 words, except with one
// channel, where a word holds two scans; an upper half not yet written (or
// unused) holds kRingUnwritten. The transfer count (0x22223C, at 40) is the
// word the next scan goes to, a word counted as soon as its lower half is
// written; the lap (0x222240, at 44) counts the times it came back to 0.
inline constexpr DWORD kAiHostBuffer = 0x22E251;
static_assert(kAiHostBuffer == ((0x22u << 16) | (3u << 14) | (0x894u << 2) | 1u));
namespace ai {
inline constexpr std::size_t kBufferWords = 4;     // int32
inline constexpr std::size_t kBufferAddress = 8;   // 8-byte address
inline constexpr std::size_t kBufferFlag = 16;     // int32, 1
inline constexpr uint16_t kRingUnwritten = 0x8000;
inline constexpr uint16_t kRingSampleMask = 0x0FFF;
}  // namespace ai
// The set-up names no buffer of a pending hand-over.
inline constexpr int32_t kStatusAiNoBuffer = 11982;

}  // namespace halvikdrv
