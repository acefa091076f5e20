// A recording without a camera: the tests hand synthetic frames to the
// frame callback themselves, beside a simulated acquisition or with the
// position set by hand. Files go under a fresh drive root.
#pragma once
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace recordtest {

inline constexpr int32_t kWidth = 16;
inline constexpr int32_t kHeight = 16;
inline constexpr long kImageSize = kWidth * 3 * kHeight;

class RecordingTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // StartRecord to C:\rec.avi and C:\rec.tim.
  LONG start();
  // EndRecord keeping neither the callback nor the preview.
  void end();
  // One frame at time t while the acquisition stands at position (the
  // total scans counter).
  void frameAt(int32_t position, double t);
  void frame(double t);
  // The frame positions and times the recording hands out.
  std::vector<LONG> positions();
  std::vector<double> times();

  std::string root_;

 private:
  std::string savedCwd_;
  std::vector<uint8_t> pixels_;
};

}  // namespace recordtest
