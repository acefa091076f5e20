#include "sim_fixture.h"

#include <stdlib.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <thread>

namespace skorra_test {

void SimFixture::SetUp() {
  char pattern[] = "/tmp/skorra_test_XXXXXX";
  ASSERT_NE(mkdtemp(pattern), nullptr);
  root_ = pattern;
  setenv("ORVANE_ROOT", root_.c_str(), 1);
  setenv("ORVANE_REGISTRY", (root_ + "/registry.sqlite").c_str(), 1);
  // The boards an earlier fixture declared in its own registry give way to
  // the default two.
  SkorradevSimReset();
}

void SimFixture::TearDown() {
  for (HANDLE h : open_) SkClose(h);
  // The boards outlive the test: what it set on them must not reach the next.
  for (DWORD n : {1u, 2u}) {
    SkorradevSimClearFaults(n);
    SkorradevSimSetDeviceInfo(n, nullptr);
    SkorradevSimClearRequestCounts(n);
  }
  std::error_code ec;
  std::filesystem::remove_all(root_, ec);
}

HANDLE SimFixture::openBoard(int number) {
  std::string name = "SKORRA" + std::to_string(number);
  HANDLE h = SkOpen(name.c_str());
  EXPECT_NE(h, INVALID_HANDLE_VALUE) << name;
  if (h != INVALID_HANDLE_VALUE) {
    open_.push_back(h);
    SkorradevSimSetManualClock(number, TRUE);
  }
  return h;
}

SkSamplingConfig normalConfig(uint32_t channels, uint32_t scans, float frequency) {
  SkSamplingConfig c{};
  c.channelCount = channels;
  for (uint32_t i = 0; i < channels; ++i) c.channels[i] = {i + 1, 0x80000};
  c.mode = 2;
  c.inputType = 1;
  c.sampleCount = scans;
  c.eventCount = 0;
  c.frequency = frequency;
  c.triggerPoint = 1;
  c.triggerMode = 1;
  c.memoryDivisor = 1;
  return c;
}

SkBmSamplingConfig bmConfig(uint32_t channels, uint32_t scans, float clock) {
  SkBmSamplingConfig c{};
  c.channelCount = channels;
  for (uint32_t i = 0; i < channels; ++i) c.channels[i] = {i + 1, 0x80000};
  c.inputType = 1;
  c.sampleCount = scans;
  c.repeatCount = 1;
  c.bufferMode = 2;
  c.clock = clock;
  c.startCondition = 1;
  c.stopCondition = 1;
  c.clockOutputSelection = 0x80000000u;
  c.transferSelection = 1;
  c.transferWidth = 2;
  return c;
}

std::array<DWORD, 94> boardRecord(HANDLE h) {
  std::array<DWORD, 94> record{};
  EXPECT_EQ(SkCommonGetDeviceInfo(h, record.data()), 0u);
  return record;
}

bool waitUntil(const std::function<bool()>& pred, DWORD timeoutMs) {
  auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (!pred()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    Sleep(1);
  }
  return true;
}

}  // namespace skorra_test
