#include "trace_log_header.h"

#include <gtest/gtest.h>
#include <unistd.h>
#include <windows.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

namespace fs = std::filesystem;
using namespace halvik;

class TraceLogHeaderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/halvik_header_XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    dir_ = pattern;
    ::setenv("ORVANE_ROOT", dir_.c_str(), 1);
    // A store of its own: an earlier fixture's may name a folder gone by now.
    ::setenv("ORVANE_REGISTRY", (dir_ + "/registry.sqlite").c_str(), 1);
    fs::create_directories(dir_ + "/c/Windows/System32/Drivers");
  }
  void TearDown() override {
    ::unsetenv("ORVANE_ROOT");
    ::unsetenv("ORVANE_REGISTRY");
    fs::remove_all(dir_);
  }
  void place(const std::string& file, const char* version) {
    std::ofstream(file) << "code";
    if (version != nullptr) std::ofstream(file + ".version") << "Translation=0409 04b0\nFileVersion=" << version << "\n";
  }
  static void device(const char* key, const char* name, DWORD type, const char* extra) {
    HKEY k = nullptr;
    std::string path = std::string("SYSTEM\\CurrentControlSet\\Services\\HALVIK\\Devices\\") + key;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr),
              ERROR_SUCCESS);
    auto text = [&](const char* value, const char* data) {
      RegSetValueExA(k, value, 0, REG_SZ, reinterpret_cast<const BYTE*>(data), static_cast<DWORD>(strlen(data) + 1));
    };
    text("DeviceName", name);
    RegSetValueExA(k, "DeviceType", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&type), sizeof type);
    text("Unlisted", "x");
    text("SymbolicName", "\\DosDevices\\HALVIK0");
    text("DeviceID", "1");
    text("ModuleID", "2a");
    text("BoardID", "0");
    text(extra, "HVA-1632PE");
    text("FelnDeviceID", "0");
    RegCloseKey(k);
  }
  // The header after its fixed lines.
  static std::string tail() {
    std::string all;
    WriteTraceLogHeader("halvik.log", [&](std::string_view text) { all += text; });
    size_t cpu = all.find("- cpu ");
    EXPECT_NE(cpu, std::string::npos);
    return all.substr(all.find("\r\n", cpu) + 2);
  }
  std::string dir_;
};

TEST_F(TraceLogHeaderTest, VersionLinesThenTheRegisteredDevices) {
  EXPECT_EQ(tail(), "") << "no library file: the header ends";
  place(dir_ + "/c/Windows/System32/HALVIK.DLL", "1, 2, 0, 0");
  place(dir_ + "/c/Windows/System32/Drivers/halvik.SYS", nullptr);
  EXPECT_EQ(tail(), "- halvik.dll version     : 1, 2, 0, 0\r\n") << "a driver without version data ends it";

  place(dir_ + "/c/Windows/System32/Drivers/halvik.SYS", "1, 2, 9, 9");
  device("0000", "XAN001", 0x10001, "BoardName");
  device("0001", "HALVIKDEBUG", 0xFFFF, "Comment");
  EXPECT_EQ(tail(),
            "- halvik.dll version     : 1, 2, 0, 0\r\n"
            "- halvik.sys version     : 1, 2, 9, 9\r\n"
            "- registry information : \r\n"
            "  [Device 1]\r\n"
            "  DeviceName   : XAN001\r\n"
            "  DeviceType   : 1\r\n"
            "  SymbolicName : \\DosDevices\\HALVIK0\r\n"
            "  DeviceID     : 1\r\n"
            "  ModuleID     : 2a\r\n"
            "  BoardID      : 0\r\n"
            "  BoardName    : HVA-1632PE\r\n"
            "  FelnDeviceID : 0\r\n"
            "\r\n"
            "  [Device 2]\r\n"
            "  DeviceName   : HALVIKDEBUG\r\n"
            "  DeviceType   : -1\r\n"
            "  SymbolicName : \\DosDevices\\HALVIK0\r\n"
            "  DeviceID     : 1\r\n"
            "  ModuleID     : 2a\r\n"
            "  BoardID      : 0\r\n"
            "  FelnDeviceID : 0\r\n"
            "\r\n");
}

}  // namespace
