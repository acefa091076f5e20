// A fresh drive root for one test, and a recording stand-in for the
// processing library's calls.
#pragma once
#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <string>
#include <vector>

#include "core/vekmath_calls.h"

namespace orvane::core::testing {

class CoreTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  static void WriteFile(const std::string& path, const std::string& bytes);
  static std::string ReadFile(const std::string& path);

  std::string dir_;   // removed after the test
  std::string root_;  // ORVANE_ROOT
};

// What the classes handed to the library, call by call.
struct Recorded {
  struct Select {
    LONG type, value;
    std::string name;     // up to the first NUL
    size_t zeroTail = 0;  // NUL bytes after the name within the 88
  };
  std::vector<Select> selects;
  std::vector<std::array<LONG, 3>> sines;  // cycles, n, channel
  std::vector<GridLine> xline;             // the 128 lines of the last call
  int xlineCalls = 0;
  // SaveCalibration's arguments, and what LoadCalibration hands back.
  std::vector<CalibrationRecord> savedRecords;
  std::string savedNames, savedUnits;
  LONG saveResult = 32;
  std::vector<CalibrationRecord> loadRecords;
  std::string loadNames, loadUnits;
  // SelectBoard writes this name into the buffer when set.
  std::string rewriteName;
};

// Installs the double for the test's lifetime.
class RecordingVekmath {
 public:
  RecordingVekmath();
  ~RecordingVekmath();
  Recorded& operator*() { return *Rec(); }
  Recorded* operator->() { return Rec(); }
  static Recorded* Rec();
};

}  // namespace orvane::core::testing
