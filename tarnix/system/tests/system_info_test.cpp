#include <gtest/gtest.h>
#include <windows.h>

#include <tarnix.h>

#include <cstring>
#include <string>
#include <utility>

#include "support/system_fixture.h"
#include "system/system_info.h"

namespace {

using namespace tarnix;

class SystemInfo : public SystemFixture {
 protected:
  static std::string storedMachineText() {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\DORNELL\\TARNIX", 0, KEY_READ, &key) != ERROR_SUCCESS) {
      return "<no key>";
    }
    char text[300] = {};
    DWORD size = sizeof text, type = 0;
    LONG status = RegQueryValueExA(key, "MachineType", nullptr, &type, reinterpret_cast<BYTE*>(text), &size);
    RegCloseKey(key);
    return status != ERROR_SUCCESS ? "<no value>" : type != REG_SZ ? "<not text>" : std::string(text);
  }
  static void storeMachineValue(DWORD type, const void* data, DWORD size) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\DORNELL\\TARNIX", 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, &key, nullptr),
              ERROR_SUCCESS);
    RegSetValueExA(key, "MachineType", 0, type, static_cast<const BYTE*>(data), size);
    RegCloseKey(key);
  }
};

TEST_F(SystemInfo, GenerationAndOsVersionFollowTheWindowsSetting) {
  struct Case {
    const char* setting;
    uint32_t generation;
    LONG osVersion;
  } cases[] = {
      {"1:4.0", kOsWin9x, 1},          {"1:4.10", kOsWin9x, 0x10},         {"1:4.90", kOsWin9x, 0x10},
      {"2:4.0", kOsNt4, 0x100000},     {"2:5.0", kOsNt5, 0x1000000},       {nullptr, kOsNt5, 0x1000000},
  };
  for (const Case& c : cases) {
    windows(c.setting);
    EXPECT_EQ(GetOsGeneration(), c.generation) << (c.setting ? c.setting : "default");
    EXPECT_EQ(DnkConfigGetOsVersion(), c.osVersion) << (c.setting ? c.setting : "default");
  }
}

TEST_F(SystemInfo, FirstMachineQueryTakesTheKeyboardStoresTheTextAndThenAnswersFromTheCache) {
  for (const auto& [subtype, machine] : {std::pair{"0x0D00", 0}, {"0x0D04", 1}, {"0x0D05", 0}}) {
    Library().machineType = kMachineTypeUnknown;
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, "SOFTWARE\\DORNELL");
    ::setenv("ORVANE_KEYBOARD_SUBTYPE", subtype, 1);
    EXPECT_EQ(GetMachineType(), machine) << subtype;
  }
  Library().machineType = kMachineTypeUnknown;
  RegDeleteTreeA(HKEY_LOCAL_MACHINE, "SOFTWARE\\DORNELL");
  ::setenv("ORVANE_KEYBOARD_SUBTYPE", "0x0D01", 1);
  EXPECT_EQ(DnkConfigGetMachine(), 1);
  EXPECT_EQ(storedMachineText(), "NEC PC-9800");
  storeMachineValue(REG_SZ, "AT/AT COMPATIBLE", 17);
  ::unsetenv("ORVANE_KEYBOARD_SUBTYPE");
  EXPECT_EQ(GetMachineType(), 1) << "answered from the cache";
}

TEST_F(SystemInfo, StoredMachineTextDecidesAndOnlyTheExactAtTextIsAnAtCompatible) {
  struct Case {
    DWORD type;
    const char* text;
    int32_t machine;
    const char* storedAfter;
  } cases[] = {
      {REG_SZ, "AT/AT COMPATIBLE", 0, "AT/AT COMPATIBLE"},
      {REG_SZ, "at/at compatible", 1, "at/at compatible"},
      {REG_SZ, "anything", 1, "anything"},
      {REG_DWORD, nullptr, 0, "AT/AT COMPATIBLE"},  // another type counts as missing
  };
  for (const Case& c : cases) {
    Library().machineType = kMachineTypeUnknown;
    const DWORD one = 1;
    if (c.text != nullptr) storeMachineValue(c.type, c.text, static_cast<DWORD>(std::strlen(c.text) + 1));
    else storeMachineValue(c.type, &one, sizeof one);
    EXPECT_EQ(GetMachineType(), c.machine) << (c.text ? c.text : "dword");
    EXPECT_EQ(storedMachineText(), c.storedAfter);
  }
}

TEST_F(SystemInfo, SetMachineStoresZeroOrOneAndReturnsAnyOtherValueUntouched) {
  EXPECT_EQ(DnkConfigSetMachine(7), 7);
  EXPECT_EQ(DnkConfigSetMachine(2), 2);
  EXPECT_EQ(Library().machineType, kMachineTypeUnknown);
  EXPECT_EQ(storedMachineText(), "<no key>");
  EXPECT_EQ(DnkConfigSetMachine(1), 0);
  EXPECT_EQ(storedMachineText(), "NEC PC-9800");
  EXPECT_EQ(DnkConfigSetMachine(0), 0);
  EXPECT_EQ(storedMachineText(), "AT/AT COMPATIBLE");
  EXPECT_EQ(DnkConfigGetMachine(), 0);
}

TEST_F(SystemInfo, DriverVersionFromProductVersionTextOrTimeOfDay) {
  struct Case {
    const char* text;  // null: no version data
    uint32_t version;
  } cases[] = {{"1.20", 120}, {"2.5", 205}, {"3", 303}, {"1, 2, 0, 0", 101}, {"2.05", 205}, {nullptr, 205}};
  for (const Case& c : cases) {
    std::filesystem::remove_all(root_ + "/c/Windows");
    install("drivers/Digdel03.SYS", c.text, 2, 5, 40);
    EXPECT_EQ(GetDriverVersion(3), c.version) << (c.text ? c.text : "no version data");
  }
  EXPECT_EQ(GetDriverVersion(2), 0u) << "no analog driver installed";
  windows("1:4.10");
  EXPECT_EQ(GetDriverVersion(3), 0u) << "Windows 9x looks in the system folder itself, for the VxD";
  install("Digdel05.VXD", "2.41");
  EXPECT_EQ(GetDriverVersion(3), 241u);
}

TEST_F(SystemInfo, InstalledDriversCountPresentFilesOnlyInBoardCheckModeOne) {
  install("drivers/Morvel55.SYS");
  install("drivers/morvel00.sys");
  int32_t drivers[33] = {};
  EXPECT_EQ(DnkConfigIsDriverExist(2, drivers), 2);
  EXPECT_EQ(drivers[0], 0);
  EXPECT_EQ(drivers[1], 55);
  EXPECT_EQ(DnkConfigSetBoardCheckMode(0), 0);
  EXPECT_EQ(ListInstalledDrivers(2, drivers), 33);
  EXPECT_EQ(drivers[32], 55);
  EXPECT_EQ(ListInstalledDrivers(9, drivers), 0);
  EXPECT_EQ(ListInstalledDrivers(8, nullptr), 0);
  EXPECT_EQ(ListInstalledDrivers(4, nullptr), 4);
}

TEST_F(SystemInfo, FileTimeFillsTheGivenOutsInLocalTimeWithTwoSecondSteps) {
  install("Some.dat", nullptr, 23, 59, 7);
  ::setenv("TZ", "JST-9", 1);
  uint16_t year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
  EXPECT_EQ(DnkConfigGetFileTime("C:\\WINDOWS\\SYSTEM32\\some.dat", &year, &month, &day, &hour, &minute, &second),
            0);
  EXPECT_EQ(year, 2026);
  EXPECT_EQ(month, 3);
  EXPECT_EQ(day, 5);
  EXPECT_EQ(hour, 8);
  EXPECT_EQ(minute, 59);
  EXPECT_EQ(second, 6);
  EXPECT_EQ(GetFileDateTime("C:\\Windows\\system32\\Some.dat", nullptr, nullptr, nullptr, nullptr, nullptr, nullptr),
            0);
  EXPECT_EQ(GetFileDateTime("C:\\missing.dat", &year, nullptr, nullptr, nullptr, nullptr, nullptr), 1);
  EXPECT_EQ(year, 0) << "outs are zeroed first";
  EXPECT_EQ(GetFileDateTime(nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr), 1);
}

TEST_F(SystemInfo, VersionTextsOfKindsFilesAndTheCallingProgram) {
  install("Morvel.dll", "3.10");
  install("Digdel.dll", nullptr, 9, 4);
  installAt("/c/Tools/BoardConfig.EXE", "1.02");
  installAt("/c/Tools/other.exe", "4.00");
  install("Comdel.VXD", "5.01");
  struct Case {
    const char* windowsSetting;
    const char* commandLine;
    int32_t kind;
    LONG result;
    const char* text;
  } cases[] = {
      {nullptr, nullptr, 2, 0, "3.10"},
      {nullptr, nullptr, 3, 0, "9.04"},  // no version data: the time of day
      {nullptr, nullptr, 4, 10, ""},     // not installed
      {nullptr, nullptr, 8, 1, ""},
      {nullptr, nullptr, 7, 10, ""},  // NT: the SYS file only
      {"1:4.10", nullptr, 7, 0, "5.01"},  // 9x: the USB unit's VxD is missing, the port driver's answers
      {nullptr, "\"C:\\Tools\\BoardConfig.EXE\" /s", 100, 0, "1.02"},
      {nullptr, "C:\\Tools\\other.exe -a", 100, 0, "4.00"},
      {nullptr, "\"C:\\Tools\\other.exe\" -a", 100, 0, "4.00"},
      {nullptr, "", 100, 10, ""},
  };
  for (const Case& c : cases) {
    windows(c.windowsSetting);
    if (c.commandLine != nullptr) ::setenv("ORVANE_COMMAND_LINE", c.commandLine, 1);
    char text[256] = {};
    EXPECT_EQ(DnkConfigGetDnkVersion(c.kind, text), c.result) << c.kind << " " << (c.commandLine ? c.commandLine : "");
    EXPECT_STREQ(text, c.text) << c.kind;
  }
  char text[256] = {};
  EXPECT_EQ(DnkConfigGetDnkVersion(2, nullptr), 1);
  EXPECT_EQ(DnkConfigGetFileVersion("C:\\Tools\\BoardConfig.exe", text), 0);
  EXPECT_STREQ(text, "1.02");
  EXPECT_EQ(DnkConfigGetFileVersion("C:\\Tools\\none.exe", text), 10);
}

}  // namespace
