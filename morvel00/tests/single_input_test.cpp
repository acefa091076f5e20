// Single input: one value per listed channel in list order, a repeated
// channel converted once and copied, and a conversion that never ends.
#include <utility>
#include <vector>

#include "driver_fixture.h"

namespace {

class SingleInputTest : public DriverTest {
 protected:
  void SetUp() override {
    DriverTest::SetUp();
    ASSERT_EQ(startOneBoard(), STATUS_SUCCESS);
    h_ = open();
    ASSERT_EQ(openGroup(h_, 1), XAN_OK);
    for (unsigned c = 0; c < 16; ++c) boards_.at(0)->SetWaveform(c, constant(c));
  }
  static morvelboard::Waveform constant(unsigned c) {
    return {morvelboard::Waveform::Shape::Constant, 0.05 * (c + 1), 0, 1};
  }
  int16_t convert(const uint16_t* list, int16_t count, uint16_t* values) {
    XanRequest r{};
    r.singleIo.handle = value(h_);
    r.singleIo.valuesAddress = reinterpret_cast<uintptr_t>(values);
    r.singleIo.channelListAddress = reinterpret_cast<uintptr_t>(list);
    r.singleIo.count = count;
    EXPECT_TRUE(send(h_, XAN_INP, r));
    return r.singleIo.result;
  }
  HANDLE h_ = nullptr;
};

TEST_F(SingleInputTest, ValuesComeInListOrderAndARepeatedChannelGetsItsValueTwice) {
  const uint16_t list[3] = {3, 1, 3};
  uint16_t values[3] = {};
  ASSERT_EQ(convert(list, 3, values), XAN_OK);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(values[i], morvelboard::SignalValue(constant(list[i]), 12, 0)) << i;
}

TEST_F(SingleInputTest, AConversionThatNeverEndsAnswers848AndWritesNothing) {
  boards_.at(0)->SetFaults({.busyStuck = true});
  const uint16_t list[2] = {0, 1};
  uint16_t values[2] = {7, 7};
  EXPECT_EQ(convert(list, 2, values), XAN_E_CONVERSION);
  EXPECT_EQ(values[0], 7);
  EXPECT_EQ(values[1], 7);
}

// From one channel to as many as the group has, and the direct read of at
// most 0x40000 values (the board holds none here).
TEST_F(SingleInputTest, CountsRunFromOneToTheirLargest) {
  uint16_t list[17] = {};
  uint16_t values[17] = {};
  for (const auto& [count, result] : {std::pair<int16_t, int16_t>{1, XAN_OK}, {16, XAN_OK},
                                      {17, XAN_E_CHANNEL_COUNT}, {0, XAN_E_CHANNEL_COUNT}}) {
    EXPECT_EQ(convert(list, count, values), result) << count;
  }
  std::vector<uint16_t> direct(0x40001);
  for (const auto& [number, result] : {std::pair<uint32_t, int16_t>{0x40000, XAN_E_NO_DATA}, {0x40001, -1}}) {
    XanRequest r{};
    r.aiData.handle = value(h_);
    r.aiData.number = number;
    r.aiData.arrayAddress = reinterpret_cast<uintptr_t>(direct.data());
    ASSERT_TRUE(send(h_, XAN_GET_AI_DATA, r));
    EXPECT_EQ(r.aiData.result, result) << number;
  }
}

}  // namespace
