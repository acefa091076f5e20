// Single input: one value per listed channel in list order, a repeated
// channel converted once and copied, and a conversion that never ends.
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

}  // namespace
