// The monitor recording serial unit A: Init.ini names the unit and COM3,
// COM3 is mapped to a simulated unit's pseudo-terminal, and the CSV file
// carries the unit's known signal through the real processing library.
#include <gtest/gtest.h>
#include <serialunit.h>

#include <QLineEdit>
#include <QTest>
#include <QTimer>
#include <cstdint>
#include <memory>

#include "monitor_form.h"
#include "support/recorded_block.h"
#include "support/temp_folder.h"

namespace orvane::forms {
namespace {

using serialunit::Protocol;
using testing::ExpectRows;
using testing::ProgramFolder;
using testing::RecordFirstBlock;

constexpr int kChannels = 8;

class SerialRecord : public ::testing::Test {
 protected:
  void SetUp() override {
    qputenv("ORVANE_ROOT", root.path().toUtf8());
    const core::VekmathCalls& api = core::LoadedVekmath();
    if (!api.ReadBlock || !api.SetupSampling || !api.StartSampling)
      GTEST_SKIP() << "the processing library lacks " << core::MissingVekmathEntries();
    unit = std::make_unique<serialunit::SerialUnit>(serialunit::UnitOptions{Protocol::Commands, kChannels, 0});
    ASSERT_FALSE(unit->portPath().empty());
    // More lines than the run takes: the unit sends them once started.
    unit->sendLines(10000);
    qputenv("ORVANE_COM3", QByteArray::fromStdString(unit->portPath()));
    folder.write("Init.ini", "[ADBOARD]\r\nBoard=VADRIQUELMO-8VX\r\nDeviceName=COM3\r\n");
    FrmMonitor::Options options;
    options.programFolder = folder.path();
    options.now = [] { return QDateTime(QDate(2025, 6, 7), QTime(8, 9, 10)); };
    options.quit = [] {};
    form = std::make_unique<FrmMonitor>(std::move(options));
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
  }
  void TearDown() override {
    form.reset();
    qunsetenv("ORVANE_COM3");
  }

  // Line k's count of channel c, signed as the unit sends it, then the
  // row's calibration as it stands by default.
  static double Expected(int64_t k, int c) {
    return (serialunit::valueOf(Protocol::Commands, k, c) + 140.0) * 10.0 / 31100.0;
  }

  QTemporaryDir root;
  ProgramFolder folder;
  std::unique_ptr<serialunit::SerialUnit> unit;
  std::unique_ptr<FrmMonitor> form;
};

TEST_F(SerialRecord, CsvRowsCarryTheUnitsLines) {
  ASSERT_EQ(form->ChannelCount(), kChannels);
  ExpectRows(RecordFirstBlock(*form, folder, "CSV/20250607_080910.CSV"), 2000, kChannels,
             [](int64_t k, int c) { return Expected(k, c); });
  // The unit was started once and told ten times to stop.
  EXPECT_EQ(unit->received().substr(0, 12), std::string("START     \r\0", 12));
  EXPECT_EQ(unit->received().size(), 12u + 10 * 11);
}

// A unit unplugged after the first block: the run ends with the port's
// message instead of waiting on the silent port until a stop.
TEST_F(SerialRecord, AUnitThatGoesAwayEndsTheRunWithThePortsMessage) {
  QObject::connect(form->txtCnt, &QLineEdit::textChanged, form.get(), [this](const QString& t) {
    if (t.toInt() == 1) unit->unplug();
  });
  // Gives up on a run that never fails, so the test ends either way.
  QTimer::singleShot(10000, form.get(), [this] { form->chk終了->setCheckState(Qt::Checked); });
  form->RunAcquisition();
  EXPECT_TRUE(form->LastMessage().contains(QStringLiteral("753b"))) << form->LastMessage().toStdString();
  EXPECT_FALSE(form->IsACQ());
}

}  // namespace
}  // namespace orvane::forms
