#include "camera_fixture.h"

#include <stdlib.h>

#include <fstream>
#include <iterator>

#include "vekmath.h"

namespace cameratest {

void CameraFixture::SetUp() {
  std::string pattern = (std::filesystem::temp_directory_path() / "vekmath_camera_XXXXXX").string();
  ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
  dir_ = pattern;
  std::filesystem::create_directories(dir_ + "/c/cam");
  ::setenv("ORVANE_ROOT", dir_.c_str(), 1);
  ::setenv("ORVANE_REGISTRY", (dir_ + "/registry.sqlite").c_str(), 1);
  previous_ = std::filesystem::current_path();
  std::filesystem::current_path(dir_);
  simcamera::SetManualMode(true);
}

void CameraFixture::TearDown() {
  CloseCamera(nullptr, nullptr);
  SelectCamera(0);
  simcamera::UninstallAll();
  std::filesystem::current_path(previous_);
  ::unsetenv("ORVANE_REGISTRY");
  ::unsetenv("ORVANE_ROOT");
  std::error_code ignored;
  std::filesystem::remove_all(dir_, ignored);
}

simcamera::CameraSpec CameraFixture::named(const char* name, std::vector<plat::camera::FrameSize> sizes) {
  simcamera::CameraSpec spec;
  spec.friendlyName = name;
  spec.sizes = std::move(sizes);
  return spec;
}

std::string CameraFixture::fileText(const std::string& name) const {
  std::ifstream in(dir_ + "/" + name, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

}  // namespace cameratest
