#include <windows.h>

#include <cstring>
#include <vector>

#include "kernel32/tests/temp_root.h"

namespace {

class FileVersion : public TempRootTest {
 protected:
  // The block of a Windows file name, empty when there is none.
  static std::vector<BYTE> block(const char* name) {
    DWORD handle = 7;
    DWORD size = GetFileVersionInfoSizeA(name, &handle);
    EXPECT_EQ(handle, 0u);
    if (size == 0) return {};
    std::vector<BYTE> data(size);
    EXPECT_TRUE(GetFileVersionInfoA(name, 0, size, data.data()));
    return data;
  }
  static std::string text(const std::vector<BYTE>& data, const char* subBlock) {
    void* value = nullptr;
    UINT length = 0;
    if (!VerQueryValueA(data.data(), subBlock, &value, &length)) return "<none>";
    EXPECT_EQ(length, std::strlen(static_cast<char*>(value)) + 1) << subBlock;
    return static_cast<char*>(value);
  }
};

TEST_F(FileVersion, ReadsTheSidecarFoundWithoutRegardToCase) {
  writeFile(root_ + "/c/Sys/halvik.dll", "code");
  writeFile(root_ + "/c/Sys/HALVIK.DLL.Version",
            "Translation=0411 03a4 0409 04B0\r\nFileVersion=1, 2, 0, 0\r\nnot a value\r\nProductVersion=a=b\r\n");
  std::vector<BYTE> data = block("c:\\SYS\\Halvik.DLL");
  ASSERT_FALSE(data.empty());

  WORD* pairs = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueA(data.data(), "\\VarFileInfo\\Translation", reinterpret_cast<void**>(&pairs), &length));
  ASSERT_EQ(length, 8u);
  EXPECT_EQ(std::vector<WORD>(pairs, pairs + 4), (std::vector<WORD>{0x0411, 0x03a4, 0x0409, 0x04b0}));

  const struct {
    const char* subBlock;
    const char* expected;
  } cases[] = {
      {"\\StringFileInfo\\041103a4\\FileVersion", "1, 2, 0, 0"},
      {"\\stringfileinfo\\040904B0\\FILEVERSION", "1, 2, 0, 0"},
      {"\\StringFileInfo\\041103a4\\ProductVersion", "a=b"},
      {"\\StringFileInfo\\041104b0\\FileVersion", "<none>"},  // no such translation
      {"\\StringFileInfo\\041103a4\\Comments", "<none>"},
      {"\\StringFileInfo\\0411\\FileVersion", "<none>"},
      {"\\StringFileInfo\\041103a4\\", "<none>"},
      {"\\", "<none>"},
  };
  for (const auto& c : cases) EXPECT_EQ(text(data, c.subBlock), c.expected) << c.subBlock;

  // The block holds no pointers: a copy answers alike.
  std::vector<BYTE> copy = data;
  data.assign(data.size(), 0);
  EXPECT_EQ(text(copy, "\\StringFileInfo\\041103a4\\FileVersion"), "1, 2, 0, 0");
  EXPECT_EQ(text(data, "\\StringFileInfo\\041103a4\\FileVersion"), "<none>");
}

TEST_F(FileVersion, FilesWithoutVersionDataAndShortBuffersAreRefused) {
  writeFile(root_ + "/c/plain.sys", "code");
  writeFile(root_ + "/c/bad.sys", "code");
  writeFile(root_ + "/c/bad.sys.version", "Translation=0411\nFileVersion=1, 0\n");
  const struct {
    const char* name;
    DWORD error;
  } missing[] = {{"C:\\absent.sys", ERROR_FILE_NOT_FOUND},
                 {"C:\\plain.sys", ERROR_RESOURCE_DATA_NOT_FOUND},
                 {nullptr, ERROR_PATH_NOT_FOUND}};
  for (const auto& c : missing) {
    SetLastError(0);
    EXPECT_EQ(GetFileVersionInfoSizeA(c.name, nullptr), 0u);
    EXPECT_EQ(GetLastError(), c.error) << (c.name ? c.name : "NULL");
  }

  // An odd translation line names no translation; the strings stay.
  std::vector<BYTE> data = block("C:\\bad.sys");
  ASSERT_FALSE(data.empty());
  void* value = nullptr;
  UINT length = 0;
  EXPECT_FALSE(VerQueryValueA(data.data(), "\\VarFileInfo\\Translation", &value, &length));

  std::vector<BYTE> shortBuffer(data.size() - 1, 0xEE);
  EXPECT_FALSE(GetFileVersionInfoA("C:\\bad.sys", 0, static_cast<DWORD>(shortBuffer.size()), shortBuffer.data()));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
  EXPECT_EQ(shortBuffer, std::vector<BYTE>(data.size() - 1, 0xEE));
}

}  // namespace
