// Physical values read back on the kernel road scale by the device's own
// resolution: a level set in volts reads back as the same volts, and the
// readout turns counts into volts, on a 16-bit and on a 12-bit device.
#include <gtest/gtest.h>
#include <halvik.h>
#include <halviksim.h>
#include <installer.h>

#include <functional>
#include <vector>

#include "installed_halvik.h"

namespace {

class AnalogInputExTest : public InstalledHalvik {
 protected:
  // The installed 16-bit kernel device and a 12-bit one beside it.
  void SetUp() override {
    InstalledHalvik::SetUp();
    ASSERT_FALSE(halviksim::InstallDevice({"HVA2", "HVA-1216PCI", 1, "", 4}).empty());
    install();
    open();
  }
};

#define XAN(name) entry<decltype(&name)>(#name)

struct DeviceCase {
  const char* device;
  short bits;
  float sample4048;  // channel 1 (range 1, +-5 V) at scan 2024: a count of 2280
};

TEST_F(AnalogInputExTest, LevelsAndReadoutScaleByTheDevicesResolution) {
  const DeviceCase devices[] = {{"HVA1", 16, -4.6521f}, {"HVA2", 12, 0.566406f}};
  for (const DeviceCase& d : devices) {
    SCOPED_TRACE(d.device);
    short id = -1;
    ASSERT_EQ(XAN(XanInit)(d.device, &id), 0);
    short bits = 0;
    ASSERT_EQ(XAN(XanGetAiResolution)(id, &bits), 0);
    ASSERT_EQ(bits, d.bits);
    ASSERT_EQ(XAN(XanSetAiChannels)(id, 2), 0);
    for (short channel : {0, 1}) ASSERT_EQ(XAN(XanSetAiRange)(id, channel, 1), 0);

    // Each trigger set at +2.5 V (and -2.5 V for a window's second level).
    struct Level {
      const char* what;
      std::function<LONG()> set;
      std::function<LONG(float*, float*)> get;  // the second level: the window's
    };
    const Level levels[] = {
        {"start level", [&] { return XAN(XanSetAiStartLevelEx)(id, 1, 2.5f, 1); },
         [&](float* v, float* w) { short dir; *w = -2.5f; return XAN(XanGetAiStartLevelEx)(id, 1, v, &dir); }},
        {"stop level", [&] { return XAN(XanSetAiStopLevelEx)(id, 1, 2.5f, 1); },
         [&](float* v, float* w) { short dir; *w = -2.5f; return XAN(XanGetAiStopLevelEx)(id, 1, v, &dir); }},
        {"start in range", [&] { return XAN(XanSetAiStartInRangeEx)(id, 1, 2.5f, -2.5f, 3); },
         [&](float* v, float* w) { LONG t; return XAN(XanGetAiStartInRangeEx)(id, 1, v, w, &t); }},
        {"start out range", [&] { return XAN(XanSetAiStartOutRangeEx)(id, 1, 2.5f, -2.5f, 3); },
         [&](float* v, float* w) { LONG t; return XAN(XanGetAiStartOutRangeEx)(id, 1, v, w, &t); }},
        {"stop in range", [&] { return XAN(XanSetAiStopInRangeEx)(id, 1, 2.5f, -2.5f, 3); },
         [&](float* v, float* w) { LONG t; return XAN(XanGetAiStopInRangeEx)(id, 1, v, w, &t); }},
        {"stop out range", [&] { return XAN(XanSetAiStopOutRangeEx)(id, 1, 2.5f, -2.5f, 3); },
         [&](float* v, float* w) { LONG t; return XAN(XanGetAiStopOutRangeEx)(id, 1, v, w, &t); }},
    };
    for (const Level& level : levels) {
      SCOPED_TRACE(level.what);
      ASSERT_EQ(level.set(), 0);
      float first = 0, second = 0;
      ASSERT_EQ(level.get(&first, &second), 0);
      EXPECT_FLOAT_EQ(first, 2.5f);
      EXPECT_FLOAT_EQ(second, -2.5f);
    }
    LONG raw = 0;
    short direction = 0;
    ASSERT_EQ(XAN(XanGetAiStopLevel)(id, 1, &raw, &direction), 0);
    EXPECT_EQ(raw, 3 << (d.bits - 2)) << "three quarters of full scale";

    ASSERT_TRUE(halviksim::SetAiClock(d.device, halviksim::AiClock::Virtual));
    ASSERT_EQ(XAN(XanSetAiStopTrigger)(id, 0), 0);
    ASSERT_EQ(XAN(XanSetAiSamplingClock)(id, 10.0f), 0);
    ASSERT_EQ(XAN(XanStartAi)(id), 0);
    ASSERT_TRUE(halviksim::AdvanceTime(d.device, 100'000));
    LONG scans = 2025;
    std::vector<float> values(2 * scans);
    ASSERT_EQ(XAN(XanGetAiSamplingDataEx)(id, &scans, values.data()), 0);
    ASSERT_EQ(scans, 2025);
    EXPECT_NEAR(values[2 * 2024 + 1], d.sample4048, 1e-4);
    EXPECT_EQ(XAN(XanStopAi)(id), 0);
    EXPECT_EQ(XAN(XanExit)(id), 0);
  }
}

}  // namespace
