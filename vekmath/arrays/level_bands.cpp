#include "arrays/level_bands.h"

#include <limits>

namespace vekmath::bands {

namespace {

using Order = std::array<int8_t, kBands>;

// Rows of the search order, one per (band of i-2, band of i-1) pair; every
// pair of the 36 is named exactly once (checked below).
struct Row {
  uint8_t twoBeforeMask;  // bit b set: band b of sample i-2 selects the row
  int8_t previous;
  Order order;
};

constexpr uint8_t bandsIn(int from, int to) {
  uint8_t mask = 0;
  for (int b = from; b <= to; ++b) mask = static_cast<uint8_t>(mask | (1u << b));
  return mask;
}

constexpr Row kRows[] = {
    {bandsIn(1, 1), 1, {1, 2, 3, 4, 5, 6}}, {bandsIn(1, 1), 2, {2, 3, 1, 4, 5, 6}},
    {bandsIn(1, 2), 3, {3, 4, 2, 5, 1, 6}}, {bandsIn(1, 3), 4, {4, 5, 3, 6, 2, 1}},
    {bandsIn(1, 2), 5, {5, 4, 6, 3, 2, 1}}, {bandsIn(1, 6), 6, {6, 5, 4, 3, 2, 1}},
    {bandsIn(2, 2), 1, {2, 1, 3, 4, 5, 6}}, {bandsIn(2, 6), 2, {2, 1, 3, 4, 5, 6}},
    {bandsIn(3, 6), 1, {1, 2, 3, 4, 5, 6}}, {bandsIn(3, 6), 3, {3, 2, 4, 1, 5, 6}},
    {bandsIn(4, 6), 4, {4, 3, 5, 2, 6, 1}}, {bandsIn(3, 4), 5, {5, 6, 4, 3, 2, 1}},
    {bandsIn(5, 6), 5, {5, 4, 6, 3, 2, 1}},
};

struct OrderTable {
  Order rows[kBands][kBands]{};   // [band of i-2 - 1][band of i-1 - 1]
  int covered[kBands][kBands]{};  // how many rows name the pair
};

constexpr OrderTable buildTable() {
  OrderTable table{};
  for (const Row& row : kRows) {
    for (int b = 1; b <= kBands; ++b) {
      if ((row.twoBeforeMask & (1u << b)) == 0) continue;
      table.rows[b - 1][row.previous - 1] = row.order;
      ++table.covered[b - 1][row.previous - 1];
    }
  }
  return table;
}

constexpr OrderTable kTable = buildTable();

constexpr bool everyPairOnce() {
  for (const auto& line : kTable.covered)
    for (int n : line)
      if (n != 1) return false;
  return true;
}
static_assert(everyPairOnce(), "each band pair needs exactly one search order");

bool holds(float value, int band, const Bounds& bounds) {
  return value > bounds.above[band] && value <= bounds.upTo[band];
}

}  // namespace

Bounds boundsFor(const LevelBand& band) {
  const float top = std::numeric_limits<float>::max();
  const float halfUp = band.level + band.width / 2;
  const float halfDown = band.level - band.width / 2;
  Bounds b;
  b.above = {0, band.upper, halfUp, band.level, halfDown, band.lower, -top};
  b.upTo = {0, top, band.upper, halfUp, band.level, halfDown, band.lower};
  return b;
}

int firstBand(float value, const Bounds& bounds) {
  for (int band = 1; band < kBands; ++band)
    if (value > bounds.above[band]) return band;
  return kBands;
}

int nextBand(float value, int twoBefore, int previous, const Bounds& bounds) {
  for (int8_t band : kTable.rows[twoBefore - 1][previous - 1])
    if (holds(value, band, bounds)) return band;
  return previous;
}

}  // namespace vekmath::bands
