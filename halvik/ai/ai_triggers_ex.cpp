// The level and window triggers in physical values: the channel's range
// and the resolution turn them into the raw counts of the plain requests.
#include <windows.h>

#include <cstdio>

#include "ai_range_query.h"
#include "ai_trigger_rows.h"
#include "halvik.h"
#include "range_codes.h"
#include "transport.h"

namespace halvik {
namespace {

using namespace ai_rows;

constexpr LONG kUnknownRange = -1;
// The range query's answer for a channel the device does not have.
constexpr LONG kNoSuchChannel = 21040;

// The plain setter's driver codes first..first+5 become the Ex member's;
// the two direction or level codes share one.
LONG renumberSet(LONG status, LONG plainFirst, LONG exFirst) {
  static constexpr LONG kStep[] = {0, 1, 1, 2, 3, 4};
  if (status < plainFirst || status > plainFirst + 5) return status;
  return exFirst + kStep[status - plainFirst];
}

struct Limits {
  float max = 0, min = 0;
  short resolution = 0;
};

// 0 with the limits; the query's status (21040 as exFirst); or -1 for a
// range code the table does not know.
LONG channelLimits(short id, short channel, LONG exFirst, Limits& limits) {
  short range = 0;
  if (LONG status = rows::Run(kRangeQuery, id, {channel, &range}); status != 0)
    return status == kNoSuchChannel ? exFirst : status;
  if (LONG status = rows::Run(kResolutionQuery, id, {&limits.resolution}); status != 0) return status;
  return GetRangeLimits(range, &limits.max, &limits.min) == 1 ? 0 : kUnknownRange;
}

bool onRoad(const Row& plain, const ExportFrame& frame) {
  const rows::Use use = rows::RequestOf(plain, RoadOf(frame.record())).use;
  return use != rows::Use::Refused && use != rows::Use::AsVirtual;
}

float valueOf(const Limits& limits, LONG count) {
  return CountToValue(limits.max, limits.min, limits.resolution, count);
}
LONG countOf(const Limits& limits, float value) {
  return ValueToCount(limits.max, limits.min, limits.resolution, value);
}

// ---- Levels ------------------------------------------------------------------------
struct LevelEx {
  Row set, get;       // the frames: names, traces, checks
  Row plainSet, plainGet;
  LONG plainFirst, exFirst;     // setter renumbering
  LONG plainGetFirst, exGetFirst;
};

constexpr LevelEx levelEx(const LevelCodes& c, const char* set, const char* get, const char* trace,
                          const char* end, LONG setFirst, LONG getFirst, LONG exFirst, LONG exGetFirst) {
  // The getter's request answers with the setter's first driver code.
  LevelEx m{levelSet(c), levelGet(c), quiet(levelSet(c)), levelGetWithRange(c), c.setChannel + 10000,
            exFirst, c.setChannel + 10000, exGetFirst};
  m.set.name = set;
  m.set.args[1] = {Kind::F32, trace};
  m.set.checks[0].code = setFirst;
  m.set.checks[1].code = setFirst + 1;
  m.get.name = get;
  m.get.args[1] = {Kind::OutF32};
  m.get.endText = end;
  for (int i = 0; i < 3; ++i) m.get.checks[i].code = getFirst + i;
  return m;
}

constexpr LevelEx kStartLevelEx = levelEx(kStartLevel, "XanSetAiStartLevelEx", "XanGetAiStartLevelEx",
                                          "AiStartLevel=%f", "*AiStartLevel=%f", 11920, 11930, 21920, 21930);
constexpr LevelEx kStopLevelEx = levelEx(kStopLevel, "XanSetAiStopLevelEx", "XanGetAiStopLevelEx",
                                         "AiStopLevel=%f", "*AiStopLevel=%f", 11940, 11950, 21940, 21950);

LONG setLevelEx(const LevelEx& m, short id, short channel, float level, short direction) {
  ExportFrame frame(m.set.name);
  if (LONG status = rows::Front(frame, m.set, id, {channel, level, direction}); status != 0) return status;
  if (!onRoad(m.plainSet, frame)) return frame.end(rows::kStatusNotOnThisDevice);
  Limits limits;
  if (LONG status = channelLimits(id, channel, m.exFirst, limits); status != 0) return frame.end(status);
  const LONG status = rows::Run(m.plainSet, id, {channel, countOf(limits, level), direction});
  return frame.end(renumberSet(status, m.plainFirst, m.exFirst));
}

LONG getLevelEx(const LevelEx& m, short id, short channel, float* level, short* direction) {
  ExportFrame frame(m.get.name);
  if (LONG status = rows::Front(frame, m.get, id, {channel, level, direction}); status != 0) return status;
  // Read into locals: a range the table does not know leaves the caller's variables as they were.
  LONG count = 0;
  short dir = 0, range = 0;
  Limits limits;
  LONG status = rows::Run(m.plainGet, id, {channel, &count, &dir, &range, &limits.resolution});
  if (status != 0) return frame.end(status == m.plainGetFirst ? m.exGetFirst : status);
  if (GetRangeLimits(range, &limits.max, &limits.min) != 1) return frame.end(kUnknownRange);
  *level = valueOf(limits, count);
  *direction = dir;
  return frame.endWith(m.get.endText, static_cast<double>(*level));
}

// ---- Windows -------------------------------------------------------------------------
struct WindowEx {
  Row set, get;
  Row plainSet, plainGet;
  LONG plainFirst, exFirst;
  LONG plainGetFirst, exGetFirst;
};

constexpr WindowEx windowEx(const WindowCodes& c, const char* set, const char* get, LONG setFirst, LONG getFirst,
                            LONG exFirst, LONG exGetFirst) {
  WindowEx m{windowSet(c), windowGet(c), quiet(windowSet(c)), windowGetWithRange(c), c.setChannel + 10000,
             exFirst, c.getFirst + 10000, exGetFirst};
  m.set.name = set;
  m.set.args[1] = {Kind::F32, "Level1=%f"};
  m.set.args[2] = {Kind::F32, "Level2=%f"};
  m.set.checks[0].code = setFirst;
  m.set.checks[1].code = setFirst + 1;
  m.get.name = get;
  m.get.args[1] = {Kind::OutF32};
  m.get.args[2] = {Kind::OutF32};
  m.get.endText = "*Level1=%f";
  for (int i = 0; i < 4; ++i) m.get.checks[i].code = getFirst + i;
  return m;
}

constexpr WindowEx kStartInRangeEx = windowEx(kStartInRange, "XanSetAiStartInRangeEx", "XanGetAiStartInRangeEx",
                                              12270, 12280, 22270, 22280);
constexpr WindowEx kStartOutRangeEx = windowEx(kStartOutRange, "XanSetAiStartOutRangeEx",
                                               "XanGetAiStartOutRangeEx", 12290, 12300, 22290, 22300);
constexpr WindowEx kStopInRangeEx = windowEx(kStopInRange, "XanSetAiStopInRangeEx", "XanGetAiStopInRangeEx",
                                             12400, 12410, 24000, 22410);
constexpr WindowEx kStopOutRangeEx = windowEx(kStopOutRange, "XanSetAiStopOutRangeEx", "XanGetAiStopOutRangeEx",
                                              12420, 12430, 22420, 22430);

LONG setWindowEx(const WindowEx& m, short id, short channel, float level1, float level2, LONG stateTimes) {
  ExportFrame frame(m.set.name);
  if (LONG status = rows::Front(frame, m.set, id, {channel, level1, level2, stateTimes}); status != 0)
    return status;
  if (!onRoad(m.plainSet, frame)) return frame.end(rows::kStatusNotOnThisDevice);
  Limits limits;
  if (LONG status = channelLimits(id, channel, m.exFirst, limits); status != 0) return frame.end(status);
  const LONG status =
      rows::Run(m.plainSet, id, {channel, countOf(limits, level1), countOf(limits, level2), stateTimes});
  return frame.end(renumberSet(status, m.plainFirst, m.exFirst));
}

LONG getWindowEx(const WindowEx& m, short id, short channel, float* level1, float* level2, LONG* stateTimes) {
  ExportFrame frame(m.get.name);
  if (LONG status = rows::Front(frame, m.get, id, {channel, level1, level2, stateTimes}); status != 0)
    return status;
  if (!onRoad(m.plainGet, frame)) return frame.end(rows::kStatusNotOnThisDevice);
  LONG count1 = 0, count2 = 0, times = 0;
  short range = 0;
  Limits limits;
  LONG status = rows::Run(m.plainGet, id, {channel, &count1, &count2, &times, &range, &limits.resolution});
  if (status != 0) return frame.end(status == m.plainGetFirst ? m.exGetFirst : status);
  if (GetRangeLimits(range, &limits.max, &limits.min) != 1) return frame.end(kUnknownRange);
  *level1 = valueOf(limits, count1);
  *level2 = valueOf(limits, count2);
  *stateTimes = times;
  return frame.endWith(m.get.endText, static_cast<double>(*level1));
}

}  // namespace
}  // namespace halvik

using namespace halvik;

DLL_EXPORT LONG WINAPI XanSetAiStartLevelEx(short Id, short AiChannel, float AiStartLevel, short AiDirection) {
  return setLevelEx(kStartLevelEx, Id, AiChannel, AiStartLevel, AiDirection);
}
DLL_EXPORT LONG WINAPI XanGetAiStartLevelEx(short Id, short AiChannel, float* AiStartLevel, short* AiDirection) {
  return getLevelEx(kStartLevelEx, Id, AiChannel, AiStartLevel, AiDirection);
}
DLL_EXPORT LONG WINAPI XanSetAiStopLevelEx(short Id, short AiChannel, float AiStopLevel, short AiDirection) {
  return setLevelEx(kStopLevelEx, Id, AiChannel, AiStopLevel, AiDirection);
}
DLL_EXPORT LONG WINAPI XanGetAiStopLevelEx(short Id, short AiChannel, float* AiStopLevel, short* AiDirection) {
  return getLevelEx(kStopLevelEx, Id, AiChannel, AiStopLevel, AiDirection);
}

#define HALVIK_AI_WINDOW_EX(Name, Member)                                                                    \
  DLL_EXPORT LONG WINAPI XanSet##Name(short Id, short AiChannel, float Level1, float Level2, LONG StateTimes) { \
    return setWindowEx(Member, Id, AiChannel, Level1, Level2, StateTimes);                                   \
  }                                                                                                          \
  DLL_EXPORT LONG WINAPI XanGet##Name(short Id, short AiChannel, float* Level1, float* Level2,               \
                                      LONG* StateTimes) {                                                    \
    return getWindowEx(Member, Id, AiChannel, Level1, Level2, StateTimes);                                   \
  }
HALVIK_AI_WINDOW_EX(AiStartInRangeEx, kStartInRangeEx)
HALVIK_AI_WINDOW_EX(AiStartOutRangeEx, kStartOutRangeEx)
HALVIK_AI_WINDOW_EX(AiStopInRangeEx, kStopInRangeEx)
HALVIK_AI_WINDOW_EX(AiStopOutRangeEx, kStopOutRangeEx)
#undef HALVIK_AI_WINDOW_EX
