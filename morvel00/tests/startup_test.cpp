// Start-up from the service key: the board search, the device name, the
// bounds on the configuration, and what a failed start or an unload leaves.
#include <string>
#include <utility>

#include "driver_fixture.h"

namespace {

using morvel00test::BoardEntry;
using morvel00test::DefaultBoard;
using morvel00test::GroupEntry;

TEST_F(DriverTest, StartsFromItsServiceKeyAndOpensTheBoardItFound) {
  ASSERT_EQ(startOneBoard(), STATUS_SUCCESS);
  HANDLE h = open();
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  EXPECT_EQ(openGroup(h, 1), XAN_OK);
  XanRequest r{};
  r.sts.handle = value(h);
  ASSERT_EQ(send(h, XAN_STS, r), DWORD{16});
  EXPECT_EQ(r.sts.result, XAN_OK);
  EXPECT_EQ(r.sts.state, XAN_STATE_FINISHED);
  // Groups beyond GroupNum do not exist.
  EXPECT_EQ(openGroup(h, 2), XAN_E_GROUP);
  EXPECT_EQ(openGroup(h, 0), XAN_E_GROUP);
}

TEST_F(DriverTest, TheDeviceIndexComesFromTheServiceName) {
  struct Row {
    const char* service;
    const char* path;
  };
  for (const Row& row : {Row{"Morvel07", "\\\\.\\Xan07Dev"}, Row{"Morvel00", "\\\\.\\Xan00Dev"},
                         Row{"MorvelX", "\\\\.\\Xan20Dev"}}) {
    ASSERT_EQ(start({{{DefaultBoard()}}}, row.service), STATUS_SUCCESS) << row.service;
    EXPECT_NE(open(row.path), INVALID_HANDLE_VALUE) << row.service;
    for (HANDLE h : handles_) CloseHandle(h);
    handles_.clear();
    NTK_LEFTOVERS left{};
    EXPECT_EQ(NtkUnloadDriver(row.service, &left), STATUS_SUCCESS);
    started_ = false;
    plat::bus::UnplugAll();
    NtkClearResourceMap();
  }
}

// Each group's search result becomes what every open of it answers.
TEST_F(DriverTest, ASearchThatFailsIsWhatTheGroupsOpenAnswers) {
  BoardEntry missing = DefaultBoard(0x320, 5, {0, 5, 0});
  missing.plug = false;
  missing.spec.deviceId = 0x0199;
  BoardEntry otherRevision = DefaultBoard(0x340, 5, {0, 6, 0});
  otherRevision.spec.boardId = 1;
  BoardEntry twin1 = DefaultBoard(0x360, 5, {0, 7, 0});
  twin1.spec.deviceId = 0x0124;
  twin1.spec.model = "MVA-1616FPCI";
  twin1.spec.boardType = 3;
  BoardEntry twin2 = twin1;
  twin2.spec.ioBase = 0x380;
  twin2.slot = {0, 8, 0};
  GroupEntry empty;
  empty.boardNum = 0;
  // Group 2 asks for revision 0 of a device that is only on the bus as 1.
  BoardEntry askRevision0 = otherRevision;
  askRevision0.plug = false;
  askRevision0.spec.boardId = 0;
  askRevision0.spec.deviceId = 0x0122;
  BoardEntry revision1 = otherRevision;
  revision1.spec.deviceId = 0x0122;
  revision1.spec.model = "MVA-1216FPCI";
  revision1.spec.boardType = 1;

  ASSERT_EQ(start({{{missing}}, {{askRevision0, revision1}}, {{twin1, twin2}}, empty, {{DefaultBoard()}}}),
                  STATUS_SUCCESS);
  HANDLE h = open();
  const int16_t expected[] = {XAN_E_BOARD, XAN_E_PCI_SEARCH, XAN_E_PCI_SEARCH2, XAN_E_BOARD, XAN_OK};
  for (int16_t g = 1; g <= 5; ++g) EXPECT_EQ(openGroup(h, g), expected[g - 1]) << "group " << g;
}

TEST_F(DriverTest, ConfigurationBeyondItsBoundsStartsWithinThem) {
  // GroupNum 17 keeps 16 groups; BoardNum 5 keeps 4 boards; a BoardConfig of
  // -1 on a type that divides by C + 1 gives 0 channels instead of a fault.
  std::vector<GroupEntry> groups(17);
  for (auto& g : groups) g.boardNum = 0;
  BoardEntry divided = DefaultBoard();
  divided.spec.boardType = 7;
  divided.boardConfig = 0xFFFFFFFF;
  groups[0].boards = {divided};
  groups[0].boardNum = 5;
  groups[0].irqNo = 0xFFFFFFFF;
  ASSERT_EQ(start(groups), STATUS_SUCCESS);
  HANDLE h = open();
  EXPECT_EQ(openGroup(h, 16), XAN_E_BOARD);
  EXPECT_EQ(openGroup(h, 17), XAN_E_GROUP);
  // Boards 2 to 4 have no keys at all, so none inherits board 1's values.
  EXPECT_EQ(openGroup(h, 1), XAN_E_BOARD);
}

TEST_F(DriverTest, AMissingBoardValueDoesNotFindThePreviousGroupsBoard) {
  BoardEntry second = DefaultBoard(0x320, 5, {0, 5, 0});
  second.plug = false;
  morvel00test::Install({{{DefaultBoard()}}, {{second}}});
  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE,
                          "SYSTEM\\CurrentControlSet\\Services\\Morvel20\\GroupNumber2\\BoardNumber1", 0,
                          KEY_ALL_ACCESS, &key),
            ERROR_SUCCESS);
  RegDeleteValueA(key, "DeviceID");
  RegCloseKey(key);
  service_ = morvel00test::kService;
  ASSERT_EQ(NtkStartDriver(morvel00test::kService, nullptr), STATUS_SUCCESS);
  started_ = true;
  HANDLE h = open();
  EXPECT_EQ(openGroup(h, 2), XAN_E_BOARD);
}

// A value whose type does not fit its variable (as an import writes any
// quoted value as text) is taken as missing: the start and the open answer
// as they do without it, and nothing lands beside the variable (no pool
// block is left, and the sanitizers see no stray access).
TEST_F(DriverTest, AValueOfAWrongTypeIsTakenAsMissing) {
  const std::string service = std::string("SYSTEM\\CurrentControlSet\\Services\\") + morvel00test::kService;
  const std::string group = service + "\\GroupNumber1";
  const std::string board = group + "\\BoardNumber1";
  const struct {
    const std::string& key;
    const char* name;
    DWORD type;  // its own
  } values[] = {
      {service, "MachineType", REG_DWORD}, {service, "GroupNum", REG_DWORD}, {group, "BoardNum", REG_DWORD},
      {group, "IrqNo", REG_DWORD},         {board, "IoAddress", REG_DWORD},  {board, "BoardType", REG_DWORD},
      {board, "BoardConfig", REG_DWORD},   {board, "BoardID", REG_DWORD},    {board, "DeviceID", REG_DWORD},
      {board, "BoardName", REG_SZ},
  };
  const struct {
    DWORD type;
    std::string data;
  } kinds[] = {
      {REG_SZ, std::string("290\0", 4)},       {REG_EXPAND_SZ, std::string("290\0", 4)},
      {REG_MULTI_SZ, std::string("290\0\0", 5)}, {REG_DWORD, std::string("\xFE\xFF\xFF\xFF", 4)},
      {REG_BINARY, std::string("\x22\x01\0\0", 4)}, {REG_QWORD, std::string("\x22\x01\0\0\0\0\0\0", 8)},
  };
  // The start's status and group 1's open; the value deleted for type REG_NONE.
  auto startWith = [&](const std::string& key, const char* name, DWORD type, const std::string& data) {
    morvel00test::Install({{{DefaultBoard()}}});
    HKEY k = nullptr;
    EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_ALL_ACCESS, &k), ERROR_SUCCESS);
    if (type == REG_NONE) {
      RegDeleteValueA(k, name);
    } else {
      RegSetValueExA(k, name, 0, type, reinterpret_cast<const BYTE*>(data.data()), static_cast<DWORD>(data.size()));
    }
    RegCloseKey(k);
    std::pair<NTSTATUS, int16_t> answer{NtkStartDriver(morvel00test::kService, nullptr), XAN_E_CALL};
    if (NT_SUCCESS(answer.first)) {
      HANDLE h = CreateFileA(morvel00test::kDevicePath, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0,
                             nullptr);
      answer.second = openGroup(h, 1);
      CloseHandle(h);
      NTK_LEFTOVERS left{};
      EXPECT_EQ(NtkUnloadDriver(morvel00test::kService, &left), STATUS_SUCCESS);
      EXPECT_EQ(left.PoolAllocations, 0u) << name << " of type " << type;
    }
    plat::bus::UnplugAll();
    NtkClearResourceMap();
    return answer;
  };
  for (const auto& v : values) {
    const auto missing = startWith(v.key, v.name, REG_NONE, {});
    for (const auto& kind : kinds) {
      if (kind.type == v.type || (v.type == REG_SZ && kind.type == REG_EXPAND_SZ)) continue;
      EXPECT_EQ(startWith(v.key, v.name, kind.type, kind.data), missing) << v.name << " of type " << kind.type;
    }
  }
}

// Any program may write the name: one longer than its field, up to the
// longest the registry query can hand over and beyond, still starts the board.
TEST_F(DriverTest, ABoardNameOfAnyLengthStartsTheBoard) {
  const std::string board =
      std::string("SYSTEM\\CurrentControlSet\\Services\\") + morvel00test::kService + "\\GroupNumber1\\BoardNumber1";
  for (const size_t length : {51u, 255u, 32766u, 32767u}) {
    const auto boards = morvel00test::Install({{{DefaultBoard()}}});
    HKEY k = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, board.c_str(), 0, KEY_ALL_ACCESS, &k), ERROR_SUCCESS);
    const std::string name(length, 'n');
    RegSetValueExA(k, "BoardName", 0, REG_SZ, reinterpret_cast<const BYTE*>(name.c_str()),
                   static_cast<DWORD>(name.size() + 1));
    RegCloseKey(k);
    ASSERT_EQ(NtkStartDriver(morvel00test::kService, nullptr), STATUS_SUCCESS) << length;
    HANDLE h = CreateFileA(morvel00test::kDevicePath, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0,
                           nullptr);
    EXPECT_EQ(openGroup(h, 1), XAN_OK) << length;
    CloseHandle(h);
    NTK_LEFTOVERS left{};
    EXPECT_EQ(NtkUnloadDriver(morvel00test::kService, &left), STATUS_SUCCESS);
    EXPECT_EQ(left.PoolAllocations, 0u) << length;
    plat::bus::UnplugAll();
    NtkClearResourceMap();
  }
}

BOOLEAN FailNth(POOL_TYPE, SIZE_T, ULONG, PVOID context) {
  auto* countdown = static_cast<int*>(context);
  return --*countdown == 0;
}

// Every allocation start-up makes can fail, and a line the machine does not
// have fails the interrupt connection: each failed start leaves nothing.
TEST_F(DriverTest, AFailedStartLeavesNothingBehind) {
  auto failedStart = [&](const std::vector<GroupEntry>& groups, int failAt) {
    SIZE_T bytesBefore = 0;
    const ULONG before = NtkPoolOutstanding(&bytesBefore);
    morvel00test::Install(groups);
    int countdown = failAt;
    if (failAt > 0) NtkSetPoolFailureHook(FailNth, &countdown);
    NTK_LEFTOVERS left{};
    const NTSTATUS status = NtkStartDriver(morvel00test::kService, &left);
    NtkSetPoolFailureHook(nullptr, nullptr);
    if (NT_SUCCESS(status)) {
      NtkUnloadDriver(morvel00test::kService, &left);
    } else {
      EXPECT_EQ(left.PoolAllocations + left.Devices + left.SymbolicLinks + left.InterruptsConnected +
                    left.TimersSet + left.DpcsQueued,
                0u)
          << "fail at " << failAt;
    }
    EXPECT_EQ(NtkPoolOutstanding(nullptr), before) << "fail at " << failAt;
    plat::bus::UnplugAll();
    NtkClearResourceMap();
    return NT_SUCCESS(status);
  };
  int failures = 0;
  for (int n = 1; n < 64 && !failedStart({{{DefaultBoard()}}}, n); ++n) ++failures;
  EXPECT_GT(failures, 2) << "device, path buffers and controller can all fail";

  // Group 1 connects its interrupt before group 2's fails.
  BoardEntry first = DefaultBoard(0x320, 5, {0, 5, 0});
  first.spec.deviceId = 0x0125;
  GroupEntry noSuchLine{{DefaultBoard()}};
  noSuchLine.irqNo = 200;
  EXPECT_FALSE(failedStart({{{first}}, noSuchLine}, 0));
}

TEST_F(DriverTest, UnloadLeavesNoPoolAndNoTimerOrDpc) {
  const ULONG before = NtkPoolOutstanding(nullptr);
  ASSERT_EQ(startOneBoard(), STATUS_SUCCESS);
  HANDLE h = open();
  ASSERT_EQ(openGroup(h, 1), XAN_OK);
  XanRequest r{};
  r.close.handle = value(h);
  ASSERT_TRUE(send(h, XAN_CLOSE, r));
  // TearDown checks the leftovers of the unload.
  CloseHandle(h);
  handles_.clear();
  NTK_LEFTOVERS left{};
  ASSERT_EQ(NtkUnloadDriver(morvel00test::kService, &left), STATUS_SUCCESS);
  started_ = false;
  EXPECT_EQ(left.PoolAllocations + left.TimersSet + left.DpcsQueued + left.InterruptsConnected, 0u);
  EXPECT_EQ(NtkPoolOutstanding(nullptr), before);
}

}  // namespace
