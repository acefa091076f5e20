// fileIsMapped is internal to the library, so the test builds its own copy.
#include "kernel32/mapping_scan.cpp"

#include <windows.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

namespace {

// A child process forked before the parent touches the object under test,
// so it shares nothing with the parent but what the system shares. The two
// pass single bytes over pipes to take turns.
class Child {
 public:
  explicit Child(const std::function<int(Child&)>& body) {
    int down[2], up[2];
    if (::pipe(down) != 0 || ::pipe(up) != 0) return;
    pid_ = ::fork();
    if (pid_ == 0) {
      ::close(down[1]);
      ::close(up[0]);
      in_ = down[0];
      out_ = up[1];
      ::_exit(body(*this));
    }
    ::close(down[0]);
    ::close(up[1]);
    in_ = up[0];
    out_ = down[1];
  }
  ~Child() {
    if (pid_ > 0 && !waited_) {
      ::kill(pid_, SIGKILL);
      ::waitpid(pid_, nullptr, 0);
    }
    ::close(in_);
    ::close(out_);
  }
  void signal() { (void)!::write(out_, "x", 1); }
  // Bounded, so a broken child fails the test instead of hanging it.
  bool await() {
    pollfd ready{in_, POLLIN, 0};
    char byte;
    return ::poll(&ready, 1, 10000) == 1 && ::read(in_, &byte, 1) == 1;
  }
  int exitCode() {
    int status = 0;
    waited_ = ::waitpid(pid_, &status, 0) == pid_;
    return waited_ && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

 private:
  pid_t pid_ = -1;
  int in_ = -1;
  int out_ = -1;
  bool waited_ = false;
};

std::string uniqueName(const char* what) {
  return std::string("orvane-test-") + std::to_string(::getpid()) + "-" + what + "-" +
         ::testing::UnitTest::GetInstance()->current_test_info()->name();
}

HANDLE createShared(const std::string& name, DWORD size = 4096) {
  return CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, size, name.c_str());
}

TEST(Mapping, TwoProcessesSeeOneNamedMapping) {
  std::string name = uniqueName("share");
  Child child([&](Child& self) {
    if (!self.await()) return 1;
    HANDLE opened = OpenFileMappingA(FILE_MAP_ALL_ACCESS, FALSE, name.c_str());
    HANDLE created = createShared(name, 8192);
    if (opened == nullptr || created == nullptr || GetLastError() != ERROR_ALREADY_EXISTS) return 2;
    auto* view = static_cast<char*>(MapViewOfFile(created, FILE_MAP_ALL_ACCESS, 0, 0, 0));
    if (view == nullptr || std::strcmp(view, "from parent") != 0) return 3;
    std::strcpy(view + 100, "from child");
    UnmapViewOfFile(view);
    CloseHandle(opened);
    CloseHandle(created);
    return 0;
  });
  HANDLE mapping = createShared(name);
  ASSERT_NE(mapping, nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS));
  auto* view = static_cast<char*>(MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, 0));
  ASSERT_NE(view, nullptr);
  std::strcpy(view, "from parent");
  child.signal();
  EXPECT_EQ(child.exitCode(), 0);
  EXPECT_STREQ(view + 100, "from child");
  EXPECT_TRUE(UnmapViewOfFile(view));
  EXPECT_TRUE(CloseHandle(mapping));
}

// Another drive root is another machine, as parallel test runs each have.
TEST(Mapping, AProcessOnAnotherDriveRootDoesNotMeetTheName) {
  std::string name = uniqueName("machine");
  Child child([&](Child& self) {
    if (!self.await()) return 1;
    ::setenv("ORVANE_ROOT", "/nonexistent/another-machine", 1);
    return OpenFileMappingA(FILE_MAP_ALL_ACCESS, FALSE, name.c_str()) == nullptr ? 0 : 2;
  });
  HANDLE mapping = createShared(name);
  ASSERT_NE(mapping, nullptr);
  child.signal();
  EXPECT_EQ(child.exitCode(), 0);
  EXPECT_TRUE(CloseHandle(mapping));
}

TEST(Mapping, NamedMappingLivesUntilTheLastCloseInAnyProcess) {
  std::string name = uniqueName("life");
  Child creator([&](Child& self) {
    HANDLE mapping = createShared(name);
    auto* view = static_cast<char*>(MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, 0));
    if (view == nullptr) return 1;
    std::strcpy(view, "kept");
    UnmapViewOfFile(view);
    self.signal();
    if (!self.await()) return 2;
    CloseHandle(mapping);
    return 0;
  });
  Child lateOpener([&](Child& self) {
    if (!self.await()) return 1;
    HANDLE mapping = OpenFileMappingA(FILE_MAP_READ, FALSE, name.c_str());
    auto* view = static_cast<const char*>(MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0));
    return view != nullptr && std::strcmp(view, "kept") == 0 ? 0 : 2;
  });

  ASSERT_TRUE(creator.await());
  HANDLE mine = OpenFileMappingA(FILE_MAP_READ, FALSE, name.c_str());
  ASSERT_NE(mine, nullptr);
  creator.signal();
  EXPECT_EQ(creator.exitCode(), 0);
  lateOpener.signal();
  EXPECT_EQ(lateOpener.exitCode(), 0) << "the parent's handle keeps the name alive";

  EXPECT_TRUE(CloseHandle(mine));
  EXPECT_EQ(OpenFileMappingA(FILE_MAP_READ, FALSE, name.c_str()), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  HANDLE fresh = createShared(name);
  ASSERT_NE(fresh, nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS));
  auto* view = static_cast<const char*>(MapViewOfFile(fresh, FILE_MAP_READ, 0, 0, 0));
  ASSERT_NE(view, nullptr);
  EXPECT_EQ(view[0], '\0') << "a new mapping starts empty";
  UnmapViewOfFile(view);
  CloseHandle(fresh);
}

TEST(Mapping, CrashedHolderLeavesNoLiveName) {
  std::string name = uniqueName("crash");
  Child crasher([&](Child&) {
    HANDLE mapping = createShared(name);
    auto* view = static_cast<char*>(MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, 0));
    if (view == nullptr) return 1;
    std::strcpy(view, "stale");
    return 0;  // leaves through _exit, closing nothing
  });
  ASSERT_EQ(crasher.exitCode(), 0);
  EXPECT_EQ(OpenFileMappingA(FILE_MAP_READ, FALSE, name.c_str()), nullptr);
  HANDLE mapping = createShared(name);
  ASSERT_NE(mapping, nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS));
  auto* view = static_cast<const char*>(MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0));
  ASSERT_NE(view, nullptr);
  EXPECT_EQ(view[0], '\0');
  UnmapViewOfFile(view);
  CloseHandle(mapping);
}

TEST(Mapping, SecondCreateInOneProcessReturnsTheSameMapping) {
  std::string name = uniqueName("again");
  HANDLE first = createShared(name);
  HANDLE second = createShared(name);
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
  EXPECT_NE(first, second);
  auto* a = static_cast<char*>(MapViewOfFile(first, FILE_MAP_ALL_ACCESS, 0, 0, 0));
  EXPECT_TRUE(CloseHandle(first));
  auto* b = static_cast<char*>(MapViewOfFile(second, FILE_MAP_ALL_ACCESS, 0, 0, 0));
  ASSERT_TRUE(a != nullptr && b != nullptr);
  a[7] = 42;
  EXPECT_EQ(b[7], 42) << "a view outlives the handle it was made from";
  UnmapViewOfFile(a);
  UnmapViewOfFile(b);
  CloseHandle(second);

  HANDLE event = CreateEventA(nullptr, TRUE, FALSE, (name + "-event").c_str());
  EXPECT_EQ(OpenFileMappingA(FILE_MAP_READ, FALSE, (name + "-event").c_str()), nullptr);
  CloseHandle(event);
}

TEST(Mapping, ViewsAtAnOffsetAndRefusedViews) {
  constexpr DWORD kSize = 3 * 65536;
  HANDLE mapping = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, kSize, nullptr);
  ASSERT_NE(mapping, nullptr);
  auto* whole = static_cast<unsigned char*>(MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, 0));
  ASSERT_NE(whole, nullptr);
  for (DWORD i = 0; i < kSize; ++i) whole[i] = static_cast<unsigned char>(i * 7);

  auto* second = static_cast<unsigned char*>(MapViewOfFile(mapping, FILE_MAP_READ, 0, 65536, 100));
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(second[0], whole[65536]);
  EXPECT_EQ(second[99], whole[65536 + 99]);
  auto* odd = static_cast<unsigned char*>(MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 65536 + 10, 0));
  ASSERT_NE(odd, nullptr);
  odd[0] = 0xAB;
  EXPECT_EQ(whole[65536 + 10], 0xAB);
  EXPECT_TRUE(FlushViewOfFile(odd + 5, 10));

  EXPECT_EQ(MapViewOfFile(mapping, FILE_MAP_READ, 0, kSize, 0), nullptr);
  EXPECT_EQ(MapViewOfFile(mapping, FILE_MAP_READ, 0, 65536, 2 * 65536 + 1), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  EXPECT_EQ(MapViewOfFile(nullptr, FILE_MAP_READ, 0, 0, 0), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  EXPECT_FALSE(UnmapViewOfFile(whole + 1));
  EXPECT_FALSE(FlushViewOfFile(&kSize, 0));
  for (void* view : {static_cast<void*>(whole), static_cast<void*>(second), static_cast<void*>(odd)}) {
    EXPECT_TRUE(UnmapViewOfFile(view));
  }
  CloseHandle(mapping);

  EXPECT_EQ(CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 0, nullptr), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  HANDLE readOnly = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READONLY, 0, 4096, nullptr);
  EXPECT_EQ(MapViewOfFile(readOnly, FILE_MAP_WRITE, 0, 0, 0), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  CloseHandle(readOnly);
}

class FileMapping : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/orvane_map_XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    dir_ = pattern;
    path_ = dir_ + "/data.bin";
    std::ofstream(path_, std::ios::binary) << "0123456789";
  }
  void TearDown() override {
    std::error_code ignored;
    std::filesystem::remove_all(dir_, ignored);
  }
  HANDLE open(DWORD access) {
    return CreateFileA(path_.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
  }
  std::string dir_;
  std::string path_;
};

TEST_F(FileMapping, GrowsTheFileAndWritesThrough) {
  HANDLE file = open(GENERIC_READ | GENERIC_WRITE);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  HANDLE mapping = CreateFileMappingA(file, nullptr, PAGE_READWRITE, 0, 8192, nullptr);
  ASSERT_NE(mapping, nullptr);
  EXPECT_EQ(std::filesystem::file_size(path_), 8192u);
  CloseHandle(file);  // the mapping keeps the file
  auto* view = static_cast<char*>(MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, 0));
  ASSERT_NE(view, nullptr);
  EXPECT_EQ(std::string(view, 10), "0123456789");
  view[5000] = 'Z';
  EXPECT_TRUE(FlushViewOfFile(view, 0));
  EXPECT_TRUE(UnmapViewOfFile(view));
  CloseHandle(mapping);
  std::ifstream in(path_, std::ios::binary);
  in.seekg(5000);
  EXPECT_EQ(in.get(), 'Z');
}

TEST_F(FileMapping, RefusesWhatTheFileHandleDoesNotAllow) {
  HANDLE file = open(GENERIC_READ);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  EXPECT_EQ(CreateFileMappingA(file, nullptr, PAGE_READWRITE, 0, 0, nullptr), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  EXPECT_EQ(CreateFileMappingA(file, nullptr, PAGE_READONLY, 0, 100, nullptr), nullptr) << "cannot grow";
  HANDLE whole = CreateFileMappingA(file, nullptr, PAGE_READONLY, 0, 0, nullptr);
  ASSERT_NE(whole, nullptr);
  auto* view = static_cast<const char*>(MapViewOfFile(whole, FILE_MAP_READ, 0, 0, 0));
  ASSERT_NE(view, nullptr);
  EXPECT_EQ(view[9], '9');
  UnmapViewOfFile(view);
  CloseHandle(whole);
  CloseHandle(file);

  std::ofstream(path_, std::ios::trunc);
  file = open(GENERIC_READ | GENERIC_WRITE);
  EXPECT_EQ(CreateFileMappingA(file, nullptr, PAGE_READWRITE, 0, 0, nullptr), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_INVALID));
  CloseHandle(file);
}

TEST_F(FileMapping, NamedFileMappingReachesTheFileFromAnotherProcess) {
  std::string name = uniqueName("file");
  Child child([&](Child& self) {
    if (!self.await()) return 1;
    HANDLE mapping = OpenFileMappingA(FILE_MAP_ALL_ACCESS, FALSE, name.c_str());
    auto* view = static_cast<char*>(MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, 0));
    if (view == nullptr || view[3] != '3') return 2;
    view[4096] = 'C';
    UnmapViewOfFile(view);
    CloseHandle(mapping);
    return 0;
  });
  HANDLE file = open(GENERIC_READ | GENERIC_WRITE);
  HANDLE mapping = CreateFileMappingA(file, nullptr, PAGE_READWRITE, 0, 8192, name.c_str());
  ASSERT_NE(mapping, nullptr);
  child.signal();
  EXPECT_EQ(child.exitCode(), 0);
  auto* view = static_cast<const char*>(MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0));
  ASSERT_NE(view, nullptr);
  EXPECT_EQ(view[4096], 'C');
  UnmapViewOfFile(view);
  CloseHandle(mapping);
  CloseHandle(file);
}

TEST_F(FileMapping, FileIsMappedSeesViewsOfEveryProcess) {
  int fd = ::open(path_.c_str(), O_RDONLY | O_CLOEXEC);
  ASSERT_GE(fd, 0);
  EXPECT_FALSE(plat::fileIsMapped(fd));
  void* own = ::mmap(nullptr, 10, PROT_READ, MAP_SHARED, fd, 0);
  ASSERT_NE(own, MAP_FAILED);
  EXPECT_TRUE(plat::fileIsMapped(fd));
  ::munmap(own, 10);
  EXPECT_FALSE(plat::fileIsMapped(fd));

  Child child([&](Child& self) {
    HANDLE file = open(GENERIC_READ);
    HANDLE mapping = CreateFileMappingA(file, nullptr, PAGE_READONLY, 0, 0, nullptr);
    if (MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0) == nullptr) return 1;
    self.signal();
    return self.await() ? 0 : 2;
  });
  ASSERT_TRUE(child.await());
  EXPECT_TRUE(plat::fileIsMapped(fd));
  child.signal();
  EXPECT_EQ(child.exitCode(), 0);
  EXPECT_FALSE(plat::fileIsMapped(fd));
  ::close(fd);
}

TEST_F(FileMapping, AViewKeepsTheFileFromBeingCutButNotFromGrowing) {
  HANDLE file = open(GENERIC_READ | GENERIC_WRITE);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  HANDLE mapping = CreateFileMappingA(file, nullptr, PAGE_READWRITE, 0, 8192, nullptr);
  auto* view = static_cast<char*>(MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, 0));
  ASSERT_NE(view, nullptr);

  SetFilePointer(file, 100, nullptr, FILE_BEGIN);
  EXPECT_FALSE(SetEndOfFile(file));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_USER_MAPPED_FILE));
  EXPECT_EQ(std::filesystem::file_size(path_), 8192u);
  view[8191] = 'E';  // still backed

  SetFilePointer(file, 16384, nullptr, FILE_BEGIN);
  EXPECT_TRUE(SetEndOfFile(file));

  UnmapViewOfFile(view);
  CloseHandle(mapping);
  SetFilePointer(file, 100, nullptr, FILE_BEGIN);
  EXPECT_TRUE(SetEndOfFile(file)) << "no view left";
  EXPECT_EQ(std::filesystem::file_size(path_), 100u);
  CloseHandle(file);
}

}  // namespace
