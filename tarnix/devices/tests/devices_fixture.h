// A fresh registry store, a chosen Windows generation and the simulated
// configuration drivers with the sample inventory.
#pragma once
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <string>

#include <tarnixcfg_sim.h>

namespace devices_test {

struct GenerationCase {
  const char* label;
  const char* winver;  // the platform's setting
  tarnixcfg::Generation generation;
};
inline constexpr GenerationCase k9x{"9x", "1:4.10", tarnixcfg::Generation::Win9x};
inline constexpr GenerationCase kNt4{"NT4", "2:4.0", tarnixcfg::Generation::Nt4};
inline constexpr GenerationCase kNt5{"NT5", "2:5.1", tarnixcfg::Generation::Nt5};

class DevicesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/tarnix_devices_XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    root_ = pattern;
    setenv("ORVANE_ROOT", root_.c_str(), 1);
    setenv("ORVANE_REGISTRY", (root_ + "/registry.sqlite").c_str(), 1);
    use(kNt5);
    ASSERT_TRUE(tarnixcfg::Install(tarnixcfg::SampleInventory()));
  }
  void TearDown() override {
    tarnixcfg::Remove();
    tarnixcfg::RemoveKernelDevices();
    unsetenv("ORVANE_WINVER");
    std::filesystem::remove_all(root_);
  }
  static void use(const GenerationCase& g) { setenv("ORVANE_WINVER", g.winver, 1); }

  std::string root_;
};

}  // namespace devices_test
