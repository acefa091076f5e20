#include <QFile>
#include <QTest>

#include "csv_format.h"
#include "support/file_size_limit.h"
#include "support/form_fixture.h"

namespace orvane::forms {
namespace {

using testing::FakeVekmath;
using testing::FileSizeLimit;
using testing::FormTest;

class RunTest : public FormTest {
 protected:
  void SetUp() override {
    WriteInit("NI-USB-6008-D");  // 4 channels
    Open();
    // Channel 1 with a calibration of its own: 5 per 1000 counts.
    form->txtRangeMax[1]->setText("5");
    form->txtCalAD[1]->setText("1000");
    form->txtBaseAD[1]->setText("0");
  }
  QString CsvPath() const { return folder.file("CSV/20250302_090507.CSV"); }
  QList<QByteArray> CsvLines() const {
    QList<QByteArray> lines = folder.read("CSV/20250302_090507.CSV").split('\n');
    if (!lines.isEmpty() && lines.back().isEmpty()) lines.pop_back();
    return lines;
  }
  // The line the run writes for scan s of the run.
  static QByteArray Line(LONG scan) {
    const CalibrationRecord cal[4] = {{10, 0, 31100, -140}, {5, 0, 1000, 0}, {10, 0, 31100, -140}, {10, 0, 31100, -140}};
    QByteArray line;
    for (int c = 0; c < 4; ++c) {
      const SHORT raw = FakeVekmath::Sample(scan, c);
      const double v = (raw - static_cast<double>(cal[c].baseAd)) * (cal[c].calValue - cal[c].baseValue) / cal[c].calAd +
                       cal[c].baseValue;
      line += QByteArray::fromStdString(SingleText(static_cast<float>(v))) + ",";
    }
    return line + "\r";
  }
};

TEST_F(RunTest, ThreeBlocksAndAStopDuringTheFourthWriteFourThousandLines) {
  StopAfter(3);
  form->txt掃引時間->setText("2.5");
  QTest::mouseClick(form->cmd取込開始, Qt::LeftButton);
  const QList<QByteArray> lines = CsvLines();
  ASSERT_EQ(lines.size(), 4000);
  for (LONG s : {0, 1, 999, 1000, 2345, 3999}) EXPECT_EQ(lines[s], Line(s)) << "scan " << s;
  EXPECT_EQ(form->txtCnt->text(), "3");
  EXPECT_EQ(form->txt取込開始時間->text(), "2025/03/02 09:05:07");
  EXPECT_EQ(form->txt換算前[2]->text(), "2");  // first scan of the last block: 0 * 10 + channel
  EXPECT_EQ(form->txt換算後[1]->text(), "0.005");
  EXPECT_FALSE(form->IsACQ());
  EXPECT_EQ(form->chk終了->checkState(), Qt::Unchecked);
  EXPECT_TRUE(form->cmd取込開始->isEnabled());

  std::vector<std::string> order;
  for (const auto& c : fake.calls)
    if (c.rfind("ReadBlock", 0) != 0 && c.rfind("DrawWaveGraph", 0) != 0 && c.rfind("SetupWaveGraph 5000", 0) != 0)
      order.push_back(c);
  const std::vector<std::string> expected = {"SelectBoard 12 1 Dev1", "SetupWaveGraph_XLINE", "SetupSampling2",
                                             "SetupSampling 4 1..4 1000 1 1000 0", "SetupWaveGraph 2500",
                                             "SetupWaveGraph2 1", "StartSampling", "StopSampling", "CloseBoard"};
  EXPECT_EQ(order, expected);
  EXPECT_EQ(fake.CallsOf("ReadBlock").size(), 4u);
}

// The operator may type anything into the counter while a run goes on.
TEST_F(RunTest, TheBlockCounterCountsOnFromWhatItHolds) {
  const struct {
    const char *typed, *after;
  } kCases[] = {{"41", "42"}, {"abc", "1"}, {"1e400", "1"}, {"&HFFFFFFFFFFFFFFFFF", "1"},
                {"1.7976931348623157E+308", "1.79769313486232e+308"}, {"-1.7976931348623157E+308", "-1.79769313486232e+308"}};
  for (const auto& c : kCases) {
    fake.onReadBlock = [&](LONG block) {
      if (block == 1) form->txtCnt->setText(c.typed);
      if (block == 2) form->chk終了->setCheckState(Qt::Checked);
    };
    form->RunAcquisition();
    EXPECT_EQ(form->txtCnt->text(), c.after) << c.typed;
  }
}

TEST_F(RunTest, AStopBeforeTheFirstBlockStillWritesOneWholeBlock) {
  StopAfter(0);
  form->RunAcquisition();
  EXPECT_EQ(CsvLines().size(), 1000);
  EXPECT_EQ(form->txtCnt->text(), "0");
}

TEST_F(RunTest, RunsOfTheSameSecondContinueOneFile) {
  StopAfter(0);
  form->RunAcquisition();
  form->RunAcquisition();
  EXPECT_EQ(CsvLines().size(), 2000);
  EXPECT_EQ(CsvLines()[1000], Line(0));
}

TEST_F(RunTest, AFailingReadEndsTheRunWithoutAStaleBlock) {
  fake.failFromBlock = 2;
  form->RunAcquisition();
  const QList<QByteArray> lines = CsvLines();
  EXPECT_EQ(lines.size(), 2000);  // the two good blocks, nothing repeated
  EXPECT_EQ(lines[1999], Line(1999));
  EXPECT_EQ(fake.CallsOf("ReadBlock").size(), 3u);
  EXPECT_EQ(form->windowTitle(), "ORVANE : board failed");
  EXPECT_FALSE(form->IsACQ());
  EXPECT_EQ(fake.CallsOf("CloseBoard").size(), 1u);
}

// The library keeps a failure as its last status until the next set-up;
// the run after a failed one must start afresh, not see the old failure.
TEST_F(RunTest, ARunAfterAFailedReadStartsAfresh) {
  fake.failFromBlock = 1;
  form->RunAcquisition();
  ASSERT_EQ(CsvLines().size(), 1000);
  ASSERT_EQ(form->LastMessage(), "board failed");
  fake.failFromBlock = -1;
  StopAfter(1);
  form->RunAcquisition();
  EXPECT_EQ(CsvLines().size(), 3000);  // the second run's two blocks follow
  EXPECT_EQ(CsvLines()[1000], Line(0));
  EXPECT_EQ(fake.CallsOf("StartSampling").size(), 2u);
  EXPECT_EQ(form->txtCnt->text(), "1");
}

TEST_F(FormTest, ARunAfterAStoppedSilentBoardStartsAfresh) {
  stopGraceMs = 20;
  WriteInit("NI-USB-6008-D");
  FrmMonitor& f = Open();
  fake.deliverNothing = true;
  fake.onReadBlock = [&](LONG) { f.chk終了->setCheckState(Qt::Checked); };
  f.RunAcquisition();
  ASSERT_EQ(fake.lastStatus, 30000);
  fake.deliverNothing = false;
  fake.onReadBlock = [&](LONG block) {
    if (block == 2) f.chk終了->setCheckState(Qt::Checked);
  };
  f.RunAcquisition();
  EXPECT_TRUE(f.LastMessage().isEmpty()) << f.LastMessage().toStdString();
  EXPECT_EQ(folder.read("CSV/20250302_090507.CSV").count('\n'), 3000);
}

TEST_F(RunTest, AFailedSetUpOpensNoFileAndStartsNothing) {
  fake.setupStatus = 30009;
  form->RunAcquisition();
  EXPECT_FALSE(QFile::exists(CsvPath()));
  EXPECT_TRUE(fake.CallsOf("StartSampling").empty());
  EXPECT_TRUE(fake.CallsOf("ReadBlock").empty());
  EXPECT_EQ(form->LastMessage(), "board failed");
  EXPECT_FALSE(form->IsACQ());
  EXPECT_EQ(fake.CallsOf("StopSampling").size(), 1u);
}

TEST_F(RunTest, ACsvFolderThatCannotBeMadeStopsTheRun) {
  folder.write("CSV", "a file where the folder should be");
  form->RunAcquisition();
  EXPECT_TRUE(form->LastMessage().startsWith("cannot write")) << form->LastMessage().toStdString();
  EXPECT_TRUE(fake.CallsOf("ReadBlock").empty());
  EXPECT_FALSE(form->IsACQ());
  EXPECT_EQ(fake.CallsOf("CloseBoard").size(), 1u);
}

// A board type without a back end never completes a block: the stop request
// must still end the run, with no block written and no failure shown.
TEST_F(RunTest, AFileThatStopsTakingDataEndsTheRun) {
  if (!QFile::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
  QDir().mkpath(folder.file("CSV"));
  ASSERT_TRUE(QFile::link("/dev/full", CsvPath()));
  form->RunAcquisition();
  EXPECT_TRUE(form->LastMessage().startsWith("cannot write")) << form->LastMessage().toStdString();
  EXPECT_EQ(fake.CallsOf("ReadBlock").size(), 1u);  // no block read that could not be kept
  EXPECT_FALSE(form->IsACQ());
}

TEST_F(RunTest, AWriteThatFailsMidBlockLeavesOnlyWholeBlocks) {
  qsizetype block = 0;
  for (LONG s = 0; s < 1000; ++s) block += Line(s).size() + 1;
  StopAfter(5);
  {
    const FileSizeLimit limit(static_cast<rlim_t>(block + block / 2));
    form->RunAcquisition();
  }
  EXPECT_EQ(QFileInfo(CsvPath()).size(), block);
  const QList<QByteArray> lines = CsvLines();
  ASSERT_EQ(lines.size(), 1000);
  EXPECT_EQ(lines.back(), Line(999));
  EXPECT_TRUE(form->LastMessage().startsWith("cannot write")) << form->LastMessage().toStdString();
  EXPECT_EQ(fake.CallsOf("ReadBlock").size(), 2u);
  EXPECT_FALSE(form->IsACQ());
}

// A row whose calibration would turn counts into values that are not
// finite: the run does not start, and the message names the row.
TEST_F(RunTest, ARowThatCannotConvertRefusesTheRun) {
  const struct {
    RowArray FrmMonitor::*boxes;
    const char* text;
    const char* message;
  } kCases[] = {
      {&FrmMonitor::txtCalAD, "0", "row 3CH: calibration AD is 0"},
      {&FrmMonitor::txtRangeMax, "abc", "row 3CH: calibration MAX \"abc\" is not a number"},
      {&FrmMonitor::txtBaseAD, "1E+39", "row 3CH: calibration OFFSET \"1E+39\" is not a number"},
      {&FrmMonitor::txtCalAD, "1E-35", "row 3CH: calibration gives values beyond the single-precision range"},
      // Numbers too large for a double: a typo, answered as any other.
      {&FrmMonitor::txtCalAD, "1e400", "row 3CH: calibration AD \"1e400\" is not a number"},
      {&FrmMonitor::txtRangeMax, "3d767", "row 3CH: calibration MAX \"3d767\" is not a number"},
      {&FrmMonitor::txtRangeMin, "13.4028235E+380", "row 3CH: calibration MIN \"13.4028235E+380\" is not a number"},
      {&FrmMonitor::txtBaseAD, "1e309", "row 3CH: calibration OFFSET \"1e309\" is not a number"},
      {&FrmMonitor::txtCalAD, "&HFFFFFFFFFFFFFFFFF", "row 3CH: calibration AD \"&HFFFFFFFFFFFFFFFFF\" is not a number"},
      {&FrmMonitor::txtRangeMin, "-1.7976931348623157E+308",
       "row 3CH: calibration MIN \"-1.7976931348623157E+308\" is not a number"},
  };
  StopAfter(0);  // a run that starts after all ends at once
  for (const auto& c : kCases) {
    QLineEdit* box = (form.get()->*c.boxes)[2];
    const QString design = box->text();
    box->setText(c.text);
    form->RunAcquisition();
    box->setText(design);
    EXPECT_EQ(form->LastMessage(), c.message);
    EXPECT_FALSE(form->IsACQ());
  }
  EXPECT_TRUE(fake.CallsOf("SetupSampling").empty());
  EXPECT_FALSE(QFile::exists(CsvPath()));
}

TEST_F(FormTest, AStopEndsARunWhoseBoardDeliversNothing) {
  stopGraceMs = 20;
  WriteInit("NI-USB-6008-D");
  FrmMonitor& f = Open();
  fake.deliverNothing = true;
  fake.onReadBlock = [&](LONG) { f.chk終了->setCheckState(Qt::Checked); };
  f.RunAcquisition();
  EXPECT_FALSE(f.IsACQ());
  EXPECT_TRUE(folder.read("CSV/20250302_090507.CSV").isEmpty());
  EXPECT_TRUE(f.LastMessage().isEmpty());
  EXPECT_EQ(fake.CallsOf("ReadBlock").size(), 1u);
}

TEST_F(RunTest, ClosingDuringARunEndsItFirstAndThenUnloads) {
  fake.onReadBlock = [this](LONG block) {
    if (block == 1) form->close();
  };
  form->RunAcquisition();
  EXPECT_EQ(fake.CallsOf("ReadBlock").size(), 2u);  // none after the close
  EXPECT_EQ(CsvLines().size(), 1000);               // the cut-off block is not written
  EXPECT_FALSE(form->IsACQ());
  QTest::qWait(10);  // the close queued by the run
  EXPECT_FALSE(form->isVisible());
  EXPECT_TRUE(QFile::exists(folder.file("Debug/Property.ini")));
  EXPECT_GE(fake.CallsOf("CloseBoard").size(), 2u);
}

}  // namespace
}  // namespace orvane::forms
