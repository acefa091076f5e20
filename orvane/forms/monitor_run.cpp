// The form's side of the acquisition run: one blocking loop on the window
// thread that reads, converts, shows and records block after block until
// the stop request.
#include <QTimer>

#include "camera_list.h"
#include "core/toolkit.h"
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

std::vector<RowTexts> FrmMonitor::RowsAsTheyStand() const {
  std::vector<RowTexts> rows;
  for (int i = 0; i < channels_ && i < kRows; ++i) {
    rows.push_back(RowTexts{lblCH[i]->text(), txtRangeMax[i]->text(), txtRangeMin[i]->text(), txtCalAD[i]->text(),
                            txtBaseAD[i]->text(), txtName[i]->text(), txtUnit[i]->text()});
  }
  return rows;
}

bool FrmMonitor::StartRun(AcquisitionRun& run) {
  const core::VekmathCalls& api = api_;
  if (!api.SetupSampling || !api.StartSampling || !api.ReadBlock || !api.ConvertBlock) {
    Guidance(QStringLiteral("the processing library lacks %1").arg(QLatin1String(core::MissingVekmathEntries())));
    return false;
  }
  run.Scaling().SetupGridLines(Picture1->hWnd(), run.Channels());
  std::vector<int32_t> format;
  board_->GetADDataFormat_Signed_Unsigned(format);
  if (Failed(run.Configure(format), "SetupSampling")) return false;
  for (int i = 0; i < run.Channels(); ++i) SetupChannelDisplay(i);
  try {
    settings_.span = core::CLng(core::Val(txt掃引時間->text().toStdString()) * 1000);
  } catch (const core::ToolkitError&) {
    settings_.span = 0;  // a sweep beyond the counts: nothing sensible to draw
  }
  settings_.gridInterval = 1000;
  if (api.SetupWaveGraph) api.SetupWaveGraph(Picture1->hWnd(), &settings_, traces_.data(), 0);
  if (api.SetupWaveGraph2) api.SetupWaveGraph2(1);
  if (Failed(run.Start(), "StartSampling")) return false;
  // The video goes beside the run; without it the run goes on.
  if (frmCam && IsCameraAvailable(CameraListPath(options_.programFolder.toStdString()))) {
    videoStarted_ = true;
    if (auto problem = frmCam->StartCAM()) Guidance(*problem);
  }
  // The file is made only once the board runs.
  if (!run.OpenCsv(CSVFILENAME())) {
    Guidance(QStringLiteral("cannot write %1").arg(CSVFILENAME()));
    return false;
  }
  return true;
}

void FrmMonitor::ShowLiveValues() {
  if (!run_) return;
  for (int c = 0; c < run_->Channels(); ++c) {
    txt換算前[c]->setText(QString::number(run_->FirstRaw(c)));
    txt換算後[c]->setText(QString::fromStdString(core::SingleText(run_->FirstValue(c))));
    txt換算前[c]->setCursorPosition(0);
    txt換算後[c]->setCursorPosition(0);
  }
}

bool FrmMonitor::WriteCsvBlock() { return run_ && run_->WriteBlock(); }

void FrmMonitor::RunAcquisition() {
  if (IsACQ() || endingRun_) return;
  const int n = channels_;
  if (n <= 0) {
    Guidance(QStringLiteral("no channels"));
    return;
  }
  // A row whose calibration cannot convert would write values that are not
  // numbers: such a run does not start.
  auto run = std::make_unique<AcquisitionRun>(*board_, n);
  if (auto problem = run->Prepare(RowsAsTheyStand())) {
    Guidance(*problem);
    return;
  }
  txt取込開始時間->setText(DateText(options_.now()));
  chkAcq->setCheckState(Qt::Checked);
  ApplyTraceColours();
  chk終了->setCheckState(Qt::Unchecked);
  txtCnt->setText(QStringLiteral("0"));
  cmd取込開始->setEnabled(false);
  SetCameraChoicesEnabled(false);
  // The old scaling goes with its run; the limit handlers take the new one.
  run_ = std::move(run);
  AcquisitionRun& current = *run_;

  QTimer watch;
  watch.setInterval(50);
  connect(&watch, &QTimer::timeout, this, [this, &current] {
    if (IsACQ() && chk終了->checkState() != Qt::Unchecked) current.WatchStop(options_.stopGraceMs);
  });
  watch.start();

  if (StartRun(current)) {
    for (;;) {
      if (const LONG status = current.ReadBlock(); status != 0) {
        // A stop we asked for ends the wait without a block; anything else
        // is a failure. Neither block is written: its data is not fresh.
        if (!(current.StopForced() && status == vekmath::kStatusParameter)) Failed(status, "ReadBlock");
        break;
      }
      ShowLiveValues();
      if (!WriteCsvBlock()) {
        Guidance(QStringLiteral("cannot write %1").arg(CSVFILENAME()));
        break;
      }
      if (chk終了->checkState() == Qt::Checked) break;
      // The operator may type into the counter: what does not convert counts 0.
      const double count = core::ValIfInRange(txtCnt->text().toStdString()).value_or(0.0);
      txtCnt->setText(QString::number(count + 1, 'g', 15));
      DoEvents();
    }
  }
  watch.stop();
  EndRun();
}

void FrmMonitor::SetCameraChoicesEnabled(bool enabled) {
  if (!frmCam) return;
  frmCam->cmbCamera->setEnabled(enabled);
  frmCam->cmbResolution->setEnabled(enabled);
}

void FrmMonitor::EndRun() {
  run_->CloseCsv();
  chkAcq->setCheckState(Qt::Unchecked);
  chk終了->setCheckState(Qt::Unchecked);
  run_->Stop();
  if (videoStarted_) {
    videoStarted_ = false;
    endingRun_ = true;
    if (auto problem = frmCam->EndCAM()) Guidance(*problem);
    endingRun_ = false;
  }
  cmd取込開始->setEnabled(true);
  cmd取込開始->setFocus();
  SetCameraChoicesEnabled(true);
  FileCSV_Refresh();
  if (closePending_) {
    closePending_ = false;
    QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
  }
}

}  // namespace orvane::forms
