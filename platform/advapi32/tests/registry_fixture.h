// A fresh registry store for one test, and short ways to seed and read it.
#pragma once
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>
#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

class RegistryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (std::filesystem::temp_directory_path() / "orvane_reg_XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    dir_ = pattern;
    store_ = dir_ + "/registry.sqlite";
    ::setenv("ORVANE_REGISTRY", store_.c_str(), 1);
    ::unsetenv("ORVANE_REGISTRY_BUSY_MS");
  }

  void TearDown() override {
    ::unsetenv("ORVANE_REGISTRY");
    ::unsetenv("ORVANE_REGISTRY_BUSY_MS");
    std::error_code ignored;
    for (auto& entry : std::filesystem::recursive_directory_iterator(dir_, ignored)) {
      if (entry.is_directory(ignored)) ::chmod(entry.path().c_str(), 0755);
    }
    ::chmod(dir_.c_str(), 0755);
    std::filesystem::remove_all(dir_, ignored);
  }

  // Creates (or opens) HKLM\path with full access; the test closes it.
  static HKEY create(const char* path, HKEY root = HKEY_LOCAL_MACHINE) {
    HKEY key = nullptr;
    EXPECT_EQ(RegCreateKeyExA(root, path, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &key,
                              nullptr),
              ERROR_SUCCESS)
        << path;
    return key;
  }

  static LONG open(const char* path, HKEY& key, REGSAM access = KEY_READ) {
    return RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, access, &key);
  }

  static void setString(HKEY key, const char* name, const std::string& text) {
    ASSERT_EQ(RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                             static_cast<DWORD>(text.size() + 1)),
              ERROR_SUCCESS);
  }

  static void setDword(HKEY key, const char* name, DWORD value) {
    ASSERT_EQ(RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value),
              ERROR_SUCCESS);
  }

  // The text of a REG_SZ value, or "<status N>" when it cannot be read.
  static std::string getString(HKEY key, const char* name) {
    char buffer[512] = {};
    DWORD size = sizeof buffer - 1;
    DWORD type = 0;
    LONG status = RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size);
    if (status != ERROR_SUCCESS) return "<status " + std::to_string(status) + ">";
    EXPECT_EQ(type, REG_SZ);
    return std::string(buffer);
  }

  static std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

  static void writeFile(const std::string& path, const std::string& content) {
    std::ofstream(path, std::ios::binary) << content;
  }

  // Permissions are not enforced for root; tests of refused access skip then.
  static bool permissionsEnforced() { return ::geteuid() != 0; }

  std::string dir_;
  std::string store_;
};

// Closes a key at the end of a scope.
struct KeyCloser {
  HKEY key;
  ~KeyCloser() {
    if (key != nullptr) RegCloseKey(key);
  }
};
