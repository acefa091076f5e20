// The one Connection of every camera back end: a streaming thread that takes
// frames from the device's FrameSource and hands them to the callback.
#pragma once
#include <platform/camera_device.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <thread>

namespace plat::camera {

// Keeps a back end's code loaded while its objects live (null for the
// layer's own back ends).
using ModuleHold = std::shared_ptr<void>;

class StreamConnection final : public Connection {
 public:
  StreamConnection(CameraInfo info, std::unique_ptr<Device> device, std::unique_ptr<FrameSource> source,
                   ModuleHold module);
  ~StreamConnection() override;

  bool SetFormat(int32_t width, int32_t height, int64_t interval100ns) override;
  int32_t Width() const override;
  int32_t Height() const override;
  long ImageSize() const override;
  bool Run(FrameCallback callback) override;
  void Stop() override;
  bool Running() const override;
  bool ShowProperties(HWND owner) override;

 private:
  using Shared = std::shared_ptr<const FrameCallback>;
  void stream();
  bool onStreamingThread() const;
  void setCallback(Shared callback);

  const CameraInfo info_;
  ModuleHold module_;  // released after the objects below
  std::unique_ptr<Device> device_;
  std::unique_ptr<FrameSource> source_;

  mutable std::mutex control_;  // Run, Stop, SetFormat and the thread object
  std::thread thread_;
  std::atomic<std::thread::id> streamingId_{};
  std::atomic<bool> running_{false};
  std::atomic<bool> stopping_{false};

  std::mutex delivering_;  // held while a callback runs
  std::mutex slot_;        // guards callback_
  Shared callback_;
};

}  // namespace plat::camera
