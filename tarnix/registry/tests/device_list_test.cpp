// The object-name index: whose names are taken, what a purge removes, and
// what a store writes into it.
#include <string>

#include "image/kind_images.h"
#include "registry/kind_registry.h"
#include "registry_fixture.h"

namespace tarnixtest {
namespace {

constexpr const char* kIndex = "SOFTWARE\\DORNELL\\DEVICELIST";

class DeviceList : public RegistryTest {
 protected:
  static void Entry(const char* name, int32_t driverType, int32_t category) {
    const std::string path = std::string(kIndex) + "\\" + name;
    ASSERT_EQ(tarnix::WriteRegValue(path.c_str(), REG_DWORD, "DriverType", nullptr, driverType), 0);
    ASSERT_EQ(tarnix::WriteRegValue(path.c_str(), REG_DWORD, "Category", nullptr, category), 0);
  }
  static bool Has(const char* name) { return KeyExists(std::string(kIndex) + "\\" + name); }
  static int32_t EntryNumber(const char* name, const char* value) {
    int32_t n = INT32_MIN;
    const std::string path = std::string(kIndex) + "\\" + name;
    tarnix::ReadRegValue(path.c_str(), REG_DWORD, value, nullptr, &n);
    return n;
  }
};

TEST_F(DeviceList, ANameIsTakenOnlyByAnotherProgramsEntrySpelledTheSame) {
  EXPECT_EQ(tarnix::IsObjectNameFree("AIO000"), 1);  // no index at all
  Entry("AIO000", 1, 2);
  Entry("Own", 0, 2);
  EXPECT_EQ(tarnix::IsObjectNameFree("AIO000"), 0);
  EXPECT_EQ(tarnix::IsObjectNameFree("aio000"), 1);
  EXPECT_EQ(tarnix::IsObjectNameFree("Own"), 1);
  EXPECT_EQ(tarnix::IsObjectNameFree("Other"), 1);
}

TEST_F(DeviceList, APurgeTakesEveryOwnEntryOfTheKindAndNothingElse) {
  // Neighbours in enumeration order, so each deletion moves the next one
  // into the place just looked at.
  Entry("A1", 0, 2);
  Entry("A2", 0, 2);
  Entry("A3", 1, 2);
  Entry("A4", 0, 2);
  Entry("A5", 0, 3);
  Entry("M1", 0, 7);
  Entry("W1", 0, 100);
  tarnix::PurgeDeviceList(2);
  EXPECT_FALSE(Has("A1") || Has("A2") || Has("A4"));
  EXPECT_TRUE(Has("A3") && Has("A5") && Has("M1") && Has("W1"));
  tarnix::PurgeDeviceList(10);
  EXPECT_FALSE(Has("M1"));
  tarnix::PurgeDeviceList(9);  // kinds outside the table share the COM-port category
  EXPECT_FALSE(Has("W1"));
}

TEST_F(DeviceList, AnEntryCarriesModelKindAndBusAndEmptyNamesGetNone) {
  tarnix::WriteDeviceListEntry("", "MODEL", 1, 1);
  tarnix::WriteDeviceListEntry("PARENT\\CHILD", "MODEL", 1, 1);
  EXPECT_FALSE(KeyExists(kIndex));
  const struct {
    const char* name;
    int32_t kind;
    int32_t bus;
    int32_t category;
    int32_t deviceType;
  } cases[] = {{"E1", 1, 2, 1, 2}, {"E7", 7, 4, 100, 4}, {"E10", 10, 0, 7, 0}, {"E5", 5, -1, 5, 0}};
  for (const auto& c : cases) {
    tarnix::WriteDeviceListEntry(c.name, "MODEL", c.kind, c.bus);
    EXPECT_EQ(EntryNumber(c.name, "DriverType"), 0) << c.name;
    EXPECT_EQ(EntryNumber(c.name, "Category"), c.category) << c.name;
    EXPECT_EQ(EntryNumber(c.name, "DeviceType"), c.deviceType) << c.name;
  }
}

TEST_F(DeviceList, AStoreRebuildsTheKindsEntries) {
  Entry("STALE", 0, 6);
  Entry("FOREIGN", 1, 6);
  tarnix::ClearKindImage(6);
  auto& board = tarnix::KindImage(6)[0].boards[0];
  tarnix::KindImage(6)[0].boardNum = 1;
  std::strcpy(board.boardName, "TEST-SMC");
  std::strcpy(board.objectName, "BOARD-NAME");
  std::strcpy(board.objectNames[0], "AXIS-X");
  std::strcpy(board.objectNames[2], "AXIS-Z");
  EXPECT_EQ(tarnix::StoreKindImage(6), 0);
  EXPECT_FALSE(Has("STALE"));
  EXPECT_TRUE(Has("FOREIGN") && Has("AXIS-X") && Has("AXIS-Z"));
  EXPECT_FALSE(Has("BOARD-NAME"));  // a stepper board's own name gets no entry
  for (int a = 1; a <= 4; ++a) {
    EXPECT_TRUE(KeyExists(ServicePath("Stpdel00\\BoardNumber1\\AxisNumber") + std::to_string(a))) << a;
  }
}

}  // namespace
}  // namespace tarnixtest
