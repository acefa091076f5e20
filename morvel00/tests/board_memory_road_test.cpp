// The road the processing library takes through the older library and the
// real driver: board-memory input in mode 4, the status count, reading the
// memory, stop and close, down to the simulated board's known signal.
#include <morvel.h>

#include <algorithm>
#include <vector>

#include "driver_fixture.h"

namespace {

TEST_F(DriverTest, BoardMemoryInputThroughTheLibraryReadsTheKnownSignal) {
  ASSERT_EQ(startOneBoard(), STATUS_SUCCESS);
  morvelboard::MorvelBoard& board = *boards_.at(0);
  const double level[2] = {0.25, 0.75};
  for (unsigned c = 0; c < 2; ++c) board.SetWaveform(c, {morvelboard::Waveform::Shape::Constant, level[c], 0, 1});

  XanHandle h = 0;
  ASSERT_EQ(XanOpen(&h, 20, 1), 0);
  uint16_t channels[2] = {1, 0};  // out of physical order: values come in list order
  XanInpBdMemParams p{};
  p.above3.channelList = reinterpret_cast<uintptr_t>(channels);
  p.above3.channelCount = 2;
  p.above3.samplesPerChannel = 10;
  p.above3.scanClock = 399;      // 10 us between the channels of a scan
  p.above3.samplingClock = 3999;  // 100 us between scans
  ASSERT_EQ(XanInpBdMem(h, 4, &p, 0, 0, 0, 0), 0);
  for (int step = 0; step < 30; ++step) plat::bus::Advance(100'000);

  uint16_t state = 99, passes = 0;
  uint32_t count = 0;
  ASSERT_EQ(XanSts(h, &state, &count, &passes), 0);
  EXPECT_EQ(state, XAN_STATE_FINISHED);
  EXPECT_EQ(count, 20u);  // samples held and not yet read

  std::vector<uint16_t> data(20, 0xAAAA);
  XanReadBufParams read{0, 10, reinterpret_cast<uintptr_t>(data.data())};
  ASSERT_EQ(XanReadBuf(h, &read), 0);
  const uint16_t one = morvelboard::SignalValue({morvelboard::Waveform::Shape::Constant, level[1], 0, 1}, 12, 0);
  const uint16_t zero = morvelboard::SignalValue({morvelboard::Waveform::Shape::Constant, level[0], 0, 1}, 12, 0);
  for (size_t i = 0; i < data.size(); i += 2) {
    EXPECT_EQ(data[i], one) << i;
    EXPECT_EQ(data[i + 1], zero) << i;
  }
  ASSERT_EQ(XanSts(h, &state, &count, &passes), 0);
  EXPECT_EQ(count, 0u);

  XanStop(h);  // the input has ended already; nothing is left to stop
  EXPECT_EQ(XanClose(h), 0);
}

// A free run as the monitor makes it, read as it reads: the status count,
// then that many whole scans, well past several wraps of the board memory.
// Channel 0 ramps by one count a scan over a ramp longer than the run, so
// a scan handed out twice, or one lap's scans in place of the next, shows
// as a step other than one.
TEST_F(DriverTest, AFreeRunReadsEveryScanOnceInOrderPastSeveralMemoryWraps) {
  constexpr unsigned kChannels = 16;
  constexpr uint64_t kPeriodNs = 40'000;  // slower than the reads, which take 1 us a value
  constexpr uint32_t kLap = morvelboard::kSmallMemory / kChannels;
  morvel00test::BoardEntry entry = morvel00test::DefaultBoard();
  entry.spec = *morvelboard::SpecForModel("MVA-1616FPCI");
  entry.spec.ioBase = 0x300;
  entry.spec.interruptLine = 5;
  ASSERT_EQ(start({{{entry}}}), STATUS_SUCCESS);
  boards_.at(0)->SetWaveform(0, {morvelboard::Waveform::Shape::Ramp, 0.5, 0.5, 65'536 * kPeriodNs});

  XanHandle h = 0;
  ASSERT_EQ(XanOpen(&h, 20, 1), 0);
  uint16_t channels[kChannels];
  for (uint16_t c = 0; c < kChannels; ++c) channels[c] = c;
  XanInpBdMemParams p{};
  p.above3.channelList = reinterpret_cast<uintptr_t>(channels);
  p.above3.channelCount = kChannels;
  p.above3.samplesPerChannel = -1;
  p.above3.scanClock = 39;
  p.above3.samplingClock = static_cast<int32_t>(kPeriodNs / 25 - 1);
  ASSERT_EQ(XanInpBdMem(h, 4, &p, 0, 0, 0, 0), 0);

  std::vector<uint16_t> data(kLap / 4 * kChannels);
  int64_t last = -1;
  for (uint32_t read = 0; read < 3 * kLap + kLap / 2;) {
    plat::bus::Advance(10'000'000);
    uint16_t state = 0, passes = 0;
    uint32_t count = 0;
    ASSERT_EQ(XanSts(h, &state, &count, &passes), 0);
    ASSERT_EQ(state, XAN_STATE_STARTED) << "after " << read << " scans";
    const uint32_t scans = std::min<uint32_t>(count / kChannels, kLap / 4);
    if (scans == 0) continue;
    XanReadBufParams q{0, static_cast<int32_t>(scans), reinterpret_cast<uintptr_t>(data.data())};
    ASSERT_EQ(XanReadBuf(h, &q), 0);
    for (uint32_t s = 0; s < scans; ++s, ++read) {
      const int64_t value = data[s * kChannels];
      if (last >= 0) {
        ASSERT_NEAR((value - last + 65'536) % 65'536, 1, 1) << "scan " << read;
      }
      last = value;
    }
  }
  XanStop(h);
  EXPECT_EQ(XanClose(h), 0);
}

}  // namespace
