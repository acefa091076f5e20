// The calibration adjustments of a channel and range: {get flag at 4,
// AiChannel at 6, Range at 8, Type or Offset at 10, Data or Gain at 12},
// 16 bytes. Not on bus kind 3.
#include <windows.h>
#include <outside/halvikdrv.h>

#include "ai_forms.h"
#include "halvik.h"

namespace halvik {
namespace {

using namespace ai_rows;

constexpr Row kSetAiAdjustment{
    .name = "XanSetAiAdjustment",
    .args = {{Kind::I16, "AiChannel=%d"}, {Kind::I16, "Range=%d"}, {Kind::I16, "Type=%d"}, {Kind::I16, "Data=%d"}},
    .checks = {aboveUnsigned(1, 300, 12200), aboveUnsigned(2, 1, 12201), below(3, 0, 12202),
               aboveUnsigned(0, 255, 12203)},
    .kernel = kernel(kAiAdjustment, kAiFamily, 0,
                     {put16(ai::kChannel, 0), put16(ai::kRange, 1), put16(ai::kAdjustType, 2),
                      put16(ai::kAdjustData, 3)}),
    .virtualDevice = command(kCmdAiAdjustment, 16, {const16(4, 0), put16(6, 0), put16(8, 1), put16(10, 2), put16(12, 3)}),
    .attached = refused(),
};
constexpr Row kSetAiDefaultAdjustment{
    .name = "XanSetAiDefaultAdjustment",
    .args = {{Kind::I16, "AiChannel=%d"}, {Kind::I16, "Range=%d"}, {Kind::I16, "Offset=%d"}, {Kind::I16, "Gain=%d"}},
    .checks = {aboveUnsigned(1, 300, 12460), aboveUnsigned(2, 255, 12461), aboveUnsigned(3, 255, 12462),
               aboveUnsigned(0, 255, 12463)},
    .kernel = kernel(kAiDefaultAdjustment, kAiFamily, 0,
                     {put16(ai::kChannel, 0), put16(ai::kRange, 1), put16(ai::kAdjustType, 2),
                      put16(ai::kAdjustData, 3)}),
    .virtualDevice =
        command(kCmdAiDefaultAdjustment, 16, {const16(4, 0), put16(6, 0), put16(8, 1), put16(10, 2), put16(12, 3)}),
    .attached = refused(),
};
// Both getters send the Type and read the Data back; first is the code of
// the Range check, then Type, NULL and AiChannel.
constexpr Row adjustmentGet(const char* name, LONG first, DWORD code, WORD cmd) {
  return {.name = name,
          .args = {{Kind::I16, "AiChannel=%d"}, {Kind::I16, "Range=%d"}, {Kind::I16, "Type=%d"}, {Kind::OutI16}},
          .checks = {aboveUnsigned(1, 300, first), aboveUnsigned(2, 1, first + 1), null(3, first + 2),
                     aboveUnsigned(0, 255, first + 3)},
          .kernel = kernel(code, kAiFamily, 1,
                           {put16(ai::kChannel, 0), put16(ai::kRange, 1), put16(ai::kAdjustType, 2)},
                           {get16(ai::kAdjustData, 3)}),
          .virtualDevice = command(cmd, 16, {const16(4, 1), put16(6, 0), put16(8, 1), put16(10, 2)}, {get16(12, 3)}),
          .attached = refused(),
          .endText = "*Data=%d"};
}
constexpr Row kGetAiAdjustment = adjustmentGet("XanGetAiAdjustment", 12210, kAiAdjustment, kCmdAiAdjustment);
constexpr Row kGetAiDefaultAdjustment =
    adjustmentGet("XanGetAiDefaultAdjustment", 12220, kAiDefaultAdjustment, kCmdAiDefaultAdjustment);

}  // namespace
}  // namespace halvik

using namespace halvik;

DLL_EXPORT LONG WINAPI XanSetAiAdjustment(short Id, short AiChannel, short Range, short Type, short Data) {
  return rows::Run(kSetAiAdjustment, Id, {AiChannel, Range, Type, Data});
}
DLL_EXPORT LONG WINAPI XanGetAiAdjustment(short Id, short AiChannel, short Range, short Type, short* Data) {
  return rows::Run(kGetAiAdjustment, Id, {AiChannel, Range, Type, Data});
}
DLL_EXPORT LONG WINAPI XanSetAiDefaultAdjustment(short Id, short AiChannel, short Range, short Offset, short Gain) {
  return rows::Run(kSetAiDefaultAdjustment, Id, {AiChannel, Range, Offset, Gain});
}
DLL_EXPORT LONG WINAPI XanGetAiDefaultAdjustment(short Id, short AiChannel, short Range, short Type, short* Data) {
  return rows::Run(kGetAiDefaultAdjustment, Id, {AiChannel, Range, Type, Data});
}
