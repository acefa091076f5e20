#include "config_clock.h"

#include "convert.h"

namespace skorra {

bool clockCodeOf(float f, uint32_t kind, uint32_t& code) {
  code = 0;
  switch (kind) {
    case 1:
      if (f == -1.0f) return false;
      code = findClockDividerPair(f);
      return true;
    case 2:
      code = frequencyToClockCode(f);
      return code != 255;
    case 3: code = frequencyToDivider(f, 0); return true;
    case 4: code = frequencyToDivider(f, 2); return true;
    case 5: code = frequencyToDivider(f, 3); return true;
    case 6: code = frequencyToDivider(f, 4); return true;
    case 7: code = frequencyToDivider(f, 6); return true;
    default: return true;
  }
}

float clockFrequencyOf(uint32_t code, uint32_t kind, bool& remember) {
  remember = false;
  switch (kind) {
    case 1:
      remember = code == 0x3E80008u || code == 0x7D00008u;
      return code == 0x3E80008u ? 1000.0f : code == 0x7D00008u ? 500.0f : 0.0f;
    case 2:
      remember = code == 3;
      return code == 3 ? 1000000.0f : 0.0f;
    case 3: return dividerToFrequency(code, kDivOsc8M);
    case 4: return dividerToFrequency(code, kDivOsc20M);
    case 5:
      if (code == 0xFFFFFFFFu) return -1.0f;
      return dividerToFrequency(code, (code & 0x1000000u) ? kDivOsc2_4576M : kDivOsc8M);
    case 6: return dividerToFrequency(code, kDivOsc12_288M);
    case 7: return dividerToFrequency(code, kDivOsc36M);
    default: return 0.0f;
  }
}

float readBackClockFrequency(DeviceSlot& s, uint32_t code, uint32_t kind) {
  if (s.lastFrequency != 0.0f) return s.lastFrequency;
  bool remember = false;
  const float f = clockFrequencyOf(code, kind, remember);
  if (remember) s.lastFrequency = f;
  return f;
}

}  // namespace skorra
