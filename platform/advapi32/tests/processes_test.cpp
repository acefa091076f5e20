// One store shared by processes: what one writes the other reads, writers
// do not lose each other's keys, and a store held by another process makes
// a call wait and then fail without harm.
#include <sqlite3.h>
#include <poll.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdio>
#include <thread>
#include <vector>

#include "registry_fixture.h"

namespace {

// Runs body in a child process; its result is the exit status.
pid_t spawn(const std::function<int()>& body) {
  pid_t pid = ::fork();
  if (pid == 0) ::_exit(body());
  return pid;
}

int waitExit(pid_t pid) {
  int status = 0;
  if (::waitpid(pid, &status, 0) != pid) return -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

// A pipe for one-byte signals between parent and child.
struct Signal {
  int fds[2] = {-1, -1};
  Signal() { EXPECT_EQ(::pipe(fds), 0); }
  ~Signal() {
    ::close(fds[0]);
    ::close(fds[1]);
  }
  void raise() { EXPECT_EQ(::write(fds[1], "x", 1), 1); }
  // Bounded, so a child that died before signalling fails the test
  // instead of hanging it.
  bool await() {
    pollfd p{fds[0], POLLIN, 0};
    char c;
    return ::poll(&p, 1, 10000) == 1 && ::read(fds[0], &c, 1) == 1;
  }
};

std::string integrity(const std::string& path) {
  sqlite3* db = nullptr;
  std::string result = "cannot open";
  if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(db, "PRAGMA integrity_check", -1, &st, nullptr) == SQLITE_OK &&
        sqlite3_step(st) == SQLITE_ROW)
      result = reinterpret_cast<const char*>(sqlite3_column_text(st, 0));
    sqlite3_finalize(st);
  }
  sqlite3_close(db);
  return result;
}

}  // namespace

using RegistryProcessesTest = RegistryTest;

TEST_F(RegistryProcessesTest, WhatAChildWritesTheParentReads) {
  // The parent uses the store before the fork, so the child starts with an
  // inherited connection it must not use.
  HKEY service = create("SYSTEM\\CurrentControlSet\\Services\\Xan");
  KeyCloser closer{service};
  setString(service, "ObjectName", "parent");

  pid_t child = spawn([] {
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, "system\\currentcontrolset\\services\\xan\\GroupNumber1", 0, nullptr,
                        0, KEY_ALL_ACCESS, nullptr, &key, nullptr) != ERROR_SUCCESS)
      return 1;
    const char text[] = "AIO000";
    if (RegSetValueExA(key, "ObjectName", 0, REG_SZ, reinterpret_cast<const BYTE*>(text), sizeof text) !=
        ERROR_SUCCESS)
      return 2;
    RegCloseKey(key);
    HKEY parentKey = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SYSTEM\\CurrentControlSet\\Services\\Xan", 0, KEY_READ, &parentKey) !=
        ERROR_SUCCESS)
      return 3;
    char buffer[16];
    DWORD size = sizeof buffer;
    if (RegQueryValueExA(parentKey, "objectname", nullptr, nullptr, reinterpret_cast<BYTE*>(buffer), &size) !=
            ERROR_SUCCESS ||
        std::string(buffer) != "parent")
      return 4;
    return 0;
  });
  ASSERT_EQ(waitExit(child), 0);

  HKEY group = nullptr;
  ASSERT_EQ(RegOpenKeyExA(service, "GroupNumber1", 0, KEY_READ, &group), ERROR_SUCCESS);
  KeyCloser closeGroup{group};
  EXPECT_EQ(getString(group, "ObjectName"), "AIO000");
}

TEST_F(RegistryProcessesTest, AChildKeepsItsWritesAfterItsParentLetsTheStoreGo) {
  HKEY key = create("Software\\Late");
  KeyCloser closer{key};
  setString(key, "State", "parent");
  Signal wrote, go;
  pid_t child = spawn([&] {
    setString(key, "State", "early");
    wrote.raise();
    if (!go.await()) return 1;
    setString(key, "State", "late");
    return ::testing::Test::HasFailure() ? 2 : 0;
  });
  ASSERT_TRUE(wrote.await());
  // The parent's connection closes; a process that then opens and closes
  // the store alone would fold the log away and delete it, from under a
  // child that holds the store without a lock of its own.
  ::setenv("ORVANE_REGISTRY", (dir_ + "/elsewhere.sqlite").c_str(), 1);
  RegCloseKey(create("Software"));
  EXPECT_EQ(integrity(store_), "ok");
  go.raise();
  ASSERT_EQ(waitExit(child), 0);
  ::setenv("ORVANE_REGISTRY", store_.c_str(), 1);
  EXPECT_EQ(getString(key, "State"), "late");
}

TEST_F(RegistryProcessesTest, ConcurrentWritersKeepEachOthersKeys) {
  // The store does not exist yet: the writers also race to make it.
  constexpr int kWriters = 4;
  constexpr int kKeysEach = 20;
  std::vector<pid_t> children;
  for (int w = 0; w < kWriters; ++w) {
    children.push_back(spawn([w] {
      for (int k = 0; k < kKeysEach; ++k) {
        std::string path = "Software\\Shared\\Writer" + std::to_string(w) + "\\Key" + std::to_string(k);
        HKEY key = nullptr;
        if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                            nullptr) != ERROR_SUCCESS)
          return 1;
        DWORD value = static_cast<DWORD>(w * 100 + k);
        LONG status = RegSetValueExA(key, "Value", 0, REG_DWORD, reinterpret_cast<BYTE*>(&value), sizeof value);
        RegCloseKey(key);
        if (status != ERROR_SUCCESS) return 2;
      }
      return 0;
    }));
  }
  for (pid_t child : children) EXPECT_EQ(waitExit(child), 0);

  HKEY shared = nullptr;
  ASSERT_EQ(open("Software\\Shared", shared), ERROR_SUCCESS);
  KeyCloser closer{shared};
  DWORD writers = 0;
  ASSERT_EQ(RegQueryInfoKeyA(shared, nullptr, nullptr, nullptr, &writers, nullptr, nullptr, nullptr, nullptr,
                             nullptr, nullptr, nullptr),
            ERROR_SUCCESS);
  EXPECT_EQ(writers, static_cast<DWORD>(kWriters));
  for (int w = 0; w < kWriters; ++w) {
    for (int k = 0; k < kKeysEach; ++k) {
      std::string path = "Writer" + std::to_string(w) + "\\Key" + std::to_string(k);
      HKEY key = nullptr;
      ASSERT_EQ(RegOpenKeyExA(shared, path.c_str(), 0, KEY_READ, &key), ERROR_SUCCESS) << path;
      DWORD value = 0, size = sizeof value;
      EXPECT_EQ(RegQueryValueExA(key, "Value", nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size),
                ERROR_SUCCESS);
      EXPECT_EQ(value, static_cast<DWORD>(w * 100 + k));
      RegCloseKey(key);
    }
  }
}

TEST_F(RegistryProcessesTest, AWriterHeldUpByAnotherProcessWaitsThenFails) {
  HKEY key = create("Software\\Locked");
  KeyCloser closer{key};
  setString(key, "State", "before");

  Signal locked, release;
  std::string path = store_;
  pid_t child = spawn([&] {
    sqlite3* db = nullptr;
    if (sqlite3_open(path.c_str(), &db) != SQLITE_OK) return 1;
    if (sqlite3_exec(db, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr) != SQLITE_OK) return 2;
    locked.raise();
    release.await();
    sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(db);
    return 0;
  });
  ASSERT_TRUE(locked.await());

  ::setenv("ORVANE_REGISTRY_BUSY_MS", "200", 1);
  auto start = std::chrono::steady_clock::now();
  const char text[] = "after";
  EXPECT_EQ(RegSetValueExA(key, "State", 0, REG_SZ, reinterpret_cast<const BYTE*>(text), sizeof text), ERROR_BUSY);
  auto waited = std::chrono::steady_clock::now() - start;
  EXPECT_GE(waited, std::chrono::milliseconds(100));  // it waited rather than failing at once
  HKEY created = nullptr;
  EXPECT_EQ(RegCreateKeyExA(key, "New", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &created, nullptr), ERROR_BUSY);
  EXPECT_EQ(created, nullptr);
  // A reader is not held up by the writer.
  EXPECT_EQ(getString(key, "State"), "before");

  release.raise();
  ASSERT_EQ(waitExit(child), 0);
  EXPECT_EQ(integrity(store_), "ok");
  setString(key, "State", "after");
  EXPECT_EQ(getString(key, "State"), "after");
  HKEY none = nullptr;
  EXPECT_EQ(RegOpenKeyExA(key, "New", 0, KEY_READ, &none), ERROR_FILE_NOT_FOUND);
}

TEST_F(RegistryProcessesTest, AStoreHeldExclusivelyMakesReadersWaitThenFail) {
  HKEY key = create("Software\\Locked");
  KeyCloser closer{key};
  setString(key, "State", "kept");
  // An exclusive hold can only be taken while no process has the store
  // open, so this process looks at another store for a while (its
  // connection to the first one is closed then).
  std::string elsewhere = dir_ + "/elsewhere.sqlite";
  ::setenv("ORVANE_REGISTRY", elsewhere.c_str(), 1);
  RegCloseKey(create("Software"));

  Signal locked, release;
  std::string path = store_;
  pid_t child = spawn([&] {
    sqlite3* db = nullptr;
    if (sqlite3_open(path.c_str(), &db) != SQLITE_OK) return 1;
    sqlite3_busy_timeout(db, 2000);
    // Exclusive locking mode holds the whole file, readers included.
    if (sqlite3_exec(db, "PRAGMA locking_mode=EXCLUSIVE; BEGIN EXCLUSIVE; UPDATE vals SET data = x'00';", nullptr,
                     nullptr, nullptr) != SQLITE_OK) {
      std::fprintf(stderr, "child: %s\n", sqlite3_errmsg(db));
      return 2;
    }
    locked.raise();
    release.await();
    sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(db);
    return 0;
  });
  ASSERT_TRUE(locked.await());

  ::setenv("ORVANE_REGISTRY_BUSY_MS", "150", 1);
  ::setenv("ORVANE_REGISTRY", store_.c_str(), 1);
  char buffer[16];
  DWORD size = sizeof buffer;
  EXPECT_EQ(RegQueryValueExA(key, "State", nullptr, nullptr, reinterpret_cast<BYTE*>(buffer), &size), ERROR_BUSY);
  release.raise();
  ASSERT_EQ(waitExit(child), 0);
  // The other process's unfinished change never shows.
  EXPECT_EQ(getString(key, "State"), "kept");
  EXPECT_EQ(integrity(store_), "ok");
}

TEST_F(RegistryProcessesTest, ThreadsShareHandlesSafely) {
  HKEY key = create("Software\\Threads");
  KeyCloser closer{key};
  std::vector<std::thread> threads;
  std::atomic<int> failures{0};
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&, t] {
      for (int i = 0; i < 10; ++i) {
        std::string name = "T" + std::to_string(t) + "_" + std::to_string(i);
        HKEY sub = nullptr;
        if (RegCreateKeyExA(key, name.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &sub, nullptr) !=
            ERROR_SUCCESS) {
          ++failures;
          continue;
        }
        DWORD value = static_cast<DWORD>(i);
        if (RegSetValueExA(key, name.c_str(), 0, REG_DWORD, reinterpret_cast<BYTE*>(&value), 4) != ERROR_SUCCESS)
          ++failures;
        RegCloseKey(sub);
      }
    });
  }
  for (auto& thread : threads) thread.join();
  EXPECT_EQ(failures.load(), 0);
  DWORD subkeys = 0, values = 0;
  ASSERT_EQ(RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values, nullptr, nullptr,
                             nullptr, nullptr),
            ERROR_SUCCESS);
  EXPECT_EQ(subkeys, 40u);
  EXPECT_EQ(values, 40u);
}

TEST_F(RegistryProcessesTest, AStoreDeletedOrReplacedAtItsPathTakesTheWritesThatFollow) {
  for (bool replaced : {false, true}) {
    SCOPED_TRACE(replaced ? "replaced" : "deleted");
    std::string backup = dir_ + "/backup.sqlite";
    if (replaced) {
      ::setenv("ORVANE_REGISTRY", backup.c_str(), 1);
      RegCloseKey(create("Software\\Backup"));
      ::setenv("ORVANE_REGISTRY", store_.c_str(), 1);
    }
    HKEY before = create("Software\\Before");
    KeyCloser closer{before};
    for (const char* suffix : {"", "-wal", "-shm"}) ::unlink((store_ + suffix).c_str());
    if (replaced) {
      ASSERT_EQ(::rename(backup.c_str(), store_.c_str()), 0);
    }

    EXPECT_EQ(RegSetValueExA(before, "State", 0, REG_SZ, reinterpret_cast<const BYTE*>("x"), 2), ERROR_KEY_DELETED);
    HKEY after = create("Software\\After");
    setString(after, "State", "after");
    RegCloseKey(after);
    pid_t child = spawn([replaced] {
      HKEY key = nullptr;
      if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\After", 0, KEY_READ, &key) != ERROR_SUCCESS) return 1;
      if (getString(key, "State") != "after") return 2;
      RegCloseKey(key);
      if (replaced && RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Backup", 0, KEY_READ, &key) != ERROR_SUCCESS)
        return 3;
      return 0;
    });
    EXPECT_EQ(waitExit(child), 0);
  }
}
