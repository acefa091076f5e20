// Without NI-DAQmx every NI call answers 30009 and touches nothing.
#include <gtest/gtest.h>

#include <string>

#include "acquisition/backend.h"
#include "acquisition/device_lists.h"
#include "acquisition/ring.h"
#include "acquisition/sampling_config.h"
#include "backends/ni/ni_backend.h"
#include "backends/ni/ni_binding.h"
#include "status/status_texts.h"
#include "vekmath.h"

using namespace vekmath;

namespace {

std::string missingText() {
  setOwnStatusText(kStatusDaqmxMissing);
  return messageText();
}

TEST(NiUnbound, EveryNiCallSaysTheLibraryIsMissing) {
  ASSERT_EQ(niDaqmx().module.load(), nullptr);
  const std::string expected = missingText();
  SelectBoard(12, 0, "Dev1");
  // The digital lines have no status of their own: their message says it.
  using Call = void (*)();
  const Call calls[] = {
      [] { OpenDigitalIO(0x0F0F, 0); },
      [] { WriteDigitalOut(1, 0); },
      [] {
        DWORD value = 7;
        ReadDigitalIn(&value, 0);
        EXPECT_EQ(value, 7u);
      },
  };
  for (Call call : calls) {
    setOwnStatusText(kStatusParameter);
    call();
    EXPECT_EQ(messageText(), expected);
  }
  EXPECT_EQ(config().lastStatus.load(), 0);

  // The acquisition calls have no task to use.
  BackEnd& ni = niDaqmxBackEnd();
  EXPECT_EQ(ni.beginThread(), 0);
  TriggeredBlock block;
  ring().stopRequested.store(0);
  EXPECT_EQ(ni.readTriggeredBlock(block), 0);
  EXPECT_FALSE(block.writeOutputs);
  char names[kListBytes] = {};
  char models[kListBytes] = {};
  DeviceLists lists(names, models);
  ni.listDevices(lists);
  EXPECT_STREQ(names, "");
  ni.detach();
}

}  // namespace
