// The run's plain requests on each road: readings, resets, event
// registration, readout, and a stop with nothing running.
#include <cstring>

#include "halvik.h"
#include "range_codes.h"
#include "support/road_case.h"

namespace {

using namespace halvik::testing;

LONG gValue;
LONG gScans;
LONG gData[8];
float gValues[8];

class AiRunRowsTest : public RoadsTest {};

TEST_F(AiRunRowsTest, EachRequestCarriesItsBytesOnEachRoad) {
  const short k = kKernelId, v = kVirtualId, a = kAttachedId;
  const int64_t data = reinterpret_cast<intptr_t>(gData);
  const HWND window = reinterpret_cast<HWND>(0x1234);
  const std::vector<RoadCase> cases = {
      {"status", [&] { return XanGetAiStatus(k, &gValue); }, 0x2221E4, 2236, {{1204, 2, 1}}, {{1124, 4, 0x21}},
       [] { return gValue == 0x21; }},
      {"status, virtual", [&] { return XanGetAiStatus(v, &gValue); }, 0x3135, 8, {}, {{4, 4, 3}},
       [] { return gValue == 3; }},
      {"status, attached", [&] { return XanGetAiStatus(a, &gValue); }, 0x3135, 8, {}, {{4, 4, 1}},
       [] { return gValue == 1; }},
      {"sampling count", [&] { return XanGetAiSamplingCount(k, &gValue); }, 0x2221E8, 2236, {}, {{1140, 4, 700}},
       [] { return gValue == 700; }},
      {"sampling count, virtual", [&] { return XanGetAiSamplingCount(v, &gValue); }, 0x3136, 8, {}, {{4, 4, 9}},
       [] { return gValue == 9; }},
      {"repeat count", [&] { return XanGetAiRepeatCount(k, &gValue); }, 0x2221EC, 2236, {}, {{1144, 4, 4}},
       [] { return gValue == 4; }},
      {"stop trigger count", [&] { return XanGetAiStopTriggerCount(k, &gValue); }, 0x2221F0, 2236, {},
       {{1148, 4, 6}}, [] { return gValue == 6; }},
      {"stop trigger count, attached", [&] { return XanGetAiStopTriggerCount(a, &gValue); }, 0x3138, 8, {},
       {{4, 4, 2}}, [] { return gValue == 2; }},
      {"reset status", [&] { return XanResetAiStatus(k); }, 0x2221F8, 2236, {}},
      {"reset status, virtual", [&] { return XanResetAiStatus(v); }, 0x313A, 4, {}},
      {"reset memory", [&] { return XanResetAiMemory(k); }, 0x2221FC, 2236, {}},
      {"reset memory, attached", [&] { return XanResetAiMemory(a); }, 0x313B, 4, {}},
      {"event", [&] { return XanSetAiEvent(k, window, 0x82); }, 0x2221C8, 2236,
       {{1120, 4, 0x82}, {1160, 4, 0x1234}, {1204, 2, 0}}},
      {"event, virtual", [&] { return XanSetAiEvent(v, window, 0x82); }, 0x312E, 12, {{4, 4, 0x82}, {8, 2, 0}}},
      {"callback", [&] { return XanSetAiCallBackProc(k, nullptr, 0x20, nullptr); }, 0x222214, 2236,
       {{1120, 4, 0x20}, {1204, 2, 0}}},
      {"callback, attached", [&] { return XanSetAiCallBackProc(a, nullptr, 0x20, nullptr); }, 0x3142, 12,
       {{4, 4, 0x20}}},
      {"readout", [&] { return gScans = 3, XanGetAiSamplingData(k, &gScans, gData); }, 0x2221F4, 2236,
       {{1184, 4, 3}, {1172, 8, data}}, {{1184, 4, 2}}, [] { return gScans == 2; }},
      {"readout, virtual", [&] { return gScans = 3, XanGetAiSamplingData(v, &gScans, gData); }, 0x3139, 16,
       {{4, 4, 3}, {8, 8, data}}, {{4, 4, 1}}, [] { return gScans == 1; }},
      {"transfer count", [&] { return XanGetAiTransferCount(k, &gValue); }, 0x22223C, 2236, {}, {{40, 4, 77}},
       [] { return gValue == 77; }},
      {"transfer lap", [&] { return XanGetAiTransferLap(k, &gValue); }, 0x222240, 2236, {}, {{44, 4, 5}},
       [] { return gValue == 5; }},
      {"stop trigger transfer count", [&] { return XanGetAiStopTriggerTransferCount(k, &gValue); }, 0x222244, 2236,
       {}, {{40, 4, 9}}, [] { return gValue == 9; }},
      {"event mask", [&] { return XanGetAiEvent(k, nullptr, &gValue); }, 0x2221C8, 2236, {{1204, 2, 1}},
       {{1120, 4, 0x82}}, [] { return gValue == 0x82; }},
      {"event mask, attached", [&] { return XanGetAiEvent(a, nullptr, &gValue); }, 0x312E, 12, {{8, 2, 1}},
       {{4, 4, 0x30}}, [] { return gValue == 0x30; }},
      {"memory size 13 kept as 8", [&] { return XanSetAiMemorySize(k, 13); }, 0x222208, 2236, {{1168, 4, 8}}},
      {"memory size 15 kept as 8", [&] { return XanSetAiMemorySize(k, 15); }, 0x222208, 2236, {{1168, 4, 8}}},
      {"memory size 8", [&] { return XanSetAiMemorySize(k, 8); }, 0x222208, 2236, {{1168, 4, 8}}},
      {"memory size 16", [&] { return XanSetAiMemorySize(k, 16); }, 0x222208, 2236, {{1168, 4, 16}}},
      {"stop, nothing running", [&] { return XanStopAi(k); }, 0x2221E4, 2236, {{1204, 2, 1}}},
  };
  for (const RoadCase& c : cases) expectCase(c);
}

TEST_F(AiRunRowsTest, RefusedArgumentsGetTheirCodesAndSendNothing) {
  const struct {
    const char* what;
    std::function<LONG()> call;
    LONG code;
  } cases[] = {
      {"status", [] { return XanGetAiStatus(kKernelId, nullptr); }, 11500},
      {"sampling count", [] { return XanGetAiSamplingCount(kKernelId, nullptr); }, 11520},
      {"repeat count", [] { return XanGetAiRepeatCount(kKernelId, nullptr); }, 11540},
      {"stop trigger count", [] { return XanGetAiStopTriggerCount(kKernelId, nullptr); }, 11560},
      {"transfer count", [] { return XanGetAiTransferCount(kKernelId, nullptr); }, 12140},
      {"transfer lap", [] { return XanGetAiTransferLap(kKernelId, nullptr); }, 12160},
      {"stop trigger transfer count", [] { return XanGetAiStopTriggerTransferCount(kKernelId, nullptr); }, 12180},
      {"event mask", [] { return XanGetAiEvent(kKernelId, nullptr, nullptr); }, 11390},
      {"memory size 7", [] { return XanSetAiMemorySize(kKernelId, 7); }, 11820},
      {"scans", [] { return XanGetAiSamplingData(kKernelId, nullptr, gData); }, 11580},
      {"data", [] { return gScans = 1, XanGetAiSamplingData(kKernelId, &gScans, nullptr); }, 11581},
      {"scans, values", [] { return XanGetAiSamplingDataEx(kKernelId, nullptr, gValues); }, 11880},
      {"values", [] { return gScans = 1, XanGetAiSamplingDataEx(kKernelId, &gScans, nullptr); }, 11881},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    roads.sent.clear();
    EXPECT_EQ(c.call(), c.code);
    EXPECT_TRUE(roads.sent.empty());
  }
}

TEST_F(AiRunRowsTest, TransferCountsAreTheKernelDriversOnly) {
  const std::function<LONG(short)> calls[] = {
      [](short id) { return XanGetAiTransferCount(id, &gValue); },
      [](short id) { return XanGetAiTransferLap(id, &gValue); },
      [](short id) { return XanGetAiStopTriggerTransferCount(id, &gValue); },
  };
  for (const auto& call : calls) {
    for (short id : {kVirtualId, kAttachedId}) {
      roads.sent.clear();
      EXPECT_EQ(call(id), 20001) << id;
      EXPECT_TRUE(roads.sent.empty());
    }
  }
}

TEST_F(AiRunRowsTest, TheEventReadingGivesBackTheRegisteredWindow) {
  const HWND window = reinterpret_cast<HWND>(0x4321);
  ASSERT_EQ(XanSetAiEvent(kVirtualId, window, 0x20), 0);
  HWND back = nullptr;
  ASSERT_EQ(XanGetAiEvent(kVirtualId, &back, &gValue), 0);
  EXPECT_EQ(back, window);
}

// The bus library answers in chunks of 1024 values; a short chunk ends the
// readout with what came.
TEST_F(AiRunRowsTest, TheBusReadoutGathersChunksInOrder) {
  static LONG big[2 * 700];
  int chunk = 0;
  roads.reply = [&](unsigned char* bytes, DWORD size) {
    if (size == 8) return putAt(bytes, 6, 2, 2);  // two channels
    int32_t want;
    std::memcpy(&want, bytes + 8, 4);
    const int got = chunk == 1 ? want - 10 : want;
    for (int i = 0; i < got; ++i) putAt(bytes, 20 + 2 * i, 2, 0x8000 + chunk * 1024 + i);
    putAt(bytes, 8, 4, got);
    if (chunk == 1) putAt(bytes, 0, 4, 21580);
    ++chunk;
  };
  LONG scans = 700;
  EXPECT_EQ(XanGetAiSamplingData(kAttachedId, &scans, big), 21580);
  EXPECT_EQ(scans, (1400 - 10) / 2);
  EXPECT_EQ(big[0], 0x8000);  // unsigned 16-bit counts
  EXPECT_EQ(big[1024], 0x8000 + 1024);
  EXPECT_EQ(chunk, 2);
}

TEST_F(AiRunRowsTest, PhysicalReadoutConvertsEachChannelWithItsRange) {
  roads.reply = [](unsigned char* bytes, DWORD) {
    putAt(bytes, 1184, 2, 2);    // channel count (the readout overwrites its own count)
    putAt(bytes, 1206, 2, 0);    // channel 0: range code 0
    putAt(bytes, 1208, 2, 1);    // channel 1: range code 1
    putAt(bytes, 1180, 2, 16);
    int64_t address;
    std::memcpy(&address, bytes + 1172, 8);
    if (address != 0) {
      auto* out = reinterpret_cast<int32_t*>(address);
      out[0] = 0, out[1] = 0x8000, out[2] = 0xFFFF, out[3] = 0;
      putAt(bytes, 1184, 4, 2);
    }
  };
  LONG scans = 2;
  ASSERT_EQ(XanGetAiSamplingDataEx(kKernelId, &scans, gValues), 0);
  EXPECT_EQ(scans, 2);
  float max0, min0, max1, min1;
  ASSERT_TRUE(halvik::GetRangeLimits(0, &max0, &min0));
  ASSERT_TRUE(halvik::GetRangeLimits(1, &max1, &min1));
  EXPECT_FLOAT_EQ(gValues[0], min0);
  EXPECT_FLOAT_EQ(gValues[1], halvik::CountToValue(max1, min1, 16, 0x8000));
  EXPECT_FLOAT_EQ(gValues[2], halvik::CountToValue(max0, min0, 16, 0xFFFF));
}

}  // namespace
