// One acquisition run and what it keeps: the library set up for blocks of
// 1,000 scans, the run's channel calibration and display scaling, the raw
// and converted block, the CSV file, and the stop that ends a run whose
// board delivers nothing. The form drives it from its controls; the last
// run's scaling serves the display-limit handlers until the next run.
#pragma once
#include <QElapsedTimer>
#include <QString>

#include <array>
#include <optional>
#include <span>
#include <vector>

#include "core/board.h"
#include "core/channel_calibration.h"
#include "core/display_scaling.h"
#include "core/vekmath_calls.h"
#include "csv_file.h"

namespace orvane::forms {

inline constexpr int kBlockScans = 1000;
inline constexpr int kRawBlockValues = 256000;

// The texts of one channel row as the run takes them.
struct RowTexts {
  QString title;  // the row's caption ("3CH"), for messages
  QString rangeMax, rangeMin, calAD, baseAD, name, unit;
};

// Why a row's calibration cannot convert its counts into finite values, or
// nothing when it can.
std::optional<QString> CalibrationProblem(const RowTexts& row);

class AcquisitionRun {
 public:
  // A run of `channels` channels of the board; until Prepare, its scaling
  // works on a default calibration.
  AcquisitionRun(const core::Board& board, int channels);
  AcquisitionRun(const AcquisitionRun&) = delete;
  AcquisitionRun& operator=(const AcquisitionRun&) = delete;

  int Channels() const { return channels_; }
  core::DisplayScaling& Scaling() { return scaling_; }

  // The calibration of every channel from its row; the message of the
  // first row that cannot convert, and then nothing of the run is set.
  std::optional<QString> Prepare(std::span<const RowTexts> rows);

  // The steps on the library, each giving its status (0: success). A step
  // the library lacks gives kStatusParameter.
  LONG Configure(const std::vector<int32_t>& format);
  LONG Start();
  // Waits for the next block and converts it.
  LONG ReadBlock();
  // Stops and closes the acquisition.
  void Stop();

  // The CSV file of the run; WriteBlock appends the block just converted
  // (false when it could not be written whole: the file then ends with the
  // last whole block and is closed).
  bool OpenCsv(const QString& path) { return csv_.Open(path); }
  bool WriteBlock();
  void CloseCsv() { csv_.Close(); }

  // First scan of the block just read: the raw count and the converted
  // value of a channel.
  SHORT FirstRaw(int channel) const { return raw_[static_cast<std::size_t>(channel)]; }
  float FirstValue(int channel) const { return data_[static_cast<std::size_t>(kBlockScans) * channel]; }

  // A stop request that no block answers (a board that delivers nothing):
  // once both the request and the read in progress are older than the
  // grace time, the acquisition itself is stopped, which ends the wait.
  void StopRequested() { stopClock_.start(); }
  void WatchStop(int graceMs);
  // Stops the acquisition at once (the window closes during the run).
  void ForceStop();
  bool StopForced() const { return stopForced_; }

 private:
  const core::VekmathCalls& Api() const { return core::VekmathInUse(); }

  int channels_;
  core::ChannelCalibration calibration_;
  core::DisplayScaling scaling_;
  std::array<CalibrationRecord, 32> records_{};
  std::array<SHORT, 32> channelList_{};
  std::vector<SHORT> raw_;
  std::vector<float> data_;
  CsvFile csv_;
  bool stopForced_ = false;
  QElapsedTimer stopClock_;
  QElapsedTimer readClock_;
};

}  // namespace orvane::forms
