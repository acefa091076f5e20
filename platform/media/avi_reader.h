// Reading an AVI 1.0 file: its headers, and where each stream's samples
// lie, taken from the index or, without one, from a walk of the movi list.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "media/avi_format.h"
#include "winmm/riff_file.h"

namespace plat::avi {

struct SampleChunk {
  uint64_t dataOffset;  // file position of the chunk's data
  uint32_t size;
  bool key;
};

struct StreamContents {
  StreamHeader header{};
  std::vector<uint8_t> format;  // the strf data
  std::string name;             // the strn text
  std::vector<SampleChunk> samples;
};

class AviReader {
 public:
  // nullptr with AVIERR_FILEOPEN (cannot be read) or AVIERR_BADFORMAT (not
  // an AVI file) in `error`.
  static std::unique_ptr<AviReader> open(const std::string& linuxPath, HRESULT& error);

  const MainHeader& mainHeader() const { return main_; }
  const std::vector<StreamContents>& streams() const { return streams_; }
  // Reads one sample's bytes; false when the file is short.
  bool readSample(const SampleChunk& chunk, std::vector<uint8_t>& into);

 private:
  explicit AviReader(std::unique_ptr<mm::RiffFile> file) : file_(std::move(file)) {}
  bool readHeaders(const MMCKINFO& hdrl);
  bool readStreamList(const MMCKINFO& strl);
  bool readIndex(const MMCKINFO& idx1, uint32_t moviOffset);
  // False when a list does not fit in the one around it.
  bool walkMovi(const MMCKINFO& movi);
  bool readChunk(const MMCKINFO& chunk, void* into, size_t size);

  std::unique_ptr<mm::RiffFile> file_;
  MainHeader main_{};
  std::vector<StreamContents> streams_;
};

}  // namespace plat::avi
