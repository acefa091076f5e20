// The shapes the analog-input settings share: one int16 or int32 value, a
// clock, a read-only value, each on the kernel block and on the sibling
// records (status first, then the fields at the offsets written here).
#pragma once
#include <windows.h>
#include <outside/halvikdrv.h>

#include <limits>

#include "setting_rows.h"

namespace halvik::ai_rows {

using namespace halvikdrv;
using namespace rows;

// Greater than 0, and a number: a clock of NaN is refused too.
constexpr Check positive(uint8_t arg, LONG code) {
  return outside(arg, std::numeric_limits<double>::denorm_min(), std::numeric_limits<double>::infinity(), code);
}

// {int16 get flag at 4, int16 value at 6}, 8 bytes.
constexpr Row shortSet(const char* name, const char* trace, Check check, DWORD code, uint16_t at, WORD cmd) {
  return {.name = name,
          .args = {{Kind::I16, trace}},
          .checks = {check},
          .kernel = kernel(code, kAiFamily, 0, {put16(at, 0)}),
          .virtualDevice = command(cmd, 8, {const16(4, 0), put16(6, 0)})};
}
constexpr Row shortGet(const char* name, const char* endText, LONG nullCode, DWORD code, uint16_t at, WORD cmd) {
  return {.name = name,
          .args = {{Kind::OutI16}},
          .checks = {null(0, nullCode)},
          .kernel = kernel(code, kAiFamily, 1, {}, {get16(at, 0)}),
          .virtualDevice = command(cmd, 8, {const16(4, 1)}, {get16(6, 0)}),
          .endText = endText};
}

// {int32 value at 4, int16 get flag at 8}, 12 bytes.
constexpr Row countSet(const char* name, const char* trace, Check check, DWORD code, uint16_t at, WORD cmd) {
  return {.name = name,
          .args = {{Kind::I32, trace}},
          .checks = {check},
          .kernel = kernel(code, kAiFamily, 0, {put32(at, 0)}),
          .virtualDevice = command(cmd, 12, {put32(4, 0), const16(8, 0)})};
}
constexpr Row countGet(const char* name, const char* endText, LONG nullCode, DWORD code, uint16_t at, WORD cmd) {
  return {.name = name,
          .args = {{Kind::OutI32}},
          .checks = {null(0, nullCode)},
          .kernel = kernel(code, kAiFamily, 1, {}, {get32(at, 0)}),
          .virtualDevice = command(cmd, 12, {const16(8, 1)}, {get32(4, 0)}),
          .endText = endText};
}

// A clock: a double in the block and to bus kind 10 (get flag at 12 of 16
// bytes), a single-precision number to bus kind 3 (get flag at 8 of 12).
constexpr Row clockSet(const char* name, const char* trace, LONG code10, DWORD code, uint16_t at, WORD cmd) {
  return {.name = name,
          .args = {{Kind::F32, trace}},
          .checks = {positive(0, code10)},
          .kernel = kernel(code, kAiFamily, 0, {putF64(at, 0)}),
          .virtualDevice = command(cmd, 16, {putF64(4, 0), const16(12, 0)}),
          .attached = command(cmd, 12, {putF32(4, 0), const16(8, 0)})};
}
constexpr Row clockGet(const char* name, const char* endText, LONG nullCode, DWORD code, uint16_t at, WORD cmd) {
  return {.name = name,
          .args = {{Kind::OutF32}},
          .checks = {null(0, nullCode)},
          .kernel = kernel(code, kAiFamily, 1, {}, {getF64(at, 0)}),
          .virtualDevice = command(cmd, 16, {const16(12, 1)}, {getF64(4, 0)}),
          .attached = command(cmd, 12, {const16(8, 1)}, {getF32(4, 0)}),
          .endText = endText};
}

// A value only the driver has: bus kinds 10 and 3 refuse it.
constexpr Row driverOnly(Row row) {
  row.virtualDevice = refused();
  row.attached = refused();
  return row;
}
// Not on bus kind 3.
constexpr Row notOnAttached(Row row) {
  row.attached = refused();
  return row;
}
constexpr Row withoutOwnership(Row row) {
  row.ownership = false;
  return row;
}
// The same requests with neither trace, checks nor ownership check: a step
// of another export, which has done those itself.
constexpr Row quiet(Row row) {
  row.tracing = ExportFrame::Tracing::None;
  row.ownership = false;
  for (Check& c : row.checks) c = Check{};
  return row;
}

}  // namespace halvik::ai_rows
