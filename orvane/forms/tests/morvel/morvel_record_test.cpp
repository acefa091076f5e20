// The monitor recording an older board: the board and the driver's service
// are installed by the same program tools/run uses, Init.ini names the
// board, and the run goes through the real processing library, the older
// library, its driver and the simulated card. Each channel plays a level of
// its own, so every CSV value is known.
#include <gtest/gtest.h>
#include <morvelboard.h>
#include <ntkrnl/ntkrnl_host.h>
#include <platform/hardware_bus.h>

#include <QTest>
#include <spawn.h>
#include <sys/wait.h>

#include <cmath>
#include <cstdint>
#include <string>

#include "monitor_form.h"
#include "support/recorded_block.h"
#include "support/temp_folder.h"

namespace orvane::forms {
namespace {

// The installer tools/run uses, in a process of its own. Spawned rather
// than forked by the toolkit, whose child runs instrumented code in this
// process's memory and so leaves the thread checker blind here.
int RunInstaller(const char* model) {
  char program[] = ORVANE_MORVEL_BOARD;
  std::string modelArg = model;
  char index[] = "20";
  char* argv[] = {program, modelArg.data(), index, nullptr};
  pid_t pid = 0;
  if (posix_spawn(&pid, program, nullptr, nullptr, argv, environ) != 0) return -1;
  int status = 0;
  if (waitpid(pid, &status, 0) != pid) return -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

using testing::ExpectRows;
using testing::ProgramFolder;
using testing::RecordFirstBlock;

constexpr int kChannels = 16;

struct OlderBoard {
  const char* board;  // Init.ini's Board=
  const char* model;  // the simulated card
  unsigned bits;
  int zero;
};

morvelboard::Waveform LevelOf(int channel) {
  return {morvelboard::Waveform::Shape::Constant, 0.04 * (channel + 3), 0, 1};
}

class MorvelRecord : public ::testing::TestWithParam<OlderBoard> {
 protected:
  void SetUp() override {
    // The machine's clock thread reads the environment (the registry's
    // root) at every step: it is stopped while the root changes.
    plat::bus::SetClockMode(plat::bus::ClockMode::Manual);
    // The library maps C:\ (and the registry in it) under this root.
    qputenv("ORVANE_ROOT", root.path().toUtf8());
    qunsetenv("ORVANE_REGISTRY");
    plat::bus::SetClockMode(plat::bus::ClockMode::Threaded);
    ASSERT_EQ(RunInstaller(GetParam().model), 0);
    // The bus reads the installed cards at its next access. (The machine's
    // clock may have touched it after an earlier test, in that test's root.)
    plat::bus::UnplugAll();
    auto card = std::dynamic_pointer_cast<morvelboard::MorvelBoard>(plat::bus::CardAt({0, 4, 0}));
    ASSERT_NE(card, nullptr);
    for (int c = 0; c < kChannels; ++c) card->SetWaveform(c, LevelOf(c));
    // A monitor starts it at its first open; started here, so that every
    // test of the process has a driver of its own board.
    ASSERT_EQ(NtkStartDriver("Morvel20", nullptr), STATUS_SUCCESS);
    started = true;
    const core::VekmathCalls& api = core::LoadedVekmath();
    if (!api.ReadBlock || !api.SetupSampling || !api.StartSampling)
      GTEST_SKIP() << "the processing library lacks " << core::MissingVekmathEntries();
    folder.write("Init.ini", QByteArray("[ADBOARD]\r\nBoard=") + GetParam().board + "\r\n");
    FrmMonitor::Options options;
    options.programFolder = folder.path();
    options.now = [] { return QDateTime(QDate(2025, 4, 6), QTime(7, 8, 9)); };
    options.quit = [] {};
    form = std::make_unique<FrmMonitor>(std::move(options));
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
  }
  void TearDown() override {
    form.reset();
    if (started) {
      EXPECT_EQ(NtkUnloadDriver("Morvel20", nullptr), STATUS_SUCCESS);
    }
    // The clock thread steps the cards: it ends before they go.
    plat::bus::SetClockMode(plat::bus::ClockMode::Manual);
    plat::bus::UnplugAll();
  }

  // The channel's count, its zero removed, then the row's calibration as
  // it stands by default.
  static double Expected(int c) {
    const int raw = morvelboard::SignalValue(LevelOf(c), GetParam().bits, 0);
    return (raw - GetParam().zero + 140.0) * 10.0 / 31100.0;
  }

  QTemporaryDir root;
  ProgramFolder folder;
  std::unique_ptr<FrmMonitor> form;
  bool started = false;
};

TEST_P(MorvelRecord, CsvRowsCarryTheBoardsSignal) {
  ASSERT_EQ(form->ChannelCount(), kChannels);
  ExpectRows(RecordFirstBlock(*form, folder, "CSV/20250406_070809.CSV"), 2000, kChannels,
             [](int64_t, int c) { return Expected(c); });
}

// Channel 0 plays a ramp: its rows step by one scan period of the ramp
// each, so a board that ends its run and starts again shows as a jump.
TEST_P(MorvelRecord, CsvRowsAreOneContinuousRun) {
  constexpr double kRampScans = 10;  // the ramp's period, in 1 ms scans
  auto card = std::dynamic_pointer_cast<morvelboard::MorvelBoard>(plat::bus::CardAt({0, 4, 0}));
  ASSERT_NE(card, nullptr);
  card->SetWaveform(0, {morvelboard::Waveform::Shape::Ramp, 0.5, 0.5, 10'000'000});
  const QList<QByteArray> lines = RecordFirstBlock(*form, folder, "CSV/20250406_070809.CSV");
  ASSERT_EQ(lines.size(), 2000);
  const double top = (1 << GetParam().bits) - 1;
  // The row's phase within the ramp, from its CSV value back to the count.
  auto phase = [&](const QByteArray& line) {
    return (line.split(',')[0].toDouble() * 31100.0 / 10.0 - 140.0 + GetParam().zero) / top;
  };
  for (int k = 1; k < lines.size(); ++k) {
    double step = phase(lines[k]) - phase(lines[k - 1]);
    step -= std::floor(step);
    ASSERT_NEAR(step, 1 / kRampScans, 2.5 / top) << "line " << k + 1;
  }
}

// The fast models: the monitor scans its channels 1 us apart.
INSTANTIATE_TEST_SUITE_P(BothCodes, MorvelRecord,
                         ::testing::Values(OlderBoard{"RT47-83K-PCI-M", "MVA-1216FPCI", 12, 2048},
                                           OlderBoard{"RS58-29K-PCI-NJ", "MVA-1616FPCI", 16, 32768}),
                         [](const auto& info) { return std::to_string(info.param.bits) + "Bits"; });

}  // namespace
}  // namespace orvane::forms
