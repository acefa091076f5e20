// The trace points rebuilt from the sample ring: the current span up to
// the write index, and the rest of the display from the span before it.
#include "acquisition/ring.h"
#include "acquisition/sampling_config.h"
#include "drawing/wave_graph.h"

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
    const TraceScale scale = g.scaleOf(k, c);
    for (int64_t j = 0; j < r0; ++j) row[j].y = scale.y(loadSample(r.samples[start + n * j + c]));
    // The older part begins one span before the write index, at point r0;
    // it starts at most one ring length back and never reaches the write
    // index, so one wrap back to the ring end covers it.
    int64_t at = w - spanSamples + c;
    if (at < 0) at += R;
    for (int64_t j = r0; j < S; ++j) {
      row[j].y = scale.y(olderExists ? loadSample(r.samples[at]) : uint16_t{0});
      at += n;
      if (at >= R) at -= R;
    }
  }
}

}  // namespace vekmath
