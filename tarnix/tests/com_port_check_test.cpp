// A COM-port board's channel range follows its model's ports, which the
// COM-port table counts: a list of such boards passes the check.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstring>
#include <filesystem>
#include <memory>
#include <string>

#include <tarnix.h>
#include <tarnix_records.h>

namespace {

TEST(ComPortCheck, ABoardWhosePortsFitItsModelPasses) {
  std::string dir = (std::filesystem::temp_directory_path() / "tarnix_com_XXXXXX").string();
  ASSERT_NE(::mkdtemp(dir.data()), nullptr);
  ::setenv("ORVANE_REGISTRY", (dir + "/registry.sqlite").c_str(), 1);

  auto list = std::make_unique<tarnix::BoardList<tarnix::ComPortBoardRecord>>();
  tarnix::ComPortBoardRecord& r = list->records[0];
  list->count = 1;
  r.head = {0, 0, 1, "RSC-2(ISA)"};
  r.ioAddress = 0x2A0;
  r.irqNo = 5;
  r.dma = r.memoryAddress = r.boardId = r.slotNo = -1;
  r.channelFirst = 5;
  r.channelLast = 6;  // the model's two ports
  EXPECT_EQ(DnkConfigCheckListData(7, list.get()), 0);

  ::unsetenv("ORVANE_REGISTRY");
  std::filesystem::remove_all(dir);
}

}  // namespace
