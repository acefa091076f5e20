// Opening and closing boards against FAKE00: argument checks, the driver's
// answers to the open, failures of the device file and of the request, and
// sharing a board opened by name.
#include <gtest/gtest.h>

#include "board_names.h"
#include "morvel_fixture.h"

namespace morvel::testing {
namespace {

using OpenCloseTest = MorvelTest;

// The last index and group are the library's; one beyond opens nothing.
// (Index 55 has no device here: past the range check, it is result 2.)
TEST_F(OpenCloseTest, AnIndexOrGroupOutOfRangeOpensNothing) {
  struct Case {
    uint16_t index, group;
    LONG result;
  };
  for (Case c : {Case{56, 1, 1}, Case{55, 1, 2}, Case{20, 0, 3}, Case{20, 17, 3}, Case{20, 16, 0}}) {
    XanHandle h = 7;
    EXPECT_EQ(XanOpen(&h, c.index, c.group), c.result) << c.index << "/" << c.group;
    if (c.result == XAN_E_INDEX || c.result == XAN_E_GROUP) {
      EXPECT_EQ(h, 7u);
    }
  }
  EXPECT_EQ(fake.offsets(), (std::vector<uint32_t>{XAN_OPEN}));
  EXPECT_EQ(fake.openFiles(), 1);
}

TEST_F(OpenCloseTest, ReopeningASlotClosesTheEarlierOpenFirst) {
  const XanHandle first = open();
  fake.clearLog();
  const XanHandle second = open();
  EXPECT_NE(first, second);
  EXPECT_EQ(fake.offsets(), (std::vector<uint32_t>{XAN_CLOSE, XAN_OPEN}));
  EXPECT_EQ(fake.openFiles(), 1);
}

TEST_F(OpenCloseTest, ResultSixRetriesWithAFreshHandleAndClosesTheRefusedFiles) {
  fake.answerOnce(XAN_OPEN, XAN_E_HANDLE_OWNS);
  const XanHandle h = open();
  const std::vector<Logged> log = fake.log();
  ASSERT_EQ(log.size(), 2u);
  EXPECT_NE(log[0].at<uint32_t>(0), log[1].at<uint32_t>(0));
  EXPECT_EQ(log[1].at<uint32_t>(0), h);
  EXPECT_EQ(fake.openFiles(), 1);
}

TEST_F(OpenCloseTest, ADriverThatKeepsAnsweringSixGetsABoundedNumberOfTries) {
  fake.answer(XAN_OPEN, XAN_E_HANDLE_OWNS);
  XanHandle h = 0;
  EXPECT_EQ(XanOpen(&h, 20, 1), XAN_E_HANDLE_OWNS);
  EXPECT_EQ(fake.log().size(), 16u);
  EXPECT_EQ(fake.openFiles(), 0);
}

TEST_F(OpenCloseTest, AnOwnedBoardGivesTheOwnersHandleAndSuccess) {
  fake.answer(XAN_OPEN, XAN_E_OWNED);
  fake.ownerValue = 0x1234;
  XanHandle h = 0;
  EXPECT_EQ(XanOpen(&h, 20, 1), XAN_OK);
  EXPECT_EQ(h, 0x1234u);
  EXPECT_EQ(fake.openFiles(), 0);
}

// A refused open must not leave a slot that later calls take for open.
TEST_F(OpenCloseTest, AFailedOpenLeavesTheSlotFree) {
  for (int16_t code : {XAN_E_GROUP, XAN_E_BOARD, XAN_E_PCI_SEARCH}) {
    fake.answer(XAN_OPEN, code);
    fake.ownerValue = 0;
    XanHandle h = 0;
    EXPECT_EQ(XanOpen(&h, 20, 1), code);
    fake.clearLog();
    EXPECT_EQ(XanClose(h), XAN_E_CALL);
    EXPECT_TRUE(fake.log().empty());
    EXPECT_EQ(fake.openFiles(), 0);
  }
}

TEST_F(OpenCloseTest, ADeviceThatIsNotThereIsResultTwoWithoutARequest) {
  XanHandle h = 0;
  EXPECT_EQ(XanOpen(&h, 21, 1), XAN_E_CALL);
  EXPECT_TRUE(fake.log().empty());
}

TEST_F(OpenCloseTest, AFailedRequestClosesTheDeviceFile) {
  fake.refuse(XAN_OPEN);
  XanHandle h = 0;
  EXPECT_EQ(XanOpen(&h, 20, 1), XAN_E_CALL);
  EXPECT_EQ(fake.openFiles(), 0);
}

TEST_F(OpenCloseTest, AFailedCloseRequestStillClosesTheFileAndFreesTheSlot) {
  const XanHandle h = open();
  fake.refuse(XAN_CLOSE);
  EXPECT_EQ(XanClose(h), XAN_E_CALL);
  EXPECT_EQ(fake.openFiles(), 0);
  EXPECT_EQ(XanClose(h), XAN_E_CALL);
}

TEST_F(OpenCloseTest, CloseOfAnUnknownHandleSendsNothing) {
  EXPECT_EQ(XanClose(0x4444), XAN_E_CALL);
  EXPECT_EQ(XanClose(kFreeHandle), XAN_E_CALL);
  EXPECT_TRUE(fake.log().empty());
}

TEST_F(OpenCloseTest, OpenByNameSharesTheBoardUntilTheLastClose) {
  setObjectName("Morvel20", 3, "BOARD-A");
  XanHandle a = 0, b = 0;
  ASSERT_EQ(XanOpenEx("board-a", &a), XAN_OK);
  ASSERT_EQ(XanOpenEx("Board-A", &b), XAN_OK);
  EXPECT_EQ(a, b);
  EXPECT_EQ(fake.log()[0].at<int16_t>(8), 3);  // the group
  EXPECT_EQ(XanClose(a), XAN_OK);
  EXPECT_EQ(fake.offsets(), (std::vector<uint32_t>{XAN_OPEN}));
  EXPECT_EQ(XanClose(b), XAN_OK);
  EXPECT_EQ(fake.offsets(), (std::vector<uint32_t>{XAN_OPEN, XAN_CLOSE}));
  EXPECT_EQ(XanOpenEx("other", &a), XAN_E_CALL);
  EXPECT_EQ(XanOpenEx("", &a), XAN_E_CALL);
}

// The search reaches the first and the last group key of the services.
TEST_F(OpenCloseTest, TheNameSearchReachesEveryGroupKey) {
  const struct {
    const char* service;
    uint16_t index, group;
  } rows[] = {{"Morvel00", 0, 1}, {"Morvel20", 20, 16}, {"Morvel55", 55, 16}};
  for (const auto& r : rows) {
    const std::string name = std::string(r.service) + "-" + std::to_string(r.group);
    setObjectName(r.service, r.group, name.c_str());
    uint16_t index = 0, group = 0;
    EXPECT_TRUE(XanFindBoardByName(name.c_str(), index, group)) << name;
    EXPECT_EQ(index, r.index) << name;
    EXPECT_EQ(group, r.group) << name;
  }
}

TEST_F(OpenCloseTest, AFailedOpenByNameLeavesNoCount) {
  setObjectName("Morvel20", 1, "B");
  fake.answerOnce(XAN_OPEN, XAN_E_BOARD);
  XanHandle h = 0;
  EXPECT_EQ(XanOpenEx("B", &h), XAN_E_BOARD);
  ASSERT_EQ(XanOpenEx("B", &h), XAN_OK);
  fake.clearLog();
  EXPECT_EQ(XanClose(h), XAN_OK);
  EXPECT_EQ(fake.offsets(), (std::vector<uint32_t>{XAN_CLOSE}));
}

// A text that fills the 256 bytes with its terminator, and one longer than
// that (the store answers "more data", which is no system failure here).
TEST_F(OpenCloseTest, RegistryTextsUpTo256BytesAreReadAndLongerOnesRefused) {
  std::string full(255, 'N');
  setObjectName("Morvel00", 1, full.c_str());
  char text[257];
  const char* key = "SYSTEM\\CurrentControlSet\\Services\\Morvel00\\GroupNumber1";
  ASSERT_EQ(XanRegReadValue(key, REG_SZ, "ObjectName", text, nullptr), 0);
  EXPECT_EQ(std::string(text), full);
  std::string longer(300, 'L');
  setObjectName("Morvel00", 1, longer.c_str());
  EXPECT_EQ(XanRegReadValue(key, REG_SZ, "ObjectName", text, nullptr), 1);
  EXPECT_STREQ(text, "");
}

}  // namespace
}  // namespace morvel::testing
