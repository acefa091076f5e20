// Loads and stores at their edges: counts out of range, missing values,
// overlong texts, failed writes and the resource refresh.
#include <string>

#include "image/kind_images.h"
#include "registry/kind_registry.h"
#include "registry/load_steps.h"
#include "registry_fixture.h"

namespace tarnixtest {
namespace {

using tarnix::KindImage;

class KindEdges : public RegistryTest {};

TEST_F(KindEdges, CountsFromTheRegistryAreClampedToTheImage) {
  WriteAll(std::vector<Value>{{"Morvel00", "GroupNum", 1000},
                              {"Morvel00\\GroupNumber1", "BoardNum", 99},
                              {"Morvel00\\GroupNumber2", "BoardNum", -3},
                              {"Gpidel1", "BoardNum", 65},
                              {"Gpidel2", "BoardNum", -5}});
  tarnix::LoadKindImage(2);
  tarnix::LoadKindImage(4);
  const auto analog = KindImage(2);
  EXPECT_EQ(analog[0].groupNum, 16);
  EXPECT_EQ(analog[0].groups[0].boardNum, 16);
  EXPECT_EQ(analog[0].groups[1].boardNum, 0);
  EXPECT_EQ(KindImage(4)[0].boardNum, 64);
  EXPECT_EQ(KindImage(4)[1].boardNum, 0);

  KindImage(2)[0].groups[2].boardNum = 1000;  // as a bad list could leave it
  EXPECT_EQ(tarnix::StoreKindImage(2), 0);
  EXPECT_EQ(ReadNumber("Morvel00", "GroupNum"), 16);
  EXPECT_EQ(ReadNumber("Morvel00\\GroupNumber3", "BoardNum"), 16);
  EXPECT_FALSE(KeyExists(ServicePath("Morvel00\\GroupNumber3\\BoardNumber17")));
}

TEST_F(KindEdges, NoBoardsLoadAndStoreAsNoBoards) {
  Write({"Cntdel00", "BoardNum", 0});
  Write({"Cntdel00\\BoardNumber1", "BoardName", "LEFT-OVER"});
  EXPECT_EQ(tarnix::LoadKindImage(5), 0);
  EXPECT_EQ(KindImage(5)[0].boards[0].boardName[0], '\0');
  tarnix::WipeKindRegistry(5);
  EXPECT_EQ(tarnix::StoreKindImage(5), 0);
  EXPECT_EQ(ReadNumber("Cntdel00", "BoardNum"), 0);
  EXPECT_FALSE(KeyExists(ServicePath("Cntdel00\\BoardNumber1")));
}

TEST_F(KindEdges, MissingValuesTakeTheirDefaults) {
  WriteAll(std::vector<Value>{{"Gpidel1", "BoardNum", 1},
                              {"Gpidel1\\BoardNumber1", "BoardName", "TEST-GPIB"},
                              {"Digdel00", "GroupNum", 1},
                              {"Digdel00\\GroupNumber1", "IrqNo", 5},
                              {"Morvel00", "GroupNum", 1}});
  tarnix::LoadKindImage(4);
  tarnix::LoadKindImage(3);
  tarnix::LoadKindImage(2);
  EXPECT_EQ(KindImage(4)[0].boards[0].handshakeTiming, 500);
  const auto& digital = KindImage(3)[0].groups[0];
  EXPECT_EQ(digital.digitalIrqNos[0], 5);
  for (int i = 1; i < 4; ++i) EXPECT_EQ(digital.digitalIrqNos[i], -1) << i;
  EXPECT_EQ(KindImage(2)[0].groups[0].irqNo, 0);
  EXPECT_EQ(KindImage(2)[0].groups[0].digitalIrqNos[1], 0);
  tarnix::StoreKindImage(2);
  EXPECT_EQ(Read("Morvel00\\GroupNumber1", "IrqNo2", false), (std::variant<int32_t, std::string>("<status 2>")));
}

TEST_F(KindEdges, TheComPortDriverEndsItsBoardsAtTheFirstKeyWithoutAName) {
  WriteAll(std::vector<Value>{{"Comdel\\BoardInfo\\BoardNumber1", "BoardName", "TEST-COM-1"},
                              {"Comdel\\BoardInfo\\BoardNumber2", "BoardName", "TEST-COM-2"},
                              {"Comdel\\BoardInfo\\BoardNumber3", "IoAddress", 0x3F8},
                              {"Comdel\\BoardInfo\\BoardNumber4", "BoardName", "TEST-COM-4"}});
  tarnix::LoadKindImage(7);
  EXPECT_EQ(KindImage(7)[0].boardNum, 2);
  EXPECT_EQ(KindImage(7)[0].boards[2].ioAddress, 0);
}

TEST_F(KindEdges, OverlongTextsKeepWhatFitsTheirField) {
  const std::string longText(200, 'x');
  WriteAll(std::vector<Value>{{"Cntdel01", "Group", longText.c_str()},
                              {"Cntdel01", "BoardNum", 1},
                              {"Cntdel01\\BoardNumber1", "BoardName", longText.c_str()},
                              {"Cntdel01\\BoardNumber1", "ObjectName", longText.c_str()}});
  tarnix::LoadKindImage(5);
  const auto& block = KindImage(5)[1];
  EXPECT_EQ(std::string(block.group), std::string(15, 'x'));
  EXPECT_EQ(std::string(block.boards[0].boardName), std::string(39, 'x'));
  EXPECT_EQ(std::string(block.boards[0].objectName), std::string(49, 'x'));
}

TEST_F(KindEdges, TheLastDefineDirReadIsWhatEveryStoreWrites) {
  Write({"Gpidel3", "DefineDir", "D:\\DEFS"});
  tarnix::LoadKindImage(4);
  tarnix::LoadKindImage(10);  // no DefineDir: the remembered one stays
  tarnix::StoreKindImage(10);
  EXPECT_EQ(Read("Moddel00", "DefineDir", true), (std::variant<int32_t, std::string>("D:\\DEFS")));
}

TEST_F(KindEdges, AStoreWhoseWritesFailSaysSo) {
  tarnix::ClearKindImage(10);
  BreakStore();
  EXPECT_EQ(tarnix::StoreKindImage(10), 5);
}

TEST_F(KindEdges, ASerialComPortBoardSwitchesTheSerialPowerManagementOff) {
  constexpr const char* kKey = "System\\CurrentControlSet\\Services\\VxD\\VCOMM";
  tarnix::ClearKindImage(1);
  auto& block = KindImage(1)[0];
  block.boardNum = 1;
  std::strcpy(block.boards[0].boardName, "COM2");
  tarnix::StoreKindImage(1);
  uint8_t data[100] = {};
  uint32_t size = sizeof data;
  EXPECT_NE(tarnix::ReadRegBinary(kKey, "EnablePowerManagement", data, &size), 0);  // absent stays absent

  const uint8_t on[6] = {1, 1, 1, 1, 7, 7};
  ASSERT_EQ(tarnix::WriteRegBinary(kKey, "EnablePowerManagement", on, sizeof on), 0);
  tarnix::StoreKindImage(1);
  size = sizeof data;
  ASSERT_EQ(tarnix::ReadRegBinary(kKey, "EnablePowerManagement", data, &size), 0);
  EXPECT_EQ(size, 6u);
  EXPECT_EQ(std::vector<uint8_t>(data, data + 6), (std::vector<uint8_t>{0, 0, 0, 0, 7, 7}));
}

TEST(BoardRefresh, AFailedPciQueryLeavesNoAddressAndNoInterrupt) {
  // No configuration device answers here: every query fails.
  using xanconfig::BoardSlot;
  using xanconfig::GroupSlot;
  using Fields = std::vector<int32_t> (*)(const BoardSlot&, const GroupSlot&);
  const std::pair<int32_t, Fields> cases[] = {
      {1, [](const BoardSlot& b, const GroupSlot&) { return std::vector{b.ioAddresses[0], b.irqNos[0]}; }},
      {2, [](const BoardSlot& b, const GroupSlot& g) { return std::vector{b.ioAddress, g.irqNo}; }},
      {3, [](const BoardSlot& b, const GroupSlot& g) { return std::vector{b.ioAddress, g.digitalIrqNos[0]}; }},
      {4, [](const BoardSlot& b, const GroupSlot&) { return std::vector{b.ioAddress, b.irqNo}; }},
      {6, [](const BoardSlot& b, const GroupSlot&) { return std::vector{b.ioAddress, b.irqNos[0], b.irqNos[1]}; }},
      {7, [](const BoardSlot& b, const GroupSlot&) { return std::vector{b.ioAddress, b.irqNo}; }},
  };
  for (const auto& [kind, fields] : cases) {
    BoardSlot board{};
    board.ioAddress = board.irqNo = board.ioAddresses[0] = board.irqNos[0] = board.irqNos[1] = 0x55;
    GroupSlot group{};
    group.irqNo = group.digitalIrqNos[0] = 0x55;
    tarnix::RefreshBoardResources(kind, 1, board, &group, true);
    const std::vector<int32_t> got = fields(board, group);
    EXPECT_EQ(got, std::vector<int32_t>(got.size(), -1)) << "kind " << kind;
  }
}

}  // namespace
}  // namespace tarnixtest
