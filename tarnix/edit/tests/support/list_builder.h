// Lists of a kind built from heads, and a short text of what a list holds,
// for the editing tests.
#pragma once
#include <string>
#include <vector>

#include "check/record_fields.h"
#include "check/tests/support/valid_records.h"

namespace tarnix::testing {

struct Head {
  int32_t driver, group, board;
};

// A list of the kind's valid records under the given heads; each record's
// I/O address tells it apart (0x100 + its position), and none has a line.
inline AnyList MakeList(int32_t kind, std::vector<Head> heads) {
  AnyList list;
  for (std::size_t i = 0; i < heads.size(); ++i) {
    AnyRecord r = ValidRecord(kind);
    r.head().driverNumber = heads[i].driver;
    r.head().groupNumber = heads[i].group;
    r.head().boardNumber = heads[i].board;
    SetRun(r.bytes, FieldsOf(kind)->io, 0, 0x100 + static_cast<int32_t>(i));
    for (int k = 0; k < FieldsOf(kind)->irq.count; ++k) SetRun(r.bytes, FieldsOf(kind)->irq, k, -1);
    list.add(kind, r);
  }
  return list;
}

// "driver.group.board@io" of every entry.
inline std::string Describe(int32_t kind, AnyList& list) {
  std::string out;
  const ListView view(kind, list.bytes);
  for (std::size_t i = 0; i < view.count(); ++i) {
    const RecordHead& h = view.head(i);
    out += std::to_string(h.driverNumber) + "." + std::to_string(h.groupNumber) + "." +
           std::to_string(h.boardNumber) + "@" + std::to_string(GetRun(view.record(i), FieldsOf(kind)->io, 0) - 0x100) +
           " ";
  }
  return out;
}

inline AnyRecord NewRecord(int32_t kind, Head h) {
  AnyRecord r = ValidRecord(kind);
  r.head().driverNumber = h.driver, r.head().groupNumber = h.group, r.head().boardNumber = h.board;
  SetRun(r.bytes, FieldsOf(kind)->io, 0, 0x100 + 99);
  return r;
}

}  // namespace tarnix::testing
