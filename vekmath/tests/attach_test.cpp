#include <gtest/gtest.h>

#include <windows.h>

#include "acquisition/library_lifecycle.h"
#include "acquisition/ring.h"
#include "backends/ni/ni_binding.h"
#include "vekmath.h"

using namespace vekmath;

namespace {

TEST(LibraryAttach, WorksWithoutNiDaqmx) {
  // The attach ran when the test program loaded; no NI-DAQmx here.
  EXPECT_EQ(niDaqmx().module.load(), nullptr);
  for (std::size_t i = 0; i < static_cast<std::size_t>(NiEntry::Count); ++i) {
    EXPECT_EQ(niDaqmx().entries[i].load(), nullptr) << kNiEntryNames[i];
  }
  // A second attach finds it absent again and changes nothing.
  attachLibrary();
  EXPECT_EQ(niDaqmx().module.load(), nullptr);
}

bool debugOutputClosed = false;

TEST(LibraryDetach, EndsAndClosesARunningAcquisition) {
  const SHORT list[32] = {1, 2};
  LONG status = -1;
  SelectBoard(-1, 0, "DEBUG");
  SetupSampling(2, list, 100, 10, 100, 0, 0, 0, 0, &status);
  ASSERT_EQ(status, 0);
  StartSampling(&status);
  ASSERT_EQ(status, 0);
  ASSERT_NE(ring().thread.load(), nullptr);
  hooks().closeDebugOutput.store([] { debugOutputClosed = true; });

  detachLibrary();
  EXPECT_EQ(ring().thread.load(), nullptr);
  EXPECT_EQ(ring().running.load(), 0);
  EXPECT_EQ(ring().started.load(), 0);
  EXPECT_EQ(ring().stopRequested.load(), 1);  // closed
  EXPECT_TRUE(debugOutputClosed);

  // Nothing is left to end: a second detach (the one at exit) is harmless.
  detachLibrary();
  hooks().closeDebugOutput.store(nullptr);
}

}  // namespace
