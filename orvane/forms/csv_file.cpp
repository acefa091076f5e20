#include "csv_file.h"

#include <QDir>
#include <QFileInfo>

#include "csv_format.h"

namespace orvane::forms {

QString CsvFileName(const QString& programFolder, const QDateTime& start) {
  return programFolder + QStringLiteral("/CSV/") + start.toString(QStringLiteral("yyyyMMdd_HHmmss")) +
         QStringLiteral(".CSV");
}

bool CsvFile::Open(const QString& path) {
  Close();
  const QString folder = QFileInfo(path).absolutePath();
  // An existing folder is fine; only a failure to make a missing one counts.
  if (!QDir().mkpath(folder)) return false;
  out_.open(QFile::encodeName(path).toStdString(), std::ios::binary | std::ios::app);
  return out_.is_open() && out_.good();
}

bool CsvFile::WriteBlock(const float* data, int channels, int scans) {
  const std::size_t bound = CsvBlockBound(channels, scans);
  if (!out_.is_open() || data == nullptr || bound == 0) return false;
  if (room_ < bound) {
    text_ = std::make_unique_for_overwrite<char[]>(bound);
    room_ = bound;
  }
  const std::size_t length = FormatCsvBlock(text_.get(), data, channels, scans);
  out_.write(text_.get(), static_cast<std::streamsize>(length));
  out_.flush();
  return out_.good();
}

void CsvFile::Close() {
  if (out_.is_open()) out_.close();
  out_.clear();
}

}  // namespace orvane::forms
