// The counter and timer exports against the fake roads: the bytes of each
// row, the bounds that keep a channel or timer inside the per-device state,
// and event counts from the driver that must not be read past the block.
#include <atomic>
#include <cmath>
#include <limits>

#include "event_threads.h"
#include "event_worker.h"
#include "halvik.h"
#include "support/road_case.h"

namespace {

using namespace halvik::testing;

short gShort;
LONG gLong;
float gFloat;
HWND gWindow;
const LONG kValues[2] = {5, 6};

class CounterTimerRowsTest : public RoadsTest {};

TEST_F(CounterTimerRowsTest, EachRowSendsItsBytesOnEachRoad) {
  const short k = kKernelId, v = kVirtualId;
  const int64_t values = reinterpret_cast<intptr_t>(kValues);
  const HWND w = reinterpret_cast<HWND>(0x1234);
  const std::vector<RoadCase> cases = {
      {"cnt mode get", [&] { return XanGetCntComparisonMode(k, 1, &gShort); }, 0x222640, 1112,
       {{1100, 2, 1}, {1096, 2, 1}}, {{64, 4, 0x10007}}, [] { return gShort == 7; }},
      {"cnt mode get, virtual", [&] { return XanGetCntComparisonMode(v, 1, &gShort); }, 0x31E0, 16,
       {{4, 2, 1}, {12, 2, 1}}, {{8, 2, 9}}, [] { return gShort == 9; }},
      {"cnt comparison", [&] { return XanSetCntComparisonReg(k, 1, 2, kValues, 1); }, 0x222648, 1112,
       {{1100, 2, 1}, {40, 4, 2}, {44, 8, values}, {1102, 2, 1}, {1096, 2, 0}}},
      {"cnt comparison, virtual", [&] { return XanSetCntComparisonReg(v, 1, 2, kValues, 1); }, 0x31E2, 24,
       {{4, 2, 1}, {8, 4, 2}, {12, 8, values}, {20, 2, 1}, {22, 2, 0}}},
      {"cnt signal get", [&] { return XanGetCntInputSignal(k, 1, &gShort); }, 0x22264C, 1112, {{1096, 2, 1}},
       {{1104, 2, 3}}, [] { return gShort == 3; }},
      {"cnt signal get, virtual", [&] { return XanGetCntInputSignal(v, 1, &gShort); }, 0x31E3, 12, {{8, 2, 1}},
       {{6, 2, 4}}, [] { return gShort == 4; }},
      {"cnt filter get", [&] { return XanGetCntFilter(k, -1, -1, &gFloat); }, 0x222658, 1112,
       {{1100, 2, -1}, {1106, 2, -1}, {1096, 2, 1}}, {{60, 4, 8}}, [] { return gFloat == 8.0f; }},
      {"cnt filter get, virtual", [&] { return XanGetCntFilter(v, -1, -1, &gFloat); }, 0x31E6, 16,
       {{4, 2, -1}, {6, 2, -1}, {12, 2, 1}}, {{8, 4, 6}}, [] { return gFloat == 6.0f; }},
      {"cnt preset", [&] { return XanPresetCnt(k, 1, -9); }, 0x222664, 1112, {{1100, 2, 1}, {52, 4, -9}}},
      {"cnt preset, virtual", [&] { return XanPresetCnt(v, 1, -9); }, 0x31E9, 16, {{4, 2, 1}, {8, 4, -9}}},
      {"cnt status", [&] { return XanGetCntStatus(k, 1, &gLong); }, 0x222668, 1112, {{1100, 2, 1}, {1096, 2, 1}},
       {{8, 4, 0x81}}, [] { return gLong == 0x81; }},
      {"cnt status, virtual", [&] { return XanGetCntStatus(v, 1, &gLong); }, 0x31D0, 12, {{8, 2, 1}, {10, 2, 1}},
       {{4, 4, 0x82}}, [] { return gLong == 0x82; }},
      {"cnt count", [&] { return XanGetCntCount(k, 0, &gLong); }, 0x22266C, 1112, {{1096, 2, 1}}, {{56, 4, -5}},
       [] { return gLong == -5; }},
      {"cnt count, virtual", [&] { return XanGetCntCount(v, 1, &gLong); }, 0x31EB, 12, {{8, 2, 1}, {10, 2, 1}},
       {{4, 4, 77}}, [] { return gLong == 77; }},
      {"cnt reset", [&] { return XanResetCntStatus(k, 1, 6); }, 0x222670, 1112, {{1100, 2, 1}, {8, 4, 6}}},
      {"cnt reset, virtual", [&] { return XanResetCntStatus(v, 1, 6); }, 0x31EC, 12, {{4, 4, 6}, {8, 2, 1}}},
      {"cnt event", [&] { return XanSetCntEvent(k, 1, w, 0x11); }, 0x222650, 1112,
       {{1100, 2, 1}, {20, 4, 0x1234}, {12, 4, 0x11}, {1096, 2, 0}}},
      {"cnt event, virtual", [&] { return XanSetCntEvent(v, 1, w, 0x11); }, 0x31E4, 16,
       {{4, 4, 0x1234}, {8, 4, 0x11}, {12, 2, 0}, {14, 2, 1}}},
      {"cnt event get", [&] { return XanGetCntEvent(k, 1, &gWindow, &gLong); }, 0x222650, 1112, {{1096, 2, 1}},
       {{12, 4, 0x10}}, [&] { return gLong == 0x10 && gWindow == w; }},
      {"cnt event get, virtual", [&] { return XanGetCntEvent(v, 1, &gWindow, &gLong); }, 0x31E4, 16,
       {{12, 2, 1}, {14, 2, 1}}, {{8, 4, 0x1}}, [&] { return gLong == 0x1 && gWindow == w; }},
      {"cnt callback", [&] { return XanSetCntCallBackProc(k, 1, nullptr, 0x10, nullptr); }, 0x222654, 1112,
       {{1100, 2, 1}, {12, 4, 0x10}}},
      {"cnt callback, virtual", [&] { return XanSetCntCallBackProc(v, 1, nullptr, 0x10, nullptr); }, 0x31E5, 16,
       {{8, 4, 0x10}, {12, 2, 0}, {14, 2, 1}}},
      {"tm event", [&] { return XanSetTmEvent(k, 1, w, 0x1); }, 0x2227D0, 1076,
       {{1070, 2, 1}, {16, 4, 0x1234}, {8, 4, 1}, {1068, 2, 0}}},
      {"tm event, virtual", [&] { return XanSetTmEvent(v, 1, w, 0x1); }, 0x3200, 16,
       {{4, 4, 0x1234}, {8, 4, 1}, {12, 2, 0}, {14, 2, 1}}},
      {"tm event get", [&] { return XanGetTmEvent(k, 1, &gWindow, &gLong); }, 0x2227D0, 1076, {{1068, 2, 1}},
       {{8, 4, 1}}, [&] { return gLong == 1 && gWindow == w; }},
      {"tm callback, virtual", [&] { return XanSetTmCallBackProc(v, 1, nullptr, 1, nullptr); }, 0x3201, 16,
       {{8, 4, 1}, {14, 2, 1}}},
      {"tm start count", [&] { return XanStartTmCount(k, 1); }, 0x2227E0, 1076, {{1070, 2, 1}}},
      {"tm start count, virtual", [&] { return XanStartTmCount(v, 1); }, 0x3204, 20, {{8, 2, 1}}},
      {"tm lap", [&] { return XanLapTmCount(k, 1, &gLong); }, 0x2227E8, 1076, {{1068, 2, 1}}, {{32, 4, 40}},
       [] { return gLong == 40; }},
      {"tm lap, virtual", [&] { return XanLapTmCount(v, 1, &gLong); }, 0x3206, 16, {{8, 2, 1}, {10, 2, 1}},
       {{4, 4, 40}}, [] { return gLong == 0; }},
      {"tm reset, virtual", [&] { return XanResetTmCount(v, 1); }, 0x3207, 12, {{8, 2, 1}}},
      {"tm wait", [&] { return XanTmWait(k, 1, 30); }, 0x2227F0, 1076, {{1070, 2, 1}, {36, 4, 30}}},
      {"tm wait, virtual", [&] { return XanTmWait(v, 1, 30); }, 0x3208, 12, {{4, 4, 30}, {8, 2, 1}}},
  };
  for (const RoadCase& c : cases) expectCase(c);
}

// The per-device state has two channels and two timers: any other number
// is refused before anything is sent, as are numbers no int32 holds.
TEST_F(CounterTimerRowsTest, ArgumentsOutsideTheirRangeAreRefused) {
  const short k = kKernelId;
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const CheckCase cases[] = {
      {15140, [&] { return XanStartCnt(k, 2); }},
      {15160, [&] { return XanStopCnt(k, 2); }},
      {15080, [&] { return XanSetCntEvent(k, 2, nullptr, 0); }},
      {15090, [&] { return XanGetCntEvent(k, 2, nullptr, &gLong); }},
      {15091, [&] { return XanGetCntEvent(k, 0, nullptr, nullptr); }},
      {15100, [&] { return XanSetCntCallBackProc(k, 2, nullptr, 0, nullptr); }},
      {16000, [&] { return XanSetTmEvent(k, 2, nullptr, 0); }},
      {16010, [&] { return XanGetTmEvent(k, 2, nullptr, &gLong); }},
      {16020, [&] { return XanSetTmCallBackProc(k, 2, nullptr, 0, nullptr); }},
      {16040, [&] { return XanStartTmTimer(k, 2, 1.0f); }},
      {16060, [&] { return XanStopTmTimer(k, 2); }},
      {15122, [&] { return XanSetCntFilter(k, -1, -1, nan); }},
      {15122, [&] { return XanSetCntFilter(k, -1, -1, 3e9f); }},
      {16041, [&] { return XanStartTmTimer(k, 0, nan); }},
      {16041, [&] { return XanStartTmTimer(k, 0, 3e9f); }},
      {16041, [&] { return XanStartTmTimer(k, 0, 0.5f); }},
      {16161, [&] { return XanTmWait(k, 0, 0); }},
      {15200, [&] { return XanGetCntStatus(k, -1, &gLong); }},
      {16121, [&] { return XanLapTmCount(k, 0, nullptr); }},
  };
  for (const CheckCase& c : cases) expectCheck(c);
}

std::atomic<int> gEvents{0};
void WINAPI onEvent(short, short, short, LONG, void*) { ++gEvents; }

// A driver that reports more event words than its block holds: the worker
// dispatches the block's words and no more.
TEST_F(CounterTimerRowsTest, AnEventCountBeyondTheBlockIsClamped) {
  struct Case {
    const char* what;
    uint16_t words, count, mask, stopped;
    int32_t word;
    std::function<LONG()> callback, start;
    HANDLE* thread;
  };
  halvik::DeviceRecord& r = halvik::DeviceTable()[0];
  const Case cases[] = {
      {"counter", 68, 1092, 12, 1108, 0x10, [] { return XanSetCntCallBackProc(kKernelId, 0, onEvent, 0x10, nullptr); },
       [] { return XanStartCnt(kKernelId, 0); }, &r.CntThread[0]},
      {"timer", 40, 1064, 8, 1074, 0x1, [] { return XanSetTmCallBackProc(kKernelId, 0, onEvent, 0x1, nullptr); },
       [] { return XanStartTmTimer(kKernelId, 0, 1.0f); }, &r.TmThread[0]},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    gEvents = 0;
    roads.reply = [&c](unsigned char* bytes, DWORD size) {
      for (uint16_t at = c.words; at + 4u <= c.count; at += 4) putAt(bytes, at, 4, c.word);
      putAt(bytes, c.count, 2, 30000);
      putAt(bytes, c.mask, 4, c.word);
      if (c.stopped + 2u <= size) putAt(bytes, c.stopped, 2, 1);
      putAt(bytes, 0, 4, 0);
    };
    ASSERT_EQ(c.callback(), 0);
    ASSERT_EQ(c.start(), 0);
    for (int i = 0; i < 2000 && gEvents < 256; ++i) Sleep(1);
    EXPECT_EQ(halvik::EndEventThreads(r), 0);
    EXPECT_EQ(gEvents.load(), 256);
    EXPECT_EQ(*c.thread, INVALID_HANDLE_VALUE);
  }
}

}  // namespace
