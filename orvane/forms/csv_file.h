// The CSV file of one run: opened for append (a run in the same second
// continues the file), one write and one flush per block, so that a run
// killed mid-way keeps every whole block written before, and a write that
// fails part-way (a full disk) leaves no half line behind.
#pragma once
#include <QDateTime>
#include <QString>

#include <cstddef>
#include <filesystem>
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
  // written whole, and for no data or a count that is not positive. A
  // block written only in part is cut off again, back to the end of the
  // last whole block, and the file is closed.
  bool WriteBlock(const float* data, int channels, int scans);
  void Close();
  bool IsOpen() const { return out_.is_open(); }

 private:
  std::ofstream out_;
  std::filesystem::path path_;
  // Where the last whole block ends.
  std::uintmax_t end_ = 0;
  // The text of one block, kept from block to block: formatting goes
  // straight into it, with no fill or growth per block.
  std::unique_ptr<char[]> text_;
  std::size_t room_ = 0;
};

}  // namespace orvane::forms
