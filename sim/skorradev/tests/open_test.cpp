// Opening boards, the handle space shared with the platform, code forms.
#include "skorradev_fixture.h"

TEST(SkorradevCodes, NtCodesCarryTheMethodOfTheirFunction) {
  EXPECT_EQ(SKORRADEV_NT_CODE(0xAFB, METHOD_OUT_DIRECT), 0x8CE42BEEu);
  EXPECT_EQ(SKORRADEV_NT_CODE(0xB0C, METHOD_IN_DIRECT), 0x8CE42C31u);
  EXPECT_EQ(SKORRADEV_NT_CODE(0x901, METHOD_BUFFERED), 0x8CE42404u);
  EXPECT_EQ(SKORRADEV_FUNCTION_OF(0x8CE42BEEu), 0xAFBu);
  EXPECT_EQ(SKORRADEV_FUNCTION_OF(0xAC8u), 0xAC8u);
}

TEST(SkorradevCodes, TheDriverHasExactlyTheListedFunctions) {
  int present = 0;
  for (DWORD f = 0x900; f <= 0xB20; ++f) {
    DWORD in = 0, out = 0;
    if (SkorradevRequestSizes(f, &in, &out)) ++present;
  }
  EXPECT_EQ(present, 97);
  for (DWORD absent : {0xAF0u, 0xAF6u, 0xB0Du, 0xB0Eu, 0xB15u, 0x910u}) {
    EXPECT_FALSE(SkorradevRequestSizes(absent, nullptr, nullptr)) << std::hex << absent;
  }
  struct Expected {
    DWORD function, in, out;
  };
  for (Expected e : {Expected{0x900, 60, 60}, {0x901, 380, 380}, {0x902, 4, 4}, {0x905, 8, 0}, {0xAC4, 2120, 2120},
                     {0xAC6, 16, 16}, {0xACB, 148, 148}, {0xAD0, 0, 4}, {0xAD3, 2084, 2084}, {0xAE0, 2160, 2160},
                     {0xAE7, 20, 20}, {0xAEF, 24, 24}, {0xAF4, 2128, 2128}, {0xB0F, 12, 8}, {0xB0C, 0, 0}}) {
    DWORD in = 1, out = 1;
    ASSERT_TRUE(SkorradevRequestSizes(e.function, &in, &out));
    EXPECT_EQ(in, e.in) << std::hex << e.function;
    EXPECT_EQ(out, e.out) << std::hex << e.function;
  }
}

TEST_F(SkorradevTest, DefaultBoardsOpenByNameWithoutRegardToCase) {
  HANDLE h = SkorradevCreateFile("\\\\.\\skorra2", 0, 0, nullptr, OPEN_EXISTING, 0x40000080, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  open_.push_back(h);
  SkorradevDeviceInfoReply info{2, {}};
  EXPECT_EQ(request(h, SKDF_DEVICE_INFO, info), 0u);
  EXPECT_EQ(info.info[SKDI_MODEL], 4597u);

  SetLastError(0);
  EXPECT_EQ(open(3), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
}

TEST_F(SkorradevTest, OnlyBoardPathsOpen) {
  for (const char* path : {"\\\\.\\SKORRA", "\\\\.\\SKORRA0", "SKORRA1", "C:\\x.txt", "\\\\.\\SKORRA1x"}) {
    EXPECT_EQ(SkorradevCreateFile(path, 0, 0, nullptr, OPEN_EXISTING, 0, nullptr), INVALID_HANDLE_VALUE) << path;
  }
  EXPECT_EQ(SkorradevCreateFile(nullptr, 0, 0, nullptr, OPEN_EXISTING, 0, nullptr), INVALID_HANDLE_VALUE);
}

TEST_F(SkorradevTest, RegistryDeclaresTheBoardsAndTheirModels) {
  declareBoard(7, 4555, 0x80000012);
  declareBoard(300, 4591, 1);  // outside the device numbers: ignored
  SkorradevSimReset();
  EXPECT_EQ(open(1), INVALID_HANDLE_VALUE);
  HANDLE h = open(7);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  SkorradevDeviceInfoReply info{7, {}};
  EXPECT_EQ(request(h, SKDF_DEVICE_INFO, info), 0u);
  EXPECT_EQ(info.info[SKDI_MODEL], 4555u);
  EXPECT_FALSE(SkorradevSimAdvance(300, 1));
}

TEST_F(SkorradevTest, UnknownHandlesFailWithInvalidHandle) {
  DWORD record[4] = {1, 0, 0, 0};
  DWORD done = 0;
  HANDLE event = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  SetLastError(0);
  EXPECT_FALSE(SkorradevDeviceIoControl(event, code(SKDF_STATUS), record, 16, record, 16, &done, nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  EXPECT_FALSE(SkorradevDeviceIoControl(INVALID_HANDLE_VALUE, code(SKDF_STATUS), record, 16, record, 16, &done,
                                        nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  // The library closes its own events through the same call.
  EXPECT_TRUE(SkorradevCloseHandle(event));
  EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_FAILED);
}

TEST_F(SkorradevTest, ClosedHandleNoLongerReachesTheBoard) {
  HANDLE h = open(1);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  close(h);
  DWORD record[4] = {1, 0, 0, 0};
  EXPECT_FALSE(SkorradevDeviceIoControl(h, code(SKDF_STATUS), record, 16, record, 16, nullptr, nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
}

TEST_F(SkorradevTest, SharedNameServesEveryDeviceOfOneBoardWithPlainCodes) {
  declareBoard(1, 4591, 0x80000005);
  declareBoard(2, 4597, 0x80000005);
  declareBoard(3, 4591, 9);
  SkorradevSimReset();
  HANDLE shared = SkorradevCreateFile("\\\\.\\QV5", 0, 0, nullptr, 0, 0, nullptr);
  ASSERT_NE(shared, INVALID_HANDLE_VALUE);
  open_.push_back(shared);
  HANDLE other9 = SkorradevCreateFile("\\\\.\\ZT9", 0, 0, nullptr, 0, 0, nullptr);
  EXPECT_NE(other9, INVALID_HANDLE_VALUE);
  open_.push_back(other9);

  for (DWORD n : {1u, 2u}) {
    DWORD openRecord = n;
    DWORD done = 0;
    ASSERT_TRUE(SkorradevDeviceIoControl(shared, SKDF_OPEN, &openRecord, 4, &openRecord, 4, &done, nullptr));
    EXPECT_EQ(openRecord, 0u);
    SkorradevDeviceInfoReply info{n, {}};
    ASSERT_TRUE(SkorradevDeviceIoControl(shared, SKDF_DEVICE_INFO, &info, sizeof info, &info, sizeof info, &done,
                                         nullptr));
    EXPECT_EQ(info.head, 0u);
    EXPECT_EQ(info.info[SKDI_MODEL], n == 1 ? 4591u : 4597u);
  }
  // A device of another board is not behind this handle.
  DWORD other = 3;
  DWORD done = 0;
  ASSERT_TRUE(SkorradevDeviceIoControl(shared, SKDF_OPEN, &other, 4, &other, 4, &done, nullptr));
  EXPECT_EQ(other, SKORRADEV_STATUS_UNKNOWN_DEVICE);
}
