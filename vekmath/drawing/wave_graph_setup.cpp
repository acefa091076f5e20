// SetupWaveGraph and its two side calls: scales, bands, point rows and the
// display's pens, kept until the next setup.
#include <windows.h>
#include <wingdi.h>

#include <algorithm>
#include <cstring>

#include "acquisition/ring.h"
#include "acquisition/ring_length.h"
#include "acquisition/sampling_config.h"
#include "acquisition/selection.h"
#include "drawing/wave_graph.h"
#include "status/status_texts.h"
#include "vekmath.h"

namespace vekmath {
namespace {

// Counts one band spans. The resolution is set only by some back ends and
// the zero offset only by others, so each stands in for the other, and a
// board that gives neither gets a 16-bit band rather than a band of 0
// that would divide every y by zero.
double bandHeightFor(bool signedFirstChannel) {
  const int32_t bits = selection().resolution;
  const int32_t zero = selection().zeroOffset;
  const bool knownBits = bits >= 1 && bits <= 30;
  const double fromBits = knownBits ? static_cast<double>(int64_t{1} << bits) : 0.0;
  const double fromZero = zero > 0 ? 2.0 * zero : 0.0;
  const double first = signedFirstChannel ? fromBits : fromZero;
  const double second = signedFirstChannel ? fromZero : fromBits;
  if (first > 0.0) return first;
  if (second > 0.0) return second;
  return 65536.0;
}

// The ring follows the display's span. Only between runs: a ring that
// changed length under the acquisition thread would mix old and new scans.
void recomputeRingLength(int32_t span) {
  SamplingConfig& cfg = config();
  cfg.monitorSpan = span;
  Ring& r = ring();
  if (r.started.load() != 0 || r.running.load() != 0) return;
  const int64_t length = ringLengthFor(cfg);
  if (length > 0) {
    r.length.store(static_cast<int32_t>(length));
  } else if (length == 0) {
    r.length.store(0);
    cfg.lastStatus.store(kStatusRingLength);
    setOwnStatusText(kStatusRingLength);
  }
}

void fillWindow(WaveGraph& g, LONG colour) {
  if (g.dc.get() == nullptr) return;
  GdiObject brush;
  brush.reset(CreateSolidBrush(drawnColour(colour)));
  const RECT all{0, 0, g.width, g.height};
  FillRect(g.dc.get(), &all, static_cast<HBRUSH>(brush.get()));
}

HGDIOBJ pen(int style, LONG colour) { return CreatePen(style, 1, drawnColour(colour)); }

void makePens(WaveGraph& g) {
  g.deselect();
  for (int32_t c = 0; c < kTraces; ++c) {
    g.tracePens[c].reset(pen(PS_SOLID, g.traces[c].colour));
    g.dottedPens[c].reset(pen(PS_DOT, g.traces[c].referenceColour));
  }
  g.referencePen.reset(pen(PS_SOLID, g.settings.referenceColour));
  g.gridPen.reset(pen(PS_DOT, g.settings.gridColour));
  g.sweepPen.reset(pen(PS_SOLID, g.settings.sweepColour));
  g.erasePen.reset(pen(PS_SOLID, g.settings.background));
  g.background.reset(CreateSolidBrush(drawnColour(g.settings.background)));
}

void makePoints(WaveGraph& g) {
  g.points.clear();
  g.points.shrink_to_fit();
  g.rows = 0;
  g.span = std::max<int32_t>(g.settings.span, 0);
  const int64_t rows = std::clamp<int32_t>(config().channels, 0, kTraces);
  // The ring never holds more than its capacity, so neither can the rows.
  if (g.span == 0 || rows * g.span > kRingCapacity) return;
  g.rows = static_cast<int32_t>(rows);
  g.points.assign(static_cast<std::size_t>(rows * g.span + kSparePoints), POINT{0, 0});
  if (!(g.samplesPerPixel > 0.0)) return;
  for (int32_t c = 0; c < g.rows; ++c) {
    POINT* row = g.row(c);
    for (int32_t j = 0; j < g.span; ++j) row[j].x = g.xAt(j);
  }
}

}  // namespace
}  // namespace vekmath

DLL_EXPORT void WINAPI SetupWaveGraph(HWND window, const MonitorSettings* settings, const TraceParams* traces,
                                      LONG flag) {
  using namespace vekmath;
  if (settings == nullptr || traces == nullptr) return;
  WaveGraph& g = waveGraph();
  g.flag = flag;
  g.visibleCount = 0;
  // Selected objects cannot be deleted: take the previous context out of
  // use before its pens are replaced.
  g.window = window;
  g.dc.reset(window);
  std::memcpy(g.traces, traces, sizeof g.traces);
  g.settings = *settings;

  const int32_t channels = std::clamp<int32_t>(config().channels, 0, kTraces);
  g.bandHeight = bandHeightFor(config().dataFormat[0] != 0);
  std::fill(std::begin(g.visible), std::end(g.visible), -1);
  for (int32_t c = 0; c < channels; ++c) {
    if (g.traces[c].visible != -1) continue;
    const int32_t k = g.visibleCount++;
    g.visible[k] = c + 1;
    g.centre[k] = k * g.bandHeight + g.bandHeight / 2.0;
  }

  RECT rect{};
  if (window == nullptr || !GetWindowRect(window, &rect)) rect = RECT{0, 0, 0, 0};
  g.width = rect.right - rect.left;
  g.height = rect.bottom - rect.top;
  g.eraseRect = RECT{0, 0, 0, g.height};
  g.previousSweep = SweepLine{};
  g.sweep = 0;
  g.gridIndex = 0;
  g.previousScans = 0;
  // With no trace shown the scale stays as it was: nothing uses it then.
  if (g.visibleCount > 0) g.countsPerPixel = g.visibleCount * g.bandHeight / g.height;
  g.samplesPerPixel = static_cast<double>(g.settings.span) / g.width;

  makePoints(g);
  makePens(g);
  fillWindow(g, g.settings.background);
  recomputeRingLength(g.settings.span);
  g.live = true;
}

DLL_EXPORT void WINAPI SetupWaveGraph_XLINE(HWND, const GridLine* lines) {
  using namespace vekmath;
  if (lines == nullptr) return;
  WaveGraph& g = waveGraph();
  std::memcpy(g.gridLines, lines, sizeof g.gridLines);
  g.deselect();
  for (int32_t i = 0; i < kGridLines; ++i)
    g.gridLinePens[i].reset(CreatePen(g.gridLines[i].style, 1, drawnColour(static_cast<LONG>(g.gridLines[i].colour))));
}

DLL_EXPORT void WINAPI SetupWaveGraph2(LONG value) { vekmath::waveGraph().rebuild = value; }
