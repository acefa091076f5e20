// The scans for installed boards over a small model catalog: which requests
// and registry keys each generation reads and the records they make.
#include <tarnix.h>
#include <tarnix_records.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <memory>

#include "devices/config_device.h"
#include "devices/model_catalog.h"
#include "tables/board_models.h"
#include "devices_fixture.h"

namespace {

using namespace devices_test;
namespace cfg = tarnixcfg;

// Two rows share the analog device identifier 0x0122 (versions 0 and 1).
class FakeCatalog final : public tarnix::ModelCatalog {
 public:
  std::vector<tarnix::ScanModel> models(int32_t kind) const override {
    switch (kind) {
      case 1:
        return {{"SER-4S(ISA)", 0, false, "Dornell-COM-4S"}, {"SER-2P(PCI)", 0x0121, false, ""}};
      case 2:
        return {{"ANA-16(PCI)", 0x0122, false, ""}, {"ANA-16V(PCI)", 0x0122, false, ""},
                {"ANA-8(PC)", 0, true, ""}};
      case 3:
        return {{"DIG-32(PCI)", 0x0121, false, ""}};
      default:
        return {};
    }
  }
  bool digitalVariant(const std::string& description, std::string& name) const override {
    if (description != "Dornell-DIO-48") return false;
    name = "DIO-48(ISA)-V";
    return true;
  }
  bool comModel(int32_t deviceId, int32_t versionKey, std::string& name) const override {
    name = "SER-2P-v" + std::to_string(versionKey);
    return deviceId == 0x0121;
  }
  bool digitalModel(int32_t deviceId, int32_t version, std::string& name) const override {
    name = "DIG-32-v" + std::to_string(version);
    return deviceId == 0x0121;
  }
  std::string hardwareKey(int32_t index, const std::string& model) const override {
    return model == "ANA-8(PC)" && index == 0 ? "DORNELL-GPCARD-1A2B\\1" : "";
  }
};

template <typename Record>
struct Scanned {
  LONG answer;
  std::unique_ptr<tarnix::BoardList<Record>> list;
};

template <typename Record>
Scanned<Record> scan(int32_t kind) {
  Scanned<Record> s{0, std::make_unique<tarnix::BoardList<Record>>()};
  std::memset(s.list.get(), 0x5A, sizeof *s.list);
  static const FakeCatalog catalog;
  s.answer = tarnix::ScanBoards(kind, s.list.get(), catalog);
  return s;
}

std::vector<std::string> names(const auto& list) {
  std::vector<std::string> out;
  for (uint32_t i = 0; i < list.count; ++i) out.emplace_back(list.records[i].head.boardName);
  return out;
}

using BoardScanTest = DevicesTest;

TEST_F(BoardScanTest, Nt4TriesSixteenBoardIdsOnceForEachDeviceIdentifier) {
  use(kNt4);
  const auto s = scan<tarnix::AnalogBoardRecord>(2);
  ASSERT_EQ(s.answer, 0);
  // Then, as on every generation, the PC card and the module.
  ASSERT_EQ(names(*s.list), (std::vector<std::string>{"ANA-16(PCI)", "ANA-16(PCI)", "ANA-8(PC)", "FLN-AI1612"}));
  const tarnix::AnalogBoardRecord& r = s.list->records[0];
  EXPECT_EQ(r.ioAddress, 0xD000);
  EXPECT_EQ(r.irqNo, 5);
  EXPECT_EQ(r.memoryAddress, static_cast<int32_t>(0xF0000000u));
  EXPECT_EQ(s.list->records[1].boardId, 1);
  EXPECT_EQ(s.list->records[1].memoryAddress, -1);
  EXPECT_EQ(s.list->records[1].slotNo, 0);
  const auto log = cfg::RequestLog();
  EXPECT_EQ(std::count_if(log.begin(), log.end(), [](const auto& q) { return q.code == cfg::kNtPciResources; }), 16);
}

TEST_F(BoardScanTest, Nt5FindsPciBoardsByTheirFourDigitEnumerationNames) {
  ASSERT_TRUE(cfg::WritePnpRegistry(cfg::SampleInventory(), cfg::Generation::Nt5));
  const auto s = scan<tarnix::DigitalBoardRecord>(3);
  ASSERT_EQ(s.answer, 0);
  // The root device by its variant's description, then the PCI board of
  // device 0x0121, revision 3, named by its version.
  ASSERT_EQ(names(*s.list), (std::vector<std::string>{"DIO-48(ISA)-V", "DIG-32-v1", "FLN-DI16"}));
  const tarnix::DigitalBoardRecord& root = s.list->records[0];
  EXPECT_STREQ(root.hardwareKey, "0003");
  EXPECT_EQ(root.ioAddress, 0x2C0);
  EXPECT_EQ((std::vector<int32_t>(root.irqNos, root.irqNos + 4)), (std::vector<int32_t>{10, 12, 15, -1}));
  const tarnix::DigitalBoardRecord& board = s.list->records[1];
  EXPECT_EQ(board.boardId, 3);
  EXPECT_EQ((std::vector<int32_t>(board.irqNos, board.irqNos + 4)), (std::vector<int32_t>{7, -1, -1, -1}));
}

TEST_F(BoardScanTest, Win9xScansRootPortsForSerialBoardsAndNamesPciBoardsByVersion) {
  use(k9x);
  ASSERT_TRUE(cfg::WritePnpRegistry(cfg::SampleInventory(), cfg::Generation::Win9x));
  const auto s = scan<tarnix::SerialBoardRecord>(1);
  ASSERT_EQ(s.answer, 0);
  ASSERT_EQ(names(*s.list), (std::vector<std::string>{"SER-4S(ISA)", "SER-2P-v1"}));
  const tarnix::SerialBoardRecord& port = s.list->records[0];
  EXPECT_STREQ(port.hardwareKey, "ROOT\\PORTS\\0007");
  EXPECT_EQ((std::vector<int32_t>(port.ioAddresses, port.ioAddresses + 4)),
            (std::vector<int32_t>{0x2A0, 0x2E8, 0x2F8, -1}));
  EXPECT_EQ((std::vector<int32_t>(port.irqNos, port.irqNos + 3)), (std::vector<int32_t>{3, 4, -1}));
  const tarnix::SerialBoardRecord& pci = s.list->records[1];
  EXPECT_EQ(pci.ioAddresses[0], 0xB000);
  EXPECT_EQ(pci.ioAddresses[1], -1);
}

TEST_F(BoardScanTest, PcCardsAndModulesFollowOnEveryGeneration) {
  cfg::Inventory m = cfg::SampleInventory();
  m.busAnswer = 30;
  m.modules.modules[4] = {2, 0};
  ASSERT_TRUE(cfg::Install(m));
  const auto s = scan<tarnix::AnalogBoardRecord>(2);
  ASSERT_EQ(s.answer, 0);
  ASSERT_EQ(names(*s.list), (std::vector<std::string>{"ANA-8(PC)", "FLN-AI1612", "FLN-AI816"}));
  EXPECT_STREQ(s.list->records[0].hardwareKey, "DORNELL-GPCARD-1A2B\\1");
  EXPECT_EQ(s.list->records[0].ioAddress, 0x200);
  const std::map<int32_t, int32_t> ioByPosition = {{s.list->records[1].boardId, s.list->records[1].ioAddress},
                                                   {s.list->records[2].boardId, s.list->records[2].ioAddress}};
  EXPECT_EQ(ioByPosition, (std::map<int32_t, int32_t>{{1, 0x1800}, {4, 0x4900}}));
  EXPECT_EQ(s.list->records[1].irqNo, -1);
}

TEST_F(BoardScanTest, AMissingListOrAKindWithoutBoardsIsRefused) {
  static const FakeCatalog catalog;
  auto list = std::make_unique<tarnix::BoardList<tarnix::AnalogBoardRecord>>();
  for (int32_t kind : {0, 8, 9, 11}) EXPECT_EQ(tarnix::ScanBoards(kind, list.get(), catalog), 1) << kind;
  EXPECT_EQ(tarnix::ScanBoards(2, nullptr, catalog), 1);
  EXPECT_EQ(DnkConfigLoadInfRegBoard(2, nullptr), 1);
}

// Through the library's own tables: the module and the sample's two
// analog boards.
TEST_F(BoardScanTest, TheLibrarysTablesNameTheSampleMachinesBoards) {
  use(kNt4);
  auto list = std::make_unique<tarnix::BoardList<tarnix::AnalogBoardRecord>>();
  ASSERT_EQ(DnkConfigLoadInfRegBoard(2, list.get()), 0);
  ASSERT_GE(list->count, 1u);
  EXPECT_STREQ(list->records[list->count - 1].head.boardName, "FLN-AI1612");
  ASSERT_EQ(tarnix::FindModelDeviceId("MVA-1216FPCI"), 0x0122);
  std::vector<int32_t> boards;
  for (uint32_t i = 0; i < list->count; ++i) {
    if (std::strcmp(list->records[i].head.boardName, "MVA-1216FPCI") == 0) boards.push_back(list->records[i].boardId);
  }
  EXPECT_EQ(boards, (std::vector<int32_t>{0, 1}));
}

}  // namespace
