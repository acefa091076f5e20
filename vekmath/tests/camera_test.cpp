// The camera connection on simulated cameras: sizes, the preview painted
// from the streaming thread, the grab wait, the settings dialog and the
// size trace.
#include <gtest/gtest.h>

#include <windows.h>
#include <wingdi.h>
#include <platform/camera_device.h>
#include <platform/debug_sink.h>
#include <platform/window_surface.h>

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "camera/camera_state.h"
#include "camera/frame_wait.h"
#include "support/camera_fixture.h"
#include "support/wave_window.h"
#include "vekmath.h"

namespace {

using cameratest::CameraFixture;
using vekmath::Camera;
using wavetest::TestWindow;

constexpr int kWidth = 320, kHeight = 240;  // the preview window

// What the window shows, as a bottom-up BGR frame of the window's size, so
// that the simulated camera's pattern can be read back from it.
std::vector<uint8_t> shown(const TestWindow& window) {
  const long row = plat::camera::RowBytes(kWidth);
  std::vector<uint8_t> frame(static_cast<size_t>(row) * kHeight);
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < kWidth; ++x) {
      const COLORREF c = window.pixel(x, y);
      uint8_t* p = &frame[static_cast<size_t>(kHeight - 1 - y) * row + static_cast<size_t>(x) * 3];
      p[0] = GetBValue(c), p[1] = GetGValue(c), p[2] = GetRValue(c);
    }
  return frame;
}
int shownCamera(const TestWindow& w) { return simcamera::CameraNumberOf(shown(w).data(), kWidth, kHeight); }
int shownFrame(const TestWindow& w) { return simcamera::FrameNumberOf(shown(w).data(), kWidth, kHeight); }

class CameraTest : public CameraFixture {
 protected:
  TestWindow window{kWidth, kHeight};
  LONG open(LONG height, LONG width) {
    LONG status = 77;
    OpenCamera(window.hwnd(), "C:\\cam\\", height, width, &status);
    return status;
  }
};

TEST_F(CameraTest, ConnectsTheSelectedCameraAtTheAskedSizeOrItsOwn) {
  ASSERT_TRUE(simcamera::InstallCamera(0, named("first")));
  ASSERT_TRUE(simcamera::InstallCamera(1, named("second")));
  SelectCamera(1);
  const struct {
    LONG height, width;  // as asked: height first
    int32_t gotWidth, gotHeight;
  } cases[] = {{480, 640, 640, 480}, {100, 100, 320, 240}, {0, 0, 320, 240}, {240, 320, 320, 240}};
  for (const auto& k : cases) {
    SCOPED_TRACE(std::to_string(k.width) + "x" + std::to_string(k.height));
    Camera().defaultAviLength = 0;
    ASSERT_EQ(open(k.height, k.width), 0);
    const vekmath::CameraState& s = Camera();
    EXPECT_EQ(s.width, k.gotWidth);
    EXPECT_EQ(s.height, k.gotHeight);
    EXPECT_EQ(s.imageSize, plat::camera::RowBytes(k.gotWidth) * k.gotHeight);
    EXPECT_EQ(s.frameHeader.biWidth, k.gotWidth);
    EXPECT_EQ(s.frameHeader.biHeight, k.gotHeight);  // bottom-up
    EXPECT_EQ(s.frameHeader.biBitCount, 24);
    EXPECT_EQ(s.frameHeader.biSizeImage, static_cast<DWORD>(s.imageSize));
    EXPECT_EQ(s.stillBitOffset, 54);
    EXPECT_EQ(s.defaultAviLength, 600);
    EXPECT_EQ(s.baseFolder, "C:\\cam\\");
    EXPECT_EQ(simcamera::StepFrames(1), 1);
    EXPECT_EQ(shownCamera(window), 1);
  }
}

// Every way the connection can fail reports a status, and nothing runs.
TEST_F(CameraTest, AFailedConnectionReportsItsStatusAndRunsNothing) {
  const struct {
    const char* what;
    int cameras;
    const char* pin;
    LONG select, status;
  } cases[] = {
      {"no camera at all", 0, "Capture", 0, 1},
      {"index at the count", 1, "Capture", 1, 1},
      {"negative index", 1, "Capture", -1, 1},
      {"no capture output", 1, "Output", 0, 2},
      {"Japanese capture output", 1, "\x83\x4C\x83\x83\x83\x76\x83\x60\x83\x83", 0, 0},
  };
  for (const auto& k : cases) {
    SCOPED_TRACE(k.what);
    simcamera::UninstallAll();
    for (int n = 0; n < k.cameras; ++n) {
      simcamera::CameraSpec spec = named("cam");
      spec.capturePin = k.pin;
      ASSERT_TRUE(simcamera::InstallCamera(n, spec));
    }
    SelectCamera(k.select);
    EXPECT_EQ(open(kHeight, kWidth), k.status);
    EXPECT_EQ(simcamera::StepFrames(1), k.status == 0 ? 1 : 0);
    CloseCamera(nullptr, nullptr);
  }
}

TEST_F(CameraTest, OpeningAgainReleasesTheConnectionBefore) {
  ASSERT_TRUE(simcamera::InstallCamera(0, named("first")));
  ASSERT_TRUE(simcamera::InstallCamera(1, named("second")));
  ASSERT_EQ(open(kHeight, kWidth), 0);
  SelectCamera(1);
  ASSERT_EQ(open(kHeight, kWidth), 0);
  EXPECT_EQ(simcamera::StepFrames(1), 1);  // one camera runs, not two
  EXPECT_EQ(shownCamera(window), 1);
}

// The window's toolkit hears of each painted frame through its hook, on the
// streaming thread (it queues its own repaint); the last frame stays.
TEST_F(CameraTest, PreviewFramesReachTheWindowFromTheStreamingThread) {
  struct Heard {
    std::mutex mutex;
    int calls = 0;
    std::thread::id thread;
  } heard;
  ASSERT_TRUE(PlatSetSurfaceChangedHook(
      window.hwnd(),
      [](HWND, const RECT*, void* user) {
        auto* h = static_cast<Heard*>(user);
        std::lock_guard<std::mutex> lock(h->mutex);
        ++h->calls;
        h->thread = std::this_thread::get_id();
      },
      &heard));
  ASSERT_TRUE(simcamera::InstallCamera(0, named("cam", {{640, 480}})));
  ASSERT_EQ(open(480, 640), 0);
  ASSERT_EQ(simcamera::StepFrames(2), 1);
  {
    std::lock_guard<std::mutex> lock(heard.mutex);
    EXPECT_GE(heard.calls, 2);
    EXPECT_NE(heard.thread, std::this_thread::get_id());
  }
  EXPECT_EQ(shownFrame(window), 1);  // stretched to the window, upright
  CloseCamera(nullptr, nullptr);
  EXPECT_EQ(shownFrame(window), 1);
  PlatSetSurfaceChangedHook(window.hwnd(), nullptr, nullptr);
}

TEST_F(CameraTest, WaitNextFrameReturnsOnceServedOrAfterItsTimeOut) {
  vekmath::gFrameWaitMs = 200;
  ASSERT_TRUE(simcamera::InstallCamera(0, named("cam")));
  ASSERT_EQ(open(kHeight, kWidth), 0);
  std::atomic<bool> done{false};
  std::thread stepper([&] {
    while (!done) simcamera::StepFrames(1);
  });
  const int32_t grabbed = Camera().lastGrabbed.load();
  EXPECT_EQ(WaitNextFrame(), 0);
  EXPECT_EQ(Camera().lastGrabbed.load(), grabbed + 1);
  done = true;
  stepper.join();

  CloseCamera(nullptr, nullptr);
  EXPECT_EQ(WaitNextFrame(), 1);  // no stream: never served
  EXPECT_EQ(Camera().grabRequest.load(), 0);
  vekmath::gFrameWaitMs = vekmath::kFrameWaitMs;
}

TEST_F(CameraTest, GetCameraControlWritesAWholePointer) {
  intptr_t control = static_cast<intptr_t>(0x7EADBEEF00000000);
  GetCameraControl(&control);
  EXPECT_EQ(control, 0);
  ASSERT_TRUE(simcamera::InstallCamera(0, named("cam")));
  ASSERT_EQ(open(kHeight, kWidth), 0);
  GetCameraControl(&control);
  EXPECT_EQ(control, reinterpret_cast<intptr_t>(Camera().connection.get()));
}

// Failures go to the debug output; the message buffer is the acquisition's.
TEST_F(CameraTest, ShowCameraPropertiesShowsTheDialogTwiceOrSaysWhyNot) {
  static std::string debug;
  PlatSetDebugSink([](const char* text, void*) { debug += text; }, nullptr);
  const struct {
    const char* what;
    int cameras;
    bool dialog;
    const char* text;
    int shown;
  } cases[] = {
      // "...の取得に失敗しました。" in the ANSI code page
      {"no camera", 0, true,
       "IBaseFilter\x82\xCC\x8E\xE6\x93\xBE\x82\xC9\x8E\xB8\x94\x73\x82\xB5\x82\xDC\x82\xB5\x82\xBD\x81\x42", 0},
      {"no dialog", 1, false,
       "ISpecifyPropertyPages"
       "\x82\xCC\x8E\xE6\x93\xBE\x82\xC9\x8E\xB8\x94\x73\x82\xB5\x82\xDC\x82\xB5\x82\xBD\x81\x42", 0},
      {"a dialog", 1, true, "", 2},
  };
  char before[2048], after[2048];
  for (const auto& k : cases) {
    SCOPED_TRACE(k.what);
    simcamera::UninstallAll();
    simcamera::CameraSpec spec = named("cam");
    spec.hasPropertyDialog = k.dialog;
    if (k.cameras > 0) {
      ASSERT_TRUE(simcamera::InstallCamera(0, spec));
      ASSERT_EQ(open(kHeight, kWidth), 0);
    }
    debug.clear();
    const int dialogs = simcamera::PropertyDialogsShown(0);
    GetErrorText(before);
    ShowCameraProperties();
    GetErrorText(after);
    EXPECT_EQ(debug, k.text);
    EXPECT_EQ(std::string(after, sizeof after), std::string(before, sizeof before));
    EXPECT_EQ(simcamera::PropertyDialogsShown(0) - dialogs, k.shown);
    EXPECT_EQ(simcamera::StepFrames(1), k.cameras);  // the stream runs again
    CloseCamera(nullptr, nullptr);
  }
  PlatSetDebugSink(nullptr, nullptr);
}

// The trace is made anew at each request: one block per capability, each
// with its fields, the request and the interval the stream had before.
TEST_F(CameraTest, TheSizeRequestIsTracedPerCapability) {
  ASSERT_TRUE(simcamera::InstallCamera(0, named("two", {{320, 240, 200000, 400000}, {640, 480, 166666, 333333}})));
  ASSERT_TRUE(simcamera::InstallCamera(1, named("one", {{160, 120}})));
  ASSERT_EQ(open(480, 640), 0);
  std::string block0;
  for (const char* line :
       {"********************************", "iFormat\t\t\t\t= 0", "scc1.guid\t\t\t= 89694080",
        "scc1.VideoStandard\t\t= 0", "scc1.InputSize.cx\t\t= 320", "scc1.InputSize.cy\t\t= 240",
        "scc1.MaxCroppingSize.cx\t\t= 0", "scc1.MaxCroppingSize.cy\t\t= 0", "scc1.MinCroppingSize.cx\t\t= 0",
        "scc1.MinCroppingSize.cy\t\t= 0", "scc1.CropAlignX\t\t\t= 0", "scc1.CropAlignY\t\t\t= 0",
        "scc1.MaxOutputSize.cx\t\t= 320", "scc1.MaxOutputSize.cy\t\t= 240", "scc1.MinOutputSize.cx\t\t= 320",
        "scc1.MinOutputSize.cy\t\t= 240", "scc1.OutputGranularityX\t\t= 0", "scc1.OutputGranularityY\t\t= 0",
        "scc1.StretchTapsX\t\t= 0", "scc1.StretchTapsY\t\t= 0", "scc1.ShrinkTapsX\t\t= 0", "scc1.ShrinkTapsY\t\t= 0",
        "scc1.MinFrameInterval\t\t= 200000", "scc1.MaxFrameInterval\t\t= 400000", "scc1.MinBitsPerSecond\t\t= 0",
        "scc1.MaxBitsPerSecond\t\t= 0", "pVih->bmiHeader.biHeight\t= 480", "pVih->bmiHeader.biWidth\t\t= 640",
        "pVih->AvgTimePerFrame\t\t= 200000"})
    block0 += std::string(line) + "\r\n";
  const std::string two = fileText("SetImageSize.TXT");
  ASSERT_GT(two.size(), block0.size());
  EXPECT_EQ(two.substr(0, block0.size()), block0);
  EXPECT_EQ(two.substr(block0.size(), 34), std::string(32, '*') + "\r\n");
  const std::string last = "pVih->AvgTimePerFrame\t\t= 333333\r\n";  // the request of block 0 applied
  EXPECT_EQ(two.substr(two.size() - last.size()), last);

  SelectCamera(1);
  ASSERT_EQ(open(120, 160), 0);
  const std::string one = fileText("SetImageSize.TXT");
  EXPECT_EQ(one.find(std::string(32, '*'), 1), std::string::npos);
  EXPECT_NE(one.find("scc1.InputSize.cx\t\t= 160\r\n"), std::string::npos);
}

}  // namespace
