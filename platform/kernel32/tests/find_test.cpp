#include <windows.h>

#include <vector>

#include "temp_root.h"

namespace {

class Find : public TempRootTest {
 protected:
  void SetUp() override {
    TempRootTest::SetUp();
    for (const char* name : {"DEFAULT.CAL", "other.cal", "CAP01.bmp", "cap22.BMP", "CAP123.bmp", "readme",
                             "notes.txt"}) {
      writeFile(root_ + "/c/Data/" + name, "12345");
    }
    std::filesystem::create_directories(root_ + "/c/Data/Sub");
  }

  // The names a pattern lists, in listing order; empty with the error kept.
  static std::vector<std::string> list(const char* pattern) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA(pattern, &data);
    if (find == INVALID_HANDLE_VALUE) return names;
    do {
      names.push_back(data.cFileName);
    } while (FindNextFileA(find, &data));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_MORE_FILES));
    EXPECT_TRUE(FindClose(find));
    return names;
  }
  using Names = std::vector<std::string>;
};

TEST_F(Find, PatternsMatchWithoutRegardToCase) {
  EXPECT_EQ(list("C:\\data\\*.CAL"), (Names{"DEFAULT.CAL", "other.cal"}));
  EXPECT_EQ(list("C:\\DATA\\CAP??.bmp"), (Names{"CAP01.bmp", "cap22.BMP"}));
  EXPECT_EQ(list("c:\\data\\default.cal"), (Names{"DEFAULT.CAL"})) << "no wildcard: one name";
  EXPECT_EQ(list("C:\\data\\read*."), (Names{"readme"})) << "a final dot: no extension";
}

TEST_F(Find, StarAndStarDotStarListEverythingWithDotsFirst) {
  Names all{".", "..", "CAP01.bmp", "CAP123.bmp", "cap22.BMP", "DEFAULT.CAL", "notes.txt", "other.cal", "readme",
            "Sub"};
  EXPECT_EQ(list("C:\\Data\\*"), all);
  EXPECT_EQ(list("C:\\Data\\*.*"), all) << "names without an extension too";
  // The top folder of a drive has no "." and "..".
  EXPECT_EQ(list("C:\\*"), (Names{"Data"}));
}

TEST_F(Find, EntriesCarryAttributesAndSize) {
  WIN32_FIND_DATAA data;
  HANDLE find = FindFirstFileA("C:\\data\\notes.TXT", &data);
  ASSERT_NE(find, INVALID_HANDLE_VALUE);
  EXPECT_EQ(data.nFileSizeLow, 5u);
  EXPECT_EQ(data.nFileSizeHigh, 0u);
  EXPECT_EQ(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY, 0u);
  EXPECT_NE(data.ftLastWriteTime.dwHighDateTime, 0u);
  FindClose(find);
  find = FindFirstFileA("C:\\data\\sub", &data);
  ASSERT_NE(find, INVALID_HANDLE_VALUE);
  EXPECT_EQ(data.dwFileAttributes, static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY));
  FindClose(find);
}

TEST_F(Find, MissesAndBadHandlesFailCleanly) {
  WIN32_FIND_DATAA data;
  EXPECT_EQ(FindFirstFileA("C:\\data\\*.xyz", &data), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  EXPECT_EQ(FindFirstFileA("C:\\nowhere\\*", &data), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
  EXPECT_EQ(FindFirstFileA(nullptr, &data), INVALID_HANDLE_VALUE);
  EXPECT_FALSE(FindNextFileA(INVALID_HANDLE_VALUE, &data));
  HANDLE event = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  EXPECT_FALSE(FindClose(event)) << "not a search handle";
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  CloseHandle(event);
}

TEST_F(Find, SearchPathLooksThroughTheListAndAppendsTheExtension) {
  writeFile(root_ + "/c/Rukbase/halvik.sys", "x");
  char buffer[MAX_PATH];
  char* part = nullptr;
  DWORD length = SearchPathA("C:\\Data;C:\\RUKBASE", "HALVIK", ".SYS", sizeof buffer, buffer, &part);
  EXPECT_EQ(std::string(buffer, length), root_ + "/c/Rukbase/halvik.sys");
  EXPECT_STREQ(part, "halvik.sys");
  // A name with an extension keeps it.
  EXPECT_EQ(SearchPathA("C:\\Rukbase", "halvik.sys", ".dll", sizeof buffer, buffer, nullptr), length);
  EXPECT_EQ(SearchPathA("C:\\Rukbase", "halvik", ".dll", sizeof buffer, buffer, nullptr), 0u);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  EXPECT_EQ(SearchPathA("C:\\Rukbase", "halvik.sys", nullptr, 4, buffer, nullptr), length + 1)
      << "too small: the size needed";
  EXPECT_EQ(SearchPathA("C:\\Rukbase", "sub", nullptr, sizeof buffer, buffer, nullptr), 0u) << "folders are not found";
}

TEST_F(Find, SearchPathDefaultsIncludeTheCurrentAndSystemFolders) {
  writeFile(dir_ + "/cwd/Local.ini", "x");
  writeFile(root_ + "/c/Windows/system32/VKL.DLL", "x");
  char buffer[MAX_PATH];
  EXPECT_GT(SearchPathA(nullptr, "local.INI", nullptr, sizeof buffer, buffer, nullptr), 0u);
  EXPECT_EQ(std::string(buffer), dir_ + "/cwd/Local.ini");
  EXPECT_GT(SearchPathA(nullptr, "vkl", ".dll", sizeof buffer, buffer, nullptr), 0u);
  EXPECT_EQ(std::string(buffer), root_ + "/c/Windows/system32/VKL.DLL");
  EXPECT_GT(SearchPathA(nullptr, "C:\\windows\\SYSTEM32\\vkl.dll", nullptr, sizeof buffer, buffer, nullptr), 0u)
      << "a full path is checked as it is";
}

}  // namespace
