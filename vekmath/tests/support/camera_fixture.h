// Simulated cameras in a private registry and a private current folder
// (where the size trace goes), delivering frames only when a test steps
// them; the library's camera is closed again after each test.
#pragma once
#include <gtest/gtest.h>

#include <simcamera.h>

#include <filesystem>
#include <string>
#include <vector>

namespace cameratest {

class CameraFixture : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  static simcamera::CameraSpec named(const char* name, std::vector<plat::camera::FrameSize> sizes = {{320, 240},
                                                                                                     {640, 480}});
  // The bytes of a file in the current folder.
  std::string fileText(const std::string& name) const;

  std::string dir_;

 private:
  std::filesystem::path previous_;
};

}  // namespace cameratest
