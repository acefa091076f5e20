// A fresh environment per test (its own root and registry, so the
// simulated driver offers SKORRA1, model 4591, and SKORRA2, model 4597),
// and helpers to open and configure the simulated boards.
#pragma once
#include <gtest/gtest.h>
#include <skorra.h>
#include <skorradev.h>

#include <array>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace skorra_test {

class SimFixture : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Opens a board and puts its clock under the test's control.
  HANDLE openBoard(int number);

  std::string root_;
  std::vector<HANDLE> open_;
};

// A normal-mode record: `channels` single-ended channels 1.., range
// +-10 V, mode 2, trigger mode 1, `scans` scans at `frequency`.
SkSamplingConfig normalConfig(uint32_t channels, uint32_t scans, float frequency = 1000.0f);
// A bus-master record that the 4591 accepts: start and stop condition 1,
// repeat count 1.
SkBmSamplingConfig bmConfig(uint32_t channels, uint32_t scans, float clock = 1000.0f);

// The simulated signal of device n, channel ch, scan s for a 16-bit board.
inline uint16_t expectedSample(uint32_t n, uint32_t ch, uint32_t s) {
  return static_cast<uint16_t>((s + 256 * ch + 1024 * (n - 1)) & 0xFFFF);
}

// One buffered request straight to the board, past the library: what the
// board holds or answers, to compare the library's results with. The
// record's first dword goes in as the device number and comes back as the
// status, which is returned.
template <class Record>
uint32_t boardRequest(HANDLE h, DWORD function, Record& record) {
  DWORD bytes = 0;
  if (!SkorradevDeviceIoControl(h, SKORRADEV_NT_CODE(function, METHOD_BUFFERED), &record, sizeof record, &record,
                                sizeof record, &bytes, nullptr))
    return GetLastError();
  uint32_t status;
  std::memcpy(&status, &record, sizeof status);
  return status;
}

// The capability record a board reports now, for a test to change and hand
// to SkorradevSimSetDeviceInfo (the fixture gives boards 1 and 2 their own
// back at the end).
std::array<DWORD, 94> boardRecord(HANDLE h);

// Waits (bounded) until `pred` holds; the board's requests are handled on
// other threads.
bool waitUntil(const std::function<bool()>& pred, DWORD timeoutMs = 5000);

}  // namespace skorra_test
