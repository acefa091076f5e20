#include "camera_fixture.h"

namespace plat::camera {
namespace {

TEST_F(CameraTest, InstalledCamerasComeInNumericOrderWithTheirFields) {
  simcamera::CameraSpec plain = named("Cam Two");
  plain.description = "second";
  plain.devicePath = "\\\\?\\sim#2";
  plain.sizes = {{160, 120, 333333, 666666}, {320, 240}};
  simcamera::CameraSpec bare = named("Cam Ten");
  bare.hasStreamConfig = false;
  bare.capturePin = "\x83\x4c\x83\x83\x83\x76\x83\x60\x83\x83";  // a CP932 pin name
  ASSERT_TRUE(simcamera::InstallCamera(10, bare));
  ASSERT_TRUE(simcamera::InstallCamera(2, plain));
  ASSERT_TRUE(simcamera::InstallCamera(0, named("Cam Zero")));

  const std::vector<CameraInfo> cameras = EnumerateCameras();
  ASSERT_EQ(cameras.size(), 3u);  // "10" sorts before "2" as text, not as a number
  EXPECT_EQ(cameras[0].friendlyName, "Cam Zero");
  EXPECT_EQ(cameras[1].friendlyName, "Cam Two");
  EXPECT_EQ(cameras[2].friendlyName, "Cam Ten");

  EXPECT_EQ(cameras[1].description, "second");
  EXPECT_EQ(cameras[1].devicePath, "\\\\?\\sim#2");
  EXPECT_EQ(cameras[1].capturePin, "Capture");
  ASSERT_EQ(cameras[1].sizes.size(), 2u);
  EXPECT_EQ(cameras[1].sizes[0].width, 160);
  EXPECT_EQ(cameras[1].sizes[0].height, 120);
  EXPECT_EQ(cameras[1].sizes[0].minInterval, 333333);
  EXPECT_EQ(cameras[1].sizes[0].maxInterval, 666666);

  // Texts the camera does not give read empty, not as the text before them.
  EXPECT_EQ(cameras[2].description, "");
  EXPECT_EQ(cameras[2].devicePath, "");
  EXPECT_EQ(cameras[2].capturePin, bare.capturePin);
  EXPECT_FALSE(cameras[2].hasStreamConfig);
  EXPECT_TRUE(cameras[2].sizes.empty());
}

TEST_F(CameraTest, InstallRefusesSpecsItCouldNotStream) {
  simcamera::CameraSpec noSizes = named("none");
  noSizes.sizes.clear();
  simcamera::CameraSpec emptySize = named("empty");
  emptySize.sizes = {{0, 240}};
  simcamera::CameraSpec backwards = named("backwards");
  backwards.sizes = {{320, 240, 666666, 333333}};
  const struct {
    int number;
    const simcamera::CameraSpec& spec;
  } cases[] = {{-1, named("negative")}, {0, noSizes}, {1, emptySize}, {2, backwards}};
  for (const auto& c : cases) {
    EXPECT_FALSE(simcamera::InstallCamera(c.number, c.spec)) << c.spec.friendlyName;
  }
  EXPECT_TRUE(EnumerateCameras().empty());
}

TEST_F(CameraTest, ConnectingPastTheLastCameraSaysWhy) {
  ASSERT_TRUE(simcamera::InstallCamera(0, named("only")));
  std::string error;
  EXPECT_EQ(Connect(1, &error), nullptr);
  EXPECT_FALSE(error.empty());
  EXPECT_EQ(Connect(-1), nullptr);
  EXPECT_NE(Connect(0), nullptr);
}

TEST_F(CameraTest, PropertyDialogIsShownOnlyByACameraThatHasOne) {
  simcamera::CameraSpec without = named("without");
  without.hasPropertyDialog = false;
  ASSERT_TRUE(simcamera::InstallCamera(0, named("with")));
  ASSERT_TRUE(simcamera::InstallCamera(1, without));
  std::unique_ptr<Connection> with = Connect(0);
  std::unique_ptr<Connection> none = Connect(1);
  ASSERT_TRUE(with && none);
  EXPECT_TRUE(with->ShowProperties(nullptr));
  EXPECT_FALSE(none->ShowProperties(nullptr));
  EXPECT_EQ(simcamera::PropertyDialogsShown(0), 1);
  EXPECT_EQ(simcamera::PropertyDialogsShown(1), 0);
}

}  // namespace
}  // namespace plat::camera
