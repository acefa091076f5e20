// Opening, creating, closing and deleting keys.
#include "registry_fixture.h"

using RegistryKeysTest = RegistryTest;

TEST_F(RegistryKeysTest, CreatesIntermediateKeysAndReportsDisposition) {
  HKEY key = nullptr;
  DWORD disposition = 0;
  ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, "SYSTEM\\CurrentControlSet\\Services\\Xan", 0, nullptr,
                            REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &key, &disposition),
            ERROR_SUCCESS);
  EXPECT_EQ(disposition, REG_CREATED_NEW_KEY);
  // Handles are small positive values, never the predefined ones.
  EXPECT_GT(reinterpret_cast<uintptr_t>(key), 0u);
  EXPECT_LT(reinterpret_cast<uintptr_t>(key), 0x80000000u);
  EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);

  ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, "SYSTEM\\CurrentControlSet", 0, nullptr, 0, KEY_ALL_ACCESS,
                            nullptr, &key, &disposition),
            ERROR_SUCCESS);
  EXPECT_EQ(disposition, REG_OPENED_EXISTING_KEY);
  HKEY below = nullptr;
  EXPECT_EQ(RegOpenKeyExA(key, "Services\\Xan", 0, KEY_READ, &below), ERROR_SUCCESS);
  EXPECT_EQ(RegCloseKey(below), ERROR_SUCCESS);
  EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
}

TEST_F(RegistryKeysTest, KeyNamesIgnoreCaseAndKeepTheFirstWrittenCase) {
  RegCloseKey(create("Software\\Dornell\\Tarnix"));
  HKEY key = nullptr;
  ASSERT_EQ(open("SOFTWARE\\dornell\\TARNIX", key), ERROR_SUCCESS);
  RegCloseKey(key);

  DWORD disposition = 0;
  ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, "software\\DORNELL", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                            &key, &disposition),
            ERROR_SUCCESS);
  EXPECT_EQ(disposition, REG_OPENED_EXISTING_KEY);
  RegCloseKey(key);

  ASSERT_EQ(open("software", key), ERROR_SUCCESS);
  KeyCloser closer{key};
  char name[64];
  ASSERT_EQ(RegEnumKeyA(key, 0, name, sizeof name), ERROR_SUCCESS);
  EXPECT_STREQ(name, "Dornell");
  EXPECT_EQ(RegEnumKeyA(key, 1, name, sizeof name), ERROR_NO_MORE_ITEMS);
}

TEST_F(RegistryKeysTest, PathForms) {
  RegCloseKey(create("SYSTEM\\CurrentControlSet\\Services\\HALVIK\\Devices"));
  HKEY key = nullptr;
  // A trailing backslash names the same key.
  ASSERT_EQ(open("SYSTEM\\CurrentControlSet\\Services\\HALVIK\\Devices\\", key), ERROR_SUCCESS);
  RegCloseKey(key);
  EXPECT_EQ(open("\\SYSTEM\\CurrentControlSet", key), ERROR_BAD_PATHNAME);
  EXPECT_EQ(key, nullptr);
  EXPECT_EQ(open("SYSTEM\\\\CurrentControlSet", key), ERROR_BAD_PATHNAME);
  EXPECT_EQ(open("SYSTEM\\NoSuchKey\\Deeper", key), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(key, nullptr);
  EXPECT_EQ(open(std::string(300, 'x').c_str(), key), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SYSTEM", 0, KEY_READ, nullptr), ERROR_INVALID_PARAMETER);

  // An empty path opens the key itself: a predefined root answers with
  // itself, a handle with a new handle.
  ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "", 0, KEY_READ, &key), ERROR_SUCCESS);
  EXPECT_EQ(key, HKEY_LOCAL_MACHINE);
  HKEY system = create("SYSTEM");
  KeyCloser closer{system};
  ASSERT_EQ(RegOpenKeyExA(system, nullptr, 0, KEY_READ, &key), ERROR_SUCCESS);
  EXPECT_NE(key, system);
  EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
}

TEST_F(RegistryKeysTest, RootsAreSeparateAndAcceptTheSignExtendedForm) {
  RegCloseKey(create("Software\\OnlyMachine"));
  HKEY key = nullptr;
  EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\OnlyMachine", 0, KEY_READ, &key), ERROR_FILE_NOT_FOUND);
  auto widened = reinterpret_cast<HKEY>(static_cast<intptr_t>(static_cast<LONG>(0x80000002u)));
  ASSERT_EQ(RegOpenKeyExA(widened, "Software\\OnlyMachine", 0, KEY_READ, &key), ERROR_SUCCESS);
  RegCloseKey(key);
  // Closing a root does nothing and may be repeated.
  EXPECT_EQ(RegCloseKey(HKEY_LOCAL_MACHINE), ERROR_SUCCESS);
  EXPECT_EQ(RegCloseKey(HKEY_LOCAL_MACHINE), ERROR_SUCCESS);
}

TEST_F(RegistryKeysTest, BadHandles) {
  HKEY key = create("Software\\X");
  ASSERT_EQ(RegCloseKey(key), ERROR_SUCCESS);
  EXPECT_EQ(RegCloseKey(key), ERROR_INVALID_HANDLE);
  EXPECT_EQ(RegCloseKey(nullptr), ERROR_INVALID_HANDLE);
  HKEY out = nullptr;
  EXPECT_EQ(RegOpenKeyExA(key, "", 0, KEY_READ, &out), ERROR_INVALID_HANDLE);
  EXPECT_EQ(RegSetValueExA(key, "v", 0, REG_DWORD, nullptr, 0), ERROR_INVALID_HANDLE);
  EXPECT_EQ(RegFlushKey(key), ERROR_INVALID_HANDLE);
  // A handle value of another kind of object is no key either.
  HANDLE event = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  EXPECT_EQ(RegQueryValueExA(reinterpret_cast<HKEY>(event), "v", nullptr, nullptr, nullptr, nullptr),
            ERROR_INVALID_HANDLE);
  CloseHandle(event);
}

TEST_F(RegistryKeysTest, HandleRightsFollowTheRequestedAccess) {
  RegCloseKey(create("Software\\Rights"));
  HKEY reader = nullptr;
  ASSERT_EQ(open("Software\\Rights", reader, KEY_READ), ERROR_SUCCESS);
  KeyCloser closeReader{reader};
  DWORD one = 1;
  EXPECT_EQ(RegSetValueExA(reader, "v", 0, REG_DWORD, reinterpret_cast<BYTE*>(&one), 4), ERROR_ACCESS_DENIED);
  HKEY sub = nullptr;
  EXPECT_EQ(RegCreateKeyExA(reader, "New", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &sub, nullptr),
            ERROR_ACCESS_DENIED);

  HKEY writer = nullptr;
  ASSERT_EQ(open("Software\\Rights", writer, KEY_WRITE | KEY_WOW64_64KEY), ERROR_SUCCESS);
  KeyCloser closeWriter{writer};
  EXPECT_EQ(RegSetValueExA(writer, "v", 0, REG_DWORD, reinterpret_cast<BYTE*>(&one), 4), ERROR_SUCCESS);
  DWORD size = 4;
  EXPECT_EQ(RegQueryValueExA(writer, "v", nullptr, nullptr, nullptr, &size), ERROR_ACCESS_DENIED);
  EXPECT_EQ(RegQueryValueExA(reader, "v", nullptr, nullptr, nullptr, &size), ERROR_SUCCESS);
}

TEST_F(RegistryKeysTest, DeleteRefusesAKeyWithSubkeys) {
  RegCloseKey(create("Software\\Tree\\Leaf"));
  HKEY tree = create("Software\\Tree");
  KeyCloser closer{tree};
  setDword(tree, "kept", 7);

  EXPECT_EQ(RegDeleteKeyA(HKEY_LOCAL_MACHINE, "Software\\Tree"), ERROR_ACCESS_DENIED);
  EXPECT_EQ(RegDeleteKeyA(tree, "NoSuchLeaf"), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(RegDeleteKeyA(tree, ""), ERROR_ACCESS_DENIED);
  EXPECT_EQ(RegDeleteKeyA(tree, nullptr), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(RegDeleteKeyA(HKEY_LOCAL_MACHINE, ""), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(RegDeleteKeyA(tree, "LEAF"), ERROR_SUCCESS);
  HKEY key = nullptr;
  EXPECT_EQ(open("Software\\Tree\\Leaf", key), ERROR_FILE_NOT_FOUND);
  // The refused delete changed nothing.
  DWORD value = 0, size = 4;
  EXPECT_EQ(RegQueryValueExA(tree, "kept", nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size),
            ERROR_SUCCESS);
  EXPECT_EQ(value, 7u);
  // An empty name deletes the key the handle names.
  EXPECT_EQ(RegDeleteKeyA(tree, ""), ERROR_SUCCESS);
  EXPECT_EQ(open("Software\\Tree", key), ERROR_FILE_NOT_FOUND);
}

TEST_F(RegistryKeysTest, AHandleToADeletedKeyAnswersKeyDeleted) {
  HKEY victim = create("Software\\Victim");
  KeyCloser closer{victim};
  setDword(victim, "v", 1);
  ASSERT_EQ(RegDeleteKeyA(HKEY_LOCAL_MACHINE, "Software\\Victim"), ERROR_SUCCESS);
  DWORD size = 4;
  EXPECT_EQ(RegQueryValueExA(victim, "v", nullptr, nullptr, nullptr, &size), ERROR_KEY_DELETED);
  EXPECT_EQ(RegSetValueExA(victim, "v", 0, REG_DWORD, nullptr, 0), ERROR_KEY_DELETED);
  char name[16];
  EXPECT_EQ(RegEnumKeyA(victim, 0, name, sizeof name), ERROR_KEY_DELETED);
  // A new key of the same name is another key.
  RegCloseKey(create("Software\\Victim"));
  EXPECT_EQ(RegQueryValueExA(victim, "v", nullptr, nullptr, nullptr, &size), ERROR_KEY_DELETED);
  HKEY sub = nullptr;
  EXPECT_EQ(RegCreateKeyExA(victim, "Sub", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &sub, nullptr),
            ERROR_KEY_DELETED);
}

TEST_F(RegistryKeysTest, DeleteTreeRemovesEverythingBelow) {
  HKEY leaf = create("Software\\Wipe\\Board1\\AxisNumber1");
  setString(leaf, "ObjectName", "AXIS1");
  RegCloseKey(leaf);
  RegCloseKey(create("Software\\Wipe\\Board2"));
  HKEY wipe = create("Software\\Wipe");
  KeyCloser closer{wipe};
  setDword(wipe, "BoardNum", 2);

  // Without a subkey, the key is emptied but stays.
  ASSERT_EQ(RegDeleteTreeA(wipe, nullptr), ERROR_SUCCESS);
  DWORD subkeys = 9, values = 9;
  ASSERT_EQ(RegQueryInfoKeyA(wipe, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values, nullptr,
                             nullptr, nullptr, nullptr),
            ERROR_SUCCESS);
  EXPECT_EQ(subkeys, 0u);
  EXPECT_EQ(values, 0u);

  RegCloseKey(create("Software\\Wipe\\Again\\Deep"));
  ASSERT_EQ(RegDeleteTreeA(HKEY_LOCAL_MACHINE, "software\\wipe"), ERROR_SUCCESS);
  HKEY key = nullptr;
  EXPECT_EQ(open("Software\\Wipe", key), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(RegDeleteTreeA(HKEY_LOCAL_MACHINE, "Software\\Wipe"), ERROR_FILE_NOT_FOUND);
  RegCloseKey(create("Software\\Wipe\\Again"));
  HKEY again = nullptr;
  ASSERT_EQ(open("Software\\Wipe\\Again", again), ERROR_SUCCESS);
  KeyCloser closeAgain{again};
  char name[16];
  EXPECT_EQ(RegEnumKeyA(again, 0, name, sizeof name), ERROR_NO_MORE_ITEMS);
}
