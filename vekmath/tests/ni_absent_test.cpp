// NI-DAQmx is not installed here: the library loads without it, and an NI
// board type is refused at configuration with its own status.
#include <gtest/gtest.h>

#include <string>

#include "acquisition/backend.h"
#include "acquisition/board_table.h"
#include "acquisition/ring.h"
#include "acquisition/sampling_config.h"
#include "backends/ni/ni_backend.h"
#include "backends/ni/ni_binding.h"
#include "status/status_texts.h"
#include "vekmath.h"

using namespace vekmath;

namespace {

constexpr LONG kNiCodes[] = {12, 13, 14, 15, 17, 18, 23, 24, 26, 27, 29, 30};

std::string textOf(int32_t status) {
  setOwnStatusText(status);
  return messageText();
}

TEST(NiAbsent, BackEndRefusesConfigurationWithItsText) {
  ASSERT_EQ(niDaqmx().module.load(), nullptr);
  const std::string expected = textOf(kStatusDaqmxMissing);
  setOwnStatusText(kStatusParameter);  // something else in the buffer first
  SamplingConfig cfg;
  const int16_t list[kMaxChannels] = {1, 2};
  EXPECT_EQ(niDaqmxBackEnd().configure(cfg, list), kStatusDaqmxMissing);
  EXPECT_EQ(messageText(), expected);
  // Stop and close have no device to touch.
  EXPECT_EQ(niDaqmxBackEnd().stop(), 0);
  EXPECT_EQ(niDaqmxBackEnd().close(), 0);
}

// Goes through the back-end selection, so it runs once the NI group is
// routed to its back end.
TEST(NiAbsent, SetupSamplingWithAnNiCodeFailsAndNothingStarts) {
  if (&backEndFor(BoardGroup::NiDaqmx) != &niDaqmxBackEnd()) GTEST_SKIP() << "NI group not routed yet";
  const std::string expected = textOf(kStatusDaqmxMissing);
  const SHORT list[32] = {1, 2, 3, 4};
  for (LONG code : kNiCodes) {
    SCOPED_TRACE(code);
    EXPECT_EQ(SelectBoard(code, 0, "Dev1"), code);
    setOwnStatusText(kStatusParameter);
    LONG status = -1;
    SetupSampling(4, list, 1000, 10, 1000, 0, 0, 0, 0, &status);
    EXPECT_EQ(status, kStatusDaqmxMissing);
    EXPECT_EQ(config().lastStatus.load(), kStatusDaqmxMissing);
    EXPECT_EQ(messageText(), expected);

    status = -1;
    StartSampling(&status);
    EXPECT_EQ(status, kStatusDaqmxMissing);
    EXPECT_EQ(ring().running.load(), 0);
    EXPECT_EQ(ring().thread.load(), nullptr);
    LONG running = -1;
    LONG scans = -1;
    GetSamplingStatus(&running, &scans, &status);
    EXPECT_EQ(running, 0);
    CloseBoard(nullptr);
  }
}

}  // namespace
