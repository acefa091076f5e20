// The channel's range code and the input's resolution, as the plain getters
// read them and as the physical-value forms ask for them before converting.
#pragma once
#include "ai_forms.h"

namespace halvik::ai_rows {

// Quiet: the physical-value forms trace and check for themselves.
inline constexpr Row kRangeQuery{
    .name = "XanGetAiRange",
    .tracing = ExportFrame::Tracing::None,
    .args = {{Kind::I16}, {Kind::OutI16}},
    .ownership = false,
    .kernel = kernel(kAiRange, kAiFamily, 1, {put16(ai::kChannel, 0)}, {get16(ai::kRange, 1)}),
    .virtualDevice = command(kCmdAiRange, 12, {const16(4, 1), put16(6, 0)}, {get16(8, 1)}),
};
// {int16 at 4}, 8 bytes.
inline constexpr Row kGetAiResolution{
    .name = "XanGetAiResolution",
    .args = {{Kind::OutI16}},
    .checks = {null(0, 11740)},
    .ownership = false,
    .kernel = kernel(kAiResolution, kAiFamily, -1, {}, {get16(ai::kResolution, 0)}),
    .virtualDevice = command(kCmdAiResolution, 8, {}, {get16(4, 0)}),
    .endText = "*AiResolution=%d",
};
inline constexpr Row kResolutionQuery = quiet(kGetAiResolution);

}  // namespace halvik::ai_rows
