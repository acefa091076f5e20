// Reads the format and data chunks of a WAVE file through the multimedia
// file I/O. The format record is filled from at most its own 18 bytes, so an
// extensible or crafted format chunk cannot write past it; what follows in
// the chunk is skipped by ascending out of it.
#include "media/wave_header.h"

#include <cstring>

#include "acquisition/sampling_config.h"
#include "vekmath.h"

namespace vekmath {

namespace {

// The plain format without its extra-size field.
constexpr uint32_t kShortFormat = 16;

struct MmioFile {
  HMMIO handle;
  explicit MmioFile(const char* path) : handle(mmioOpenA(const_cast<char*>(path), nullptr, MMIO_READ)) {}
  ~MmioFile() {
    if (handle != nullptr) mmioClose(handle, 0);
  }
  MmioFile(const MmioFile&) = delete;
  MmioFile& operator=(const MmioFile&) = delete;
};

}  // namespace

std::optional<WaveHeader> readWaveHeader(const char* path) {
  if (path == nullptr) return std::nullopt;
  MmioFile file(path);
  if (file.handle == nullptr) return std::nullopt;

  MMCKINFO riff{};
  riff.fccType = mmioFOURCC('W', 'A', 'V', 'E');
  if (mmioDescend(file.handle, &riff, nullptr, MMIO_FINDRIFF) != MMSYSERR_NOERROR) return std::nullopt;
  MMCKINFO fmt{};
  fmt.ckid = mmioFOURCC('f', 'm', 't', ' ');
  if (mmioDescend(file.handle, &fmt, &riff, MMIO_FINDCHUNK) != MMSYSERR_NOERROR) return std::nullopt;
  if (fmt.cksize < kShortFormat) return std::nullopt;

  WaveHeader header{};
  const LONG wanted = static_cast<LONG>(fmt.cksize < sizeof(WaveFormat) ? fmt.cksize : sizeof(WaveFormat));
  char record[sizeof(WaveFormat)] = {};
  if (mmioRead(file.handle, record, wanted) != wanted) return std::nullopt;
  // A 17-byte chunk holds half an extra size: too little to mean anything.
  if (wanted < static_cast<LONG>(sizeof(WaveFormat))) record[16] = record[17] = 0;
  std::memcpy(&header.format, record, sizeof record);
  if (mmioAscend(file.handle, &fmt, 0) != MMSYSERR_NOERROR) return std::nullopt;

  MMCKINFO data{};
  data.ckid = mmioFOURCC('d', 'a', 't', 'a');
  if (mmioDescend(file.handle, &data, &riff, MMIO_FINDCHUNK) != MMSYSERR_NOERROR) return std::nullopt;
  header.dataSize = data.cksize;
  header.dataOffset = data.dwDataOffset;
  return header;
}

}  // namespace vekmath

namespace {

template <typename T>
void put(T* out, T value) {
  if (out != nullptr) *out = value;
}

BOOL report(const char* path, WORD* extraSize, DWORD* avgBytesPerSec, WORD* blockAlign, WORD* channels,
            DWORD* samplesPerSec, WORD* bitsPerSample, WORD* formatTag, DWORD* dataSize, DWORD* dataOffset) {
  // The last status tells of the last call, and a header read has none.
  vekmath::config().lastStatus.store(0);
  std::optional<vekmath::WaveHeader> header = vekmath::readWaveHeader(path);
  if (!header) return FALSE;
  const vekmath::WaveFormat& f = header->format;
  put(extraSize, WORD{f.extraSize});
  put(avgBytesPerSec, DWORD{f.avgBytesPerSec});
  put(blockAlign, WORD{f.blockAlign});
  put(channels, WORD{f.channels});
  put(samplesPerSec, DWORD{f.samplesPerSec});
  put(bitsPerSample, WORD{f.bitsPerSample});
  put(formatTag, WORD{f.formatTag});
  put(dataSize, DWORD{header->dataSize});
  put(dataOffset, DWORD{header->dataOffset});
  return TRUE;
}

}  // namespace

DLL_EXPORT BOOL WINAPI ReadWaveHeader(const char* path, WORD* extraSize, DWORD* avgBytesPerSec, WORD* blockAlign,
                                      WORD* channels, DWORD* samplesPerSec, WORD* bitsPerSample, WORD* formatTag,
                                      DWORD* dataSize) {
  return report(path, extraSize, avgBytesPerSec, blockAlign, channels, samplesPerSec, bitsPerSample, formatTag,
                dataSize, nullptr);
}

DLL_EXPORT BOOL WINAPI ReadWaveHeader2(const char* path, WORD* extraSize, DWORD* avgBytesPerSec, WORD* blockAlign,
                                       WORD* channels, DWORD* samplesPerSec, WORD* bitsPerSample, WORD* formatTag,
                                       DWORD* dataSize, DWORD* dataOffset) {
  return report(path, extraSize, avgBytesPerSec, blockAlign, channels, samplesPerSec, bitsPerSample, formatTag,
                dataSize, dataOffset);
}
