// The digital-input filter the configuration loader applies.
#include <windows.h>
#include <outside/halvikdrv.h>

#include "halvik.h"
#include "setting_rows.h"

namespace halvik {
namespace {

using namespace halvikdrv;
using namespace rows;

// Only all inputs (-1) take a filter, of a value that fits the driver's
// int32 (not a number does not). The kernel driver reads the common 0.05
// as 50000; other values travel truncated.
constexpr Row kSetDiFilter{
    .name = "XanSetDiFilter",
    .spacing = ExportFrame::Spacing::Spaced,
    .args = {{Kind::I16, "Bit=%d"}, {Kind::F32, "Value=%f"}},
    .checks = {notEqual(0, -1, 14040), outside(1, 0, 2147483647.0, 14041)},
    .kernel = kernel(kDiFilter, kDioFamily, 0,
                     {const16(dio::kBit, -1), put32(dio::kFilterValue, 1, Conv::TruncOr50000)}),
    .virtualDevice = command(kCmdDiFilter, 28, {put32(8, 1), const16(16, -1), const16(24, 0)}),
    .attached = refused(),
};

}  // namespace
}  // namespace halvik

using namespace halvik;

DLL_EXPORT LONG WINAPI XanSetDiFilter(short Id, short Bit, float Value) {
  return rows::Run(kSetDiFilter, Id, {Bit, Value});
}
