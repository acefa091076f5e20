// The level and window triggers: the rows of the plain exports, which the
// physical-value forms reuse for their requests.
#pragma once
#include "ai_forms.h"

namespace halvik::ai_rows {

// A level trigger: {int32 level at 4, get flag at 8, AiChannel at 10,
// AiDirection at 12}, 20 bytes; the getter's answer also holds the range
// code at 14 and the resolution at 16.
struct LevelCodes {
  const char* set;
  const char* get;
  const char* levelTrace;  // "AiStartLevel=%d"
  const char* levelEnd;    // "*AiStartLevel=%d"
  LONG setChannel, setDirection;
  LONG getChannel, getLevel, getDirection;
  DWORD code;
  WORD cmd;
};

constexpr Row levelSet(const LevelCodes& c) {
  return {.name = c.set,
          .args = {{Kind::I16, "AiChannel=%d"}, {Kind::I32, c.levelTrace}, {Kind::I16, "AiDirection=%d"}},
          .checks = {aboveUnsigned(0, 255, c.setChannel), aboveUnsigned(2, 2, c.setDirection)},
          .kernel = kernel(c.code, kAiFamily, 0,
                           {put16(ai::kChannel, 0), put32(ai::kLevel, 1), put16(ai::kDirection, 2)}),
          .virtualDevice = command(c.cmd, 20, {put32(4, 1), const16(8, 0), put16(10, 0), put16(12, 2)})};
}
constexpr Row levelGet(const LevelCodes& c) {
  return {.name = c.get,
          .args = {{Kind::I16, "AiChannel=%d"}, {Kind::OutI32}, {Kind::OutI16}},
          .checks = {aboveUnsigned(0, 255, c.getChannel), null(1, c.getLevel), null(2, c.getDirection)},
          .kernel = kernel(c.code, kAiFamily, 1, {put16(ai::kChannel, 0)},
                           {get32(ai::kLevel, 1), get16(ai::kDirection, 2)}),
          .virtualDevice = command(c.cmd, 20, {const16(8, 1), put16(10, 0)}, {get32(4, 1), get16(12, 2)}),
          .endText = c.levelEnd};
}
// The getter's request with the range code and the resolution as
// arguments 3 and 4.
constexpr Row levelGetWithRange(const LevelCodes& c) {
  Row row = quiet(levelGet(c));
  row.args[3] = {Kind::OutI16};
  row.args[4] = {Kind::OutI16};
  row.kernel = kernel(c.code, kAiFamily, 1, {put16(ai::kChannel, 0)},
                      {get32(ai::kLevel, 1), get16(ai::kDirection, 2), get16(ai::kRange, 3),
                       get16(ai::kResolution, 4)});
  row.virtualDevice = command(c.cmd, 20, {const16(8, 1), put16(10, 0)},
                              {get32(4, 1), get16(12, 2), get16(14, 3), get16(16, 4)});
  return row;
}

inline constexpr LevelCodes kStartLevel{"XanSetAiStartLevel", "XanGetAiStartLevel", "AiStartLevel=%d",
                                        "*AiStartLevel=%d", 11180, 11181, 11190, 11191, 11192,
                                        kAiStartLevel, kCmdAiStartLevel};
inline constexpr LevelCodes kStopLevel{"XanSetAiStopLevel", "XanGetAiStopLevel", "AiStopLevel=%d",
                                       "*AiStopLevel=%d", 11300, 11301, 11310, 11311, 11312,
                                       kAiStopLevel, kCmdAiStopLevel};

// A window trigger: {get flag at 4, Level1 at 8, Level2 at 12, StateTimes
// at 16, AiChannel at 20}, 28 bytes; the getter's answer also holds the
// range code at 22 and the resolution at 24. Not on bus kind 3.
struct WindowCodes {
  const char* set;
  const char* get;
  LONG setChannel, setStateTimes;
  LONG getFirst;  // channel; then the three NULL codes
  DWORD code;
  WORD cmd;
};

constexpr Row windowSet(const WindowCodes& c) {
  return {.name = c.set,
          .args = {{Kind::I16, "AiChannel=%d"},
                   {Kind::I32, "Level1=%d"},
                   {Kind::I32, "Level2=%d"},
                   {Kind::I32, "StateTimes=%d"}},
          .checks = {aboveUnsigned(0, 256, c.setChannel), below(3, 0, c.setStateTimes)},
          .kernel = kernel(c.code, kAiFamily, 0,
                           {put16(ai::kChannel, 0), put32(ai::kLevel1, 1), put32(ai::kLevel2, 2),
                            put32(ai::kStateTimes, 3)}),
          .virtualDevice =
              command(c.cmd, 28, {const16(4, 0), put32(8, 1), put32(12, 2), put32(16, 3), put16(20, 0)}),
          .attached = refused()};
}
constexpr Row windowGet(const WindowCodes& c) {
  return {.name = c.get,
          .args = {{Kind::I16, "AiChannel=%d"}, {Kind::OutI32}, {Kind::OutI32}, {Kind::OutI32}},
          .checks = {aboveUnsigned(0, 256, c.getFirst), null(1, c.getFirst + 1), null(2, c.getFirst + 2),
                     null(3, c.getFirst + 3)},
          .kernel = kernel(c.code, kAiFamily, 1, {put16(ai::kChannel, 0)},
                           {get32(ai::kLevel1, 1), get32(ai::kLevel2, 2), get32(ai::kStateTimes, 3)}),
          .virtualDevice =
              command(c.cmd, 28, {const16(4, 1), put16(20, 0)}, {get32(8, 1), get32(12, 2), get32(16, 3)}),
          .attached = refused(),
          .endText = "*Level1=%d"};
}
constexpr Row windowGetWithRange(const WindowCodes& c) {
  Row row = quiet(windowGet(c));
  row.args[4] = {Kind::OutI16};
  row.args[5] = {Kind::OutI16};
  row.kernel = kernel(c.code, kAiFamily, 1, {put16(ai::kChannel, 0)},
                      {get32(ai::kLevel1, 1), get32(ai::kLevel2, 2), get32(ai::kStateTimes, 3),
                       get16(ai::kRange, 4), get16(ai::kResolution, 5)});
  row.virtualDevice = command(c.cmd, 28, {const16(4, 1), put16(20, 0)},
                              {get32(8, 1), get32(12, 2), get32(16, 3), get16(22, 4), get16(24, 5)});
  return row;
}

inline constexpr WindowCodes kStartInRange{"XanSetAiStartInRange", "XanGetAiStartInRange", 12040, 12041, 12050,
                                           kAiStartInRange, kCmdAiStartInRange};
inline constexpr WindowCodes kStartOutRange{"XanSetAiStartOutRange", "XanGetAiStartOutRange", 12060, 12061, 12070,
                                            kAiStartOutRange, kCmdAiStartOutRange};
inline constexpr WindowCodes kStopInRange{"XanSetAiStopInRange", "XanGetAiStopInRange", 12080, 12081, 12090,
                                          kAiStopInRange, kCmdAiStopInRange};
inline constexpr WindowCodes kStopOutRange{"XanSetAiStopOutRange", "XanGetAiStopOutRange", 12100, 12101, 12110,
                                           kAiStopOutRange, kCmdAiStopOutRange};

}  // namespace halvik::ai_rows
