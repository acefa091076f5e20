// Where the store lives, and stores that cannot be used.
#include <sqlite3.h>
#include <sys/wait.h>

#include "registry_fixture.h"

using RegistryStoreTest = RegistryTest;

namespace {

LONG tryCreate(const char* path) {
  HKEY key = nullptr;
  LONG status =
      RegCreateKeyExA(HKEY_LOCAL_MACHINE, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
  if (status == ERROR_SUCCESS) RegCloseKey(key);
  return status;
}

}  // namespace

TEST_F(RegistryStoreTest, JunkFileFailsAndIsLeftAsItWas) {
  std::string junk = "this is no database\r\n" + std::string(5000, '\x7f');
  writeFile(store_, junk);
  EXPECT_EQ(tryCreate("Software\\X"), ERROR_BADDB);
  HKEY key = nullptr;
  EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software", 0, KEY_READ, &key), ERROR_BADDB);
  EXPECT_EQ(RegQueryValueExA(HKEY_LOCAL_MACHINE, "v", nullptr, nullptr, nullptr, nullptr), ERROR_BADDB);
  EXPECT_EQ(readFile(store_), junk);

  // Once the file is gone, the next call makes a fresh store.
  std::filesystem::remove(store_);
  EXPECT_EQ(tryCreate("Software\\X"), ERROR_SUCCESS);
}

TEST_F(RegistryStoreTest, AnotherApplicationsDatabaseIsNotTouched) {
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(store_.c_str(), &db), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(db, "CREATE TABLE samples(x); INSERT INTO samples VALUES(42);", nullptr, nullptr, nullptr),
            SQLITE_OK);
  sqlite3_close(db);
  std::string before = readFile(store_);
  EXPECT_EQ(tryCreate("Software\\X"), ERROR_BADDB);
  EXPECT_EQ(readFile(store_), before);
}

TEST_F(RegistryStoreTest, MissingFolderFailsWithoutMakingIt) {
  std::string nowhere = dir_ + "/missing/deeper/registry.sqlite";
  ::setenv("ORVANE_REGISTRY", nowhere.c_str(), 1);
  EXPECT_EQ(tryCreate("Software\\X"), ERROR_CANTOPEN);
  HKEY key = nullptr;
  EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software", 0, KEY_READ, &key), ERROR_CANTOPEN);
  EXPECT_FALSE(std::filesystem::exists(dir_ + "/missing"));
}

TEST_F(RegistryStoreTest, ReadOnlyFolderFailsCleanly) {
  std::string folder = dir_ + "/locked";
  std::filesystem::create_directories(folder);
  ::chmod(folder.c_str(), 0555);
  ::chmod(dir_.c_str(), 0755);
  std::string path = folder + "/registry.sqlite";
  ::setenv("ORVANE_REGISTRY", path.c_str(), 1);
  // Root ignores permissions: the calls run in a child that gives them up.
  pid_t child = ::fork();
  if (child == 0) {
    if (!permissionsEnforced() && (::setgid(65534) != 0 || ::setuid(65534) != 0)) ::_exit(10);
    if (tryCreate("Software\\X") != ERROR_CANTOPEN) ::_exit(1);
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software", 0, KEY_READ, &key) != ERROR_CANTOPEN) ::_exit(2);
    ::_exit(0);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_FALSE(std::filesystem::exists(path));
}

TEST_F(RegistryStoreTest, FolderThatIsAFileFailsCleanly) {
  writeFile(dir_ + "/plain", "x");
  std::string path = dir_ + "/plain/registry.sqlite";
  ::setenv("ORVANE_REGISTRY", path.c_str(), 1);
  EXPECT_EQ(tryCreate("Software\\X"), ERROR_CANTOPEN);
  EXPECT_EQ(readFile(dir_ + "/plain"), "x");
}

TEST_F(RegistryStoreTest, DefaultPlaceIsUnderTheDriveRoot) {
  ::unsetenv("ORVANE_REGISTRY");
  std::string root = dir_ + "/driveroot";
  ::setenv("ORVANE_ROOT", root.c_str(), 1);
  EXPECT_EQ(tryCreate("Software\\X"), ERROR_SUCCESS);
  EXPECT_TRUE(std::filesystem::exists(root + "/registry.sqlite"));
  ::unsetenv("ORVANE_ROOT");
}

TEST_F(RegistryStoreTest, ChangingTheVariableSwitchesStores) {
  HKEY first = create("Software\\First");
  KeyCloser closer{first};
  std::string other = dir_ + "/other.sqlite";
  ::setenv("ORVANE_REGISTRY", other.c_str(), 1);
  HKEY key = nullptr;
  EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\First", 0, KEY_READ, &key), ERROR_FILE_NOT_FOUND);
  // A handle of the first store does not reach into the second.
  EXPECT_EQ(RegSetValueExA(first, "v", 0, REG_BINARY, nullptr, 0), ERROR_KEY_DELETED);
  RegCloseKey(create("Software\\Second"));

  ::setenv("ORVANE_REGISTRY", store_.c_str(), 1);
  EXPECT_EQ(RegSetValueExA(first, "v", 0, REG_BINARY, nullptr, 0), ERROR_SUCCESS);
  EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Second", 0, KEY_READ, &key), ERROR_FILE_NOT_FOUND);
}
