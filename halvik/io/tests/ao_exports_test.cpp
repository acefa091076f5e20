// The output exports on the test's own roads: what each road is sent, the
// checks and their codes, and the statuses the physical-value exports give.
#include <cmath>
#include <cstring>
#include <limits>

#include "halvik.h"
#include "support/road_case.h"

namespace {

using namespace halvik::testing;

short gShort;
LONG gLong;
float gFloat;

class AoExportsTest : public RoadsTest {};

TEST_F(AoExportsTest, EachRowSendsItsBytesOnEachRoad) {
  const short k = kKernelId, v = kVirtualId, a = kAttachedId;
  const std::vector<RoadCase> cases = {
      {"get channels", [&] { return XanGetAoChannels(k, &gShort); }, 0x222324, 2196, {{1168, 2, 1}}, {{1152, 2, 7}},
       [] { return gShort == 7; }},
      {"get channels, virtual", [&] { return XanGetAoChannels(v, &gShort); }, 0x3161, 8, {{4, 2, 1}}, {{6, 2, 5}},
       [] { return gShort == 5; }},
      {"get range", [&] { return XanGetAoRange(a, 3, &gShort); }, 0x3162, 12, {{4, 2, 1}, {6, 2, 3}}, {{8, 2, 50}},
       [] { return gShort == 50; }},
      {"status", [&] { return XanGetAoStatus(k, &gLong); }, 0x22236C, 2196, {}, {{1100, 4, 1}},
       [] { return gLong == 1; }},
      {"resolution, virtual", [&] { return XanGetAoResolution(v, &gShort); }, 0x3179, 8, {}, {{4, 2, 16}},
       [] { return gShort == 16; }},
      {"sampling times, virtual", [&] { return XanGetAoSamplingTimes(v, &gLong); }, 0x316A, 24, {{12, 2, 1}},
       {{4, 4, 900}}, [] { return gLong == 900; }},
      {"sampling times, attached", [&] { return XanGetAoSamplingTimes(a, &gLong); }, 0x316A, 18, {{16, 2, 1}},
       {{8, 4, 800}}, [] { return gLong == 800; }},
      {"memory size, virtual", [&] { return XanGetAoMemorySize(v, &gLong); }, 0x317A, 12, {{4, 2, 1}},
       {{8, 4, 4096}}, [] { return gLong == 4096; }},
      {"clock", [&] { return XanGetAoSamplingClock(k, &gFloat); }, 0x22233C, 2196, {{1168, 2, 1}},
       {{1084, 4, 2}, {1088, 4, 500}}, [] { return gFloat == 2.5f; }},
      {"clock, attached", [&] { return XanGetAoSamplingClock(a, &gFloat); }, 0x3167, 12, {{8, 2, 1}}, {{4, 4, 40}},
       [] { return gFloat == 40.0f; }},
      {"single", [&] { return XanSingleAo(v, 2, 0x12345); }, 0x316E, 8, {{4, 2, 2}, {6, 2, 0x2345}}},
      {"enable", [&] { return XanEnableAo(k, 4); }, 0x222368, 2196, {{1154, 2, 4}, {1168, 2, 0}}},
      {"disable, virtual", [&] { return XanDisableAo(v, 4); }, 0x3172, 8, {{4, 2, 1}, {6, 2, 4}}},
      {"event", [&] { return XanSetAoEvent(k, reinterpret_cast<HWND>(0x77), 0x22); }, 0x22234C, 2196,
       {{1096, 4, 0x22}, {1120, 4, 0x77}, {1168, 2, 0}}},
      {"adjustment", [&] { return XanSetAoAdjustment(k, 1, 2, 1, 9); }, 0x2223B0, 2196,
       {{1154, 2, 1}, {1156, 2, 2}, {36, 2, 1}, {38, 2, 9}, {1168, 2, 0}}},
      {"default adjustment, virtual", [&] { return XanGetAoDefaultAdjustment(v, 1, 2, 1, &gShort); }, 0x3181, 16,
       {{4, 2, 1}, {6, 2, 1}, {8, 2, 2}, {10, 2, 1}}, {{12, 2, 33}}, [] { return gShort == 33; }},
      {"reset memory, attached", [&] { return XanResetAoMemory(a); }, 0x3177, 4, {}},
  };
  for (const RoadCase& c : cases) expectCase(c);
  // The bus library's devices answer without a request.
  roads.sent.clear();
  EXPECT_EQ(XanGetAoMemorySize(a, &gLong), 0);
  EXPECT_EQ(gLong, 262144);
  EXPECT_EQ(XanGetAoTransferMode(v, &gShort), 0);
  EXPECT_EQ(gShort, 0);
  EXPECT_TRUE(roads.sent.empty());
}

TEST_F(AoExportsTest, ArgumentChecksGiveTheirCodesInOrder) {
  const short k = kKernelId, v = kVirtualId, a = kAttachedId;
  const LONG data[256] = {};
  const float values[256] = {};
  const CheckCase cases[] = {
      {13000, [&] { return XanSingleAo(k, -1, 0); }},
      {0, [&] { return XanSingleAo(k, 255, 0); }},
      {13500, [&] { return XanSingleAoEx(k, 256, 0.0f); }},
      {0, [&] { return XanSingleAoEx(k, 255, 0.0f); }},
      {13020, [&] { return XanMultiAo(k, 0, data); }},
      {0, [&] { return XanMultiAo(k, 256, data); }},
      {13020, [&] { return XanMultiAo(k, 257, data); }},
      {13021, [&] { return XanMultiAo(k, 1, nullptr); }},
      {13520, [&] { return XanMultiAoEx(k, 257, values); }},
      {0, [&] { return XanMultiAoEx(k, 256, values); }},
      {13040, [&] { return XanGetAoResolution(k, nullptr); }},
      {13110, [&] { return XanGetAoRange(k, 256, &gShort); }},
      {0, [&] { return XanGetAoRange(k, 255, &gShort); }},
      {13111, [&] { return XanGetAoRange(k, 0, nullptr); }},
      {13840, [&] { return XanSetAoDeviceBufferMode(k, 2); }},
      {13220, [&] { return XanSetAoSamplingData(k, 0, data); }},
      {13221, [&] { return XanSetAoSamplingData(k, 1, nullptr); }},
      {13540, [&] { return XanSetAoSamplingDataEx(k, 0, values); }},
      {13480, [&] { return XanSetAoMemorySize(k, 257); }},
      {0, [&] { return XanSetAoMemorySize(k, 256); }},
      {13480, [&] { return XanSetAoMemorySize(k, -1); }},
      {13290, [&] { return XanGetAoEvent(k, nullptr, nullptr); }},
      {13600, [&] { return XanSetAoTransferData(k, 0x1000001, const_cast<LONG*>(data)); }},
      {13601, [&] { return XanSetAoTransferData(k, 1, nullptr); }},
      {13720, [&] { return XanSetAoAdjustment(k, 0, 301, 0, 0); }},
      {13721, [&] { return XanSetAoAdjustment(k, 0, 0, 2, 0); }},
      {13722, [&] { return XanSetAoAdjustment(k, 0, 0, 0, -1); }},
      {13723, [&] { return XanSetAoAdjustment(k, 256, 0, 0, 0); }},
      {0, [&] { return XanSetAoAdjustment(k, 255, 300, 1, 0); }},
      {13732, [&] { return XanGetAoAdjustment(k, 0, 0, 0, nullptr); }},
      {13360, [&] { return XanEnableAo(k, 256); }},
      {0, [&] { return XanEnableAo(k, 255); }},
      // A clock that is no number, endless or beyond the int32 whole part.
      {13200, [&] { return XanSetAoSamplingClock(k, std::numeric_limits<float>::quiet_NaN()); }},
      {13200, [&] { return XanSetAoSamplingClock(k, std::numeric_limits<float>::infinity()); }},
      {13200, [&] { return XanSetAoSamplingClock(k, 3e9f); }},
      {0, [&] { return XanSetAoSamplingClock(k, 2e9f); }},
      // The sibling records carry 17 counts and 16 range codes.
      {13020, [&] { return XanMultiAo(v, 18, data); }},
      {0, [&] { return XanMultiAo(v, 17, data); }},
      {13020, [&] { return XanMultiAo(a, 18, data); }},
      {13520, [&] { return XanMultiAoEx(v, 17, values); }},
      {0, [&] { return XanMultiAoEx(v, 16, values); }},
  };
  for (const CheckCase& c : cases) expectCheck(c);
  EXPECT_EQ(XanSetAoDeviceBufferMode(v, 0), 20001);
  EXPECT_EQ(XanSetAoMemorySize(a, 0), 20001);
  EXPECT_EQ(XanGetAoTransferCount(v, &gLong), 20001);
  EXPECT_EQ(XanSetAoAdjustment(a, 0, 0, 0, 0), 20001);
}

// On the virtual road the range read (12 bytes) answers range 0 and 16
// bits; the output (8 or 40 bytes) answers the case's status.
TEST_F(AoExportsTest, PhysicalOutputRenumbersOnlyItsListedStatuses) {
  const short v = kVirtualId;
  const float values[2] = {0.0f, 1.0f};
  struct Case {
    int32_t status;
    LONG single, multi;
  };
  const Case cases[] = {
      {0, 0, 0},
      {23000, 23500, 23000},
      {23001, 23501, 23001},
      {23004, 23502, 23004},
      {23020, 23020, 23520},
      {23021, 23021, 23521},
      {23024, 23024, 23522},
      {23003, 23003, 23003},  // an unlisted status is no success
  };
  for (const Case& c : cases) {
    roads.reply = [&c](unsigned char* bytes, DWORD size) {
      if (size == 12 || size == 44) {
        putAt(bytes, size == 12 ? 10 : 40, 2, 16);
      } else {
        putAt(bytes, 0, 4, c.status);
      }
    };
    EXPECT_EQ(XanSingleAoEx(v, 0, 1.0f), c.single) << c.status;
    EXPECT_EQ(XanMultiAoEx(v, 2, values), c.multi) << c.status;
  }
  roads.reply = [](unsigned char* bytes, DWORD size) {
    if (size == 12) putAt(bytes, 8, 2, 999);  // a range code without limits
  };
  EXPECT_EQ(XanSingleAoEx(v, 0, 1.0f), -1);
}

TEST_F(AoExportsTest, PhysicalValuesBecomeCountsOfTheirChannelsRanges) {
  const short k = kKernelId;
  // Channel 0 in range 0, channel 1 in range 50; 16 bits. The output
  // request's counts are read through its address while it runs.
  int calls = 0;
  LONG counts[2] = {-1, -1};
  roads.reply = [&](unsigned char* bytes, DWORD) {
    if (calls++ == 0) {
      putAt(bytes, 1170, 2, 0);
      putAt(bytes, 1172, 2, 50);
      putAt(bytes, 1148, 2, 16);
      return;
    }
    uint64_t address = 0;
    std::memcpy(&address, bytes + 1140, sizeof address);
    std::memcpy(counts, reinterpret_cast<const void*>(address), sizeof counts);
  };
  float max0, min0, max1, min1;
  ASSERT_EQ(XanGetRangeValue(0, &max0, &min0), 0);
  ASSERT_EQ(XanGetRangeValue(50, &max1, &min1), 0);
  const float values[2] = {min0, (max1 + min1) / 2};
  ASSERT_EQ(XanMultiAoEx(k, 2, values), 0);
  ASSERT_EQ(roads.sent.size(), 2u);
  EXPECT_EQ(roads.sent[0].code, 0x22238Cu);
  EXPECT_EQ(roads.sent[1].code, 0x22235Cu);
  EXPECT_EQ(roads.sent[1].at(1152, 2), 2);
  EXPECT_EQ(counts[0], 0);
  EXPECT_EQ(counts[1], 32768);
}

TEST_F(AoExportsTest, TheBusLibraryTakesTheDataInChunksOf1024) {
  const short a = kAttachedId;
  struct Case {
    LONG samples;
    std::vector<int64_t> chunks;
  };
  const Case cases[] = {{1024, {1024, 1024, 0}}, {1000, {1024, 976}}};
  const std::vector<LONG> data(2048, 5);
  for (const Case& c : cases) {
    roads.sent.clear();
    // Two channels; the channel read may say the device is busy.
    roads.reply = [](unsigned char* bytes, DWORD size) {
      if (size == 8) {
        putAt(bytes, 6, 2, 2);
        putAt(bytes, 0, 4, 20002);
      }
    };
    ASSERT_EQ(XanSetAoSamplingData(a, c.samples, data.data()), 0);
    ASSERT_EQ(roads.sent.size(), c.chunks.size() + 1);
    for (size_t i = 0; i < c.chunks.size(); ++i) {
      const Sent& s = roads.sent[i + 1];
      EXPECT_EQ(s.code, 0x316Au);
      EXPECT_EQ(s.at(8, 4), c.chunks[i]);
      EXPECT_EQ(s.at(12, 4), static_cast<int64_t>(i));
    }
  }
}

}  // namespace
