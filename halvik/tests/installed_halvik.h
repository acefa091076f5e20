// A test's own installation of the simulated devices, one on each road, and
// the library loaded by name in it, as an application loads it.
#pragma once
#include <gtest/gtest.h>
#include <halviksim.h>
#include <installer.h>
#include <stdlib.h>
#include <windows.h>

#include <filesystem>
#include <string>

class InstalledHalvik : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (std::filesystem::temp_directory_path() / "halvik_app_XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    dir_ = pattern;
    ::setenv("ORVANE_ROOT", dir_.c_str(), 1);
    ::setenv("ORVANE_REGISTRY", (dir_ + "/registry.sqlite").c_str(), 1);
    char system[MAX_PATH];
    GetSystemDirectoryA(system, sizeof system);
    CreateDirectoryA(system, nullptr);
    logPath_ = std::string(system) + "\\halvik.log";
    ASSERT_FALSE(halviksim::InstallDevice({"HVA1", "HVA-1632PE", 1, "", 1}).empty());
    ASSERT_FALSE(halviksim::InstallDevice({"DEMO0", "Demo", 10, "HVM0", 2}).empty());
    ASSERT_FALSE(halviksim::InstallUnit({{"HVU", "HVU-1608USB", 3, "KB0", 5}, {{0, "HVU00", "HVU-1608USB"}}}).empty());
  }
  void TearDown() override {
    if (module_ != nullptr) FreeLibrary(module_);
    ::unsetenv("ORVANE_REGISTRY");
    ::unsetenv("ORVANE_ROOT");
    std::error_code ignored;
    std::filesystem::remove_all(dir_, ignored);
  }

  void install(const halviksim::VersionFiles& versions = {}) {
    ASSERT_TRUE(halviksim::InstallVersionFiles(versions));
    halviksim::Rescan();
  }
  // Each process loads the library itself: it keeps its process id from
  // the attach, as an application's copy does.
  void open() {
    module_ = LoadLibraryA("halvik.dll");
    ASSERT_NE(module_, nullptr);
  }
  template <class F>
  F entry(const char* name) const {
    auto f = reinterpret_cast<F>(GetProcAddress(module_, name));
    EXPECT_NE(f, nullptr) << name;
    return f;
  }

  std::string dir_;
  std::string logPath_;
  HMODULE module_ = nullptr;
};
