#include <windows.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

namespace {

class ScopedWinVer {
 public:
  explicit ScopedWinVer(const char* value) {
    if (value) setenv("ORVANE_WINVER", value, 1);
    else unsetenv("ORVANE_WINVER");
  }
  ~ScopedWinVer() { unsetenv("ORVANE_WINVER"); }
};

OSVERSIONINFOA askVersion() {
  OSVERSIONINFOA info;
  std::memset(&info, 0x5A, sizeof info);
  info.dwOSVersionInfoSize = sizeof info;
  EXPECT_TRUE(GetVersionExA(&info));
  return info;
}

}  // namespace

TEST(Version, DefaultsToNtFiveOne) {
  ScopedWinVer none(nullptr);
  OSVERSIONINFOA info = askVersion();
  EXPECT_EQ(info.dwPlatformId, static_cast<DWORD>(VER_PLATFORM_WIN32_NT));
  EXPECT_EQ(info.dwMajorVersion, 5u);
  EXPECT_EQ(info.dwMinorVersion, 1u);
  EXPECT_EQ(info.dwBuildNumber, 2600u);
  EXPECT_EQ(info.szCSDVersion[0], '\0');
}

TEST(Version, OverrideIsReadAtEachCall) {
  struct Case {
    const char* text;
    DWORD platform, major, minor, build;
  } cases[] = {
      {"1:4.10", 1, 4, 10, 0},
      {"1:4.90", 1, 4, 90, 0},
      {"2:5.2", 2, 5, 2, 0},
      {"2:6.1.7601", 2, 6, 1, 7601},
      // Malformed values leave the default.
      {"", 2, 5, 1, 2600},
      {"2:5", 2, 5, 1, 2600},
      {"3:5.2", 2, 5, 1, 2600},
      {"2:5.2x", 2, 5, 1, 2600},
      {"x:4.10", 2, 5, 1, 2600},
      {"1:-4.10", 2, 5, 1, 2600},
  };
  for (const Case& c : cases) {
    ScopedWinVer version(c.text);
    OSVERSIONINFOA info = askVersion();
    EXPECT_EQ(info.dwPlatformId, c.platform) << c.text;
    EXPECT_EQ(info.dwMajorVersion, c.major) << c.text;
    EXPECT_EQ(info.dwMinorVersion, c.minor) << c.text;
    EXPECT_EQ(info.dwBuildNumber, c.build) << c.text;
  }
}

TEST(Version, PackedFormCarriesTheSameSettingAndMarksTheNonNtFamily) {
  struct Case {
    const char* text;
    DWORD packed;
  } cases[] = {{nullptr, 0x0A280105u}, {"1:4.0", 0x80000004u}, {"1:4.10", 0x80000A04u}, {"2:4.0.1381", 0x05650004u}};
  for (const Case& c : cases) {
    ScopedWinVer version(c.text);
    EXPECT_EQ(GetVersion(), c.packed) << (c.text ? c.text : "default");
  }
}

TEST(CommandLine, TheSettingStandsInForTheProcessArguments) {
  unsetenv("ORVANE_COMMAND_LINE");
  std::string own = GetCommandLineA();
  EXPECT_NE(own.find("platform_kernel32_tests"), std::string::npos) << own;
  setenv("ORVANE_COMMAND_LINE", "\"C:\\Prog Files\\Setconfig.exe\" /s", 1);
  EXPECT_STREQ(GetCommandLineA(), "\"C:\\Prog Files\\Setconfig.exe\" /s");
  unsetenv("ORVANE_COMMAND_LINE");
}

TEST(Version, RefusesASmallOrMissingRecord) {
  OSVERSIONINFOA info{};
  info.dwOSVersionInfoSize = sizeof info - 1;
  SetLastError(0);
  EXPECT_FALSE(GetVersionExA(&info));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
  EXPECT_EQ(info.dwMajorVersion, 0u);
  EXPECT_FALSE(GetVersionExA(nullptr));
}

TEST(SystemInfo, DescribesThisMachineAsX86) {
  SYSTEM_INFO info;
  std::memset(&info, 0x5A, sizeof info);
  GetSystemInfo(&info);
  EXPECT_EQ(info.wProcessorArchitecture, PROCESSOR_ARCHITECTURE_INTEL);
  EXPECT_EQ(info.dwPageSize, 4096u);
  EXPECT_GE(info.dwNumberOfProcessors, 1u);
  EXPECT_EQ(info.dwNumberOfProcessors, static_cast<DWORD>(sysconf(_SC_NPROCESSORS_ONLN)));
  EXPECT_NE(info.dwActiveProcessorMask, 0u);
  EXPECT_EQ(info.dwProcessorType, static_cast<DWORD>(PROCESSOR_INTEL_PENTIUM));
  GetSystemInfo(nullptr);
}

TEST(ComputerName, ReportsTheSizeNeededThenTheName) {
  DWORD size = 0;
  SetLastError(0);
  EXPECT_FALSE(GetComputerNameA(nullptr, &size));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_BUFFER_OVERFLOW));
  ASSERT_GE(size, 2u);
  ASSERT_LE(size, MAX_COMPUTERNAME_LENGTH + 1u);

  char name[MAX_COMPUTERNAME_LENGTH + 1];
  DWORD small = size - 1;
  EXPECT_FALSE(GetComputerNameA(name, &small));
  EXPECT_EQ(small, size);

  DWORD length = sizeof name;
  ASSERT_TRUE(GetComputerNameA(name, &length));
  EXPECT_EQ(length, size - 1);
  EXPECT_EQ(std::strlen(name), length);
  for (char c : std::string(name)) EXPECT_FALSE(c >= 'a' && c <= 'z') << name;
  EXPECT_FALSE(GetComputerNameA(name, nullptr));
}
