#include <windows.h>

#include <cstring>

#include "temp_root.h"

namespace {

class Files : public TempRootTest {
 protected:
  static HANDLE open(const char* name, DWORD access, DWORD share, DWORD disposition, DWORD flags = 0) {
    return CreateFileA(name, access, share, nullptr, disposition, flags | FILE_ATTRIBUTE_NORMAL, nullptr);
  }
  static std::string readAll(HANDLE file) {
    char buffer[256];
    DWORD got = 0;
    EXPECT_TRUE(ReadFile(file, buffer, sizeof buffer, &got, nullptr));
    return std::string(buffer, got);
  }
  static void write(HANDLE file, const std::string& text) {
    DWORD done = 0;
    ASSERT_TRUE(WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &done, nullptr));
    ASSERT_EQ(done, text.size());
  }
};

constexpr DWORD kReadWrite = GENERIC_READ | GENERIC_WRITE;
constexpr DWORD kShareReadWrite = FILE_SHARE_READ | FILE_SHARE_WRITE;

TEST_F(Files, CreationDispositionsAndTheirErrors) {
  HANDLE file = open("C:\\new.txt", GENERIC_WRITE, 0, CREATE_NEW);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), 0u);
  write(file, "first");
  CloseHandle(file);
  EXPECT_EQ(readFile(root_ + "/c/new.txt"), "first");

  EXPECT_EQ(open("C:\\NEW.TXT", GENERIC_WRITE, 0, CREATE_NEW), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_EXISTS));

  file = open("c:\\new.TXT", kReadWrite, 0, OPEN_ALWAYS);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS)) << "set although it succeeds";
  EXPECT_EQ(readAll(file), "first") << "OPEN_ALWAYS keeps the contents";
  CloseHandle(file);

  file = open("C:\\new.txt", GENERIC_WRITE, 0, CREATE_ALWAYS);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
  EXPECT_EQ(GetFileSize(file, nullptr), 0u) << "CREATE_ALWAYS truncates";
  CloseHandle(file);

  EXPECT_EQ(open("C:\\absent.txt", GENERIC_READ, 0, OPEN_EXISTING), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  EXPECT_EQ(open("C:\\absent.txt", GENERIC_WRITE, 0, TRUNCATE_EXISTING), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  EXPECT_EQ(open("C:\\no\\folder.txt", GENERIC_WRITE, 0, CREATE_ALWAYS), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
  EXPECT_EQ(open("C:\\new.txt", GENERIC_READ, 0, 9), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  EXPECT_EQ(CreateFileA(nullptr, GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr), INVALID_HANDLE_VALUE);
  EXPECT_EQ(open("\\\\.\\NoSuchDevice", kReadWrite, 0, OPEN_EXISTING), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
}

TEST_F(Files, NamesInAnotherCaseOpenTheExistingFile) {
  writeFile(root_ + "/c/Rukbase/Debug/Property.ini", "[a]\r\n");
  HANDLE file = open("C:\\RUKBASE\\debug\\property.INI", GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  EXPECT_EQ(readAll(file), "[a]\r\n");
  CloseHandle(file);
}

TEST_F(Files, ShareModesRefuseConflictingOpens) {
  HANDLE writer = open("C:\\log.txt", GENERIC_WRITE, FILE_SHARE_READ, CREATE_ALWAYS);
  ASSERT_NE(writer, INVALID_HANDLE_VALUE);
  // A second writer is refused: the first shares only reading.
  EXPECT_EQ(open("C:\\LOG.txt", GENERIC_WRITE, kShareReadWrite, OPEN_EXISTING), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
  // A reader that does not share writing conflicts with the open writer.
  EXPECT_EQ(open("C:\\log.txt", GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
  HANDLE reader = open("C:\\log.txt", GENERIC_READ, kShareReadWrite, OPEN_EXISTING);
  EXPECT_NE(reader, INVALID_HANDLE_VALUE);
  EXPECT_FALSE(DeleteFileA("C:\\log.txt"));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
  CloseHandle(reader);

  // A duplicate keeps the open alive; the last close releases it.
  HANDLE duplicate = nullptr;
  ASSERT_TRUE(DuplicateHandle(GetCurrentProcess(), writer, GetCurrentProcess(), &duplicate, 0, FALSE,
                              DUPLICATE_SAME_ACCESS));
  CloseHandle(writer);
  EXPECT_EQ(open("C:\\log.txt", GENERIC_WRITE, 0, OPEN_EXISTING), INVALID_HANDLE_VALUE);
  CloseHandle(duplicate);
  HANDLE exclusive = open("C:\\log.txt", GENERIC_WRITE, 0, OPEN_EXISTING);
  EXPECT_NE(exclusive, INVALID_HANDLE_VALUE);
  // An open without data access conflicts with nothing, either way round.
  HANDLE attributes = open("C:\\log.txt", 0, 0, OPEN_EXISTING);
  EXPECT_NE(attributes, INVALID_HANDLE_VALUE);
  CloseHandle(exclusive);
  exclusive = open("C:\\log.txt", GENERIC_WRITE, 0, OPEN_EXISTING);
  EXPECT_NE(exclusive, INVALID_HANDLE_VALUE);
  CloseHandle(exclusive);
  CloseHandle(attributes);
  EXPECT_TRUE(DeleteFileA("C:\\log.txt"));
}

TEST_F(Files, ReadWriteSeekAndTruncateRoundTrip) {
  HANDLE file = open("C:\\data.bin", kReadWrite, 0, CREATE_ALWAYS);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  write(file, "hello world");
  EXPECT_EQ(SetFilePointer(file, 0, nullptr, FILE_BEGIN), 0u);
  EXPECT_EQ(readAll(file), "hello world");
  EXPECT_EQ(readAll(file), "") << "at the end a read succeeds with nothing";

  EXPECT_EQ(SetFilePointer(file, -5, nullptr, FILE_END), 6u);
  EXPECT_EQ(readAll(file), "world");
  EXPECT_EQ(SetFilePointer(file, -3, nullptr, FILE_CURRENT), 8u);
  EXPECT_EQ(SetFilePointer(file, -20, nullptr, FILE_CURRENT), INVALID_SET_FILE_POINTER);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NEGATIVE_SEEK));
  EXPECT_EQ(SetFilePointer(file, 0, nullptr, FILE_CURRENT), 8u) << "a refused seek leaves the pointer";

  EXPECT_EQ(SetFilePointer(file, 5, nullptr, FILE_BEGIN), 5u);
  EXPECT_TRUE(SetEndOfFile(file));
  EXPECT_EQ(GetFileSize(file, nullptr), 5u);
  // Writing past the end leaves a gap of zeros.
  EXPECT_EQ(SetFilePointer(file, 8, nullptr, FILE_BEGIN), 8u);
  write(file, "!");
  EXPECT_TRUE(FlushFileBuffers(file));
  CloseHandle(file);
  EXPECT_EQ(readFile(root_ + "/c/data.bin"), std::string("hello\0\0\0!", 9));
}

TEST_F(Files, PositionsBeyondFourGigabytesUseTheHighPart) {
  HANDLE file = open("C:\\big.bin", kReadWrite, 0, CREATE_ALWAYS);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  LONG high = 1;
  EXPECT_EQ(SetFilePointer(file, 16, &high, FILE_BEGIN), 16u);
  EXPECT_EQ(high, 1);
  ASSERT_TRUE(SetEndOfFile(file));  // sparse
  DWORD sizeHigh = 0;
  EXPECT_EQ(GetFileSize(file, &sizeHigh), 16u);
  EXPECT_EQ(sizeHigh, 1u);
  // Without a high part the result must fit 32 bits.
  EXPECT_EQ(SetFilePointer(file, 0, nullptr, FILE_END), INVALID_SET_FILE_POINTER);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  LARGE_INTEGER distance{}, position{};
  distance.QuadPart = -16;
  EXPECT_TRUE(SetFilePointerEx(file, distance, &position, FILE_END));
  EXPECT_EQ(position.QuadPart, 0x100000000ll);
  CloseHandle(file);
}

TEST_F(Files, OverlappedHandlesCompleteAtOnceAndSignalTheEvent) {
  HANDLE file = open("C:\\ov.bin", kReadWrite, 0, CREATE_ALWAYS, FILE_FLAG_OVERLAPPED);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  HANDLE event = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  OVERLAPPED ov{};
  ov.Offset = 4;
  ov.hEvent = event;
  EXPECT_TRUE(WriteFile(file, "abcd", 4, nullptr, &ov));
  EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_OBJECT_0);
  EXPECT_EQ(ov.Internal, 0u);
  EXPECT_EQ(ov.InternalHigh, 4u);

  ResetEvent(event);
  char buffer[8] = {};
  ov.Offset = 2;
  DWORD got = 0;
  EXPECT_TRUE(ReadFile(file, buffer, sizeof buffer, &got, &ov));
  EXPECT_EQ(got, 6u);
  EXPECT_EQ(std::string(buffer, 6), std::string("\0\0abcd", 6));
  EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_OBJECT_0);

  ov.Offset = 100;
  EXPECT_FALSE(ReadFile(file, buffer, sizeof buffer, &got, &ov));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_HANDLE_EOF));
  CloseHandle(event);
  CloseHandle(file);
}

TEST_F(Files, HandlesRefuseWhatTheyWereNotOpenedFor) {
  HANDLE file = open("C:\\w.txt", GENERIC_WRITE, 0, CREATE_ALWAYS);
  char buffer[4];
  DWORD got = 7;
  EXPECT_FALSE(ReadFile(file, buffer, sizeof buffer, &got, nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  EXPECT_EQ(got, 0u);
  CloseHandle(file);

  HANDLE event = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  EXPECT_FALSE(WriteFile(event, "x", 1, &got, nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  EXPECT_EQ(SetFilePointer(event, 0, nullptr, FILE_BEGIN), INVALID_SET_FILE_POINTER);
  CloseHandle(event);
  EXPECT_FALSE(ReadFile(INVALID_HANDLE_VALUE, buffer, 1, &got, nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
}

TEST_F(Files, FoldersOpenOnlyWithBackupSemantics) {
  ASSERT_TRUE(CreateDirectoryA("C:\\Folder", nullptr));
  EXPECT_EQ(open("C:\\folder", GENERIC_READ, kShareReadWrite, OPEN_EXISTING), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  HANDLE folder = open("C:\\folder", GENERIC_READ, kShareReadWrite, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS);
  ASSERT_NE(folder, INVALID_HANDLE_VALUE);
  FILETIME written{};
  EXPECT_TRUE(GetFileTime(folder, nullptr, nullptr, &written));
  EXPECT_NE(written.dwHighDateTime, 0u);
  CloseHandle(folder);
}

TEST_F(Files, AReadOnlyFolderRefusesNewFiles) {
  if (!permissionsEnforced()) GTEST_SKIP() << "running as root: permissions are not enforced";
  ASSERT_TRUE(CreateDirectoryA("C:\\locked", nullptr));
  ::chmod((root_ + "/c/locked").c_str(), 0555);
  EXPECT_EQ(open("C:\\locked\\x.txt", GENERIC_WRITE, 0, CREATE_ALWAYS), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  EXPECT_FALSE(CreateDirectoryA("C:\\locked\\sub", nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  EXPECT_EQ(GetTempFileNameA("C:\\locked", "tmp", 0, std::string(MAX_PATH, '\0').data()), 0u);
}

TEST_F(Files, ReadOnlyFilesRefuseDeleteAndWrite) {
  writeFile(root_ + "/c/ro.txt", "keep");
  ASSERT_TRUE(SetFileAttributesA("C:\\RO.TXT", FILE_ATTRIBUTE_READONLY));
  EXPECT_EQ(GetFileAttributesA("C:\\ro.txt"), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE);
  EXPECT_FALSE(DeleteFileA("C:\\ro.txt"));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  ASSERT_TRUE(SetFileAttributesA("C:\\ro.txt", FILE_ATTRIBUTE_NORMAL));
  EXPECT_EQ(GetFileAttributesA("C:\\ro.txt"), FILE_ATTRIBUTE_ARCHIVE);
  EXPECT_EQ(readFile(root_ + "/c/ro.txt"), "keep");
  EXPECT_TRUE(DeleteFileA("C:\\ro.txt"));
}

TEST_F(Files, MoveDeleteAndAttributes) {
  writeFile(root_ + "/c/Cal/DEFAULT.CAL", "cal");
  writeFile(root_ + "/c/Cal/copy.cal", "cal");

  EXPECT_FALSE(MoveFileA("C:\\cal\\copy.cal", "C:\\cal\\default.cal"));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
  writeFile(root_ + "/c/Cal/copy.cal", "new");
  EXPECT_TRUE(MoveFileExA("C:\\cal\\copy.cal", "C:\\cal\\DEFAULT.CAL", MOVEFILE_REPLACE_EXISTING));
  EXPECT_EQ(readFile(root_ + "/c/Cal/DEFAULT.CAL"), "new");
  EXPECT_TRUE(MoveFileA("C:\\cal\\default.cal", "C:\\moved.cal"));
  EXPECT_EQ(GetFileAttributesA("C:\\cal\\default.cal"), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  EXPECT_EQ(GetFileAttributesA("C:\\nofolder\\x"), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
  EXPECT_EQ(GetFileAttributesA("C:\\CAL"), FILE_ATTRIBUTE_DIRECTORY);

  EXPECT_FALSE(DeleteFileA("C:\\cal"));
  EXPECT_FALSE(DeleteFileA("C:\\absent"));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  EXPECT_TRUE(DeleteFileA("C:\\MOVED.cal"));
}

TEST_F(Files, FoldersCreateAndRemoveWithWindowsErrors) {
  EXPECT_TRUE(CreateDirectoryA("C:\\Rukbase", nullptr));
  EXPECT_FALSE(CreateDirectoryA("C:\\RUKBASE", nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
  EXPECT_FALSE(CreateDirectoryA("C:\\missing\\sub", nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
  writeFile(root_ + "/c/Rukbase/f.txt", "x");
  EXPECT_FALSE(RemoveDirectoryA("C:\\rukbase"));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_DIR_NOT_EMPTY));
  EXPECT_FALSE(RemoveDirectoryA("C:\\rukbase\\f.txt"));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_DIRECTORY));
  EXPECT_TRUE(DeleteFileA("C:\\rukbase\\f.txt"));
  EXPECT_TRUE(RemoveDirectoryA("C:\\rukbase"));
  EXPECT_FALSE(RemoveDirectoryA("C:\\rukbase"));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
}

TEST_F(Files, SystemFoldersAnswerInWindowsFormAndExist) {
  char buffer[MAX_PATH];
  EXPECT_EQ(GetWindowsDirectoryA(buffer, sizeof buffer), 10u);
  EXPECT_STREQ(buffer, "C:\\Windows");
  EXPECT_EQ(GetSystemDirectoryA(buffer, sizeof buffer), 19u);
  EXPECT_STREQ(buffer, "C:\\Windows\\system32");
  EXPECT_TRUE(std::filesystem::is_directory(root_ + "/c/Windows/system32"));
  EXPECT_EQ(GetSystemDirectoryA(buffer, 5), 20u) << "too small: the size needed";

}

// What the folder calls answer under the drive root are drive paths, a
// folder ending in a backslash where Windows ends it so; callers join them
// with backslashes and the joined names open.
TEST_F(Files, FolderAnswersAreDrivePathsThatMapBack) {
  writeFile(root_ + "/c/Data/Sub/x.txt", "here");
  char buffer[MAX_PATH];
  char* part = nullptr;
  ASSERT_EQ(GetTempPathA(sizeof buffer, buffer), 16u);
  EXPECT_STREQ(buffer, "C:\\Windows\\Temp\\");
  EXPECT_TRUE(std::filesystem::is_directory(root_ + "/c/Windows/Temp"));
  HANDLE temp = open((std::string(buffer) + "t.txt").c_str(), GENERIC_WRITE, 0, CREATE_NEW);
  ASSERT_NE(temp, INVALID_HANDLE_VALUE);
  CloseHandle(temp);
  EXPECT_TRUE(std::filesystem::exists(root_ + "/c/Windows/Temp/t.txt"));

  const struct {
    const char* folder;
    const char* current;  // what GetCurrentDirectoryA answers
    const char* full;     // GetFullPathNameA("x.txt")
  } cases[] = {{"C:\\data\\SUB", "C:\\Data\\Sub", "C:\\Data\\Sub\\x.txt"},
               {"..", "C:\\Data", "C:\\Data\\x.txt"},
               {"C:\\", "C:\\", "C:\\x.txt"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.folder);
    ASSERT_TRUE(SetCurrentDirectoryA(c.folder));
    ASSERT_EQ(GetCurrentDirectoryA(sizeof buffer, buffer), std::strlen(c.current));
    EXPECT_STREQ(buffer, c.current);
    ASSERT_EQ(GetFullPathNameA("x.txt", sizeof buffer, buffer, &part), std::strlen(c.full));
    EXPECT_STREQ(buffer, c.full);
    EXPECT_STREQ(part, "x.txt");
  }
  ASSERT_TRUE(SetCurrentDirectoryA("C:\\Data\\Sub"));
  GetCurrentDirectoryA(sizeof buffer, buffer);
  HANDLE file = open((std::string(buffer) + "\\X.TXT").c_str(), GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  EXPECT_EQ(readAll(file), "here");
  CloseHandle(file);
}

TEST_F(Files, CurrentDirectoryWithAWindowsTailStillMaps) {
  writeFile(dir_ + "/cwd/Sub/File.txt", "here");
  char cwd[MAX_PATH];
  ASSERT_GT(GetCurrentDirectoryA(sizeof cwd, cwd), 0u);
  EXPECT_EQ(std::string(cwd), dir_ + "/cwd");
  std::string mixed = std::string(cwd) + "\\sub\\file.TXT";
  HANDLE file = open(mixed.c_str(), GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  EXPECT_EQ(readAll(file), "here");
  CloseHandle(file);

  ASSERT_TRUE(SetCurrentDirectoryA("SUB"));
  ASSERT_GT(GetCurrentDirectoryA(sizeof cwd, cwd), 0u);
  EXPECT_EQ(std::string(cwd), dir_ + "/cwd/Sub");
  EXPECT_FALSE(SetCurrentDirectoryA("C:\\nowhere"));
}

TEST_F(Files, TempFileNamesAreUniqueAndCreated) {
  char first[MAX_PATH], second[MAX_PATH];
  UINT a = GetTempFileNameA("C:\\", "cap", 0, first);
  UINT b = GetTempFileNameA("C:\\", "cap", 0, second);
  ASSERT_NE(a, 0u);
  ASSERT_NE(b, 0u);
  EXPECT_STRNE(first, second);
  EXPECT_EQ(std::strncmp(first, "C:\\cap", 6), 0) << first;
  EXPECT_NE(GetFileAttributesA(first), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(GetTempFileNameA("C:\\", "x", 0x1f, first), 0x1fu);
  EXPECT_STREQ(first, "C:\\x1F.TMP");
  EXPECT_EQ(GetTempFileNameA("C:\\nowhere", "x", 0, first), 0u);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_DIRECTORY));
}

TEST_F(Files, FullPathNamesApplyDotsWithoutTouchingTheDisk) {
  char buffer[MAX_PATH];
  char* part = nullptr;
  EXPECT_EQ(GetFullPathNameA("c:\\a\\.\\b\\..\\File.txt", sizeof buffer, buffer, &part), 13u);
  EXPECT_STREQ(buffer, "C:\\a\\File.txt");
  EXPECT_STREQ(part, "File.txt");
  EXPECT_GT(GetFullPathNameA("x\\y.txt", sizeof buffer, buffer, &part), 0u);
  EXPECT_EQ(std::string(buffer), dir_ + "/cwd/x/y.txt");
  EXPECT_EQ(GetFullPathNameA("C:\\a", 2, buffer, &part), 5u);
  EXPECT_EQ(part, nullptr);
}

}  // namespace
