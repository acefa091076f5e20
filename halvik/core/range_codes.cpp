#include "range_codes.h"

#include <halvik.h>

#include <cmath>

#include "trace_log.h"

namespace halvik {

namespace {

struct RangeRow {
  int16_t code;
  float max;
  float min;
};

// In the order of the reverse lookup; 14 and 62 come last, so that they
// only add matches.
constexpr RangeRow kRanges[] = {
    {0, 10.0f, -10.0f},    {1, 5.0f, -5.0f},        {2, 2.5f, -2.5f},         {3, 1.25f, -1.25f},
    {4, 1.0f, -1.0f},      {5, 0.625f, -0.625f},    {6, 0.5f, -0.5f},         {7, 0.3125f, -0.3125f},
    {8, 0.25f, -0.25f},    {9, 0.125f, -0.125f},    {10, 0.1f, -0.1f},        {11, 0.05f, -0.05f},
    {12, 0.025f, -0.025f}, {13, 0.0125f, -0.0125f}, {50, 10.0f, 0.0f},        {51, 5.0f, 0.0f},
    {52, 4.095f, 0.0f},    {53, 2.5f, 0.0f},        {54, 1.25f, 0.0f},        {55, 1.0f, 0.0f},
    {56, 0.5f, 0.0f},      {57, 0.25f, 0.0f},       {58, 0.1f, 0.0f},         {59, 0.05f, 0.0f},
    {60, 0.025f, 0.0f},    {61, 0.0125f, 0.0f},     {100, 20.0f, 0.0f},       {101, 20.0f, 4.0f},
    {150, 5.0f, 1.0f},     {14, 0.01f, -0.01f},     {62, 0.01f, 0.0f},
};

double divisor(int16_t resolution) { return resolution == 16 ? 65536.0 : 4096.0; }

}  // namespace

int GetRangeLimits(int16_t code, float* max, float* min) {
  if (max == nullptr || min == nullptr) return 0;
  for (const RangeRow& row : kRanges) {
    if (row.code == code) {
      *max = row.max;
      *min = row.min;
      return 1;
    }
  }
  *max = 0.0f;
  *min = 0.0f;
  return 0;
}

int16_t FindRangeCode(float max, float min) {
  for (const RangeRow& row : kRanges) {
    if (row.max == max && row.min == min) return row.code;
  }
  return -1;
}

float CountToValue(float max, float min, int16_t resolution, int32_t count) {
  return static_cast<float>(min + (static_cast<double>(max) - min) * count / divisor(resolution));
}

int32_t ValueToCount(float max, float min, int16_t resolution, float value) {
  if (max == min) return 0;
  const double d = divisor(resolution);
  const double count = std::trunc((static_cast<double>(value) - min) * d / (static_cast<double>(max) - min));
  if (!(count > 0.0)) return 0;  // NaN too
  return count >= d - 1.0 ? static_cast<int32_t>(d - 1.0) : static_cast<int32_t>(count);
}

}  // namespace halvik

using namespace halvik;

DLL_EXPORT LONG WINAPI XanGetRangeValue(short RangeData, float* Max, float* Min) {
  WriteDebugLog("XanGetRangeValue Start :RangeData=%d\r\n", RangeData);
  float max = 0.0f;
  float min = 0.0f;
  GetRangeLimits(RangeData, &max, &min);
  if (Max != nullptr) *Max = max;
  if (Min != nullptr) *Min = min;
  WriteDebugLog("XanGetRangeValue End :Ret=0, Max=%f, Min=%f\r\n", max, min);
  return 0;
}

DLL_EXPORT LONG WINAPI XanGetRangeData(float Max, float Min, short* RangeData) {
  WriteDebugLog("XanGetRangeData Start :Max=%f, Min=%f\r\n", Max, Min);
  int16_t code = FindRangeCode(Max, Min);
  if (code >= 0 && RangeData != nullptr) *RangeData = code;
  WriteDebugLog("XanGetRangeData End :Ret=0, RangeData=%d\r\n", RangeData != nullptr ? *RangeData : code);
  return 0;
}
