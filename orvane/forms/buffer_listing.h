// The buffer viewer's arithmetic without widgets: which stretch of the ring
// a request names, the hexadecimal listing of the copied samples and the
// mirror boxes' texts.
#pragma once
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace orvane::forms {

// The viewer's copy buffer; a copy writes one sample more than it asks for.
inline constexpr int32_t kViewerBufferSamples = 65536;
inline constexpr int32_t kViewerMaxSamples = kViewerBufferSamples - 1;

struct RingStretch {
  int32_t channels = 0;
  int32_t start = 0;      // samples
  int32_t size = 0;       // samples, at most kViewerMaxSamples
  int32_t scans = 0;      // size / channels: the scans the copy holds
  int32_t firstLine = 0;  // the listing's first line number
};

// The stretch the channel, start and size boxes ask for (start and size in
// scans); the size is cut to what the copy buffer holds. A box whose number
// does not convert reads 0. Empty when the channel count is below 1 or a
// value, the listing's last line number included, does not fit 32 bits.
std::optional<RingStretch> PlanStretch(const std::string& channels, const std::string& start,
                                       const std::string& scans);

// The listing of samples[0 .. size): "000000 : " before the first scan, CR
// LF and the next line number before every further one, then four
// upper-case hexadecimal digits and "," per sample. step(j) runs before
// sample j and ends the listing by returning false.
std::string ListSamples(const uint16_t* samples, const RingStretch& stretch,
                        const std::function<bool(int32_t j)>& step);

// What a mirror box shows for a number box's text: the hexadecimal form of
// the rounded value (32-bit two's complement), "" when the text is no number.
std::string HexMirror(const std::string& text);

}  // namespace orvane::forms
