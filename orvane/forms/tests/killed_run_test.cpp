// A run killed mid-way, in a process of its own on the real library and its
// simulated board, keeps every whole block written before the kill.
#include <gtest/gtest.h>

#include <QDeadlineTimer>
#include <QProcess>
#include <QTemporaryDir>

#include "support/temp_folder.h"
#include "core/vekmath_calls.h"

namespace orvane::forms {
namespace {

using testing::ProgramFolder;

TEST(KilledRun, KeepsEveryWholeBlockWrittenBeforeTheKill) {
  const core::VekmathCalls& api = core::LoadedVekmath();
  if (!api.ReadBlock || !api.SetupSampling || !api.StartSampling)
    GTEST_SKIP() << "the processing library lacks " << core::MissingVekmathEntries();
  QTemporaryDir root;
  ProgramFolder folder;
  folder.write("Init.ini", "[ADBOARD]\r\nBoard=DEBUG\r\nDeviceName=Dev1\r\n");
  constexpr int kBlocks = 3;

  QProcess child;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("ORVANE_ROOT", root.path());
  env.insert("QT_QPA_PLATFORM", "offscreen");
  child.setProcessEnvironment(env);
  child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
  child.start(ORVANE_RECORD_CHILD, {folder.path(), QString::number(kBlocks)});
  ASSERT_TRUE(child.waitForStarted(10000));
  int reported = 0;
  // One bound for the whole run, not one a block: a sanitized child on a
  // loaded machine can take most of a minute to load and send its first.
  QDeadlineTimer deadline(100000);
  while (reported < kBlocks && child.state() == QProcess::Running && !deadline.hasExpired()) {
    if (!child.canReadLine() && !child.waitForReadyRead(static_cast<int>(deadline.remainingTime()))) break;
    while (child.canReadLine()) reported = child.readLine().trimmed().toInt();
  }
  ASSERT_EQ(reported, kBlocks) << "the child stopped early";
  child.kill();  // SIGKILL: no close, no flush, no unload
  ASSERT_TRUE(child.waitForFinished(10000));
  EXPECT_EQ(child.exitStatus(), QProcess::CrashExit);

  const QByteArray text = folder.read("CSV/20240131_235959.CSV");
  ASSERT_TRUE(text.endsWith("\r\n"));
  QList<QByteArray> lines = text.split('\n');
  lines.pop_back();
  EXPECT_EQ(lines.size(), kBlocks * 1000);
  for (qsizetype k = 0; k < lines.size(); ++k) {
    const QList<QByteArray> values = lines[k].split(',');
    ASSERT_EQ(values.size(), 17) << "line " << k;  // 16 channels, each value followed by a comma
    ASSERT_EQ(values[16], "\r") << "line " << k;
  }
}

}  // namespace
}  // namespace orvane::forms
