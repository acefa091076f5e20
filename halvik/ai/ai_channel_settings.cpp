// What the input offers and how each channel is read: input method,
// resolution, channel count limit, per-channel enable, ranges.
#include <windows.h>
#include <outside/halvikdrv.h>

#include "ai_forms.h"
#include "ai_range_query.h"
#include "halvik.h"

namespace halvik {
namespace {

using namespace ai_rows;

// The input method travels in a 24-byte record: {get flag at 4, value at 6}.
constexpr Row kSetAiInputMethod{
    .name = "XanSetAiInputMethod",
    .args = {{Kind::I16, "AiInputMethod=%d"}},
    .checks = {aboveUnsigned(0, 2, 11000)},
    .ownership = false,
    .kernel = kernel(kAiInputMethod, kAiFamily, 0, {put16(ai::kInputMethod, 0)}),
    .virtualDevice = command(kCmdAiInputMethod, 24, {const16(4, 0), put16(6, 0)}),
};
constexpr Row kGetAiInputMethod{
    .name = "XanGetAiInputMethod",
    .args = {{Kind::OutI16}},
    .checks = {null(0, 11010)},
    .ownership = false,
    .kernel = kernel(kAiInputMethod, kAiFamily, 1, {}, {get16(ai::kInputMethod, 0)}),
    .virtualDevice = command(kCmdAiInputMethod, 24, {const16(4, 1)}, {get16(6, 0)}),
    .endText = "*AiInputMethod=%d",
};
// The maximum channel count: {int16 at 4}, 8 bytes.
constexpr Row kGetAiMaxChannels{
    .name = "XanGetAiMaxChannels",
    .args = {{Kind::OutI16}},
    .checks = {null(0, 11720)},
    .ownership = false,
    .kernel = kernel(kAiMaxChannels, kAiFamily, -1, {}, {get16(ai::kChannels, 0)}),
    .virtualDevice = command(kCmdAiMaxChannels, 8, {}, {get16(4, 0)}),
    .endText = "*AiMaxChannels=%d",
};

constexpr Row kSetAiChannel = driverOnly(Row{
    .name = "XanSetAiChannel",
    .args = {{Kind::I16, "AiChannel=%d"}, {Kind::I16, "Enabled=%d"}},
    .checks = {aboveUnsigned(0, 256, 12480), outside(1, 0, 1, 12481)},
    .kernel = kernel(kAiChannelEnable, kAiFamily, 0, {put16(ai::kChannel, 0), put16(ai::kChannelEnabled, 1)}),
});
constexpr Row kGetAiChannel = driverOnly(Row{
    .name = "XanGetAiChannel",
    .args = {{Kind::I16, "AiChannel=%d"}, {Kind::OutI16}},
    .checks = {null(1, 12491)},
    .kernel = kernel(kAiChannelEnable, kAiFamily, 1, {put16(ai::kChannel, 0)}, {get16(ai::kChannelEnabled, 1)}),
    .endText = "*Enabled=%d",
});

// The range record: {get flag at 4, AiChannel at 6, AiRange at 8}.
constexpr Row kSetAiRange{
    .name = "XanSetAiRange",
    .args = {{Kind::I16, "AiChannel=%d"}, {Kind::I16, "AiRange=%d"}},
    .checks = {aboveUnsigned(0, 255, 11040), aboveUnsigned(1, 300, 11041)},
    .ownership = false,
    .kernel = kernel(kAiRange, kAiFamily, 0, {put16(ai::kChannel, 0), put16(ai::kRange, 1)}),
    .virtualDevice = command(kCmdAiRange, 12, {const16(4, 0), put16(6, 0), put16(8, 1)}),
};
constexpr Row kGetAiRange = [] {
  Row row = kRangeQuery;
  row.name = "XanGetAiRange";
  row.tracing = ExportFrame::Tracing::All;
  row.args[0].trace = "AiChannel=%d";
  row.checks[0] = aboveUnsigned(0, 255, 11050);
  row.checks[1] = null(1, 11051);
  row.endText = "*AiRange=%d";
  return row;
}();
// All channels at once: the value alone, no get flag, on either road.
constexpr Row kSetAiRangeAll{
    .name = "XanSetAiRangeAll",
    .args = {{Kind::I16, "AiRange=%d"}},
    .checks = {aboveUnsigned(0, 300, 11060)},
    .ownership = false,
    .kernel = kernel(kAiRangeAll, kAiFamily, -1, {put16(ai::kRange, 0)}),
    .virtualDevice = command(kCmdAiRangeAll, 8, {put16(6, 0)}),
};

}  // namespace
}  // namespace halvik

using namespace halvik;

DLL_EXPORT LONG WINAPI XanSetAiInputMethod(short Id, short AiInputMethod) {
  return rows::Run(kSetAiInputMethod, Id, {AiInputMethod});
}
DLL_EXPORT LONG WINAPI XanGetAiInputMethod(short Id, short* AiInputMethod) {
  return rows::Run(kGetAiInputMethod, Id, {AiInputMethod});
}
DLL_EXPORT LONG WINAPI XanGetAiResolution(short Id, short* AiResolution) {
  return rows::Run(ai_rows::kGetAiResolution, Id, {AiResolution});
}
DLL_EXPORT LONG WINAPI XanGetAiMaxChannels(short Id, short* AiMaxChannels) {
  return rows::Run(kGetAiMaxChannels, Id, {AiMaxChannels});
}
DLL_EXPORT LONG WINAPI XanSetAiChannel(short Id, short AiChannel, short Enabled) {
  return rows::Run(kSetAiChannel, Id, {AiChannel, Enabled});
}
DLL_EXPORT LONG WINAPI XanGetAiChannel(short Id, short AiChannel, short* Enabled) {
  return rows::Run(kGetAiChannel, Id, {AiChannel, Enabled});
}
DLL_EXPORT LONG WINAPI XanSetAiRange(short Id, short AiChannel, short AiRange) {
  return rows::Run(kSetAiRange, Id, {AiChannel, AiRange});
}
DLL_EXPORT LONG WINAPI XanGetAiRange(short Id, short AiChannel, short* AiRange) {
  return rows::Run(kGetAiRange, Id, {AiChannel, AiRange});
}
DLL_EXPORT LONG WINAPI XanSetAiRangeAll(short Id, short AiRange) {
  return rows::Run(kSetAiRangeAll, Id, {AiRange});
}
