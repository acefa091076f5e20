// The output, counter, digital and timer exports the core and the
// configuration loader use, through their rows on every road.
#include <cmath>
#include <iterator>

#include "halvik.h"
#include "support/road_case.h"

namespace {

using namespace halvik::testing;

short gShort;
const LONG kPresets[2] = {5, 6};

class IoSettingsTest : public RoadsTest {};

TEST_F(IoSettingsTest, EachRowSendsItsBytesOnEachRoad) {
  const short k = kKernelId, v = kVirtualId, a = kAttachedId;
  const int64_t presets = reinterpret_cast<intptr_t>(kPresets);
  const std::vector<RoadCase> cases = {
      {"ao channels", [&] { return XanSetAoChannels(k, 4); }, 0x222324, 2196, {{1152, 2, 4}, {1168, 2, 0}}},
      {"ao channels, virtual", [&] { return XanSetAoChannels(v, 4); }, 0x3161, 8, {{4, 2, 0}, {6, 2, 4}}},
      {"ao channels, attached", [&] { return XanSetAoChannels(a, 4); }, 0x3161, 8, {{4, 2, 0}, {6, 2, 4}}},
      {"ao range", [&] { return XanSetAoRange(k, 1, 300); }, 0x222328, 2196, {{1154, 2, 1}, {1156, 2, 300}, {1168, 2, 0}}},
      {"ao range, virtual", [&] { return XanSetAoRange(v, 1, 300); }, 0x3162, 12, {{4, 2, 0}, {6, 2, 1}, {8, 2, 300}}},
      {"ao range all", [&] { return XanSetAoRangeAll(k, 5); }, 0x22232C, 2196, {{1156, 2, 5}}},
      {"ao range all, virtual", [&] { return XanSetAoRangeAll(v, 5); }, 0x3163, 8, {{6, 2, 5}}},
      {"ao transfer mode", [&] { return XanSetAoTransferMode(k, 1); }, 0x222394, 2196, {{0, 2, 1}, {1168, 2, 0}}},
      {"ao memory type", [&] { return XanSetAoMemoryType(k, 1); }, 0x222330, 2196, {{1166, 2, 1}, {1168, 2, 0}}},
      {"ao memory type, virtual", [&] { return XanSetAoMemoryType(v, 1); }, 0x3164, 8, {{4, 2, 0}, {6, 2, 1}}},
      {"ao repeat times", [&] { return XanSetAoRepeatTimes(k, 70000); }, 0x222334, 2196, {{1092, 4, 70000}}},
      {"ao repeat times, virtual", [&] { return XanSetAoRepeatTimes(v, 70000); }, 0x3165, 12, {{4, 4, 70000}, {8, 2, 0}}},
      {"ao clock type", [&] { return XanSetAoClockType(k, 2); }, 0x222338, 2196, {{1162, 2, 2}}},
      {"ao clock type, virtual", [&] { return XanSetAoClockType(v, 2); }, 0x3166, 8, {{6, 2, 2}}},
      {"ao clock", [&] { return XanSetAoSamplingClock(k, 2.5f); }, 0x22233C, 2196,
       {{1084, 4, 2}, {1088, 4, 500}, {1168, 2, 0}}},
      {"ao clock, virtual", [&] { return XanSetAoSamplingClock(v, 2.5f); }, 0x3167, 12, {{4, 4, 2}, {8, 4, 500}}},
      {"ao clock, attached", [&] { return XanSetAoSamplingClock(a, 2.5f); }, 0x3167, 12, {{4, 4, 2}, {8, 2, 0}}},
      {"ao clock edge", [&] { return XanSetAoClockEdge(k, 1); }, 0x2223C4, 2196, {{1164, 2, 1}}},
      {"ao clock edge, virtual", [&] { return XanSetAoClockEdge(v, 1); }, 0x3182, 8, {{4, 2, 0}, {6, 2, 1}}},
      {"ao start trigger", [&] { return XanSetAoStartTrigger(k, 3); }, 0x222340, 2196, {{1158, 2, 3}}},
      {"ao start trigger, virtual", [&] { return XanSetAoStartTrigger(v, 3); }, 0x3168, 8, {{6, 2, 3}}},
      {"ao stop trigger", [&] { return XanSetAoStopTrigger(k, 4); }, 0x222344, 2196, {{1160, 2, 4}}},
      {"ao stop trigger, virtual", [&] { return XanSetAoStopTrigger(v, 4); }, 0x3169, 8, {{6, 2, 4}}},
      {"ao event sampling", [&] { return XanSetAoEventSamplingTimes(k, 9); }, 0x222350, 2196, {{1128, 4, 9}}},
      {"ao event sampling, virtual", [&] { return XanSetAoEventSamplingTimes(v, 9); }, 0x316C, 12,
       {{4, 4, 9}, {8, 2, 0}}},
      {"ao event transfer", [&] { return XanSetAoEventTransferTimes(k, 8); }, 0x2223A4, 2196,
       {{24, 4, 8}, {1168, 2, 0}}},
      {"cnt max channels", [&] { return XanGetCntMaxChannels(k, &gShort); }, 0x222674, 1112, {}, {{1098, 2, 2}},
       [] { return gShort == 2; }},
      {"cnt max channels, virtual", [&] { return XanGetCntMaxChannels(v, &gShort); }, 0x31ED, 8, {}, {{4, 2, 1}},
       [] { return gShort == 1; }},
      {"cnt filter", [&] { return XanSetCntFilter(k, -1, -1, 2.9f); }, 0x222658, 1112,
       {{1100, 2, -1}, {1106, 2, -1}, {60, 4, 2}, {1096, 2, 0}}},
      {"cnt filter, virtual", [&] { return XanSetCntFilter(v, -1, -1, 2.9f); }, 0x31E6, 16,
       {{4, 2, -1}, {6, 2, -1}, {8, 4, 2}, {12, 2, 0}}},
      {"cnt mode", [&] { return XanSetCntComparisonMode(k, 1, -3); }, 0x222640, 1112,
       {{1100, 2, 1}, {64, 4, -3}, {1096, 2, 0}}},
      {"cnt mode, virtual", [&] { return XanSetCntComparisonMode(v, 1, -3); }, 0x31E0, 16,
       {{4, 2, 1}, {8, 4, -3}, {12, 2, 0}}},
      {"cnt signal", [&] { return XanSetCntInputSignal(k, 1, 2); }, 0x22264C, 1112, {{1100, 2, 1}, {1104, 2, 2}}},
      {"cnt signal, virtual", [&] { return XanSetCntInputSignal(v, 1, 2); }, 0x31E3, 12,
       {{4, 2, 1}, {6, 2, 2}, {8, 2, 0}}},
      {"cnt preset", [&] { return XanSetCntPresetReg(k, 1, 2, kPresets, 1); }, 0x222644, 1112,
       {{1100, 2, 1}, {28, 4, 2}, {32, 8, presets}, {1102, 2, 1}, {1096, 2, 0}}},
      {"cnt preset, virtual", [&] { return XanSetCntPresetReg(v, 1, 2, kPresets, 1); }, 0x31E1, 24,
       {{4, 2, 1}, {8, 4, 2}, {12, 8, presets}, {20, 2, 1}, {22, 2, 0}}},
      {"tm stop count", [&] { return XanStopTmCount(k, 1); }, 0x2227E4, 1076, {{1070, 2, 1}, {1068, 2, 0}}},
      {"tm stop count, virtual", [&] { return XanStopTmCount(v, 1); }, 0x3205, 12, {{8, 2, 1}, {10, 2, 0}}},
      // The kernel driver reads 0.05 as 50000; everything else travels truncated.
      {"di filter 0.05", [&] { return XanSetDiFilter(k, -1, 0.05f); }, 0x2224B8, 24,
       {{8, 4, 50000}, {12, 2, -1}, {20, 2, 0}}},
      {"di filter", [&] { return XanSetDiFilter(k, -1, 2.9f); }, 0x2224B8, 24, {{8, 4, 2}}},
      {"di filter, virtual", [&] { return XanSetDiFilter(v, -1, 0.05f); }, 0x31A2, 28,
       {{8, 4, 0}, {16, 2, -1}, {24, 2, 0}}},
  };
  for (const RoadCase& c : cases) expectCase(c);
}

TEST_F(IoSettingsTest, ArgumentChecksGiveTheirCodesInOrder) {
  const short k = kKernelId;
  const CheckCase cases[] = {
      {13060, [&] { return XanSetAoChannels(k, 0); }},
      {13060, [&] { return XanSetAoChannels(k, 257); }},
      {0, [&] { return XanSetAoChannels(k, 1); }},
      {0, [&] { return XanSetAoChannels(k, 256); }},
      {13100, [&] { return XanSetAoRange(k, -1, 0); }},  // upper bounds are unsigned
      {13101, [&] { return XanSetAoRange(k, 255, 301); }},
      {13101, [&] { return XanSetAoRange(k, 0, -1); }},
      {0, [&] { return XanSetAoRange(k, 255, 300); }},
      {13120, [&] { return XanSetAoRangeAll(k, -1); }},
      {13580, [&] { return XanSetAoTransferMode(k, 2); }},
      {13580, [&] { return XanSetAoTransferMode(k, -1); }},
      {13140, [&] { return XanSetAoMemoryType(k, 2); }},
      {13140, [&] { return XanSetAoMemoryType(k, -1); }},
      {13160, [&] { return XanSetAoRepeatTimes(k, -1); }},
      {13180, [&] { return XanSetAoClockType(k, -1); }},
      {13200, [&] { return XanSetAoSamplingClock(k, 0.0f); }},
      {13200, [&] { return XanSetAoSamplingClock(k, -1.0f); }},
      {13770, [&] { return XanSetAoClockEdge(k, -1); }},
      {13240, [&] { return XanSetAoStartTrigger(k, -1); }},
      {13260, [&] { return XanSetAoStopTrigger(k, -1); }},
      {13300, [&] { return XanSetAoEventSamplingTimes(k, -1); }},
      {13660, [&] { return XanSetAoEventTransferTimes(k, -1); }},
      {14040, [&] { return XanSetDiFilter(k, 0, 1.0f); }},
      {14041, [&] { return XanSetDiFilter(k, -1, -0.5f); }},
      {0, [&] { return XanSetDiFilter(k, -1, 0.0f); }},
      {15120, [&] { return XanSetCntFilter(k, 0, -1, 1.0f); }},
      {15121, [&] { return XanSetCntFilter(k, -1, 0, 1.0f); }},
      {15122, [&] { return XanSetCntFilter(k, -1, -1, -0.1f); }},
      {0, [&] { return XanSetCntFilter(k, -1, -1, 0.0f); }},
      {15000, [&] { return XanSetCntComparisonMode(k, -1, 0); }},
      {15060, [&] { return XanSetCntInputSignal(k, -1, 0); }},
      {15061, [&] { return XanSetCntInputSignal(k, 0, -1); }},
      {15020, [&] { return XanSetCntPresetReg(k, -1, -1, nullptr, 2); }},
      {15021, [&] { return XanSetCntPresetReg(k, 0, -1, nullptr, 2); }},
      {15023, [&] { return XanSetCntPresetReg(k, 0, 0, nullptr, 2); }},
      {15022, [&] { return XanSetCntPresetReg(k, 0, 0, kPresets, -1); }},
      {15260, [&] { return XanGetCntMaxChannels(k, nullptr); }},
      {16100, [&] { return XanStopTmCount(k, -1); }},
  };
  for (const CheckCase& c : cases) expectCheck(c);
}

TEST_F(IoSettingsTest, SettersStopAt20003WhileTheRangesAndTheChannelCountSkipTheCheck) {
  roads.ownershipStatus = 20003;
  const short k = kKernelId;
  const std::function<LONG()> held[] = {
      [&] { return XanStopTmCount(k, 0); },           [&] { return XanSetAoTransferMode(k, 0); },
      [&] { return XanSetAoChannels(k, 1); },         [&] { return XanSetAoMemoryType(k, 0); },
      [&] { return XanSetAoRepeatTimes(k, 0); },      [&] { return XanSetAoClockType(k, 0); },
      [&] { return XanSetAoSamplingClock(k, 1.0f); }, [&] { return XanSetAoClockEdge(k, 0); },
      [&] { return XanSetAoStartTrigger(k, 0); },     [&] { return XanSetAoStopTrigger(k, 0); },
      [&] { return XanSetAoEventSamplingTimes(k, 0); }, [&] { return XanSetAoEventTransferTimes(k, 0); },
      [&] { return XanSetDiFilter(k, -1, 0.0f); },    [&] { return XanSetCntFilter(k, -1, -1, 0.0f); },
      [&] { return XanSetCntComparisonMode(k, 0, 0); }, [&] { return XanSetCntInputSignal(k, 0, 0); },
      [&] { return XanSetCntPresetReg(k, 0, 1, kPresets, 0); },
  };
  for (const auto& call : held) EXPECT_EQ(call(), 20003);
  EXPECT_TRUE(roads.sent.empty());
  EXPECT_EQ(XanSetAoRange(k, 0, 0), 0);
  EXPECT_EQ(XanSetAoRangeAll(k, 0), 0);
  EXPECT_EQ(XanGetCntMaxChannels(k, &gShort), 0);
}

TEST_F(IoSettingsTest, BusKindsWithoutTheFunctionRefuseIt) {
  const short v = kVirtualId, a = kAttachedId;
  const std::function<LONG()> refused[] = {
      [&] { return XanSetAoClockEdge(a, 0); },           [&] { return XanSetAoEventTransferTimes(v, 0); },
      [&] { return XanSetAoEventTransferTimes(a, 0); },  [&] { return XanSetDiFilter(a, -1, 0.0f); },
      [&] { return XanGetCntMaxChannels(a, &gShort); },  [&] { return XanSetCntFilter(a, -1, -1, 0.0f); },
      [&] { return XanSetCntComparisonMode(a, 0, 0); },  [&] { return XanSetCntInputSignal(a, 0, 0); },
      [&] { return XanSetCntPresetReg(a, 0, 1, kPresets, 0); }, [&] { return XanStopTmCount(a, 0); },
  };
  for (const auto& call : refused) EXPECT_EQ(call(), 20001);
  // The sibling libraries know only the device-memory transfer mode.
  for (short id : {v, a}) {
    EXPECT_EQ(XanSetAoTransferMode(id, 0), 0);
    EXPECT_EQ(XanSetAoTransferMode(id, 1), 23580);
  }
  EXPECT_TRUE(roads.sent.empty());
}

TEST_F(IoSettingsTest, CountersAndTimersReadAFailedSiblingCallAs10002) {
  roads.busCallResult = 777;
  const short v = kVirtualId;
  EXPECT_EQ(XanGetCntMaxChannels(v, &gShort), 10002);
  EXPECT_EQ(XanSetCntInputSignal(v, 0, 0), 10002);
  EXPECT_EQ(XanStopTmCount(v, 0), 10002);
  EXPECT_EQ(XanSetAoChannels(v, 1), 777);
  EXPECT_EQ(XanSetDiFilter(v, -1, 0.0f), 777);

  roads.busCallResult = 0;
  struct Case {
    uint16_t statusAt;
    std::function<LONG()> call;
  };
  const Case statuses[] = {
      {1072, [] { return XanSetAoChannels(kKernelId, 1); }},
      {0, [] { return XanSetCntInputSignal(kKernelId, 0, 0); }},
      {0, [] { return XanStopTmCount(kKernelId, 0); }},
      {0, [] { return XanSetDiFilter(kKernelId, -1, 0.0f); }},
      {0, [] { return XanStopTmCount(kVirtualId, 0); }},
  };
  for (const Case& c : statuses) {
    roads.reply = [&c](unsigned char* bytes, DWORD) { putAt(bytes, c.statusAt, 4, 26180); };
    EXPECT_EQ(c.call(), 26180) << c.statusAt;
  }
}

TEST_F(IoSettingsTest, AnUnknownIdGives10001BeforeAnyArgumentIsLookedAt) {
  const short x = 99;
  EXPECT_EQ(XanGetCntMaxChannels(x, nullptr), 10001);
  EXPECT_EQ(XanSetCntPresetReg(x, -1, -1, nullptr, 2), 10001);
  EXPECT_EQ(XanSetAoRange(x, -1, -1), 10001);
  EXPECT_EQ(XanStopTmCount(x, -1), 10001);
  EXPECT_EQ(roads.ownershipChecks + roads.sent.size(), 0u);
}

}  // namespace
