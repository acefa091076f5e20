// Pure conversions: clock codes, converter codes and the checks the
// configuration exports share. No state, no requests.
#pragma once
#include <cstdint>

namespace skorra {

struct Span {
  double low;
  double high;
};

// Span of a range code for conversions (bit 30 masked off). The current
// ranges 0x1000 and 0x2000 are given in mA (0..20, 4..20), as the level
// checks take them, so that a level that passes converts inside the scale.
Span rangeSpan(uint32_t range);

// Oscillator numbers of SkDividerToFrequency (2 = 8 MHz ... 8 = 12.288 MHz)
// differ from those of the base-oscillator exports (1 = 8 MHz ...).
enum DividerOsc : uint32_t {
  kDivOsc8M = 2, kDivOsc20M = 3, kDivOsc2_4576M = 4, kDivOsc40M = 5,
  kDivOsc24_576M = 6, kDivOsc36M = 7, kDivOsc12_288M = 8,
};

uint32_t findClockDividerPair(float frequency);
uint32_t frequencyToClockCode(float frequency);
uint32_t frequencyToDivider(float frequency, uint32_t kind);
float dividerToFrequency(uint32_t code, uint32_t oscillator);
uint32_t baseOscToDivider(float frequency, uint32_t oscillator);
float baseOscDividerToFrequency(uint32_t divider, uint32_t oscillator);

uint32_t voltToCode(float volts, uint32_t range, uint32_t mode, uint32_t bits, uint32_t model);
uint32_t voltToCodeSpan(float hysteresis, uint32_t range, uint32_t mode, uint32_t bits, uint32_t model);
float codeToVoltConfig(uint32_t code, uint32_t range, uint32_t bits);
float codeToVoltConfig2(uint32_t code, uint32_t range, uint32_t bits, uint32_t mode);
float codeToVoltRange(uint32_t code, uint32_t bits, uint32_t range);

uint32_t checkMaxFrequency(float frequency, uint32_t mode, uint32_t clockType, uint32_t channels,
                           const uint32_t periods[4]);
uint32_t checkTriggerLevel(uint32_t range, float level);
uint32_t bmCheckTriggerLevel(uint32_t range, float level, float hysteresis);

}  // namespace skorra
