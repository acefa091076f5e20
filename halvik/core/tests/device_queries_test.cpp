#include <gtest/gtest.h>
#include <halvik.h>

#include <cstring>
#include <string>

#include "device_record.h"

namespace {

using namespace halvik;

class DeviceQueriesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    DeviceTable().clear();
    add("", "", -1, 0);  // a subkey that is no device
    add("DEV1", "HVA-1216PCI", 4, 3);
    add("DEV2", "Demo", 5, 7);
    add("DEV3", "Demo Unit", 6, 9);
  }
  void TearDown() override { DeviceTable().clear(); }
  static void add(const char* name, const char* model, short id, short boardId) {
    DeviceRecord& r = DeviceTable().emplace_back();
    std::strcpy(r.DeviceName, name);
    std::strcpy(r.ModelName, model);
    r.Id = id;
    r.BoardId = boardId;
  }
};

TEST_F(DeviceQueriesTest, QueryCountsOnlyNamedRecords) {
  char name[256], model[256];
  short boardId = 0;
  ASSERT_EQ(XanQueryDeviceName(0, name, model), 0);
  EXPECT_EQ(std::string(name) + "/" + model, "DEV1/HVA-1216PCI");
  ASSERT_EQ(XanQueryDeviceNameEx(1, name, model, &boardId), 0);
  EXPECT_EQ(std::string(name) + "/" + model, "DEV2/Demo");
  EXPECT_EQ(boardId, 7);

  const struct {
    short index;
    bool name, model, board;
    LONG plain, ex;
  } refused[] = {{3, true, true, true, 10006, 10009},   {-1, true, true, true, 10006, 10009},
                 {0, false, true, true, 10007, 10010},  {0, true, false, true, 10008, 10011},
                 {0, true, true, false, 0, 10012}};
  for (const auto& r : refused) {
    char* n = r.name ? name : nullptr;
    char* m = r.model ? model : nullptr;
    EXPECT_EQ(XanQueryDeviceName(r.index, n, m), r.plain) << r.index;
    EXPECT_EQ(XanQueryDeviceNameEx(r.index, n, m, r.board ? &boardId : nullptr), r.ex) << r.index;
  }
}

TEST_F(DeviceQueriesTest, DescriptionAndBoardIdOfAnId) {
  const struct {
    short id;
    LONG status;
    const char* desc;
    short boardId;
  } cases[] = {{4, 0, "HVA-1216PCI", 3}, {5, 0, "Demo Device", 7}, {6, 0, "Demo Unit", 9}, {-1, 10001, "-", -5}};
  for (const auto& c : cases) {
    char desc[256] = "-";
    short boardId = -5;
    EXPECT_EQ(XanGetDeviceDesc(c.id, desc), c.status) << c.id;
    EXPECT_STREQ(desc, c.desc);
    EXPECT_EQ(XanGetBoardId(c.id, &boardId), c.status) << c.id;
    EXPECT_EQ(boardId, c.boardId);
  }
  EXPECT_EQ(XanGetDeviceDesc(4, nullptr), 10008);
  EXPECT_EQ(XanGetBoardId(4, nullptr), 10012);
}

}  // namespace
