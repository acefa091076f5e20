// The level-crossing detector: two levels with hysteresis on one channel of
// an interleaved ring. Self-contained (no library state), so that the lists
// around it and the benchmark can drive it directly.
#pragma once
#include <cstdint>

namespace vekmath {

struct TriggerSettings {
  int32_t channels = 0;        // n, samples per scan
  int32_t triggerChannel = 0;  // c, 1-based place in the scan; 0 = none
  int32_t levelA = 0;          // counts relative to the zero
  int32_t levelB = 0;
  int32_t offsetScans = 0;  // d, where the window starts relative to the crossing
  int32_t blockScans = 0;   // L, window length
  int32_t zero = 0;         // subtracted from unsigned channels
  bool signedData = false;  // the channel's raw data is two's complement
  // 1: B >= A, an event needs a fall through B and then A; 0: rises.
  uint8_t direction = 0;
};

// Set by crossings, kept across passes until an event is recorded.
struct TriggerFlags {
  bool roseB = false, fellB = false, roseA = false, fellA = false;
  int32_t roseBScan = 0, fellBScan = 0, roseAScan = 0, fellAScan = 0;
};

// x mod m in [0, m), for m > 0.
constexpr int64_t floorMod(int64_t x, int64_t m) {
  const int64_t r = x % m;
  return r < 0 ? r + m : r;
}

class TriggerDetector {
 public:
  void arm(const TriggerSettings& settings) {
    settings_ = settings;
    flags_ = {};
  }
  void clearFlags() { flags_ = {}; }
  const TriggerFlags& flags() const { return flags_; }
  const TriggerSettings& settings() const { return settings_; }

  // Looks at `scans` scans, L + d scans behind the pass's data that begins
  // at write index w, and calls onEvent(position) for every qualifying
  // crossing. Positions are ring positions: at or past the ring length they
  // fold to the next lap's start; a negative one (the window begins before
  // the last wrap) is given out only once the ring has wrapped, else the
  // event is dropped. Every ring index is taken modulo the ring length, so
  // no setting reads outside the ring.
  template <class OnEvent>
  void scan(const uint16_t* ring, int32_t ringLength, int32_t w, int32_t scans, bool wrapped, OnEvent&& onEvent) {
    const int64_t n = settings_.channels;
    const int64_t c = settings_.triggerChannel;
    const int64_t r = ringLength;
    if (n <= 0 || c <= 0 || c > n || r < n || scans <= 0) return;
    const int64_t back = (int64_t{settings_.blockScans} + settings_.offsetScans) * n;
    int64_t p = w - back;
    if (p < 0) {
      if (!wrapped) return;
      p = r - back + w;
    }
    if (settings_.signedData) {
      run<true>(ring, n, c, r, p / n, scans, wrapped, onEvent);
    } else {
      run<false>(ring, n, c, r, p / n, scans, wrapped, onEvent);
    }
  }

 private:
  template <bool Signed, class OnEvent>
  void run(const uint16_t* ring, int64_t n, int64_t c, int64_t r, int64_t firstScan, int32_t scans, bool wrapped,
           OnEvent& onEvent) {
    const int32_t a = settings_.levelA;
    const int32_t b = settings_.levelB;
    const int32_t zero = settings_.zero;
    const bool falling = settings_.direction == 1;
    auto value = [zero](uint16_t raw) -> int32_t {
      if constexpr (Signed) {
        return static_cast<int16_t>(raw);
      } else {
        return static_cast<int32_t>(raw) - zero;
      }
    };
    // Local copies: the loop keeps them in registers.
    TriggerFlags f = flags_;
    int64_t current = floorMod(n * firstScan + c - 1, r);
    int64_t previous = floorMod(current - n, r);
    for (int32_t k = 0; k < scans; ++k) {
      const int32_t s = static_cast<int32_t>(firstScan + k);
      const int32_t pv = value(ring[previous]);
      const int32_t qv = value(ring[current]);
      if (pv <= b) {
        if (qv > b) {
          f.roseB = true;
          f.roseBScan = s;
        } else if (pv == b && qv < b) {
          f.fellB = true;
          f.fellBScan = s;
        }
      } else if (qv < b) {
        f.fellB = true;
        f.fellBScan = s;
      }
      bool offered = false;
      if (pv <= a && qv > a) {
        f.roseA = true;
        f.roseAScan = s;
        offered = true;
      } else if (pv >= a && qv < a) {
        f.fellA = true;
        f.fellAScan = s;
        offered = true;
      }
      if (offered && (falling ? (f.fellA && f.fellB) : (f.roseA && f.roseB))) {
        int64_t position = (int64_t{settings_.offsetScans} + s) * n;
        if (position >= r || position < -r) position = floorMod(position, r);
        if (position >= 0 || wrapped) onEvent(static_cast<int32_t>(position));
        f = {};
      }
      previous = current;
      current += n;
      if (current >= r) current -= r;
    }
    flags_ = f;
  }

  TriggerSettings settings_;
  TriggerFlags flags_;
};

}  // namespace vekmath
