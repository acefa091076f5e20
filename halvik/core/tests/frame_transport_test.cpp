// The roads below the rows: the stubs of a missing sibling library, the
// ownership check, and how a failed call reads.
#include "transport.h"

#include "halvik.h"
#include "support/road_case.h"

namespace {

using namespace halvik;
using namespace halvik::testing;

class TransportTest : public RoadsTest {};

TEST_F(TransportTest, MissingSiblingEntriesOpenNothingAndAnswer10002) {
  const BusEntries& stubs = StubBus();
  EXPECT_EQ(stubs.HalvikVmOpenHandle(10, "X", ""), INVALID_HANDLE_VALUE);
  EXPECT_EQ(stubs.KelbusOpenHandle(3, "X", 0), INVALID_HANDLE_VALUE);
  EXPECT_EQ(stubs.KelbusOpenHandleEx(3, "X", 0, 0), INVALID_HANDLE_VALUE);
  EXPECT_EQ(stubs.KelbusOpenHandleEx2(0, 0, 0), INVALID_HANDLE_VALUE);
  DWORD first = 0;
  WORD second = 0;
  EXPECT_EQ(stubs.KelbusGetDeviceInfo(3, nullptr, 4, &first, &second, nullptr), 10002u);
  EXPECT_EQ(stubs.HalvikVmCloseHandle(10, nullptr), 10002u);
  EXPECT_EQ(stubs.KelbusCloseHandle(3, nullptr), 10002u);
  EXPECT_EQ(stubs.KelbusIoCtlControlTransfer(0, 0, 0, 0, 0, 0, 0, 0, 0, 0), 10002u);
  EXPECT_EQ(stubs.KelbusEzFirmDownload(0, 0, 0, 0), 10002u);

  // On a bus-kind-3 device without its library every request gives 10002.
  Bus() = stubs;
  EXPECT_EQ(XanSetAiUsbSleepMode(kAttachedId, 0), 10002);
  EXPECT_EQ(XanGetAiMinSamplingClock(kAttachedId, nullptr), 12260) << "checks still come first";
  float clock = 0;
  EXPECT_EQ(XanGetAiMinSamplingClock(kAttachedId, &clock), 10002);
}

TEST_F(TransportTest, OwnershipCheckSendsTheProcessIdOnEachRoad) {
  for (uint16_t index = 0; index < 3; ++index) {
    roads.ownershipChecks = 0;
    EXPECT_EQ(CheckMultiProcess(index), 0);
    EXPECT_EQ(roads.ownershipChecks, 1);
  }
  roads.ownershipStatus = 20003;
  for (uint16_t index = 0; index < 3; ++index) EXPECT_EQ(CheckMultiProcess(index), 20003);
}

TEST_F(TransportTest, FailedCallsReadAs10002OrTheSiblingsOwnResult) {
  roads.failKernelCode = ~0u;
  EXPECT_EQ(CheckMultiProcess(0), 10002);
  roads.busCallResult = 31;
  unsigned char record[8] = {};
  EXPECT_EQ(SendCommand(DeviceTable()[1], 0x3161, record, sizeof record), 31);
  EXPECT_EQ(SendCommand(DeviceTable()[2], 0x3161, record, sizeof record, true), 10002);
}

}  // namespace
