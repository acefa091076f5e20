// Writing an AVI 1.0 file. Streams and formats are given first; the
// header space is laid out at the first sample, samples go to the movi
// list as they come, and finish() writes the headers with their final
// counts and the index.
#pragma once
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "media/avi_format.h"

namespace plat::avi {

class AviWriter {
 public:
  // nullptr when the file cannot be created beside `linuxPath`.
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
  // Writes headers and index and gives the file its name; false when it
  // is incomplete (then the file that was there is left as it was).
  bool finish();

 private:
  struct Stream {
    StreamHeader header{};
    std::vector<uint8_t> format;
    std::string name;
  };
  struct Closer {
    void operator()(std::FILE* f) const { std::fclose(f); }
  };
  AviWriter(std::FILE* file, std::string path, std::string temporary)
      : file_(file), path_(std::move(path)), temporary_(std::move(temporary)) {}
  std::vector<uint8_t> headerList() const;
  bool beginMovi();
  bool put(const void* data, size_t size);

  std::unique_ptr<std::FILE, Closer> file_;
  std::string path_;       // the file's own name, taken when complete
  std::string temporary_;  // where it is written until then
  bool placeholder_ = false;  // the empty file made at the name by create()
  std::vector<Stream> streams_;
  std::vector<IndexEntry> index_;
  uint64_t moviStart_ = 0;  // position of the movi list's form type
  uint64_t moviEnd_ = 0;
  uint32_t largestSample_ = 0;
  bool started_ = false;
  bool failed_ = false;
  bool finished_ = false;
};

}  // namespace plat::avi
