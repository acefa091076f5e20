// Configuration records: refused ones get their codes and change nothing,
// accepted ones read back.
#include <array>
#include <cstring>

#include "library.h"
#include "sim_fixture.h"

namespace skorra_test {
namespace {

using SkorraLibConfig = SimFixture;

struct NormalRule {
  const char* what;
  void (*change)(SkSamplingConfig&);
};

// Each breaks one rule of an otherwise valid record for the 4591.
const NormalRule kNormalRules[] = {
    {"input type", [](SkSamplingConfig& c) { c.inputType = 3; }},
    {"no channels", [](SkSamplingConfig& c) { c.channelCount = 0; }},
    {"too many channels", [](SkSamplingConfig& c) { c.channelCount = 33; }},
    {"differential maximum", [](SkSamplingConfig& c) {
       c.inputType = 2;
       c.channelCount = 17;
     }},
    {"mode", [](SkSamplingConfig& c) { c.mode = 3; }},
    {"sample count", [](SkSamplingConfig& c) { c.sampleCount = 0x40000001; }},
    {"event count", [](SkSamplingConfig& c) { c.eventCount = c.sampleCount + 1; }},
    {"frequency", [](SkSamplingConfig& c) { c.frequency = 0.005f; }},
    {"negative frequency", [](SkSamplingConfig& c) { c.frequency = -2.0f; }},
    {"-1 on the two-stage clock", [](SkSamplingConfig& c) { c.frequency = -1.0f; }},
    {"range 0x400", [](SkSamplingConfig& c) { c.channels[1].range = 0x400; }},
    {"range outside the mask", [](SkSamplingConfig& c) { c.channels[1].range = 0x10; }},
    {"channel twice", [](SkSamplingConfig& c) { c.channels[2] = {1, 0x40000}; }},
    {"channel number", [](SkSamplingConfig& c) { c.channels[0].channel = 33; }},
    {"trigger mode", [](SkSamplingConfig& c) { c.triggerMode = 0x1FFF1; }},
    {"level", [](SkSamplingConfig& c) { c.level1 = 10.5f; }},
    {"trigger point", [](SkSamplingConfig& c) {
       c.triggerMode = 2;
       c.triggerEdge = 1;
       c.triggerPoint = 4;
     }},
    {"trigger channel not in list", [](SkSamplingConfig& c) {
       c.triggerMode = 4;
       c.triggerChannel = 9;
     }},
    {"delay", [](SkSamplingConfig& c) {
       c.triggerMode = 4;
       c.triggerChannel = 1;
       c.delay = -static_cast<int32_t>(c.sampleCount) - 1;
     }},
    {"window levels out of order", [](SkSamplingConfig& c) {
       c.triggerMode = 7;
       c.triggerChannel = 2;
       c.level1 = 2.0f;
       c.level2 = 1.0f;
     }},
    {"external clock selection", [](SkSamplingConfig& c) { c.frequency = 0.0f; }},
    {"edge selection", [](SkSamplingConfig& c) {
       c.triggerMode = 2;
       c.triggerEdge = 0;
     }},
    {"memory divisor 0", [](SkSamplingConfig& c) {
       c.mode = 4;
       c.triggerMode = 2;
       c.triggerEdge = 1;
       c.memoryDivisor = 0;
     }},
};

TEST_F(SkorraLibConfig, EveryRuleRefusesWithItsCodeAndKeepsTheAcceptedRecord) {
  HANDLE h = openBoard(1);
  SkSamplingConfig good = normalConfig(4, 2000, 5000.0f);
  ASSERT_EQ(SkSetSamplingConfig(h, &good), 0u);
  DWORD accepted = SkorradevSimRequestCount(1, SKDF_SET_CONFIG);
  for (const NormalRule& rule : kNormalRules) {
    SkSamplingConfig bad = normalConfig(4, 2000, 5000.0f);
    rule.change(bad);
    EXPECT_EQ(SkSetSamplingConfig(h, &bad), SK_E_INVALID_CONFIG) << rule.what;
  }
  EXPECT_EQ(SkorradevSimRequestCount(1, SKDF_SET_CONFIG), accepted);
  SkSamplingConfig back{};
  ASSERT_EQ(SkGetSamplingConfig(h, &back), 0u);
  EXPECT_EQ(back.channelCount, 4u);
  EXPECT_EQ(back.sampleCount, 2000u);
  EXPECT_EQ(back.frequency, 5000.0f);
  EXPECT_EQ(back.channels[3].channel, 4u);
}

TEST_F(SkorraLibConfig, ARefusedRecordDoesNotChangeTheOverLimitVerdict) {
  HANDLE h = openBoard(1);
  SkSamplingConfig good = normalConfig(4, 1000, 1000.0f);
  ASSERT_EQ(SkSetSamplingConfig(h, &good), 0u);
  SkSamplingConfig fast = normalConfig(4, 1000, 900000.0f);
  fast.channels[1].range = 0x400;  // refused, though past the limit test
  EXPECT_EQ(SkSetSamplingConfig(h, &fast), SK_E_INVALID_CONFIG);
  EXPECT_EQ(skorra::slotOf(1).overLimit, 0u);
  EXPECT_EQ(SkStartSampling(h, 2), 0u);
  SkStopSampling(h);
}

TEST_F(SkorraLibConfig, AcceptedEdgesOfTheNormalRecord) {
  HANDLE h = openBoard(1);
  // The 4591 has 32 single-ended and 16 differential channels.
  const NormalRule edges[] = {
      {"bit 30 is a flag", [](SkSamplingConfig& c) { c.channels[0].range = 0x40000001; }},
      {"external clock", [](SkSamplingConfig& c) {
         c.frequency = 0.0f;
         c.externalClock = 1;
       }},
      {"highest single-ended channel", [](SkSamplingConfig& c) { c.channels[1].channel = 32; }},
      {"highest differential channel", [](SkSamplingConfig& c) {
         c.inputType = 2;
         c.channels[1].channel = 16;
       }},
  };
  for (const NormalRule& edge : edges) {
    SkSamplingConfig c = normalConfig(2, 1000);
    edge.change(c);
    EXPECT_EQ(SkSetSamplingConfig(h, &c), 0u) << edge.what;
  }
  // Level trigger on channel 2 inside its range.
  SkSamplingConfig c = normalConfig(2, 1000);
  c.triggerMode = 4;
  c.triggerChannel = 2;
  c.level1 = 2.5f;
  EXPECT_EQ(SkSetSamplingConfig(h, &c), 0u);
  SkSamplingConfig back{};
  ASSERT_EQ(SkGetSamplingConfig(h, &back), 0u);
  EXPECT_EQ(back.level1, 2.5f);
  EXPECT_EQ(back.triggerChannel, 2u);
}

TEST_F(SkorraLibConfig, MemoryModeDelayIsZeroedOnlyWhenTheRecordIsAccepted) {
  HANDLE h = openBoard(1);
  SkSamplingConfig c = normalConfig(2, 4096);
  c.mode = 4;
  c.triggerMode = 2;
  c.triggerEdge = 1;
  c.triggerPoint = 2;
  c.memoryDivisor = 8;
  c.delay = 5;  // 5 / 8 = 0
  SkSamplingConfig refused = c;
  refused.externalClock = 0;
  refused.frequency = 0.0f;
  EXPECT_EQ(SkSetSamplingConfig(h, &refused), SK_E_INVALID_CONFIG);
  EXPECT_EQ(refused.delay, 5);
  ASSERT_EQ(SkSetSamplingConfig(h, &c), 0u);
  EXPECT_EQ(c.delay, 0);
}

TEST_F(SkorraLibConfig, BusMasterRulesAndReadBack) {
  HANDLE h = openBoard(1);
  // The power-on record must itself be accepted.
  SkBmSamplingConfig power{};
  ASSERT_EQ(SkBmGetSamplingConfig(h, &power), 0u);
  ASSERT_NE(power.channelCount, 0u);
  power.clock = 1000.0f;
  EXPECT_EQ(SkBmSetSamplingConfig(h, &power), 0u);
  struct Rule {
    const char* what;
    void (*spoil)(SkBmSamplingConfig&);
  } rules[] = {
      {"repeat", [](SkBmSamplingConfig& c) { c.repeatCount = 0x10000; }},
      {"repeat with start 1", [](SkBmSamplingConfig& c) { c.repeatCount = 2; }},
      {"start delay", [](SkBmSamplingConfig& c) { c.startDelay = 1; }},
      {"range", [](SkBmSamplingConfig& c) { c.channels[0].range = 0x400000; }},
      {"start condition", [](SkBmSamplingConfig& c) { c.startCondition = 4; }},
      {"selection", [](SkBmSamplingConfig& c) { c.clockOutputSelection = 17; }},
      {"transfer width", [](SkBmSamplingConfig& c) { c.transferWidth = 3; }},
      {"buffer mode 1 without repeats", [](SkBmSamplingConfig& c) {
         c.bufferMode = 1;
         c.repeatCount = 0;
         c.stopCondition = 2;
       }},
      {"clock over the limit", [](SkBmSamplingConfig& c) { c.clock = 600000.0f; }},
      {"start level channel", [](SkBmSamplingConfig& c) {
         c.startCondition = 16;
         c.startTriggerChannel = 7;
       }},
      {"negative hysteresis", [](SkBmSamplingConfig& c) {
         c.startCondition = 16;
         c.startTriggerChannel = 1;
         c.startHysteresis = -1.0f;
       }},
  };
  for (const Rule& r : rules) {
    SkBmSamplingConfig bad = bmConfig(2, 1000);
    r.spoil(bad);
    EXPECT_EQ(SkBmSetSamplingConfig(h, &bad), SK_E_INVALID_CONFIG) << r.what;
  }
  SkBmSamplingConfig c = bmConfig(2, 1000);
  c.startCondition = 16;
  c.startTriggerChannel = 2;
  c.startLevel = 5.0f;
  c.startHysteresis = 0.5f;
  ASSERT_EQ(SkBmSetSamplingConfig(h, &c), 0u);
  SkBmSamplingConfig back{};
  ASSERT_EQ(SkBmGetSamplingConfig(h, &back), 0u);
  EXPECT_EQ(back.startCondition, 16u);
  EXPECT_NEAR(back.startLevel, 5.0f, 0.01f);
  EXPECT_NEAR(back.startHysteresis, 0.5f, 0.05f);
}

// The clock code each clock kind makes of a frequency, what the board is
// sent for both records, and the frequency a fresh open reads back from it.
TEST_F(SkorraLibConfig, EveryClockKindSendsItsOwnCodesAndReadsThemBack) {
  struct Case {
    uint32_t kind;
    float frequency, second;
    uint32_t code, secondCode;
    float readBack;  // with no frequency remembered
  } cases[] = {
      {1, 1000.0f, 0.0f, (4000u << 16) | 2u, 0, 0.0f},  // only two pair codes are known by value
      {2, 1000000.0f, 1000.0f, 3, 8000, 1000000.0f},
      {3, 1000.0f, 1000.0f, 8000, 8000, 1000.0f},
      {4, 1000.0f, 1000.0f, 20000, 8000, 1000.0f},
      {5, 1200.0f, 1000.0f, 0x1000000u | 2048, 0x1000000u | 2458, 1200.0f},  // 2.4576 MHz fits exactly
      {6, 1000.0f, 1000.0f, 12288, 0, 1000.0f},
      {7, 1000.0f, 1000.0f, 36000, 0, 1000.0f},
  };
  HANDLE h = openBoard(1);
  std::array<DWORD, 94> record = boardRecord(h);
  for (const Case& k : cases) {
    record[SK_INFO_CLOCK_KIND] = k.kind;
    ASSERT_TRUE(SkorradevSimSetDeviceInfo(1, record.data()));
    SkSamplingConfig c = normalConfig(1, 1000, k.frequency);
    ASSERT_EQ(SkSetSamplingConfig(h, &c), 0u) << "kind " << k.kind;
    SkorradevSamplingRequest held{};
    held.head = 1;
    ASSERT_EQ(boardRequest(h, SKDF_GET_CONFIG, held), 0u);
    EXPECT_EQ(held.clockCode, k.code) << "kind " << k.kind;

    SkClose(h);
    open_.clear();
    h = openBoard(1);
    SkSamplingConfig back{};
    ASSERT_EQ(SkGetSamplingConfig(h, &back), 0u);
    EXPECT_FLOAT_EQ(back.frequency, k.readBack) << "kind " << k.kind;

    SkBmSamplingConfig bm = bmConfig(1, 1000, k.frequency);
    bm.secondClock = k.second;
    ASSERT_EQ(SkBmSetSamplingConfig(h, &bm), 0u) << "kind " << k.kind;
    SkorradevBmSamplingRequest bmHeld{};
    bmHeld.head = 1;
    ASSERT_EQ(boardRequest(h, SKDF_BM_GET_CONFIG, bmHeld), 0u);
    EXPECT_EQ(bmHeld.clockCode1, k.code) << "kind " << k.kind;
    EXPECT_EQ(bmHeld.clockCode2, k.secondCode) << "kind " << k.kind;
  }
}

// Memory mode picks 24.576 MHz where it divides the rate better than
// 40 MHz, and reads the rate back from that oscillator.
TEST_F(SkorraLibConfig, MemoryModeOnTheSecondOscillator) {
  HANDLE h = openBoard(1);
  SkMemSamplingConfig c{};
  c.channelCount = 1;
  c.channels[0] = {1, 0x80000};
  c.inputType = 1;
  c.frequency = 48000.0f;  // 24.576 MHz / 512; 40 MHz / 833.3
  c.triggerCondition = 2;
  c.postTriggerCount = 100;
  c.clockOutputSelection = 0x80000000u;
  c.triggerInputSelection = 1;
  c.transferSelection = 1;
  c.transferWidth = 1;
  ASSERT_EQ(SkMemSetSamplingConfig(h, &c), 0u);
  SkorradevMemSamplingRequest held{};
  held.head = 1;
  ASSERT_EQ(boardRequest(h, SKDF_MEM_GET_CONFIG, held), 0u);
  EXPECT_EQ(held.clockCode, 0x1000000u | 512);
  SkMemSamplingConfig back{};
  ASSERT_EQ(SkMemGetSamplingConfig(h, &back), 0u);
  EXPECT_EQ(back.frequency, 48000.0f);

  ASSERT_EQ(SkStartSampling(h, 2), 0u);
  ASSERT_TRUE(SkorradevSimAdvance(1, 150));
  int32_t state = 0, scans = 0;
  ASSERT_EQ(SkGetStatus(h, &state, &scans, nullptr), 0u);
  EXPECT_EQ(state, 1);
  EXPECT_EQ(scans, 100);
}

TEST_F(SkorraLibConfig, RecordsAndCountsFromCallersAreBounded) {
  HANDLE h = openBoard(1);
  EXPECT_EQ(SkSetSamplingConfig(h, nullptr), SK_E_NULL_BUFFER);
  EXPECT_EQ(SkBmSetSamplingConfig(h, nullptr), SK_E_NULL_BUFFER);
  uint32_t list[300][2] = {};
  EXPECT_EQ(SkMemTriggerSampling(h, 257, list, 0, 0, 0, 1000.0f, 1, 0), SK_E_INVALID_ARGUMENT);
  EXPECT_EQ(SkMemTriggerSampling(h, 0, list, 0, 0, 0, 1000.0f, 1, 0), SK_E_INVALID_ARGUMENT);
  uint32_t pattern[9] = {};
  EXPECT_EQ(SkMemSetDiPattern(h, 9, pattern), SK_E_INVALID_ARGUMENT);
  for (int i = 0; i < 17; ++i) {
    list[i][0] = i + 1;
    list[i][1] = 0x80000;
  }
  uint16_t values[300];
  // Modes 3..6 take no channel maximum, but the request has room for 256.
  EXPECT_EQ(SkInputAD(h, 257, 3, list, values), SK_E_INVALID_CONFIG);
  EXPECT_EQ(SkInputAD(h, 4, 1, list, nullptr), SK_E_NULL_BUFFER);
  const uint32_t highest[1][2] = {{32, 0x80000}}, beyond[1][2] = {{33, 0x80000}};
  EXPECT_EQ(SkInputAD(h, 1, 1, highest, values), 0u);
  EXPECT_EQ(SkInputAD(h, 1, 1, beyond, values), SK_E_INVALID_CONFIG);
  EXPECT_EQ(SkSyncSampling(h, 3), SK_E_INVALID_CONFIG);
  EXPECT_EQ(SkSetFilter(h, 6), SK_E_INVALID_CONFIG);
  EXPECT_EQ(SkSetTimer(h, 1, 100), SK_E_INVALID_CONFIG);
  uint32_t count = 0;
  EXPECT_EQ(SkReadSamplingBuffer(h, -2, &count, values), SK_E_INVALID_ARGUMENT);
}

TEST_F(SkorraLibConfig, TimerAndAuxiliaryRequests) {
  HANDLE h = openBoard(1);
  SkSamplingConfig c = normalConfig(1, 1000);
  ASSERT_EQ(SkSetSamplingConfig(h, &c), 0u);
  ASSERT_EQ(SkSetTimer(h, 4, 2000), 0u);
  uint32_t d1 = 0, d2 = 0;
  float f = 0;
  ASSERT_EQ(SkGetTimer(h, &d1, &d2, &f), 0u);
  EXPECT_EQ(d1, 4u);
  EXPECT_EQ(d2, 2000u);
  EXPECT_FLOAT_EQ(f, 1000.0f);
  SkSamplingConfig back{};
  ASSERT_EQ(SkGetSamplingConfig(h, &back), 0u);
  EXPECT_FLOAT_EQ(back.frequency, 1000.0f);

  ASSERT_EQ(SkSetInterval(h, 77), 0u);
  uint32_t v = 0;
  ASSERT_EQ(SkGetInterval(h, &v), 0u);
  EXPECT_EQ(v, 77u);
  uint32_t pattern[3] = {5, 6, 7}, out[8] = {};
  ASSERT_EQ(SkMemSetDiPattern(h, 3, pattern), 0u);
  ASSERT_EQ(SkMemGetDiPattern(h, out), 0u);
  EXPECT_EQ(out[2], 7u);
  float t;
  EXPECT_EQ(SkMeasureTemperature(h, &t), SK_E_NOT_AVAILABLE);

  ASSERT_EQ(SkCommonIoByteWrite(h, 0x10, 0x1234), 0u);
  ASSERT_EQ(SkCommonIoDwordRead(h, 0x10, &v), 0u);
  EXPECT_EQ(v, 0x34u);  // a byte write sends the low 8 bits only
  ASSERT_TRUE(SkorradevSimSetFault(1, SKDF_IO_DWORD_READ, TRUE, 31));
  EXPECT_EQ(SkCommonIoDwordRead(h, 0x10, &v), SK_E_RAW_ACCESS);
}

}  // namespace
}  // namespace skorra_test
