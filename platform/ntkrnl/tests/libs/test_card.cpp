#include "test_card.h"

#include <windows.h>

#include <cstring>
#include <string>

namespace ntktest {

struct TestCard::Depth {
  const TestCard& card;
  explicit Depth(const TestCard& c) : card(c) { card.depth_.fetch_add(1); }
  ~Depth() { card.depth_.fetch_sub(1); }
};

TestCard::TestCard(uint32_t ioBase, uint8_t revision) : base_(ioBase) {
  std::memcpy(config_ + 0, &kVendor, 2);
  std::memcpy(config_ + 2, &kDevice, 2);
  config_[8] = revision;
  const uint32_t bar = ioBase | 1;
  std::memcpy(config_ + 0x10, &bar, 4);
  config_[0x3C] = 0xFF;
  config_[0x3D] = 1;
}

void TestCard::ReadConfig(uint32_t offset, void* out, uint32_t length) {
  Depth d(*this);
  std::lock_guard<std::mutex> lock(mutex_);
  auto* bytes = static_cast<uint8_t*>(out);
  for (uint32_t i = 0; i < length; ++i) bytes[i] = offset + i < 256 ? config_[offset + i] : 0xFF;
}

void TestCard::WriteConfig(uint32_t offset, const void* data, uint32_t length) {
  Depth d(*this);
  std::lock_guard<std::mutex> lock(mutex_);
  for (uint32_t i = 0; i < length && offset + i < 256; ++i) config_[offset + i] = static_cast<const uint8_t*>(data)[i];
}

bool TestCard::DecodesPort(uint32_t port) const { return port >= base_ && port < base_ + 4; }

uint32_t TestCard::In(uint32_t port, unsigned) {
  Depth d(*this);
  std::lock_guard<std::mutex> lock(mutex_);
  switch (port - base_) {
    case 0:
      return pending_;
    case 1:
      return latch_;
    default:
      return 0xFF;
  }
}

void TestCard::Out(uint32_t port, unsigned, uint32_t value) {
  Depth d(*this);
  std::lock_guard<std::mutex> lock(mutex_);
  switch (port - base_) {
    case 0:
      if (pending_ > 0) --pending_;
      break;
    case 1:
      latch_ = value;
      return;
    case 2:
      ++pending_;
      break;
    default:
      return;
  }
  plat::bus::LineChanged(*this);
}

void TestCard::AdvanceTo(uint64_t nowNs) {
  Depth d(*this);
  time_.store(nowNs);
}

bool TestCard::InterruptAsserted() const {
  Depth d(*this);
  std::lock_guard<std::mutex> lock(mutex_);
  return pending_ > 0;
}

void TestCard::Raise(unsigned count) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    pending_ += count;
  }
  plat::bus::LineChanged(*this);
}

unsigned TestCard::pending() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return pending_;
}

}  // namespace ntktest

// Installed cards: the I/O base comes from the slot key's "IoBase".
extern "C" __attribute__((visibility("default"))) plat::bus::Card* OrvaneMakeCard(const char* model,
                                                                                 const char* slotKey) {
  if (std::string(model) != "NtkTestCard") return nullptr;
  DWORD base = 0x300;
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, slotKey, 0, KEY_READ, &key) == ERROR_SUCCESS) {
    DWORD size = sizeof base;
    RegQueryValueExA(key, "IoBase", nullptr, nullptr, reinterpret_cast<BYTE*>(&base), &size);
    RegCloseKey(key);
  }
  return new ntktest::TestCard(base);
}
