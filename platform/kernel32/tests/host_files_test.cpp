// C-runtime opens by drive path and whole-file replacement.
#include <platform/host_files.h>
#include <windows.h>

#include <filesystem>

#include "full_disk.h"
#include "temp_root.h"

class HostFiles : public TempRootTest {};

TEST_F(HostFiles, DrivePathsOpenUnderTheRootFromAnyCurrentFolder) {
  writeFile(root_ + "/c/Data/Run.csv", "1,2\n");
  plat::CFile in = plat::OpenFile("c:\\DATA\\run.CSV", "rb");
  ASSERT_TRUE(in);
  char text[8] = {};
  EXPECT_EQ(std::fread(text, 1, sizeof text, in.get()), 4u);
  EXPECT_STREQ(text, "1,2\n");
  EXPECT_FALSE(std::filesystem::exists("c:\\DATA\\run.CSV")) << "nothing made in the current folder";

  EXPECT_FALSE(plat::OpenFile("C:\\missing\\a.csv", "rb"));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
  EXPECT_FALSE(plat::OpenFile(nullptr, "rb"));
  EXPECT_EQ(plat::HostPath("C:\\x\\y.reg"), root_ + "/c/x/y.reg");
}

TEST_F(HostFiles, AWholeFileReplacesTheOldOneOrLeavesItUntouched) {
  writeFile(root_ + "/c/cfg.reg", "old content");
  const std::string fresh = "new content, longer than the old";
  ASSERT_TRUE(plat::WriteWholeFile("C:\\cfg.reg", fresh.data(), fresh.size()));
  EXPECT_EQ(readFile(root_ + "/c/cfg.reg"), fresh);

  const std::string large(20000, 'x');
  {
    FullDiskAfter full(4096);
    EXPECT_FALSE(plat::WriteWholeFile("C:\\cfg.reg", large.data(), large.size()));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_DISK_FULL));
  }
  EXPECT_EQ(readFile(root_ + "/c/cfg.reg"), fresh);
  EXPECT_FALSE(plat::WriteWholeFile("C:\\no folder\\a.reg", "x", 1));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(root_ + "/c"), {}), 1) << "no temporary left";
}
