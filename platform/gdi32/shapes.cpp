#include "gdi32/shapes.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace plat::gdi {

namespace {

bool hasPen(const Dc& dc) { return dc.penData.style != PS_NULL; }
bool hasBrush(const Dc& dc) { return !dc.brushData.hollow; }
Mix penMix(const Dc& dc) { return mixOf(dc.rop2, dc.penData.color); }
Mix brushMix(const Dc& dc) { return mixOf(dc.rop2, dc.brushData.color); }
// Dashes are a property of one-pixel pens; wider pens draw solid.
bool dashed(const Dc& dc) { return dc.penData.width <= 1 && dashesOf(dc.penData.style).count > 0; }

// Per row, the run [from, to) of an ellipse whose bounding box is
// [left, right) x [top, bottom): the pixels whose centres lie inside.
struct Runs {
  LONG top = 0;
  std::vector<std::pair<LONG, LONG>> rows;
  std::pair<LONG, LONG> at(LONG y) const {
    const LONG i = y - top;
    if (i < 0 || i >= static_cast<LONG>(rows.size())) return {0, 0};
    return rows[static_cast<size_t>(i)];
  }
};

// Far-off coordinates folded into a range that no arithmetic below can
// overflow; the parts they stand for lie outside every surface anyway.
LONG tame(double v) { return static_cast<LONG>(std::clamp(v, -1073741824.0, 1073741824.0)); }

Runs ellipseRuns(double cx, double cy, double rx, double ry, LONG top, LONG bottom) {
  Runs runs;
  runs.top = top;
  for (LONG y = top; y < bottom; ++y) {
    std::pair<LONG, LONG> run{0, 0};
    if (rx > 0 && ry > 0) {
      const double d = (y + 0.5 - cy) / ry;
      if (d * d <= 1.0) {
        const double half = rx * std::sqrt(1.0 - d * d);
        const LONG from = tame(std::ceil(cx - half - 0.5));
        const LONG to = tame(std::floor(cx + half - 0.5) + 1);
        if (to > from) run = {from, to};
      }
    }
    runs.rows.push_back(run);
  }
  return runs;
}

}  // namespace

Stroke strokeOf(const Dc& dc) {
  Stroke s;
  s.visible = hasPen(dc);
  s.width = dc.penData.width;
  s.ink = penMix(dc);
  s.gap = mixOf(dc.rop2, dc.bkColor);
  s.opaque = dc.bkMode == OPAQUE;
  if (dashed(dc)) s.dashes = dashesOf(dc.penData.style);
  return s;
}

void penLine(Canvas& c, const Stroke& s, LONG x0, LONG y0, LONG x1, LONG y1) {
  if (!s.visible || c.target().empty()) return;
  if (s.width > 1) {
    wideLine(c.target(), x0, y0, x1, y1, s.width, s.ink, c.changed());
    return;
  }
  line(c.target(), x0, y0, x1, y1, s.ink, s.opaque ? &s.gap : nullptr, s.dashes, c.dc().dashPhase, c.changed());
}

void penLine(Canvas& c, LONG x0, LONG y0, LONG x1, LONG y1) { penLine(c, strokeOf(c.dc()), x0, y0, x1, y1); }

void polyline(Canvas& c, const POINT* p, int n) {
  c.dc().dashPhase = 0;
  const Stroke s = strokeOf(c.dc());
  if (s.visible && s.width <= 1 && s.dashes.count == 0) {
    // The traces' case, drawn as one chain.
    if (!c.target().empty()) solidLines(c.target(), p, n, s.ink, c.dc().dashPhase, c.changed());
    return;
  }
  for (int i = 1; i < n; ++i) penLine(c, s, p[i - 1].x, p[i - 1].y, p[i].x, p[i].y);
}

void rectangle(Canvas& c, LONG left, LONG top, LONG right, LONG bottom) {
  Dc& dc = c.dc();
  const Target& target = c.target();
  Box& box = c.changed();
  if (target.empty()) return;
  const int64_t w = std::min<int64_t>(dc.penData.width, int64_t{1} << 24);
  // Sides far outside the surface are moved in to just outside it, where
  // they draw the same pixels with no risk of overflow.
  auto near = [&](int64_t v, LONG extent) { return static_cast<LONG>(std::clamp<int64_t>(v, -2 * w - 2, extent + 2 * w + 2)); };
  LONG l = near(std::min(left, right), target.width), r = near(std::max(left, right), target.width);
  LONG t = near(std::min(top, bottom), target.height), b = near(std::max(top, bottom), target.height);
  if (!hasPen(dc)) {
    // Without a pen the inside reaches one pixel less to the right and down.
    if (hasBrush(dc)) fill(target, l, t, r - 1, b - 1, brushMix(dc), box);
    return;
  }
  const LONG pw = static_cast<LONG>(w);
  if (int64_t{r} - l <= 2 * w || int64_t{b} - t <= 2 * w) {
    fill(target, l, t, r, b, penMix(dc), box);
    return;
  }
  if (hasBrush(dc)) fill(target, l + pw, t + pw, r - pw, b - pw, brushMix(dc), box);
  if (dashed(dc)) {
    dc.dashPhase = 0;
    const Stroke s = strokeOf(dc);
    penLine(c, s, l, t, r - 1, t);
    penLine(c, s, r - 1, t, r - 1, b - 1);
    penLine(c, s, r - 1, b - 1, l, b - 1);
    penLine(c, s, l, b - 1, l, t);
    return;
  }
  const Mix ink = penMix(dc);
  fill(target, l, t, r, t + pw, ink, box);
  fill(target, l, b - pw, r, b, ink, box);
  fill(target, l, t + pw, l + pw, b - pw, ink, box);
  fill(target, r - pw, t + pw, r, b - pw, ink, box);
}

void ellipse(Canvas& c, LONG l, LONG t, LONG r, LONG b) {
  if (l > r) std::swap(l, r);
  if (t > b) std::swap(t, b);
  Dc& dc = c.dc();
  const Target& target = c.target();
  if (target.empty()) return;
  const LONG top = std::max<LONG>(t, 0), bottom = std::min<LONG>(b, target.height);
  if (top >= bottom) return;
  const double cx = (static_cast<double>(l) + r) / 2, cy = (static_cast<double>(t) + b) / 2;
  const double rx = (static_cast<double>(r) - l) / 2, ry = (static_cast<double>(b) - t) / 2;
  const Runs outer = ellipseRuns(cx, cy, rx, ry, top, bottom);
  const LONG w = hasPen(dc) ? dc.penData.width : 0;
  const Runs inner = ellipseRuns(cx, cy, rx - w, ry - w, top, bottom);
  const Mix ink = penMix(dc), paint = brushMix(dc);
  for (LONG y = top; y < bottom; ++y) {
    auto [from, to] = outer.at(y);
    if (to <= from) continue;
    auto [in0, in1] = inner.at(y);
    if (in1 <= in0) {
      span(target, y, from, to, w ? ink : paint, c.changed());
      continue;
    }
    if (w) {
      span(target, y, from, in0, ink, c.changed());
      span(target, y, in1, to, ink, c.changed());
    }
    if (hasBrush(dc)) span(target, y, in0, in1, paint, c.changed());
  }
}

void polygon(Canvas& c, const POINT* p, int n) {
  Dc& dc = c.dc();
  const Target& target = c.target();
  if (target.empty() || n < 2) return;
  if (hasBrush(dc) && n >= 3) {
    LONG lo = p[0].y, hi = p[0].y;
    for (int i = 1; i < n; ++i) {
      lo = std::min(lo, p[i].y);
      hi = std::max(hi, p[i].y);
    }
    lo = std::max<LONG>(lo, 0);
    hi = std::min<LONG>(hi, target.height);
    const Mix paint = brushMix(dc);
    std::vector<double> xs;
    for (LONG y = lo; y < hi; ++y) {
      const double yc = y + 0.5;
      xs.clear();
      for (int i = 0; i < n; ++i) {
        const POINT& a = p[i];
        const POINT& e = p[(i + 1) % n];
        if (a.y == e.y) continue;
        const double y0 = std::min(a.y, e.y), y1 = std::max(a.y, e.y);
        if (yc < y0 || yc >= y1) continue;
        xs.push_back(a.x + (yc - a.y) * (static_cast<double>(e.x) - a.x) / (static_cast<double>(e.y) - a.y));
      }
      std::sort(xs.begin(), xs.end());
      for (size_t k = 0; k + 1 < xs.size(); k += 2) {
        const double from = std::clamp(std::ceil(xs[k] - 0.5), -1.0, static_cast<double>(target.width));
        const double to = std::clamp(std::ceil(xs[k + 1] - 0.5), -1.0, static_cast<double>(target.width));
        span(target, y, static_cast<LONG>(from), static_cast<LONG>(to), paint, c.changed());
      }
    }
  }
  dc.dashPhase = 0;
  const Stroke s = strokeOf(dc);
  for (int i = 0; i < n; ++i) penLine(c, s, p[i].x, p[i].y, p[(i + 1) % n].x, p[(i + 1) % n].y);
}

}  // namespace plat::gdi
