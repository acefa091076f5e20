// A test's own registry store, a window for the notification messages and
// FAKE00 behind the device indices the tests use. Every slot still open is
// closed at the end, so tests leave the library's table as they found it.
#pragma once
#include <gtest/gtest.h>
#include <stdlib.h>
#include <windows.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include <morvel.h>

#include "fake00.h"
#include "library.h"

namespace morvel::testing {

class MorvelTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (std::filesystem::temp_directory_path() / "morvel_XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    dir_ = pattern;
    ::setenv("ORVANE_REGISTRY", (dir_ + "/registry.sqlite").c_str(), 1);
    WNDCLASSA wc{};
    wc.lpfnWndProc = DefWindowProcA;
    wc.lpszClassName = "MorvelTestWindow";
    RegisterClassA(&wc);
    window_ = CreateWindowExA(0, "MorvelTestWindow", "", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
  }
  void TearDown() override {
    closeAllSlots();
    DestroyWindow(window_);
    ::unsetenv("ORVANE_REGISTRY");
    std::error_code ignored;
    std::filesystem::remove_all(dir_, ignored);
  }

  XanHandle open(uint16_t index = 20, uint16_t group = 1) {
    XanHandle h = kFreeHandle;
    EXPECT_EQ(XanOpen(&h, index, group), 0);
    return h;
  }
  uint32_t window() const { return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(window_)); }
  std::vector<MSG> messages() {
    std::vector<MSG> out;
    MSG m;
    while (PeekMessageA(&m, window_, 0, 0, PM_REMOVE)) out.push_back(m);
    return out;
  }
  void setObjectName(const char* service, int group, const char* value) {
    const std::string path = std::string("SYSTEM\\CurrentControlSet\\Services\\") + service + "\\GroupNumber" +
                             std::to_string(group);
    HKEY key;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                              nullptr),
              ERROR_SUCCESS);
    RegSetValueExA(key, "ObjectName", 0, REG_SZ, reinterpret_cast<const BYTE*>(value),
                   static_cast<DWORD>(std::strlen(value) + 1));
    RegCloseKey(key);
  }

  Fake00 fake{{0, 1, 8, 12, 20}};
  std::string dir_;
  HWND window_ = nullptr;
};

}  // namespace morvel::testing
