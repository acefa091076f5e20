// A small card for the kernel layer's tests. Four ports from its base:
//   +0 R  events not yet acknowledged (the interrupt output is up while
//         there is one); W: acknowledges one event
//   +1 RW a data latch
//   +2 W  raises an event
// Its configuration space is a type-0 header with the test vendor.
#pragma once
#include <platform/hardware_bus.h>

#include <atomic>
#include <mutex>

namespace ntktest {

inline constexpr uint16_t kVendor = 0x1C5E;
inline constexpr uint16_t kDevice = 0x0121;

class __attribute__((visibility("default"))) TestCard : public plat::bus::Card {
 public:
  explicit TestCard(uint32_t ioBase, uint8_t revision = 1);

  void ReadConfig(uint32_t offset, void* out, uint32_t length) override;
  void WriteConfig(uint32_t offset, const void* data, uint32_t length) override;
  bool DecodesPort(uint32_t port) const override;
  uint32_t In(uint32_t port, unsigned width) override;
  void Out(uint32_t port, unsigned width, uint32_t value) override;
  void AdvanceTo(uint64_t nowNs) override;
  bool InterruptAsserted() const override;

  // From the test: the hardware raises `count` events.
  void Raise(unsigned count = 1);
  unsigned pending() const;
  uint64_t time() const { return time_.load(); }
  // True while one of the card's methods runs (for "never inside a card").
  bool busy() const { return depth_.load() != 0; }

 private:
  struct Depth;
  uint32_t base_;
  mutable std::mutex mutex_;
  uint8_t config_[256] = {};
  unsigned pending_ = 0;
  uint32_t latch_ = 0;
  std::atomic<uint64_t> time_{0};
  mutable std::atomic<int> depth_{0};
};

}  // namespace ntktest
