// The checker's rules for the two models it knows by name, with the
// library's own model tables behind them.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstring>
#include <filesystem>
#include <memory>
#include <string>

#include <tarnix.h>
#include <tarnix_records.h>

namespace {

constexpr LONG Byte(int check, int severity) { return check << 3 | severity; }

class NamedModelRules : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = (std::filesystem::temp_directory_path() / "tarnix_named_XXXXXX").string();
    ASSERT_NE(::mkdtemp(dir_.data()), nullptr);
    ::setenv("ORVANE_REGISTRY", (dir_ + "/registry.sqlite").c_str(), 1);
  }
  void TearDown() override {
    ::unsetenv("ORVANE_REGISTRY");
    std::filesystem::remove_all(dir_);
  }
  std::string dir_;
};

TEST_F(NamedModelRules, TheTwoBitBoardIdOfTheDigitalModel) {
  struct Row {
    const char* model;
    int32_t boardId;
    LONG result;
  } rows[] = {{"QAT-48/48V(PCI)", 3, 0}, {"QAT-48/48V(PCI)", 4, Byte(17, 1)}, {"DIO-32PCI", 4, 0}};
  for (const Row& row : rows) {
    auto list = std::make_unique<tarnix::BoardList<tarnix::DigitalBoardRecord>>();
    tarnix::DigitalBoardRecord r{};
    std::strcpy(r.head.boardName, row.model);
    r.ioAddress = r.dma = r.memoryAddress = r.slotNo = -1;
    for (int32_t& line : r.irqNos) line = -1;
    r.boardId = row.boardId;
    const LONG driver = DnkConfigGetDrvNo(row.model);
    EXPECT_EQ(DnkConfigCheckBoardData(3, list.get(), driver, 1, 1, &r, 1), row.result) << row.model << row.boardId;
  }
}

TEST_F(NamedModelRules, TheOneUnitSerialModelSharesOneBaseAndOneLine) {
  struct Row {
    const char* model;
    int32_t channels;
    LONG result;
  } rows[] = {{"LTU-5J(PC)", 8, 0}, {"RSI-4C(PC)", 4, Byte(5, 2)}};
  for (const Row& row : rows) {
    auto list = std::make_unique<tarnix::BoardList<tarnix::SerialBoardRecord>>();
    tarnix::SerialBoardRecord r{};
    std::strcpy(r.head.boardName, row.model);
    for (int32_t& io : r.ioAddresses) io = 0x300;
    for (int32_t& line : r.irqNos) line = 5;
    r.dma = r.memoryAddress = r.boardId = r.slotNo = -1;
    r.channelFirst = 1;
    r.channelLast = row.channels;
    EXPECT_EQ(DnkConfigCheckBoardData(1, list.get(), 0, 0, 1, &r, 1), row.result) << row.model;
  }
}

}  // namespace
