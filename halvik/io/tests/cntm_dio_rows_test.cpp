// The multi-function counter and digital exports through their rows: the
// bytes each sends, the checks that stop it before anything is sent, and
// what comes back.
#include <cmath>
#include <limits>

#include "device_record.h"
#include "halvik.h"
#include "support/road_case.h"

namespace {

using namespace halvik::testing;

short gShort, gShorts[3];
LONG gLong;
float gFloat;
BYTE gByte;
const short kGroup[2] = {3, 5};
const LONG kPresets[2] = {100, -7};
const short kNine[9] = {0, 1, 2, 3, 4, 5, 6, 7, 8};
const LONG kNinePresets[9] = {};

class CntmDioRowsTest : public RoadsTest {};

TEST_F(CntmDioRowsTest, EachExportSendsItsRecord) {
  const short k = kKernelId, v = kVirtualId, a = kAttachedId;
  const std::vector<RoadCase> cases = {
      {"cntm z mode", [&] { return XanSetCntmZMode(k, 2, 3); }, 0x224018, 8, {{0, 2, 2}, {2, 2, 3}, {4, 4, 0}}},
      {"cntm z mode read", [&] { return XanGetCntmZMode(k, 2, &gShort); }, 0x22401C, 8, {{0, 2, 2}}, {{2, 2, 1}},
       [] { return gShort == 1; }},
      {"cntm output event", [&] { return XanSetCntmOutputHardwareEvent(k, 1, 2, 70000, 4); }, 0x224050, 16,
       {{0, 2, 1}, {2, 2, 2}, {4, 4, 70000}, {8, 2, 4}}},
      {"cntm input event", [&] { return XanSetCntmInputHardwareEvent(k, 1, 70000, 3, 4, 9); }, 0x224054, 16,
       {{0, 2, 1}, {4, 4, 70000}, {8, 2, 3}, {10, 2, 4}}},
      {"cntm match event", [&] { return XanSetCntmCountMatchHardwareEvent(k, 6, 1, 70000, 9); }, 0x224058, 12,
       {{0, 2, 6}, {2, 2, 1}, {4, 4, 70000}}},
      {"cntm status", [&] { return XanCntmReadStatusEx(k, 4, &gShort); }, 0x224064, 12, {{0, 2, 4}}, {{4, 2, 9}},
       [] { return gShort == 9; }},
      {"cntm start", [&] { return XanCntmStartCount(k, kGroup, 2); }, 0x224024, 24,
       {{0, 2, 3}, {2, 2, 5}, {4, 2, 0}, {16, 2, 2}}},
      {"cntm zero clear, no channels", [&] { return XanCntmZeroClearCount(k, nullptr, 0); }, 0x224060, 24, {{16, 2, 0}}},
      {"cntm preset", [&] { return XanCntmPreset(k, kGroup, 2, kPresets); }, 0x22402C, 56,
       {{0, 2, 3}, {16, 2, 2}, {20, 4, 100}, {24, 4, -7}, {28, 4, 0}}},
      {"cntm read", [&] { LONG c[8] = {}; LONG s = XanCntmReadCount(k, kGroup, 2, c); gLong = c[1]; return s; },
       0x224030, 56, {{20, 4, 0}}, {{24, 4, 42}}, [] { return gLong == 42; }},
      {"di bit", [&] { return XanInputDiBit(k, 9, &gShort); }, 0x2224B0, 24, {{12, 2, 9}, {20, 2, 1}}, {{16, 2, 1}},
       [] { return gShort == 1; }},
      {"di bit, attached", [&] { return XanInputDiBit(a, 9, &gShort); }, 0x31A0, 20, {{8, 2, 9}, {16, 2, 1}},
       {{12, 2, 1}}, [] { return gShort == 1; }},
      {"do byte", [&] { return XanOutputDoByte(k, 1, 0xA5); }, 0x2224B4, 24, {{14, 2, 1}, {18, 2, 0xA5}, {20, 2, 0}}},
      {"do byte, virtual", [&] { return XanOutputDoByte(v, 1, 0xA5); }, 0x31A1, 20, {{10, 2, 1}, {14, 2, 0xA5}, {16, 2, 0}}},
      {"di filter read", [&] { return XanGetDiFilter(k, -1, &gFloat); }, 0x2224B8, 24, {{12, 2, -1}, {20, 2, 1}},
       {{8, 4, 50000}}, [] { return gFloat == 0.05f; }},
      {"di filter read, virtual", [&] { return XanGetDiFilter(v, -1, &gFloat); }, 0x31A2, 28, {{16, 2, -1}, {24, 2, 1}},
       {{8, 4, 50000}}, [] { return gFloat == 50000.0f; }},
      {"direction, virtual", [&] { return XanSetDioDirection(v, 3); }, 0x31A3, 28, {{12, 4, 3}, {24, 2, 0}}},
      {"port in byte", [&] { return XanInpB(k, 1, 0x10, &gLong); }, 0x222010, 56,
       {{30, 2, 0x10}, {32, 2, 1}, {34, 2, 1}, {42, 2, 1}}, {{8, 4, 0x1234}}, [] { return gLong == 0x34; }},
      {"port in word, virtual", [&] { return XanInpW(v, 0, 0x10, &gLong); }, 0x3104, 28,
       {{18, 2, 0x10}, {20, 2, 1}, {22, 2, 2}}, {{8, 4, 0x12345}}, [] { return gLong == 0x12345; }},
      {"port out double", [&] { return XanOutpD(k, 0, 4, -2); }, 0x222010, 56,
       {{8, 4, -2}, {30, 2, 4}, {32, 2, 0}, {34, 2, 4}, {42, 2, 0}}},
      {"address", [&] { return XanGetAddress(k, 1, &gLong); }, 0x22201C, 56, {}, {{16, 4, 0x300}, {20, 4, 0x310}},
       [] { return gLong == 0x310; }},
  };
  for (const RoadCase& c : cases) expectCase(c);
}

TEST_F(CntmDioRowsTest, BlockSettersChangeOnlyTheirFieldsOfTheChannelBlock) {
  roads.reply = [](unsigned char* bytes, DWORD size) {
    if (size == 24) putAt(bytes, 10, 2, 2);  // the operation mode the board has
  };
  ASSERT_EQ(XanSetCntmCountDirection(kKernelId, 5, 1), 0);
  ASSERT_EQ(roads.sent.size(), 2u);
  EXPECT_EQ(roads.sent[0].code, 0x22400Cu);
  EXPECT_EQ(roads.sent[1].code, 0x224010u);
  EXPECT_EQ(roads.sent[1].at(0, 2), 5);
  EXPECT_EQ(roads.sent[1].at(8, 2), 1);
  EXPECT_EQ(roads.sent[1].at(10, 2), 2);

  // A failing read is returned, and nothing is written.
  roads.sent.clear();
  roads.reply = [](unsigned char* bytes, DWORD) { putAt(bytes, 20, 4, 12345); };
  EXPECT_EQ(XanSetCntmDigitalFilter(kKernelId, 0, 3), 12345);
  EXPECT_EQ(roads.sent.size(), 1u);
  EXPECT_EQ(XanGetCntmOperationMode(kKernelId, 0, &gShorts[0], &gShorts[1], &gShorts[2]), 12345);
}

TEST_F(CntmDioRowsTest, ChecksStopBeforeAnythingIsSent) {
  const short k = kKernelId, v = kVirtualId, a = kAttachedId;
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const std::vector<CheckCase> cases = {
      {18000, [&] { return XanSetCntmZMode(k, 0, 4); }},
      {18000, [&] { return XanSetCntmDigitalFilter(k, 0, -1); }},
      {18000, [&] { return XanSetCntmOperationMode(k, 0, 0, 0, 2); }},
      {28001, [&] { return XanSetCntmZLogic(k, 9, 0); }},
      {0, [&] { return XanSetCntmZLogic(k, 8, 1); }},
      {28001, [&] { return XanSetCntmZLogic(k, -1, 0); }},
      {0, [&] { return XanSetCntmDigitalFilter(k, 0, 15); }},
      {0, [&] { return XanSetCntmPulseWidth(k, 0, 15); }},
      {0, [&] { return XanSetCntmOperationMode(k, 0, 2, 2, 1); }},
      {18100, [&] { return XanGetCntmOperationMode(k, 0, &gShort, nullptr, &gShort); }},
      {18100, [&] { return XanCntmStartCount(k, nullptr, 0); }},
      {18100, [&] { return XanCntmZeroClearCount(k, nullptr, 2); }},
      {18340, [&] { return XanCntmReadCount(k, nullptr, 1, &gLong); }},
      {18100, [&] { return XanCntmReadCount(k, kGroup, 1, nullptr); }},
      {28010, [&] { return XanCntmStartCount(k, kGroup, 9); }},
      {0, [&] { return XanCntmStartCount(k, kNine, 8); }},
      {28010, [&] { return XanCntmPreset(k, kNine, 9, kNinePresets); }},
      {0, [&] { return XanCntmPreset(k, kNine, 8, kNinePresets); }},
      // The count-up windows are two rows of eight channels.
      {18000, [&] { return XanCntmNotifyCountUp(k, 0, 2, 10, nullptr); }},
      {28001, [&] { return XanCntmNotifyCountUp(k, 8, 0, 10, nullptr); }},
      {0, [&] { return XanCntmStopNotifyCountUp(k, 7, 1); }},
      {28001, [&] { return XanCntmStopNotifyCountUp(k, -1, 0); }},
      {18200, [&] { return XanCntmNotifyTimer(k, 10, nullptr); }},
      {18200, [&] { return XanCntmNotifyCounterError(k, reinterpret_cast<HWND>(0x7777)); }},
      {20001, [&] { return XanCntmStartCount(v, kGroup, 9); }},
      {20001, [&] { return XanSetCntmZLogic(a, 9, 0); }},
      {20001, [&] { return XanCntmTimerCallbackProc(v, nullptr, nullptr); }},
      {20001, [&] { return XanCntmInputDIByte(a, 0, &gByte); }},
      {14000, [&] { return XanInputDiBit(k, -1, &gShort); }},
      {14021, [&] { return XanOutputDoBit(k, 0, 2); }},
      {14031, [&] { return XanOutputDoByte(k, 0, 256); }},
      {14031, [&] { return XanOutputDoByte(k, 0, -1); }},
      {14041, [&] { return XanSetDiFilter(k, -1, nan); }},
      {14041, [&] { return XanSetDiFilter(k, -1, 3e9f); }},
      {14050, [&] { return XanGetDiFilter(k, 0, &gFloat); }},
      {14051, [&] { return XanGetDioDirection(v, nullptr); }},
      {10220, [&] { return XanInpB(k, 2, -1, nullptr); }},
      {10221, [&] { return XanInpB(k, 2, 0, nullptr); }},
      {10222, [&] { return XanInpB(k, 2, 0, &gLong); }},
      {10321, [&] { return XanOutpD(k, -1, 0, 0); }},
      {-1, [&] { return XanGetAddress(k, 0, nullptr); }},
  };
  for (const CheckCase& c : cases) expectCheck(c);
  // Roads without the function refuse it after the ownership check.
  EXPECT_EQ(XanGetDiFilter(a, -1, &gFloat), 20001);
  EXPECT_EQ(XanSetDioDirection(k, 0), 20001);
  EXPECT_EQ(XanInpB(a, 0, 0, &gLong), 20001);
  EXPECT_EQ(XanGetAddress(v, 0, &gLong), 20001);
}

TEST_F(CntmDioRowsTest, ACounterThatIsNotOpenIsNoDeviceAndDriverStatusesPassUnchanged) {
  halvik::DeviceRecord* record = nullptr;
  for (halvik::DeviceRecord& r : halvik::DeviceTable())
    if (r.Id == kKernelId) record = &r;
  ASSERT_NE(record, nullptr);
  roads.reply = [](unsigned char* bytes, DWORD size) { putAt(bytes, size == 24 ? 20 : size - 4, 4, 31337); };
  EXPECT_EQ(XanCntmStartCount(kKernelId, kGroup, 2), 31337);
  EXPECT_EQ(XanSetCntmTestPulse(kKernelId, 1, 0, 0), 31337);
  EXPECT_EQ(XanCntmOutputDOBit(kKernelId, 1, 0, 1), 31337);

  const HANDLE handle = record->Handle;
  record->Handle = INVALID_HANDLE_VALUE;
  roads.sent.clear();
  EXPECT_EQ(XanSetCntmZMode(kKernelId, 0, 1), 10001);
  EXPECT_EQ(XanCntmReadCount(kKernelId, kGroup, 1, &gLong), 10001);
  EXPECT_EQ(XanCntmNotifyTimeUp(kKernelId, 1, nullptr), 10001);
  EXPECT_TRUE(roads.sent.empty());
  record->Handle = handle;
}

}  // namespace
