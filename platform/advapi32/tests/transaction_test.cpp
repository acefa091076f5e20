// A transaction held across calls: other processes see the store as it was
// until the commit, a holder killed midway leaves nothing of its changes, a
// failed call inside takes back only itself, and another thread of the
// process waits for the holder as another process would.
#include <platform/registry_transaction.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>

#include <thread>

#include "registry_fixture.h"

namespace {

constexpr const char* kKey = "SYSTEM\\CurrentControlSet\\Services\\Xan";

std::string valueNow() {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return "<no key>";
  KeyCloser closer{key};
  char text[64] = {};
  DWORD size = sizeof text - 1;
  if (RegQueryValueExA(key, "ObjectName", nullptr, nullptr, reinterpret_cast<BYTE*>(text), &size) != ERROR_SUCCESS)
    return "<no value>";
  return text;
}

LONG setValue(const char* text) {
  HKEY key = nullptr;
  LONG status = RegCreateKeyExA(HKEY_LOCAL_MACHINE, kKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
  if (status != ERROR_SUCCESS) return status;
  status = RegSetValueExA(key, "ObjectName", 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                          static_cast<DWORD>(std::strlen(text) + 1));
  RegCloseKey(key);
  return status;
}

bool await(int fd) {
  pollfd p{fd, POLLIN, 0};
  char c;
  return ::poll(&p, 1, 10000) == 1 && ::read(fd, &c, 1) == 1;
}

}  // namespace

using RegistryTransactionTest = RegistryTest;

TEST_F(RegistryTransactionTest, AHolderKilledBeforeItsCommitLeavesTheOld) {
  ASSERT_EQ(setValue("old"), ERROR_SUCCESS);
  for (bool commits : {false, true}) {
    int fds[2];
    ASSERT_EQ(::pipe(fds), 0);
    const pid_t child = ::fork();
    if (child == 0) {
      plat::RegistryTransaction transaction;
      if (transaction.status() != ERROR_SUCCESS || setValue("new") != ERROR_SUCCESS) ::_exit(1);
      if (commits && transaction.commit() != ERROR_SUCCESS) ::_exit(1);
      (void)!::write(fds[1], "x", 1);
      ::pause();
      ::_exit(0);
    }
    ASSERT_TRUE(await(fds[0]));
    if (!commits) {
      EXPECT_EQ(valueNow(), "old") << "seen before the commit";
    }
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    ::close(fds[0]);
    ::close(fds[1]);
    EXPECT_EQ(valueNow(), commits ? "new" : "old");
  }
}

TEST_F(RegistryTransactionTest, AFailedCallInsideTakesBackOnlyItself) {
  HKEY parent = create("SYSTEM\\CurrentControlSet\\Services\\Xan\\GroupNumber1");
  RegCloseKey(parent);
  {
    plat::RegistryTransaction transaction;
    ASSERT_EQ(transaction.status(), ERROR_SUCCESS);
    EXPECT_EQ(setValue("kept"), ERROR_SUCCESS);
    // A key with subkeys is not deleted.
    EXPECT_NE(RegDeleteKeyA(HKEY_LOCAL_MACHINE, kKey), ERROR_SUCCESS);
    EXPECT_EQ(transaction.commit(), ERROR_SUCCESS);
  }
  EXPECT_EQ(valueNow(), "kept");
  {
    plat::RegistryTransaction dropped;
    EXPECT_EQ(setValue("dropped"), ERROR_SUCCESS);
  }
  EXPECT_EQ(valueNow(), "kept");
  EXPECT_EQ(plat::CommitRegistryTransaction(), ERROR_INVALID_FUNCTION);
}

TEST_F(RegistryTransactionTest, AnotherThreadWaitsForTheHolder) {
  ::setenv("ORVANE_REGISTRY_BUSY_MS", "50", 1);
  ASSERT_EQ(setValue("old"), ERROR_SUCCESS);
  plat::RegistryTransaction transaction;
  ASSERT_EQ(transaction.status(), ERROR_SUCCESS);
  ASSERT_EQ(setValue("new"), ERROR_SUCCESS);
  LONG whileHeld = ERROR_SUCCESS;
  std::thread([&] { whileHeld = setValue("other"); }).join();
  EXPECT_EQ(whileHeld, ERROR_BUSY);
  EXPECT_EQ(transaction.commit(), ERROR_SUCCESS);
  std::string seen;
  std::thread([&] { seen = valueNow(); }).join();
  EXPECT_EQ(seen, "new");
}

TEST_F(RegistryTransactionTest, AChildForkedDuringAHoldUsesTheStoreAsCommitted) {
  ::setenv("ORVANE_REGISTRY_BUSY_MS", "300", 1);
  ASSERT_EQ(setValue("old"), ERROR_SUCCESS);
  int seen[2], committed[2];
  ASSERT_EQ(::pipe(seen), 0);
  ASSERT_EQ(::pipe(committed), 0);
  plat::RegistryTransaction transaction;
  ASSERT_EQ(transaction.status(), ERROR_SUCCESS);
  ASSERT_EQ(setValue("uncommitted"), ERROR_SUCCESS);
  const pid_t child = ::fork();
  if (child == 0) {
    // The parent's hold is not the child's: it reads what was committed.
    if (valueNow() != "old") ::_exit(1);
    (void)!::write(seen[1], "x", 1);
    if (!await(committed[0])) ::_exit(2);
    if (setValue("child") != ERROR_SUCCESS) ::_exit(3);
    ::_exit(valueNow() == "child" ? 0 : 4);
  }
  EXPECT_TRUE(await(seen[0]));
  EXPECT_EQ(transaction.commit(), ERROR_SUCCESS);
  (void)!::write(committed[1], "x", 1);
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  for (int fd : {seen[0], seen[1], committed[0], committed[1]}) ::close(fd);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0) << "1: saw the hold; 3: could not write";
  EXPECT_EQ(valueNow(), "child");
}

TEST_F(RegistryTransactionTest, ASnapshotSeesOneStateAndHoldsNoWriterUp) {
  ::setenv("ORVANE_REGISTRY_BUSY_MS", "300", 1);
  ASSERT_EQ(setValue("old"), ERROR_SUCCESS);
  {
    plat::RegistrySnapshot snapshot;
    ASSERT_EQ(snapshot.status(), ERROR_SUCCESS);
    EXPECT_EQ(valueNow(), "old");
    LONG thread = ERROR_BUSY;
    std::thread([&] { thread = setValue("thread"); }).join();
    EXPECT_EQ(thread, ERROR_SUCCESS);
    // A child forked during the snapshot writes and reads the store as it is.
    const pid_t child = ::fork();
    if (child == 0) ::_exit(setValue("child") != ERROR_SUCCESS ? 1 : valueNow() != "child" ? 2 : 0);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    plat::RegistrySnapshot nested;
    EXPECT_EQ(valueNow(), "old");
  }
  EXPECT_EQ(valueNow(), "child");
  EXPECT_EQ(plat::EndRegistrySnapshot(), ERROR_INVALID_FUNCTION);

  // Inside a held transaction a snapshot sees the transaction's changes.
  plat::RegistryTransaction transaction;
  ASSERT_EQ(setValue("mine"), ERROR_SUCCESS);
  {
    plat::RegistrySnapshot snapshot;
    EXPECT_EQ(valueNow(), "mine");
  }
  EXPECT_EQ(transaction.commit(), ERROR_SUCCESS);
  EXPECT_EQ(plat::EndRegistrySnapshot(), ERROR_INVALID_FUNCTION);
}

// A snapshot's state is the store's at its begin, whatever is committed
// before its first read or after an inner snapshot ends.
TEST_F(RegistryTransactionTest, ASnapshotKeepsTheStateOfItsBeginPastAnInnerOne) {
  for (bool inner : {false, true}) {
    SCOPED_TRACE(inner ? "an inner snapshot begun and ended" : "no read before the commit");
    ASSERT_EQ(setValue("old"), ERROR_SUCCESS);
    plat::RegistrySnapshot snapshot;
    ASSERT_EQ(snapshot.status(), ERROR_SUCCESS);
    if (inner) {
      plat::RegistrySnapshot nested;
    }
    LONG thread = ERROR_BUSY;
    std::thread([&] { thread = setValue("new"); }).join();
    EXPECT_EQ(thread, ERROR_SUCCESS);
    EXPECT_EQ(valueNow(), "old");
  }
}

// The system gives an ended thread's id to later threads: a hold it left
// must neither show them the old state nor take their writes into a
// transaction that no one commits, and what it wrote inside is gone.
TEST_F(RegistryTransactionTest, AHoldEndsWithItsThread) {
  ::setenv("ORVANE_REGISTRY_BUSY_MS", "300", 1);
  for (bool transaction : {false, true}) {
    SCOPED_TRACE(transaction ? "transaction" : "snapshot");
    ASSERT_EQ(setValue("old"), ERROR_SUCCESS);
    std::thread([transaction] {
      if (transaction) {
        EXPECT_EQ(plat::BeginRegistryTransaction(), ERROR_SUCCESS);
        EXPECT_EQ(setValue("never committed"), ERROR_SUCCESS);
      } else {
        EXPECT_EQ(plat::BeginRegistrySnapshot(), ERROR_SUCCESS);
      }
    }).join();
    EXPECT_EQ(valueNow(), "old");
    for (const char* text : {"later 1", "later 2", "later 3"}) {
      LONG wrote = ERROR_BUSY;
      std::string seen;
      std::thread([&] {
        wrote = setValue(text);
        seen = valueNow();
      }).join();
      EXPECT_EQ(wrote, ERROR_SUCCESS);
      EXPECT_EQ(seen, text);
    }
    const pid_t child = ::fork();
    if (child == 0) ::_exit(valueNow() == "later 3" ? 0 : 1);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "another process sees the later writes";
  }
}

// The log keeps every page a snapshot may still need; once none does, the
// commits that follow fold it back and cut it to a bounded size.
TEST_F(RegistryTransactionTest, TheLogShrinksOnceNoSnapshotNeedsItsOldPages) {
  ASSERT_EQ(setValue("old"), ERROR_SUCCESS);
  {
    plat::RegistrySnapshot snapshot;
    ASSERT_EQ(valueNow(), "old");
    // Each a quarter of a megabyte that differs from the last throughout.
    for (int i = 0; i < 100; ++i) ASSERT_EQ(setValue(std::string(256 * 1024, 'a' + i % 2).c_str()), ERROR_SUCCESS);
    ASSERT_GT(std::filesystem::file_size(store_ + "-wal"), 16u << 20) << "the snapshot kept the log from folding";
  }
  for (int i = 0; i < 2; ++i) ASSERT_EQ(setValue("after"), ERROR_SUCCESS);
  EXPECT_LE(std::filesystem::file_size(store_ + "-wal"), 8u << 20);
}
