// A fresh registry store for each test, and short ways to write and read
// the values of a hand-made configuration.
#pragma once
#include <gtest/gtest.h>
#include <stdlib.h>
#include <windows.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <variant>

#include "library_state.h"
#include "registry/registry_access.h"

namespace tarnixtest {

// One value below SYSTEM\CurrentControlSet\Services (or any HKLM path when
// absolute): a number or a text.
struct Value {
  const char* key;
  const char* name;
  std::variant<int32_t, const char*> data;
};

inline std::string ServicePath(const char* key) { return std::string("SYSTEM\\CurrentControlSet\\Services\\") + key; }

class RegistryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // A store in memory where the machine has one: every call commits.
    std::error_code none;
    const std::filesystem::path base =
        std::filesystem::is_directory("/dev/shm", none) ? "/dev/shm" : std::filesystem::temp_directory_path();
    std::string pattern = (base / "tarnix_reg_XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    dir_ = pattern;
    ::setenv("ORVANE_REGISTRY", (dir_ + "/registry.sqlite").c_str(), 1);
    std::memset(tarnix::Library().defineDir, 0, sizeof tarnix::Library().defineDir);
  }
  void TearDown() override {
    ::unsetenv("ORVANE_REGISTRY");
    std::error_code ignored;
    std::filesystem::remove_all(dir_, ignored);
  }

  static void Write(const Value& v) {
    const std::string path = ServicePath(v.key);
    if (const int32_t* n = std::get_if<int32_t>(&v.data)) {
      ASSERT_EQ(tarnix::WriteRegValue(path.c_str(), REG_DWORD, v.name, nullptr, *n), 0) << v.key << " " << v.name;
    } else {
      ASSERT_EQ(tarnix::WriteRegValue(path.c_str(), REG_SZ, v.name, std::get<const char*>(v.data), 0), 0);
    }
  }
  template <typename Values>
  static void WriteAll(const Values& values) {
    for (const Value& v : values) Write(v);
  }

  // The value as it is stored now: the number, the text, or the read's
  // status as "<status N>".
  static std::variant<int32_t, std::string> Read(const char* key, const char* name, bool text) {
    const std::string path = ServicePath(key);
    char buffer[256] = {};
    int32_t number = 0;
    const int32_t status =
        tarnix::ReadRegValue(path.c_str(), text ? REG_SZ : REG_DWORD, name, buffer, &number);
    if (status != 0) return "<status " + std::to_string(status) + ">";
    if (text) return std::string(buffer);
    return number;
  }
  static int32_t ReadNumber(const char* key, const char* name) {
    auto v = Read(key, name, false);
    return std::holds_alternative<int32_t>(v) ? std::get<int32_t>(v) : INT32_MIN;
  }
  static bool KeyExists(const std::string& absolutePath) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, absolutePath.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
  }

  // Every further call fails: the store's file is not a registry store.
  void BreakStore() {
    const std::string path = dir_ + "/broken.sqlite";
    FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fputs("not a registry store, only text", f);
    std::fclose(f);
    ::setenv("ORVANE_REGISTRY", path.c_str(), 1);
  }

  std::string dir_;
};

}  // namespace tarnixtest
