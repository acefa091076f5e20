// A fresh root and registry per test, so that the simulated driver offers
// SKORRA1 (model 4591, 16 bits) and SKORRA2 (model 4597, 12 bits), and the
// steps that bring a vendor B board to a run on its manual clock.
#pragma once
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace vendorbtest {

class VendorBBoard : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // SelectBoard + SetupSampling with channels 1..channels, no trigger, the
  // given period; the board's clock is put under the test's control.
  LONG setUp(LONG code, const char* device, LONG channels, LONG blockScans = 1000, LONG periodUs = 1000);
  LONG start();
  // Reads one block; the status of the call.
  LONG read(std::vector<SHORT>& block, LONG scans, LONG* running = nullptr);

  std::string root_;
};

// What ReadBlock hands out for device n, channel ch, scan s of a 16-bit board.
inline SHORT expectedCount(uint32_t n, uint32_t ch, uint32_t s) {
  const uint16_t raw = static_cast<uint16_t>((s + 256 * ch + 1024 * (n - 1)) & 0xFFFF);
  return static_cast<SHORT>(static_cast<uint16_t>(raw - 32768));
}

}  // namespace vendorbtest
