#include "drawing/live_draw.h"

#include <platform/window_surface.h>
#include <windows.h>
#include <wingdi.h>

#include <algorithm>

#include "drawing/wave_graph.h"

namespace vekmath {
namespace {

// Erases the old sweep line and the strip ahead, then draws the new sweep
// line and, when its interval is reached, a vertical grid line.
void clearStrip(WaveGraph& g, int32_t p, int32_t scans) {
  HDC dc = g.dc.get();
  const SweepLine& old = g.previousSweep;
  const LONG left = g.xAt(p);
  const LONG right = p + scans >= g.span ? g.width : g.xAt(p + scans) + g.settings.eraseWidth;
  g.eraseRect = RECT{left, 0, right, g.height};
  // Several passes share a pixel column when a pixel holds more than one
  // scan: the old sweep line then lies inside the strip, whose fill covers
  // it, and a full-height line less is drawn.
  const bool covered = old.x >= left && old.x < right && old.top >= 0 && old.bottom <= g.height;
  if (!covered) drawLine(dc, g.erasePen.get(), old.x, old.top, old.x, old.bottom);
  FillRect(dc, &g.eraseRect, static_cast<HBRUSH>(g.background.get()));
  drawLine(dc, g.sweepPen.get(), left, 0, left, g.height);
  const LONG interval = g.settings.gridInterval;
  if (interval > 0) {
    const int32_t index = p / interval;
    if (index != g.gridIndex) {
      const LONG x = pixel(static_cast<double>(interval) * index / g.samplesPerPixel - 1.0);
      drawLine(dc, g.gridPen.get(), x, 0, x, g.height);
      g.gridIndex = index;
    }
  }
  g.previousSweep = SweepLine{left, 0, g.height};
}

}  // namespace

void drawLiveStrip(const RingSpan& samples, int32_t channels) {
  WaveGraph& g = waveGraph();
  if (!g.live || channels <= 0) return;
  if (g.sweep >= g.span) {
    g.sweep = 0;
    g.gridIndex = 0;
  }
  if (samples.count <= 0 || !g.drawable()) return;
  const int32_t p = g.sweep;
  // A strip past the right edge would run into the next channel's row: the
  // scans beyond it are left for no sweep at all.
  const int32_t fresh = static_cast<int32_t>(std::min<int64_t>(samples.count / channels, g.span - p));
  if (fresh <= 0) return;
  const int32_t minimumBack = static_cast<int32_t>(std::min((g.samplesPerPixel + 1.0) * 2.0, 1e9));
  const int32_t back = std::max(g.previousScans + fresh, minimumBack);
  g.previousScans = fresh;

  // One change report for the strip rather than one per line, and no
  // window look-up per drawing call.
  const PlatSurfaceBatch batch(g.window);
  clearStrip(g, p, fresh);

  for (int32_t k = 0; k < g.visibleCount; ++k) {
    const int32_t c = g.visible[k] - 1;
    POINT* row = g.row(c);
    if (row == nullptr || c >= channels) continue;
    const TraceScale scale = g.scaleOf(k, c);
    for (int32_t j = 0; j < fresh; ++j) row[p + j].y = scale.y(samples[int64_t{j} * channels + c]);
  }

  const int32_t b = std::min(p, back);
  const int32_t from = p - b;
  const int32_t count = b + fresh;
  const LONG x1 = g.xAt(from) + 1;
  const LONG x2 = std::max(x1, g.xAt(p + fresh));
  HDC dc = g.dc.get();
  bool first = true;
  for (int32_t k = 0; k < g.visibleCount; ++k) {
    const int32_t c = g.visible[k] - 1;
    POINT* row = g.row(c);
    if (row == nullptr) continue;
    if (first) drawGridLines(g, x1, x2);
    first = false;
    drawReferenceLines(g, k, x1, x2);
    // Polyline starts at its first point on its own: a move there first
    // would be one more drawing call per trace and strip.
    SelectObject(dc, g.tracePens[c].get());
    Polyline(dc, row + from, count);
  }
  g.sweep = p + fresh;
}

}  // namespace vekmath
