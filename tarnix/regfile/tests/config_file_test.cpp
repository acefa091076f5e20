// The configuration file against the registry: what the export writes
// byte for byte, that a refused file changes nothing, and that export,
// wipe and import give back the same registry.
#include <gtest/gtest.h>
#include <unistd.h>
#include <windows.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "regfile/config_file.h"
#include "../../../platform/kernel32/tests/full_disk.h"
#include "registry/registry_access.h"

namespace tarnix {
namespace {

constexpr const char* kServices = "SYSTEM\\CurrentControlSet\\Services";

class ConfigFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (std::filesystem::temp_directory_path() / "tarnix_regfile_XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    dir_ = pattern;
    ::setenv("ORVANE_REGISTRY", (dir_ + "/registry.sqlite").c_str(), 1);
    file_ = dir_ + "/config.reg";
  }
  void TearDown() override {
    ::unsetenv("ORVANE_REGISTRY");
    std::error_code ignored;
    std::filesystem::remove_all(dir_, ignored);
  }

  static void set(const std::string& key, const char* name, DWORD type, const void* data, DWORD size) {
    HKEY handle = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &handle,
                              nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExA(handle, name, 0, type, static_cast<const BYTE*>(data), size), ERROR_SUCCESS);
    RegCloseKey(handle);
  }
  static void setText(const std::string& key, const char* name, const std::string& text) {
    set(key, name, REG_SZ, text.c_str(), static_cast<DWORD>(text.size() + 1));
  }
  static void setNumber(const std::string& key, const char* name, DWORD value) {
    set(key, name, REG_DWORD, &value, sizeof value);
  }
  static std::string service(const char* name) { return std::string(kServices) + "\\" + name; }

  // Every key below Services with its values, in enumeration order.
  static std::string dump(const std::string& path = kServices) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return "";
    std::string out = "[" + path + "]\n";
    for (DWORD i = 0;; ++i) {
      char name[300];
      BYTE data[300];
      DWORD nameLength = sizeof name, size = sizeof data, type = 0;
      if (RegEnumValueA(key, i, name, &nameLength, nullptr, &type, data, &size) != ERROR_SUCCESS) break;
      out += std::string(name) + ":" + std::to_string(type) + ":" + std::string(reinterpret_cast<char*>(data), size) +
             "\n";
    }
    for (DWORD i = 0;; ++i) {
      char name[300];
      DWORD length = sizeof name;
      if (RegEnumKeyExA(key, i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
      out += dump(path + "\\" + name);
    }
    RegCloseKey(key);
    return out;
  }

  std::string read() const {
    std::ifstream in(file_, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  void write(const std::string& text) const { std::ofstream(file_, std::ios::binary) << text; }

  std::string dir_;
  std::string file_;
};

TEST_F(ConfigFileTest, TheExportWritesTheServiceKeysThatHoldValues) {
  setNumber(service("Gpidel2"), "Start", 2);
  setText(service("Gpidel2"), "DefineDir", "C:\\a \"b\"");
  const BYTE binary[] = {1, 2};
  set(service("Gpidel2") + "\\NoValues\\BoardNumber1", "Raw", REG_BINARY, binary, sizeof binary);
  setNumber(service("Gpidel2") + "\\ENUM", "Count", 1);
  setNumber(service("Gpidel2") + "\\security", "Count", 1);
  setNumber(service("Moddel00"), "Start", 2);  // kind 10: not in the file
  setText(service("Other"), "Start", "x");
  ASSERT_EQ(ExportConfigFile(file_.c_str()), 0);
  EXPECT_EQ(read(),
            "REGEDIT4\r\n\r\n"
            "[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\Gpidel2]\r\n"
            "\"Start\"=dword:00000002\r\n"
            "\"DefineDir\"=\"C:\\\\a \\\"b\\\"\"\r\n\r\n"
            "[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\Gpidel2\\NoValues\\BoardNumber1]\r\n\r\n");
}

TEST_F(ConfigFileTest, AFileThatCannotBeWrittenOrReadSaysSo) {
  EXPECT_EQ(ExportConfigFile(nullptr), 1);
  EXPECT_EQ(ExportConfigFile(""), 1);
  EXPECT_EQ(ExportConfigFile((dir_ + "/missing/config.reg").c_str()), 4);
  EXPECT_EQ(ImportConfigFile(nullptr), 1);
  EXPECT_EQ(ImportConfigFile((dir_ + "/missing.reg").c_str()), 4);
}

TEST_F(ConfigFileTest, ADrivePathIsTheSameFileFromAnyCurrentFolder) {
  const std::string root = dir_ + "/root";
  for (const char* folder : {"/root/c", "/first", "/second"}) std::filesystem::create_directories(dir_ + folder);
  ::setenv("ORVANE_ROOT", root.c_str(), 1);
  const std::filesystem::path start = std::filesystem::current_path();
  setNumber(service("Gpidel2"), "Start", 2);
  const std::string before = dump();
  std::filesystem::current_path(dir_ + "/first");
  const int32_t saved = ExportConfigFile("C:\\cfg.reg");
  RegDeleteTreeA(HKEY_LOCAL_MACHINE, service("Gpidel2").c_str());
  std::filesystem::current_path(dir_ + "/second");
  const int32_t loaded = ImportConfigFile("C:\\cfg.reg");
  std::filesystem::current_path(start);
  ::unsetenv("ORVANE_ROOT");
  EXPECT_EQ(saved, 0);
  EXPECT_EQ(loaded, 0);
  EXPECT_TRUE(std::filesystem::exists(root + "/c/cfg.reg"));
  EXPECT_TRUE(std::filesystem::is_empty(dir_ + "/first"));
  EXPECT_EQ(dump(), before);
}

TEST_F(ConfigFileTest, AFullDiskKeepsTheOldFileAndSaysSo) {
  write("REGEDIT4\r\n\r\n");
  // More than the disk takes: a hundred long values.
  for (int i = 0; i < 100; ++i) setText(service("Gpidel2"), ("Value" + std::to_string(i)).c_str(), std::string(80, 'x'));
  int32_t result = 0;
  {
    FullDiskAfter guard(4096);
    result = ExportConfigFile(file_.c_str());
  }
  EXPECT_EQ(result, 4);
  EXPECT_EQ(read(), "REGEDIT4\r\n\r\n");
  for (const auto& entry : std::filesystem::directory_iterator(dir_)) {
    EXPECT_EQ(entry.path().string().rfind(file_ + ".", 0), std::string::npos) << "left behind: " << entry.path();
  }
}

TEST_F(ConfigFileTest, AFileWithoutTheHeaderChangesNothing) {
  setNumber(service("Serdel"), "BoardNum", 1);
  setText(service("Serdel") + "\\BoardNumber1", "BoardName", "COM1");
  const std::string before = dump();
  for (const std::string& file :
       {std::string(""), std::string("\x7f" "ELF\x02\x01", 6),
        std::string("[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\Serdel]\r\n\"BoardNum\"=dword:00000005\r\n")}) {
    write(file);
    EXPECT_EQ(ImportConfigFile(file_.c_str()), 4);
    EXPECT_EQ(dump(), before);
  }
}

TEST_F(ConfigFileTest, ExportWipeAndImportGiveBackTheSameRegistry) {
  setText(service("Morvel03"), "Group", "Extended Base");
  setNumber(service("Morvel03"), "GroupNum", 1);
  setNumber(service("Morvel03") + "\\GroupNumber1", "IrqNo", 0xFFFFFFFF);
  setText(service("Morvel03") + "\\GroupNumber1\\BoardNumber1", "BoardName", "back\\slash \"quoted\"");
  setNumber(service("Morvel03") + "\\GroupNumber1\\BoardNumber1", "IoAddress", 0x300);
  setNumber(service("Digdel01"), "Start", 4);
  setText(service("Tarnix"), "Group", "Extended Base");
  const std::string before = dump();
  ASSERT_EQ(ExportConfigFile(file_.c_str()), 0);
  for (const char* name : {"Morvel03", "Digdel01", "Tarnix"}) RegDeleteTreeA(HKEY_LOCAL_MACHINE, service(name).c_str());
  ASSERT_EQ(ImportConfigFile(file_.c_str()), 0);
  EXPECT_EQ(dump(), before);
}

}  // namespace
}  // namespace tarnix
