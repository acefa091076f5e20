// The WDM road through the real Halvik and its simulated devices: a board
// code selected as a caller selects it, run, and read back through the ring
// and ReadBlock. The devices sample a known signal, so every value is
// checked.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "backends/wdm/halvik_binding.h"
#include "installed_halvik.h"
#include "status/message.h"
#include "vekmath.h"

namespace {

using vekmath::HalvikBinding;

constexpr LONG kBlockScans = 100;
constexpr int kBlocks = 3;

// The stand-in's count of channel ch at scan s, as the ring and the blocks
// hand it out: the zero offset of the WDM group removed.
SHORT expected(int64_t scan, int channel, int bits) {
  const int32_t count = static_cast<int32_t>((scan + 256 * int64_t{channel}) % (int64_t{1} << bits));
  return static_cast<SHORT>(static_cast<uint16_t>(count - 32768));
}

struct Road {
  LONG code;
  const char* device;
  int bits;
  std::vector<SHORT> channelList;  // 1-based
  bool fixedOrder;                 // the board takes no channel sequence
};

class WdmHalvik : public InstalledHalvik {
 protected:
  void SetUp() override {
    InstalledHalvik::SetUp();
    install();
    open();
    saved_ = vekmath::halvik();
    HalvikBinding linked;
#define WDM_BIND(name) linked.name = entry<decltype(&::name)>(#name);
    VEKMATH_HALVIK_CORE_ENTRIES(WDM_BIND)
    VEKMATH_HALVIK_AI_ENTRIES(WDM_BIND)
#undef WDM_BIND
    vekmath::halvik() = linked;
  }
  void TearDown() override {
    StopSampling(nullptr);
    CloseBoard(nullptr);
    vekmath::halvik() = saved_;
    InstalledHalvik::TearDown();
  }

  HalvikBinding saved_;
};

// One road of each transport, at the monitor's clock, whose ring holds many
// blocks. Channel 1 in a later entry is sent as 0, which must still be read
// as set.
TEST_F(WdmHalvik, RingAndBlocksCarryTheKnownSignalOnEveryRoad) {
  const Road roads[] = {
      // First: the device's reset keeps a sequence set before.
      {7, "HVA1", 16, {5, 6}, true},
      {10, "HVA1", 16, {1, 3, 2, 32}, false},  // kernel driver
      {19, "DEMO0", 12, {2, 1}, false},        // virtual-device library
      {11, "HVU00", 16, {1, 8, 4}, false},     // USB bus unit
  };
  for (const Road& road : roads) {
    SCOPED_TRACE(road.device + std::string(" code ") + std::to_string(road.code));
    const LONG n = static_cast<LONG>(road.channelList.size());
    SHORT list[32] = {};
    std::copy(road.channelList.begin(), road.channelList.end(), list);
    auto channelOf = [&](int entry) { return road.fixedOrder ? entry : list[entry] - 1; };

    SelectBoard(road.code, 0, road.device);
    LONG status = -1;
    SetupSampling(n, list, kBlockScans, 2, 1000, 0, 0, 0, 0, &status);
    ASSERT_EQ(status, 0) << vekmath::messageText();
    StartSampling(&status);
    ASSERT_EQ(status, 0) << vekmath::messageText();

    std::vector<SHORT> block(kBlockScans * n);
    for (int b = 0; b < kBlocks; ++b) {
      LONG running = 0;
      ReadBlock(block.data(), kBlockScans, &running, &status);
      ASSERT_EQ(status, 0) << "block " << b << ": " << vekmath::messageText();
      for (LONG s = 0; s < kBlockScans; ++s) {
        for (int e = 0; e < n; ++e) {
          ASSERT_EQ(block[s * n + e], expected(b * kBlockScans + s, channelOf(e), road.bits))
              << "block " << b << " scan " << s << " entry " << e;
        }
      }
    }
    EXPECT_EQ(StopSampling(&status), 0) << vekmath::messageText();

    const LONG values = kBlocks * kBlockScans * n;
    std::vector<WORD> ring(values + 1);
    ReadRing2(ring.data(), 0, values - 1);
    for (LONG i = 0; i < values; ++i) {
      ASSERT_EQ(static_cast<SHORT>(ring[i]), expected(i / n, channelOf(i % n), road.bits)) << "ring value " << i;
    }
    CloseBoard(&status);
    EXPECT_EQ(status, 0) << vekmath::messageText();
  }
}

}  // namespace
