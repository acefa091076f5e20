// The path mapping is internal to the library, so the test builds its own
// copy of it.
#include "kernel32/paths.cpp"
#include "kernel32/errno_map.cpp"

#include "temp_root.h"

using plat::driveRoot;
using plat::mapWindowsPath;

class Paths : public TempRootTest {};

TEST_F(Paths, DriveLettersMapUnderTheRoot) {
  EXPECT_EQ(driveRoot(), root_);
  EXPECT_EQ(mapWindowsPath("C:\\Rukbase\\DEFAULT.CAL"), root_ + "/c/Rukbase/DEFAULT.CAL");
  EXPECT_EQ(mapWindowsPath("d:\\x"), root_ + "/d/x");
  EXPECT_EQ(mapWindowsPath("C:\\"), root_ + "/c");
  EXPECT_EQ(mapWindowsPath("C:"), root_ + "/c");
  EXPECT_EQ(mapWindowsPath("\\Rukbase\\a.ini"), root_ + "/c/Rukbase/a.ini") << "no drive: drive C";
  EXPECT_EQ(mapWindowsPath("\\\\?\\C:\\long\\name"), root_ + "/c/long/name");
  EXPECT_EQ(mapWindowsPath("C:/mixed\\slashes/"), root_ + "/c/mixed/slashes");
}

TEST_F(Paths, DotsAreAppliedAndNeverClimbAboveTheDrive) {
  EXPECT_EQ(mapWindowsPath("C:\\a\\.\\b\\..\\c"), root_ + "/c/a/c");
  EXPECT_EQ(mapWindowsPath("C:\\..\\..\\etc\\passwd"), root_ + "/c/etc/passwd");
}

TEST_F(Paths, ExistingComponentsAreFoundWithoutRegardToCase) {
  writeFile(root_ + "/c/Rukbase/Debug/Property.ini", "x");
  writeFile(root_ + "/c/Rukbase/halvik.sys", "x");
  EXPECT_EQ(mapWindowsPath("c:\\RUKBASE\\debug\\PROPERTY.INI"), root_ + "/c/Rukbase/Debug/Property.ini");
  EXPECT_EQ(mapWindowsPath("C:\\rukbase\\halvik.SYS"), root_ + "/c/Rukbase/halvik.sys");
  // A missing component and everything below it stay as written.
  EXPECT_EQ(mapWindowsPath("C:\\rukbase\\New Folder\\A.TXT"), root_ + "/c/Rukbase/New Folder/A.TXT");
}

TEST_F(Paths, AnExactMatchWinsOverOtherCases) {
  writeFile(root_ + "/c/data/Log.txt", "1");
  writeFile(root_ + "/c/data/LOG.TXT", "2");
  EXPECT_EQ(mapWindowsPath("C:\\data\\LOG.TXT"), root_ + "/c/data/LOG.TXT");
  EXPECT_EQ(mapWindowsPath("C:\\data\\Log.txt"), root_ + "/c/data/Log.txt");
  std::string other = mapWindowsPath("C:\\data\\log.TXT");
  EXPECT_TRUE(other == root_ + "/c/data/Log.txt" || other == root_ + "/c/data/LOG.TXT") << other;
}

TEST_F(Paths, RelativePathsStartAtTheCurrentDirectory) {
  writeFile(dir_ + "/cwd/Sub/File.Dat", "x");
  EXPECT_EQ(mapWindowsPath("sub\\file.dat"), dir_ + "/cwd/Sub/File.Dat");
  EXPECT_EQ(mapWindowsPath(".\\SUB"), dir_ + "/cwd/Sub");
  EXPECT_EQ(mapWindowsPath("..\\cwd\\sub"), dir_ + "/cwd/Sub");
}

TEST_F(Paths, LinuxPathsStayAndMixedOnesMap) {
  EXPECT_EQ(mapWindowsPath("/tmp/Some/Where"), "/tmp/Some/Where");
  writeFile(dir_ + "/cwd/Sub/File.Dat", "x");
  // A Linux current directory with a Windows tail appended.
  EXPECT_EQ(mapWindowsPath(dir_ + "/cwd\\SUB\\file.dat"), dir_ + "/cwd/Sub/File.Dat");
  EXPECT_EQ(mapWindowsPath(""), "");
}

TEST_F(Paths, RootDefaultsToTheUserDataFolder) {
  struct RestoreHome {
    std::string home = std::getenv("HOME") ? std::getenv("HOME") : "";
    ~RestoreHome() { ::setenv("HOME", home.c_str(), 1); }
  } restore;
  ::unsetenv("ORVANE_ROOT");
  ::setenv("XDG_DATA_HOME", (dir_ + "/xdg/").c_str(), 1);
  EXPECT_EQ(driveRoot(), dir_ + "/xdg/orvane");
  ::unsetenv("XDG_DATA_HOME");
  ::setenv("HOME", (dir_ + "/home").c_str(), 1);
  EXPECT_EQ(driveRoot(), dir_ + "/home/.local/share/orvane");
}

TEST(ProgramFolder, IsTheFolderOfTheRunningProgram) {
  std::string folder = plat::programFolder();
  std::string exe = std::filesystem::read_symlink("/proc/self/exe").string();
  EXPECT_EQ(exe.substr(0, exe.rfind('/')), folder);
}
