// A board list into the configuration image and back: slots by board
// number, group values from board 1, the 64-record limit, and that every
// list field survives the way there and back.
#include <gtest/gtest.h>
#include <unistd.h>
#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include <platform/device.h>

#include "list/board_list_view.h"
#include "list/conversion.h"

namespace tarnix {
namespace {

using xanconfig::DriverBlock;

constexpr int32_t kKinds[] = {1, 2, 3, 4, 5, 6, 7, 10};

// A fresh registry store: the machine type a conversion asks for is kept there.
class ConversionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (std::filesystem::temp_directory_path() / "tarnix_list_XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    dir_ = pattern;
    ::setenv("ORVANE_REGISTRY", (dir_ + "/registry.sqlite").c_str(), 1);
  }
  void TearDown() override {
    ::unsetenv("ORVANE_REGISTRY");
    std::error_code ignored;
    std::filesystem::remove_all(dir_, ignored);
  }
  std::string dir_;
};

struct List {
  explicit List(int32_t kind) : kind(kind), bytes(sizeof(uint32_t) + kListRecords * RecordBytes(kind)) {}
  ListView view() { return ListView(kind, bytes.data()); }
  // Appends a record with this head; returns its bytes.
  unsigned char* add(int32_t driver, int32_t group, int32_t board, const char* name = "") {
    ListView v = view();
    const uint32_t at = v.count()++;
    v.head(at).driverNumber = driver;
    v.head(at).groupNumber = group;
    v.head(at).boardNumber = board;
    std::strncpy(v.head(at).boardName, name, kBoardNameBytes - 1);
    return v.record(at);
  }
  template <typename Record>
  Record& last() {
    return view().as<Record>(view().count() - 1);
  }
  int32_t kind;
  std::vector<unsigned char> bytes;
};

std::vector<DriverBlock> imageOf(int32_t kind) { return std::vector<DriverBlock>(xanconfig::imageBlocks(kind)); }

TEST_F(ConversionTest, GpibBoardsFillSlotsByNumberAndTheFirstOfTwoEqualHeadsWins) {
  List list(4);
  list.add(1, 0, 1, "first");
  list.last<GpibBoardRecord>().myAddress = 7;
  list.add(1, 0, 2, "second");
  list.add(1, 0, 5, "beyond the driver's four");
  list.add(1, 0, 1, "same head, later");
  list.add(9, 0, 1, "driver not in the table");
  auto image = imageOf(4);
  ListToImage(4, image, list.bytes.data());

  const DriverBlock& block = image[0];
  EXPECT_EQ(block.driverNumber, 1);
  EXPECT_EQ(block.boardNum, 2);
  EXPECT_EQ(block.start, 2);
  EXPECT_STREQ(block.boards[0].boardName, "first");
  EXPECT_EQ(block.boards[0].myAddress, 7);
  EXPECT_STREQ(block.boards[1].boardName, "second");
  EXPECT_STREQ(block.boards[4].boardName, "");
  for (std::size_t i = 1; i < image.size(); ++i) {
    EXPECT_EQ(image[i].boardNum, 0) << i;
    EXPECT_EQ(image[i].start, 4) << i;
  }
}

TEST_F(ConversionTest, AnAnalogGroupTakesItsInterruptAndNameFromBoardOne) {
  List list(2);
  for (int32_t board : {2, 3}) {  // group 1 without its board 1
    list.add(0, 1, board);
    list.last<AnalogBoardRecord>().irqNo = 5;
    std::strcpy(list.last<AnalogBoardRecord>().objectName, "not board 1's");
  }
  list.add(0, 3, 1);  // group 3 with board 1; group 2 empty
  list.last<AnalogBoardRecord>().irqNo = 7;
  std::strcpy(list.last<AnalogBoardRecord>().objectName, "G3");
  auto image = imageOf(2);
  ListToImage(2, image, list.bytes.data());

  const DriverBlock& block = image[0];
  EXPECT_EQ(block.groupNum, 2);
  EXPECT_EQ(block.start, 2);
  struct {
    int32_t boardNum, irqNo;
    const char* objectName;
  } expected[] = {{2, 0, ""}, {0, -1, ""}, {1, 7, "G3"}, {0, -1, ""}};
  for (int g = 0; g < 4; ++g) {
    EXPECT_EQ(block.groups[g].boardNum, expected[g].boardNum) << g;
    EXPECT_EQ(block.groups[g].irqNo, expected[g].irqNo) << g;
    EXPECT_STREQ(block.groups[g].objectName, expected[g].objectName) << g;
  }
  EXPECT_EQ(block.groups[0].boards[0].boardConfig, 0);  // the empty board-1 slot
  EXPECT_EQ(block.groups[2].boards[0].boardId, 0);
}

TEST_F(ConversionTest, AnEmptyListStopsEveryDriver) {
  for (int32_t kind : kKinds) {
    List list(kind);
    auto image = imageOf(kind);
    std::memset(static_cast<void*>(image.data()), 0x5A, image.size() * sizeof(DriverBlock));
    ListToImage(kind, image, list.bytes.data());
    for (const DriverBlock& block : image) {
      EXPECT_EQ(block.start, 4) << kind;
      EXPECT_EQ(block.boardNum + block.groupNum, 0) << kind;
      EXPECT_EQ(block.errorControl, kind == 7 ? 2 : 1) << kind;
      EXPECT_EQ(block.type, 1) << kind;
      EXPECT_STREQ(block.group, "Extended Base") << kind;
      EXPECT_EQ(block.boards[0].boardId, 0) << kind;  // zeroed first
    }
  }
}

TEST_F(ConversionTest, AGroupsInterruptsGoWithItsFirstRecordAndItsNameWithEvery) {
  struct Case {
    int32_t kind;
    std::size_t interruptOffset;
    int interrupts;
  } cases[] = {{2, offsetof(AnalogBoardRecord, irqNo), 1}, {3, offsetof(DigitalBoardRecord, irqNos), 4}};
  for (const Case& c : cases) {
    auto image = imageOf(c.kind);
    xanconfig::GroupSlot& group = image[1].groups[0];
    image[1].groupNum = 1;
    group.boardNum = 3;
    group.irqNo = 5;
    for (int i = 0; i < 4; ++i) group.digitalIrqNos[i] = 10 + i;
    std::strcpy(group.objectName, "AI");
    List list(c.kind);
    ImageToList(c.kind, image, list.bytes.data());

    ASSERT_EQ(list.view().count(), 3u) << c.kind;
    for (uint32_t r = 0; r < 3; ++r) {
      EXPECT_EQ(list.view().head(r).driverNumber, image[1].driverNumber);
      EXPECT_EQ(list.view().head(r).groupNumber, 1);
      EXPECT_EQ(list.view().head(r).boardNumber, static_cast<int32_t>(r + 1));
      const unsigned char* record = list.view().record(r);
      EXPECT_STREQ(reinterpret_cast<const char*>(record + RecordBytes(c.kind) - kObjectNameBytes), "AI");
      for (int i = 0; i < c.interrupts; ++i) {
        int32_t irq = 0;
        std::memcpy(&irq, record + c.interruptOffset + 4 * i, 4);
        const int32_t first = c.kind == 2 ? 5 : 10 + i;
        EXPECT_EQ(irq, r == 0 ? first : -1) << c.kind << " record " << r;
      }
    }
  }
}

TEST_F(ConversionTest, AnImageOfMoreThan64BoardsGivesItsFirst64) {
  auto image = imageOf(3);
  for (DriverBlock& block : image) {
    block.groupNum = 99;  // clamped to 16
    for (auto& group : block.groups) group.boardNum = 5;
  }
  List list(3);
  ImageToList(3, image, list.bytes.data());
  ASSERT_EQ(list.view().count(), 64u);
  EXPECT_EQ(list.view().head(63).groupNumber, 13);
  EXPECT_EQ(list.view().head(63).boardNumber, 4);
}

// A list record filled with bytes that are never 0 comes back unchanged,
// except for each text's last byte (texts keep a NUL) and the two bytes the
// serial and port records do not carry. A field missing from the way there
// or back shows as a run of at least four zero bytes; two fields sharing a
// slot member show as changed bytes.
TEST_F(ConversionTest, EveryListFieldSurvivesTheWayThroughTheImage) {
  for (int32_t kind : kKinds) {
    List list(kind);
    const int32_t driver = xanconfig::driverFileTable(kind, xanconfig::OsFamily::Nt)[0].driverNumber;
    unsigned char* record = list.add(driver, HasGroups(kind) ? 1 : 0, 1);
    for (std::size_t i = sizeof(RecordHead); i < RecordBytes(kind); ++i) record[i] = static_cast<unsigned char>(1 + i % 199);
    std::memset(record + 12, 'M', kBoardNameBytes);
    const std::vector<unsigned char> sent(record, record + RecordBytes(kind));

    auto image = imageOf(kind);
    ListToImage(kind, image, list.bytes.data());
    List back(kind);
    ImageToList(kind, image, back.bytes.data());
    ASSERT_EQ(back.view().count(), 1u) << kind;
    const unsigned char* got = back.view().record(0);
    std::size_t zeroRun = 0;
    for (std::size_t i = 0; i < sent.size(); ++i) {
      if (got[i] != sent[i]) {
        EXPECT_EQ(got[i], 0) << "kind " << kind << " byte " << i;
      }
      zeroRun = got[i] == 0 && sent[i] != 0 ? zeroRun + 1 : 0;
      EXPECT_LT(zeroRun, 4u) << "kind " << kind << " byte " << i;
    }
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(got + 12)), std::string(kBoardNameBytes - 1, 'M'));
  }
}

TEST_F(ConversionTest, ARunningDriverIsAStartedServiceOrAnOpenableVxd) {
  SC_HANDLE manager = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
  SC_HANDLE stopped = CreateServiceA(manager, "Stopped", nullptr, SERVICE_ALL_ACCESS, SERVICE_KERNEL_DRIVER,
                                     SERVICE_AUTO_START, 1, "stopped", nullptr, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(stopped, nullptr);
  EXPECT_EQ(IsDriverServiceRunning("Stopped"), 0);
  EXPECT_EQ(IsDriverServiceRunning("Absent"), 0);
  CloseServiceHandle(stopped);
  CloseServiceHandle(manager);

  PlatDeviceDriver present{};
  const std::string name23(23, 'V');
  const std::string name24(24, 'W');
  ASSERT_TRUE(PlatRegisterDevice((name23 + ".vxd").c_str(), &present));
  ASSERT_TRUE(PlatRegisterDevice((name24 + ".vxd").c_str(), &present));
  EXPECT_EQ(IsVxdLoaded(name23.c_str()), 1);
  EXPECT_EQ(IsVxdLoaded(name24.c_str()), 0);  // its path would not fit
  EXPECT_EQ(IsVxdLoaded("Absent"), 0);
  PlatUnregisterDevice((name23 + ".vxd").c_str());
  PlatUnregisterDevice((name24 + ".vxd").c_str());
}

}  // namespace
}  // namespace tarnix
