// DrawWaveGraph: the whole display from the point rows, and the display's
// end.
#include <windows.h>
#include <wingdi.h>

#include "acquisition/ring.h"
#include "blocks/read_block.h"
#include "drawing/wave_graph.h"
#include "vekmath.h"

namespace vekmath {
namespace {

void drawVerticalGrid(WaveGraph& g) {
  const LONG interval = g.settings.gridInterval;
  if (interval == 0) return;
  g.gridIndex = 0;
  // A negative interval would count lines for ever; it draws none.
  if (interval < 0) return;
  for (LONG i = 1; i <= g.span / interval - 1; ++i) {
    const LONG x = pixel(static_cast<double>(interval) * i / g.samplesPerPixel - 1.0);
    drawLine(g.dc.get(), g.gridPen.get(), x, 0, x, g.height);
  }
}

void drawWhole(WaveGraph& g) {
  if (g.rebuild == 1) rebuildTracePoints();
  if (g.sweep == 0 || g.points.empty() || !g.drawable()) return;
  HDC dc = g.dc.get();
  const SweepLine& old = g.previousSweep;
  drawLine(dc, g.erasePen.get(), old.x, old.top, old.x, old.bottom);
  const LONG left = g.points[0].x;
  const RECT all{left, 0, g.width, g.height};
  FillRect(dc, &all, static_cast<HBRUSH>(g.background.get()));
  drawLine(dc, g.sweepPen.get(), left, 0, left, g.height);
  drawVerticalGrid(g);

  const LONG first = g.xAt(0);
  const LONG last = g.xAt(g.span - 1);
  // The grid lines go down once, under every trace's reference lines, as
  // the live strips draw them; drawing them again per trace would only
  // repaint the same pixels.
  if (g.visibleCount > 0) drawGridLines(g, 0, last);
  for (int32_t k = 0; k < g.visibleCount; ++k) drawReferenceLines(g, k, first, last);
  for (int32_t c = 0; c < g.rows; ++c) {
    if (g.traces[c].visible != -1) continue;
    const POINT* row = g.row(c);
    SelectObject(dc, g.tracePens[c].get());
    MoveToEx(dc, row[0].x, row[0].y, nullptr);
    Polyline(dc, row, g.span);
  }
}

}  // namespace

// StopSampling clears the started flag before it redraws, so the redraw
// itself does not look at it.
void redrawWaveGraph() { drawWhole(waveGraph()); }

void restartSweep() {
  resetReaderForRun();
  WaveGraph& g = waveGraph();
  g.sweep = 0;
  g.previousScans = 0;
}

void releaseWaveGraph() {
  WaveGraph& g = waveGraph();
  g.live = false;
  g.dc.reset();
  for (auto& p : g.tracePens) p.reset();
  for (auto& p : g.dottedPens) p.reset();
  for (auto& p : g.gridLinePens) p.reset();
  g.referencePen.reset();
  g.gridPen.reset();
  g.sweepPen.reset();
  g.erasePen.reset();
  g.background.reset();
  g.points.clear();
  g.points.shrink_to_fit();
  g.rows = 0;
  g.window = nullptr;
}

}  // namespace vekmath

DLL_EXPORT void WINAPI DrawWaveGraph(void) {
  if (vekmath::ring().started.load() != 0) vekmath::redrawWaveGraph();
}
