// The trace points rebuilt from the sample ring: the current span up to
// the write index, and the rest of the display from the span before it.
#include "ring.h"
#include "state.h"
#include "wave_graph_state.h"

namespace vekmath {

void rebuildTracePoints() {
  WaveGraph& g = waveGraph();
  Ring& r = ring();
  const int64_t n = config().channels;
  const int64_t S = g.span;
  const int64_t R = r.length.load();
  const int64_t w = r.writeIndex.load();
  // A ring shorter than one span, or no scale, has nothing to rebuild from.
  if (n <= 0 || S <= 0 || R < n * S || w < 0 || w > R || !g.drawable()) return;
  const int64_t spanSamples = n * S;
  const int64_t q = w / spanSamples;
  const int64_t start = q * spanSamples;
  const int64_t r0 = (w % spanSamples) / n;
  const bool olderExists = q > 0 || r.wrapped.load() != 0;
  for (int32_t k = 0; k < g.visibleCount; ++k) {
    const int32_t c = g.visible[k] - 1;
    POINT* row = g.row(c);
    if (row == nullptr || c >= n) continue;
    for (int64_t j = 0; j < r0; ++j) row[j].y = g.traceY(k, c, r.samples[start + n * j + c]);
    // The older part begins one span before the write index, at point r0.
    for (int64_t j = r0; j < S; ++j) {
      uint16_t v = 0;
      if (olderExists) {
        int64_t at = w - spanSamples + n * (j - r0) + c;
        if (at < 0) at += R;
        v = r.samples[at % R];
      }
      row[j].y = g.traceY(k, c, v);
    }
  }
}

}  // namespace vekmath
