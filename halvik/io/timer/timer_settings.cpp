// The time-counter stop that closing and resetting a device call.
#include <windows.h>
#include <outside/halvikdrv.h>

#include "halvik.h"
#include "setting_rows.h"

namespace halvik {
namespace {

using namespace halvikdrv;
using namespace rows;

constexpr Row kStopTmCount{
    .name = "XanStopTmCount",
    .spacing = ExportFrame::Spacing::Spaced,
    .args = {{Kind::I16, "TimerId=%d"}},
    .checks = {below(0, 0, 16100)},
    .kernel = kernel(kTmStopCount, kTmFamily, 0, {put16(halvikdrv::tm::kTimerId, 0)}),
    .virtualDevice = command(kCmdTmStopCount, 12, {put16(8, 0), const16(10, 0)}),
    .attached = refused(),
    .busFailure10002 = true,
};

}  // namespace
}  // namespace halvik

using namespace halvik;

DLL_EXPORT LONG WINAPI XanStopTmCount(short Id, short TimerId) { return rows::Run(kStopTmCount, Id, {TimerId}); }
