// Channel counts and board memory by board type.
#include "startup/startup.h"

namespace morvel00 {

namespace {

// 16 / (C + 1) and its kin: a C of 0xFFFFFFFF makes C + 1 wrap to 0, which
// gives the board no channels rather than a division by zero.
uint16_t Divided(uint32_t channels, uint32_t config) {
  const uint32_t divisor = config + 1;
  return divisor == 0 ? 0 : static_cast<uint16_t>(channels / divisor);
}

struct TypeRow {
  uint16_t first, last;  // board types first..last
  uint16_t input, output;
};

// Types with fixed counts.
constexpr TypeRow kFixed[] = {
    {12, 12, 8, 0},  {14, 14, 8, 0},  {22, 23, 8, 0},   {32, 33, 8, 0},  {150, 150, 8, 0},
    {21, 21, 16, 0}, {31, 31, 16, 0}, {24, 24, 4, 0},   {58, 58, 4, 0},  {151, 151, 4, 0},
    {59, 59, 5, 0},  {34, 34, 8, 2},  {40, 40, 8, 2},   {6, 6, 0, 4},    {8, 8, 0, 4},
    {26, 26, 0, 4},  {35, 35, 0, 4},  {37, 37, 0, 4},   {101, 102, 0, 4}, {155, 156, 0, 4},
    {9, 10, 0, 8},   {25, 25, 0, 8},  {28, 28, 0, 8},   {103, 103, 0, 8}, {15, 15, 0, 6},
    {27, 27, 0, 16}, {100, 100, 0, 16}, {36, 36, 0, 2}, {65535, 65535, 128, 128},
};

bool IsMultiplexed(uint32_t t) {
  return t <= 3 || (t >= 50 && t <= 53) || t == 201 || t == 203 || (t >= 210 && t <= 217);
}

}  // namespace

ChannelCounts ChannelsFor(uint32_t t, uint32_t c, bool configBit) {
  ChannelCounts counts;
  if (IsMultiplexed(t)) {
    counts.needsConfigBit = true;
    counts.memorySamples = (t == 201 || t == 203 || t >= 210) ? 16'777'216u : 262'144u;
    if (c == 0 || c == 2) {
      counts.input = configBit ? 32 : 16;
      counts.output = 1;
    } else if (c == 1 || c == 3) {
      counts.input = configBit ? 16 : 8;
      counts.output = 1;
    }
    return counts;
  }
  switch (t) {
    case 54:
      counts.input = Divided(16, c);
      counts.memorySamples = 262'144u;
      return counts;
    case 7: case 11: case 13: case 20: case 30:
      counts.input = Divided(16, c);
      return counts;
    case 29:
      counts.input = Divided(32, c);
      return counts;
    case 55:
      counts.input = Divided(64, c);
      counts.keepConfig = true;
      return counts;
    case 56:
      counts.input = Divided(16, c);
      counts.keepConfig = true;
      return counts;
    default:
      break;
  }
  for (const TypeRow& row : kFixed) {
    if (t >= row.first && t <= row.last) {
      counts.input = row.input;
      counts.output = row.output;
      return counts;
    }
  }
  return counts;
}

}  // namespace morvel00
