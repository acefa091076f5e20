#include "media/stream_connection.h"

#include <algorithm>
#include <utility>

namespace plat::camera {

StreamConnection::StreamConnection(CameraInfo info, std::unique_ptr<Device> device,
                                   std::unique_ptr<FrameSource> source, ModuleHold module)
    : info_(std::move(info)), module_(std::move(module)), device_(std::move(device)), source_(std::move(source)) {}

StreamConnection::~StreamConnection() {
  Stop();
  std::lock_guard<std::mutex> lock(control_);
  if (thread_.joinable()) thread_.join();  // stopped from its own callback before
  source_.reset();
  device_.reset();
}

bool StreamConnection::SetFormat(int32_t width, int32_t height, int64_t interval100ns) {
  std::lock_guard<std::mutex> lock(control_);
  if (running_.load() || !info_.hasStreamConfig) return false;
  const bool listed = std::any_of(info_.sizes.begin(), info_.sizes.end(), [&](const FrameSize& s) {
    return s.width == width && s.height == height &&
           (interval100ns <= 0 || (interval100ns >= s.minInterval && interval100ns <= s.maxInterval));
  });
  return listed && source_->Configure(width, height, interval100ns);
}

int32_t StreamConnection::Width() const {
  std::lock_guard<std::mutex> lock(control_);
  return source_->Width();
}

int32_t StreamConnection::Height() const {
  std::lock_guard<std::mutex> lock(control_);
  return source_->Height();
}

long StreamConnection::ImageSize() const {
  std::lock_guard<std::mutex> lock(control_);
  return RowBytes(source_->Width()) * source_->Height();
}

bool StreamConnection::onStreamingThread() const { return streamingId_.load() == std::this_thread::get_id(); }

void StreamConnection::setCallback(Shared callback) {
  Shared old;
  {
    std::lock_guard<std::mutex> lock(slot_);
    old = std::exchange(callback_, std::move(callback));
  }
  // The old callback may be running now; once it has returned it runs no
  // more. From inside a callback there is nothing to wait for.
  if (!onStreamingThread()) std::lock_guard<std::mutex> wait(delivering_);
}

bool StreamConnection::Run(FrameCallback callback) {
  auto shared = std::make_shared<const FrameCallback>(std::move(callback));
  if (onStreamingThread()) {  // from a callback: the stream runs, or is stopping
    if (stopping_.load()) return false;
    setCallback(std::move(shared));
    return true;
  }
  std::lock_guard<std::mutex> lock(control_);
  if (running_.load() && !stopping_.load()) {
    setCallback(std::move(shared));
    return true;
  }
  if (thread_.joinable()) thread_.join();  // stopped from its own callback
  setCallback(std::move(shared));
  if (!source_->Start(nullptr)) return false;
  stopping_.store(false);
  running_.store(true);
  thread_ = std::thread([this] { stream(); });
  return true;
}

void StreamConnection::stream() {
  streamingId_.store(std::this_thread::get_id());
  Frame frame;
  while (!stopping_.load() && source_->NextFrame(frame)) {
    Shared callback;
    {
      std::lock_guard<std::mutex> lock(slot_);
      callback = callback_;
    }
    std::lock_guard<std::mutex> lock(delivering_);
    if (stopping_.load()) break;
    if (callback && *callback) (*callback)(frame.sampleTime, frame.pixels, frame.length);
  }
  source_->Finish();
  streamingId_.store(std::thread::id{});
  running_.store(false);
}

void StreamConnection::Stop() {
  if (onStreamingThread()) {  // cannot wait for itself: the loop ends after this callback
    stopping_.store(true);
    source_->Interrupt();
    return;
  }
  std::lock_guard<std::mutex> lock(control_);
  if (!thread_.joinable()) return;
  stopping_.store(true);
  source_->Interrupt();
  thread_.join();
}

bool StreamConnection::Running() const { return running_.load() && !stopping_.load(); }

bool StreamConnection::ShowProperties(HWND owner) { return device_->ShowProperties(owner); }

}  // namespace plat::camera
