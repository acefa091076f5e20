// What the installer leaves in the registry and the system folder, and how
// the simulated driver follows it.
#include <halviksim.h>
#include <winreg.h>

#include <map>

#include "halviksim_fixture.h"

namespace {

using Values = std::map<std::string, std::string>;

// Every value of a class-key subkey, as "sz:text" or "dword:number".
Values valuesOf(const std::string& subkey) {
  Values values;
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, (std::string(halviksim::kClassKey) + "\\" + subkey).c_str(), 0, KEY_READ,
                    &key) != ERROR_SUCCESS) {
    return values;
  }
  for (DWORD i = 0;; ++i) {
    char name[128];
    BYTE data[512] = {};
    DWORD nameLength = sizeof name, dataLength = sizeof data, type = 0;
    if (RegEnumValueA(key, i, name, &nameLength, nullptr, &type, data, &dataLength) != ERROR_SUCCESS) break;
    DWORD number = 0;
    std::memcpy(&number, data, sizeof number);
    values[name] = type == REG_DWORD ? "dword:" + std::to_string(number)
                                     : "sz:" + std::string(reinterpret_cast<const char*>(data));
  }
  RegCloseKey(key);
  return values;
}

std::string fileText(const std::string& path) {
  HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return "<missing>";
  std::string text(GetFileSize(h, nullptr), '\0');
  DWORD got = 0;
  ReadFile(h, text.data(), static_cast<DWORD>(text.size()), &got, nullptr);
  CloseHandle(h);
  return text;
}

using InstallerTest = HalviksimTest;

TEST_F(InstallerTest, WritesTheClassKeyLayoutOfADeviceAndOfAUnit) {
  EXPECT_EQ(valuesOf("0000"), (Values{{"CategoryType", "dword:2"},
                                      {"DeviceName", "sz:HVA1"},
                                      {"DriverDesc", "sz:Xan HVA-1632PE"},
                                      {"SymbolicName", "sz:\\DosDevices\\HVA1"},
                                      {"DeviceID", "sz:1"},
                                      {"ModuleID", "sz:0"},
                                      {"DeviceType", "dword:1"},
                                      {"FelnDeviceID", "sz:0"},
                                      {"BoardID", "sz:0"}}));
  Values unit = valuesOf("0003");
  EXPECT_EQ(unit["CategoryType"], "dword:8");
  EXPECT_EQ(unit["SymbolicName"], "sz:KB0");
  EXPECT_EQ(unit["DeviceType"], "dword:3");
  EXPECT_EQ(unit["CategoryType2"], "dword:2");
  EXPECT_EQ(unit["DeviceName2"], "sz:HVU02");
  EXPECT_EQ(unit["ModuleType2"], "sz:HVU-1608USB");
  EXPECT_EQ(unit.count("CategoryType1"), 0u);
  EXPECT_EQ(unit.size(), 9u + 2 * 3);

  EXPECT_EQ(halviksim::InstallDebugSwitch(), "0004");
  EXPECT_EQ(valuesOf("0004"), (Values{{"CategoryType", "dword:0"}, {"DeviceName", "sz:HALVIKDEBUG"}}));
}

TEST_F(InstallerTest, WritesAndRemovesTheVersionFiles) {
  ASSERT_TRUE(halviksim::InstallVersionFiles({"1, 2, 9, 9", "1, 2, 0, 0"}));
  char system[MAX_PATH];
  GetSystemDirectoryA(system, sizeof system);
  const std::string driver = std::string(system) + "\\drivers\\halvik.sys";
  const std::string library = std::string(system) + "\\halvik.dll";
  EXPECT_NE(fileText(driver), "<missing>");
  EXPECT_EQ(fileText(driver + ".version"),
            "Translation=0411 03a4\nFileVersion=1, 2, 9, 9\nProductVersion=1, 2, 9, 9\n");
  EXPECT_EQ(fileText(library + ".version"),
            "Translation=0411 03a4\nFileVersion=1, 2, 0, 0\nProductVersion=1, 2, 0, 0\n");
  ASSERT_TRUE(halviksim::RemoveVersionFiles());
  for (const std::string& path : {driver, driver + ".version", library, library + ".version"}) {
    EXPECT_EQ(GetFileAttributesA(path.c_str()), INVALID_FILE_ATTRIBUTES) << path;
  }
}

TEST_F(InstallerTest, ARescanFollowsTheRegistryWhileOpenHandlesKeepTheirDevice) {
  ASSERT_TRUE(halviksim::RemoveDevices());
  halviksim::Rescan();
  EXPECT_FALSE(halviksim::DeviceKnown("HVA1"));
  EXPECT_EQ(CreateFileA("\\\\.\\HVA1", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr), INVALID_HANDLE_VALUE);
  EXPECT_EQ(vmOpen(10, "HVM0", "0"), INVALID_HANDLE_VALUE);
  std::vector<unsigned char> block(halvikdrv::kDeviceBlockSize);
  EXPECT_TRUE(kernel(kernel_, halvikdrv::kRevision, block));
  std::vector<unsigned char> record(8);
  EXPECT_EQ(command(vmIo, 10, vm_, halvikdrv::kCmdAiStatus, record), 0u);
}

}  // namespace
