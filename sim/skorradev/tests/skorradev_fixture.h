// A fresh registry per test, the boards re-read from it, and short ways to
// send the driver's requests.
#pragma once
#include <gtest/gtest.h>
#include <skorradev.h>
#include <stdlib.h>
#include <winreg.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

class SkorradevTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (std::filesystem::temp_directory_path() / "skorradev_XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    dir_ = pattern;
    ::setenv("ORVANE_ROOT", dir_.c_str(), 1);
    ::setenv("ORVANE_REGISTRY", (dir_ + "/registry.sqlite").c_str(), 1);
    SkorradevSimReset();
  }

  void TearDown() override {
    for (HANDLE h : open_) SkorradevCloseHandle(h);
    open_.clear();
    ::unsetenv("ORVANE_REGISTRY");
    ::unsetenv("ORVANE_ROOT");
    std::error_code ignored;
    std::filesystem::remove_all(dir_, ignored);
  }

  // Declares board n in the registry (then SkorradevSimReset to use it).
  static void declareBoard(DWORD n, DWORD model, DWORD boardId) {
    char path[128];
    std::snprintf(path, sizeof path, "System\\CurrentControlSet\\Services\\Class\\SKORRA\\%03u", n);
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExA(key, "Model", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&model), 4), ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExA(key, "Board", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&boardId), 4),
              ERROR_SUCCESS);
    RegCloseKey(key);
  }

  HANDLE open(DWORD n) {
    const std::string path = "\\\\.\\SKORRA" + std::to_string(n);
    HANDLE h = SkorradevCreateFile(path.c_str(), 0, 0, nullptr, OPEN_EXISTING, 0x40000080, nullptr);
    if (h != INVALID_HANDLE_VALUE) open_.push_back(h);
    return h;
  }

  void close(HANDLE h) {
    std::erase(open_, h);
    SkorradevCloseHandle(h);
  }

  static DWORD code(DWORD function) {
    const SkorradevFunctionSpec* spec = SkorradevFindFunction(function);
    return SKORRADEV_NT_CODE(function, spec != nullptr ? spec->method : METHOD_BUFFERED);
  }

  // A buffered request whose reply (status, data, zeros) overwrites the
  // record; the reply status.
  template <class T>
  static DWORD request(HANDLE h, DWORD function, T& record) {
    DWORD done = 0;
    EXPECT_TRUE(SkorradevDeviceIoControl(h, code(function), &record, sizeof record, &record, sizeof record, &done,
                                         nullptr))
        << std::hex << function << " error " << std::dec << GetLastError();
    DWORD status = 0;
    std::memcpy(&status, &record, sizeof status);
    return status;
  }

  // {n, values...} in and out, padded to `size` bytes; returns the reply.
  static std::vector<uint32_t> plain(HANDLE h, DWORD function, DWORD size, std::vector<uint32_t> values) {
    std::vector<uint32_t> record(size / 4, 0);
    for (size_t i = 0; i < values.size() && i < record.size(); ++i) record[i] = values[i];
    DWORD done = 0;
    EXPECT_TRUE(SkorradevDeviceIoControl(h, code(function), record.data(), size, record.data(), size, &done,
                                         nullptr))
        << std::hex << function << " error " << std::dec << GetLastError();
    return record;
  }

  static SkorradevSamplingRequest normalConfig(DWORD n, std::vector<uint32_t> channels, uint32_t samples,
                                               uint32_t triggerMode, uint32_t eventCount = 0) {
    SkorradevSamplingRequest r{};
    r.head = n;
    r.channelCount = static_cast<uint32_t>(channels.size());
    for (size_t i = 0; i < channels.size(); ++i) r.channels[i] = {channels[i], 0x80000};
    r.mode = 2;
    r.inputType = 1;
    r.sampleCount = samples;
    r.eventCount = eventCount;
    r.clockCode = (1000u << 16) | 8u;  // 1 kHz
    r.triggerPoint = 1;
    r.triggerMode = triggerMode;
    return r;
  }

  static SkorradevStatusReply status(HANDLE h, DWORD n) {
    SkorradevStatusReply s{n, 0, 0, 0};
    EXPECT_EQ(request(h, SKDF_STATUS, s), 0u);
    return s;
  }

  static DWORD start(HANDLE h, DWORD n, DWORD mode = 2) {
    SkorradevStartRequest r{n, mode, 0xFFFFFFFFu};
    return request(h, SKDF_START, r);
  }

  std::string dir_;
  std::vector<HANDLE> open_;
};
