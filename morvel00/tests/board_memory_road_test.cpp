// The road the processing library takes through the older library and the
// real driver: board-memory input in mode 4, the status count, reading the
// memory, stop and close, down to the simulated board's known signal.
#include <morvel.h>

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

}  // namespace
