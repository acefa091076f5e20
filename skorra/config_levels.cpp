#include "config_levels.h"

#include "config_rules.h"
#include "convert.h"

namespace skorra {

bool levelTriggerCodes(const SkChannelEntry* channels, uint32_t count, uint32_t channel, TriggerLevel wanted,
                       LevelScale scale, uint32_t model, LevelCodes& out) {
  int i = findChannel(channels, count, channel);
  if (i < 0) return false;
  uint32_t range = channels[i].range;
  if (!(wanted.hysteresis >= 0.0f) || bmCheckTriggerLevel(range, wanted.level, wanted.hysteresis) != 0) return false;
  out.level = voltToCode(wanted.level, range, scale.mode, scale.bits, model);
  out.hysteresis = voltToCodeSpan(wanted.hysteresis, range, scale.mode, scale.bits, model);
  int64_t lo = static_cast<int64_t>(out.level) - out.hysteresis / 2;
  int64_t hi = static_cast<int64_t>(out.level) + out.hysteresis / 2;
  return lo >= 0 && lo <= scale.top && hi <= scale.top;
}

TriggerLevel readBackLevel(const SkChannelEntry* channels, uint32_t count, uint32_t channel, LevelCodes codes,
                           uint32_t bits, uint32_t mode, TriggerLevel remembered) {
  int i = findChannel(channels, count, channel);
  if (i < 0) return remembered;
  return {codeToVoltConfig(codes.level, channels[i].range, bits),
          codeToVoltConfig2(codes.hysteresis, channels[i].range, bits, mode)};
}

}  // namespace skorra
