// What the waveform's drawing members share: the library's drawing entry
// points, the picture's context, the y range of a lane and the monitor's
// colour record.
#pragma once
#include <windef.h>

#include <array>
#include <cstdint>

#include "core/vekmath_calls.h"
#include "core/waveform/waveform.h"
#include "picture_box.h"

namespace orvane::forms::wave {

// Calls an entry point of the library when it is bound.
template <class Fn, class... Args>
void Call(Fn fn, Args... args) {
  if (fn) fn(args...);
}

inline const core::VekmathCalls& Api() { return core::VekmathInUse(); }

// Contexts travel as 32-bit values (handles stay below 2^31).
inline HDC ToHdc(int32_t value) { return reinterpret_cast<HDC>(static_cast<intptr_t>(value)); }

// kOwnDC becomes the picture's own context, written back.
HDC ResolveDc(PictureBox& picture, int32_t& hDC);

struct YRange {
  float top, bottom;
};
// The y range of a full draw (and of the marks): the lane's band with the
// margins, the wave's own range, or the lane's fractions.
YRange FullRange(const core::WaveForm& w);

// A window size of 0 would make every pixel worth an infinite value.
void CheckWindowSize(int size);

inline constexpr LONG kRed = RGB(255, 0, 0);
inline constexpr LONG kGreen = RGB(0, 255, 0);
inline constexpr LONG kBlue = RGB(0, 0, 255);
inline constexpr LONG kDotted = 2;
inline constexpr LONG kCharWidth = 6, kCharHeight = 12;

// The monitor's colour record: six colour and style values.
const std::array<LONG, 6>& ColourRecord();

}  // namespace orvane::forms::wave
