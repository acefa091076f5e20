// The camera form and its files, on the library's camera calls replaced.
#include <QFile>
#include <QSignalSpy>
#include <QtEndian>
#include <cstdlib>
#include <unistd.h>

#include "camera_list.h"
#include "core/ini_file.h"
#include "support/fake_camera.h"
#include "support/file_size_limit.h"
#include "support/form_fixture.h"

namespace orvane::forms {
namespace {

using testing::CameraList;
using testing::FakeCamera;
using testing::FileSizeLimit;
using testing::FormTest;
using Strings = std::vector<std::string>;

const std::string kTwoCameras = CameraList({"Cam A", "Cam B", "Cam A"}, "0", {{640, 480}, {1280, 720}, {640, 480}});

class CamTest : public FormTest {
 protected:
  std::unique_ptr<FrmCam> OpenCam() {
    FrmCam::Options o;
    o.programFolder = folder.path();
    o.csvName = [this] { return folder.file("CSV/RUN.CSV"); };
    o.wait = [this] { ++waits; };
    return std::make_unique<FrmCam>(std::move(o));
  }
  FakeCamera cam;
  int waits = 0;
};

template <class T>
T At(const QByteArray& bytes, qsizetype offset) {
  return qFromLittleEndian<T>(bytes.constData() + offset);
}

TEST_F(CamTest, ListReadersTakeQuotedKeysEachEntryOnceAndKeepTheIniPath) {
  const struct {
    const char* addFilter;
    bool available;
  } kCases[] = {{"0", true}, {"-2147024891", false}, {nullptr, false}};
  const std::string path = folder.file("list.ini").toStdString();
  core::SetIniPath("kept.ini");
  for (const auto& c : kCases) {
    folder.write("list.ini", QByteArray::fromStdString(CameraList({"Cam A", "Cam B", "Cam A"}, c.addFilter, {{640, 480}, {1280, 720}, {640, 480}})));
    EXPECT_EQ(IsCameraAvailable(path), c.available) << (c.addFilter ? c.addFilter : "missing");
    EXPECT_EQ(FrameSizes(path).empty(), !c.available);
  }
  EXPECT_EQ(CameraNames(path), (Strings{"Cam A", "Cam B"}));
  folder.write("list.ini", QByteArray::fromStdString(kTwoCameras));
  EXPECT_EQ(FrameSizes(path), (Strings{"640,480", "1280,720", "720,480", "320,240"}));
  EXPECT_EQ(core::GetIniPath(), "kept.ini");
}

TEST_F(CamTest, LoadConnectsAtTheCameraFormatThenAt320x240) {
  cam.listText = kTwoCameras;
  auto f = OpenCam();
  f->Show();
  EXPECT_TRUE(f->isVisible());
  EXPECT_EQ(f->windowTitle(), "CAMERA");
  EXPECT_EQ(f->cmbCamera->count(), 2);
  EXPECT_EQ(f->cmbResolution->currentText(), "320,240");
  EXPECT_EQ(cam.calls, (Strings{"CameraInit", "ListCameras", "SelectCamera 0", "OpenCamera 0 0", "CloseCamera",
                                "SelectCamera 0", "OpenCamera 240 320"}));
}

TEST_F(CamTest, WithoutAUsableCameraTheFormStaysHidden) {
  const struct {
    const char* name;
    std::string list;
    bool dropCalls;
  } kCases[] = {{"no camera", CameraList({}, nullptr, {}), false},
                {"camera refused", CameraList({"Cam A"}, "-1", {}), false},
                {"library without camera calls", kTwoCameras, true}};
  for (const auto& c : kCases) {
    cam.listText = c.list;
    cam.calls.clear();
    core::VekmathCalls table = core::VekmathInUse();
    if (c.dropCalls) {
      table.CameraInit = nullptr;
      core::UseVekmathCalls(&table);
    }
    auto f = OpenCam();
    f->Show();
    EXPECT_FALSE(f->isVisible()) << c.name;
    EXPECT_TRUE(cam.CallsOf("OpenCamera").empty()) << c.name;
    f->Disconnect();
    EXPECT_EQ(waits, 0) << c.name;
  }
}

TEST_F(CamTest, AfterARunThePreviewKeepsTheChosenSize) {
  cam.listText = kTwoCameras;
  auto f = OpenCam();
  f->cmbResolution->setCurrentIndex(f->cmbResolution->findText("640,480"));
  EXPECT_EQ(cam.calls.back(), "OpenCamera 480 640");
  ASSERT_FALSE(f->StartCAM());
  f->EndCAM();
  EXPECT_EQ(cam.calls.back(), "OpenCamera 480 640");
  EXPECT_EQ(waits, 2);
}

TEST_F(CamTest, AStillElsewhereOnThePathIsLeftAndTheListsAreFilled) {
  cam.listText = kTwoCameras;
  folder.write("bin/SAMPLE.BMP", "BM");
  folder.write("cwd/SAMPLE.BMP", "BM");
  const QByteArray path = qgetenv("PATH");
  qputenv("PATH", folder.file("bin").toUtf8() + ":" + path);
  char* cwd = getcwd(nullptr, 0);
  ASSERT_EQ(chdir(folder.file("cwd").toUtf8().constData()), 0);
  auto f = OpenCam();
  ASSERT_EQ(chdir(cwd), 0);
  std::free(cwd);
  qputenv("PATH", path);
  EXPECT_TRUE(QFile::exists(folder.file("bin/SAMPLE.BMP")));
  EXPECT_FALSE(QFile::exists(folder.file("cwd/SAMPLE.BMP")));
  EXPECT_EQ(f->cmbResolution->count(), 4);
}

TEST_F(CamTest, ASecondInstanceHidesItsCameraForm) {
  cam.listText = kTwoCameras;
  auto first = OpenCam();
  cam.calls.clear();
  auto second = OpenCam();
  second->Show();
  EXPECT_FALSE(second->isVisible());
  EXPECT_TRUE(cam.CallsOf("OpenCamera").empty());
}

TEST_F(CamTest, VideoThatIsNotRecordedIsReported) {
  const struct {
    LONG status;
    bool created;
    bool reported;
  } kCases[] = {{0, true, false}, {3, true, true}, {0, false, true}};
  cam.listText = kTwoCameras;
  auto f = OpenCam();
  for (const auto& c : kCases) {
    QFile::remove(folder.file("CSV/RUN.CSV.AVI"));
    cam.lastStatus = c.status;
    cam.createVideo = c.created;
    EXPECT_EQ(f->StartCAM().has_value(), c.reported) << c.status << " " << c.created;
  }
}

TEST_F(CamTest, FrameTimeFileHoldsTheReportedTablesBoundedEachEndingInZero) {
  const struct {
    LONG frames, blocks;
    int32_t n, m;
  } kCases[] = {{2, 3, 2, 3}, {0, 2, 0, 2}, {-4, -1, 0, 0}, {kCaptureTableEntries + 9, 1, kCaptureTableEntries, 1}};
  cam.listText = kTwoCameras;
  QDir().mkpath(folder.file("CSV"));
  auto f = OpenCam();
  for (const auto& c : kCases) {
    cam.reportedFrames = c.frames;
    cam.reportedBlocks = c.blocks;
    cam.positions.assign(static_cast<std::size_t>(std::max(0, c.n)), -7);
    cam.times.assign(cam.positions.size(), 0.5);
    cam.blockTimes.assign(static_cast<std::size_t>(std::max(0, c.m)), 1234);
    f->StartCAM();
    ASSERT_FALSE(f->EndCAM());
    const QByteArray b = folder.read("CSV/RUN.CSV.TIM");
    ASSERT_EQ(b.size(), 8 + 12 * (c.n + 1) + 4 * (c.m + 1)) << c.frames;
    EXPECT_EQ(At<int32_t>(b, 0), c.n);
    EXPECT_EQ(At<int32_t>(b, 4), c.m);
    if (c.n > 0) {
      EXPECT_EQ(At<int32_t>(b, 8), -7);
      EXPECT_EQ(At<double>(b, 8 + 4 * (c.n + 1)), 0.5);
    }
    if (c.m > 0) {
      EXPECT_EQ(At<int32_t>(b, 8 + 12 * (c.n + 1)), 1234);
    }
    EXPECT_EQ(At<int32_t>(b, 8 + 4 * c.n), 0);
    EXPECT_EQ(At<double>(b, 8 + 4 * (c.n + 1) + 8 * c.n), 0.0);
    EXPECT_EQ(At<int32_t>(b, b.size() - 4), 0);
  }
}

TEST_F(CamTest, AFrameTimeFileThatCannotBeWrittenIsReported) {
  cam.listText = kTwoCameras;
  auto f = OpenCam();
  f->StartCAM();
  QDir(folder.file("CSV")).removeRecursively();
  EXPECT_TRUE(f->EndCAM().has_value());
}

// A disk that fills up while the tables are written: the file that was
// there stays, and the end of the recording says why the new one is not.
TEST_F(CamTest, AFullDiskKeepsTheOldFrameTimeFileAndIsReported) {
  cam.listText = kTwoCameras;
  cam.reportedFrames = 10;
  cam.positions.assign(10, 1);
  cam.times.assign(10, 0.5);
  auto f = OpenCam();
  f->StartCAM();
  folder.write("CSV/RUN.CSV.TIM", "old");
  std::optional<QString> problem;
  {
    const FileSizeLimit limit(64);  // the file takes 144 bytes
    problem = f->EndCAM();
  }
  ASSERT_TRUE(problem.has_value());
  EXPECT_TRUE(problem->startsWith("cannot write")) << problem->toStdString();
  EXPECT_EQ(folder.read("CSV/RUN.CSV.TIM"), "old");
  EXPECT_EQ(QDir(folder.file("CSV")).entryList({"RUN.CSV.TIM*"}, QDir::Files | QDir::Hidden),
            QStringList{"RUN.CSV.TIM"});  // no part-written copy left beside it
}

TEST_F(CamTest, ARunRecordsVideoBesideItsCsvWithTheChoicesDisabled) {
  WriteInit("DEBUG");
  cam.listText = kTwoCameras;
  cam.reportedBlocks = 2;
  cam.blockTimes = {10, 20};
  FrmMonitor& f = Open();
  ASSERT_TRUE(f.frmCam->isVisible());
  bool enabledDuringRun = true;
  fake.onReadBlock = [&](LONG block) {
    enabledDuringRun = enabledDuringRun && (f.frmCam->cmbCamera->isEnabled() || f.frmCam->cmbResolution->isEnabled());
    if (block == 1) f.chk終了->setCheckState(Qt::Checked);
  };
  f.RunAcquisition();  // the first run: the CSV folder is made during it
  EXPECT_TRUE(f.LastMessage().isEmpty()) << f.LastMessage().toStdString();
  const QString csv = folder.file("CSV/20250302_090507.CSV");
  EXPECT_EQ(cam.CallsOf("StartRecord"),
            Strings{"StartRecord " + (csv + ".AVI").toStdString() + " " + (csv + ".TIM").toStdString()});
  EXPECT_EQ(cam.CallsOf("EndRecord"), Strings{"EndRecord 1 1"});
  EXPECT_FALSE(enabledDuringRun);
  EXPECT_TRUE(f.frmCam->cmbCamera->isEnabled() && f.frmCam->cmbResolution->isEnabled());
  EXPECT_EQ(QFile(csv + ".TIM").size(), 8 + 12 + 12);
  EXPECT_EQ(folder.read("CSV/20250302_090507.CSV").count('\n'), 2000);
}

TEST_F(CamTest, StartAndCloseDuringTheVideoEndWaitForIt) {
  WriteInit("DEBUG");
  cam.listText = kTwoCameras;
  FrmMonitor& f = Open();
  StopAfter(0);
  int waitsAfterTheRun = 0;
  cameraWait = [&] {
    if (cam.CallsOf("EndRecord").empty()) return;
    ++waitsAfterTheRun;
    QTest::keyClick(f.txtName[0], Qt::Key_S, Qt::ControlModifier);
    if (waitsAfterTheRun == 1) f.close();
  };
  QTest::keyClick(f.txtName[0], Qt::Key_S, Qt::ControlModifier);
  EXPECT_EQ(fake.CallsOf("StartSampling").size(), 1u);
  EXPECT_TRUE(cam.CallsOf("CameraExit").empty());  // not while the run ends
  EXPECT_EQ(cam.calls.back(), "OpenCamera 240 320");
  EXPECT_TRUE(QTest::qWaitFor([&] { return !f.isVisible(); }));
  EXPECT_EQ(cam.calls.back(), "CameraExit");
  EXPECT_EQ(waitsAfterTheRun, 4);  // two as the run ends, two as the camera is released
  EXPECT_EQ(fake.CallsOf("StartSampling").size(), 1u);
}

TEST_F(CamTest, WithoutACameraARunRecordsNoVideo) {
  WriteInit("DEBUG");
  cam.listText = CameraList({}, nullptr, {});
  FrmMonitor& f = Open();
  StopAfter(1);
  f.RunAcquisition();
  EXPECT_FALSE(f.frmCam->isVisible());
  EXPECT_TRUE(cam.CallsOf("StartRecord").empty());
  EXPECT_TRUE(cam.CallsOf("EndRecord").empty());
  EXPECT_FALSE(QFile::exists(folder.file("CSV/20250302_090507.CSV.TIM")));
}

}  // namespace
}  // namespace orvane::forms
