// The monitor on the real processing library and its simulated board.
#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QSet>
#include <QTest>
#include <cmath>
#include <numbers>

#include "support/temp_folder.h"
#include "monitor_form.h"

namespace orvane::forms {
namespace {

using testing::ProgramFolder;

class EndToEnd : public ::testing::Test {
 protected:
  void SetUp() override {
    // The library maps C:\ under this root; every test has its own.
    qputenv("ORVANE_ROOT", root.path().toUtf8());
    const core::VekmathCalls& api = core::LoadedVekmath();
    if (!api.ReadBlock || !api.SetupSampling || !api.StartSampling)
      GTEST_SKIP() << "the processing library lacks " << core::MissingVekmathEntries();
    folder.write("Init.ini", "[ADBOARD]\r\nBoard=DEBUG\r\nDeviceName=Dev1\r\n");
    FrmMonitor::Options options;
    options.programFolder = folder.path();
    options.now = [] { return QDateTime(QDate(2024, 1, 31), QTime(23, 59, 59)); };
    options.quit = [] {};
    form = std::make_unique<FrmMonitor>(std::move(options));
    form->resize(1200, 900);
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
  }
  // Ticks the stop box once the run counted this many blocks.
  void StopAfter(int blocks) {
    QObject::connect(form->txtCnt, &QLineEdit::textChanged, form.get(), [this, blocks](const QString& t) {
      if (t.toInt() >= blocks) form->chk終了->setCheckState(Qt::Checked);
    });
  }
  QList<QByteArray> CsvLines() const {
    QList<QByteArray> lines = folder.read("CSV/20240131_235959.CSV").split('\n');
    if (!lines.isEmpty() && lines.back().isEmpty()) lines.pop_back();
    return lines;
  }
  // The simulated board's channel c at scan k: i + 1 sine periods over
  // 10,000 scans, mid-scale removed, then the row's calibration.
  static double Expected(long k, int c) {
    const double period = 10000.0 / (c + 1);
    const int raw = static_cast<int>(32767.0 * std::sin((k % 10000) * 2.0 * std::numbers::pi / period) + 32768.0);
    return (raw - 32768 + 140.0) * 10.0 / 31100.0;
  }

  QTemporaryDir root;
  ProgramFolder folder;
  std::unique_ptr<FrmMonitor> form;
};

TEST_F(EndToEnd, RecordsTheTestSignalConvertedWithTheRowCalibration) {
  ASSERT_EQ(form->ChannelCount(), 16);
  StopAfter(2);
  QTest::keyClick(form->txtName[0], Qt::Key_S, Qt::ControlModifier);
  ASSERT_FALSE(form->IsACQ());
  EXPECT_TRUE(form->LastMessage().isEmpty()) << form->LastMessage().toStdString();
  const QList<QByteArray> lines = CsvLines();
  ASSERT_EQ(lines.size(), 3000);
  EXPECT_EQ(form->txtCnt->text(), "2");
  for (long k : {0L, 1L, 250L, 999L, 1000L, 2999L}) {
    QList<QByteArray> values = lines[k].split(',');
    ASSERT_EQ(values.size(), 17) << "scan " << k;  // each value followed by a comma
    EXPECT_EQ(values[16], "\r");
    for (int c = 0; c < 16; ++c) EXPECT_NEAR(values[c].toDouble(), Expected(k, c), 2e-5) << "scan " << k << " ch " << c;
  }
}

TEST_F(EndToEnd, SavedControlsComeBackAtTheNextStart) {
  form->txtUnit[3]->setText("kPa");
  form->DisplayLimitA[3]->setText("12.5");
  form->txtコメント[0]->setText(QString::fromUtf8("試験;1"));
  form->close();
  form.reset();
  FrmMonitor::Options options;
  options.programFolder = folder.path();
  FrmMonitor again(std::move(options));
  EXPECT_EQ(again.txtUnit[3]->text(), "kPa");
  EXPECT_EQ(again.DisplayLimitA[3]->text(), "12.5");
  EXPECT_EQ(again.txtコメント[0]->text(), QString::fromUtf8("試験;1"));
}

// The main form after a short run, as a picture under the build folder.
TEST_F(EndToEnd, Screenshot) {
  StopAfter(3);
  form->RunAcquisition();
  QApplication::processEvents();
  const QImage shot = form->grab().toImage();
  const QString path = QStringLiteral(ORVANE_BUILD_DIR "/screenshots/orvane_monitor.png");
  QDir().mkpath(QFileInfo(path).absolutePath());
  ASSERT_TRUE(shot.save(path));
  // The plot holds more than its background once the traces are drawn.
  if (core::LoadedVekmath().DrawWaveGraph) {
    const QImage plot = form->Picture1->surfaceImage();
    ASSERT_FALSE(plot.isNull());
    QSet<QRgb> colours;
    for (int y = 0; y < plot.height(); y += 3)
      for (int x = 0; x < plot.width(); x += 3) colours.insert(plot.pixel(x, y));
    EXPECT_GT(colours.size(), 2);
  }
}

}  // namespace
}  // namespace orvane::forms
