// The COM-port driver's configuration under Windows 9x, in the Plug and
// Play tree. Without a configuration driver the PCI version and resource
// queries fail: a PCI board is the model of version 0 with its resources
// unknown, and a root board keeps -1 for them.
#include <tarnixcfg_sim.h>

#include <cstdio>
#include <cstring>

#include "image/kind_images.h"
#include "registry/kind_registry.h"
#include "registry_fixture.h"
#include "system/system_info.h"
#include "tables/board_models.h"

namespace tarnixtest {
namespace {

constexpr const char* kUnit = "Enum\\USB\\Comdelus";
constexpr const char* kPciChild = "PCI&VEN_1C5E&DEV_01A1&BUS_00&DEV_0A";
constexpr const char* kRoot7 = "ROOT&MULTIFUNCTION&0007";

std::string Child(int i, const char* name) { return "Enum\\MF\\CHILD000" + std::to_string(i) + "\\" + name; }

std::string Description(const char* model) {
  for (const tarnix::BoardModelRow& row : tarnix::SelectBoardModelTable(7)) {
    if (std::strcmp(row.name, model) == 0) return row.description;
  }
  return {};
}

class ComPorts9x : public RegistryTest {
 protected:
  void SetUp() override {
    RegistryTest::SetUp();
    ::setenv("ORVANE_WINVER", "1:4.10", 1);
    tarnix::SetMachineType(0);
  }
  void TearDown() override {
    ::unsetenv("ORVANE_WINVER");
    RegistryTest::TearDown();
  }

  static void Text(const std::string& key, const char* name, const std::string& text) {
    ASSERT_EQ(tarnix::WriteRegValue(key.c_str(), REG_SZ, name, text.c_str(), 0), 0) << key << " " << name;
  }
  static void Dword(const std::string& key, const char* name, int32_t value) {
    ASSERT_EQ(tarnix::WriteRegValue(key.c_str(), REG_DWORD, name, nullptr, value), 0) << key << " " << name;
  }
  static std::string TextAt(const std::string& key, const char* name) {
    char text[256] = {};
    return tarnix::ReadRegValue(key.c_str(), REG_SZ, name, text, nullptr) == 0 ? text : "<missing>";
  }
  static int32_t DwordAt(const std::string& key, const char* name) {
    int32_t value = 0;
    return tarnix::ReadRegValue(key.c_str(), REG_DWORD, name, nullptr, &value) == 0 ? value : INT32_MIN;
  }

  // Two USB units (COM5, and COM9 with port option 0), a four-port PCI
  // board of revision 3 at COM12, a root board at COM20, and keys that
  // are no board: another device's child, a root device of another maker.
  static void WriteMachine() {
    Text(kUnit, "0000", "5");
    Text(kUnit, "0002", "9");
    Text(std::string(kUnit) + "\\DEV1_PORT0", "PortName", "COM9");
    Dword(std::string(kUnit) + "\\DEV1_PORT0", "txsync", 0);
    Text(std::string(kUnit) + "\\DEV2_PORT0", "PortName", "COM5");
    Text("Enum\\PCI\\VEN_1C5E&DEV_01A1\\BUS_00&DEV_0A", "HWRevision", "3");
    Text(Child(0, kPciChild), "PORTNAME", "COM12");
    Dword(Child(0, kPciChild), "RxFIFO", 4);
    Text(Child(0, "PCI&VEN_1C5F&DEV_01A1&BUS_00&DEV_0B"), "PORTNAME", "COM13");
    Text("Enum\\Root\\MultiFunction\\0007", "DeviceDesc", Description("RSC-4(MF)"));
    Text(Child(0, kRoot7), "PORTNAME", "COM20");
    Dword(Child(0, kRoot7), "TxFIFO", 2);
    Text("Enum\\Root\\MultiFunction\\0008", "DeviceDesc", "OTHER-MAKER-BOARD");
  }

  static xanconfig::DriverBlock& Block() { return tarnix::KindImage(7)[0]; }
};

TEST_F(ComPorts9x, UsbPciAndRootBoardsLoadFromThePlugAndPlayTree) {
  WriteMachine();
  ASSERT_EQ(tarnix::LoadKindImage(7), 0);
  const struct {
    const char* model;
    int32_t first, last, boardId, option, rx, tx, force;
    const char* hardwareKey;
  } expected[] = {
      {"RSC-4U(USB)", 5, 8, 0, 1, 0, 0, 0, ""},
      {"RSC-4U(USB)", 9, 12, 2, 0, 0, 0, 0, ""},
      {"RSC-4PCI", 12, 15, 3, 1, 4, 16, 1, ""},
      {"RSC-4(MF)", 20, 23, -1, 1, 16, 2, 1, "Root\\MultiFunction\\0007"},
  };
  ASSERT_EQ(Block().boardNum, 4);
  for (int i = 0; i < 4; ++i) {
    const auto& e = expected[i];
    const xanconfig::BoardSlot& b = Block().boards[i];
    SCOPED_TRACE(i);
    EXPECT_STREQ(b.boardName, e.model);
    EXPECT_EQ(b.ioAddress, -1);
    EXPECT_EQ(b.irqNo, -1);
    EXPECT_EQ(b.channelFirst, e.first);
    EXPECT_EQ(b.channelLast, e.last);
    EXPECT_EQ(b.boardId, e.boardId);
    EXPECT_EQ(b.portOption, e.option);
    EXPECT_EQ(b.rxFifo, e.rx);
    EXPECT_EQ(b.txFifo, e.tx);
    EXPECT_EQ(b.forceFifoEnable, e.force);
    EXPECT_STREQ(b.hardwareKey, e.hardwareKey);
  }
}

TEST_F(ComPorts9x, TheLoadStopsAtTheBlocksSixtyFourBoards) {
  char name[64];
  for (int u = 0; u < 16; ++u) {
    std::snprintf(name, sizeof name, "%04d", u);
    Text(kUnit, name, "3");
  }
  for (int n = 0; n < 100; ++n) {
    std::snprintf(name, sizeof name, "Enum\\Root\\MultiFunction\\%04d", n);
    Text(name, "DeviceDesc", Description("RSC-2(ISA)"));
  }
  ASSERT_EQ(tarnix::LoadKindImage(7), 0);
  EXPECT_EQ(Block().boardNum, 64);
  EXPECT_STREQ(Block().boards[63].hardwareKey, "Root\\MultiFunction\\0047");
}

TEST_F(ComPorts9x, AStoreWritesThePortsBackAndDeletesChildrenOfBoardsNoLongerConfigured) {
  WriteMachine();
  ASSERT_EQ(tarnix::LoadKindImage(7), 0);
  // Boards the image does not hold: a second PCI board, a second root board.
  Text("Enum\\PCI\\VEN_1C5E&DEV_01A2\\BUS_01&DEV_0B", "HWRevision", "1");
  Text(Child(1, "PCI&VEN_1C5E&DEV_01A2&BUS_01&DEV_0B"), "PORTNAME", "COM50");
  Text(Child(1, kPciChild), "PORTNAME", "COM50");
  Text("Enum\\Root\\MultiFunction\\0009", "DeviceDesc", Description("RSC-4(MF)"));
  for (int i = 0; i < 4; ++i) Text(Child(i, "ROOT&MULTIFUNCTION&0009"), "PORTNAME", "COM60");
  xanconfig::BoardSlot* b = Block().boards;
  b[0].channelFirst = 6;
  b[1].portOption = 1;
  b[2].channelFirst = 30;
  b[2].rxFifo = 8;
  b[3].channelFirst = 40;

  ASSERT_EQ(tarnix::StoreKindImage(7), 0);
  const struct {
    std::string key;
    const char* name;
    std::string text;
  } texts[] = {
      {kUnit, "0000", "6"},
      {kUnit, "0002", "9"},
      {std::string(kUnit) + "\\DEV2_PORT0", "PortName", "COM6"},
      {std::string(kUnit) + "\\DEV2_PORT3", "PortName", "COM9"},
      {std::string(kUnit) + "\\DEV1_PORT0", "PortName", "COM9"},
      {std::string(kUnit) + "\\DEV1_PORT1", "PortName", "COM10"},
      {Child(0, kPciChild), "PORTNAME", "COM30"},
      {Child(1, kPciChild), "PORTNAME", "COM31"},
      {Child(0, kRoot7), "PORTNAME", "COM40"},
      {Child(3, kRoot7), "PORTNAME", "COM43"},
  };
  for (const auto& t : texts) EXPECT_EQ(TextAt(t.key, t.name), t.text) << t.key << " " << t.name;
  const struct {
    std::string key;
    const char* name;
    int32_t value;
  } dwords[] = {
      {std::string(kUnit) + "\\DEV2_PORT0", "txsync", 1},
      {std::string(kUnit) + "\\DEV1_PORT2", "txsync", 1},
      {Child(0, kPciChild), "RxFIFO", 8},
      {Child(0, kPciChild), "TxFIFO", 16},
      {Child(0, kPciChild), "AutoRS485Execution", 0},
      {Child(2, kRoot7), "TxFIFO", 2},
      {Child(2, kRoot7), "ForceFifoEnable", 1},
  };
  for (const auto& d : dwords) EXPECT_EQ(DwordAt(d.key, d.name), d.value) << d.key << " " << d.name;

  EXPECT_FALSE(KeyExists(Child(1, "PCI&VEN_1C5E&DEV_01A2&BUS_01&DEV_0B")));
  EXPECT_FALSE(KeyExists("Enum\\Root\\MultiFunction\\0009"));
  for (int i = 0; i < 4; ++i) EXPECT_FALSE(KeyExists(Child(i, "ROOT&MULTIFUNCTION&0009"))) << i;
  EXPECT_TRUE(KeyExists("Enum\\Root\\MultiFunction\\0008"));
}

TEST_F(ComPorts9x, LoadStoreLoadKeepsTheBoards) {
  WriteMachine();
  ASSERT_EQ(tarnix::LoadKindImage(7), 0);
  const xanconfig::DriverBlock first = Block();
  ASSERT_EQ(tarnix::StoreKindImage(7), 0);
  ASSERT_EQ(tarnix::LoadKindImage(7), 0);
  ASSERT_EQ(Block().boardNum, first.boardNum);
  for (int i = 0; i < first.boardNum; ++i) {
    EXPECT_EQ(std::memcmp(&Block().boards[i], &first.boards[i], sizeof first.boards[i]), 0) << i;
  }
}

// With the configuration driver up, the revision's version chooses the
// model and the driver gives the first I/O range and interrupt.
class ComPorts9xWithDriver : public ComPorts9x {
 protected:
  void SetUp() override {
    ComPorts9x::SetUp();
    ::setenv("ORVANE_ROOT", dir_.c_str(), 1);
    tarnixcfg::Inventory inventory;
    inventory.pci.push_back({0x01A1, 3, 1, {{0x310, 0x300}, {11}, {}}});
    inventory.roots.push_back({7, false, Description("RSC-4(MF)"), {{0x2E8}, {5}, {}}});
    ASSERT_TRUE(tarnixcfg::Install(inventory));
  }
  void TearDown() override {
    tarnixcfg::Remove();
    ::unsetenv("ORVANE_ROOT");
    ComPorts9x::TearDown();
  }
};

TEST_F(ComPorts9xWithDriver, TheDriverNamesThePciModelAndGivesTheResources) {
  WriteMachine();
  ASSERT_EQ(tarnix::LoadKindImage(7), 0);
  ASSERT_EQ(Block().boardNum, 4);
  const xanconfig::BoardSlot& pci = Block().boards[2];
  EXPECT_STREQ(pci.boardName, "RSC-4PCI-R2");
  EXPECT_EQ(pci.ioAddress, 0x300);
  EXPECT_EQ(pci.irqNo, 11);
  EXPECT_EQ(pci.txFifo, 64);
  const xanconfig::BoardSlot& root = Block().boards[3];
  EXPECT_EQ(root.ioAddress, 0x2E8);
  EXPECT_EQ(root.irqNo, 5);
}

}  // namespace
}  // namespace tarnixtest
