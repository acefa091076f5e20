// The older boards through the real older library, its driver and the
// simulated board: the board selected as a caller selects it, its memory
// read into the ring by the acquisition thread and handed out by
// ReadBlock. Every channel plays a level of its own, so each value is
// known.
#include <gtest/gtest.h>
#include <ntkrnl/ntkrnl_host.h>

#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "acquisition/sampling_config.h"
#include "backends/older_vendor_a/morvel_binding.h"
#include "status/message.h"
#include "support/driver_setup.h"
#include "vekmath.h"

namespace {

constexpr LONG kBlockScans = 100;
constexpr int kBlocks = 3;

struct Road {
  LONG code;
  const char* model;
  const char* service;  // its digits are the board index
  const char* index;
  unsigned bits;
  int zero;
};

morvelboard::Waveform levelOf(unsigned channel) {
  return {morvelboard::Waveform::Shape::Constant, 0.05 * (channel + 2), 0, 1};
}

class OlderBoardRoad : public ::testing::TestWithParam<Road> {
 protected:
  void SetUp() override {
    machine_ = std::make_unique<morvel00test::FreshMachine>();
    morvel00test::BoardEntry entry = morvel00test::DefaultBoard();
    entry.spec = *morvelboard::SpecForModel(GetParam().model);
    entry.spec.ioBase = 0x300;
    entry.spec.interruptLine = 5;
    boards_ = morvel00test::Install({{{entry}}}, GetParam().service);
    ASSERT_EQ(boards_.size(), 1u);
    for (unsigned c = 0; c < 16; ++c) boards_[0]->SetWaveform(c, levelOf(c));
    // The library's threads wait on the board as they would on a machine.
    plat::bus::SetClockMode(plat::bus::ClockMode::Threaded);
    ASSERT_EQ(NtkStartDriver(GetParam().service, nullptr), STATUS_SUCCESS);
    vekmath::bindMorvel();
    ASSERT_NE(vekmath::morvel().XanOpen, nullptr) << "the older library did not load";
  }
  void TearDown() override {
    CloseBoard(nullptr);
    vekmath::unbindMorvel();
    NTK_LEFTOVERS left{};
    EXPECT_EQ(NtkUnloadDriver(GetParam().service, &left), STATUS_SUCCESS);
    EXPECT_EQ(left.PoolAllocations + left.TimersSet + left.DpcsQueued + left.InterruptsConnected, 0u);
    plat::bus::SetClockMode(plat::bus::ClockMode::Manual);
    boards_.clear();
    machine_.reset();
  }

  std::unique_ptr<morvel00test::FreshMachine> machine_;
  std::vector<std::shared_ptr<morvelboard::MorvelBoard>> boards_;
};

TEST_P(OlderBoardRoad, BlocksCarryTheBoardsSignalFromStartToClose) {
  const Road& road = GetParam();
  SelectBoard(road.code, 1, road.index);
  const SHORT list[32] = {3, 1, 2};  // out of order, 1-based
  LONG status = -1;
  SetupSampling(3, list, kBlockScans, 10, 1000, 0, 0, 0, 0, &status);
  ASSERT_EQ(status, 0) << vekmath::messageText();
  StartSampling(&status);
  ASSERT_EQ(status, 0) << vekmath::messageText();

  std::vector<SHORT> block(kBlockScans * 3);
  auto readBlocks = [&](int blocks) {
    for (int b = 0; b < blocks; ++b) {
      LONG running = 0;
      ReadBlock(block.data(), kBlockScans, &running, &status);
      ASSERT_EQ(status, 0) << "block " << b << ": " << vekmath::messageText();
      for (size_t i = 0; i < block.size(); ++i) {
        const unsigned channel = static_cast<unsigned>(list[i % 3] - 1);
        ASSERT_EQ(block[i], morvelboard::SignalValue(levelOf(channel), road.bits, 0) - road.zero)
            << "block " << b << " value " << i;
      }
    }
  };
  readBlocks(kBlocks);
  EXPECT_EQ(StopSampling(&status), 0) << vekmath::messageText();
  // A second run on the stopped board, as the monitor starts one.
  StartSampling(&status);
  ASSERT_EQ(status, 0) << vekmath::messageText();
  readBlocks(1);
  EXPECT_EQ(StopSampling(&status), 0) << vekmath::messageText();
  CloseBoard(&status);
  EXPECT_EQ(status, 0) << vekmath::messageText();
}

// A free run outlasts the board's default sample count: the ring holds one
// run, each value the ramp at its own scan time, never a restarted board.
// Paced at 1 ms, as the monitor paces, so the ring spans the whole run: at
// any other period it holds one block, and a reader held up by a loaded
// machine would see blocks dropped rather than a restarted board.
TEST_P(OlderBoardRoad, AFreeRunStaysOneRunPastFiveHundredScans) {
  const Road& road = GetParam();
  // The ramp outlasts the run, so no jump can hide behind a whole ramp.
  constexpr uint64_t kRampNs = 1'000'000'000, kPeriodNs = 1'000'000, kStepNs = 10'000;
  const morvelboard::Waveform ramp{morvelboard::Waveform::Shape::Ramp, 0.5, 0.5, kRampNs};
  for (unsigned c = 0; c < 3; ++c) boards_[0]->SetWaveform(c, ramp);
  SelectBoard(road.code, 1, road.index);
  const SHORT list[32] = {3, 1, 2};
  LONG status = -1;
  SetupSampling(3, list, kBlockScans, 10, 1000, 0, 0, 0, 0, &status);
  ASSERT_EQ(status, 0) << vekmath::messageText();
  StartSampling(&status);
  ASSERT_EQ(status, 0) << vekmath::messageText();

  const int64_t top = (int64_t{1} << road.bits) - 1;
  std::vector<SHORT> block(kBlockScans * 3);
  double phase0 = 0;  // of the first scan, from its first value
  for (int b = 0; b < 7; ++b) {
    LONG running = 0;
    ReadBlock(block.data(), kBlockScans, &running, &status);
    ASSERT_EQ(status, 0) << "block " << b << ": " << vekmath::messageText();
    if (b == 0) phase0 = static_cast<double>(block[0] + road.zero) / static_cast<double>(top);
    for (size_t i = 0; i < block.size(); ++i) {
      const uint64_t since = (b * kBlockScans + i / 3) * kPeriodNs + (i % 3) * kStepNs;
      const double phase = phase0 + static_cast<double>(since) / kRampNs;
      const int64_t expected = std::llround((phase - std::floor(phase)) * static_cast<double>(top));
      const int64_t off = std::abs(block[i] + road.zero - expected) % top;
      ASSERT_LE(std::min(off, top - off), 2) << "scan " << b * kBlockScans + static_cast<LONG>(i / 3);
    }
  }
  EXPECT_EQ(StopSampling(&status), 0) << vekmath::messageText();
}

// Sixteen channels fill the board memory every 16,384 scans: a run past two
// of its wraps hands out every scan once and in order. Paced near the
// fastest the board scans 16 channels, so the run takes seconds; the ring
// holds the whole run, so a reader held up drops nothing.
TEST_P(OlderBoardRoad, AFreeRunHandsOutEveryScanOnceAcrossMemoryWraps) {
  const Road& road = GetParam();
  constexpr int kChannels = 16;
  constexpr LONG kPeriodUs = 170, kRunScans = 5 * morvelboard::kSmallMemory / kChannels / 2;
  constexpr uint64_t kRampNs = 65'536ull * kPeriodUs * 1000;  // longer than the run
  boards_[0]->SetWaveform(0, {morvelboard::Waveform::Shape::Ramp, 0.5, 0.5, kRampNs});
  SelectBoard(road.code, 1, road.index);
  SHORT list[32] = {};
  for (int c = 0; c < kChannels; ++c) list[c] = static_cast<SHORT>(c + 1);
  vekmath::config().monitorSpan = 0;  // left by an earlier run: the ring follows the block size
  LONG status = -1;
  SetupSampling(kChannels, list, kRunScans, 10, kPeriodUs, 0, 0, 0, 0, &status);
  ASSERT_EQ(status, 0) << vekmath::messageText();
  StartSampling(&status);
  ASSERT_EQ(status, 0) << vekmath::messageText();

  const int64_t top = (int64_t{1} << road.bits) - 1;
  std::vector<SHORT> block(1000 * kChannels);
  double phase0 = 0;
  for (LONG scan = 0; scan < kRunScans;) {
    LONG running = 0;
    ReadBlock(block.data(), 1000, &running, &status);
    ASSERT_EQ(status, 0) << "scan " << scan << ": " << vekmath::messageText();
    if (scan == 0) phase0 = static_cast<double>(block[0] + road.zero) / static_cast<double>(top);
    for (size_t i = 0; i < block.size(); i += kChannels, ++scan) {
      const double phase = phase0 + static_cast<double>(scan) * kPeriodUs * 1000 / kRampNs;
      const int64_t expected = std::llround((phase - std::floor(phase)) * static_cast<double>(top));
      const int64_t off = std::abs(block[i] + road.zero - expected) % top;
      ASSERT_LE(std::min(off, top - off), 2) << "scan " << scan;
    }
  }
  EXPECT_EQ(StopSampling(&status), 0) << vekmath::messageText();
}

INSTANTIATE_TEST_SUITE_P(BothCodes, OlderBoardRoad,
                         ::testing::Values(Road{0, "MVA-1216PCI", "Morvel20", "20", 12, 2048},
                                           Road{3, "MVA-1616PCI", "Morvel00", "0", 16, 32768}),
                         [](const auto& info) { return "Code" + std::to_string(info.param.code); });

}  // namespace
