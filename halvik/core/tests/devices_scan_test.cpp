// The registry scan, the symbolic names and the two lookups.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstring>
#include <string>

#include "device_class_key.h"
#include "support/devices_fixture.h"
#include "library_state.h"

namespace devices_test {
namespace {

using halvik::DeviceRecord;
using halvik::DeviceTable;

class ScanTest : public DevicesTest {};

TEST_F(ScanTest, RecordsTakeTheRegisteredValuesInSubkeyOrder) {
  addDevice("0000", "XAN000", 3, "HVA-1632PE");
  writeSubkey("0001", {{"CategoryType", DWORD{5}}, {"DeviceName", "OTHER"}});
  // A unit numbered 5: module 2 is not a device and leaves a gap in the Ids.
  writeSubkey("0002", {{"CategoryType", DWORD{8}},
                       {"SymbolicName", "UNITPATH"},
                       {"DeviceID", "5"},
                       {"DeviceType", DWORD{0x30003}},
                       {"CategoryType0", DWORD{2}}, {"DeviceName0", "UNITA"}, {"ModuleType0", "HVU-1608USB"},
                       {"CategoryType1", DWORD{2}}, {"DeviceName1", "UNITB"}, {"ModuleType1", "HVU-1608USB"},
                       {"CategoryType2", DWORD{3}}, {"DeviceName2", "UNITC"},
                       {"CategoryType3", DWORD{2}}, {"DeviceName3", "UNITD"}, {"ModuleType3", "HVU-1608USB"}});
  writeSubkey("0003", {{"CategoryType", DWORD{2}}, {"DeviceName", "SHORT"}, {"DriverDesc", "Xa"}});
  scan();

  struct Expect {
    const char* name;
    int16_t id;
    const char* model;
    const char* path;
    int16_t bus;
    int32_t module;
  } const expected[] = {
      {"XAN000", 3, "HVA-1632PE", "\\\\.\\HVFAKE", 0, 0},
      {"", -1, "", "", 0, 0},
      {"UNITA", 0x1050, "HVU-1608USB", "UNITPATH", 3, 0},
      {"UNITB", 0x1051, "HVU-1608USB", "UNITPATH", 3, 1},
      {"UNITD", 0x1053, "HVU-1608USB", "UNITPATH", 3, 3},
      {"SHORT", -1, "", "", 0, 0},
  };
  ASSERT_EQ(DeviceTable().size(), std::size(expected));
  for (size_t i = 0; i < std::size(expected); ++i) {
    const DeviceRecord& r = DeviceTable()[i];
    SCOPED_TRACE(i);
    EXPECT_STREQ(r.DeviceName, expected[i].name);
    EXPECT_EQ(r.Id, expected[i].id);
    EXPECT_STREQ(r.ModelName, expected[i].model);
    EXPECT_STREQ(r.DevicePath, expected[i].path);
    EXPECT_EQ(r.BusKind, expected[i].bus);
    EXPECT_EQ(r.ModuleIndex, expected[i].module);
    EXPECT_EQ(r.ThreadParam, i);
  }
  EXPECT_EQ(DeviceTable()[0].ModuleId, 0x1A);
  EXPECT_STREQ(DeviceTable()[0].ModuleIdText, "1A");
}

TEST_F(ScanTest, LookupsIgnoreCaseCompareSixteenBitsAndSkipPlaceholders) {
  addDevice("0000", "Xan000", 0x1050, "HVA-1632PE");
  writeSubkey("0001", {{"CategoryType", DWORD{5}}});
  scan();
  uint16_t index = 99;
  EXPECT_EQ(halvik::FindDeviceByName("XAN000", &index), 1);
  EXPECT_EQ(index, 0);
  EXPECT_EQ(halvik::FindDeviceById(0x11050, &index), 1);
  EXPECT_EQ(halvik::FindDeviceByName("", &index), 0);
  // -1 is what a failed open hands out: it must find no device.
  EXPECT_EQ(halvik::FindDeviceById(-1, &index), 0);
}

TEST_F(ScanTest, LongTextsAreCutToTheirFields) {
  writeSubkey("0000", {{"CategoryType", DWORD{2}},
                       {"DeviceName", std::string(300, 'N')},
                       {"DriverDesc", "Xan " + std::string(400, 'M')},
                       {"DeviceID", std::string(20, '7')},
                       {"ModuleID", std::string(30, 'F')},
                       {"SymbolicName", std::string(300, 'P')}});
  scan();
  const DeviceRecord& r = DeviceTable().at(0);
  EXPECT_EQ(std::strlen(r.DeviceName), sizeof r.DeviceName - 1);
  EXPECT_EQ(std::strlen(r.ModelName), sizeof r.ModelName - 1);
  EXPECT_EQ(std::strlen(r.DeviceIdText), sizeof r.DeviceIdText - 1);
  EXPECT_EQ(std::strlen(r.ModuleIdText), sizeof r.ModuleIdText - 1);
  EXPECT_EQ(std::strlen(r.DevicePath), sizeof r.DevicePath - 1);
}

TEST_F(ScanTest, TheSystemFamilyChoosesTheClassKey) {
  writeSubkey("0000", {{"CategoryType", DWORD{2}}, {"DeviceName", "NTDEV"}});
  writeSubkey("0000", {{"CategoryType", DWORD{2}}, {"DeviceName", "OLDDEV"}}, halvik::kClassKeyOther);
  for (auto [winver, name] : {std::pair{"2:5.1", "NTDEV"}, std::pair{"1:4.10", "OLDDEV"}}) {
    setenv("ORVANE_WINVER", winver, 1);
    DeviceTable().clear();
    scan();
    ASSERT_EQ(DeviceTable().size(), 1u);
    EXPECT_STREQ(DeviceTable()[0].DeviceName, name);
  }
}

TEST_F(ScanTest, WithoutTheClassKeyTheTableStaysEmpty) {
  EXPECT_EQ(halvik::ScanRegisteredDevices(), 0);
  EXPECT_TRUE(DeviceTable().empty());
}

TEST(SymbolicNameTest, KnownFormsBecomePathsOthersFail) {
  struct Case {
    const char* symbolic;
    int result;
    const char* path;
  } const cases[] = {
      {"\\DosDevices\\HVA0", 1, "\\\\.\\HVA0"},
      {"\\dosDEVICES\\HVA0", 1, "\\\\.\\HVA0"},
      {"\\??\\HVA0", 1, "\\\\?\\HVA0"},
      {"HVVM0", 1, "HVVM0"},
      {"\\Dev", 0, "untouched"},
      {"\\Device\\HVA0", 0, "untouched"},
      {"\\DosDevicesX", 0, "untouched"},
      {"\\XYZ", 0, "untouched"},
  };
  for (const Case& c : cases) {
    char out[256] = "untouched";
    EXPECT_EQ(halvik::SymbolicNameToDevicePath(c.symbolic, out), c.result) << c.symbolic;
    EXPECT_STREQ(out, c.path) << c.symbolic;
  }
}

}  // namespace
}  // namespace devices_test
