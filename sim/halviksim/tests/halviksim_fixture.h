// A fresh registry and platform root per test with one device of each road
// installed, and short ways to send requests over the real roads.
#pragma once
#include <gtest/gtest.h>
#include <installer.h>
#include <outside/halvikdrv.h>
#include <stdlib.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

class HalviksimTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (std::filesystem::temp_directory_path() / "halviksim_XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    dir_ = pattern;
    ::setenv("ORVANE_ROOT", dir_.c_str(), 1);
    ::setenv("ORVANE_REGISTRY", (dir_ + "/registry.sqlite").c_str(), 1);
    ASSERT_FALSE(halviksim::InstallDevice({"HVA1", "HVA-1632PE", 1, "", 1}).empty());
    ASSERT_FALSE(halviksim::InstallDevice({"HVA2", "HVA-1216PCI", 1, "", 2}).empty());
    ASSERT_FALSE(halviksim::InstallDevice({"DEMO0", "Demo", 10, "HVM0", 3}).empty());
    ASSERT_FALSE(
        halviksim::InstallUnit({{"HVU", "HVU-1608USB", 3, "KB0", 5}, {{0, "HVU00", "HVU-1608USB"}, {2, "HVU02", "HVU-1608USB"}}})
            .empty());
    halviksim::Rescan();
    bind();
    kernel_ = CreateFileA("\\\\.\\HVA1", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                          OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OVERLAPPED, nullptr);
    ASSERT_NE(kernel_, INVALID_HANDLE_VALUE);
    vm_ = vmOpen(10, "HVM0", "0");
    ASSERT_NE(vm_, INVALID_HANDLE_VALUE);
    bus_ = busOpen(3, "KB0", 0);
    ASSERT_NE(bus_, INVALID_HANDLE_VALUE);
  }

  void TearDown() override {
    CloseHandle(kernel_);
    vmClose(10, vm_);
    busClose(3, bus_);
    ::unsetenv("ORVANE_REGISTRY");
    ::unsetenv("ORVANE_ROOT");
    std::error_code ignored;
    std::filesystem::remove_all(dir_, ignored);
  }

  // The sibling entries, found as the library finds them.
  static void bind() {
    static HMODULE vm = LoadLibraryA("HalvikVm.dll");
    static HMODULE bus = LoadLibraryA("Kelbus.dll");
    ASSERT_NE(vm, nullptr);
    ASSERT_NE(bus, nullptr);
    vmOpen = reinterpret_cast<halvikdrv::HalvikVmOpenHandleProc>(GetProcAddress(vm, "HalvikVmOpenHandle"));
    vmClose = reinterpret_cast<halvikdrv::BusCloseHandleProc>(GetProcAddress(vm, "HalvikVmCloseHandle"));
    vmIo = reinterpret_cast<halvikdrv::BusIoControlProc>(GetProcAddress(vm, "HalvikVmIoControl"));
    busOpen = reinterpret_cast<halvikdrv::KelbusOpenHandleProc>(GetProcAddress(bus, "KelbusOpenHandle"));
    busOpenEx = reinterpret_cast<halvikdrv::KelbusOpenHandleExProc>(GetProcAddress(bus, "KelbusOpenHandleEx"));
    busClose = reinterpret_cast<halvikdrv::BusCloseHandleProc>(GetProcAddress(bus, "KelbusCloseHandle"));
    busIo = reinterpret_cast<halvikdrv::BusIoControlProc>(GetProcAddress(bus, "KelbusIoControl"));
    busInfo = reinterpret_cast<halvikdrv::KelbusGetDeviceInfoProc>(GetProcAddress(bus, "KelbusGetDeviceInfo"));
    ASSERT_TRUE(vmOpen && vmClose && vmIo && busOpen && busOpenEx && busClose && busIo && busInfo);
  }

  // A kernel request on one block; false when the call failed.
  static bool kernel(HANDLE h, DWORD code, std::vector<unsigned char>& block) {
    DWORD done = 0;
    const DWORD size = static_cast<DWORD>(block.size());
    return DeviceIoControl(h, code, block.data(), size, block.data(), size, &done, nullptr) != FALSE;
  }

  // A sibling command on one record: the call's result.
  static DWORD command(halvikdrv::BusIoControlProc io, DWORD kind, HANDLE h, DWORD code,
                       std::vector<unsigned char>& record) {
    DWORD done = 0;
    const DWORD size = static_cast<DWORD>(record.size());
    return io(kind, h, code, record.data(), size, record.data(), size, &done, nullptr);
  }

  template <class T>
  static T at(const std::vector<unsigned char>& bytes, size_t offset) {
    T value;
    std::memcpy(&value, bytes.data() + offset, sizeof value);
    return value;
  }
  template <class T>
  static void put(std::vector<unsigned char>& bytes, size_t offset, T value) {
    std::memcpy(bytes.data() + offset, &value, sizeof value);
  }

  static inline halvikdrv::HalvikVmOpenHandleProc vmOpen;
  static inline halvikdrv::BusCloseHandleProc vmClose;
  static inline halvikdrv::BusIoControlProc vmIo;
  static inline halvikdrv::KelbusOpenHandleProc busOpen;
  static inline halvikdrv::KelbusOpenHandleExProc busOpenEx;
  static inline halvikdrv::BusCloseHandleProc busClose;
  static inline halvikdrv::BusIoControlProc busIo;
  static inline halvikdrv::KelbusGetDeviceInfoProc busInfo;

  std::string dir_;
  HANDLE kernel_ = INVALID_HANDLE_VALUE;
  HANDLE vm_ = INVALID_HANDLE_VALUE;
  HANDLE bus_ = INVALID_HANDLE_VALUE;
};
