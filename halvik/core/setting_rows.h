// One engine for the exports that are a single setting or a single reading.
// A row says everything such an export does: its trace texts, its argument
// checks in order, whether it makes the ownership check, and per road what
// it sends (a kernel request with its family's block, or a sibling command
// with its record), which bytes it fills, and which bytes come back into
// the caller's variables. An export is then one call:
//
//   LONG WINAPI XanSetAoChannels(short Id, short AoChannels) {
//     return rows::Run(kSetAoChannels, Id, {AoChannels});
//   }
//
// Rows are constexpr; a field that would lie outside its block or record
// stops the build.
#pragma once
#include <windows.h>
#include <outside/halvikdrv.h>

#include <cstddef>
#include <cstdint>
#include <initializer_list>

#include "export_frame.h"
#include "transport.h"

namespace halvik::rows {

inline constexpr LONG kStatusNotOnThisDevice = 20001;

// ---- Arguments --------------------------------------------------------------
// The kind of an argument after Id, as the export declares it.
enum class Kind : uint8_t { None, I16, I32, F32, InAddress, OutI16, OutI32, OutF32, OutText };

struct ArgSpec {
  Kind kind = Kind::None;
  const char* trace = nullptr;  // its start-line text, e.g. "AoChannels=%d"; none: not traced
};

// An argument as the export received it.
struct Arg {
  int32_t i = 0;
  float f = 0;
  void* p = nullptr;
  Arg(short v) : i(v) {}
  Arg(LONG v) : i(v) {}
  Arg(float v) : f(v) {}
  Arg(const void* v) : p(const_cast<void*>(v)) {}
};

// ---- Checks, in the row's order ---------------------------------------------
// Values compare as numbers of their own kind; an unsigned test reads a
// 16-bit argument as 0..65535 and a 32-bit one as 0..2^32-1, so a negative
// value fails it.
enum class Test : uint8_t { None, Null, Below, AtMost, Above, AboveUnsigned, Outside, NotEqual };

struct Check {
  Test test = Test::None;
  uint8_t arg = 0;  // 0: the first argument after Id
  double a = 0, b = 0;
  LONG code = 0;
};
constexpr Check null(uint8_t arg, LONG code) { return {Test::Null, arg, 0, 0, code}; }
constexpr Check below(uint8_t arg, double bound, LONG code) { return {Test::Below, arg, bound, 0, code}; }
constexpr Check atMost(uint8_t arg, double bound, LONG code) { return {Test::AtMost, arg, bound, 0, code}; }
constexpr Check above(uint8_t arg, double bound, LONG code) { return {Test::Above, arg, bound, 0, code}; }
constexpr Check aboveUnsigned(uint8_t arg, double bound, LONG code) {
  return {Test::AboveUnsigned, arg, bound, 0, code};
}
// Fails outside lo..hi, and for a float that is no number.
constexpr Check outside(uint8_t arg, double lo, double hi, LONG code) { return {Test::Outside, arg, lo, hi, code}; }
constexpr Check notEqual(uint8_t arg, double value, LONG code) { return {Test::NotEqual, arg, value, 0, code}; }

// ---- Fields of a block or record -----------------------------------------------
// F32 and F64 carry a float argument as a single- or double-precision number.
enum class Wire : uint8_t { None, I16, I32, U32, Address, Text12, F32, F64 };

constexpr std::size_t widthOf(Wire wire) {
  switch (wire) {
    case Wire::None: return 0;
    case Wire::I16: return 2;
    case Wire::I32:
    case Wire::U32:
    case Wire::F32: return 4;
    case Wire::Address:
    case Wire::F64: return 8;
    case Wire::Text12: return 12;
  }
  return 0;
}

enum class From : uint8_t { Constant, Arg, ProcessId };

// How an argument becomes the number sent. Floats are truncated toward zero
// unless said otherwise; every conversion saturates at the field's range.
enum class Conv : uint8_t {
  AsIs,
  Micro,          // float x 1,000,000, rounded to the nearest count
  Whole,          // float: its whole part
  Thousandths,    // float: its fraction x 1000 (+0.0001 against float error)
  TruncOr50000,   // float truncated, except that 0.05 travels as 50000
};

struct Field {
  Wire wire = Wire::None;
  uint16_t at = 0;
  From from = From::Constant;
  uint8_t arg = 0;
  Conv conv = Conv::AsIs;
  int32_t value = 0;  // From::Constant
};
constexpr Field put16(uint16_t at, uint8_t arg, Conv conv = Conv::AsIs) { return {Wire::I16, at, From::Arg, arg, conv}; }
constexpr Field put32(uint16_t at, uint8_t arg, Conv conv = Conv::AsIs) { return {Wire::I32, at, From::Arg, arg, conv}; }
constexpr Field putU32(uint16_t at, uint8_t arg, Conv conv = Conv::AsIs) { return {Wire::U32, at, From::Arg, arg, conv}; }
constexpr Field putF32(uint16_t at, uint8_t arg) { return {Wire::F32, at, From::Arg, arg}; }
constexpr Field putF64(uint16_t at, uint8_t arg) { return {Wire::F64, at, From::Arg, arg}; }
constexpr Field putAddress(uint16_t at, uint8_t arg) { return {Wire::Address, at, From::Arg, arg}; }
constexpr Field const16(uint16_t at, int16_t value) { return {Wire::I16, at, From::Constant, 0, Conv::AsIs, value}; }
constexpr Field const32(uint16_t at, int32_t value) { return {Wire::I32, at, From::Constant, 0, Conv::AsIs, value}; }
constexpr Field processId(uint16_t at) { return {Wire::I32, at, From::ProcessId}; }

// How bytes that came back become the caller's variable.
enum class Shape : uint8_t {
  AsIs,              // an integer into an integer variable
  Float,             // an integer into a float
  PerMillion,        // an unsigned count / 1,000,000 into a float
  WholeThousandths,  // int32 whole at `at` + int32 thousandths at `at2` / 1000
  Text,              // char[12]: at most 11 characters, terminated
  IsZero,            // 1 when the field is 0, else 0
  From50000,         // a float, except that 50000 reads as 0.05
};

struct Out {
  Wire wire = Wire::None;
  uint16_t at = 0;
  uint8_t arg = 0;
  Shape shape = Shape::AsIs;
  uint16_t at2 = 0;
};
constexpr Out get16(uint16_t at, uint8_t arg, Shape shape = Shape::AsIs) { return {Wire::I16, at, arg, shape}; }
constexpr Out get32(uint16_t at, uint8_t arg, Shape shape = Shape::AsIs) { return {Wire::I32, at, arg, shape}; }
constexpr Out getU32(uint16_t at, uint8_t arg, Shape shape = Shape::AsIs) { return {Wire::U32, at, arg, shape}; }
constexpr Out getF32(uint16_t at, uint8_t arg) { return {Wire::F32, at, arg}; }
constexpr Out getF64(uint16_t at, uint8_t arg) { return {Wire::F64, at, arg}; }
constexpr Out getText(uint16_t at, uint8_t arg) { return {Wire::Text12, at, arg, Shape::Text}; }
constexpr Out getClock(uint16_t whole, uint16_t thousandths, uint8_t arg) {
  return {Wire::I32, whole, arg, Shape::WholeThousandths, thousandths};
}

// ---- What one road does -----------------------------------------------------------
enum class Use : uint8_t {
  Refused,    // 20001: the function is not on this road
  Request,    // a kernel request or a sibling command
  Answer,     // success without a request; the outputs read the filled fields
  AsVirtual,  // bus kind 3 only: as bus kind 10
};

// A kernel family: its block size, where the driver leaves its status and
// where the get flag of a shared setter/getter code stands.
struct Family {
  DWORD size;
  uint16_t status;
  uint16_t getFlag;
};
inline constexpr Family kDeviceFamily{halvikdrv::kDeviceBlockSize, halvikdrv::dev::kStatus, halvikdrv::dev::kGetFlag};
inline constexpr Family kAiFamily{halvikdrv::kAiBlockSize, halvikdrv::ai::kStatus, halvikdrv::ai::kGetFlag};
inline constexpr Family kAoFamily{halvikdrv::kAoBlockSize, halvikdrv::ao::kStatus, halvikdrv::ao::kGetFlag};
inline constexpr Family kCntFamily{halvikdrv::kCntBlockSize, halvikdrv::cnt::kStatus, halvikdrv::cnt::kGetFlag};
inline constexpr Family kTmFamily{halvikdrv::kTmBlockSize, halvikdrv::tm::kStatus, halvikdrv::tm::kGetFlag};
inline constexpr Family kDioFamily{halvikdrv::kDioBlockSize, halvikdrv::dio::kStatus, halvikdrv::dio::kGetFlag};

inline constexpr std::size_t kMaxFields = 6;
inline constexpr std::size_t kMaxOuts = 5;
inline constexpr DWORD kLargestBlock = halvikdrv::kAiBlockSize;

struct Request {
  Use use = Use::Refused;
  DWORD code = 0;  // kernel request code or sibling command
  DWORD size = 0;
  uint16_t statusAt = 0;
  Check check{};  // tested on this road only, after the ownership check
  Field in[kMaxFields]{};
  Out out[kMaxOuts]{};

  // The same request with a check of its own road.
  constexpr Request onlyIf(Check c) const {
    Request r = *this;
    r.check = c;
    return r;
  }
};

namespace detail {
constexpr Request fill(Request r, std::initializer_list<Field> in, std::initializer_list<Out> out) {
  std::size_t n = 0;
  for (std::size_t i = 0; i < kMaxFields && r.in[i].wire != Wire::None; ++i) n = i + 1;
  if (n + in.size() > kMaxFields || out.size() > kMaxOuts) throw "too many fields";
  for (const Field& f : in) {
    if (f.at + widthOf(f.wire) > r.size) throw "field beyond its record";
    r.in[n++] = f;
  }
  std::size_t k = 0;
  for (const Out& o : out) {
    if (o.at + widthOf(o.wire) > r.size || o.at2 + 4u > r.size) throw "output beyond its record";
    r.out[k++] = o;
  }
  return r;
}
}  // namespace detail

// A kernel request; getFlag 0 or 1 is written at the family's place, -1
// writes none.
constexpr Request kernel(DWORD code, Family family, int getFlag, std::initializer_list<Field> in,
                         std::initializer_list<Out> out = {}) {
  Request r{Use::Request, code, family.size, family.status};
  if (getFlag >= 0) r.in[0] = const16(family.getFlag, static_cast<int16_t>(getFlag));
  return detail::fill(r, in, out);
}
// A sibling command and its record size; the status is first.
constexpr Request command(WORD code, DWORD size, std::initializer_list<Field> in, std::initializer_list<Out> out = {}) {
  return detail::fill(Request{Use::Request, code, size, 0}, in, out);
}
constexpr Request refused() { return Request{}; }
// Success without a request: constant fields give the outputs.
constexpr Request answer(std::initializer_list<Field> in = {}, std::initializer_list<Out> out = {}) {
  return detail::fill(Request{Use::Answer, 0, 64, 0}, in, out);
}
constexpr Request asVirtual() { return Request{Use::AsVirtual}; }

// ---- One export -----------------------------------------------------------------------
struct Row {
  const char* name = nullptr;
  ExportFrame::Spacing spacing = ExportFrame::Spacing::Tight;
  ExportFrame::Tracing tracing = ExportFrame::Tracing::All;
  ArgSpec args[6]{};
  Check checks[4]{};  // run in this order, before the ownership check
  bool ownership = true;
  // A device that is not open gives 10001 (after the checks' lookup).
  bool openOnly = false;
  Request kernel{};         // any bus kind but 10 and 3
  Request virtualDevice{};  // bus kind 10
  Request attached = asVirtual();  // bus kind 3
  // The counter and timer families report any failed sibling call as 10002;
  // the others return the call's result as it stands.
  bool busFailure10002 = false;
  // The success line's text for the first output, e.g. "*CntMaxChannels=%d";
  // none: " End :Ret=0" alone.
  const char* endText = nullptr;
};

// Runs the frame of the row with the export's arguments after Id.
LONG Run(const Row& row, int32_t id, std::initializer_list<Arg> args = {});

// The first half of Run for an export that sends its own requests: the
// start trace, the lookup, the row's checks and the ownership check. 0 to
// go on; else the status to return, its end already traced.
LONG Front(ExportFrame& frame, const Row& row, int32_t id, std::initializer_list<Arg> args);

// The road's request of a row (bus kind 3 resolved to 10's where the row says so).
const Request& RequestOf(const Row& row, Road road);

// The second half of Run without its success line, for an export that
// does more after its request: the road's request sent and the outputs
// taken. 0 on success; else the status, its end already traced.
LONG Send(const ExportFrame& frame, const Row& row, std::initializer_list<Arg> args);

}  // namespace halvik::rows
