#include <shellapi.h>

#include <filesystem>

#include "kernel32/tests/temp_root.h"

namespace {

class ShellDelete : public TempRootTest {
 protected:
  int remove(const char* list, UINT func = FO_DELETE) {
    SHFILEOPSTRUCTA op{};
    op.wFunc = func;
    op.pFrom = list;
    op.fFlags = FOF_SILENT | FOF_NOCONFIRMATION | FOF_NOERRORUI;
    return SHFileOperationA(&op);
  }
  bool exists(const std::string& linuxPath) const { return std::filesystem::exists(root_ + linuxPath); }
};

TEST_F(ShellDelete, RemovesEveryListedTreeAndRefusesWhatItMustNot) {
  writeFile(root_ + "/c/cam/BMP/CAP0000000001.bmp", "x");
  writeFile(root_ + "/c/cam/BMP/deep/more.bmp", "y");
  writeFile(root_ + "/c/cam/keep.txt", "z");
  writeFile(root_ + "/c/other.txt", "o");
  // Two names, one in other case and a slash, ended by the double NUL.
  EXPECT_EQ(remove("C:\\CAM\\bmp\0C:/other.txt\0"), 0);
  EXPECT_FALSE(exists("/c/cam/BMP"));
  EXPECT_FALSE(exists("/c/other.txt"));
  EXPECT_TRUE(exists("/c/cam/keep.txt"));

  struct Case {
    const char* list;
    UINT func;
    int result;
  };
  const Case refused[] = {
      {"C:\\cam\\BMP\0", FO_DELETE, ERROR_FILE_NOT_FOUND},
      {"C:\\\0", FO_DELETE, ERROR_ACCESS_DENIED},
      {"C:\\cam\0", FO_COPY, ERROR_CALL_NOT_IMPLEMENTED},
  };
  for (const Case& c : refused) EXPECT_EQ(remove(c.list, c.func), c.result) << c.list;
  EXPECT_TRUE(exists("/c/cam/keep.txt"));
  EXPECT_EQ(SHFileOperationA(nullptr), ERROR_INVALID_PARAMETER);
}

}  // namespace
