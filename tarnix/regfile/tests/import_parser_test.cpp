// What the reader takes from a configuration file, and what it refuses.
#include <gtest/gtest.h>

#include <string>

#include "regfile/import_parser.h"

namespace tarnix {
namespace {

constexpr const char* kKey = "[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\Gpidel1]\r\n";

struct Case {
  const char* what;
  std::string file;
  bool accepted;
  bool skipped;
  int writes;
};

std::string boardName(std::size_t length) { return "\"boardname\"=\"" + std::string(length, 'b') + "\"\r\n"; }

TEST(ImportParser, RefusesAFileWithoutTheHeaderAndSkipsBadLines) {
  const std::string longName(256, 'n');
  const std::string base = "SYSTEM\\CurrentControlSet\\Services\\Serdel\\";
  const std::string longKey = "[HKEY_LOCAL_MACHINE\\" + base + std::string(255 - base.size(), 'k') + "]\n";
  const Case cases[] = {
      {"empty", "", false, false, 0},
      {"another format", "REGEDIT5\r\n\r\n" + std::string(kKey) + "\"A\"=dword:00000001\r\n", false, false, 0},
      {"header not first", "\r\nREGEDIT4\r\n", false, false, 0},
      {"header only", "REGEDIT4\r\n\r\n", true, false, 0},
      {"comments and blanks", "REGEDIT4\n; a note\n\n   \n", true, false, 0},
      {"no final line end", "REGEDIT4\n" + std::string(kKey) + "\"A\"=dword:00000001", true, false, 1},
      {"a line longer than 254 is one line", "REGEDIT4\n" + longKey + "\"A\"=\"x\"\n", true, false, 1},
      {"a key path too long", "REGEDIT4\n" + std::string(longKey).insert(longKey.size() - 2, "k") + "\"A\"=\"x\"\n", true, true, 0},
      {"value before a key", "REGEDIT4\r\n\"A\"=dword:00000001\r\n", true, true, 0},
      {"a key outside the services",
       "REGEDIT4\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Other]\r\n\"A\"=dword:00000001\r\n", true, true, 0},
      {"a short key line", "REGEDIT4\r\n[HK]\r\n\"A\"=dword:00000001\r\n", true, true, 0},
      {"no closing bracket", "REGEDIT4\r\n" + std::string(kKey).substr(0, 60) + "\r\n\"A\"=\"x\"\r\n", true, true, 0},
      {"an Enum tree",
       "REGEDIT4\r\n[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\Gpidel1\\Enum]\r\n\"A\"=\"x\"\r\n",
       true, true, 0},
      {"an empty path part",
       "REGEDIT4\r\n[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\Gpidel1\\\\X]\r\n\"A\"=\"x\"\r\n", true,
       true, 0},
      {"a later good key is taken",
       "REGEDIT4\r\n[HK]\r\n\"A\"=\"x\"\r\n" + std::string(kKey) + "\"A\"=\"x\"\r\n", true, true, 1},
      {"one hex digit", "REGEDIT4\r\n" + std::string(kKey) + "\"BoardNum\"=dword:A\r\n", true, true, 0},
      {"not a hex digit", "REGEDIT4\r\n" + std::string(kKey) + "\"BoardNum\"=dword:0000000G\r\n", true, true, 0},
      {"no closing quote", "REGEDIT4\r\n" + std::string(kKey) + "\"A\"=\"text\r\n", true, true, 0},
      {"an escaped last quote", "REGEDIT4\r\n" + std::string(kKey) + "\"A\"=\"text\\\"\r\n", true, true, 0},
      {"text after the closing quote", "REGEDIT4\r\n" + std::string(kKey) + "\"A\"=\"t\"x\r\n", true, true, 0},
      {"a binary value", "REGEDIT4\r\n" + std::string(kKey) + "\"A\"=hex:01,02\r\n", true, true, 0},
      {"a name too long", "REGEDIT4\r\n" + std::string(kKey) + "\"" + longName + "\"=\"x\"\r\n", true, true, 0},
      {"a text too long", "REGEDIT4\r\n" + std::string(kKey) + "\"A\"=\"" + longName + "\"\r\n", true, true, 0},
      {"a board name that fits", "REGEDIT4\r\n" + std::string(kKey) + boardName(51), true, false, 1},
      {"a board name one too long", "REGEDIT4\r\n" + std::string(kKey) + boardName(52), true, true, 0},
      {"a board name two too long", "REGEDIT4\r\n" + std::string(kKey) + boardName(53), true, true, 0},
      {"a board name of the longest text", "REGEDIT4\r\n" + std::string(kKey) + boardName(255), true, true, 0},
      {"a NUL in a line", "REGEDIT4\r\n" + std::string(kKey) + std::string("\"A\"=\"a\0b\"\r\n", 12), true, true, 0},
  };
  for (const Case& c : cases) {
    const ParsedConfigFile parsed = ParseConfigFile(c.file);
    EXPECT_EQ(parsed.accepted, c.accepted) << c.what;
    EXPECT_EQ(parsed.skipped, c.skipped) << c.what;
    EXPECT_EQ(parsed.writes.size(), static_cast<std::size_t>(c.writes)) << c.what;
  }
}

TEST(ImportParser, ReadsTextsWithEscapesAndNumbersInEitherCase) {
  const ParsedConfigFile parsed = ParseConfigFile(
      "REGEDIT4\r\n\r\n[hkey_local_machine\\system\\currentcontrolset\\services\\TARNIX\\BoardNumber1]\r\n"
      "\"DefineDir\"=\"C:\\\\dir \\\"q\\\" \\n\"\r\n\"BoardNum\"=dword:0000000A\r\n\"IrqNo\"=dword:FFFFFFFF\r\n"
      "\"\"=\"\"\r\n");
  ASSERT_EQ(parsed.writes.size(), 4u);
  EXPECT_FALSE(parsed.skipped);
  EXPECT_EQ(parsed.writes[0].key, "system\\currentcontrolset\\services\\TARNIX\\BoardNumber1");
  EXPECT_EQ(parsed.writes[0].name, "DefineDir");
  EXPECT_EQ(parsed.writes[0].type, 1);
  EXPECT_EQ(parsed.writes[0].text, "C:\\dir \"q\" \\n");
  EXPECT_EQ(parsed.writes[1].type, 4);
  EXPECT_EQ(parsed.writes[1].value, 10);
  EXPECT_EQ(parsed.writes[2].value, -1);
  EXPECT_EQ(parsed.writes[3].name, "");
}

TEST(ImportParser, TakesTheServiceKeysOfEveryKindsDriversOfEitherFamily) {
  for (const char* service : {"Serdel", "Morvel00", "Morvel55", "Digdel06", "Gpidel4", "Cntdel05", "Stpdel01",
                              "Comdel", "Comdelpn", "Tarnix"}) {
    EXPECT_TRUE(IsImportableKey(std::string("SYSTEM\\CurrentControlSet\\Services\\") + service)) << service;
  }
  for (const char* path : {"SYSTEM\\CurrentControlSet\\Services", "SYSTEM\\CurrentControlSet\\Services\\Moddel00",
                           "SYSTEM\\CurrentControlSet\\Services\\Xan", "SYSTEM\\CurrentControlSet\\Services\\Morvel31",
                           "SYSTEM\\ControlSet001\\Services\\Serdel", "SYSTEM\\CurrentControlSet\\Services\\Serdel\\",
                           "SYSTEM\\CurrentControlSet\\Services\\Serdel\\SECURITY"}) {
    EXPECT_FALSE(IsImportableKey(path)) << path;
  }
}

}  // namespace
}  // namespace tarnix
