// Fuzz target for the video decoder: the input is a stream format and its
// samples. Its first four bytes pick the format (MJPEG, MPEG-4, 24- or
// 32-bit uncompressed, top-down or bottom-up) and the size; then each
// sample is a 16-bit little-endian length and its bytes, the last one cut
// off at the input's end. Each sample ends right before a page without
// access, as a sample read from a file ends its buffer; a picture must be
// the header its format states and that many bytes, and nothing may be
// written past them.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "../tests/guarded_bytes.h"
#include "media/video_decoder.h"

using plat::media::VideoDecoder;

namespace {

void check(bool ok, const char* what) {
  if (ok) return;
  std::fprintf(stderr, "video_decoder_fuzz: %s\n", what);
  std::abort();
}

BITMAPINFOHEADER formatFrom(const uint8_t* head) {
  static const struct {
    DWORD compression;
    WORD bits;
  } kFormats[] = {{mmioFOURCC('M', 'J', 'P', 'G'), 24}, {mmioFOURCC('D', 'I', 'V', 'X'), 24}, {BI_RGB, 24}, {BI_RGB, 32}};
  const auto& pick = kFormats[head[0] % 4];
  BITMAPINFOHEADER format{};
  format.biSize = sizeof format;
  format.biWidth = 1 + (head[1] | (head[2] << 8)) % 320;
  format.biHeight = 1 + head[3] % 64;
  if ((head[0] & 0x80) != 0) format.biHeight = -format.biHeight;  // top-down
  format.biPlanes = 1;
  format.biBitCount = pick.bits;
  format.biCompression = pick.compression;
  return format;
}

constexpr size_t kRoom = 64;
constexpr uint8_t kMark = 0xA5;

size_t rowBytes(int width) { return (static_cast<size_t>(width) * 3 + 3) & ~size_t{3}; }

// The bitmap the format's picture takes.
size_t imageBytes(const BITMAPINFOHEADER& format) {
  return sizeof format + rowBytes(format.biWidth) * static_cast<size_t>(std::abs(format.biHeight));
}

void checkPicture(const std::vector<uint8_t>& bitmap) {
  BITMAPINFOHEADER header;
  check(bitmap.size() >= sizeof header, "a picture without its header");
  std::memcpy(&header, bitmap.data(), sizeof header);
  check(header.biBitCount == 24 && header.biCompression == BI_RGB && header.biWidth > 0 && header.biHeight > 0,
        "a picture that is not packed bottom-up BGR");
  check(header.biSizeImage == rowBytes(header.biWidth) * static_cast<size_t>(header.biHeight),
        "an image size that is not its rows");
  check(bitmap.size() == sizeof header + header.biSizeImage, "a bitmap of another size than its header");
}

}  // namespace

// The coding libraries' complaints about broken input would drown the
// fuzzer's own lines.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
  av_log_set_level(AV_LOG_QUIET);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 4) return 0;
  const BITMAPINFOHEADER format = formatFrom(data);
  std::unique_ptr<VideoDecoder> decoder = VideoDecoder::open(format, 0);
  if (!decoder) return 0;
  std::vector<uint8_t> bitmap;
  for (size_t at = 4; at < size;) {
    size_t length = size - at;
    if (length >= 2) {
      length = std::min<size_t>(data[at] | (data[at + 1] << 8), size - at - 2);
      at += 2;
    }
    GuardedBytes sample(length);
    check(sample.data() != nullptr, "no guarded memory");
    std::memcpy(sample.data(), data + at, length);
    at += length;
    // The scaler is not instrumented: marked room behind the bitmap shows
    // its writes past it.
    const size_t kept = bitmap.size();
    bitmap.resize(std::max(bitmap.capacity(), imageBytes(format) + kRoom));
    std::fill(bitmap.begin() + static_cast<std::ptrdiff_t>(kept), bitmap.end(), kMark);
    bitmap.resize(kept);
    if (decoder->decode(sample.data(), length, bitmap) != VideoDecoder::Result::Picture) continue;
    checkPicture(bitmap);
    // A smaller picture leaves the earlier one's bytes behind it.
    const uint8_t* room = bitmap.data() + std::max(bitmap.size(), kept);
    const uint8_t* end = bitmap.data() + bitmap.capacity();
    check(std::all_of(room, end, [](uint8_t b) { return b == kMark; }), "a write past the bitmap");
  }
  return 0;
}
