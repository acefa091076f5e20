#include "buffer_listing.h"

#include <cstdio>

#include "core/toolkit.h"

namespace orvane::forms {

namespace {

// A box whose number does not convert reads 0, as one holding letters.
double Number(const std::string& text) { return core::ValIfInRange(text).value_or(0.0); }

}  // namespace

std::optional<RingStretch> PlanStretch(const std::string& channels, const std::string& start,
                                       const std::string& scans) {
  using core::CLng;
  try {
    RingStretch s;
    s.channels = CLng(Number(channels));
    if (s.channels < 1) return std::nullopt;
    s.start = CLng(Number(start) * s.channels);
    // Scans first, so that the cut keeps whole scans.
    const double asked = Number(scans);
    const int32_t most = kViewerMaxSamples / s.channels;
    s.scans = asked > most ? most : CLng(asked);
    if (s.scans < 0) s.scans = 0;
    s.size = s.scans * s.channels;
    s.firstLine = CLng(static_cast<double>(s.start) / s.channels);
    // The listing numbers every scan: the last number must fit 32 bits too.
    if (int64_t{s.firstLine} + s.scans - 1 > INT32_MAX) return std::nullopt;
    return s;
  } catch (const core::ToolkitError&) {
    return std::nullopt;
  }
}

std::string ListSamples(const uint16_t* samples, const RingStretch& stretch,
                        const std::function<bool(int32_t j)>& step) {
  std::string text;
  text.reserve(static_cast<size_t>(stretch.size) * 5 + static_cast<size_t>(stretch.scans) * 11 + 16);
  char piece[24];
  int32_t line = stretch.firstLine;
  std::snprintf(piece, sizeof piece, "%06d : ", line);
  text += piece;
  for (int32_t j = 0; j < stretch.size; ++j) {
    if (step && !step(j)) break;
    if (j % stretch.channels == 0 && j != 0) {
      std::snprintf(piece, sizeof piece, "\r\n%06d : ", ++line);
      text += piece;
    }
    std::snprintf(piece, sizeof piece, "%04X,", static_cast<unsigned>(samples[j]));
    text += piece;
  }
  return text;
}

std::string HexMirror(const std::string& text) {
  if (!core::IsNumeric(text)) return {};
  try {
    char hex[12];
    std::snprintf(hex, sizeof hex, "%X", static_cast<uint32_t>(core::CLng(core::Val(text))));
    return hex;
  } catch (const core::ToolkitError&) {
    return {};
  }
}

}  // namespace orvane::forms
