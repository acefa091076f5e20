#include <gtest/gtest.h>
#include <sys/mman.h>
#include <unistd.h>

#include <tarnix.h>

#include <cstring>
#include <string>

#include "system/tests/support/system_fixture.h"
#include "tables/board_models.h"

namespace {

using namespace tarnix;

class Lookups : public SystemFixture {
 protected:
  // The installed digital driver's version, e.g. "2.01"; null for none.
  void digitalDriver(const char* version) {
    std::filesystem::remove(root_ + "/c/Windows/system32/drivers/Digdel00.SYS");
    if (version != nullptr) install("drivers/Digdel00.SYS", version);
  }
  static std::string hardwareKey(const char* model) {
    char key[50] = "stale";
    FindModelHardwareKey(model, key);
    return key;
  }
};

TEST_F(Lookups, ByNameOnEachMachine) {
  struct Case {
    int32_t machine;
    const char* model;
    int32_t driver, boardType, bus, deviceId;
    const char* hardwareKey;
  } cases[] = {
      {0, "COM1", 0, 0, kBusLegacy, -1, ""},
      {0, "RSI-2C(PC)", 0, 1, kBusPcCard, -1, "PCMCIA\\DORNELL-RSI_2C_PC-8F21"},
      {0, "MVA-1616MFPCI", 0, 203, kBusPci, 0x0128, ""},
      {0, "QAD-8(USB)", 55, 8, kBusUsb, -1, ""},
      {0, "CNT-8", 2, -1, kBusLegacy, -1, ""},
      {0, "FLN-BASE", 0, 0, kBusModule, -1, ""},
      {0, "SMC-2", 0, 1, kBusLegacy, -1, ""},   // a stepper answers the machine type
      {1, "SMC-2", 1, 1, kBusLegacy, -1, ""},
      {1, "RSI-2C(98)", 0, 0, kBusLegacy, -1, ""},
      {0, "RSI-2C(98)", -1, -1, -1, -1, ""},     // a PC-9800 model only
      {0, "rsi-2c", -1, -1, -1, -1, ""},         // names compare with case
      {0, "", -1, -1, -1, -1, ""},
      {0, "MVA-1216PCI and more text past forty bytes", -1, -1, -1, -1, ""},
  };
  for (const Case& c : cases) {
    machine(c.machine);
    EXPECT_EQ(DnkConfigGetDrvNo(c.model), c.driver) << c.model;
    EXPECT_EQ(DnkConfigGetBoardType(c.model), c.boardType) << c.model;
    EXPECT_EQ(DnkConfigGetBusType(c.model), c.bus) << c.model;
    EXPECT_EQ(DnkConfigGetDeviceID(c.model), c.deviceId) << c.model;
    EXPECT_EQ(hardwareKey(c.model), c.hardwareKey) << c.model;
  }
  EXPECT_EQ(FindModelDriverNumber(nullptr), -1);
  FindModelHardwareKey("RSI-2C(PC)", nullptr);
}

TEST_F(Lookups, ANameThatFillsItsFieldIsReadNoFurther) {
  // The 40 bytes of a record's model name without a NUL, at the end of the
  // last readable page: a look-up that reads one byte more faults.
  const long page = ::sysconf(_SC_PAGESIZE);
  void* pages = ::mmap(nullptr, 2 * page, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  ASSERT_NE(pages, MAP_FAILED);
  char* field = static_cast<char*>(pages) + page - 40;
  std::memset(field, 'M', 40);
  ASSERT_EQ(::mprotect(static_cast<char*>(pages) + page, page, PROT_NONE), 0);
  machine(0);
  EXPECT_EQ(DnkConfigGetDrvNo(field), -1);
  EXPECT_EQ(DnkConfigGetBusType(field), -1);
  EXPECT_EQ(DnkConfigGetBoardType(field), -1);
  ::munmap(pages, 2 * page);
}

TEST_F(Lookups, DigitalDriverVersionChoosesTheTableAndTheVariantMapping) {
  struct Case {
    const char* version;
    int32_t baseDriver;     // the base name, normalised
    int32_t baseBoardType;  // the base name as given
    int32_t ofKindNew;      // IsModelOfKind(3, a model of the newer table only)
  } cases[] = {
      {nullptr, 3, 4, 1}, {"2.01", 3, 4, 1}, {"2.02", 3, -1, 0}, {"2.41", 3, -1, 0}, {"2.42", -1, -1, 0},
  };
  machine(0);
  for (const Case& c : cases) {
    digitalDriver(c.version);
    const char* label = c.version ? c.version : "none";
    EXPECT_EQ(FindModelDriverNumber("QDI-48/48V(PCI)"), c.baseDriver) << label;
    EXPECT_EQ(FindModelBoardType("QDI-48/48V(PCI)"), c.baseBoardType) << label;
    EXPECT_EQ(IsModelOfKind(3, "DIO-8(USB)"), c.ofKindNew) << label;
    EXPECT_EQ(FindModelDeviceId("DIO-32PCI"), 0x0161) << label << ": a variant keeps its base model's board";
  }
}

TEST_F(Lookups, ComPortTableFollowsTheWindowsGeneration) {
  machine(0);
  struct Case {
    const char* setting;
    int32_t usbUnitKnown;
  } cases[] = {{"2:4.0", 1}, {"2:5.1", 0}, {"1:4.10", 0}};
  for (const Case& c : cases) {
    windows(c.setting);
    EXPECT_EQ(IsModelOfKind(7, "RSC-4U(USB)"), c.usbUnitKnown) << c.setting;
    EXPECT_EQ(IsModelOfKind(7, "RSC-8PCI"), 0) << c.setting;
  }
  EXPECT_EQ(IsModelOfKind(9, "RSC-8PCI"), 1);
  EXPECT_EQ(IsModelOfKind(7, nullptr), 1);
  machine(5);
  EXPECT_EQ(IsModelOfKind(7, "RSC-8PCI"), 1) << "no table for an unknown machine";
  EXPECT_EQ(FindModelBoardType("RSC-8PCI"), -1);
}

TEST_F(Lookups, SearchesByDeviceIdWeighTheVersionKey) {
  machine(0);
  struct Case {
    const char* digitalVersion;
    int32_t (*search)(char*, int32_t, int32_t, int32_t);
    int32_t deviceId, version, result;
    const char* name;
  } cases[] = {
      {nullptr, FindComModelByDeviceId, 0x01A1, 0, 0, "RSC-4PCI"},
      {nullptr, FindComModelByDeviceId, 0x01A1, 1, 0, "RSC-4PCI-R2"},
      {nullptr, FindComModelByDeviceId, 0x01A1, 2, -1, ""},
      {"2.05", FindDigitalModelByDeviceId, 0x0162, 1, 0, "DIO-48PCI-H"},
      {"2.05", FindDigitalModelByDeviceId, 0x0162, 0, 0, "DIO-48PCI"},
      {"2.05", FindDigitalModelByDeviceId, 0x0162, 9, 0, "DIO-48PCI-H"},  // the highest lower key
      {"2.01", FindDigitalModelByDeviceId, 0x0162, 9, 0, "DIO-48PCI"},    // the older table has key 0 only
      {"2.05", FindDigitalModelByDeviceId, 0x0162, -1, 0, "DIO-48PCI-H"}, // unsigned: every key is lower
      {"2.05", FindDigitalModelByDeviceId, 0x0999, 3, -1, ""},
  };
  for (const Case& c : cases) {
    digitalDriver(c.digitalVersion);
    char name[40] = {};
    EXPECT_EQ(c.search(name, 0, c.deviceId, c.version), c.result) << c.deviceId << " " << c.version;
    EXPECT_STREQ(name, c.name) << c.deviceId << " " << c.version;
  }
}

TEST_F(Lookups, VariantNamesMapBothWaysAndRenamesFollowTheMachine) {
  struct Case {
    int32_t key;
    const char* name;
    int32_t direction;
    const char* mapped;
  } cases[] = {
      {-1, "DIO-32PCI", 1, "DIO-32PCI-SA"}, {0, "DIO-32PCI", 1, "DIO-32PCI-NA"}, {5, "DIO-32PCI", 1, "DIO-32PCI"},
      {3, "DIO-32PCI-NA", 0, "DIO-32PCI"},  {-1, "DIO-32PCI", 2, "DIO-32PCI"},
  };
  for (const Case& c : cases) {
    char name[40] = {};
    std::strcpy(name, c.name);
    MapDigitalVariantName(c.key, name, c.direction);
    EXPECT_STREQ(name, c.mapped) << c.key << " " << c.name << " " << c.direction;
  }
  char newer[40] = {};
  machine(0);
  EXPECT_EQ(FindNewerDigitalName("PIO-32PCI", newer), 0);
  EXPECT_STREQ(newer, "DIO-32PCI");
  machine(1);
  EXPECT_EQ(FindNewerDigitalName("PIO-32PCI", newer), 1);
  EXPECT_EQ(FindNewerDigitalName("PIO-96(98)", newer), 0);
  EXPECT_STREQ(newer, "DIO-96(98)");
  machine(3);
  EXPECT_EQ(FindNewerDigitalName("PIO-96(98)", newer), 1);
}

TEST_F(Lookups, HardwareKeyTakesTheFormOfTheWindowsGeneration) {
  machine(0);
  struct Case {
    const char* setting;
    int32_t index;
    const char* model;
    const char* key;
  } cases[] = {
      {"1:4.10", 2, "RSI-4C(PC)", "PCMCIA\\DORNELL-RSI_4C_PC-61B7\\2"},
      {"2:4.0", 0, "QAD-16(PC)", "QAD-16(PC)"},
      {"2:4.0", 2, "QAD-16(PC)", "QAD-16(PC)2"},
      {"2:4.0", 0, "RSI-1C(PC)", "RSI-1C/2C(PC)"},
      {"2:4.0", 1, "RSI-2C(PC)", ""},
      {"2:4.0", 1, "RSI-4C(PC)", "RSI-4C(PC)1"},
      {"2:5.1", 0, "QAD-16(PC)", "DORNELL-QAD_16_PC-1C3D\\1"},
      {"2:5.1", 3, "GPI(PC)", "DORNELL-GPI_PC-77E0\\4"},
      {"2:5.1", -1, "GPI(PC)", ""},
      {"2:5.1", 0, "GPI-PCI", ""},
  };
  for (const Case& c : cases) {
    windows(c.setting);
    char key[50] = "stale";
    DnkConfigCreateHardwareKey(c.index, c.model, key);
    EXPECT_STREQ(key, c.key) << c.setting << " " << c.model << " " << c.index;
  }
  DnkConfigCreateHardwareKey(0, "GPI(PC)", nullptr);
}

}  // namespace
