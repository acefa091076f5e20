// A registry of devices written per test, a fake kernel driver behind
// "\\.\HVFAKE" and fake virtual-device entries, for the device tests.
#pragma once
#include <windows.h>
#include <outside/halvikdrv.h>

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <variant>
#include <vector>

#include "device_record.h"

namespace devices_test {

struct RegValue {
  std::string name;
  std::variant<DWORD, std::string> data;
};

// What the fake kernel driver answers; statuses and status bits per code.
struct FakeDriver {
  std::vector<DWORD> requests;
  std::map<DWORD, int32_t> status;
  std::map<DWORD, int32_t> bits;
  std::map<DWORD, bool> failing;  // DeviceIoControl gives FALSE
  int16_t counterChannels = 2;
  int count(DWORD code) const;
};

// The same for the virtual device's commands: a call result, a record
// status, and the int32 at 4 of a status read.
struct FakeBus {
  std::vector<WORD> commands;
  std::map<WORD, DWORD> callResult;
  std::map<WORD, int32_t> status;
  std::map<WORD, int32_t> bits;
  int opens = 0;
  int closes = 0;
  int count(WORD command) const;
};

FakeDriver& Driver();
FakeBus& VirtualBus();

class DevicesTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // One subkey of the class key (or of `classKey`).
  static void writeSubkey(const std::string& subkey, const std::vector<RegValue>& values,
                          const char* classKey = nullptr);
  // A category-2 device in the installer's layout. Kernel devices sit
  // behind the fake driver; bus kind 10 ones behind the fake entries.
  static void addDevice(const std::string& subkey, const std::string& name, int id, const std::string& model,
                        DWORD busKind = 0);
  // Scans, and sets the process id as the attach does.
  static void scan();
  static halvik::DeviceRecord& record(const char* name);

  std::string root_;
};

}  // namespace devices_test
