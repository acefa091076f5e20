// The analog-input configuration exports, through their rows on every road.
#include <cmath>
#include <functional>

#include "halvik.h"
#include "support/road_case.h"

namespace {

using namespace halvik::testing;

constexpr DWORD kBlock = 2236;
short gShort;
LONG gLong, gLong2, gLong3;
float gFloat, gFloat2;

class AiSettingsTest : public RoadsTest {};

int64_t bitsOf(double v) {
  int64_t bits;
  std::memcpy(&bits, &v, sizeof bits);
  return bits;
}
int64_t bitsOf(float v) {
  int32_t bits;
  std::memcpy(&bits, &v, sizeof bits);
  return bits;
}

TEST_F(AiSettingsTest, EachRowSendsItsBytesOnEachRoad) {
  const short k = kKernelId, v = kVirtualId, a = kAttachedId;
  const std::vector<RoadCase> cases = {
      {"channels", [&] { return XanSetAiChannels(k, 8); }, 0x222194, kBlock, {{1184, 2, 8}, {1204, 2, 0}}},
      {"channels, virtual", [&] { return XanSetAiChannels(v, 8); }, 0x3121, 8, {{4, 2, 0}, {6, 2, 8}}},
      {"channels, attached", [&] { return XanSetAiChannels(a, 8); }, 0x3121, 8, {{4, 2, 0}, {6, 2, 8}}},
      {"get channels", [&] { return XanGetAiChannels(k, &gShort); }, 0x222194, kBlock, {{1204, 2, 1}},
       {{1184, 2, 32}}, [] { return gShort == 32; }},
      {"get channels, virtual", [&] { return XanGetAiChannels(v, &gShort); }, 0x3121, 8, {{4, 2, 1}}, {{6, 2, 3}},
       [] { return gShort == 3; }},
      {"sequence", [&] { return XanSetAiChannelSequence(k, 2, 256); }, 0x222210, kBlock,
       {{1186, 2, 2}, {1188, 2, 256}, {1204, 2, 0}}},
      {"sequence, virtual", [&] { return XanSetAiChannelSequence(v, 2, 256); }, 0x3140, 12,
       {{4, 2, 0}, {6, 2, 2}, {8, 2, 256}}},
      {"get sequence, virtual", [&] { return XanGetAiChannelSequence(v, 2, &gShort); }, 0x3140, 12,
       {{4, 2, 1}, {6, 2, 2}}, {{8, 2, 7}}, [] { return gShort == 7; }},
      {"memory type", [&] { return XanSetAiMemoryType(k, 1); }, 0x2221A0, kBlock, {{1200, 2, 1}, {1204, 2, 0}}},
      {"memory type, virtual", [&] { return XanSetAiMemoryType(v, 1); }, 0x3124, 8, {{6, 2, 1}}},
      {"clock type", [&] { return XanSetAiClockType(k, 2); }, 0x2221A8, kBlock, {{1196, 2, 2}}},
      {"clock type, virtual", [&] { return XanSetAiClockType(v, 2); }, 0x3126, 8, {{6, 2, 2}}},
      {"start trigger", [&] { return XanSetAiStartTrigger(k, 3); }, 0x2221B0, kBlock, {{1192, 2, 3}}},
      {"start trigger, virtual", [&] { return XanSetAiStartTrigger(v, 3); }, 0x3128, 8, {{6, 2, 3}}},
      {"stop trigger", [&] { return XanSetAiStopTrigger(k, 4); }, 0x2221B8, kBlock, {{1194, 2, 4}}},
      {"stop trigger, virtual", [&] { return XanSetAiStopTrigger(v, 4); }, 0x312A, 8, {{6, 2, 4}}},
      {"clock edge, virtual", [&] { return XanSetAiClockEdge(v, 1); }, 0x314C, 8, {{6, 2, 1}}},
      {"stop times", [&] { return XanSetAiStopTimes(k, 70000); }, 0x2221BC, kBlock, {{1092, 4, 70000}}},
      {"stop times, virtual", [&] { return XanSetAiStopTimes(v, 70000); }, 0x312B, 12, {{4, 4, 70000}, {8, 2, 0}}},
      {"get stop times, attached", [&] { return XanGetAiStopTimes(a, &gLong); }, 0x312B, 12, {{8, 2, 1}},
       {{4, 4, 70001}}, [] { return gLong == 70001; }},
      {"stop delay", [&] { return XanSetAiStopDelayTimes(k, 5); }, 0x2221C4, kBlock, {{1136, 4, 5}}},
      {"stop delay, virtual", [&] { return XanSetAiStopDelayTimes(v, 5); }, 0x312D, 12, {{4, 4, 5}}},
      {"repeat", [&] { return XanSetAiRepeatTimes(k, 6); }, 0x2221A4, kBlock, {{1112, 4, 6}}},
      {"repeat, virtual", [&] { return XanSetAiRepeatTimes(v, 6); }, 0x3125, 12, {{4, 4, 6}}},
      {"event sampling", [&] { return XanSetAiEventSamplingTimes(k, 9); }, 0x2221CC, kBlock, {{1152, 4, 9}}},
      // The clock: a double to the driver and bus kind 10, a float to bus kind 3.
      {"sampling clock", [&] { return XanSetAiSamplingClock(k, 2.5f); }, 0x2221AC, kBlock,
       {{1096, 8, bitsOf(2.5)}, {1204, 2, 0}}},
      {"sampling clock, virtual", [&] { return XanSetAiSamplingClock(v, 2.5f); }, 0x3127, 16,
       {{4, 8, bitsOf(2.5)}, {12, 2, 0}}},
      {"sampling clock, attached", [&] { return XanSetAiSamplingClock(a, 2.5f); }, 0x3127, 12,
       {{4, 4, bitsOf(2.5f)}, {8, 2, 0}}},
      {"get sampling clock", [&] { return XanGetAiSamplingClock(k, &gFloat); }, 0x2221AC, kBlock, {{1204, 2, 1}},
       {{1096, 8, bitsOf(1000.5)}}, [] { return gFloat == 1000.5f; }},
      {"get sampling clock, attached", [&] { return XanGetAiSamplingClock(a, &gFloat); }, 0x3127, 12,
       {{8, 2, 1}}, {{4, 4, bitsOf(0.25f)}}, [] { return gFloat == 0.25f; }},
      {"scan clock", [&] { return XanSetAiScanClock(k, 10.0f); }, 0x222258, kBlock, {{1104, 8, bitsOf(10.0)}}},
      {"scan clock, virtual", [&] { return XanSetAiScanClock(v, 10.0f); }, 0x314D, 16, {{4, 8, bitsOf(10.0)}}},
      {"stop level", [&] { return XanSetAiStopLevel(k, 3, -70000, 2); }, 0x2221C0, kBlock,
       {{1188, 2, 3}, {1116, 4, -70000}, {1202, 2, 2}, {1204, 2, 0}}},
      {"stop level, virtual", [&] { return XanSetAiStopLevel(v, 3, -70000, 2); }, 0x312C, 20,
       {{4, 4, -70000}, {8, 2, 0}, {10, 2, 3}, {12, 2, 2}}},
      {"get start level, virtual", [&] { return XanGetAiStartLevel(v, 3, &gLong, &gShort); }, 0x3129, 20,
       {{8, 2, 1}, {10, 2, 3}}, {{4, 4, 1234}, {12, 2, 1}}, [] { return gLong == 1234 && gShort == 1; }},
      {"start in range", [&] { return XanSetAiStartInRange(k, 256, 10, 20, 30); }, 0x222228, kBlock,
       {{1188, 2, 256}, {24, 4, 10}, {28, 4, 20}, {32, 4, 30}, {1204, 2, 0}}},
      {"stop out range, virtual", [&] { return XanSetAiStopOutRange(v, 1, 10, 20, 30); }, 0x314B, 28,
       {{4, 2, 0}, {8, 4, 10}, {12, 4, 20}, {16, 4, 30}, {20, 2, 1}}},
      {"get stop in range", [&] { return XanGetAiStopInRange(k, 1, &gLong, &gLong2, &gLong3); }, 0x222230, kBlock,
       {{1188, 2, 1}, {1204, 2, 1}}, {{24, 4, -1}, {28, 4, 2}, {32, 4, 3}},
       [] { return gLong == -1 && gLong2 == 2 && gLong3 == 3; }},
      {"input method, virtual", [&] { return XanSetAiInputMethod(v, 2); }, 0x3120, 24, {{4, 2, 0}, {6, 2, 2}}},
      {"input method", [&] { return XanSetAiInputMethod(k, 2); }, 0x222190, kBlock, {{1182, 2, 2}}},
      {"resolution", [&] { return XanGetAiResolution(k, &gShort); }, 0x222204, kBlock, {}, {{1180, 2, 16}},
       [] { return gShort == 16; }},
      {"max channels, attached", [&] { return XanGetAiMaxChannels(a, &gShort); }, 0x313C, 8, {}, {{4, 2, 64}},
       [] { return gShort == 64; }},
      {"channel enable", [&] { return XanSetAiChannel(k, 256, 1); }, 0x222268, kBlock,
       {{1188, 2, 256}, {2230, 2, 1}}},
      {"range", [&] { return XanSetAiRange(k, 255, 300); }, 0x222198, kBlock, {{1188, 2, 255}, {1190, 2, 300}}},
      {"range, virtual", [&] { return XanSetAiRange(v, 1, 50); }, 0x3122, 12, {{4, 2, 0}, {6, 2, 1}, {8, 2, 50}}},
      {"range all, virtual", [&] { return XanSetAiRangeAll(v, 5); }, 0x3123, 8, {{4, 2, 0}, {6, 2, 5}}},
      {"event transfer", [&] { return XanSetAiEventTransferTimes(k, 8); }, 0x222238, kBlock, {{36, 4, 8}}},
      {"attached data", [&] { return XanSetAiAttachedData(k, -8); }, 0x222220, kBlock, {{16, 4, -8}}},
      {"data size", [&] { return XanGetAiSamplingDataSize(k, &gShort); }, 0x222224, kBlock, {}, {{20, 2, 4}},
       [] { return gShort == 4; }},
      {"buffer mode", [&] { return XanGetAiDeviceBufferMode(k, &gShort); }, 0x222264, kBlock, {{1204, 2, 1}},
       {{2, 2, 1}}, [] { return gShort == 1; }},
      // The driver answers the device-memory flag, which is set for mode 0.
      {"transfer mode", [&] { return XanGetAiTransferMode(k, &gShort); }, 0x222218, kBlock, {{1204, 2, 1}},
       {{2232, 2, 0}}, [] { return gShort == 1; }},
      {"adjustment", [&] { return XanSetAiAdjustment(k, 1, 2, 1, 77); }, 0x222248, kBlock,
       {{1188, 2, 1}, {1190, 2, 2}, {48, 2, 1}, {50, 2, 77}}},
      {"adjustment, virtual", [&] { return XanSetAiDefaultAdjustment(v, 1, 2, 3, 4); }, 0x3146, 16,
       {{4, 2, 0}, {6, 2, 1}, {8, 2, 2}, {10, 2, 3}, {12, 2, 4}}},
      {"get adjustment, virtual", [&] { return XanGetAiAdjustment(v, 1, 2, 1, &gShort); }, 0x3145, 16,
       {{4, 2, 1}, {6, 2, 1}, {8, 2, 2}, {10, 2, 1}}, {{12, 2, 99}}, [] { return gShort == 99; }},
  };
  for (const RoadCase& c : cases) expectCase(c);
}

TEST_F(AiSettingsTest, ArgumentChecksGiveTheirCodesBeforeAnyRequest) {
  const short k = kKernelId;
  const CheckCase cases[] = {
      {11020, [&] { return XanSetAiChannels(k, 0); }},
      {11020, [&] { return XanSetAiChannels(k, 257); }},
      {0, [&] { return XanSetAiChannels(k, 1); }},
      {0, [&] { return XanSetAiChannels(k, 256); }},
      {11030, [&] { return XanGetAiChannels(k, nullptr); }},
      {11760, [&] { return XanSetAiChannelSequence(k, 0, 257); }},
      {11761, [&] { return XanSetAiChannelSequence(k, -1, 0); }},  // upper bounds are unsigned
      {11770, [&] { return XanGetAiChannelSequence(k, 257, nullptr); }},
      {11771, [&] { return XanGetAiChannelSequence(k, 0, nullptr); }},
      {11040, [&] { return XanSetAiRange(k, 256, 0); }},
      {11041, [&] { return XanSetAiRange(k, 0, -1); }},
      {11051, [&] { return XanGetAiRange(k, 0, nullptr); }},
      {11060, [&] { return XanSetAiRangeAll(k, 301); }},
      {11080, [&] { return XanSetAiMemoryType(k, 2); }},
      {11080, [&] { return XanSetAiMemoryType(k, -1); }},
      {11120, [&] { return XanSetAiClockType(k, -1); }},
      {11140, [&] { return XanSetAiSamplingClock(k, 0.0f); }},
      {11140, [&] { return XanSetAiSamplingClock(k, NAN); }},
      {12240, [&] { return XanSetAiScanClock(k, -1.0f); }},
      {12310, [&] { return XanSetAiClockEdge(k, -1); }},
      {11160, [&] { return XanSetAiStartTrigger(k, -1); }},
      {11260, [&] { return XanSetAiStopTrigger(k, -1); }},
      {11280, [&] { return XanSetAiStopTimes(k, 0); }},
      {11360, [&] { return XanSetAiStopDelayTimes(k, -1); }},
      {0, [&] { return XanSetAiStopDelayTimes(k, 0); }},
      {11100, [&] { return XanSetAiRepeatTimes(k, -1); }},
      {0, [&] { return XanSetAiRepeatTimes(k, 0); }},
      {11400, [&] { return XanSetAiEventSamplingTimes(k, -1); }},
      {11300, [&] { return XanSetAiStopLevel(k, 256, 0, 0); }},
      {11301, [&] { return XanSetAiStopLevel(k, 0, 0, 3); }},
      {11191, [&] { return XanGetAiStartLevel(k, 0, nullptr, &gShort); }},
      {11192, [&] { return XanGetAiStartLevel(k, 0, &gLong, nullptr); }},
      {12040, [&] { return XanSetAiStartInRange(k, 257, 0, 0, 0); }},
      {12041, [&] { return XanSetAiStartInRange(k, 256, 0, 0, -1); }},
      {12113, [&] { return XanGetAiStopOutRange(k, 0, &gLong, &gLong, nullptr); }},
      {11000, [&] { return XanSetAiInputMethod(k, 3); }},
      {11740, [&] { return XanGetAiResolution(k, nullptr); }},
      {12481, [&] { return XanSetAiChannel(k, 0, 2); }},
      {12491, [&] { return XanGetAiChannel(k, 0, nullptr); }},
      {12130, [&] { return XanGetAiEventTransferTimes(k, nullptr); }},
      {11960, [&] { return XanSetAiTransferMode(k, -1); }},
      {11970, [&] { return XanGetAiTransferMode(k, nullptr); }},
      {12200, [&] { return XanSetAiAdjustment(k, 256, 301, 2, -1); }},
      {12201, [&] { return XanSetAiAdjustment(k, 256, 300, 2, -1); }},
      {12202, [&] { return XanSetAiAdjustment(k, 256, 300, 1, -1); }},
      {12203, [&] { return XanSetAiAdjustment(k, 256, 300, 1, 0); }},
      {12462, [&] { return XanSetAiDefaultAdjustment(k, 0, 0, 255, 256); }},
      {12222, [&] { return XanGetAiDefaultAdjustment(k, 0, 0, 1, nullptr); }},
      {11921, [&] { return XanSetAiStartLevelEx(k, 255, 1.0f, 3); }},
      {11952, [&] { return XanGetAiStopLevelEx(k, 0, &gFloat, nullptr); }},
      {12401, [&] { return XanSetAiStopInRangeEx(k, 256, 0.0f, 0.0f, -1); }},
      {12283, [&] { return XanGetAiStartInRangeEx(k, 0, &gFloat, &gFloat, nullptr); }},
  };
  for (const CheckCase& c : cases) expectCheck(c);
}

TEST_F(AiSettingsTest, AnotherProcessHoldsTheDeviceExceptForTheUncheckedMembers) {
  roads.ownershipStatus = 20003;
  const short k = kKernelId;
  const std::function<LONG()> held[] = {
      [&] { return XanSetAiChannels(k, 1); },          [&] { return XanGetAiChannels(k, &gShort); },
      [&] { return XanSetAiChannelSequence(k, 0, 0); }, [&] { return XanSetAiMemoryType(k, 0); },
      [&] { return XanSetAiSamplingClock(k, 1.0f); },  [&] { return XanSetAiStopLevel(k, 0, 0, 0); },
      [&] { return XanSetAiStopTimes(k, 1); },         [&] { return XanSetAiChannel(k, 0, 0); },
      [&] { return XanSetAiTransferMode(k, 1); },      [&] { return XanSetAiAdjustment(k, 0, 0, 0, 0); },
      [&] { return XanSetAiStartLevelEx(k, 0, 1.0f, 0); },
  };
  for (const auto& call : held) EXPECT_EQ(call(), 20003);
  EXPECT_TRUE(roads.sent.empty());
  const std::function<LONG()> free[] = {
      [&] { return XanSetAiInputMethod(k, 0); },        [&] { return XanGetAiInputMethod(k, &gShort); },
      [&] { return XanGetAiResolution(k, &gShort); },   [&] { return XanGetAiMaxChannels(k, &gShort); },
      [&] { return XanSetAiRange(k, 0, 0); },           [&] { return XanGetAiRange(k, 0, &gShort); },
      [&] { return XanSetAiRangeAll(k, 0); },           [&] { return XanGetAiDeviceBufferMode(k, &gShort); },
  };
  for (const auto& call : free) EXPECT_EQ(call(), 0);
}

TEST_F(AiSettingsTest, RoadsWithoutTheMemberRefuseItWithoutARequest) {
  const short v = kVirtualId, a = kAttachedId;
  const std::function<LONG()> refused[] = {
      [&] { return XanSetAiChannel(v, 0, 0); },              [&] { return XanGetAiChannel(a, 0, &gShort); },
      [&] { return XanSetAiEventTransferTimes(v, 0); },      [&] { return XanSetAiAttachedData(a, 0); },
      [&] { return XanGetAiSamplingDataSize(v, &gShort); },  [&] { return XanGetAiDeviceBufferMode(v, &gShort); },
      [&] { return XanSetAiScanClock(a, 1.0f); },            [&] { return XanGetAiClockEdge(a, &gShort); },
      [&] { return XanSetAiStartInRange(a, 0, 0, 0, 0); },   [&] { return XanGetAiStopOutRange(a, 0, &gLong, &gLong, &gLong); },
      [&] { return XanSetAiAdjustment(a, 0, 0, 0, 0); },     [&] { return XanGetAiDefaultAdjustment(a, 0, 0, 0, &gShort); },
      [&] { return XanSetAiStopInRangeEx(a, 0, 0.0f, 0.0f, 0); },
      [&] { return XanGetAiStartOutRangeEx(a, 0, &gFloat, &gFloat, &gLong); },
  };
  for (const auto& call : refused) EXPECT_EQ(call(), 20001);
  // The sibling libraries only hold samples in the device's memory.
  for (short id : {v, a}) {
    EXPECT_EQ(XanSetAiTransferMode(id, 0), 0);
    EXPECT_EQ(XanSetAiTransferMode(id, 1), 21960);
    gShort = 5;
    EXPECT_EQ(XanGetAiTransferMode(id, &gShort), 0);
    EXPECT_EQ(gShort, 0);
  }
  EXPECT_TRUE(roads.sent.empty());
}

TEST_F(AiSettingsTest, TransferModeOneSendsTheModeThenReleasesTheBuffer) {
  EXPECT_EQ(XanSetAiTransferMode(kKernelId, 1), 0);
  ASSERT_EQ(roads.sent.size(), 2u);
  EXPECT_EQ(roads.sent[0].code, 0x222218u);
  EXPECT_EQ(roads.sent[0].at(0, 2), 1);
  EXPECT_EQ(roads.sent[0].at(2232, 2), 0);
  EXPECT_EQ(roads.sent[1].code, 0x222254u);
  // Mode 0 asks the board table first; a model it does not know stops there.
  roads.sent.clear();
  EXPECT_EQ(XanSetAiTransferMode(kKernelId, 0), 10000);
  EXPECT_TRUE(roads.sent.empty());
}

// Range code 0 is -10 V to +10 V; at 16 bits a count is 20 V / 65536.
void answerRangeZero16Bits(unsigned char* bytes, DWORD size) {
  if (size == kBlock) {
    putAt(bytes, 1190, 2, 0);
    putAt(bytes, 1180, 2, 16);
  } else if (size == 12) {
    putAt(bytes, 8, 2, 0);
  } else if (size == 8) {
    putAt(bytes, 4, 2, 16);
  }
}

TEST_F(AiSettingsTest, ExSettersSendTheCountOfTheValueInTheChannelsRange) {
  roads.reply = answerRangeZero16Bits;
  EXPECT_EQ(XanSetAiStopLevelEx(kKernelId, 2, 5.0f, 1), 0);
  ASSERT_EQ(roads.sent.size(), 3u);
  EXPECT_EQ(roads.sent[0].code, 0x222198u);  // the channel's range
  EXPECT_EQ(roads.sent[0].at(1188, 2), 2);
  EXPECT_EQ(roads.sent[0].at(1204, 2), 1);
  EXPECT_EQ(roads.sent[1].code, 0x222204u);  // the resolution
  EXPECT_EQ(roads.sent[2].code, 0x2221C0u);
  EXPECT_EQ(roads.sent[2].at(1116, 4), 49152);
  EXPECT_EQ(roads.sent[2].at(1202, 2), 1);

  roads.sent.clear();
  EXPECT_EQ(XanSetAiStartInRangeEx(kVirtualId, 2, -10.0f, 0.0f, 7), 0);
  ASSERT_EQ(roads.sent.size(), 3u);
  EXPECT_EQ(roads.sent[0].code, 0x3122u);
  EXPECT_EQ(roads.sent[1].code, 0x313Du);
  EXPECT_EQ(roads.sent[2].code, 0x3148u);
  EXPECT_EQ(roads.sent[2].at(8, 4), 0);
  EXPECT_EQ(roads.sent[2].at(12, 4), 32768);
  EXPECT_EQ(roads.sent[2].at(16, 4), 7);
}

TEST_F(AiSettingsTest, ExGettersGiveTheValueOfTheCountInTheRangeTheAnswerNames) {
  roads.reply = [](unsigned char* bytes, DWORD size) {
    if (size == kBlock) {
      putAt(bytes, 1116, 4, 16384);
      putAt(bytes, 1202, 2, 2);
      putAt(bytes, 1190, 2, 0);
      putAt(bytes, 1180, 2, 16);
    } else {  // the window record: levels, range code, resolution
      putAt(bytes, 8, 4, 0);
      putAt(bytes, 12, 4, 49152);
      putAt(bytes, 22, 2, 50);  // 0 V to 10 V
      putAt(bytes, 24, 2, 12);
    }
  };
  EXPECT_EQ(XanGetAiStartLevelEx(kKernelId, 1, &gFloat, &gShort), 0);
  EXPECT_FLOAT_EQ(gFloat, -5.0f);
  EXPECT_EQ(gShort, 2);
  EXPECT_EQ(XanGetAiStopOutRangeEx(kVirtualId, 1, &gFloat, &gFloat2, &gLong), 0);
  EXPECT_FLOAT_EQ(gFloat, 0.0f);
  EXPECT_FLOAT_EQ(gFloat2, 120.0f);  // 12 bits: 10 V x 49152 / 4096
}

TEST_F(AiSettingsTest, ExMembersRenumberTheDriversCodesAndRefuseAnUnknownRange) {
  int request = 0;
  int failAt = 0;
  LONG failWith = 0;
  roads.reply = [&](unsigned char* bytes, DWORD size) {
    answerRangeZero16Bits(bytes, size);
    if (++request == failAt) putAt(bytes, 1084, 4, failWith);
  };
  struct Case {
    int failAt;
    LONG driver, expected;
    std::function<LONG()> call;
  };
  const Case cases[] = {
      {1, 21040, 21920, [] { return XanSetAiStartLevelEx(kKernelId, 0, 1.0f, 0); }},  // range query
      {1, 21041, 21041, [] { return XanSetAiStartLevelEx(kKernelId, 0, 1.0f, 0); }},
      {3, 21182, 21921, [] { return XanSetAiStartLevelEx(kKernelId, 0, 1.0f, 0); }},
      {3, 21185, 21924, [] { return XanSetAiStartLevelEx(kKernelId, 0, 1.0f, 0); }},
      {3, 21186, 21186, [] { return XanSetAiStartLevelEx(kKernelId, 0, 1.0f, 0); }},
      {1, 21040, 24000, [] { return XanSetAiStopInRangeEx(kKernelId, 0, 1.0f, 1.0f, 0); }},
      {3, 22083, 24002, [] { return XanSetAiStopInRangeEx(kKernelId, 0, 1.0f, 1.0f, 0); }},
      {1, 21300, 21950, [] { return XanGetAiStopLevelEx(kKernelId, 0, &gFloat, &gShort); }},
      {1, 22050, 22280, [] { return XanGetAiStartInRangeEx(kKernelId, 0, &gFloat, &gFloat, &gLong); }},
  };
  for (const Case& c : cases) {
    request = 0;
    failAt = c.failAt;
    failWith = c.driver;
    EXPECT_EQ(c.call(), c.expected) << c.driver;
  }
  failAt = 0;
  roads.reply = [](unsigned char* bytes, DWORD) { putAt(bytes, 1190, 2, 299); };
  roads.sent.clear();
  EXPECT_EQ(XanSetAiStopLevelEx(kKernelId, 0, 1.0f, 0), -1);
  EXPECT_EQ(roads.sent.size(), 2u);  // nothing set
  gShort = 9;
  EXPECT_EQ(XanGetAiStopLevelEx(kKernelId, 0, &gFloat, &gShort), -1);
  EXPECT_EQ(gShort, 9);
}

}  // namespace
