#include "source.h"

#include "pattern.h"

namespace simcamera {

namespace {

constexpr int64_t kFramesPerSecond = 30;

SimSource::Clock::duration dueAfter(uint64_t frame) {
  return std::chrono::duration_cast<SimSource::Clock::duration>(
      std::chrono::nanoseconds(static_cast<int64_t>(frame) * 1'000'000'000 / kFramesPerSecond));
}

}  // namespace

Hub& hub() {
  static Hub shared;
  return shared;
}

SimSource::SimSource(int number, plat::camera::FrameSize size)
    : number_(number), width_(size.width), height_(size.height) {}

SimSource::~SimSource() { retire(); }

bool SimSource::Configure(int32_t width, int32_t height, int64_t) {
  if (width <= 0 || height <= 0) return false;
  width_ = width;
  height_ = height;
  return true;
}

bool SimSource::Start(std::string*) {
  pixels_.assign(static_cast<size_t>(plat::camera::RowBytes(width_) * height_), 0);
  Hub& h = hub();
  std::lock_guard<std::mutex> lock(h.mutex);
  if (id_ != 0) h.running.erase(id_);
  id_ = h.nextId++;
  h.running[id_] = this;
  interrupted_ = false;
  nextFrame_ = 0;
  issued_ = done_ = granted_ = 0;
  origin_ = Clock::now();
  return true;
}

bool SimSource::frameDue(std::unique_lock<std::mutex>& lock) {
  Hub& h = hub();
  for (;;) {
    if (interrupted_) return false;
    if (h.manual) {
      if (issued_ < granted_) return true;
      h.changed.wait(lock);
      continue;
    }
    const Clock::time_point now = Clock::now();
    if (now >= origin_ + dueAfter(nextFrame_)) {
      // A consumer slower than the camera misses the frames it was late for.
      const auto late = std::chrono::duration_cast<std::chrono::nanoseconds>(now - origin_).count();
      const auto latest = static_cast<uint32_t>(late * kFramesPerSecond / 1'000'000'000);
      if (latest > nextFrame_) nextFrame_ = latest;
      return true;
    }
    h.changed.wait_until(lock, origin_ + dueAfter(nextFrame_));
  }
}

bool SimSource::NextFrame(plat::camera::Frame& frame) {
  uint32_t k = 0;
  {
    Hub& h = hub();
    std::unique_lock<std::mutex> lock(h.mutex);
    done_ = issued_;
    h.changed.notify_all();
    if (!frameDue(lock)) return false;
    k = nextFrame_++;
    ++issued_;
  }
  RenderPattern(pixels_.data(), width_, height_, k, static_cast<uint32_t>(number_));
  frame.pixels = pixels_.data();
  frame.length = static_cast<long>(pixels_.size());
  frame.sampleTime = static_cast<double>(k) / kFramesPerSecond;
  return true;
}

void SimSource::Interrupt() {
  Hub& h = hub();
  std::lock_guard<std::mutex> lock(h.mutex);
  interrupted_ = true;
  h.changed.notify_all();
}

void SimSource::Finish() { retire(); }

void SimSource::retire() {
  Hub& h = hub();
  std::lock_guard<std::mutex> lock(h.mutex);
  done_ = issued_;
  if (id_ != 0) h.running.erase(id_);
  id_ = 0;
  h.changed.notify_all();
}

uint64_t SimSource::grant(int frames) {
  if (hub().manual) {
    granted_ += static_cast<uint64_t>(frames);
    return granted_;
  }
  return issued_ + static_cast<uint64_t>(frames);
}

void SimSource::modeChanged(bool manual) {
  if (manual) {
    granted_ = issued_;
  } else {
    origin_ = Clock::now() - dueAfter(nextFrame_);  // the next frame is due now
  }
}

}  // namespace simcamera
