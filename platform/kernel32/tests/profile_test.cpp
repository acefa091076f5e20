#include <windows.h>
#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

namespace {

class Profile : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/orvane_ini_XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    dir_ = pattern;
    ::setenv("ORVANE_ROOT", (dir_ + "/root").c_str(), 1);
    file_ = dir_ + "/test.ini";
  }
  void TearDown() override {
    ::unsetenv("ORVANE_ROOT");
    std::error_code ignored;
    std::filesystem::remove_all(dir_, ignored);
  }

  static void write(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
  }
  static std::string read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  std::string get(const char* section, const char* key, const char* fallback = "?", DWORD size = 256) {
    std::string buffer(size, 'x');
    DWORD n = GetPrivateProfileStringA(section, key, fallback, buffer.data(), size, file_.c_str());
    return buffer.substr(0, n);
  }
  BOOL put(const char* section, const char* key, const char* value) {
    return WritePrivateProfileStringA(section, key, value, file_.c_str());
  }

  std::string dir_;
  std::string file_;
};

TEST_F(Profile, ReadsWithoutRegardToCaseAndTrims) {
  write(file_,
        "; comment\r\n[Sec One]\r\n  Name  =  spaced value  \r\nQuoted=\"  kept  \"\r\nhalf=\"x\r\n"
        "loose line\r\n[other]\nname=2\n");
  EXPECT_EQ(get("sec one", "NAME"), "spaced value");
  EXPECT_EQ(get("SEC ONE", "quoted"), "  kept  ");
  EXPECT_EQ(get("Sec One", "half"), "\"x");
  EXPECT_EQ(get("other", "Name"), "2");
  EXPECT_EQ(get("other", "missing", "dflt  "), "dflt") << "the default loses its trailing blanks";
  EXPECT_EQ(get("nowhere", "name", nullptr), "");
  EXPECT_EQ(get("Sec One", "loose line"), "?") << "a line without '=' is no key";
}

TEST_F(Profile, CutsValuesAndDefaultsToTheBuffer) {
  write(file_, "[s]\r\nk=abcdef\r\n");
  char buffer[8];
  std::memset(buffer, 'x', sizeof buffer);
  EXPECT_EQ(GetPrivateProfileStringA("s", "k", "", buffer, 4, file_.c_str()), 3u);
  EXPECT_STREQ(buffer, "abc");
  EXPECT_EQ(GetPrivateProfileStringA("s", "k", "", buffer, 1, file_.c_str()), 0u);
  EXPECT_STREQ(buffer, "");
  EXPECT_EQ(GetPrivateProfileStringA("s", "none", "123456789", buffer, 5, file_.c_str()), 4u);
  EXPECT_STREQ(buffer, "1234");
  EXPECT_EQ(GetPrivateProfileStringA("s", "k", "", buffer, 0, file_.c_str()), 0u);
  EXPECT_EQ(GetPrivateProfileStringA("s", "k", "d", buffer, 8, (dir_ + "/absent.ini").c_str()), 1u);
  EXPECT_STREQ(buffer, "d");
}

TEST_F(Profile, EnumeratesSectionsAndKeysWithDoubleNul) {
  write(file_, "[alpha]\r\none=1\r\ntwo=2\r\n; c=3\r\n[beta]\r\n[gamma]\r\nx=\r\n");
  EXPECT_EQ(get(nullptr, nullptr), std::string("alpha\0beta\0gamma\0", 17));
  EXPECT_EQ(get("ALPHA", nullptr), std::string("one\0two\0", 8));
  EXPECT_EQ(get("beta", nullptr), "");
  EXPECT_EQ(get("absent", nullptr), "");

  char buffer[24];
  std::memset(buffer, 'x', sizeof buffer);
  EXPECT_EQ(GetPrivateProfileSectionNamesA(buffer, 9, file_.c_str()), 7u) << "cut lists give size - 2";
  EXPECT_EQ(std::string(buffer, 9), std::string("alpha\0b\0\0", 9));
  EXPECT_EQ(GetPrivateProfileSectionNamesA(buffer, 18, file_.c_str()), 16u) << "so does a list that fills it";
  EXPECT_EQ(std::string(buffer, 18), std::string("alpha\0beta\0gamma\0\0", 18));
  EXPECT_EQ(GetPrivateProfileStringA("alpha", nullptr, "", buffer, 2, file_.c_str()), 0u);
  EXPECT_EQ(std::string(buffer, 2), std::string("\0\0", 2));

  EXPECT_EQ(GetPrivateProfileSectionA("alpha", buffer, sizeof buffer, file_.c_str()), 12u);
  EXPECT_EQ(std::string(buffer, 13), std::string("one=1\0two=2\0\0", 13));
}

TEST_F(Profile, SectionContentsKeepLinesWithoutEquals) {
  write(file_, "[section1]\r\nname1=val1\r\nname2=\r\nname3\r\nname4=val4\r\n");
  char buffer[64];
  EXPECT_EQ(GetPrivateProfileSectionA("section1", buffer, sizeof buffer, file_.c_str()), 35u);
  EXPECT_EQ(std::string(buffer, 36), std::string("name1=val1\0name2=\0name3\0name4=val4\0\0", 36));
  EXPECT_EQ(get("section1", nullptr), std::string("name1\0name2\0name4\0", 18)) << "but they name no key";
}

TEST_F(Profile, ReadsIntegersAsWindowsDoes) {
  write(file_, "[n]\r\na=12abc\r\nb=-7\r\nc=0x1F\r\nd=abc\r\ne= 42 \r\n");
  auto number = [&](const char* key) { return GetPrivateProfileIntA("n", key, 99, file_.c_str()); };
  EXPECT_EQ(number("a"), 12u);
  EXPECT_EQ(number("b"), static_cast<UINT>(-7));
  EXPECT_EQ(number("c"), 31u);
  EXPECT_EQ(number("d"), 0u);
  EXPECT_EQ(number("e"), 42u);
  EXPECT_EQ(number("missing"), 99u);
}

TEST_F(Profile, EditKeepsEveryOtherLineByteForByte) {
  const std::string before =
      "\xEF\xBB\xBF; head\n[Main]\r\n  Key =  old  \r\n\r\nodd  spacing  =  x\n\x01\x02junk\xFF\r\n"
      "[Next]\rlast=1";
  write(file_, before);
  ASSERT_TRUE(put("main", "key", "new"));
  const std::string after =
      "\xEF\xBB\xBF; head\n[Main]\r\n  Key =new\r\n\r\nodd  spacing  =  x\n\x01\x02junk\xFF\r\n"
      "[Next]\rlast=1";
  EXPECT_EQ(read(file_), after);
  ASSERT_TRUE(put("Next", "Added", "v"));
  EXPECT_EQ(read(file_), after + "\r\nAdded=v\r\n");
  EXPECT_EQ(get("next", "added"), "v");
}

TEST_F(Profile, CreatesFileSectionAndKey) {
  ASSERT_TRUE(put("First", "a", "1"));
  EXPECT_EQ(read(file_), "[First]\r\na=1\r\n");
  ASSERT_TRUE(put("First", "b", "2"));
  ASSERT_TRUE(put("Second", "c", "3"));
  EXPECT_EQ(read(file_), "[First]\r\na=1\r\nb=2\r\n[Second]\r\nc=3\r\n");

  write(file_, "[s]\r\nk=1\r\n\r\n; about t\r\n[t]\r\n");
  ASSERT_TRUE(put("s", "j", "2"));
  EXPECT_EQ(read(file_), "[s]\r\nk=1\r\nj=2\r\n\r\n; about t\r\n[t]\r\n") << "new keys follow the last key";
}

TEST_F(Profile, DeletesKeysAndSections) {
  write(file_, "[a]\r\nx=1\r\ny=2\r\n[b]\r\nz=3\r\n; kept\r\n[c]\r\nw=4");
  ASSERT_TRUE(put("A", "X", nullptr));
  EXPECT_EQ(read(file_), "[a]\r\ny=2\r\n[b]\r\nz=3\r\n; kept\r\n[c]\r\nw=4");
  ASSERT_TRUE(put("b", nullptr, nullptr));
  EXPECT_EQ(read(file_), "[a]\r\ny=2\r\n[c]\r\nw=4");
  ASSERT_TRUE(put("absent", nullptr, nullptr));
  ASSERT_TRUE(put("a", "absent", nullptr));
  EXPECT_EQ(read(file_), "[a]\r\ny=2\r\n[c]\r\nw=4");

  std::string untouched = dir_ + "/never.ini";
  EXPECT_TRUE(WritePrivateProfileStringA("s", "k", nullptr, untouched.c_str()));
  EXPECT_FALSE(std::filesystem::exists(untouched)) << "deleting from a missing file creates none";
}

TEST_F(Profile, NullArguments) {
  EXPECT_TRUE(WritePrivateProfileStringA(nullptr, nullptr, nullptr, file_.c_str()));
  EXPECT_FALSE(WritePrivateProfileStringA(nullptr, "k", "v", file_.c_str()));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  EXPECT_FALSE(WritePrivateProfileStringA("s", "k", "v", ""));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  EXPECT_EQ(GetPrivateProfileStringA("s", "k", "d", nullptr, 10, file_.c_str()), 0u);
}

TEST_F(Profile, MalformedFileIsReadAndEditedWithoutLoss) {
  std::string overlong(1 << 20, 'L');
  std::string before = std::string("[s]\r\nbin=\x01\0\x02\r\n", 14) + overlong + "\r\n\r\r\r" +
                       "k=old\r\n" + std::string("nul\0key=v\r\n", 11) + "tail=end";
  write(file_, before);
  EXPECT_EQ(get("s", "k"), "old");
  EXPECT_EQ(get("s", "tail"), "end");
  EXPECT_EQ(get("s", "bin"), "\x01") << "a NUL byte ends what is read of a line";
  ASSERT_TRUE(put("s", "k", "new"));
  std::string expected = before;
  expected.replace(expected.find("k=old"), 5, "k=new");
  EXPECT_EQ(read(file_), expected);
  ASSERT_TRUE(put("s", "added", "1"));
  EXPECT_EQ(read(file_), expected + "\r\nadded=1\r\n");
}

TEST_F(Profile, DoubleByteNamesAreNotSplit) {
  // 0x83 0x5D has ']' as its second byte, 0x82 0x61 and 0x82 0x41 differ
  // only in a second byte that looks like a letter.
  write(file_, "[\x83\x5D\x83\x5D]\r\n\x82\x61=lower\r\n\x95\x5C=table\r\n");
  EXPECT_EQ(get(nullptr, nullptr), std::string("\x83\x5D\x83\x5D\0", 5));
  EXPECT_EQ(get("\x83\x5D\x83\x5D", "\x82\x61"), "lower");
  EXPECT_EQ(get("\x83\x5D\x83\x5D", "\x82\x41"), "?");
  EXPECT_EQ(get("\x83\x5D\x83\x5D", "\x95\x5C"), "table");
}

TEST_F(Profile, BareNameIsInTheWindowsFolder) {
  ASSERT_TRUE(WritePrivateProfileStringA("s", "k", "5", "Bare.ini"));
  EXPECT_EQ(read(dir_ + "/root/c/Windows/Bare.ini"), "[s]\r\nk=5\r\n");
  EXPECT_EQ(GetPrivateProfileIntA("S", "K", 0, "bare.INI"), 5u);
  ASSERT_TRUE(WriteProfileStringA("desktop", "wall", "7"));
  char buffer[8];
  EXPECT_EQ(GetProfileStringA("DESKTOP", "Wall", "", buffer, sizeof buffer), 1u);
  EXPECT_STREQ(buffer, "7");
  EXPECT_TRUE(std::filesystem::exists(dir_ + "/root/c/Windows/win.ini"));
}

TEST_F(Profile, MissingFolderFailsCleanly) {
  std::string inMissing = dir_ + "/missing/test.ini";
  EXPECT_FALSE(WritePrivateProfileStringA("s", "k", "v", inMissing.c_str()));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
  EXPECT_FALSE(std::filesystem::exists(dir_ + "/missing"));
}

// Root ignores permissions, so the write runs in a child that gives them up.
TEST_F(Profile, ReadOnlyFolderLosesNothing) {
  write(file_, "[s]\r\nk=1\r\n");
  ASSERT_EQ(::chmod(dir_.c_str(), 0555), 0);
  pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    if (::geteuid() == 0) {
      struct passwd* nobody = ::getpwnam("nobody");
      if (nobody == nullptr || ::setgid(nobody->pw_gid) != 0 || ::setuid(nobody->pw_uid) != 0) ::_exit(77);
    }
    if (::access(dir_.c_str(), W_OK) == 0) ::_exit(77);
    BOOL written = put("s", "k", "2");
    ::_exit(!written && GetLastError() == ERROR_ACCESS_DENIED ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ::chmod(dir_.c_str(), 0755);
  ASSERT_TRUE(WIFEXITED(status));
  if (WEXITSTATUS(status) == 77) GTEST_SKIP() << "permissions are not enforced here";
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_EQ(read(file_), "[s]\r\nk=1\r\n");
  size_t entries = 0;
  for ([[maybe_unused]] auto& entry : std::filesystem::directory_iterator(dir_)) ++entries;
  EXPECT_EQ(entries, 1u) << "no temporary file is left behind";
}

TEST_F(Profile, OpenHandlesThatDoNotShareRefuseTheCall) {
  struct Case {
    DWORD share;
    bool writes;
    bool reads;
  };
  const Case cases[] = {
      {FILE_SHARE_READ, false, true},
      {0, false, false},
      {FILE_SHARE_READ | FILE_SHARE_WRITE, true, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.share);
    write(file_, "[s]\r\nk=1\r\n");
    HANDLE held = CreateFileA(file_.c_str(), GENERIC_READ, c.share, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_EQ(put("s", "k", "2") != FALSE, c.writes);
    if (!c.writes) {
      EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    }
    EXPECT_EQ(get("s", "k"), c.reads ? (c.writes ? "2" : "1") : "?");
    CloseHandle(held);
    EXPECT_EQ(read(file_), c.writes ? "[s]\r\nk=2\r\n" : "[s]\r\nk=1\r\n");
  }
}

TEST_F(Profile, ConcurrentWritersKeepEachOthersKeys) {
  constexpr int kKeys = 25;
  auto writeKeys = [&](const std::string& prefix) {
    bool ok = true;
    for (int i = 0; i < kKeys; ++i) ok = put("s", (prefix + std::to_string(i)).c_str(), "v") && ok;
    return ok;
  };
  pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) ::_exit(writeKeys("child") ? 0 : 1);
  std::thread sibling([&] { EXPECT_TRUE(writeKeys("thread")); });
  EXPECT_TRUE(writeKeys("parent"));
  sibling.join();
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  for (const char* prefix : {"child", "thread", "parent"}) {
    for (int i = 0; i < kKeys; ++i) {
      std::string key = prefix + std::to_string(i);
      EXPECT_EQ(get("s", key.c_str()), "v") << key;
    }
  }
}

}  // namespace
