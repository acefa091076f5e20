// Fuzz target for the WAVE header reader and the RIFF walk beneath it: the
// input is the file. Whatever it claims, the reader may only report a data
// chunk that starts inside the file, and must leave every output alone when
// it refuses the file.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "acquisition/sampling_config.h"
#include "vekmath.h"

// The multimedia file I/O is built into the target; of the layer beneath it
// only path mapping and handle values are needed, and the input file always
// has a Linux path.
namespace plat {
std::string mappedOrFail(const char* name) { return name; }
uint32_t allocateHandleValue() {
  static uint32_t value = 0;
  return value += 4;
}
}  // namespace plat

// A header read clears the library's last status; the rest of the library
// is not built in.
namespace vekmath {
SamplingConfig& config() {
  static SamplingConfig state;
  return state;
}
}  // namespace vekmath

namespace {

const std::string& path() {
  static const std::string p = "/tmp/wave_header_fuzz_" + std::to_string(::getpid()) + ".wav";
  return p;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::FILE* f = std::fopen(path().c_str(), "wb");
  if (f == nullptr) std::abort();
  if (size > 0 && std::fwrite(data, 1, size, f) != size) std::abort();
  std::fclose(f);

  constexpr WORD kWord = 0x5A5A;
  constexpr DWORD kDword = 0x5A5A5A5A;
  WORD extra = kWord, align = kWord, channels = kWord, bits = kWord, tag = kWord;
  DWORD avg = kDword, rate = kDword, dataSize = kDword, offset = kDword;
  const BOOL ok =
      ReadWaveHeader2(path().c_str(), &extra, &avg, &align, &channels, &rate, &bits, &tag, &dataSize, &offset);
  if (ok) {
    if (offset > size) std::abort();
  } else if (extra != kWord || avg != kDword || align != kWord || channels != kWord || rate != kDword ||
             bits != kWord || tag != kWord || dataSize != kDword || offset != kDword) {
    std::abort();
  }
  return 0;
}
