// The monitor recording an older board for minutes on end, as tools/run
// sets it up: Board=RT47-83K-PCI-M, its 16 channels at 1,000 scans a second
// through the processing library, the older library, the driver and the
// simulated card, into the CSV file. Sixteen channels fill the board memory
// every 16,384 scans, so a run of minutes crosses dozens of its wraps.
// Channel 1 plays a ramp one count a scan (4,095 scans long), so each CSV
// line must follow the one before by exactly one count; the board's clock
// over the run gives the scans it acquired.
//   orvane_older_board_csv_bench [--minutes=N]   (default 10)
#include <benchmark/benchmark.h>
#include <morvelboard.h>
#include <platform/hardware_bus.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>

#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

#include "monitor_form.h"

namespace {

constexpr int kRampCounts = 4095;  // the 12-bit card's top count
constexpr int kZero = 2048;
constexpr uint64_t kScanNs = 1'000'000;
double minutes = 10;

// The installer tools/run uses, in a process of its own.
bool installBoard() {
  char program[] = ORVANE_MORVEL_BOARD;
  char model[] = "MVA-1216FPCI";
  char index[] = "20";
  char* argv[] = {program, model, index, nullptr};
  pid_t pid = 0;
  if (posix_spawn(&pid, program, nullptr, nullptr, argv, environ) != 0) return false;
  int status = 0;
  return waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// The first column's count, back through the row's default calibration.
int countOf(const QByteArray& line) {
  const int comma = line.indexOf(',');
  return static_cast<int>(std::lround(line.left(comma).toDouble() * 3110.0 - 140.0 + kZero));
}

struct CsvFigures {
  long long lines = 0;
  long long outOfOrder = 0;  // lines that do not follow their predecessor by one scan
};

CsvFigures checkCsv(const QString& path) {
  CsvFigures figures;
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return figures;
  int last = -1;
  while (!file.atEnd()) {
    const int count = countOf(file.readLine());
    if (last >= 0 && ((count - last) % kRampCounts + kRampCounts) % kRampCounts != 1) ++figures.outOfOrder;
    last = count;
    ++figures.lines;
  }
  return figures;
}

void BM_MonitorRecordsOlderBoard(benchmark::State& state) {
  for (auto _ : state) {
    QTemporaryDir root, folder;
    setenv("ORVANE_ROOT", root.path().toUtf8().constData(), 1);
    unsetenv("ORVANE_REGISTRY");
    if (!installBoard()) {
      state.SkipWithError("the simulated older board could not be installed");
      break;
    }
    plat::bus::UnplugAll();  // the bus reads the installed card at its next access
    auto card = std::dynamic_pointer_cast<morvelboard::MorvelBoard>(plat::bus::CardAt({0, 4, 0}));
    if (!card) {
      state.SkipWithError("no simulated card in its slot");
      break;
    }
    card->SetWaveform(0, {morvelboard::Waveform::Shape::Ramp, 0.5, 0.5, kRampCounts * kScanNs});
    {
      QFile ini(folder.path() + "/Init.ini");
      ini.open(QIODevice::WriteOnly);
      ini.write("[ADBOARD]\r\nBoard=RT47-83K-PCI-M\r\n");
    }
    orvane::forms::FrmMonitor::Options options;
    options.programFolder = folder.path();
    options.now = [] { return QDateTime(QDate(2025, 4, 6), QTime(7, 8, 9)); };
    options.quit = [] {};
    orvane::forms::FrmMonitor form(std::move(options));
    form.show();
    QElapsedTimer recording;
    recording.start();
    QObject::connect(form.txtCnt, &QLineEdit::textChanged, &form, [&](const QString&) {
      if (recording.elapsed() >= static_cast<qint64>(minutes * 60'000)) form.chk終了->setCheckState(Qt::Checked);
    });
    const uint64_t boardStart = card->BoardTime();
    form.RunAcquisition();
    const double acquired = static_cast<double>(card->BoardTime() - boardStart) / kScanNs;
    if (!form.LastMessage().isEmpty()) {
      state.SkipWithError(form.LastMessage().toStdString().c_str());
      break;
    }
    const CsvFigures csv = checkCsv(folder.path() + "/CSV/20250406_070809.CSV");
    state.counters["channels"] = form.ChannelCount();
    state.counters["CSV lines"] = static_cast<double>(csv.lines);
    state.counters["scans acquired"] = std::floor(acquired);
    state.counters["lines out of order"] = static_cast<double>(csv.outOfOrder);
    std::printf("%.1f minutes: %lld CSV lines for %.0f scans acquired, %lld lines out of order\n", minutes,
                csv.lines, std::floor(acquired), csv.outOfOrder);
    // The scans still in the board memory and the block in progress at the
    // stop are acquired but not written: never more lines than scans.
    if (csv.outOfOrder != 0 || csv.lines == 0 || static_cast<double>(csv.lines) > acquired) {
      state.SkipWithError("the CSV file does not hold the scans once each, in order");
    }
  }
}
BENCHMARK(BM_MonitorRecordsOlderBoard)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  // --minutes=N is this program's own; the rest goes to the benchmark library.
  int kept = 1;
  for (int i = 1; i < argc; ++i) {
    if (std::strncmp(argv[i], "--minutes=", 10) == 0) {
      minutes = std::atof(argv[i] + 10);
    } else {
      argv[kept++] = argv[i];
    }
  }
  argc = kept;
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
