// A fresh machine for each test: its own registry store, the manual clock,
// no cards, no resource claims.
#pragma once
#include <gtest/gtest.h>
#include <ntkrnl/ntddk.h>
#include <ntkrnl/ntkrnl_host.h>
#include <platform/hardware_bus.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "test_card.h"
#include "test_driver.h"

class KernelTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (std::filesystem::temp_directory_path() / "ntkrnl_XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    dir_ = pattern;
    ::setenv("ORVANE_REGISTRY", (dir_ + "/registry.sqlite").c_str(), 1);
    plat::bus::SetClockMode(plat::bus::ClockMode::Manual);
    plat::bus::UnplugAll();
    NtkClearResourceMap();
  }

  void TearDown() override {
    NtkSetPoolFailureHook(nullptr, nullptr);
    plat::bus::SetClockMode(plat::bus::ClockMode::Manual);
    plat::bus::UnplugAll();
    ::unsetenv("ORVANE_REGISTRY");
    std::error_code ignored;
    std::filesystem::remove_all(dir_, ignored);
  }

  static HKEY createKey(const std::string& path) {
    HKEY key = nullptr;
    EXPECT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                              nullptr),
              ERROR_SUCCESS);
    return key;
  }
  static void setDword(HKEY key, const char* name, DWORD value) {
    RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
  }
  static void setString(HKEY key, const char* name, const std::string& text) {
    RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                   static_cast<DWORD>(text.size() + 1));
  }

  // The test driver's service key.
  static void installDriver(DWORD fault = ntktest::kNoFault, const char* image = "ntktestdrv",
                            DWORD start = 3) {
    HKEY key = createKey(std::string("SYSTEM\\CurrentControlSet\\Services\\") + ntktest::kService);
    setString(key, "ImagePath", image);
    setDword(key, "Type", 1);
    setDword(key, "Start", start);
    setDword(key, "Fault", fault);
    RegCloseKey(key);
  }

  // A test card at bus 0, device 3, on line 5.
  std::shared_ptr<ntktest::TestCard> plugCard(uint32_t base = 0x300, plat::bus::Slot slot = {0, 3, 0},
                                              uint32_t line = 5) {
    auto card = std::make_shared<ntktest::TestCard>(base);
    EXPECT_TRUE(plat::bus::Plug(slot, line, card));
    return card;
  }

  std::string dir_;
};
