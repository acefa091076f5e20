// Recording 640x480 frames at 30 a second beside a 32-channel simulated
// acquisition that a reader thread drains block by block, as the monitor
// does. A frame is dropped when it falls due while the callback is still
// busy with the one before (a camera's grabber does not queue).
// Counters: frames_dropped (target 0), cpu_share (process CPU time over
// wall time, 1 = one core), callback_cpu_share (the streaming thread's)
// and longest_callback_ms (a frame's whole callback, encoding included).
#include <benchmark/benchmark.h>
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <stdlib.h>
#include <thread>
#include <vector>

#include "clock_seconds.h"
#include "backends/wdm/halvik_binding.h"
#include "camera/camera_state.h"
#include "recording/recording_state.h"
#include "vekmath.h"

namespace vekmath {
// The objects come without Halvik's linked exports; no WDM board runs here.
HalvikBinding linkedHalvik() { return {}; }
}  // namespace vekmath

namespace {

constexpr int kWidth = 640, kHeight = 480, kChannels = 32, kFrames = 90;
constexpr long kImageSize = kWidth * 3 * kHeight;

void startAcquisition() {
  SHORT list[32];
  for (int c = 0; c < 32; ++c) list[c] = static_cast<SHORT>(c + 1);
  const LONG unsignedFormat[32] = {};
  LONG status = 0;
  SelectBoard(-1, 0, "");
  SetupSampling2(unsignedFormat, 0, &status);
  SetupSampling3(0);
  SetTestLength(10000);
  for (LONG c = 0; c < kChannels; ++c) SetTestSine(3, 1000, c);
  SetupSampling(kChannels, list, 1000, 1, 1000, 0, 0, 0, 0, &status);
  StartSampling(&status);
}

void BM_RecordBesideAcquisition(benchmark::State& state) {
  const std::string dir = std::filesystem::temp_directory_path() / "camera_recording_bench";
  std::filesystem::create_directories(dir + "/c");
  setenv("ORVANE_ROOT", dir.c_str(), 1);
  vekmath::CameraState& camera = vekmath::Camera();
  camera.width = kWidth;
  camera.height = kHeight;
  camera.imageSize = kImageSize;
  camera.frameHeader = BITMAPINFOHEADER{sizeof(BITMAPINFOHEADER), kWidth, kHeight, 1, 24, BI_RGB,
                                        static_cast<DWORD>(kImageSize), 0, 0, 0, 0};
  std::vector<uint8_t> pixels(kImageSize);
  int64_t dropped = 0;
  double cpu = 0, callbackCpu = 0, wall = 0, longest = 0;
  for (auto _ : state) {
    startAcquisition();
    std::atomic<bool> stop{false};
    std::thread reader([&] {
      std::vector<SHORT> block(kChannels * 1000);
      LONG running = 0, status = 0;
      while (!stop.load()) ReadBlock(block.data(), 1000, &running, &status);
    });
    StartRecord("C:\\bench.avi", "", "C:\\bench.tim");
    const double cpu0 = bench::clockSeconds(CLOCK_PROCESS_CPUTIME_ID);
    const auto t0 = std::chrono::steady_clock::now();
    double threadCpu = 0;
    std::thread streaming([&] {
      const double own0 = bench::clockSeconds(CLOCK_THREAD_CPUTIME_ID);
      const auto period = std::chrono::microseconds(33333);
      for (int f = 0; f < kFrames; ++f) {
        const auto due = t0 + f * period;
        if (std::chrono::steady_clock::now() > due + period) {
          ++dropped;  // the one before ran past this frame's slot
          continue;
        }
        std::this_thread::sleep_until(due);
        for (long i = 0; i < kImageSize; i += 64) pixels[i] = static_cast<uint8_t>(f + i);
        const auto begin = std::chrono::steady_clock::now();
        vekmath::BufferCB(f / 30.0, pixels.data(), kImageSize);
        longest = std::max(longest, std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - begin).count());
      }
      threadCpu = bench::clockSeconds(CLOCK_THREAD_CPUTIME_ID) - own0;
    });
    streaming.join();
    wall += std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    cpu += bench::clockSeconds(CLOCK_PROCESS_CPUTIME_ID) - cpu0;
    callbackCpu += threadCpu;
    EndRecord(0, 0, 0);
    LONG status = 0;
    StopSampling(&status);
    stop.store(true);
    reader.join();
    CloseBoard(&status);
  }
  state.counters["frames_dropped"] = static_cast<double>(dropped);
  state.counters["cpu_share"] = cpu / wall;
  state.counters["callback_cpu_share"] = callbackCpu / wall;
  state.counters["longest_callback_ms"] = longest;
  std::filesystem::remove_all(dir);
}

}  // namespace

BENCHMARK(BM_RecordBesideAcquisition)->Iterations(2)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_MAIN();
