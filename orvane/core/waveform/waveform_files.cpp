// The binary and the text wave file, and the exchange with a multi-line text
// control. The binary file is opened without truncation, so that several
// waves can share one file at different offsets and the bytes around a
// wave survive its save.
#include <algorithm>
#include <bit>
#include <cerrno>
#include <cstring>
#include <cstdio>
#include <span>
#include <system_error>

#include <platform/host_files.h>

#include "core/ini_file.h"
#include "core/single_text.h"
#include "core/waveform/wave_bounds.h"
#include "core/waveform/waveform.h"

namespace orvane::core {

namespace {

constexpr int64_t kBannerSize = 48;
static_assert(sizeof(kWaveBinaryBanner) - 1 == kBannerSize);

[[noreturn]] void FileError(const std::string& path) {
  throw std::system_error(errno != 0 ? errno : EIO, std::generic_category(), path);
}

void PackLittleEndian(const float* src, size_t n, std::vector<unsigned char>& bytes) {
  bytes.resize(n * 4);
  for (size_t i = 0; i < n; ++i) {
    const uint32_t bits = std::bit_cast<uint32_t>(src[i]);
    for (int b = 0; b < 4; ++b) bytes[i * 4 + b] = static_cast<unsigned char>(bits >> (8 * b));
  }
}

float UnpackLittleEndian(const unsigned char* p) {
  const uint32_t bits = uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
  return std::bit_cast<float>(bits);
}

// What the file holds now, read through a handle open for update, so a
// read-only or unreachable file fails here; a missing file holds nothing.
std::string ExistingBytes(const std::string& path) {
  errno = 0;
  if (plat::HostPath(path.c_str()).empty()) FileError(path);
  plat::CFile file = plat::OpenFile(path.c_str(), "r+b");
  if (!file) {
    if (errno == ENOENT) return {};
    FileError(path);
  }
  std::string bytes;
  char block[65536];
  size_t n = 0;
  while ((n = std::fread(block, 1, sizeof block, file.get())) > 0) bytes.append(block, n);
  if (std::ferror(file.get())) FileError(path);
  return bytes;
}

// The file replaced in one step: a full disk leaves it as it was.
void WriteWhole(const std::string& path, const std::string& bytes) {
  errno = 0;
  if (!plat::WriteWholeFile(path.c_str(), bytes.data(), bytes.size())) FileError(path);
}

}  // namespace

int32_t WaveForm::SaveBinary(const std::string& strFile, int32_t lOffset) const {
  if (count_ == 0) return 0;
  if (lOffset < 0) wave::SubscriptError();
  const float* p = Segment(0, count_);
  const int64_t end = int64_t{lOffset} + kBannerSize + int64_t{4} * count_;
  if (end > INT32_MAX) throw std::overflow_error("Overflow");

  // The bytes around the wave stay; a gap before the offset reads as 0.
  std::string bytes = ExistingBytes(strFile);
  if (bytes.size() < static_cast<size_t>(end)) bytes.resize(static_cast<size_t>(end), '\0');
  std::memcpy(bytes.data() + lOffset, kWaveBinaryBanner, static_cast<size_t>(kBannerSize));
  size_t at = static_cast<size_t>(lOffset + kBannerSize);
  std::vector<unsigned char> chunk;
  for (int32_t k = 0; k < count_;) {
    const int32_t n = std::min(kDefaultWaveSize, count_ - k);
    PackLittleEndian(p + k, static_cast<size_t>(n), chunk);
    std::memcpy(bytes.data() + at, chunk.data(), chunk.size());
    at += chunk.size();
    k += n;
  }
  WriteWhole(strFile, bytes);
  return static_cast<int32_t>(end);
}

// Reads once, at most what the buffer holds: the samples asked for rounded
// up to whole chunks, as the file was always read, but never more than
// fit, and Count is what the file really gave. Stretch cells the file ends
// before are 0. The banner is read over and not compared, so that files
// written with another banner still load.
int32_t WaveForm::LoadBinary(const std::string& strFile, int32_t lReadNum, int32_t lOffset) {
  if (lOffset < 0) wave::SubscriptError();
  errno = 0;
  plat::CFile file = plat::OpenFile(strFile.c_str(), "rb");
  if (!file) FileError(strFile);

  int32_t chunk = kDefaultWaveSize;
  if (displayWidth_ != 0) {
    Allocate(displayWidth_);
    chunk = displayWidth_;
  }
  const int64_t chunks = lReadNum <= chunk ? 1 : (int64_t{lReadNum} + chunk - 1) / chunk;
  const int32_t wanted = static_cast<int32_t>(std::min<int64_t>(chunks * chunk, Capacity()));

  std::vector<unsigned char> bytes(static_cast<size_t>(wanted) * 4);
  size_t read = 0;
  if (fseeko(file.get(), off_t{lOffset} + kBannerSize, SEEK_SET) == 0)
    read = std::fread(bytes.data(), 1, bytes.size(), file.get());
  const int32_t got = static_cast<int32_t>(read / 4);
  for (int32_t i = 0; i < wanted; ++i)
    samples_[static_cast<size_t>(i)] = i < got ? UnpackLittleEndian(bytes.data() + 4 * i) : 0.0f;
  count_ = got;
  return static_cast<int32_t>(std::min<int64_t>(INT32_MAX, int64_t{lOffset} + kBannerSize + int64_t{4} * got));
}

// The lines up to a missing sample are written before its error is raised.
void WaveForm::SaveText(const std::string& strFile, int32_t lCnt) const {
  std::string lines;
  char text[kSingleTextMax];
  try {
    for (int32_t i = 0; i < lCnt; ++i) {
      wave::CheckIndex(i, Capacity());
      const size_t n = FormatSingle(samples_[static_cast<size_t>(i)], text);
      lines.append(text, n);
      lines += "\r\n";
      if (i % 10000 == 0 && pump_) pump_();
    }
  } catch (...) {
    WriteWhole(strFile, lines);
    throw;
  }
  WriteWhole(strFile, lines);
}

void WaveForm::ShowSamples(int32_t lStart, int32_t lWidth, std::string& rtxt) const {
  const float* p = Segment(lStart, lWidth);
  rtxt = ShowLines(std::span<const float>(p, static_cast<size_t>(lWidth)));
}

// More numeric lines than the buffer holds are refused before anything is
// copied.
void WaveForm::LoadFromText(const std::string& rtxt) {
  std::vector<float> values;
  const int32_t n = ParseNumberLines(rtxt, values);
  if (n > Capacity()) wave::SubscriptError();
  std::copy_n(values.begin(), n, samples_.begin());
}

}  // namespace orvane::core
