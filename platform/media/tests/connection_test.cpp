#include <atomic>
#include <chrono>
#include <thread>

#include "camera_fixture.h"

namespace plat::camera {
namespace {

TEST_F(CameraTest, SetFormatTakesOnlyListedSizesAndIntervalsWhileStopped) {
  simcamera::CameraSpec spec = named("sizes");
  spec.sizes = {{320, 240}, {322, 242, 333333, 666666}};
  simcamera::CameraSpec fixed = named("fixed");
  fixed.hasStreamConfig = false;
  ASSERT_TRUE(simcamera::InstallCamera(0, spec));
  ASSERT_TRUE(simcamera::InstallCamera(1, fixed));
  std::unique_ptr<Connection> c = Connect(0);
  ASSERT_NE(c, nullptr);
  EXPECT_EQ(c->Width(), 320);  // the first listed size until one is set
  EXPECT_EQ(c->Height(), 240);

  const struct {
    int32_t width, height;
    int64_t interval;
    bool taken;
  } cases[] = {
      {0, 0, 333333, false},     {640, 480, 333333, false}, {242, 322, 333333, false},
      {322, 242, 100000, false}, {322, 242, 700000, false}, {322, 242, 666666, true},
  };
  for (const auto& k : cases) {
    EXPECT_EQ(c->SetFormat(k.width, k.height, k.interval), k.taken) << k.width << "x" << k.height << " " << k.interval;
  }
  EXPECT_EQ(c->Width(), 322);
  EXPECT_EQ(c->Height(), 242);
  EXPECT_EQ(c->ImageSize(), 968 * 242);  // 966 bytes of pixels, padded to 968

  ASSERT_TRUE(c->Run([](double, uint8_t*, long) {}));
  EXPECT_FALSE(c->SetFormat(320, 240, 333333));  // the stream has its size
  c->Stop();
  EXPECT_TRUE(c->SetFormat(320, 240, 333333));

  std::unique_ptr<Connection> f = Connect(1);
  ASSERT_NE(f, nullptr);
  EXPECT_FALSE(f->SetFormat(320, 240, 333333));
}

TEST_F(CameraTest, SteppedFramesCarryTheirNumberCameraAndTime) {
  ASSERT_TRUE(simcamera::InstallCamera(0, named("first")));
  ASSERT_TRUE(simcamera::InstallCamera(5, named("second")));
  std::unique_ptr<Connection> c = Connect(1);
  ASSERT_NE(c, nullptr);
  ASSERT_TRUE(c->SetFormat(640, 480, 333333));
  Recorder recorder;
  ASSERT_TRUE(c->Run(recorder.callback(640, 480)));
  EXPECT_EQ(simcamera::StepFrames(3), 1);
  c->Stop();
  ASSERT_TRUE(c->Run(recorder.callback(640, 480)));  // a new stream counts from 0 again
  EXPECT_EQ(simcamera::StepFrames(1), 1);
  c.reset();

  const std::vector<Seen> seen = recorder.seen();
  ASSERT_EQ(seen.size(), 4u);
  const int frames[] = {0, 1, 2, 0};
  for (size_t i = 0; i < seen.size(); ++i) {
    EXPECT_EQ(seen[i].frame, frames[i]) << i;
    EXPECT_EQ(seen[i].camera, 5) << i;
    EXPECT_DOUBLE_EQ(seen[i].time, frames[i] / 30.0) << i;
    EXPECT_EQ(seen[i].length, 640 * 3 * 480) << i;
  }
}

TEST_F(CameraTest, FramesAreBottomUpRows) {
  ASSERT_TRUE(simcamera::InstallCamera(0, named("rows")));
  std::unique_ptr<Connection> c = Connect(0);
  ASSERT_NE(c, nullptr);
  std::vector<uint8_t> last;
  ASSERT_TRUE(c->Run([&](double, uint8_t* pixels, long length) { last.assign(pixels, pixels + length); }));
  simcamera::StepFrames(2);  // frame 1: only the rightmost frame stripe is white
  c->Stop();
  const long row = RowBytes(320);
  ASSERT_EQ(last.size(), static_cast<size_t>(row * 240));
  EXPECT_EQ(last[static_cast<size_t>(row * 239 + 319 * 3)], 255);  // the picture's top row comes last
  EXPECT_EQ(last[static_cast<size_t>(row * 239)], 0);
  EXPECT_EQ(last[319 * 3], 0);  // the bottom row shows camera 0: all black
}

TEST_F(CameraTest, RunWhileRunningOnlyReplacesTheCallback) {
  ASSERT_TRUE(simcamera::InstallCamera(0, named("swap")));
  std::unique_ptr<Connection> c = Connect(0);
  ASSERT_NE(c, nullptr);
  Recorder before, after;
  ASSERT_TRUE(c->Run(before.callback(320, 240)));
  simcamera::StepFrames(2);
  ASSERT_TRUE(c->Run(after.callback(320, 240)));
  EXPECT_TRUE(c->Running());
  simcamera::StepFrames(1);
  c->Stop();
  EXPECT_FALSE(c->Running());
  EXPECT_EQ(before.seen().size(), 2u);
  ASSERT_EQ(after.seen().size(), 1u);
  EXPECT_EQ(after.seen()[0].frame, 2);  // the stream went on
}

// Threaded pacing, so frames arrive while the stop or the destruction runs.
class CameraThreadsTest : public CameraTest {
 protected:
  void SetUp() override {
    CameraTest::SetUp();
    simcamera::SetManualMode(false);
    ASSERT_TRUE(simcamera::InstallCamera(0, named("threads")));
  }
  void TearDown() override {
    simcamera::SetManualMode(true);
    CameraTest::TearDown();
  }
};

TEST_F(CameraThreadsTest, NoCallbackRunsAfterStopOrDestructionReturns) {
  for (bool destroy : {false, true}) {
    std::unique_ptr<Connection> c = Connect(0);
    ASSERT_NE(c, nullptr);
    std::atomic<bool> inside{false};
    std::atomic<int> calls{0};
    std::atomic<bool> after{false};
    ASSERT_TRUE(c->Run([&](double, uint8_t*, long) {
      inside = true;
      if (after) calls = -1000;  // a call after the stop returned
      ++calls;
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
      inside = false;
    }));
    ASSERT_EQ(simcamera::StepFrames(1), 1);  // a frame went through, the next may be under way
    if (destroy) {
      c.reset();
    } else {
      c->Stop();
    }
    after = true;
    EXPECT_FALSE(inside) << destroy;
    simcamera::StepFrames(2);  // nothing is running any more
    EXPECT_GT(calls.load(), 0) << destroy;
  }
}

TEST_F(CameraThreadsTest, StopFromTheCallbackEndsTheStreamAndRunStartsItAgain) {
  std::unique_ptr<Connection> c = Connect(0);
  ASSERT_NE(c, nullptr);
  std::atomic<int> calls{0};
  ASSERT_TRUE(c->Run([&](double, uint8_t*, long) {
    ++calls;
    c->Stop();
  }));
  while (calls.load() == 0 || c->Running()) std::this_thread::yield();
  EXPECT_EQ(calls.load(), 1);
  Recorder again;
  ASSERT_TRUE(c->Run(again.callback(320, 240)));
  EXPECT_EQ(simcamera::StepFrames(1), 1);
  c->Stop();
  ASSERT_FALSE(again.seen().empty());
  EXPECT_EQ(again.seen()[0].frame, 0);
}

}  // namespace
}  // namespace plat::camera
