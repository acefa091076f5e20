// Reading, writing and deleting values.
#include "registry_fixture.h"

#include <vector>

class RegistryValuesTest : public RegistryTest {
 protected:
  void SetUp() override {
    RegistryTest::SetUp();
    key_ = create("SYSTEM\\CurrentControlSet\\Services\\Xan\\GroupNumber1");
  }
  void TearDown() override {
    RegCloseKey(key_);
    RegistryTest::TearDown();
  }
  HKEY key_ = nullptr;
};

TEST_F(RegistryValuesTest, ValueNamesIgnoreCaseAndKeepTheFirstWrittenCase) {
  setString(key_, "ObjectName", "AIO000");
  EXPECT_EQ(getString(key_, "OBJECTNAME"), "AIO000");
  setString(key_, "objectname", "AIO001");  // overwrites, keeps the name
  EXPECT_EQ(getString(key_, "ObjectName"), "AIO001");

  char name[32];
  DWORD length = sizeof name;
  ASSERT_EQ(RegEnumValueA(key_, 0, name, &length, nullptr, nullptr, nullptr, nullptr), ERROR_SUCCESS);
  EXPECT_STREQ(name, "ObjectName");
  EXPECT_EQ(length, 10u);
  length = sizeof name;
  EXPECT_EQ(RegEnumValueA(key_, 1, name, &length, nullptr, nullptr, nullptr, nullptr), ERROR_NO_MORE_ITEMS);
}

TEST_F(RegistryValuesTest, SizeQueryAndTooSmallBuffer) {
  setString(key_, "ObjectName", "AIO000");  // 7 bytes with the NUL
  DWORD type = 0, size = 0;
  ASSERT_EQ(RegQueryValueExA(key_, "ObjectName", nullptr, &type, nullptr, &size), ERROR_SUCCESS);
  EXPECT_EQ(type, REG_SZ);
  EXPECT_EQ(size, 7u);

  char buffer[8];
  std::memset(buffer, '#', sizeof buffer);
  size = 6;
  type = 0;
  EXPECT_EQ(RegQueryValueExA(key_, "ObjectName", nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size),
            ERROR_MORE_DATA);
  EXPECT_EQ(size, 7u);
  EXPECT_EQ(type, REG_SZ);
  EXPECT_EQ(buffer[6], '#');  // nothing written past what the caller gave

  size = 7;
  ASSERT_EQ(RegQueryValueExA(key_, "ObjectName", nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size),
            ERROR_SUCCESS);
  EXPECT_STREQ(buffer, "AIO000");
  EXPECT_EQ(size, 7u);

  // Type only, no size.
  EXPECT_EQ(RegQueryValueExA(key_, "ObjectName", nullptr, &type, nullptr, nullptr), ERROR_SUCCESS);
  // A buffer without its size is refused.
  EXPECT_EQ(RegQueryValueExA(key_, "ObjectName", nullptr, &type, reinterpret_cast<BYTE*>(buffer), nullptr),
            ERROR_INVALID_PARAMETER);
  // One variable for the type and the size: the size is what counts.
  DWORD both = sizeof buffer;
  EXPECT_EQ(RegQueryValueExA(key_, "ObjectName", nullptr, &both, reinterpret_cast<BYTE*>(buffer), &both),
            ERROR_SUCCESS);
  EXPECT_EQ(both, 7u);
}

TEST_F(RegistryValuesTest, MissingValuesAndTheDefaultValue) {
  DWORD size = 99;
  EXPECT_EQ(RegQueryValueExA(key_, "Nothing", nullptr, nullptr, nullptr, &size), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(size, 0u) << "a size query of a missing value answers 0";
  BYTE buffer[4];
  size = sizeof buffer;
  EXPECT_EQ(RegQueryValueExA(key_, "Nothing", nullptr, nullptr, buffer, &size), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(size, 4u) << "with a buffer the size given stays";
  EXPECT_EQ(RegQueryValueExA(key_, nullptr, nullptr, nullptr, nullptr, &size), ERROR_FILE_NOT_FOUND);
  setString(key_, nullptr, "default");
  EXPECT_EQ(getString(key_, ""), "default");
  EXPECT_EQ(getString(key_, nullptr), "default");
  EXPECT_EQ(RegDeleteValueA(key_, ""), ERROR_SUCCESS);
  EXPECT_EQ(RegDeleteValueA(key_, nullptr), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(RegDeleteValueA(key_, "Nothing"), ERROR_FILE_NOT_FOUND);
}

TEST_F(RegistryValuesTest, TextWrittenWithoutItsNulIsStoredWithOne) {
  ASSERT_EQ(RegSetValueExA(key_, "Bare", 0, REG_SZ, reinterpret_cast<const BYTE*>("ThisNeverBreaks"), 15),
            ERROR_SUCCESS);
  char buffer[20];
  std::memset(buffer, '#', sizeof buffer);
  DWORD size = sizeof buffer;
  ASSERT_EQ(RegQueryValueExA(key_, "Bare", nullptr, nullptr, reinterpret_cast<BYTE*>(buffer), &size),
            ERROR_SUCCESS);
  EXPECT_EQ(size, 16u);
  EXPECT_EQ(std::string(buffer, 17), std::string("ThisNeverBreaks\0#", 17));
  // Binary data is never terminated.
  ASSERT_EQ(RegSetValueExA(key_, "Raw", 0, REG_BINARY, reinterpret_cast<const BYTE*>("ab"), 2), ERROR_SUCCESS);
  std::memset(buffer, '#', sizeof buffer);
  size = sizeof buffer;
  ASSERT_EQ(RegQueryValueExA(key_, "Raw", nullptr, nullptr, reinterpret_cast<BYTE*>(buffer), &size),
            ERROR_SUCCESS);
  EXPECT_EQ(std::string(buffer, 3), "ab#");
}

TEST_F(RegistryValuesTest, TypesAndBytesRoundTrip) {
  struct Case {
    const char* name;
    DWORD type;
    std::vector<BYTE> data;
  };
  const Case cases[] = {
      {"Board", REG_DWORD, {0x78, 0x56, 0x34, 0x12}},
      {"Big", REG_QWORD, {1, 2, 3, 4, 5, 6, 7, 8}},
      {"Blob", REG_BINARY, {0, 0xFF, 0, 0x80}},
      {"Empty", REG_BINARY, {}},
      {"List", REG_MULTI_SZ, {'a', 0, 'b', 'c', 0, 0}},
      {"Path", REG_EXPAND_SZ, {'%', 'X', '%', 0}},
      {"Nothing", REG_NONE, {}},
      // Double-byte text whose second byte looks like a letter.
      {"\x83\x41\x83\x61", REG_SZ, {'x', 0}},
  };
  for (const Case& c : cases) {
    ASSERT_EQ(RegSetValueExA(key_, c.name, 0, c.type, c.data.data(), static_cast<DWORD>(c.data.size())),
              ERROR_SUCCESS)
        << c.name;
  }
  for (const Case& c : cases) {
    std::vector<BYTE> back(16, 0xEE);
    DWORD type = 99, size = static_cast<DWORD>(back.size());
    ASSERT_EQ(RegQueryValueExA(key_, c.name, nullptr, &type, back.data(), &size), ERROR_SUCCESS) << c.name;
    EXPECT_EQ(type, c.type) << c.name;
    back.resize(size);
    EXPECT_EQ(back, c.data) << c.name;
  }
  // The two double-byte names differ only in a trail byte: not the same name.
  DWORD size = 0;
  EXPECT_EQ(RegQueryValueExA(key_, "\x83\x61\x83\x61", nullptr, nullptr, nullptr, &size), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(RegSetValueExA(key_, "bad", 0, REG_BINARY, nullptr, 4), ERROR_INVALID_PARAMETER);
}

TEST_F(RegistryValuesTest, ChangingAValueKeepsItsPlaceAndDeletingFreesTheName) {
  setDword(key_, "First", 1);
  setDword(key_, "Second", 2);
  setString(key_, "FIRST", "now text");
  ASSERT_EQ(RegDeleteValueA(key_, "second"), ERROR_SUCCESS);
  setDword(key_, "SECOND", 3);
  const char* expected[] = {"First", "SECOND"};
  for (DWORD i = 0; i < 2; ++i) {
    char name[16];
    DWORD length = sizeof name;
    ASSERT_EQ(RegEnumValueA(key_, i, name, &length, nullptr, nullptr, nullptr, nullptr), ERROR_SUCCESS);
    EXPECT_STREQ(name, expected[i]);
  }
  EXPECT_EQ(getString(key_, "first"), "now text");
}
