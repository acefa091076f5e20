// The monitor's share of one core while it records the simulated vendor B
// board on the board's own clock, traces drawn: the window thread's CPU time
// and the whole process's, each over wall time. The monitor itself runs its
// board's channel count at 1 kHz; the display path alone (picture box, the
// library's live strips, conversion and the CSV file, looped as the monitor
// loops) runs 32 channels at 1 kHz and at the board's highest clock.
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <time.h>

#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTimer>
#include <memory>
#include <vector>

#include <winbase.h>

#include "clock_seconds.h"
#include "core/vekmath_calls.h"
#include "csv_file.h"
#include "message_pump.h"
#include "monitor_form.h"
#include "picture_box.h"
#include "vekmath.h"

namespace {

using orvane::forms::CsvFile;

constexpr int kBlockScans = 1000;
// Long enough for the ring and the display to settle, short enough for a
// few seconds per case.
constexpr int kRecordMs = 3000;

// CPU time of the calling (window) thread and of the process against wall
// time, from start() to stop().
class CoreShare {
 public:
  void start() {
    thread_ = bench::clockSeconds(CLOCK_THREAD_CPUTIME_ID);
    process_ = bench::clockSeconds(CLOCK_PROCESS_CPUTIME_ID);
    wall_ = bench::clockSeconds(CLOCK_MONOTONIC);
  }
  void stop() {
    thread_ = bench::clockSeconds(CLOCK_THREAD_CPUTIME_ID) - thread_;
    process_ = bench::clockSeconds(CLOCK_PROCESS_CPUTIME_ID) - process_;
    wall_ = bench::clockSeconds(CLOCK_MONOTONIC) - wall_;
  }
  void report(benchmark::State& state) const {
    state.counters["window thread %core"] = 100.0 * thread_ / wall_;
    state.counters["process %core"] = 100.0 * process_ / wall_;
    state.counters["wall s"] = wall_;
  }

 private:
  double thread_ = 0, process_ = 0, wall_ = 0;
};

// A fresh drive root and registry: the simulated driver then offers its
// default boards, SKORRA1 among them.
class FreshRoot {
 public:
  FreshRoot() {
    setenv("ORVANE_ROOT", root_.path().toUtf8().constData(), 1);
    setenv("ORVANE_REGISTRY", (root_.path() + "/registry.sqlite").toUtf8().constData(), 1);
  }
  QString path() const { return root_.path(); }

 private:
  QTemporaryDir root_;
};

void BM_MonitorRecordsVendorB(benchmark::State& state) {
  for (auto _ : state) {
    FreshRoot root;
    QTemporaryDir folder;
    {
      QFile ini(folder.path() + "/Init.ini");
      ini.open(QIODevice::WriteOnly);
      ini.write("[ADBOARD]\r\nBoard=MVE-4504K\r\nDeviceName=SKORRA1\r\n");
    }
    orvane::forms::FrmMonitor::Options options;
    options.programFolder = folder.path();
    options.quit = [] {};
    orvane::forms::FrmMonitor form(std::move(options));
    form.resize(1200, 900);
    form.show();
    CoreShare share;
    QElapsedTimer recording;
    // The measure starts with the first block, past the board's set-up.
    QObject::connect(form.txtCnt, &QLineEdit::textChanged, &form, [&](const QString& t) {
      if (t == "1") {
        share.start();
        recording.start();
      } else if (recording.isValid() && recording.elapsed() >= kRecordMs) {
        form.chk終了->setCheckState(Qt::Checked);
      }
    });
    form.RunAcquisition();
    share.stop();
    if (!form.LastMessage().isEmpty()) {
      state.SkipWithError(form.LastMessage().toStdString().c_str());
      break;
    }
    share.report(state);
    state.counters["channels"] = form.ChannelCount();
    state.counters["blocks"] = form.txtCnt->text().toDouble();
  }
}
BENCHMARK(BM_MonitorRecordsVendorB)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

// The display path at 32 channels; the argument is the sampling period in
// microseconds.
void BM_DisplayPathVendorB(benchmark::State& state) {
  constexpr int kChannels = 32;
  const auto& api = orvane::core::LoadedVekmath();
  if (!api.SetupWaveGraph_XLINE || !api.SelectBoard || !api.SetupSampling || !api.StartSampling || !api.ReadBlock || !api.ConvertBlock || !api.StopSampling ||
      !api.CloseBoard || !api.SetupWaveGraph) {
    state.SkipWithError("the processing library lacks an acquisition or display call");
    return;
  }
  const LONG periodUs = static_cast<LONG>(state.range(0));
  for (auto _ : state) {
    FreshRoot root;
    orvane::forms::QtPumpHook hook;  // as the monitor's form sets it
    orvane::forms::PictureBox box;
    box.resize(930, 700);  // the monitor's plot at its usual size
    box.show();
    QApplication::processEvents();

    SHORT list[32];
    for (int i = 0; i < 32; ++i) list[i] = static_cast<SHORT>(i + 1);
    LONG status = 0;
    api.SelectBoard(5, 0, "SKORRA1");
    api.SetupSampling(kChannels, list, kBlockScans, 1, periodUs, 0, 0, 0, 0, &status);
    if (status != 0) {
      state.SkipWithError("the board refuses the period");
      break;
    }
    const MonitorSettings settings{5000, 0xE0FFE0, 5, -1, 0xC0C0C0, 20000, 0, 0};
    std::vector<TraceParams> traces(32);
    for (int c = 0; c < 32; ++c) traces[c] = TraceParams{-1, 1.0f, 0x0000FF * (c % 2), 0, 0, 0, 0xC0C0C0};
    // The monitor's horizontal grid: four lines per channel band.
    std::vector<GridLine> grid(WAVE_GRAPH_GRID_LINES);
    for (int i = 0; i < WAVE_GRAPH_GRID_LINES; ++i)
      grid[i] = GridLine{-1, static_cast<FLOAT>(100.0 - 100.0 / (4 * kChannels) * i), 0, i % 4 == 0 ? 0x808080u : 0xE0E0E0u};
    api.SetupWaveGraph_XLINE(box.hWnd(), grid.data());
    api.SetupWaveGraph(box.hWnd(), &settings, traces.data(), 0);
    api.StartSampling(&status);

    std::vector<SHORT> raw(static_cast<size_t>(kChannels) * kBlockScans);
    std::vector<float> data(raw.size());
    std::vector<CalibrationRecord> cal(32, CalibrationRecord{10.0f, 0.0f, 31100.0f, -140.0f});
    CsvFile file;
    file.Open(root.path() + "/CSV/run.CSV");
    CoreShare share;
    QElapsedTimer recording;
    long long blocks = 0;
    while (status == 0) {
      LONG running = 0;
      api.ReadBlock(raw.data(), kBlockScans, &running, &status);
      if (status != 0) break;
      if (blocks++ == 0) {
        share.start();
        recording.start();
      }
      api.ConvertBlock(data.data(), raw.data(), kChannels, kBlockScans, cal.data());
      if (!file.WriteBlock(data.data(), kChannels, kBlockScans)) break;
      orvane::forms::DoEvents();
      if (recording.elapsed() >= kRecordMs) break;
    }
    share.stop();
    api.StopSampling(&status);
    api.CloseBoard(&status);
    share.report(state);
    state.counters["blocks"] = static_cast<double>(blocks);
    state.counters["scans/s"] = static_cast<double>(blocks - 1) * kBlockScans * 1000.0 / std::max<qint64>(recording.elapsed(), 1);
  }
}
// 1 kHz, and the board's highest clock for 32 channels (one microsecond per
// channel).
BENCHMARK(BM_DisplayPathVendorB)->Arg(1000)->Arg(32)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
