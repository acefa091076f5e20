// A private registry with simulated cameras, delivering frames only when a
// test steps them.
#pragma once
#include <gtest/gtest.h>
#include <platform/camera.h>
#include <platform/camera_device.h>
#include <simcamera.h>
#include <stdlib.h>

#include <filesystem>
#include <mutex>
#include <vector>

namespace plat::camera {

class CameraTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (std::filesystem::temp_directory_path() / "camera_XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    dir_ = pattern;
    ::setenv("ORVANE_ROOT", dir_.c_str(), 1);
    ::setenv("ORVANE_REGISTRY", (dir_ + "/registry.sqlite").c_str(), 1);
    simcamera::SetManualMode(true);
  }
  void TearDown() override {
    simcamera::UninstallAll();
    ::unsetenv("ORVANE_REGISTRY");
    ::unsetenv("ORVANE_ROOT");
    std::error_code ignored;
    std::filesystem::remove_all(dir_, ignored);
  }

  static simcamera::CameraSpec named(const char* name) {
    simcamera::CameraSpec spec;
    spec.friendlyName = name;
    return spec;
  }

  std::string dir_;
};

// What a callback saw, frame by frame.
struct Seen {
  int frame;
  int camera;
  double time;
  long length;
};

class Recorder {
 public:
  FrameCallback callback(int32_t width, int32_t height) {
    return [this, width, height](double time, uint8_t* pixels, long length) {
      std::lock_guard<std::mutex> lock(mutex_);
      seen_.push_back({simcamera::FrameNumberOf(pixels, width, height),
                       simcamera::CameraNumberOf(pixels, width, height), time, length});
    };
  }
  std::vector<Seen> seen() {
    std::lock_guard<std::mutex> lock(mutex_);
    return seen_;
  }

 private:
  std::mutex mutex_;
  std::vector<Seen> seen_;
};

}  // namespace plat::camera
