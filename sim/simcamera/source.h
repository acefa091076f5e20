// One stream of a simulated camera.
#pragma once
#include <platform/camera_device.h>

#include <chrono>
#include <vector>

#include "hub.h"

namespace simcamera {

class SimSource final : public plat::camera::FrameSource {
 public:
  using Clock = std::chrono::steady_clock;

  SimSource(int number, plat::camera::FrameSize size);
  ~SimSource() override;

  bool Configure(int32_t width, int32_t height, int64_t interval100ns) override;
  int32_t Width() const override { return width_; }
  int32_t Height() const override { return height_; }
  bool Start(std::string* error) override;
  bool NextFrame(plat::camera::Frame& frame) override;
  void Interrupt() override;
  void Finish() override;

  // The calls below are made with the hub's mutex held.
  // Lets `frames` more frames out (manual mode) and returns the count of
  // delivered frames that covers them.
  uint64_t grant(int frames);
  bool delivered(uint64_t count) const { return done_ >= count; }
  bool interrupted() const { return interrupted_; }
  void modeChanged(bool manual);

 private:
  bool frameDue(std::unique_lock<std::mutex>& lock);
  void retire();

  const int number_;
  int32_t width_;
  int32_t height_;
  std::vector<uint8_t> pixels_;

  // Guarded by the hub's mutex.
  uint64_t id_ = 0;
  bool interrupted_ = false;
  uint32_t nextFrame_ = 0;  // k of the frame NextFrame gives next
  uint64_t issued_ = 0;     // frames handed out since Start
  uint64_t done_ = 0;       // frames whose consumer came back
  uint64_t granted_ = 0;    // frames manual mode lets out
  Clock::time_point origin_;  // when frame 0 was due
};

}  // namespace simcamera
