// A board on its slot that runs one action at its next port read once
// armed: the caller's moment inside a request the driver is working on.
#pragma once
#include <morvelboard.h>
#include <platform/hardware_bus.h>

#include <functional>
#include <memory>
#include <utility>

namespace morvel00test {

class HookedBoard final : public plat::bus::Card {
 public:
  explicit HookedBoard(std::shared_ptr<morvelboard::MorvelBoard> board) : board_(std::move(board)) {}
  void atNextRead(std::function<void()> action) { action_ = std::move(action); }

  void ReadConfig(uint32_t offset, void* out, uint32_t length) override { board_->ReadConfig(offset, out, length); }
  void WriteConfig(uint32_t offset, const void* data, uint32_t length) override {
    board_->WriteConfig(offset, data, length);
  }
  bool DecodesPort(uint32_t port) const override { return board_->DecodesPort(port); }
  uint32_t In(uint32_t port, unsigned width) override {
    if (auto action = std::exchange(action_, nullptr)) action();
    return board_->In(port, width);
  }
  void Out(uint32_t port, unsigned width, uint32_t value) override { board_->Out(port, width, value); }
  void AdvanceTo(uint64_t now_ns) override { board_->AdvanceTo(now_ns); }
  bool InterruptAsserted() const override { return board_->InterruptAsserted(); }

 private:
  std::shared_ptr<morvelboard::MorvelBoard> board_;
  std::function<void()> action_;
};

}  // namespace morvel00test
