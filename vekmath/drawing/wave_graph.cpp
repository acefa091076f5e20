#include "drawing/wave_graph.h"

#include <cmath>

#include "acquisition/sampling_config.h"
#include "acquisition/selection.h"

namespace vekmath {

WaveGraph& waveGraph() {
  static WaveGraph* instance = new WaveGraph;
  return *instance;
}

bool WaveGraph::drawable() const {
  auto positive = [](double v) { return std::isfinite(v) && v > 0.0; };
  return live && dc.get() != nullptr && width > 0 && height > 0 && span > 0 && !points.empty() &&
         positive(countsPerPixel) && positive(samplesPerPixel);
}

TraceScale WaveGraph::scaleOf(int32_t place, int32_t c) const {
  TraceScale s;
  s.isSigned = config().dataFormat[c] == 1;
  s.zero = s.isSigned ? 0.0 : static_cast<double>(selection().zeroOffset);
  s.centre = centre[place];
  s.gain = traces[c].gain;
  s.offset = traces[c].offset;
  s.countsPerPixel = countsPerPixel;
  return s;
}

LONG WaveGraph::levelY(int32_t place, int32_t c, double counts) const {
  return pixel((centre[place] - traces[c].offset + counts) / countsPerPixel);
}

void drawLine(HDC dc, HGDIOBJ pen, LONG x1, LONG y1, LONG x2, LONG y2) {
  SelectObject(dc, pen);
  // The pixels of a move and a line to, in one drawing call: the live
  // strips draw a hundred of these for every pass of the reader.
  const POINT ends[2] = {{x1, y1}, {x2, y2}};
  Polyline(dc, ends, 2);
}

void drawGridLines(WaveGraph& g, LONG x1, LONG x2) {
  for (int32_t i = 0; i < kGridLines; ++i) {
    const GridLine& line = g.gridLines[i];
    if (line.drawn != -1 || g.gridLinePens[i].get() == nullptr) continue;
    const LONG y = g.gridY(line);
    // A one-pixel line above or below the window leaves no pixel; the live
    // strips would pay two drawing calls for each.
    if (y < 0 || y >= g.height) continue;
    drawLine(g.dc.get(), g.gridLinePens[i].get(), x1, y, x2, y);
  }
}

void drawReferenceLines(WaveGraph& g, int32_t k, LONG x1, LONG x2) {
  const int32_t c = g.visible[k] - 1;
  const TraceParams& t = g.traces[c];
  HDC dc = g.dc.get();
  if (t.referenceLines != -1) {
    const LONG y = g.levelY(k, c, 0.0);
    drawLine(dc, g.referencePen.get(), x1, y, x2, y);
  }
  if (t.referenceStep == 0) return;
  SelectObject(dc, g.dottedPens[c].get());
  for (LONG i = 1; i <= t.referenceLines; ++i) {
    const double counts = static_cast<double>(i) * t.referenceStep;
    const LONG below = g.levelY(k, c, counts);
    const LONG above = g.levelY(k, c, -counts);
    // The lines only move further out: once both are off the window, so
    // are all the rest, however many were asked for.
    auto off = [&](LONG y) { return y < 0 || y >= g.height; };
    if (off(below) && off(above)) break;
    MoveToEx(dc, x1, below, nullptr);
    LineTo(dc, x2, below);
    MoveToEx(dc, x1, above, nullptr);
    LineTo(dc, x2, above);
  }
}

}  // namespace vekmath
