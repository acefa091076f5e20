// The simulated bus as the HAL shows it: configuration reads, port routing,
// installed cards.
#include <memory>
#include <utility>

#include "kernel_fixture.h"

using BusTest = KernelTest;

namespace {

ULONG slotOf(ULONG device, ULONG function) {
  PCI_SLOT_NUMBER slot{};
  slot.u.bits.DeviceNumber = device;
  slot.u.bits.FunctionNumber = function;
  return slot.u.AsULONG;
}

}  // namespace

TEST_F(BusTest, ConfigurationReadsAnswerPresentEmptyAndMissing) {
  plugCard(0x300, {0, 3, 0}, 5);
  plugCard(0x320, {2, 1, 6}, 9);
  struct Case {
    ULONG bus, device, function;
    ULONG bytes;
    USHORT vendor;
  } cases[] = {
      {0, 3, 0, 64, ntktest::kVendor},         // present
      {0, 4, 0, 2, PCI_INVALID_VENDORID},      // empty slot on a bus that exists
      {2, 1, 6, 64, ntktest::kVendor},         // a bus behind the first
      {1, 0, 0, 0, 0},                         // no such bus
  };
  for (const Case& c : cases) {
    PCI_COMMON_CONFIG config{};
    EXPECT_EQ(HalGetBusData(PCIConfiguration, c.bus, slotOf(c.device, c.function), &config, sizeof config),
              c.bytes)
        << c.bus << "." << c.device;
    EXPECT_EQ(config.VendorID, c.vendor);
  }
  // The routed line went into the header; a read at an offset sees it too.
  UCHAR line = 0;
  EXPECT_EQ(HalGetBusDataByOffset(PCIConfiguration, 2, slotOf(1, 6), &line, 0x3C, 1), 1u);
  EXPECT_EQ(line, 9);
}

TEST_F(BusTest, PortsGoToTheCardThatDecodesThem) {
  auto card = plugCard(0x300);
  WRITE_PORT_UCHAR(reinterpret_cast<PUCHAR>(0x301), 0x5A);
  EXPECT_EQ(READ_PORT_UCHAR(reinterpret_cast<PUCHAR>(0x301)), 0x5A);
  // Nobody decodes 0x400: all ones, and a write goes nowhere.
  WRITE_PORT_USHORT(reinterpret_cast<PUSHORT>(0x400), 0);
  EXPECT_EQ(READ_PORT_UCHAR(reinterpret_cast<PUCHAR>(0x400)), 0xFF);
  EXPECT_EQ(READ_PORT_USHORT(reinterpret_cast<PUSHORT>(0x400)), 0xFFFF);
  EXPECT_EQ(READ_PORT_ULONG(reinterpret_cast<PULONG>(0x400)), 0xFFFFFFFFu);
}

TEST_F(BusTest, InstalledCardsComeFromTheRegistryAtTheFirstAccess) {
  HKEY key = createKey("HARDWARE\\Simulated\\PCI\\0.7.0");
  setString(key, "Library", "ntktestcard");
  setString(key, "Model", "NtkTestCard");
  setDword(key, "InterruptLine", 11);
  setDword(key, "IoBase", 0x340);
  RegCloseKey(key);
  PCI_COMMON_CONFIG config{};
  ASSERT_EQ(HalGetBusData(PCIConfiguration, 0, slotOf(7, 0), &config, sizeof config), 64u);
  EXPECT_EQ(config.VendorID, ntktest::kVendor);
  EXPECT_EQ(config.BaseAddresses[0], 0x341u);
  EXPECT_EQ(config.InterruptLine, 11);
  EXPECT_NE(plat::bus::CardAt({0, 7, 0}), nullptr);
}

// The last bus, device, function, interrupt line and configuration byte
// there are, and the first past each.
TEST_F(BusTest, SlotsLinesAndConfigurationEndAtTheirLastNumber) {
  const struct {
    plat::bus::Slot slot;
    bool plugged;
  } slots[] = {
      {{255, 31, 7}, true}, {{256, 0, 0}, false}, {{0, 32, 0}, false}, {{0, 0, 8}, false},
  };
  for (const auto& row : slots) {
    EXPECT_EQ(plat::bus::Plug(row.slot, 5, std::make_shared<ntktest::TestCard>(0x300)), row.plugged)
        << row.slot.bus << "." << row.slot.device << "." << row.slot.function;
  }
  for (const auto& [level, vector] : {std::pair{ULONG{23}, ULONG{0x47}}, {24, 0}}) {
    KIRQL irql = 0;
    KAFFINITY affinity = 0;
    EXPECT_EQ(HalGetInterruptVector(PCIBus, 0, level, level, &irql, &affinity), vector) << level;
  }
  UCHAR bytes[4] = {};
  EXPECT_EQ(HalGetBusDataByOffset(PCIConfiguration, 255, slotOf(31, 7), bytes, 0xFF, sizeof bytes), 1u);
  EXPECT_EQ(HalGetBusDataByOffset(PCIConfiguration, 255, slotOf(31, 7), bytes, 0x100, sizeof bytes), 0u);
}
