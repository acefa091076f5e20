// XanInit: nested opens, and what every failure leaves behind.
#include <halvik.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "library_state.h"
#include "support/devices_fixture.h"

namespace devices_test {
namespace {

namespace drv = halvikdrv;
using halvik::DeviceRecord;

class InitTest : public DevicesTest {};

TEST_F(InitTest, EveryFailureGivesIdMinusOneAndLeavesTheDeviceClosed) {
  const std::string longName(243, 'A');
  struct Case {
    const char* what;
    std::function<void()> arrange;
    std::string name;
    LONG status;
    int closeRequests;
  } const cases[] = {
      {"unknown name", [] {}, "NOPE", 10000, 0},
      // A cut copy of the longer name would find the device of 243 'A'.
      {"name above 243 characters", [&] { addDevice("0001", longName, 4, "HVA-1632PE"); }, longName + "A", 10000, 0},
      {"path that opens nothing",
       [] { writeSubkey("0000", {{"SymbolicName", "\\DosDevices\\NOSUCH"}}); }, "XAN000", 10003, 0},
      {"open request refused", [] { Driver().status[drv::kOpen] = 20003; }, "XAN000", 20003, 0},
      {"model the board table does not know",
       [] { writeSubkey("0000", {{"DriverDesc", "Xan HVX-0000"}}); }, "xan000", 10000, 1},
      // Last: the file stays for the rest of the cases.
      {"library beside a missing driver file",
       [] {
         char system[MAX_PATH] = {};
         GetSystemDirectoryA(system, sizeof system);
         HANDLE f = CreateFileA((std::string(system) + "\\halvik.dll").c_str(), GENERIC_WRITE, 0, nullptr,
                                CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
         CloseHandle(f);
       },
       "XAN000", 8, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    halvik::DeviceTable().clear();
    Driver() = FakeDriver{};
    addDevice("0000", "XAN000", 3, "HVA-1632PE");
    c.arrange();
    scan();
    short id = 77;
    EXPECT_EQ(XanInit(c.name.c_str(), &id), c.status);
    EXPECT_EQ(id, -1);
    const DeviceRecord& r = record("XAN000");
    EXPECT_EQ(r.Handle, INVALID_HANDLE_VALUE);
    EXPECT_EQ(r.OpenCount, 0);
    EXPECT_EQ(Driver().count(drv::kClose), c.closeRequests);
  }
  short id = 77;
  EXPECT_EQ(XanInit(nullptr, &id), 10100);
  EXPECT_EQ(id, -1);
  EXPECT_EQ(XanInit("XAN000", nullptr), 10101);
}

TEST_F(InitTest, NestedOpensKeepLiveStateAndDetachClosesThemAll) {
  addDevice("0000", "XAN000", 3, "HVA-1632PE");
  scan();
  DeviceRecord& r = record("XAN000");
  r.Cntm.timeUpThread = nullptr;  // left over: the first open starts afresh
  r.Cntm.boardEventWords[0] = 5;
  short id = 0;
  ASSERT_EQ(XanInit("xan000", &id), 0);
  EXPECT_EQ(id, 3);
  EXPECT_EQ(r.Cntm.timeUpThread, INVALID_HANDLE_VALUE);
  EXPECT_EQ(r.Cntm.boardEventThread, INVALID_HANDLE_VALUE);
  EXPECT_EQ(r.Cntm.boardEventWords[0], 0);

  const HANDLE worker = reinterpret_cast<HANDLE>(0x77);  // a counter worker still running
  r.Cntm.boardEventThread = worker;
  const HANDLE handle = r.Handle;
  ASSERT_EQ(XanInit("XAN000", &id), 0);
  ASSERT_EQ(XanInit("XAN000", &id), 0);
  EXPECT_EQ(r.OpenCount, 3);
  EXPECT_EQ(r.Handle, handle);
  EXPECT_EQ(r.Cntm.boardEventThread, worker);

  EXPECT_EQ(XanExit(id), 0);
  EXPECT_EQ(XanExit(id), 0);
  EXPECT_EQ(r.OpenCount, 1);
  EXPECT_EQ(Driver().count(drv::kClose), 0);
  r.Cntm.boardEventThread = INVALID_HANDLE_VALUE;

  halvik::DetachLibrary();
  EXPECT_EQ(r.OpenCount, 0);
  EXPECT_EQ(r.Handle, INVALID_HANDLE_VALUE);
  EXPECT_EQ(Driver().count(drv::kClose), 1);
  EXPECT_EQ(XanExit(id), 10002);
}

TEST_F(InitTest, AVirtualDeviceRegisteredAsDemoOpens) {
  addDevice("0000", "DEMO0", 1, "Demo", halvik::kBusVirtual);
  scan();
  short id = 0;
  ASSERT_EQ(XanInit("DEMO0", &id), 0);
  EXPECT_EQ(id, 1);
  EXPECT_EQ(VirtualBus().count(drv::kCmdOpen), 1);
  EXPECT_EQ(VirtualBus().count(drv::kCmdDeviceCheck), 1);
  EXPECT_EQ(XanExit(id), 0);
  EXPECT_EQ(VirtualBus().closes, 1);
}

}  // namespace
}  // namespace devices_test
