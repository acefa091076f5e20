#include "acquisition_run.h"

#include <cfloat>
#include <cmath>

#include "core/toolkit.h"

namespace orvane::forms {
namespace {

// Raw counts reach the conversion as 16-bit values; the converted value is
// linear in them, so its extremes lie at the ends of that range.
constexpr double kRawLeast = -32768.0;
constexpr double kRawMost = 32767.0;

bool FitsSingle(double v) { return std::isfinite(v) && std::fabs(v) <= FLT_MAX; }

}  // namespace

std::optional<QString> CalibrationProblem(const RowTexts& row) {
  const struct {
    const char* head;
    const QString& text;
  } kBoxes[] = {{"MAX", row.rangeMax}, {"MIN", row.rangeMin}, {"AD", row.calAD}, {"OFFSET", row.baseAD}};
  double v[4];
  for (int k = 0; k < 4; ++k) {
    const std::string text = kBoxes[k].text.toStdString();
    v[k] = core::IsNumeric(text) ? core::Val(text) : NAN;
    if (!FitsSingle(v[k]))
      return QStringLiteral("row %1: calibration %2 \"%3\" is not a number")
          .arg(row.title, QLatin1String(kBoxes[k].head), kBoxes[k].text);
  }
  // As the library converts: (raw - BASE_AD) x (value span) / CAL_AD + base value.
  const float calValue = static_cast<float>(v[0]), baseValue = static_cast<float>(v[1]);
  const float calAd = static_cast<float>(v[2]), baseAd = static_cast<float>(v[3]);
  if (calAd == 0.0f) return QStringLiteral("row %1: calibration AD is 0").arg(row.title);
  const double span = static_cast<double>(calValue) - baseValue;
  for (double raw : {kRawLeast, kRawMost}) {
    if (!FitsSingle((raw - baseAd) * span / calAd + baseValue))
      return QStringLiteral("row %1: calibration gives values beyond the single-precision range").arg(row.title);
  }
  return std::nullopt;
}

AcquisitionRun::AcquisitionRun(const core::Board& board, int channels)
    : channels_(std::clamp(channels, 0, 32)), raw_(kRawBlockValues, 0),
      data_(static_cast<std::size_t>(kBlockScans) * channels_, 0.0f) {
  scaling_.SetCBoard(board);
  scaling_.SetCalibration(calibration_);
  for (int i = 0; i < 32; ++i) channelList_[i] = static_cast<SHORT>(i + 1);
}

std::optional<QString> AcquisitionRun::Prepare(std::span<const RowTexts> rows) {
  const int n = std::min(channels_, static_cast<int>(rows.size()));
  for (int i = 0; i < n; ++i) {
    if (auto problem = CalibrationProblem(rows[i])) return problem;
  }
  for (int i = 0; i < n; ++i) {
    const RowTexts& row = rows[i];
    const double values[4] = {core::Val(row.rangeMax.toStdString()), core::Val(row.rangeMin.toStdString()),
                              core::Val(row.calAD.toStdString()), core::Val(row.baseAD.toStdString())};
    auto text = [](double v) { return QString::number(v, 'g', 15).toStdString(); };
    calibration_.SetCalValue(i, text(values[0]));
    calibration_.SetBaseValue(i, text(values[1]));
    calibration_.SetCalAD(i, text(values[2]));
    calibration_.SetBaseAD(i, text(values[3]));
    calibration_.SetCHName(i, row.name.toStdString());
    calibration_.SetUnit(i, row.unit.toStdString());
    records_[i] = CalibrationRecord{static_cast<float>(values[0]), static_cast<float>(values[1]),
                                    static_cast<float>(values[2]), static_cast<float>(values[3])};
  }
  return std::nullopt;
}

LONG AcquisitionRun::Configure(const std::vector<int32_t>& format) {
  const core::VekmathCalls& api = Api();
  if (!api.SetupSampling) return vekmath::kStatusParameter;
  std::vector<int32_t> table = format;
  table.resize(32, 0);
  LONG status = 0;
  // This call only reports the status left by the last run (which may have
  // ended in a failure); the set-up below starts the status afresh, so only
  // its result counts.
  if (api.SetupSampling2) api.SetupSampling2(table.data(), 0, &status);
  api.SetupSampling(channels_, channelList_.data(), kBlockScans, 1, 1000, 0, 0, 0, 0, &status);
  return status;
}

LONG AcquisitionRun::Start() {
  if (!Api().StartSampling) return vekmath::kStatusParameter;
  stopForced_ = false;
  stopClock_.invalidate();
  LONG status = 0;
  Api().StartSampling(&status);
  return status;
}

LONG AcquisitionRun::ReadBlock() {
  const core::VekmathCalls& api = Api();
  if (!api.ReadBlock || !api.ConvertBlock) return vekmath::kStatusParameter;
  LONG running = 0, status = 0;
  readClock_.start();
  // The library pumps the window messages while it waits: any handler may
  // run here, the close of the window included.
  api.ReadBlock(raw_.data(), kBlockScans, &running, &status);
  if (status != 0) return status;
  Api().ConvertBlock(data_.data(), raw_.data(), static_cast<SHORT>(channels_), kBlockScans, records_.data());
  return 0;
}

void AcquisitionRun::Stop() {
  LONG status = 0;
  if (Api().StopSampling) Api().StopSampling(&status);
  if (Api().CloseBoard) Api().CloseBoard(&status);
}

bool AcquisitionRun::WriteBlock() { return csv_.WriteBlock(data_.data(), channels_, kBlockScans); }

void AcquisitionRun::WatchStop(int graceMs) {
  if (stopForced_ || !stopClock_.isValid()) return;
  if (stopClock_.elapsed() < graceMs || readClock_.elapsed() < graceMs) return;
  ForceStop();
}

void AcquisitionRun::ForceStop() {
  stopForced_ = true;
  LONG status = 0;
  if (Api().StopSampling) Api().StopSampling(&status);
}

}  // namespace orvane::forms
