// The monitor with its camera form on the real processing library, the
// simulated board and a simulated camera: the preview, the video of a run
// and its frame-time file.
#if __has_include(<simcamera.h>)
#include <gtest/gtest.h>
#include <simcamera.h>

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QSet>
#include <QTest>
#include <QtEndian>
#include <cstdio>

#include "monitor_form.h"
#include "support/temp_folder.h"

namespace orvane::forms {
namespace {

using testing::ProgramFolder;

// The frame count ffprobe reads from a video file; -1 without ffprobe.
long ProbedFrames(const QString& path) {
  if (std::system("command -v ffprobe >/dev/null 2>&1") != 0) return -1;
  const std::string command = "ffprobe -v error -count_frames -select_streams v:0 -show_entries "
                              "stream=nb_read_frames -of default=nokey=1:noprint_wrappers=1 '" +
                              path.toStdString() + "'";
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return -1;
  char line[64] = {};
  const bool read = std::fgets(line, sizeof line, pipe) != nullptr;
  pclose(pipe);
  return read ? std::strtol(line, nullptr, 10) : -2;
}

class CameraEndToEnd : public ::testing::Test {
 protected:
  void SetUp() override {
    qputenv("ORVANE_ROOT", root.path().toUtf8());
    qputenv("ORVANE_REGISTRY", (root.path() + "/registry.sqlite").toUtf8());
    // The camera's size trace goes to the current folder: a private one.
    previousFolder = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(root.path()));
    const core::VekmathCalls& api = core::LoadedVekmath();
    if (!api.ReadBlock || !api.CameraInit || !api.ListCameras || !api.OpenCamera || !api.StartRecord)
      GTEST_SKIP() << "the processing library lacks " << core::MissingVekmathEntries();
    simcamera::CameraSpec spec;
    spec.friendlyName = "Bench Camera";
    spec.sizes = {{320, 240}, {640, 480}};
    ASSERT_TRUE(simcamera::InstallCamera(0, spec));
    simcamera::SetManualMode(true);  // frames come when the test steps them
    folder.write("Init.ini", "[ADBOARD]\r\nBoard=DEBUG\r\nDeviceName=Dev1\r\n");
    FrmMonitor::Options options;
    options.programFolder = folder.path();
    options.now = [] { return QDateTime(QDate(2024, 1, 31), QTime(23, 59, 59)); };
    options.quit = [] {};
    form = std::make_unique<FrmMonitor>(std::move(options));
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
  }
  void TearDown() override {
    if (form) form->close();
    form.reset();
    simcamera::UninstallAll();
    simcamera::SetManualMode(false);
    QDir::setCurrent(previousFolder);
  }
  // The preview holds the camera's stripes: both black and white.
  bool PreviewShown() const {
    const QImage shot = form->frmCam->pbxCam->surfaceImage();
    QSet<QRgb> colours;
    for (int y = 0; y < shot.height(); y += 4)
      for (int x = 0; x < shot.width(); x += 4) colours.insert(shot.pixel(x, y) & 0xffffff);
    return colours.contains(0) && colours.contains(0xffffff);
  }

  QTemporaryDir root;
  QString previousFolder;
  ProgramFolder folder;
  std::unique_ptr<FrmMonitor> form;
};

TEST_F(CameraEndToEnd, ARunRecordsVideoAndFrameTimesThatMatchTheScans) {
  FrmCam& cam = *form->frmCam;
  ASSERT_TRUE(cam.isVisible());
  ASSERT_EQ(cam.cmbCamera->currentText(), "Bench Camera");
  EXPECT_EQ(cam.cmbResolution->currentText(), "320,240");
  EXPECT_EQ(simcamera::StepFrames(2), 1);
  EXPECT_TRUE(QTest::qWaitFor([&] { return PreviewShown(); }, 5000));

  // kFrames frames after each of the first three blocks; the run stops
  // with the fourth.
  constexpr int kFrames = 5;
  QObject::connect(form->txtCnt, &QLineEdit::textChanged, form.get(), [this](const QString& t) {
    if (t.toInt() == 0) return;
    EXPECT_EQ(simcamera::StepFrames(kFrames), 1);
    if (t.toInt() >= 3) form->chk終了->setCheckState(Qt::Checked);
  });
  form->RunAcquisition();
  EXPECT_TRUE(form->LastMessage().isEmpty()) << form->LastMessage().toStdString();
  const QString csv = folder.file("CSV/20240131_235959.CSV");
  const long scans = folder.read("CSV/20240131_235959.CSV").count('\n');
  ASSERT_EQ(scans, 4000);
  EXPECT_EQ(simcamera::StepFrames(2), 1);  // the preview is back after the run
  EXPECT_TRUE(QTest::qWaitFor([&] { return PreviewShown(); }, 5000));
  const QString path = QStringLiteral(ORVANE_BUILD_DIR "/screenshots/orvane_camera.png");
  QDir().mkpath(QFileInfo(path).absolutePath());
  EXPECT_TRUE(cam.grab().toImage().save(path));

  const QByteArray tim = folder.read("CSV/20240131_235959.CSV.TIM");
  ASSERT_GE(tim.size(), 8);
  const int32_t n = qFromLittleEndian<int32_t>(tim.constData()), m = qFromLittleEndian<int32_t>(tim.constData() + 4);
  ASSERT_EQ(tim.size(), 8 + 12 * (n + 1) + 4 * (m + 1));
  ASSERT_EQ(n, 3 * kFrames);
  EXPECT_EQ(m, 4);
  // A frame that came after block k was read stands at or after its scans;
  // equal positions are spread once a later frame moved on (the last
  // frames of a burst may keep one).
  int32_t before = INT32_MIN;
  for (int32_t i = 0; i < n; ++i) {
    const int32_t position = qFromLittleEndian<int32_t>(tim.constData() + 8 + 4 * i);
    EXPECT_GE(position, before) << "frame " << i;
    EXPECT_GE(position, (i / kFrames + 1) * 1000) << "frame " << i;
    before = position;
  }

  const long probed = ProbedFrames(csv + ".AVI");
  ASSERT_TRUE(QFile::exists(csv + ".AVI"));
  if (probed == -1) GTEST_SKIP() << "ffprobe is missing";
  EXPECT_EQ(probed, n);

}

}  // namespace
}  // namespace orvane::forms
#endif
