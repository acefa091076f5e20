// The rule that fits the ring to a configuration; SetupSampling and the
// monitor wave graph both apply it.
#pragma once
#include <cstdint>

#include "acquisition/sampling_config.h"

namespace vekmath {

// The ring length for cfg, or -1 when it stays as it is (no channels).
// Lengths outside 1..ring capacity come back as 0. A wrap must keep scans
// aligned, so the length is a whole number of scans. With no monitor span
// the block length is stored as the span.
int64_t ringLengthFor(SamplingConfig& cfg);

}  // namespace vekmath
