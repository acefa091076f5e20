// Test-local roads to a device: a kernel driver registered with the
// platform, and sibling IoControl entries put into Bus() in place of the
// bound ones. Each records what it was sent and answers as the test says.
// Devices are records appended to DeviceTable(); everything is undone at
// destruction.
#pragma once
#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "transport.h"

namespace halvik::testing {

struct Sent {
  DWORD code = 0;     // kernel code or sibling command
  DWORD busKind = 0;  // 0 for the kernel road
  std::vector<unsigned char> bytes;

  int64_t at(std::size_t offset, std::size_t width) const;  // signed
};

class FakeRoads {
 public:
  FakeRoads();
  ~FakeRoads();
  FakeRoads(const FakeRoads&) = delete;
  FakeRoads& operator=(const FakeRoads&) = delete;

  // A registered, open device; bus kind 10 and 3 reach the fake entries,
  // any other kind the fake driver.
  void addDevice(int16_t id, int16_t busKind);

  // This kernel code fails (DeviceIoControl gives FALSE); ~0u: every one,
  // the ownership check's too.
  DWORD failKernelCode = 0;
  // What the requests other than the ownership check get.
  DWORD busCallResult = 0;   // nonzero: the sibling call itself fails with it
  std::function<void(unsigned char* bytes, DWORD size)> reply;  // fills the answer
  // What the ownership check gets: 20003 while another process holds it.
  int32_t ownershipStatus = 0;

  std::vector<Sent> sent;  // requests other than the ownership check, in order
  int ownershipChecks = 0;

  static FakeRoads* current;

 private:
  std::string deviceName_;
  BusEntries saved_;
  std::vector<HANDLE> handles_;
};

// Puts a little-endian value into an answer.
void putAt(unsigned char* bytes, std::size_t offset, std::size_t width, int64_t value);

}  // namespace halvik::testing
