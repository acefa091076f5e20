// The acquisition run: one blocking loop on the window thread that reads,
// converts, shows and records block after block until the stop request.
#include <QTimer>

#include "core/toolkit.h"
#include "csv_format.h"
#include "monitor_form.h"
#include "toolkit_text.h"

namespace orvane::forms {

QString FrmMonitor::CSVFILENAME() const {
  auto start = ParseDateText(txt取込開始時間->text());
  return CsvFileName(options_.programFolder, start.value_or(options_.now()));
}

bool FrmMonitor::Failed(LONG status, const char* step) {
  if (status == 0) return false;
  QString text;
  if (api_.GetErrorText) {
    std::vector<char> buf(2048 + 1, '\0');
    api_.GetErrorText(buf.data());
    text = FromAnsi(buf.data(), static_cast<int>(strnlen(buf.data(), 2048))).trimmed();
  }
  if (text.isEmpty()) text = QStringLiteral("%1 failed (%2)").arg(QLatin1String(step)).arg(status);
  Guidance(text);
  return true;
}

bool FrmMonitor::StartRun(int n) {
  if (!api_.SetupSampling || !api_.StartSampling || !api_.ReadBlock) {
    Guidance(QStringLiteral("the processing library lacks %1").arg(QLatin1String(MissingVekmathEntries())));
    return false;
  }
  // Calibration of this run, from the rows as they stand.
  auto calibration = std::make_unique<core::ChannelCalibration>();
  for (int i = 0; i < n; ++i) {
    const double values[4] = {core::Val(txtRangeMax[i]->text().toStdString()),
                              core::Val(txtRangeMin[i]->text().toStdString()),
                              core::Val(txtCalAD[i]->text().toStdString()),
                              core::Val(txtBaseAD[i]->text().toStdString())};
    auto text = [](double v) { return QString::number(v, 'g', 15).toStdString(); };
    calibration->SetCalValue(i, text(values[0]));
    calibration->SetBaseValue(i, text(values[1]));
    calibration->SetCalAD(i, text(values[2]));
    calibration->SetBaseAD(i, text(values[3]));
    calibration->SetCHName(i, txtName[i]->text().toStdString());
    calibration->SetUnit(i, txtUnit[i]->text().toStdString());
    calibration_[i] = CalibrationRecord{static_cast<float>(values[0]), static_cast<float>(values[1]),
                                        static_cast<float>(values[2]), static_cast<float>(values[3])};
  }
  auto scaling = std::make_unique<core::DisplayScaling>();
  scaling->SetCBoard(*board_);
  scaling->SetCalibration(*calibration);
  scaling->SetupGridLines(Picture1->hWnd(), n);
  // The old scaling goes before the calibration it points to.
  scaling_ = std::move(scaling);
  runCalibration_ = std::move(calibration);
  for (int i = 0; i < 32; ++i) channelList_[i] = static_cast<SHORT>(i + 1);

  LONG status = 0;
  std::vector<int32_t> format;
  board_->GetADDataFormat_Signed_Unsigned(format);
  format.resize(32, 0);
  // This call only reports the status left by the last run (which may have
  // ended in a failure); the set-up below starts the status afresh, so only
  // its result counts.
  if (api_.SetupSampling2) api_.SetupSampling2(format.data(), 0, &status);
  api_.SetupSampling(n, channelList_.data(), kBlockScans, 1, 1000, 0, 0, 0, 0, &status);
  if (Failed(status, "SetupSampling")) return false;
  for (int i = 0; i < n; ++i) SetupChannelDisplay(i);
  try {
    settings_.span = core::CLng(core::Val(txt掃引時間->text().toStdString()) * 1000);
  } catch (const core::ToolkitError&) {
    settings_.span = 0;  // a sweep beyond the counts: nothing sensible to draw
  }
  settings_.gridInterval = 1000;
  if (api_.SetupWaveGraph) api_.SetupWaveGraph(Picture1->hWnd(), &settings_, traces_.data(), 0);
  if (api_.SetupWaveGraph2) api_.SetupWaveGraph2(1);
  api_.StartSampling(&status);
  if (Failed(status, "StartSampling")) return false;
  // The file is made only once the board runs.
  if (!csv_.Open(CSVFILENAME())) {
    Guidance(QStringLiteral("cannot write %1").arg(CSVFILENAME()));
    return false;
  }
  return true;
}

void FrmMonitor::ShowLiveValues() {
  const int n = std::min(channels_, kRows);
  if (data_.size() < static_cast<std::size_t>(kBlockScans) * n) return;
  for (int c = 0; c < n; ++c) {
    txt換算前[c]->setText(QString::number(raw_[c]));
    txt換算後[c]->setText(QString::fromStdString(SingleText(data_[static_cast<std::size_t>(kBlockScans) * c])));
    txt換算前[c]->setCursorPosition(0);
    txt換算後[c]->setCursorPosition(0);
  }
}

bool FrmMonitor::WriteCsvBlock(CsvFile& file) {
  const int n = std::min(channels_, kRows);
  if (data_.size() < static_cast<std::size_t>(kBlockScans) * n) return false;
  return file.WriteBlock(data_.data(), n, kBlockScans);
}

void FrmMonitor::WatchStopRequest() {
  // A stop request while no block arrives (a board that delivers nothing):
  // after the grace time the acquisition itself is stopped, which ends the
  // wait in ReadBlock.
  if (!IsACQ() || stopForced_ || chk終了->checkState() == Qt::Unchecked || !stopClock_.isValid()) return;
  if (stopClock_.elapsed() < options_.stopGraceMs || readClock_.elapsed() < options_.stopGraceMs) return;
  stopForced_ = true;
  LONG status = 0;
  if (api_.StopSampling) api_.StopSampling(&status);
}

void FrmMonitor::RunAcquisition() {
  if (IsACQ()) return;
  const int n = channels_;
  if (n <= 0) {
    Guidance(QStringLiteral("no channels"));
    return;
  }
  txt取込開始時間->setText(DateText(options_.now()));
  chkAcq->setCheckState(Qt::Checked);
  ApplyTraceColours();
  chk終了->setCheckState(Qt::Unchecked);
  txtCnt->setText(QStringLiteral("0"));
  cmd取込開始->setEnabled(false);
  data_.assign(static_cast<std::size_t>(kBlockScans) * n, 0.0f);
  stopForced_ = false;
  stopClock_.invalidate();

  QTimer watch;
  watch.setInterval(50);
  connect(&watch, &QTimer::timeout, this, [this] { WatchStopRequest(); });
  watch.start();

  if (StartRun(n)) {
    for (;;) {
      LONG running = 0, status = 0;
      readClock_.start();
      api_.ReadBlock(raw_.data(), kBlockScans, &running, &status);
      if (status != 0) {
        // A stop we asked for ends the wait without a block; anything else
        // is a failure. Neither block is written: its data is not fresh.
        if (!(stopForced_ && status == vekmath::kStatusParameter)) Failed(status, "ReadBlock");
        break;
      }
      api_.ConvertBlock(data_.data(), raw_.data(), static_cast<SHORT>(n), kBlockScans, calibration_.data());
      ShowLiveValues();
      if (!WriteCsvBlock(csv_)) {
        Guidance(QStringLiteral("cannot write %1").arg(CSVFILENAME()));
        break;
      }
      if (chk終了->checkState() == Qt::Checked) break;
      txtCnt->setText(QString::number(static_cast<long long>(core::Val(txtCnt->text().toStdString())) + 1));
      DoEvents();
    }
  }
  watch.stop();
  EndRun();
}

void FrmMonitor::EndRun() {
  csv_.Close();
  chkAcq->setCheckState(Qt::Unchecked);
  chk終了->setCheckState(Qt::Unchecked);
  LONG status = 0;
  if (api_.StopSampling) api_.StopSampling(&status);
  if (api_.CloseBoard) api_.CloseBoard(&status);
  cmd取込開始->setEnabled(true);
  cmd取込開始->setFocus();
  FileCSV_Refresh();
  if (closePending_) {
    closePending_ = false;
    QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
  }
}

}  // namespace orvane::forms
