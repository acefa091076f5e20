// The CSV file of one run: opened for append (a run in the same second
// continues the file), one write and one flush per block, so that a run
// killed mid-way keeps every whole block written before.
#pragma once
#include <QDateTime>
#include <QString>

#include <cstddef>
#include <fstream>
#include <memory>

namespace orvane::forms {

// <program folder>/CSV/yyyymmdd_hhnnss.CSV
QString CsvFileName(const QString& programFolder, const QDateTime& start);

class CsvFile {
 public:
  // Creates the CSV folder when missing; false when the folder or the file
  // cannot be made or opened.
  bool Open(const QString& path);
  // Appends the block (column-major, scans lines); false when it was not
  // written whole, and for no data or a count that is not positive.
  bool WriteBlock(const float* data, int channels, int scans);
  void Close();
  bool IsOpen() const { return out_.is_open(); }

 private:
  std::ofstream out_;
  // The text of one block, kept from block to block: formatting goes
  // straight into it, with no fill or growth per block.
  std::unique_ptr<char[]> text_;
  std::size_t room_ = 0;
};

}  // namespace orvane::forms
