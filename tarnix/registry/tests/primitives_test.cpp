// The registry primitives: types, sizes, missing keys and the delete rules.
#include <string>

#include <tarnix.h>

#include "registry_fixture.h"

namespace tarnixtest {
namespace {

using tarnix::ReadRegValue;

constexpr const char* kKey = "SOFTWARE\\TEST\\Primitives";

class Primitives : public RegistryTest {};

TEST_F(Primitives, ReadGivesTheValueOnlyInTheTypeAskedFor) {
  const std::string longest(255, 'a');
  const std::string tooLong(256, 'b');  // 257 bytes with its NUL
  ASSERT_EQ(tarnix::WriteRegValue(kKey, REG_DWORD, "Number", nullptr, -1), 0);
  ASSERT_EQ(tarnix::WriteRegValue(kKey, REG_SZ, "Text", "COM3", 0), 0);
  ASSERT_EQ(tarnix::WriteRegValue(kKey, REG_SZ, "Longest", longest.c_str(), 0), 0);
  ASSERT_EQ(tarnix::WriteRegValue(kKey, REG_SZ, "TooLong", tooLong.c_str(), 0), 0);
  struct Case {
    const char* key;
    const char* name;
    int32_t type;
    int32_t result;
    const char* text;
    int32_t number;
  } cases[] = {
      {kKey, "Number", REG_DWORD, 0, "", -1},
      {kKey, "Number", REG_SZ, 1, "", 0},  // a number asked for as text
      {kKey, "Text", REG_SZ, 0, "COM3", 0},
      {kKey, "Text", REG_DWORD, 1, "", 0},
      {kKey, "Longest", REG_SZ, 0, longest.c_str(), 0},
      {kKey, "TooLong", REG_SZ, 1, "", 0},
      {kKey, "Absent", REG_DWORD, ERROR_FILE_NOT_FOUND, "", 0},
      {"SOFTWARE\\TEST\\Nowhere", "Number", REG_DWORD, ERROR_FILE_NOT_FOUND, "", 0},
      {kKey, "Number", REG_BINARY, 1, "", 0},
  };
  for (const Case& c : cases) {
    char text[256] = "stale";
    int32_t number = 12345;
    EXPECT_EQ(ReadRegValue(c.key, c.type, c.name, text, &number), c.result) << c.name << " as " << c.type;
    if (c.type == static_cast<int32_t>(REG_SZ)) {
      EXPECT_STREQ(text, c.text) << c.name;
    } else if (c.type == static_cast<int32_t>(REG_DWORD)) {
      EXPECT_EQ(number, c.number) << c.name;
    }
  }
}

TEST_F(Primitives, WritesNeedTheirArgumentAndOnlyWriteExistingRefusesAMissingKey) {
  EXPECT_EQ(tarnix::WriteRegValue(kKey, REG_SZ, "Text", nullptr, 0), 1);
  EXPECT_EQ(tarnix::WriteRegValue(kKey, REG_BINARY, "Text", "x", 0), 1);
  EXPECT_FALSE(KeyExists(kKey));

  EXPECT_EQ(tarnix::WriteExistingRegValue(kKey, REG_DWORD, "Number", nullptr, 7), ERROR_FILE_NOT_FOUND);
  EXPECT_FALSE(KeyExists("SOFTWARE\\TEST"));
  ASSERT_EQ(tarnix::CreateRegKey(kKey), 0);
  EXPECT_EQ(tarnix::WriteExistingRegValue(kKey, REG_DWORD, "Number", nullptr, 7), 0);
  int32_t number = 0;
  EXPECT_EQ(ReadRegValue(kKey, REG_DWORD, "Number", nullptr, &number), 0);
  EXPECT_EQ(number, 7);
}

// The exports of one board's value address boards 1 to 4 of a driver's key.
TEST_F(Primitives, TheBoardValueExportsReachBoardsOneToFour) {
  for (const int32_t board : {0, 1, 4, 5}) {
    const bool addressed = board >= 1 && board <= 4;
    const std::string key = ServicePath("Serdel\\BoardNumber") + std::to_string(board);
    if (addressed) {
      ASSERT_EQ(tarnix::CreateRegKey(key.c_str()), 0);
    }
    const LONG expected = addressed ? kDnkOk : kDnkBadArgument;
    EXPECT_EQ(DnkConfigWriteRegValue(1, 0, 0, board, REG_DWORD, "IoAddress", nullptr, 0x300 + board), expected) << board;
    char text[256] = {};
    int32_t number = 0;
    EXPECT_EQ(DnkConfigReadRegValue(1, 0, 0, board, REG_DWORD, "IoAddress", text, &number), expected) << board;
    EXPECT_EQ(number, addressed ? 0x300 + board : 0) << board;
  }
}

TEST_F(Primitives, BinaryValuesKeepTheirBytesAndOtherTypesAreRefused) {
  const uint8_t data[5] = {1, 0, 0, 0, 9};
  ASSERT_EQ(tarnix::WriteRegBinary(kKey, "Blob", data, sizeof data), 0);
  ASSERT_EQ(tarnix::WriteRegValue(kKey, REG_DWORD, "Number", nullptr, 1), 0);
  uint8_t back[100] = {};
  uint32_t size = sizeof back;
  ASSERT_EQ(tarnix::ReadRegBinary(kKey, "Blob", back, &size), 0);
  EXPECT_EQ(size, 5u);
  EXPECT_EQ(back[4], 9);
  size = sizeof back;
  EXPECT_EQ(tarnix::ReadRegBinary(kKey, "Number", back, &size), 1);
}

TEST_F(Primitives, DeletesOfNothingDoNothingAndAKeyWithSubkeysStays) {
  ASSERT_EQ(tarnix::CreateRegKey("SOFTWARE\\TEST\\Primitives\\Child"), 0);
  ASSERT_EQ(tarnix::WriteRegValue(kKey, REG_DWORD, "Number", nullptr, 1), 0);
  // An empty name would otherwise name the parent itself.
  EXPECT_EQ(tarnix::DeleteRegKey(kKey, ""), 0);
  EXPECT_EQ(tarnix::DeleteRegKey(nullptr, "Child"), 0);
  EXPECT_EQ(tarnix::DeleteRegValue(kKey, ""), 0);
  EXPECT_TRUE(KeyExists("SOFTWARE\\TEST\\Primitives\\Child"));

  EXPECT_EQ(tarnix::DeleteRegKey("SOFTWARE\\TEST", "Primitives"), ERROR_ACCESS_DENIED);
  EXPECT_EQ(tarnix::DeleteRegKey(kKey, "Child"), 0);
  EXPECT_EQ(tarnix::DeleteRegKey("SOFTWARE\\TEST", "Primitives"), 0);
  EXPECT_FALSE(KeyExists(kKey));
}

}  // namespace
}  // namespace tarnixtest
