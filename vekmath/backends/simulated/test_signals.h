// The simulated board's table of test signals: 10,000 rows of 32 channel
// columns that the caller fills through the SetTest* exports (vekmath.h)
// while the acquisition thread may be playing it.
#pragma once
#include <atomic>
#include <cstdint>

#include "acquisition/sampling_config.h"

namespace vekmath {

inline constexpr int32_t kTestRows = 10000;
inline constexpr int32_t kTestColumns = static_cast<int32_t>(kMaxChannels);

// The caller may refill the table while the thread plays it.
struct TestSignals {
  std::atomic<int32_t> table[kTestRows][kTestColumns];
  std::atomic<int32_t> length[kTestColumns];
  std::atomic<int32_t> pacing{100000};
  TestSignals() {
    for (auto& l : length) l.store(kTestRows);
  }
};

TestSignals& testSignals();

}  // namespace vekmath
