// The board-information items of a model: (kind << 16) | item, each read
// from the kind's information table of the machine.
#include <cfloat>
#include <cmath>
#include <cstring>
#include <limits>

#include "system/system_info.h"
#include "tables/board_models.h"
#include "tables/model_tables.h"

namespace tarnix {
namespace {

using tables::MachineTables;

constexpr int32_t kOk = 0, kBad = 1, kNotFound = 3;

template <class Row>
const Row* findRow(const std::vector<Row>& rows, const char* name) {
  for (const Row& row : rows) {
    if (std::strcmp(row.name, kEndName) == 0) return nullptr;
    if (std::strcmp(row.name, name) == 0) return &row;
  }
  return nullptr;
}

// Doubles become integers by truncation toward zero; a value outside the
// integer's range gives its nearest end (and NaN 0) instead of undefined
// behaviour.
template <class Int>
Int saturated(double value) {
  if (std::isnan(value)) return 0;
  const double low = static_cast<double>(std::numeric_limits<Int>::min());
  const double high = static_cast<double>(std::numeric_limits<Int>::max());
  if (value <= low) return std::numeric_limits<Int>::min();
  if (value >= high) return std::numeric_limits<Int>::max();
  return static_cast<Int>(value);
}

float asFloat(double value) {
  if (value > FLT_MAX) return std::numeric_limits<float>::infinity();
  if (value < -FLT_MAX) return -std::numeric_limits<float>::infinity();
  return static_cast<float>(value);
}

void put32(void* out, int32_t value) { std::memcpy(out, &value, sizeof value); }
void put16(void* out, double value) {
  const int16_t v = saturated<int16_t>(value);
  std::memcpy(out, &v, sizeof v);
}
void putInt32(void* out, double value) { put32(out, saturated<int32_t>(value)); }
int32_t get32(const void* in) {
  int32_t value;
  std::memcpy(&value, in, sizeof value);
  return value;
}

int32_t serialItem(const SerialInfoRow& row, int32_t item, void* p1) {
  if (p1 == nullptr) return kBad;
  switch (item) {
    case 1:
      std::memcpy(p1, row.uart, sizeof row.uart);
      static_cast<char*>(p1)[sizeof row.uart - 1] = '\0';
      return kOk;
    case 2:
      put32(p1, row.rxFifo);
      return kOk;
    case 3:
      put32(p1, row.txFifo);
      return kOk;
    case 4:
      put32(p1, row.forceFifo);
      return kOk;
    case 5:
      put32(p1, row.autoRs485);
      return kOk;
    default:
      return kOk;  // nothing written
  }
}

// Items whose first two doubles go to p1 and p2 and whose third, when p3
// is given, goes to p3 as 16 bits.
struct TripleItem {
  int32_t item;
  const double* values;
  bool float32;  // the first two as single precision, else as 32-bit integers
};

// An index in p1 picks an entry; its double goes to p2 as 32 bits and its
// code to p3.
template <std::size_t N>
int32_t entryItem(const AnalogInfoEntry (&entries)[N], void* p1, void* p2, void* p3) {
  if (p3 == nullptr) return kBad;
  const int32_t index = get32(p1);
  if (index < 0 || index >= static_cast<int32_t>(N)) return kBad;
  putInt32(p2, entries[index].value);
  put32(p3, entries[index].code);
  return kOk;
}

int32_t pairItem(const int32_t (&pair)[2], void* p1, void* p2) {
  const int32_t index = get32(p1);
  if (index != 0 && index != 1) return kBad;
  put32(p2, pair[index]);
  return kOk;
}

// The code in p1 is looked for until a -1 entry or the list's end; p2 gets
// 27 whatever the position (the configuration program reads it so), p3
// whether the code was found.
int32_t codeListItem(const int32_t (&codes)[kAnalogCodeListLength], void* p1, void* p2, void* p3) {
  if (p3 == nullptr) return kBad;
  const int32_t wanted = get32(p1);
  int32_t found = 0;
  for (int32_t code : codes) {
    if (code == -1) break;
    if (code == wanted) {
      found = 1;
      break;
    }
  }
  put32(p2, 27);
  put32(p3, found);
  return kOk;
}

int32_t analogItem(const AnalogInfoRow& row, int32_t item, void* p1, void* p2, void* p3) {
  if (p1 == nullptr) return kBad;
  if (item >= 1 && item <= 0x0B) {
    put32(p1, row.values[item - 1]);
    return kOk;
  }
  switch (item) {
    case 0x18:
      put32(p1, row.value18);
      return kOk;
    case 0x1A:
      put32(p1, row.value1A);
      return kOk;
    case 0x25:
      put32(p1, row.value25);
      return kOk;
    case 0x26:
      put32(p1, row.value26);
      return kOk;
    default:
      break;
  }
  const TripleItem triples[] = {
      {0x17, row.outputGain, true}, {0x19, row.clock19, false}, {0x1B, row.clock1B, false},
      {0x1C, row.clock1C, false}};
  const bool writesP2 = (item >= 0x14 && item <= 0x17) || item == 0x19 || item == 0x1B || item == 0x1C ||
                        (item >= 0x1F && item <= 0x24);
  if (!writesP2 || p2 == nullptr) return kBad;
  switch (item) {
    case 0x14:
      put16(p1, row.inputRange[0]);
      put16(p2, row.inputRange[1]);
      return kOk;
    case 0x15:
      put16(p1, row.inputSpan[0]);
      put16(p2, row.inputSpan[1]);
      if (p3 != nullptr) put16(p3, row.inputSpan[2]);
      return kOk;
    case 0x16:
      putInt32(p1, row.outputRange[0]);
      putInt32(p2, row.outputRange[1]);
      return kOk;
    case 0x1F:
      return entryItem(row.entries1F, p1, p2, p3);
    case 0x20:
      return entryItem(row.entries20, p1, p2, p3);
    case 0x21:
      return pairItem(row.pair21, p1, p2);
    case 0x22:
      return pairItem(row.pair22, p1, p2);
    case 0x23:
      return codeListItem(row.codes23, p1, p2, p3);
    case 0x24:
      return codeListItem(row.codes24, p1, p2, p3);
    default:
      break;
  }
  for (const TripleItem& t : triples) {
    if (t.item != item) continue;
    if (t.float32) {
      const float first = asFloat(t.values[0]), second = asFloat(t.values[1]);
      std::memcpy(p1, &first, sizeof first);
      std::memcpy(p2, &second, sizeof second);
    } else {
      putInt32(p1, t.values[0]);
      putInt32(p2, t.values[1]);
    }
    if (p3 != nullptr) put16(p3, t.values[2]);
    return kOk;
  }
  return kBad;
}

int32_t digitalItem(const DigitalInfoRow& row, int32_t item, void* p1) {
  if (p1 == nullptr) return kBad;
  if (item == 1) put32(p1, row.values[0]);
  else if (item == 2) put32(p1, row.values[0] != 0 ? 1 : 0);
  else if (item >= 3 && item <= 9) put32(p1, row.values[item - 2]);
  else return kBad;
  return kOk;
}

int32_t counterItem(const CounterInfoRow& row, int32_t item, void* p1) {
  if (p1 == nullptr || item < 1 || item > 6) return kBad;
  put32(p1, row.values[item - 1]);
  return kOk;
}

int32_t stepperItem(const StepperInfoRow& row, int32_t item, void* p1) {
  if (p1 == nullptr || item != 1) return kBad;
  put32(p1, row.axes);
  return kOk;
}

int32_t comItem(const ComInfoRow& row, int32_t item, void* p1, void* p2) {
  if (p1 == nullptr || p2 == nullptr || (item != 1 && item != 2)) return kBad;
  put32(p1, row.values[item]);      // 44 or 48
  put32(p2, row.values[item + 2]);  // 52 or 56
  return kOk;
}

// Finds the model's row in the kind's table and answers its item.
template <class Row, class Answer>
int32_t answer(const std::vector<Row>& rows, const char* model, Answer a) {
  const Row* row = findRow(rows, model);
  return row != nullptr ? a(*row) : kNotFound;
}

}  // namespace

int32_t GetBoardInfoItem(const char* model, int32_t code, void* p1, void* p2, void* p3) {
  const int32_t kind = code >> 16;
  const int32_t item = code & 0xFFFF;
  if (kind < 1 || kind > 7) return kBad;
  if (model == nullptr) return kBad;
  // Any machine type but the AT compatible reads the PC-9800 tables.
  const MachineTables& t = tables::TablesOf(GetMachineType() == 0 ? 0 : 1);
  switch (kind) {
    case 1:
      return answer(t.serialInfo, model, [&](const SerialInfoRow& r) { return serialItem(r, item, p1); });
    case 2:
      return answer(t.analogInfo, model, [&](const AnalogInfoRow& r) { return analogItem(r, item, p1, p2, p3); });
    case 3:
      return answer(t.digitalInfo, model, [&](const DigitalInfoRow& r) { return digitalItem(r, item, p1); });
    case 4:
      return answer(t.gpibInfo, model, [](const GpibInfoRow&) { return kBad; });
    case 5:
      return answer(t.counterInfo, model, [&](const CounterInfoRow& r) { return counterItem(r, item, p1); });
    case 6:
      return answer(t.stepperInfo, model, [&](const StepperInfoRow& r) { return stepperItem(r, item, p1); });
    default:
      return answer(t.comInfo, model, [&](const ComInfoRow& r) { return comItem(r, item, p1, p2); });
  }
}

}  // namespace tarnix
