// A fresh machine per test with the driver's service key, its boards, and
// requests sent as the library sends them.
#pragma once
#include <gtest/gtest.h>
#include <morvel_requests.h>
#include <ntkrnl/ntkrnl_host.h>

#include <memory>
#include <optional>

#include "support/driver_setup.h"

class DriverTest : public ::testing::Test {
 protected:
  void SetUp() override { machine_ = std::make_unique<morvel00test::FreshMachine>(); }
  void TearDown() override {
    for (HANDLE h : handles_) CloseHandle(h);
    if (started_) {
      NTK_LEFTOVERS left{};
      EXPECT_EQ(NtkUnloadDriver(service_.c_str(), &left), STATUS_SUCCESS);
      EXPECT_EQ(left.PoolAllocations + left.TimersSet + left.DpcsQueued + left.InterruptsConnected +
                    left.Devices + left.SymbolicLinks,
                0u);
    }
    boards_.clear();
    machine_.reset();
  }

  // Installs and starts; the result of the start.
  NTSTATUS start(const std::vector<morvel00test::GroupEntry>& groups, const char* service = morvel00test::kService,
                 const char* image = nullptr) {
    service_ = service;
    boards_ = morvel00test::Install(groups, service);
    if (image != nullptr) {
      HKEY key = nullptr;
      RegOpenKeyExA(HKEY_LOCAL_MACHINE, (std::string("SYSTEM\\CurrentControlSet\\Services\\") + service).c_str(), 0,
                    KEY_ALL_ACCESS, &key);
      RegSetValueExA(key, "ImagePath", 0, REG_SZ, reinterpret_cast<const BYTE*>(image),
                     static_cast<DWORD>(strlen(image) + 1));
      RegCloseKey(key);
    }
    const NTSTATUS status = NtkStartDriver(service, nullptr);
    started_ = NT_SUCCESS(status);
    return status;
  }
  NTSTATUS startOneBoard() { return start({{{morvel00test::DefaultBoard()}}}); }

  HANDLE open(const char* path = morvel00test::kDevicePath) {
    HANDLE h = CreateFileA(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr);
    if (h != INVALID_HANDLE_VALUE) handles_.push_back(h);
    return h;
  }
  static uint32_t value(HANDLE h) { return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(h)); }

  // One request as the library makes it: the record in and out, `size`
  // bytes each way unless given. Nothing when the call fails.
  static std::optional<DWORD> send(HANDLE h, uint32_t offset, XanRequest& r, DWORD in = 0, DWORD out = 0) {
    const DWORD size = XanRecordSize(offset) != 0 ? XanRecordSize(offset) : 16;
    DWORD returned = 0xFFFF;
    if (!DeviceIoControl(h, XanCode(offset), &r, in != 0 ? in : size, &r, out != 0 ? out : size, &returned,
                         nullptr)) {
      return std::nullopt;
    }
    return returned;
  }
  // The open request for `group` with the handle's own value; its result.
  static int16_t openGroup(HANDLE h, int16_t group, uint32_t* owner = nullptr) {
    XanRequest r{};
    r.open.handle = value(h);
    r.open.deviceIndex = 20;
    r.open.group = group;
    if (!send(h, XAN_OPEN, r)) return XAN_E_CALL;
    if (owner != nullptr) *owner = r.open.handle;
    return r.open.result;
  }

  std::unique_ptr<morvel00test::FreshMachine> machine_;
  std::vector<std::shared_ptr<morvelboard::MorvelBoard>> boards_;
  std::vector<HANDLE> handles_;
  std::string service_;
  bool started_ = false;
};
