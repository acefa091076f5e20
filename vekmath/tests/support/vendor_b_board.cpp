#include "vendor_b_board.h"

#include <skorradev.h>
#include <stdlib.h>

#include <filesystem>

#include "vekmath.h"
#include "vekmath/blocks.h"

namespace vendorbtest {

void VendorBBoard::SetUp() {
  char pattern[] = "/tmp/vekmath_vendor_b_XXXXXX";
  ASSERT_NE(mkdtemp(pattern), nullptr);
  root_ = pattern;
  setenv("ORVANE_ROOT", root_.c_str(), 1);
  setenv("ORVANE_REGISTRY", (root_ + "/registry.sqlite").c_str(), 1);
}

void VendorBBoard::TearDown() {
  LONG status = 0;
  StopSampling(&status);
  CloseBoard(&status);
  // The simulated boards outlive the test when all run in one process.
  SkorradevSimClearFaults(1);
  SkorradevSimClearFaults(2);
  std::error_code ec;
  std::filesystem::remove_all(root_, ec);
}

LONG VendorBBoard::setUp(LONG code, const char* device, LONG channels, LONG blockScans, LONG periodUs) {
  SelectBoard(code, 0, device);
  SHORT list[32] = {};
  for (LONG c = 0; c < channels && c < 32; ++c) list[c] = static_cast<SHORT>(c + 1);
  LONG status = -1;
  SetupSampling(channels, list, blockScans, 10, periodUs, 0, 0, 0, 0, &status);
  const std::string name(device);
  if (name.size() > 6) SkorradevSimSetManualClock(static_cast<DWORD>(std::stoul(name.substr(6))), TRUE);
  return status;
}

LONG VendorBBoard::start() {
  LONG status = -1;
  StartSampling(&status);
  return status;
}

LONG VendorBBoard::read(std::vector<SHORT>& block, LONG scans, LONG* running) {
  LONG status = -1, run = -1;
  ReadBlock(block.data(), scans, &run, &status);
  if (running != nullptr) *running = run;
  return status;
}

}  // namespace vendorbtest
