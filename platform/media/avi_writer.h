// Writing an AVI 1.0 file. A recording is a stream: it is written under
// its own name, headers first (as far as they are known at the first
// sample) and each sample as one whole chunk after them, so that a process
// killed during it leaves a file readable up to its last whole sample.
// finish() writes the index and the headers' final counts.
#pragma once
#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "kernel32/unique_fd.h"
#include "media/avi_format.h"

namespace plat::avi {

class AviWriter {
 public:
  // nullptr when the file cannot be created at `linuxPath`.
  static std::unique_ptr<AviWriter> create(const std::string& linuxPath);
  ~AviWriter();

  // False once samples were written (the header space is laid out).
  bool addStream(const StreamHeader& header, const std::string& name);
  bool setFormat(size_t stream, const void* format, size_t size);
  size_t streamCount() const { return streams_.size(); }
  const StreamHeader& header(size_t stream) const { return streams_[stream].header; }
  const std::string& name(size_t stream) const { return streams_[stream].name; }
  void setHandler(size_t stream, FOURCC handler) { streams_[stream].header.handler = handler; }
  // Appends one chunk of `samples` samples; false when the file cannot
  // take it.
  bool writeSample(size_t stream, const void* data, uint32_t size, DWORD samples, bool key);
  // The file header as it would be written now.
  MainHeader mainHeader() const;
  // Writes the index and the headers' final counts; false when the file
  // is incomplete (a full disk): it then ends after the last sample that
  // went in whole.
  bool finish();

 private:
  struct Stream {
    StreamHeader header{};
    std::vector<uint8_t> format;
    std::string name;
  };
  explicit AviWriter(UniqueFd file) : file_(std::move(file)) {}
  std::vector<uint8_t> headerList() const;
  bool beginMovi();
  bool writeHeaders(uint32_t riffSize, uint32_t moviSize);

  UniqueFd file_;
  std::vector<Stream> streams_;
  std::vector<IndexEntry> index_;
  uint64_t moviStart_ = 0;  // position of the movi list's form type
  uint64_t moviEnd_ = 0;    // where the next sample goes
  uint32_t largestSample_ = 0;
  bool started_ = false;
  bool failed_ = false;
  bool finished_ = false;
};

}  // namespace plat::avi
