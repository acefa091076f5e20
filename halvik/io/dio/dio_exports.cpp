// Digital lines by bit and by byte, the digital-input filter read back and
// the lines' direction: one request each, as rows.
#include <windows.h>
#include <outside/halvikdrv.h>

#include "halvik.h"
#include "setting_rows.h"

namespace halvik {
namespace {

using namespace halvikdrv;
using namespace halvikdrv::rec;
using namespace rows;

constexpr Row dioRow(Row row) {
  row.spacing = ExportFrame::Spacing::Spaced;
  return row;
}

// Bits and bytes make no ownership check.
constexpr Row kInputDiBit = dioRow({
    .name = "XanInputDiBit",
    .args = {{Kind::I16, "DiBit=%d"}, {Kind::OutI16}},
    .checks = {below(0, 0, 14000), null(1, 14001)},
    .ownership = false,
    .kernel = kernel(kDiBit, kDioFamily, 1, {put16(dio::kBit, 0)}, {get16(dio::kInput, 1)}),
    .virtualDevice = command(kCmdDioBit, kDioSize, {const16(kDioGetFlag, 1), put16(kDioBit, 0)}, {get16(kDioInput, 1)}),
    .endText = "*DiData=%xH",
});
constexpr Row kInputDiByte = dioRow({
    .name = "XanInputDiByte",
    .args = {{Kind::I16, "DiPort=%d"}, {Kind::OutI16}},
    .checks = {below(0, 0, 14010), null(1, 14011)},
    .ownership = false,
    .kernel = kernel(kDiByte, kDioFamily, 1, {put16(dio::kPort, 0)}, {get16(dio::kInput, 1)}),
    .virtualDevice = command(kCmdDioByte, kDioSize, {const16(kDioGetFlag, 1), put16(kDioPort, 0)}, {get16(kDioInput, 1)}),
    .endText = "*DiData=%d",
});
constexpr Row kOutputDoBit = dioRow({
    .name = "XanOutputDoBit",
    .args = {{Kind::I16, "DoBit=%d"}, {Kind::I16, "DoData=%xH"}},
    .checks = {below(0, 0, 14020), outside(1, 0, 1, 14021)},
    .ownership = false,
    .kernel = kernel(kDiBit, kDioFamily, 0, {put16(dio::kBit, 0), put16(dio::kOutput, 1)}),
    .virtualDevice = command(kCmdDioBit, kDioSize, {put16(kDioBit, 0), put16(kDioOutput, 1)}),
});
constexpr Row kOutputDoByte = dioRow({
    .name = "XanOutputDoByte",
    .args = {{Kind::I16, "DoPort=%d"}, {Kind::I16, "DoData=%xH"}},
    .checks = {below(0, 0, 14030), aboveUnsigned(1, 255, 14031)},
    .ownership = false,
    .kernel = kernel(kDiByte, kDioFamily, 0, {put16(dio::kPort, 0), put16(dio::kOutput, 1)}),
    .virtualDevice = command(kCmdDioByte, kDioSize, {put16(kDioPort, 0), put16(kDioOutput, 1)}),
});
// The kernel driver keeps 0.05 as 50000.
constexpr Row kGetDiFilter = dioRow({
    .name = "XanGetDiFilter",
    .args = {{Kind::I16, "Bit=%d"}, {Kind::OutF32}},
    .checks = {notEqual(0, -1, 14050), null(1, 14051)},
    .kernel = kernel(kDiFilter, kDioFamily, 1, {const16(dio::kBit, -1)}, {get32(dio::kFilterValue, 1, Shape::From50000)}),
    .virtualDevice = command(kCmdDiFilter, kDiFilterSize, {const16(kDiFilterBit, -1), const16(kDiFilterGetFlag, 1)},
                             {get32(kDiFilterValue, 1)}),
    .attached = refused(),
    .endText = "*Value=%f",
});
// The direction of the lines is the virtual device's alone.
constexpr Row kSetDioDirection = dioRow({
    .name = "XanSetDioDirection",
    .args = {{Kind::I32, "Dir=%d"}},
    .checks = {},
    .kernel = refused(),
    .virtualDevice = command(kCmdDioDirection, kDirectionSize, {put32(kDirectionValue, 0), const16(kDirectionGetFlag, 0)}),
    .attached = refused(),
});
// A NULL pointer gives the filter getter's code: the code table has no other.
constexpr Row kGetDioDirection = dioRow({
    .name = "XanGetDioDirection",
    .args = {{Kind::OutI32}},
    .checks = {null(0, 14051)},
    .kernel = refused(),
    .virtualDevice = command(kCmdDioDirection, kDirectionSize, {const16(kDirectionGetFlag, 1)}, {get32(kDirectionValue, 0)}),
    .attached = refused(),
    .endText = "*Value=%d",
});

}  // namespace
}  // namespace halvik

using namespace halvik;

DLL_EXPORT LONG WINAPI XanInputDiBit(short Id, short DiBit, short* DiData) {
  return rows::Run(kInputDiBit, Id, {DiBit, DiData});
}
DLL_EXPORT LONG WINAPI XanInputDiByte(short Id, short DiPort, short* DiData) {
  return rows::Run(kInputDiByte, Id, {DiPort, DiData});
}
DLL_EXPORT LONG WINAPI XanOutputDoBit(short Id, short DoBit, short DoData) {
  return rows::Run(kOutputDoBit, Id, {DoBit, DoData});
}
DLL_EXPORT LONG WINAPI XanOutputDoByte(short Id, short DoPort, short DoData) {
  return rows::Run(kOutputDoByte, Id, {DoPort, DoData});
}
DLL_EXPORT LONG WINAPI XanGetDiFilter(short Id, short Bit, float* Value) {
  return rows::Run(kGetDiFilter, Id, {Bit, Value});
}
DLL_EXPORT LONG WINAPI XanSetDioDirection(short Id, LONG Dir) { return rows::Run(kSetDioDirection, Id, {Dir}); }
DLL_EXPORT LONG WINAPI XanGetDioDirection(short Id, LONG* Dir) { return rows::Run(kGetDioDirection, Id, {Dir}); }
