// Opening, closing and the information exports on the simulated boards.
#include <array>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "library.h"
#include "sim_fixture.h"

namespace skorra {
int parseDeviceName(const char* name);
}

namespace skorra_test {
namespace {

TEST(SkorraLibDeviceName, PrefixAnyCaseAndNumberOneTo255) {
  struct Case {
    const char* name;
    int n;
  } cases[] = {
      {"skorra7", 7},     {"SKORRA1", 1},   {"SkOrRa255", 255}, {"SKORRA12x", 12},
      {"SKORRA0", -1},    {"SKORRA256", -1}, {"SKORRA", -1},    {"SKORRAx", -1},
      {"SKORR", -1},      {"XSKORRA1", -1}, {nullptr, -1},
      {"SKORRA000000000000000000000042", 42},  // longer than any working copy
  };
  for (const Case& c : cases) EXPECT_EQ(skorra::parseDeviceName(c.name), c.n) << (c.name ? c.name : "null");
}

using SkorraLibDevice = SimFixture;

TEST_F(SkorraLibDevice, TwoBoardsOpenWithTheirOwnInformationAndClose) {
  HANDLE a = openBoard(1);
  HANDLE b = openBoard(2);
  ASSERT_NE(a, INVALID_HANDLE_VALUE);
  ASSERT_NE(b, INVALID_HANDLE_VALUE);
  EXPECT_NE(a, b);
  EXPECT_NE(a, nullptr);
  uint32_t info[10] = {};
  ASSERT_EQ(SkGetDeviceInfo(a, info), 0u);
  EXPECT_EQ(info[0], 4591u);
  EXPECT_EQ(info[5], 16u);
  uint32_t all[94] = {};
  ASSERT_EQ(SkCommonGetDeviceInfo(b, all), 0u);
  EXPECT_EQ(all[0], 4597u);
  EXPECT_EQ(all[85], 1u);

  uint32_t p[14] = {};
  ASSERT_EQ(SkCommonGetPciDeviceInfo(a, &p[0], &p[1], &p[2], &p[3], &p[4], &p[5], &p[6], &p[7], &p[8], &p[9], &p[10],
                                     &p[11], &p[12], &p[13]),
            0u);
  EXPECT_EQ(p[0], 4591u);
  EXPECT_EQ(p[10], 0x288Cu);

  EXPECT_EQ(SkClose(a), 0u);
  EXPECT_EQ(SkClose(b), 0u);
  open_.clear();
  EXPECT_EQ(SkClose(a), SK_E_UNKNOWN_HANDLE);
  EXPECT_EQ(SkGetDeviceInfo(a, info), SK_E_UNKNOWN_HANDLE);
}

TEST_F(SkorraLibDevice, SecondOpenFailsWithoutARequestAndCloseEndsTheWorker) {
  HANDLE a = openBoard(1);
  ASSERT_NE(a, INVALID_HANDLE_VALUE);
  DWORD infoRequests = SkorradevSimRequestCount(1, SKDF_DEVICE_INFO);
  EXPECT_EQ(SkOpen("skorra1"), INVALID_HANDLE_VALUE);
  EXPECT_EQ(SkorradevSimRequestCount(1, SKDF_DEVICE_INFO), infoRequests);
  EXPECT_EQ(GetThreadPriority(skorra::slotOf(1).workerThread), THREAD_PRIORITY_TIME_CRITICAL);
  ASSERT_TRUE(waitUntil([] { return SkorradevSimPendingWaits(1) == 1; }));

  EXPECT_EQ(SkClose(a), 0u);
  open_.clear();
  EXPECT_EQ(SkorradevSimPendingWaits(1), 0u);
  EXPECT_EQ(skorra::slotOf(1).workerThread, nullptr);
  // The slot is free again.
  HANDLE again = openBoard(1);
  EXPECT_NE(again, INVALID_HANDLE_VALUE);
}

TEST_F(SkorraLibDevice, AProgramThatExitsWithBoardsOpenEndsCleanly) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        SkOpen("SKORRA1");
        SkOpen("SKORRA2");
        std::exit(0);
      },
      ::testing::ExitedWithCode(0), "");
}

TEST_F(SkorraLibDevice, OpensOfOneBoardFromManyThreadsYieldOneHandle) {
  std::atomic<int> opened{0};
  std::vector<std::thread> threads;
  std::vector<HANDLE> got(8, INVALID_HANDLE_VALUE);
  for (int i = 0; i < 8; ++i)
    threads.emplace_back([&, i] {
      got[i] = SkOpen("SKORRA2");
      if (got[i] != INVALID_HANDLE_VALUE) ++opened;
    });
  for (auto& t : threads) t.join();
  EXPECT_EQ(opened.load(), 1);
  for (HANDLE h : got)
    if (h != INVALID_HANDLE_VALUE) open_.push_back(h);
}

TEST_F(SkorraLibDevice, MissingBoardAndBadHandlesGiveTheirCodes) {
  EXPECT_EQ(SkOpen("SKORRA9"), INVALID_HANDLE_VALUE);
  uint32_t info[10];
  EXPECT_EQ(SkGetDeviceInfo(INVALID_HANDLE_VALUE, info), SK_E_UNKNOWN_HANDLE);
  EXPECT_EQ(SkGetDeviceInfo(reinterpret_cast<HANDLE>(0x12345), info), SK_E_UNKNOWN_HANDLE);
  EXPECT_EQ(SkStopSampling(INVALID_HANDLE_VALUE), SK_E_UNKNOWN_HANDLE);
  EXPECT_EQ(skorra::findDeviceNumber(INVALID_HANDLE_VALUE), -1);
}

TEST_F(SkorraLibDevice, AFailingCallIsNeverReportedAsSuccess) {
  HANDLE a = openBoard(1);
  ASSERT_TRUE(SkorradevSimSetFault(1, SKDF_DEVICE_INFO, TRUE, ERROR_INVALID_PARAMETER));
  uint32_t info[10] = {};
  EXPECT_EQ(SkGetDeviceInfo(a, info), SK_E_INVALID_ARGUMENT);
  ASSERT_TRUE(SkorradevSimSetFault(1, SKDF_DEVICE_INFO, TRUE, 1450));
  EXPECT_EQ(SkGetDeviceInfo(a, info), SK_E_NO_RESOURCES);
  ASSERT_TRUE(SkorradevSimSetFault(1, SKDF_DEVICE_INFO, FALSE, 0xE0001234u));
  EXPECT_EQ(SkGetDeviceInfo(a, info), 0xE0001234u);
  SkorradevSimClearFaults(1);
  int32_t state = -5;
  ASSERT_TRUE(SkorradevSimSetFault(1, SKDF_STATUS, TRUE, 21));
  EXPECT_EQ(SkGetStatus(a, &state, nullptr, nullptr), SK_E_NOT_READY);
  EXPECT_EQ(state, -5);  // outputs untouched on failure
}

TEST_F(SkorraLibDevice, AFailingInterruptWaitNeitherSpinsNorBlocksTheClose) {
  HANDLE a = openBoard(1);
  ASSERT_TRUE(waitUntil([] { return SkorradevSimPendingWaits(1) == 1; }));
  ASSERT_TRUE(SkorradevSimSetFault(1, SKDF_INTERRUPT_WAIT, TRUE, ERROR_GEN_FAILURE));
  // The pending wait completes; every later one fails at once.
  ASSERT_TRUE(SkorradevSimRaiseInterrupt(1, 0, 0, 0));
  DWORD before = SkorradevSimRequestCount(1, SKDF_INTERRUPT_WAIT);
  Sleep(100);
  // Paused between tries: a handful in 100 ms, not thousands.
  EXPECT_LT(SkorradevSimRequestCount(1, SKDF_INTERRUPT_WAIT) - before, 20u);
  EXPECT_EQ(SkClose(a), 0u);
  open_.clear();
  EXPECT_EQ(skorra::slotOf(1).workerThread, nullptr);
}

TEST_F(SkorraLibDevice, MoreInformationNamesTheModelAndVersionTextsAreTerminated) {
  HANDLE a = openBoard(1);
  HANDLE b = openBoard(2);
  SkMoreDeviceInfo more{};
  // 4591 is outside the models this record describes.
  EXPECT_EQ(SkGetMoreDeviceInfo(a, &more), SK_E_NOT_AVAILABLE);
  ASSERT_EQ(SkGetMoreDeviceInfo(b, &more), 0u);
  EXPECT_STREQ(more.modelName, "MWU-459760");

  // Every value comes from its own dword of the board's reply; boards whose
  // reply dword 7 is 2 fill the last three clocks as well.
  std::array<DWORD, 94> record = boardRecord(a);
  record[SK_INFO_MODEL] = 4809;
  record[1] = 1;                    // the variant word the model needs
  record[SK_INFO_CLOCK_TYPE] = 2;  // the board reports dword 7 = 2
  ASSERT_TRUE(SkorradevSimSetDeviceInfo(1, record.data()));
  ASSERT_EQ(SkGetMoreDeviceInfo(a, &more), 0u);
  EXPECT_STREQ(more.modelName, "KSB-4809");
  for (HANDLE h : {a, b}) {
    SkorradevMoreInfoReply r{};
    r.head = static_cast<uint32_t>(skorra::findDeviceNumber(h));
    ASSERT_EQ(boardRequest(h, SKDF_MORE_DEVICE_INFO, r), 0u);
    ASSERT_EQ(SkGetMoreDeviceInfo(h, &more), 0u);
    auto dword = [&r](int k) { return r.value[k - 2]; };
    for (int k = 2; k <= 12; ++k) EXPECT_EQ(more.values[k - 2], dword(k)) << "dword " << k;
    EXPECT_EQ(more.value14, dword(14));
    EXPECT_FLOAT_EQ(more.clock1, static_cast<float>(1e6 / (dword(15) / 1000.0)));
    EXPECT_FLOAT_EQ(more.clock2, static_cast<float>(1e6 / dword(16)));
    const bool second = dword(7) == 2;
    EXPECT_EQ(second, h == a);
    EXPECT_FLOAT_EQ(more.clock3, second ? static_cast<float>(1e6 / (dword(17) / 1000.0)) : 0.0f);
    EXPECT_FLOAT_EQ(more.clock4, second ? static_cast<float>(1e6 / (dword(18) / 1000.0)) : 0.0f);
    EXPECT_FLOAT_EQ(more.clock5, second ? static_cast<float>(1e6 / dword(19)) : 0.0f);
  }

  char texts[6][16];
  std::memset(texts, 'x', sizeof texts);
  ASSERT_EQ(SkGetVersion(a, texts), 0u);
  EXPECT_STREQ(texts[0], "QRV-4400");
  EXPECT_STREQ(texts[2], "SKORRA.DLL");
  EXPECT_EQ(texts[4][15], '\0');
  EXPECT_EQ(texts[5][15], '\0');
}

}  // namespace
}  // namespace skorra_test
