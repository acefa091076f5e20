// File sampling into raw and text files on the simulated board.
#include <array>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>

#include "sim_fixture.h"

namespace skorra {
uint32_t bytesPerSample(uint32_t bits);
}

namespace skorra_test {
namespace {

class SkorraLibFile : public SimFixture {
 protected:
  void SetUp() override {
    SimFixture::SetUp();
    std::filesystem::create_directories(root_ + "/c");
  }
  std::string contents(const char* name) {
    std::ifstream in(root_ + "/c/" + name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  // Runs a file sampling while another thread plays the board's clock.
  SkResult run(HANDLE h, int board, const char* path, uint32_t mode, uint32_t scans, bool bm = false) {
    // Both kinds of file sampling start with the plain start request.
    DWORD starts = SkorradevSimRequestCount(board, SKDF_START);
    std::thread clock([&] {
      if (waitUntil([&] { return SkorradevSimRequestCount(board, SKDF_START) > starts; }))
        SkorradevSimAdvance(board, scans);
    });
    SkResult r = bm ? SkBmStartFileSampling(h, path, mode) : SkStartFileSampling(h, path, mode);
    clock.join();
    return r;
  }
};

std::string cell(double v, char sep) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%11.7f%c", v, sep);
  return buf;
}

double volts(uint16_t code) { return -10.0 + code * (20.0 / 65536.0); }

TEST(SkorraLibFileSizes, BytesPerSampleAtTheResolutionsEdges) {
  const struct {
    uint32_t bits, bytes;
  } rows[] = {{8, 1}, {9, 2}, {23, 2}, {24, 4}};
  for (const auto& r : rows) EXPECT_EQ(skorra::bytesPerSample(r.bits), r.bytes) << r.bits;
}

TEST_F(SkorraLibFile, TextFileHasTwelveCharactersPerValueAndOneRowPerScan) {
  HANDLE h = openBoard(1);
  SkSamplingConfig c = normalConfig(2, 1000);
  ASSERT_EQ(SkSetSamplingConfig(h, &c), 0u);
  ASSERT_EQ(run(h, 1, "C:\\run.txt", 2, 1000), 0u);
  std::string text = contents("run.txt");
  ASSERT_EQ(text.size(), 24001u);
  EXPECT_EQ(text.back(), '\0');
  for (uint32_t s : {0u, 1u, 500u, 999u}) {
    std::string row = text.substr(s * 24, 24);
    EXPECT_EQ(row, cell(volts(expectedSample(1, 1, s)), ',') + cell(volts(expectedSample(1, 2, s)), '\n'))
        << "scan " << s;
  }
}

TEST_F(SkorraLibFile, RawFileHoldsTheSamplesAsDelivered) {
  HANDLE h = openBoard(2);
  SkSamplingConfig c = normalConfig(3, 700);
  ASSERT_EQ(SkSetSamplingConfig(h, &c), 0u);
  HANDLE registered = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  ASSERT_EQ(SkSetBoardConfig(h, registered, nullptr, nullptr), 0u);
  ASSERT_EQ(run(h, 2, "C:\\run.raw", 1, 700), 0u);
  std::string raw = contents("run.raw");
  ASSERT_EQ(raw.size(), 700u * 3 * 2);
  for (uint32_t s = 0; s < 700; s += 99)
    for (uint32_t ch = 0; ch < 3; ++ch) {
      uint16_t v;
      std::memcpy(&v, raw.data() + (s * 3 + ch) * 2, 2);
      EXPECT_EQ(v, expectedSample(2, ch + 1, s));
    }
  // The run's own event replaced the registered one and is gone again.
  SkSetBoardConfig(h, nullptr, nullptr, nullptr);
  CloseHandle(registered);
}

TEST_F(SkorraLibFile, BusMasterTextRowsEndWithALineFeedWithoutExtraWords) {
  HANDLE h = openBoard(1);
  SkBmSamplingConfig c = bmConfig(2, 50);  // even count, selection 1: no extra words
  ASSERT_EQ(SkBmSetSamplingConfig(h, &c), 0u);
  ASSERT_EQ(run(h, 1, "C:\\bm.txt", 2, 50, true), 0u);
  std::string text = contents("bm.txt");
  ASSERT_EQ(text.size(), 50u * 24 + 1);
  EXPECT_EQ(text.substr(24, 24), cell(volts(expectedSample(1, 1, 1)), ',') + cell(volts(expectedSample(1, 2, 1)), '\n'));
}

TEST_F(SkorraLibFile, BusMasterExtraWordsFollowAsIntegers) {
  HANDLE h = openBoard(1);
  SkBmSamplingConfig c = bmConfig(1, 20);  // odd: one extra word
  ASSERT_EQ(SkBmSetSamplingConfig(h, &c), 0u);
  ASSERT_EQ(run(h, 1, "C:\\bm1.txt", 2, 20, true), 0u);
  std::string text = contents("bm1.txt");
  ASSERT_EQ(text.size(), 20u * 24 + 1);
  char extra[32];
  std::snprintf(extra, sizeof extra, "%11.0f\n", 7.0);
  EXPECT_EQ(text.substr(7 * 24, 24), cell(volts(expectedSample(1, 1, 7)), ',') + extra);
}

TEST_F(SkorraLibFile, Model4809RefusesBusMasterFileSamplingBeforeItTouchesAnything) {
  HANDLE h = openBoard(1);
  std::array<DWORD, 94> record = boardRecord(h);
  record[SK_INFO_MODEL] = 4809;
  ASSERT_TRUE(SkorradevSimSetDeviceInfo(1, record.data()));
  const DWORD configReads = SkorradevSimRequestCount(1, SKDF_BM_GET_CONFIG);
  const DWORD starts = SkorradevSimRequestCount(1, SKDF_START);
  EXPECT_EQ(SkBmStartFileSampling(h, "C:\\bm.raw", 1), SK_E_NOT_AVAILABLE);
  EXPECT_EQ(SkorradevSimRequestCount(1, SKDF_BM_GET_CONFIG), configReads);
  EXPECT_EQ(SkorradevSimRequestCount(1, SKDF_START), starts);
  EXPECT_FALSE(std::filesystem::exists(root_ + "/c/bm.raw"));
  // The normal file sampling is not the model's to refuse.
  SkSamplingConfig c = normalConfig(1, 10);
  ASSERT_EQ(SkSetSamplingConfig(h, &c), 0u);
  EXPECT_EQ(run(h, 1, "C:\\run.raw", 1, 10), 0u);
  EXPECT_EQ(contents("run.raw").size(), 10u * 2);
}

TEST_F(SkorraLibFile, BadArgumentsAndAStopFromAnotherThread) {
  HANDLE h = openBoard(1);
  const DWORD starts = SkorradevSimRequestCount(1, SKDF_START);
  EXPECT_EQ(SkStartFileSampling(h, nullptr, 1), SK_E_NULL_BUFFER);
  EXPECT_EQ(SkStartFileSampling(h, "C:\\x", 0), SK_E_INVALID_ARGUMENT);
  EXPECT_EQ(SkStartFileSampling(h, "C:\\x", 3), SK_E_INVALID_ARGUMENT);
  EXPECT_EQ(SkorradevSimRequestCount(1, SKDF_START), starts);
  EXPECT_EQ(SkStartFileSampling(h, "C:\\no\\such\\folder\\x", 1), SK_E_DATA_FILE);

  SkSamplingConfig c = normalConfig(2, 1000);
  c.triggerMode = 9;  // endless: only a stop ends it
  ASSERT_EQ(SkSetSamplingConfig(h, &c), 0u);
  // The run holds no lock that keeps the stop out.
  std::thread stopper([&] {
    waitUntil([&] { return SkorradevSimRequestCount(1, SKDF_START) == starts + 1; });
    SkorradevSimAdvance(1, 100);
    SkStopSampling(h);
  });
  EXPECT_EQ(SkStartFileSampling(h, "C:\\endless.raw", 1), 0u);
  stopper.join();
  EXPECT_EQ(contents("endless.raw").size(), 1000u * 2 * 2);
}

}  // namespace
}  // namespace skorra_test
