// The level and window triggers in raw counts.
#include <windows.h>

#include "ai_trigger_rows.h"
#include "halvik.h"

namespace halvik {
namespace {

using namespace ai_rows;

constexpr Row kSetAiStartLevel = levelSet(kStartLevel);
constexpr Row kGetAiStartLevel = levelGet(kStartLevel);
constexpr Row kSetAiStopLevel = levelSet(kStopLevel);
constexpr Row kGetAiStopLevel = levelGet(kStopLevel);
constexpr Row kSetAiStartInRange = windowSet(kStartInRange);
constexpr Row kGetAiStartInRange = windowGet(kStartInRange);
constexpr Row kSetAiStartOutRange = windowSet(kStartOutRange);
constexpr Row kGetAiStartOutRange = windowGet(kStartOutRange);
constexpr Row kSetAiStopInRange = windowSet(kStopInRange);
constexpr Row kGetAiStopInRange = windowGet(kStopInRange);
constexpr Row kSetAiStopOutRange = windowSet(kStopOutRange);
constexpr Row kGetAiStopOutRange = windowGet(kStopOutRange);

}  // namespace
}  // namespace halvik

using namespace halvik;

DLL_EXPORT LONG WINAPI XanSetAiStopLevel(short Id, short AiChannel, LONG AiStopLevel, short AiDirection) {
  return rows::Run(kSetAiStopLevel, Id, {AiChannel, AiStopLevel, AiDirection});
}
DLL_EXPORT LONG WINAPI XanGetAiStopLevel(short Id, short AiChannel, LONG* AiStopLevel, short* AiDirection) {
  return rows::Run(kGetAiStopLevel, Id, {AiChannel, AiStopLevel, AiDirection});
}
DLL_EXPORT LONG WINAPI XanSetAiStartLevel(short Id, short AiChannel, LONG AiStartLevel, short AiDirection) {
  return rows::Run(kSetAiStartLevel, Id, {AiChannel, AiStartLevel, AiDirection});
}
DLL_EXPORT LONG WINAPI XanGetAiStartLevel(short Id, short AiChannel, LONG* AiStartLevel, short* AiDirection) {
  return rows::Run(kGetAiStartLevel, Id, {AiChannel, AiStartLevel, AiDirection});
}

#define HALVIK_AI_WINDOW(Name, SetRow, GetRow)                                                              \
  DLL_EXPORT LONG WINAPI XanSet##Name(short Id, short AiChannel, LONG Level1, LONG Level2, LONG StateTimes) {  \
    return rows::Run(SetRow, Id, {AiChannel, Level1, Level2, StateTimes});                                  \
  }                                                                                                         \
  DLL_EXPORT LONG WINAPI XanGet##Name(short Id, short AiChannel, LONG* Level1, LONG* Level2,                 \
                                      LONG* StateTimes) {                                                   \
    return rows::Run(GetRow, Id, {AiChannel, Level1, Level2, StateTimes});                                  \
  }
HALVIK_AI_WINDOW(AiStartInRange, kSetAiStartInRange, kGetAiStartInRange)
HALVIK_AI_WINDOW(AiStartOutRange, kSetAiStartOutRange, kGetAiStartOutRange)
HALVIK_AI_WINDOW(AiStopInRange, kSetAiStopInRange, kGetAiStopInRange)
HALVIK_AI_WINDOW(AiStopOutRange, kSetAiStopOutRange, kGetAiStopOutRange)
#undef HALVIK_AI_WINDOW
