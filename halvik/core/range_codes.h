// Range codes: the fixed table of input and output ranges and the
// conversions between counts and physical values.
#pragma once
#include <cstdint>

namespace halvik {

// 1 for a known code (limits written), 0 otherwise (both 0). Nothing is
// written when an output is NULL (result 0).
int GetRangeLimits(int16_t code, float* max, float* min);
// The code whose limits equal the pair, or -1.
int16_t FindRangeCode(float max, float min);

// Min + (Max - Min) x count / D, D = 65536 for 16 bits and 4096 for any
// other resolution (taken as 12 bits).
float CountToValue(float max, float min, int16_t resolution, int32_t count);
// (value - Min) x D / (Max - Min) truncated, kept to 0..D-1; 0 when Max
// equals Min.
int32_t ValueToCount(float max, float min, int16_t resolution, float value);

}  // namespace halvik
