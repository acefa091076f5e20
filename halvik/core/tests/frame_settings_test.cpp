// The device-wide settings through the setting rows, on every road.
#include <cmath>
#include <cstring>
#include <iterator>

#include "halvik.h"
#include "support/road_case.h"

namespace {

using namespace halvik::testing;

float gFloat;
short gShort;
LONG gLong;
char gText[16];

class DeviceSettingsTest : public RoadsTest {};

TEST_F(DeviceSettingsTest, EachRowSendsItsBytesAndReadsItsAnswerOnEachRoad) {
  const int64_t pid = GetCurrentProcessId();
  const short k = kKernelId, v = kVirtualId, a = kAttachedId;
  const std::vector<RoadCase> cases = {
      // The filter travels as a rounded count of millionths on both roads.
      {"filter set, kernel", [&] { return XanSetControlFilter(k, 5, 0.7f); }, 0x222014, 56,
       {{36, 2, 5}, {12, 4, 700000}, {32, 2, 0}}},
      {"filter get, kernel", [&] { return XanGetControlFilter(k, 5, &gFloat); }, 0x222014, 56,
       {{36, 2, 5}, {32, 2, 1}}, {{12, 4, 700000}}, [] { return gFloat == 0.7f; }},
      {"filter set, virtual", [&] { return XanSetControlFilter(v, 5, 0.7f); }, 0x3109, 20,
       {{4, 4, pid}, {8, 2, 5}, {12, 4, 700000}, {16, 2, 0}}},
      {"filter get, virtual", [&] { return XanGetControlFilter(v, 5, &gFloat); }, 0x3109, 20,
       {{4, 4, pid}, {8, 2, 5}, {16, 2, 1}}, {{12, 4, 700000}}, [] { return gFloat == 0.7f; }},
      {"ecu set, kernel", [&] { return XanSetEcuSignal(k, 3, -1); }, 0x222018, 56, {{38, 2, 3}, {40, 2, -1}, {32, 2, 0}}},
      {"ecu get, kernel", [&] { return XanGetEcuSignal(k, 3, &gShort); }, 0x222018, 56, {{38, 2, 3}, {32, 2, 1}},
       {{40, 2, 7}}, [] { return gShort == 7; }},
      {"ecu set, virtual", [&] { return XanSetEcuSignal(v, 3, -1); }, 0x3105, 16,
       {{4, 4, pid}, {8, 2, 0}, {10, 2, 3}, {12, 2, -1}}},
      {"ecu get, virtual", [&] { return XanGetEcuSignal(v, 3, &gShort); }, 0x3105, 16,
       {{4, 4, pid}, {8, 2, 1}, {10, 2, 3}}, {{12, 2, 7}}, [] { return gShort == 7; }},
      // A revision of twelve characters without a terminator is cut to eleven.
      {"revision, kernel", [&] { return XanGetDeviceRevision(k, gText); }, 0x222020, 56, {},
       {{44, 8, 0x4847464544434241}, {52, 4, 0x4C4B4A49}}, [] { return std::strcmp(gText, "ABCDEFGHIJK") == 0; }},
      {"revision, virtual", [&] { return XanGetDeviceRevision(v, gText); }, 0x3107, 20, {{4, 4, pid}},
       {{8, 4, 0x30302E31}}, [] { return std::strcmp(gText, "1.00") == 0; }},
      {"ai min clock, kernel", [&] { return XanGetAiMinSamplingClock(k, &gFloat); }, 0x22225C, 2236, {{1204, 2, 1}},
       {{1096, 4, 2}, {1100, 4, 500}}, [] { return gFloat == 2.5f; }},
      {"ai min clock, virtual", [&] { return XanGetAiMinSamplingClock(v, &gFloat); }, 0x3141, 16, {}, {{4, 4, 30}},
       [] { return gFloat == 30.0f; }},
      {"ai min clock, attached", [&] { return XanGetAiMinSamplingClock(a, &gFloat); }, 0x3141, 12, {}, {{4, 4, 31}},
       [] { return gFloat == 31.0f; }},
      {"ao min clock, kernel", [&] { return XanGetAoMinSamplingClock(k, &gFloat); }, 0x2223C0, 2196, {{1168, 2, 1}},
       {{1084, 4, 40}}, [] { return gFloat == 40.0f; }},
      {"ao min clock, virtual", [&] { return XanGetAoMinSamplingClock(v, &gFloat); }, 0x317C, 16, {}, {{4, 4, 41}},
       [] { return gFloat == 41.0f; }},
      {"ao min clock, attached", [&] { return XanGetAoMinSamplingClock(a, &gFloat); }, 0x317C, 12, {}, {{4, 4, 42}},
       [] { return gFloat == 42.0f; }},
      {"repeat mode, kernel", [&] { return XanSetAoRepeatMode(k, 1); }, 0x2223CC, 2196, {{1092, 2, 1}, {1168, 2, 0}}},
      {"repeat mode, virtual", [&] { return XanSetAoRepeatMode(v, 1); }, 0x3183, 12, {{4, 2, 1}, {8, 2, 0}}},
      {"ai sleep mode set", [&] { return XanSetAiUsbSleepMode(v, 1); }, 0x3143, 8, {{4, 2, 0}, {6, 2, 1}}},
      {"ai sleep mode get", [&] { return XanGetAiUsbSleepMode(v, &gShort); }, 0x3143, 8, {{4, 2, 1}}, {{6, 2, 1}},
       [] { return gShort == 1; }},
      {"ai sleep time set", [&] { return XanSetAiUsbSleepTime(v, 1000); }, 0x3144, 12, {{4, 4, 0}, {8, 4, 1000}}},
      {"ai sleep time get", [&] { return XanGetAiUsbSleepTime(v, &gLong); }, 0x3144, 12, {{4, 4, 1}}, {{8, 4, 900}},
       [] { return gLong == 900; }},
      {"ao sleep mode set", [&] { return XanSetAoUsbSleepMode(v, 1); }, 0x317E, 8, {{4, 2, 0}, {6, 2, 1}}},
      {"ao sleep mode get", [&] { return XanGetAoUsbSleepMode(v, &gShort); }, 0x317E, 8, {{4, 2, 1}}, {{6, 2, 0}},
       [] { return gShort == 0; }},
      {"ao sleep time set", [&] { return XanSetAoUsbSleepTime(v, 2000); }, 0x317F, 12, {{4, 4, 0}, {8, 4, 2000}}},
      {"ao sleep time get", [&] { return XanGetAoUsbSleepTime(v, &gLong); }, 0x317F, 12, {{4, 4, 1}}, {{8, 4, 800}},
       [] { return gLong == 800; }},
  };
  for (const RoadCase& c : cases) expectCase(c);
}

TEST_F(DeviceSettingsTest, ArgumentChecksGiveTheirCodesBeforeTheOwnershipCheck) {
  const short v = kVirtualId, k = kKernelId;
  const CheckCase cases[] = {
      {10341, [&] { return XanSetControlFilter(v, 0, -0.001f); }},
      {10341, [&] { return XanSetControlFilter(v, 0, std::nanf("")); }},
      {10341, [&] { return XanSetControlFilter(v, 0, 5000.0f); }},  // beyond what a count carries
      {10351, [&] { return XanGetControlFilter(v, 0, nullptr); }},
      {17000, [&] { return XanSetEcuSignal(v, -1, 0); }},
      {17001, [&] { return XanSetEcuSignal(v, 0, -2); }},
      {17010, [&] { return XanGetEcuSignal(v, -1, &gShort); }},
      {17011, [&] { return XanGetEcuSignal(v, 0, nullptr); }},
      {10420, [&] { return XanGetDeviceRevision(v, nullptr); }},
      {12260, [&] { return XanGetAiMinSamplingClock(v, nullptr); }},
      {13760, [&] { return XanGetAoMinSamplingClock(v, nullptr); }},
      {13860, [&] { return XanSetAoRepeatMode(v, 2); }},
      {12340, [&] { return XanSetAiUsbSleepMode(v, 2); }},
      {12350, [&] { return XanGetAiUsbSleepMode(v, nullptr); }},
      {12360, [&] { return XanSetAiUsbSleepTime(v, -1); }},
      {12370, [&] { return XanGetAiUsbSleepTime(v, nullptr); }},
      {13800, [&] { return XanSetAoUsbSleepMode(v, 2); }},
      {13810, [&] { return XanGetAoUsbSleepMode(v, nullptr); }},
      {13820, [&] { return XanSetAoUsbSleepTime(v, -1); }},
      {13830, [&] { return XanGetAoUsbSleepTime(v, nullptr); }},
      {12440, [&] { return XanSetAiDeviceBufferMode(k, 2); }},
      {12440, [&] { return XanSetAiDeviceBufferMode(k, -1); }},  // unsigned: negative is above 1
      // The bounds themselves pass; "above 1" compares signed, so -1 reaches the driver.
      {0, [&] { return XanSetControlFilter(v, 0, 0.0f); }},
      {0, [&] { return XanSetEcuSignal(v, 0, -1); }},
      {0, [&] { return XanSetAoRepeatMode(v, -1); }},
      {0, [&] { return XanSetAiUsbSleepMode(v, -1); }},
      {0, [&] { return XanSetAiUsbSleepTime(v, 0); }},
  };
  for (const CheckCase& c : cases) expectCheck(c);
}

TEST_F(DeviceSettingsTest, RoadsWithoutTheSettingGive20001AfterTheOwnershipCheck) {
  const short k = kKernelId, v = kVirtualId, a = kAttachedId;
  const std::function<LONG()> calls[] = {
      [&] { return XanSetControlFilter(a, 0, 1.0f); }, [&] { return XanGetControlFilter(a, 0, &gFloat); },
      [&] { return XanSetEcuSignal(a, 0, 0); },        [&] { return XanGetEcuSignal(a, 0, &gShort); },
      [&] { return XanGetDeviceRevision(a, gText); },  [&] { return XanSetAoRepeatMode(a, 0); },
      [&] { return XanSetAiUsbSleepMode(k, 0); },      [&] { return XanGetAiUsbSleepMode(a, &gShort); },
      [&] { return XanSetAiUsbSleepTime(k, 0); },      [&] { return XanGetAiUsbSleepTime(a, &gLong); },
      [&] { return XanSetAoUsbSleepMode(a, 0); },      [&] { return XanGetAoUsbSleepMode(k, &gShort); },
      [&] { return XanSetAoUsbSleepTime(a, 0); },      [&] { return XanGetAoUsbSleepTime(k, &gLong); },
      [&] { return XanSetAiDeviceBufferMode(v, 0); },  [&] { return XanSetAiDeviceBufferMode(a, 0); },
  };
  for (std::size_t i = 0; i < std::size(calls); ++i) {
    roads.ownershipChecks = 0;
    EXPECT_EQ(calls[i](), 20001) << i;
    EXPECT_EQ(roads.ownershipChecks, i < 14 ? 1 : 0) << i << ": the buffer mode makes none";
  }
  EXPECT_TRUE(roads.sent.empty());
}

TEST_F(DeviceSettingsTest, AnotherProcessHoldingTheDeviceStopsEverySettingButTheBufferMode) {
  roads.ownershipStatus = 20003;
  const short k = kKernelId;
  const std::function<LONG()> calls[] = {
      [&] { return XanSetControlFilter(k, 0, 1.0f); },  [&] { return XanGetControlFilter(k, 0, &gFloat); },
      [&] { return XanSetEcuSignal(k, 0, 0); },         [&] { return XanGetEcuSignal(k, 0, &gShort); },
      [&] { return XanGetDeviceRevision(k, gText); },   [&] { return XanGetAiMinSamplingClock(k, &gFloat); },
      [&] { return XanGetAoMinSamplingClock(k, &gFloat); }, [&] { return XanSetAoRepeatMode(k, 0); },
  };
  for (const auto& call : calls) EXPECT_EQ(call(), 20003);
  EXPECT_TRUE(roads.sent.empty());
  // The buffer mode asks the board table about the model first.
  std::strcpy(halvik::DeviceTable()[0].ModelName, "HVA-1632PE");
  EXPECT_EQ(XanSetAiDeviceBufferMode(k, 0), 0);
  // The mode, the release of a buffer the driver holds, and the transfer
  // mode that goes with it.
  ASSERT_EQ(roads.sent.size(), 3u);
  EXPECT_EQ(roads.sent[0].code, 0x222264u);
  EXPECT_EQ(roads.sent[0].at(2, 2), 0);
  EXPECT_EQ(roads.sent[0].at(1204, 2), 0);
  EXPECT_EQ(roads.sent[1].code, 0x222254u);
  EXPECT_EQ(roads.sent[2].code, 0x222218u);
  EXPECT_EQ(roads.sent[2].at(2232, 2), 1);
}

TEST_F(DeviceSettingsTest, StatusesComeFromEachFamilysPlace) {
  struct Case {
    uint16_t statusAt;
    std::function<LONG()> call;
  };
  const Case cases[] = {
      {0, [] { return XanSetEcuSignal(kKernelId, 0, 0); }},
      {1084, [] { return XanGetAiMinSamplingClock(kKernelId, &gFloat); }},
      {1072, [] { return XanSetAoRepeatMode(kKernelId, 0); }},
      {0, [] { return XanSetEcuSignal(kVirtualId, 0, 0); }},
  };
  for (const Case& c : cases) {
    roads.reply = [&c](unsigned char* bytes, DWORD) { putAt(bytes, c.statusAt, 4, 21234); };
    gFloat = -1;
    EXPECT_EQ(c.call(), 21234) << c.statusAt;
  }
  EXPECT_EQ(gFloat, -1) << "an output is written only on success";
  roads.reply = nullptr;
  roads.failKernelCode = 0x222018;  // the request, after a passed ownership check
  EXPECT_EQ(XanSetEcuSignal(kKernelId, 0, 0), 10002);
  roads.busCallResult = 777;  // the device family returns a sibling's result unchanged
  EXPECT_EQ(XanSetEcuSignal(kVirtualId, 0, 0), 777);
}

TEST_F(DeviceSettingsTest, AnUnknownIdGives10001BeforeAnyArgumentIsLookedAt) {
  const short x = 99;
  EXPECT_EQ(XanGetControlFilter(x, 0, nullptr), 10001);
  EXPECT_EQ(XanGetDeviceRevision(x, nullptr), 10001);
  EXPECT_EQ(XanSetEcuSignal(x, -1, -2), 10001);
  EXPECT_EQ(XanSetAiDeviceBufferMode(x, 2), 10001);
  EXPECT_EQ(roads.ownershipChecks + roads.sent.size(), 0u);
}

}  // namespace
