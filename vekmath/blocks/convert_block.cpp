// Raw blocks to physical values. The monitor converts every block it shows
// and writes, so the work is laid out for the vector units: a tile of scans
// is turned from scan order into channel columns (eight channels by eight
// scans at a time where the processor has the shuffles), then every column
// is converted with unit strides and a fixed length, which the vectoriser
// takes even at -O2.
#include <cstddef>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "vekmath.h"

namespace vekmath {
namespace {

constexpr size_t kTileScans = 256;
constexpr size_t kGroup = 8;

using Columns = int16_t[CALIBRATION_CHANNELS][kTileScans];

// The formula in the order the values were calibrated with; a rewritten
// form (one factor instead of the product and the quotient) would round
// differently in the last place.
void convertColumn(float* __restrict out, const int16_t* __restrict column, const CalibrationRecord& record) {
  const double v0 = record.baseValue;
  const double calAd = record.calAd;
  const double baseAd = record.baseAd;
  const double span = static_cast<double>(record.calValue) - v0;
  for (size_t j = 0; j < kTileScans; ++j) {
    out[j] = static_cast<float>((static_cast<double>(column[j]) - baseAd) * span / calAd + v0);
  }
}

void gatherScalar(Columns& columns, const int16_t* tile, size_t stride, size_t firstChannel, size_t firstScan,
                  size_t scans) {
  for (size_t c = firstChannel; c < stride; ++c) {
    for (size_t j = firstScan; j < scans; ++j) columns[c][j] = tile[j * stride + c];
  }
}

#if defined(__SSE2__)
// Eight scans of eight channels: rows in, columns out.
void transpose8x8(Columns& columns, const int16_t* rows, size_t stride, size_t channel, size_t scan) {
  __m128i r[kGroup];
  for (size_t i = 0; i < kGroup; ++i) {
    r[i] = _mm_loadu_si128(reinterpret_cast<const __m128i*>(rows + (scan + i) * stride + channel));
  }
  __m128i a0 = _mm_unpacklo_epi16(r[0], r[1]), a1 = _mm_unpackhi_epi16(r[0], r[1]);
  __m128i a2 = _mm_unpacklo_epi16(r[2], r[3]), a3 = _mm_unpackhi_epi16(r[2], r[3]);
  __m128i a4 = _mm_unpacklo_epi16(r[4], r[5]), a5 = _mm_unpackhi_epi16(r[4], r[5]);
  __m128i a6 = _mm_unpacklo_epi16(r[6], r[7]), a7 = _mm_unpackhi_epi16(r[6], r[7]);
  __m128i b0 = _mm_unpacklo_epi32(a0, a2), b1 = _mm_unpackhi_epi32(a0, a2);
  __m128i b2 = _mm_unpacklo_epi32(a1, a3), b3 = _mm_unpackhi_epi32(a1, a3);
  __m128i b4 = _mm_unpacklo_epi32(a4, a6), b5 = _mm_unpackhi_epi32(a4, a6);
  __m128i b6 = _mm_unpacklo_epi32(a5, a7), b7 = _mm_unpackhi_epi32(a5, a7);
  const __m128i out[kGroup] = {_mm_unpacklo_epi64(b0, b4), _mm_unpackhi_epi64(b0, b4),
                               _mm_unpacklo_epi64(b1, b5), _mm_unpackhi_epi64(b1, b5),
                               _mm_unpacklo_epi64(b2, b6), _mm_unpackhi_epi64(b2, b6),
                               _mm_unpacklo_epi64(b3, b7), _mm_unpackhi_epi64(b3, b7)};
  for (size_t i = 0; i < kGroup; ++i) {
    _mm_storeu_si128(reinterpret_cast<__m128i*>(&columns[channel + i][scan]), out[i]);
  }
}
#endif

// Columns of the first `scans` scans of the tile; the rest keeps what it held.
void gather(Columns& columns, const int16_t* tile, size_t stride, size_t scans) {
#if defined(__SSE2__)
  const size_t groups = stride / kGroup * kGroup;
  const size_t blocks = scans / kGroup * kGroup;
  for (size_t c = 0; c < groups; c += kGroup) {
    for (size_t j = 0; j < blocks; j += kGroup) transpose8x8(columns, tile, stride, c, j);
  }
  // Channels past the last group, and the scans past the last block of the group channels.
  gatherScalar(columns, tile, stride, groups, 0, scans);
  for (size_t c = 0; c < groups; ++c) {
    for (size_t j = blocks; j < scans; ++j) columns[c][j] = tile[j * stride + c];
  }
#else
  gatherScalar(columns, tile, stride, 0, 0, scans);
#endif
}

}  // namespace
}  // namespace vekmath

DLL_EXPORT void WINAPI ConvertBlock(FLOAT* dst, const SHORT* raw, SHORT channels, LONG scans,
                                    const CalibrationRecord* records) {
  using namespace vekmath;
  if (dst == nullptr || raw == nullptr || records == nullptr) return;
  if (channels < 1 || channels > CALIBRATION_CHANNELS || scans < 1) return;
  const size_t stride = static_cast<size_t>(channels);
  const size_t total = static_cast<size_t>(scans);
  // Past the end of a short last tile the columns hold earlier scans (or
  // zeros); they are converted with the rest and never stored.
  alignas(32) Columns columns = {};
  alignas(32) float values[kTileScans];
  for (size_t first = 0; first < total; first += kTileScans) {
    const size_t count = total - first < kTileScans ? total - first : kTileScans;
    gather(columns, raw + first * stride, stride, count);
    for (size_t c = 0; c < stride; ++c) {
      convertColumn(values, columns[c], records[c]);
      std::memcpy(dst + c * total + first, values, count * sizeof(float));
    }
  }
}
