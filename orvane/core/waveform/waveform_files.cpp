// The binary and the text wave file, and the exchange with a multi-line text
// control. The binary file is opened without truncation, so that several
// waves can share one file at different offsets and the bytes around a
// wave survive its save.
#include <algorithm>
#include <bit>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <span>
#include <system_error>

#include "core/ini_file.h"
#include "core/single_text.h"
#include "core/waveform/wave_bounds.h"
#include "core/waveform/waveform.h"

namespace orvane::core {

namespace {

constexpr std::streamoff kBannerSize = 48;
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

// Open for update without truncating; a missing file is created first.
std::fstream OpenForUpdate(const std::string& path) {
  errno = 0;
  std::fstream file(path, std::ios::in | std::ios::out | std::ios::binary);
  if (!file.is_open()) {
    { std::ofstream create(path, std::ios::out | std::ios::binary | std::ios::app); }
    errno = 0;
    file.open(path, std::ios::in | std::ios::out | std::ios::binary);
  }
  if (!file.is_open()) FileError(path);
  return file;
}

}  // namespace

int32_t WaveForm::SaveBinary(const std::string& strFile, int32_t lOffset) const {
  if (count_ == 0) return 0;
  if (lOffset < 0) wave::SubscriptError();
  const float* p = Segment(0, count_);
  const int64_t end = int64_t{lOffset} + kBannerSize + int64_t{4} * count_;
  if (end > INT32_MAX) throw std::overflow_error("Overflow");

  std::fstream file = OpenForUpdate(strFile);
  file.seekp(lOffset);
  file.write(kWaveBinaryBanner, kBannerSize);
  std::vector<unsigned char> chunk;
  for (int32_t k = 0; k < count_;) {
    const int32_t n = std::min(kDefaultWaveSize, count_ - k);
    PackLittleEndian(p + k, static_cast<size_t>(n), chunk);
    file.write(reinterpret_cast<const char*>(chunk.data()), static_cast<std::streamsize>(chunk.size()));
    k += n;
  }
  file.flush();
  if (!file) FileError(strFile);
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
  std::ifstream file(strFile, std::ios::in | std::ios::binary);
  if (!file.is_open()) FileError(strFile);

  int32_t chunk = kDefaultWaveSize;
  if (displayWidth_ != 0) {
    Allocate(displayWidth_);
    chunk = displayWidth_;
  }
  const int64_t chunks = lReadNum <= chunk ? 1 : (int64_t{lReadNum} + chunk - 1) / chunk;
  const int32_t wanted = static_cast<int32_t>(std::min<int64_t>(chunks * chunk, Capacity()));

  std::vector<unsigned char> bytes(static_cast<size_t>(wanted) * 4);
  file.seekg(lOffset + kBannerSize);
  if (file) file.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  const int32_t got = static_cast<int32_t>(std::max<std::streamsize>(0, file.gcount()) / 4);
  for (int32_t i = 0; i < wanted; ++i)
    samples_[static_cast<size_t>(i)] = i < got ? UnpackLittleEndian(bytes.data() + 4 * i) : 0.0f;
  count_ = got;
  return static_cast<int32_t>(std::min<int64_t>(INT32_MAX, int64_t{lOffset} + kBannerSize + int64_t{4} * got));
}

void WaveForm::SaveText(const std::string& strFile, int32_t lCnt) const {
  errno = 0;
  std::ofstream file(strFile, std::ios::out | std::ios::binary | std::ios::trunc);
  if (!file.is_open()) FileError(strFile);
  char text[kSingleTextMax];
  for (int32_t i = 0; i < lCnt; ++i) {
    wave::CheckIndex(i, Capacity());
    const size_t n = FormatSingle(samples_[static_cast<size_t>(i)], text);
    file.write(text, static_cast<std::streamsize>(n));
    file.write("\r\n", 2);
    if (i % 10000 == 0 && pump_) pump_();
  }
  file.flush();
  if (!file) FileError(strFile);
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
