// The monitor recording a WDM board: Init.ini names the board and a device
// of the simulated Halvik driver, the run goes through the real processing
// library and Halvik, and the CSV file carries the device's known signal.
// Halvik reads its devices when the processing library is first loaded, so
// these tests have a program of their own that installs the devices first.
#include <gtest/gtest.h>
#include <halviksim.h>
#include <installer.h>

#include <QTest>
#include <cstdint>

#include "monitor_form.h"
#include "support/recorded_block.h"
#include "support/temp_folder.h"

namespace orvane::forms {
namespace {

using testing::ExpectRows;
using testing::ProgramFolder;
using testing::RecordFirstBlock;

constexpr int kChannels = 32;

class WdmRecord : public ::testing::Test {
 protected:
  void SetUp() override {
    // The library maps C:\ (and the registry in it) under this root.
    qputenv("ORVANE_ROOT", root.path().toUtf8());
    qunsetenv("ORVANE_REGISTRY");
    ASSERT_FALSE(halviksim::InstallDevice({"XAN001", "HVA-1632PE", 1, "", 1}).empty());
    ASSERT_TRUE(halviksim::InstallVersionFiles());
    halviksim::Rescan();
    const core::VekmathCalls& api = core::LoadedVekmath();
    if (!api.ReadBlock || !api.SetupSampling || !api.StartSampling)
      GTEST_SKIP() << "the processing library lacks " << core::MissingVekmathEntries();
    folder.write("Init.ini", "[ADBOARD]\r\nBoard=RQE-73-58-9-CB-L\r\nDeviceName=XAN001\r\n");
    FrmMonitor::Options options;
    options.programFolder = folder.path();
    options.now = [] { return QDateTime(QDate(2025, 3, 2), QTime(9, 5, 7)); };
    options.quit = [] {};
    form = std::make_unique<FrmMonitor>(std::move(options));
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
  }

  // The device's count of channel c at scan k, mid-scale removed, then the
  // row's calibration as it stands by default.
  static double Expected(int64_t k, int c) {
    const int raw = static_cast<int>((k + 256 * c) % 65536);
    return (raw - 32768 + 140.0) * 10.0 / 31100.0;
  }

  QTemporaryDir root;
  ProgramFolder folder;
  std::unique_ptr<FrmMonitor> form;
};

TEST_F(WdmRecord, CsvRowsCarryTheDevicesSignal) {
  ASSERT_EQ(form->ChannelCount(), kChannels);
  ExpectRows(RecordFirstBlock(*form, folder, "CSV/20250302_090507.CSV"), 2000, kChannels,
             [](int64_t k, int c) { return Expected(k, c); });
}

}  // namespace
}  // namespace orvane::forms
