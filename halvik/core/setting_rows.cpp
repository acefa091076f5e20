// The engine behind the setting rows: the frame of a single setting or
// reading, driven by its row.
#include "setting_rows.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <limits>

#include "library_state.h"
#include "trace_log.h"

namespace halvik::rows {

namespace {

constexpr std::size_t kTextMax = 256;

double numberOf(Kind kind, const Arg& arg) {
  switch (kind) {
    case Kind::I16: return static_cast<int16_t>(arg.i);
    case Kind::I32: return arg.i;
    case Kind::F32: return arg.f;
    default: return 0;
  }
}

bool fails(const Check& check, const Row& row, const Arg* args) {
  const Arg& arg = args[check.arg];
  const Kind kind = row.args[check.arg].kind;
  const double v = numberOf(kind, arg);
  switch (check.test) {
    case Test::None: return false;
    case Test::Null: return arg.p == nullptr;
    case Test::Below: return v < check.a;
    case Test::AtMost: return v <= check.a;
    case Test::Above: return v > check.a;
    case Test::AboveUnsigned: {
      const double u = kind == Kind::I16 ? static_cast<uint16_t>(arg.i) : static_cast<uint32_t>(arg.i);
      return u > check.a;
    }
    case Test::Outside: return !(v >= check.a && v <= check.b);
    case Test::NotEqual: return v != check.a;
  }
  return false;
}

// Toward zero, held inside [lo, hi]; not a number gives 0.
int64_t saturate(double v, double lo, double hi) {
  if (std::isnan(v)) return 0;
  return static_cast<int64_t>(std::trunc(std::fmin(std::fmax(v, lo), hi)));
}

int64_t numberSent(const Field& field, const Row& row, const Arg* args) {
  if (field.from == From::Constant) return field.value;
  if (field.from == From::ProcessId) return static_cast<int32_t>(Library().processId);
  const Arg& arg = args[field.arg];
  const Kind kind = row.args[field.arg].kind;
  if (kind == Kind::InAddress) return static_cast<int32_t>(reinterpret_cast<uintptr_t>(arg.p));  // low 32 bits
  if (kind != Kind::F32) return kind == Kind::I16 ? static_cast<int16_t>(arg.i) : arg.i;
  const double lo = field.wire == Wire::U32 ? 0.0 : std::numeric_limits<int32_t>::min();
  const double hi = field.wire == Wire::U32 ? std::numeric_limits<uint32_t>::max()
                                            : std::numeric_limits<int32_t>::max();
  const double v = arg.f;
  switch (field.conv) {
    case Conv::AsIs:
    case Conv::Whole: return saturate(v, lo, hi);
    case Conv::Micro: return saturate(std::round(v * 1e6), lo, hi);
    case Conv::Thousandths: return saturate((v - std::trunc(v)) * 1000 + 0.0001, lo, hi);
    case Conv::TruncOr50000: return v == static_cast<double>(0.05f) ? 50000 : saturate(v, lo, hi);
  }
  return 0;
}

void putField(unsigned char* block, const Field& field, const Row& row, const Arg* args) {
  unsigned char* at = block + field.at;
  if (field.wire == Wire::Address) {
    const uint64_t address = reinterpret_cast<uintptr_t>(args[field.arg].p);
    std::memcpy(at, &address, sizeof address);
    return;
  }
  if (field.wire == Wire::F32 || field.wire == Wire::F64) {
    const Kind kind = row.args[field.arg].kind;
    const double v = kind == Kind::F32 ? args[field.arg].f : numberOf(kind, args[field.arg]);
    if (field.wire == Wire::F64) {
      std::memcpy(at, &v, sizeof v);
    } else {
      const auto f = static_cast<float>(v);
      std::memcpy(at, &f, sizeof f);
    }
    return;
  }
  const int64_t n = numberSent(field, row, args);
  if (field.wire == Wire::I16) {
    const auto v = static_cast<int16_t>(n);
    std::memcpy(at, &v, sizeof v);
  } else if (field.wire == Wire::I32) {
    const auto v = static_cast<int32_t>(n);
    std::memcpy(at, &v, sizeof v);
  } else if (field.wire == Wire::U32) {
    const auto v = static_cast<uint32_t>(n);
    std::memcpy(at, &v, sizeof v);
  }
}

template <class T>
T read(const unsigned char* block, std::size_t at) {
  T v;
  std::memcpy(&v, block + at, sizeof v);
  return v;
}

double numberBack(const unsigned char* block, const Out& out) {
  switch (out.wire) {
    case Wire::I16: return read<int16_t>(block, out.at);
    case Wire::I32: return read<int32_t>(block, out.at);
    case Wire::U32: return read<uint32_t>(block, out.at);
    case Wire::F32: return read<float>(block, out.at);
    case Wire::F64: return read<double>(block, out.at);
    default: return 0;
  }
}

void takeOut(const unsigned char* block, const Out& out, const Row& row, const Arg* args) {
  void* target = args[out.arg].p;
  const Kind kind = row.args[out.arg].kind;
  if (out.shape == Shape::Text) {
    auto* text = static_cast<char*>(target);
    const char* from = reinterpret_cast<const char*>(block + out.at);
    std::size_t n = strnlen(from, widthOf(Wire::Text12) - 1);
    std::memcpy(text, from, n);
    text[n] = '\0';
    return;
  }
  double v = numberBack(block, out);
  if (out.shape == Shape::PerMillion) v /= 1e6;
  if (out.shape == Shape::IsZero) v = v == 0 ? 1 : 0;
  if (out.shape == Shape::From50000 && v == 50000) v = static_cast<double>(0.05f);
  if (out.shape == Shape::WholeThousandths) v += read<int32_t>(block, out.at2) / 1000.0;
  if (kind == Kind::OutF32) {
    *static_cast<float*>(target) = static_cast<float>(v);
  } else if (kind == Kind::OutI16) {
    *static_cast<short*>(target) = static_cast<short>(v);
  } else if (kind == Kind::OutI32) {
    *static_cast<LONG*>(target) = static_cast<LONG>(v);
  }
}

void traceStart(ExportFrame& frame, const Row& row, int32_t id, const Arg* args, std::size_t count) {
  if (!DebugLogOn()) return;
  char text[kTextMax];
  int n = std::snprintf(text, sizeof text, "Id=%d", static_cast<int16_t>(id));
  for (std::size_t i = 0; i < count; ++i) {
    if (row.args[i].trace == nullptr) continue;
    if (n < 0 || static_cast<std::size_t>(n) >= sizeof text) break;
    n += std::snprintf(text + n, sizeof text - n, ", ");
    const Kind kind = row.args[i].kind;
    if (kind == Kind::F32) {
      n += std::snprintf(text + n, sizeof text - n, row.args[i].trace, static_cast<double>(args[i].f));
    } else {
      n += std::snprintf(text + n, sizeof text - n, row.args[i].trace, static_cast<int>(numberOf(kind, args[i])));
    }
  }
  frame.start("%s", text);
}

LONG success(const ExportFrame& frame, const Row& row, const Arg* args) {
  if (row.endText == nullptr || !DebugLogOn()) return frame.end(0);
  std::size_t arg = 0;
  while (arg + 1 < std::size(row.args) && row.args[arg].kind < Kind::OutI16) ++arg;
  const void* value = args[arg].p;
  char text[kTextMax];
  switch (row.args[arg].kind) {
    case Kind::OutI16: std::snprintf(text, sizeof text, row.endText, *static_cast<const short*>(value)); break;
    case Kind::OutI32: std::snprintf(text, sizeof text, row.endText, *static_cast<const LONG*>(value)); break;
    case Kind::OutF32:
      std::snprintf(text, sizeof text, row.endText, static_cast<double>(*static_cast<const float*>(value)));
      break;
    case Kind::OutText: std::snprintf(text, sizeof text, row.endText, static_cast<const char*>(value)); break;
    default: return frame.end(0);
  }
  return frame.endWith("%s", text);
}

}  // namespace

const Request& RequestOf(const Row& row, Road road) {
  switch (road) {
    case Road::Kernel: return row.kernel;
    case Road::Virtual: return row.virtualDevice;
    case Road::Attached: return row.attached.use == Use::AsVirtual ? row.virtualDevice : row.attached;
  }
  return row.kernel;
}

LONG Front(ExportFrame& frame, const Row& row, int32_t id, std::initializer_list<Arg> list) {
  const Arg* args = list.begin();
  traceStart(frame, row, id, args, list.size());
  if (!frame.find(id)) return kStatusNoDevice;
  if (row.openOnly && frame.record().Handle == INVALID_HANDLE_VALUE) return frame.end(kStatusNoDevice);
  for (const Check& check : row.checks) {
    if (check.test == Test::None) break;
    if (fails(check, row, args)) return frame.end(check.code);
  }
  if (row.ownership) {
    if (LONG status = frame.ownership(); status != 0) return status;
  }
  return 0;
}

LONG Run(const Row& row, int32_t id, std::initializer_list<Arg> list) {
  ExportFrame frame(row.name, row.spacing, row.tracing);
  if (LONG status = Front(frame, row, id, list); status != 0) return status;
  if (LONG status = Send(frame, row, list); status != 0) return status;
  return success(frame, row, list.begin());
}

LONG Send(const ExportFrame& frame, const Row& row, std::initializer_list<Arg> list) {
  const Arg* args = list.begin();
  const DeviceRecord& record = frame.record();
  const Road road = RoadOf(record);
  const Request& request = RequestOf(row, road);
  if (request.check.test != Test::None && fails(request.check, row, args)) return frame.end(request.check.code);
  if (request.use == Use::Refused || request.use == Use::AsVirtual) return frame.end(kStatusNotOnThisDevice);
  alignas(8) unsigned char block[kLargestBlock];
  std::memset(block, 0, request.size);
  for (const Field& field : request.in) {
    if (field.wire != Wire::None) putField(block, field, row, args);
  }
  if (request.use == Use::Request) {
    LONG status = road == Road::Kernel
                      ? SendKernel(record, request.code, block, request.size, request.statusAt)
                      : SendCommand(record, static_cast<WORD>(request.code), block, request.size, row.busFailure10002);
    if (status != 0) return frame.end(status);
  }
  for (const Out& out : request.out) {
    if (out.wire != Wire::None) takeOut(block, out, row, args);
  }
  return 0;
}

}  // namespace halvik::rows
