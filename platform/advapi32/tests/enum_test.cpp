// Enumeration of subkeys and values, and the key summary.
#include "registry_fixture.h"

#include <string>
#include <vector>

using RegistryEnumTest = RegistryTest;

namespace {

std::vector<std::string> subkeys(HKEY key) {
  std::vector<std::string> names;
  for (DWORD i = 0;; ++i) {
    char name[101];
    DWORD length = sizeof name;
    LONG status = RegEnumKeyExA(key, i, name, &length, nullptr, nullptr, nullptr, nullptr);
    if (status == ERROR_NO_MORE_ITEMS) break;
    EXPECT_EQ(status, ERROR_SUCCESS);
    if (status != ERROR_SUCCESS) break;
    EXPECT_EQ(length, std::strlen(name));
    names.emplace_back(name);
  }
  return names;
}

}  // namespace

TEST_F(RegistryEnumTest, SubkeysComeSortedWithoutRegardToCase) {
  HKEY devices = create("SYSTEM\\CurrentControlSet\\Services\\HALVIK\\Devices");
  KeyCloser closer{devices};
  for (const char* name : {"0002", "beta", "0000", "Alpha", "GroupNumber10", "GroupNumber2", "_x", "0001"})
    RegCloseKey(create(name, devices));
  // Letters compare as capitals, so '_' comes after them, as the system's
  // own enumeration has it.
  EXPECT_EQ(subkeys(devices), (std::vector<std::string>{"0000", "0001", "0002", "Alpha", "beta", "GroupNumber10",
                                                        "GroupNumber2", "_x"}));
  // The order holds after a delete and a re-creation.
  ASSERT_EQ(RegDeleteKeyA(devices, "0000"), ERROR_SUCCESS);
  RegCloseKey(create("0000", devices));
  EXPECT_EQ(subkeys(devices)[0], "0000");
}

TEST_F(RegistryEnumTest, ValuesComeInCreationOrder) {
  HKEY key = create("Software\\Values");
  KeyCloser closer{key};
  for (const char* name : {"SymbolicName", "DeviceID", "BoardID", "DeviceName"}) setString(key, name, name);
  std::vector<std::string> names;
  for (DWORD i = 0;; ++i) {
    char name[100];
    DWORD length = sizeof name;
    BYTE data[512];
    DWORD size = sizeof data;
    DWORD type = 0;
    LONG status = RegEnumValueA(key, i, name, &length, nullptr, &type, data, &size);
    if (status == ERROR_NO_MORE_ITEMS) break;
    ASSERT_EQ(status, ERROR_SUCCESS);
    EXPECT_EQ(type, REG_SZ);
    EXPECT_STREQ(reinterpret_cast<char*>(data), name);
    EXPECT_EQ(size, std::strlen(name) + 1);
    names.emplace_back(name);
  }
  EXPECT_EQ(names, (std::vector<std::string>{"SymbolicName", "DeviceID", "BoardID", "DeviceName"}));
}

TEST_F(RegistryEnumTest, TooSmallBuffersAnswerMoreData) {
  HKEY key = create("Software\\Small");
  KeyCloser closer{key};
  RegCloseKey(create("Service", key));
  setString(key, "DriverDesc", "PCI-AIO 16 channels");

  char name[8];
  DWORD length = 7;  // "Service" needs 8 with its NUL
  EXPECT_EQ(RegEnumKeyExA(key, 0, name, &length, nullptr, nullptr, nullptr, nullptr), ERROR_MORE_DATA);
  EXPECT_EQ(RegEnumKeyA(key, 0, name, 7), ERROR_MORE_DATA);
  ASSERT_EQ(RegEnumKeyA(key, 0, name, 8), ERROR_SUCCESS);
  EXPECT_STREQ(name, "Service");
  EXPECT_EQ(RegEnumKeyA(key, 0, nullptr, 8), ERROR_INVALID_PARAMETER);

  char valueName[16];
  DWORD nameLength = 10;  // "DriverDesc" needs 11
  EXPECT_EQ(RegEnumValueA(key, 0, valueName, &nameLength, nullptr, nullptr, nullptr, nullptr), ERROR_MORE_DATA);
  DWORD needType = 0, needSize = 0;
  EXPECT_EQ(RegEnumValueA(key, 0, valueName, &nameLength, nullptr, &needType, nullptr, &needSize), ERROR_MORE_DATA);
  EXPECT_EQ(needType, REG_SZ) << "type and size are reported even when the name does not fit";
  EXPECT_EQ(needSize, 20u);

  // Either buffer too small: the type and the data size needed come back,
  // and neither the name, its length nor the data is written.
  const struct {
    DWORD nameRoom, dataRoom;
  } small[] = {{10, 64}, {sizeof valueName, 19}, {10, 19}, {0, 0}};
  for (const auto& c : small) {
    SCOPED_TRACE(std::to_string(c.nameRoom) + " " + std::to_string(c.dataRoom));
    char name[16] = "untouched";
    BYTE data[64] = {'x', 0};
    DWORD length = c.nameRoom, size = c.dataRoom, type = 0;
    EXPECT_EQ(RegEnumValueA(key, 0, name, &length, nullptr, &type, data, &size), ERROR_MORE_DATA);
    EXPECT_EQ(type, REG_SZ);
    EXPECT_EQ(size, 20u);
    EXPECT_EQ(length, c.nameRoom);
    EXPECT_STREQ(name, "untouched");
    EXPECT_STREQ(reinterpret_cast<char*>(data), "x");
  }
  // The size alone.
  nameLength = sizeof valueName;
  DWORD size = 0;
  ASSERT_EQ(RegEnumValueA(key, 0, valueName, &nameLength, nullptr, nullptr, nullptr, &size), ERROR_SUCCESS);
  EXPECT_EQ(size, 20u);
  EXPECT_STREQ(valueName, "DriverDesc");
  EXPECT_EQ(RegEnumValueA(key, 1, valueName, &nameLength, nullptr, nullptr, nullptr, nullptr),
            ERROR_NO_MORE_ITEMS);
}

TEST_F(RegistryEnumTest, QueryInfoGivesCountsAndLongestLengths) {
  HKEY key = create("Software\\Info");
  KeyCloser closer{key};
  RegCloseKey(create("AxisNumber1", key));
  RegCloseKey(create("Ax", key));
  setString(key, "ObjectName", "AXIS");
  setDword(key, "Id", 3);
  BYTE blob[300] = {};
  ASSERT_EQ(RegSetValueExA(key, "Blob", 0, REG_BINARY, blob, sizeof blob), ERROR_SUCCESS);

  DWORD subkeys = 0, maxSubkey = 0, maxClass = 9, values = 0, maxValueName = 0, maxValue = 0;
  char cls[8] = "junk";
  DWORD clsLength = sizeof cls;
  FILETIME written{1, 1};
  ASSERT_EQ(RegQueryInfoKeyA(key, cls, &clsLength, nullptr, &subkeys, &maxSubkey, &maxClass, &values,
                             &maxValueName, &maxValue, nullptr, &written),
            ERROR_SUCCESS);
  EXPECT_EQ(subkeys, 2u);
  EXPECT_EQ(maxSubkey, 11u);
  EXPECT_EQ(maxClass, 0u);
  EXPECT_EQ(values, 3u);
  EXPECT_EQ(maxValueName, 10u);
  EXPECT_EQ(maxValue, 300u);
  EXPECT_STREQ(cls, "");

  HKEY empty = create("Software\\Info\\Ax");
  KeyCloser closeEmpty{empty};
  ASSERT_EQ(RegQueryInfoKeyA(empty, nullptr, nullptr, nullptr, &subkeys, &maxSubkey, nullptr, &values,
                             &maxValueName, &maxValue, nullptr, nullptr),
            ERROR_SUCCESS);
  EXPECT_EQ(subkeys + maxSubkey + values + maxValueName + maxValue, 0u);
}
