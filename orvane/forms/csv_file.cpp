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
  path_ = QFile::encodeName(path).toStdString();
  out_.open(path_, std::ios::binary | std::ios::app);
  if (!out_.is_open() || !out_.good()) return false;
  std::error_code ec;
  end_ = std::filesystem::file_size(path_, ec);
  if (ec) end_ = 0;
  return true;
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
  if (out_.good()) {
    end_ += length;
    return true;
  }
  // Whatever of the block reached the file goes again: the file ends with
  // the last whole line.
  Close();
  std::error_code ec;
  if (std::filesystem::is_regular_file(path_, ec)) std::filesystem::resize_file(path_, end_, ec);
  return false;
}

void CsvFile::Close() {
  if (out_.is_open()) out_.close();
  out_.clear();
}

}  // namespace orvane::forms
