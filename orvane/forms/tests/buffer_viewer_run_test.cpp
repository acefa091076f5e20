// The buffer viewer, opened from the main form during a run on the real
// processing library and its simulated board.
#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QRegularExpression>
#include <QSet>
#include <QTest>

#include "buffer_viewer.h"
#include "monitor_form.h"
#include "support/temp_folder.h"

namespace orvane::forms {
namespace {

using testing::ProgramFolder;

QSet<QRgb> Colours(const QImage& image) {
  QSet<QRgb> colours;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) colours.insert(image.pixel(x, y) & 0xFFFFFF);
  return colours;
}

TEST(BufferViewerRun, ListsAndDrawsTheRingOfARunningAcquisition) {
  QTemporaryDir root;
  qputenv("ORVANE_ROOT", root.path().toUtf8());
  const core::VekmathCalls& api = core::LoadedVekmath();
  if (!api.ReadRing2 || !api.StartSampling || !api.DrawAxes)
    GTEST_SKIP() << "the processing library lacks " << core::MissingVekmathEntries();
  ProgramFolder folder;
  folder.write("Init.ini", "[ADBOARD]\r\nBoard=DEBUG\r\nDeviceName=Dev1\r\n");
  FrmMonitor::Options options;
  options.programFolder = folder.path();
  options.quit = [] {};
  FrmMonitor form(std::move(options));
  form.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));

  FrmBuffer* viewer = nullptr;
  QString listing;
  QImage traces, bar, shot;
  QObject::connect(form.txtCnt, &QLineEdit::textChanged, &form, [&](const QString& t) {
    if (t.toInt() < 2 || viewer) return;
    QTest::keyClick(form.txtName[0], Qt::Key_B, Qt::ControlModifier | Qt::ShiftModifier);
    viewer = form.findChild<FrmBuffer*>();
    if (viewer) {
      viewer->txtCHNum->setText("16");
      viewer->txtStart->setText("0");
      viewer->txtSize->setText("40");
      QTest::mouseClick(viewer->cmdGetBuffer, Qt::LeftButton);
      QApplication::processEvents();
      listing = viewer->txtBuff->toPlainText();
      traces = viewer->PBXBuff->surfaceImage();
      bar = viewer->pbxBufferUsage->surfaceImage();
      shot = viewer->grab().toImage();
    }
    form.chk終了->setCheckState(Qt::Checked);
  });
  form.RunAcquisition();
  ASSERT_NE(viewer, nullptr);
  EXPECT_TRUE(form.LastMessage().isEmpty()) << form.LastMessage().toStdString();

  const QString path = QStringLiteral(ORVANE_BUILD_DIR "/screenshots/orvane_buffer_viewer.png");
  QDir().mkpath(QFileInfo(path).absolutePath());
  ASSERT_TRUE(shot.save(path));

  const QStringList lines = listing.split('\n');
  ASSERT_EQ(lines.size(), 40);
  const QRegularExpression line(QStringLiteral("^\\d{6} : ([0-9A-F]{4},){16}$"));
  for (int i = 0; i < lines.size(); ++i) {
    EXPECT_TRUE(lines[i].startsWith(QString::asprintf("%06d : ", i))) << lines[i].toStdString();
    EXPECT_TRUE(line.match(lines[i]).hasMatch()) << lines[i].toStdString();
  }
  EXPECT_GT(viewer->Ring().length, 0);
  EXPECT_GT(viewer->Ring().writeIndex, 0);
  EXPECT_GT(Colours(traces).size(), 2);
  const QSet<QRgb> used = Colours(bar);
  EXPECT_TRUE(used.contains(0x00FF00) || used.contains(0xFF8080));
}

}  // namespace
}  // namespace orvane::forms
