// The simulated configuration drivers as the library meets them: record
// sizes, answers out of order, faults, absent devices, the registry fixtures.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>

#include "tarnixcfg_sim.h"

namespace {

using namespace tarnixcfg;

class DriverTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/tarnixcfg_XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    root_ = pattern;
    setenv("ORVANE_REGISTRY", (root_ + "/registry.sqlite").c_str(), 1);
    ASSERT_TRUE(Install(SampleInventory()));
  }
  void TearDown() override {
    Remove();
    std::filesystem::remove_all(root_);
  }

  // One request on a fresh handle: the call's success and the error.
  static bool send(const char* path, DWORD code, void* record, DWORD size, DWORD* error = nullptr) {
    HANDLE h = CreateFileA(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    DWORD returned = 0;
    BOOL ok = DeviceIoControl(h, code, record, size, record, size, &returned, nullptr);
    if (error != nullptr) *error = ok ? 0 : GetLastError();
    CloseHandle(h);
    return ok != FALSE;
  }

  std::string root_;
};

TEST_F(DriverTest, ReportsResourcesInInventoryOrderWithinTheCallersRoom) {
  int32_t io[1] = {}, irq[8] = {};
  NtPciResourceRecord r{kVendorId, 0x0122, 0, {wireAddress(io), 1}, {wireAddress(irq), 8}, {0, 0}, 0, 7};
  ASSERT_TRUE(send(kNtPath, kNtPciResources, &r, sizeof r));
  EXPECT_EQ(r.result, 0);
  EXPECT_EQ(r.io.count, 1);
  EXPECT_EQ(io[0], 0xD100);
  ASSERT_EQ(r.irq.count, 3);
  EXPECT_EQ((std::vector<int32_t>{irq[0], irq[1], irq[2]}), (std::vector<int32_t>{11, 5, 9}));
  EXPECT_EQ(r.memory.count, 0);
}

TEST_F(DriverTest, AnOverstatingDriverCountsWhatItHasButWritesOnlyWhatFits) {
  Inventory m = SampleInventory();
  m.overstatesCounts = true;
  ASSERT_TRUE(Install(m));
  int32_t irq[2] = {-1, -1};
  Win9xPciResourceRecord r{kVendorId, 0x0122, 0, {0, 0}, {wireAddress(irq), 1}, {0, 0}, 0};
  ASSERT_TRUE(send(kVxdPath, k9xPciResources, &r, sizeof r));
  EXPECT_EQ(r.irq.count, 3);
  EXPECT_EQ(irq[1], -1);
}

TEST_F(DriverTest, RefusesWrongSizesCodesOfTheOtherFamilyAndFaultedCalls) {
  unsigned char record[64] = {};
  DWORD error = 0;
  EXPECT_FALSE(send(kNtPath, kNtPciResources, record, 44, &error));
  EXPECT_EQ(error, static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  EXPECT_FALSE(send(kNtPath, k9xBusQuery, record, 4, &error));
  EXPECT_EQ(error, static_cast<DWORD>(ERROR_INVALID_FUNCTION));
  SetFault(kNtBusQuery, Failure::CallFails);
  EXPECT_FALSE(send(kWdmPath, kNtBusQuery, record, 4));
  EXPECT_EQ(RequestLog().size(), 3u);
}

TEST_F(DriverTest, NamesInstancesInWideTextUnderNtAndNarrowUnder9x) {
  uint16_t wide[kWideNameUnits] = {};
  const std::string name = "0003";
  for (size_t i = 0; i < name.size(); ++i) wide[i] = static_cast<uint16_t>(name[i]);
  int32_t io[4] = {};
  InstanceResourceRecord nt{wireAddress(wide), {wireAddress(io), 4}, {0, 0}, {0, 0}, 0};
  ASSERT_TRUE(send(kWdmPath, kNtIsaResources, &nt, sizeof nt));
  EXPECT_EQ(nt.result, 0);
  EXPECT_EQ(nt.io.count, 2);
  const char narrow[] = "ROOT\\PORTS\\0007";
  InstanceResourceRecord w9x{wireAddress(narrow), {wireAddress(io), 4}, {0, 0}, {0, 0}, 0};
  ASSERT_TRUE(send(kVxdPath, k9xPcCardResources, &w9x, sizeof w9x));
  EXPECT_EQ(w9x.io.count, 3);
  EXPECT_EQ(RequestLog().back().instanceName, narrow);
}

TEST_F(DriverTest, DevicesLeftOutOrRemovedDoNotOpen) {
  ASSERT_TRUE(Install(SampleInventory(), kNt));
  BusQueryRecord q{};
  EXPECT_FALSE(send(kWdmPath, kNtBusQuery, &q, sizeof q));
  EXPECT_TRUE(send(kNtPath, kNtBusQuery, &q, sizeof q));
  EXPECT_EQ(q.answer, 10);
  Remove();
  EXPECT_FALSE(send(kNtPath, kNtBusQuery, &q, sizeof q));
}

TEST_F(DriverTest, ThePlugAndPlayTreeAgreesWithTheInventory) {
  ASSERT_TRUE(WritePnpRegistry(SampleInventory(), Generation::Nt5));
  ASSERT_TRUE(WritePnpRegistry(SampleInventory(), Generation::Win9x));
  struct Case {
    const char* key;
    bool present;
  } cases[] = {
      {"SYSTEM\\CurrentControlSet\\Enum\\PCI\\VEN_1C5E&DEV_0121&SUBSYS_00000000&REV_03", true},
      {"SYSTEM\\CurrentControlSet\\Enum\\Root\\MultiFunction\\0003", true},
      {"SYSTEM\\CurrentControlSet\\Enum\\Root\\Ports\\0007", false},
      {"Enum\\Root\\Ports\\0007", true},
      {"Enum\\PCMCIA\\DORNELL-GPCARD-1A2B\\0", true},
  };
  for (const Case& c : cases) {
    HKEY key = nullptr;
    EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, c.key, 0, KEY_READ, &key) == ERROR_SUCCESS, c.present) << c.key;
    if (key != nullptr) RegCloseKey(key);
  }
}

}  // namespace
