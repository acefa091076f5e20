// Builds the two table sets once: the demonstration rows of the machine,
// then filler rows up to each table's count, then the "End" row. Filler
// names follow "<stem>-<A|N><three digits>" by their position, so the same
// filler is the same model in every table of a kind (the COM-port driver's
// two tables, a model table and its information table).
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

#include "tables/board_models.h"
#include "tables/model_tables.h"

namespace tarnix::tables {
namespace {

template <std::size_t N>
void copyText(char (&to)[N], const std::string& text) {
  std::memset(to, 0, N);
  std::memcpy(to, text.data(), std::min(text.size(), N - 1));
}

constexpr const char* kMaker = "DORNELL";

bool inSet(uint8_t sets, int32_t machine, uint8_t variant) {
  const uint8_t machineBit = machine == 0 ? kAt : kPc98;
  if ((sets & machineBit) == 0) return false;
  return variant == 0 || (sets & variant) != 0;
}

std::string fillerName(const char* stem, int32_t machine, int index) {
  char text[kModelNameBytes];
  std::snprintf(text, sizeof text, "%s-%c%03d", stem, machine == 0 ? 'A' : 'N', index);
  return text;
}

BoardModelRow modelRow(const std::string& name, int32_t driver, int32_t boardType, uint32_t deviceId,
                       int32_t busType, const char* hardwareKey, int32_t versionKey) {
  BoardModelRow row{};
  copyText(row.name, name);
  row.driverNumber = driver;
  row.boardType = boardType;
  row.deviceId = deviceId;
  row.busType = busType;
  if (hardwareKey != nullptr) copyText(row.hardwareKey, hardwareKey);
  copyText(row.description, std::string(kMaker) + "-" + name);
  row.versionKey = versionKey;
  return row;
}

BoardModelRow endModelRow() {
  BoardModelRow row{};
  copyText(row.name, kEndName);
  row.busType = -1;
  return row;
}

// How one kind's filler rows look.
struct FillerStyle {
  const char* stem;
  int32_t kind;       // whose driver-file table gives the driver numbers
  int32_t busType;
};

int32_t fillerDriver(int32_t kind, int index) {
  const xanconfig::DriverFileTable drivers = xanconfig::driverFileTable(kind, xanconfig::OsFamily::Nt);
  const std::size_t rows = drivers.size() - 1;  // without "End"
  return drivers[static_cast<std::size_t>(index) % rows].driverNumber;
}

std::vector<BoardModelRow> modelTable(std::span<const ModelSpec> demo, int32_t machine, uint8_t variant, int count,
                                      const FillerStyle& filler,
                                      const std::vector<BoardModelRow>& middle = {}) {
  std::vector<BoardModelRow> rows;
  for (const ModelSpec& m : demo) {
    if (static_cast<int>(rows.size()) == count) break;
    if (!inSet(m.sets, machine, variant)) continue;
    rows.push_back(modelRow(m.name, m.driverNumber, m.boardType, m.deviceId, m.busType, m.hardwareKey, m.versionKey));
  }
  for (const BoardModelRow& row : middle) {
    if (static_cast<int>(rows.size()) == count) break;
    rows.push_back(row);
  }
  for (int i = 0; static_cast<int>(rows.size()) < count; ++i) {
    rows.push_back(modelRow(fillerName(filler.stem, machine, i), fillerDriver(filler.kind, i), 100 + i, 0,
                            filler.busType, nullptr, 0));
  }
  rows.push_back(endModelRow());
  return rows;
}

// The names an information table covers: the model table's own, in order,
// then further fillers past the table's last one.
std::vector<std::string> infoNames(const std::vector<BoardModelRow>& models, int count, const char* stem,
                                   int32_t machine) {
  std::vector<std::string> names;
  int fillers = 0;
  for (const BoardModelRow& row : models) {
    if (std::strcmp(row.name, kEndName) == 0 || static_cast<int>(names.size()) == count) break;
    names.emplace_back(row.name);
    if (names.back().rfind(std::string(stem) + "-", 0) == 0) ++fillers;
  }
  while (static_cast<int>(names.size()) < count) names.push_back(fillerName(stem, machine, fillers++));
  return names;
}

template <class Spec>
const Spec* specOf(std::span<const Spec> specs, const std::string& name) {
  for (const Spec& s : specs) {
    if (name == s.name) return &s;
  }
  return nullptr;
}

template <class Row>
Row endInfoRow() {
  Row row{};
  copyText(row.name, kEndName);
  return row;
}

SerialInfoRow serialInfo(const std::string& name, int index) {
  SerialInfoRow row{};
  copyText(row.name, name);
  if (const SerialSpec* s = specOf(demo::kSerialInfo, name)) {
    row.channels = s->channels;
    row.baudRateType = s->baudRateType;
    row.portClass = s->portClass;
    row.sharing = s->sharing;
    copyText(row.uart, s->uart);
    row.rxFifo = s->rxFifo;
    row.txFifo = s->txFifo;
    row.forceFifo = s->forceFifo;
    row.autoRs485 = s->autoRs485;
    return row;
  }
  static constexpr int32_t kChannels[] = {1, 2, 4, 8};
  row.channels = kChannels[index % 4];
  row.baudRateType = index % 3;
  copyText(row.uart, "16550");
  row.rxFifo = 8;
  row.txFifo = 1;
  row.forceFifo = 1;
  return row;
}

AnalogInfoRow analogInfo(const std::string& name, int index) {
  const AnalogSpec* s = specOf(demo::kAnalogInfo, name);
  const AnalogSpec fill{nullptr, 8 << (index % 3), index % 2 == 0 ? 12 : 16, 5.0 * (1 + index % 2), 10.0 + index};
  const AnalogSpec& a = s != nullptr ? *s : fill;
  AnalogInfoRow row{};
  copyText(row.name, name);
  const int32_t codes = 1 << a.bits;
  const int32_t values[11] = {a.channels, a.channels * 2, a.bits, codes, 2, 4, 8, 1, 0, 1, index};
  std::copy(std::begin(values), std::end(values), row.values);
  row.inputRange[0] = -a.rangeVolts;
  row.inputRange[1] = a.rangeVolts;
  // In steps of 0.1 mV: beyond 16 bits for the wider ranges.
  row.inputSpan[0] = -a.rangeVolts * 10000.0;
  row.inputSpan[1] = a.rangeVolts * 10000.0;
  row.inputSpan[2] = a.bits;
  row.outputRange[0] = 0.0;
  row.outputRange[1] = codes - 1.0;
  row.outputGain[0] = a.rangeVolts / codes;
  row.outputGain[1] = 2.0 * a.rangeVolts / codes;
  row.outputGain[2] = 2;
  row.value18 = a.channels;
  row.clock19[0] = a.fastestScanMicroseconds * 1000.0;
  row.clock19[1] = 4.0e9;  // the slowest step in ns, beyond 32 bits
  row.clock19[2] = 25;
  row.value1A = 1;
  row.clock1B[0] = a.fastestScanMicroseconds * 100.0;
  row.clock1B[1] = 1.0e8;
  row.clock1B[2] = 10;
  row.clock1C[0] = 1.0;
  row.clock1C[1] = 65535.0;
  row.clock1C[2] = 1;
  row.pair21[0] = 0;
  row.pair21[1] = a.channels - 1;
  row.value25 = a.bits == 16 ? 1 : 0;
  // Range codes: bipolar 0 to 3, unipolar 16 to 19, as many as the board has.
  const int ranges = 2 + index % 3;
  std::fill(std::begin(row.codes23), std::end(row.codes23), 0);
  std::fill(std::begin(row.codes24), std::end(row.codes24), 0);
  for (int i = 0; i < ranges; ++i) {
    row.codes23[i] = i;
    row.codes23[ranges + i] = 16 + i;
  }
  row.codes23[2 * ranges] = -1;
  row.pair22[0] = 0;
  row.pair22[1] = 1;
  row.value26 = 2;
  // The second list is full: the scan ends by its length, not by a -1.
  for (std::size_t i = 0; i < kAnalogCodeListLength; ++i) row.codes24[i] = static_cast<int32_t>(100 + i);
  for (int i = 0; i < 5; ++i) row.entries1F[i] = {a.rangeVolts / (1 << i), i, 0};
  for (int i = 0; i < 7; ++i) row.entries20[i] = {1.0e6 / (1 << i), 10 + i, 0};
  return row;
}

template <class Row, std::size_t N>
Row valuesInfo(std::span<const ValuesSpec> specs, const std::string& name, int index) {
  Row row{};
  copyText(row.name, name);
  int32_t values[N];
  if (const ValuesSpec* s = specOf(specs, name)) {
    std::copy_n(s->values, N, values);
  } else {
    for (std::size_t i = 0; i < N; ++i) values[i] = static_cast<int32_t>((index + 1) * (i + 1));
  }
  if constexpr (N == 1) {
    row.axes = values[0] == 0 ? 1 + index % 4 : values[0];
  } else {
    std::copy_n(values, N, row.values);
  }
  return row;
}

template <class Row, class Make>
std::vector<Row> infoTable(const std::vector<std::string>& names, Make make) {
  std::vector<Row> rows;
  for (std::size_t i = 0; i < names.size(); ++i) rows.push_back(make(names[i], static_cast<int>(i)));
  rows.push_back(endInfoRow<Row>());
  return rows;
}

std::vector<DigitalVariantRow> buildVariants() {
  std::vector<std::string> bases;
  std::vector<std::pair<std::string, std::string>> suffixes;
  for (const VariantSpec& v : demo::kVariants) {
    bases.emplace_back(v.baseName);
    suffixes.emplace_back(v.suffixKey3, v.suffixKey0);
  }
  for (int i = 0; static_cast<int>(bases.size()) < kDigitalVariantRows / 2; ++i) {
    bases.push_back(fillerName("DIOV", 0, i));
    suffixes.emplace_back("-SA", "-NA");
  }
  std::vector<DigitalVariantRow> rows(kDigitalVariantRows + 1);
  for (std::size_t i = 0; i < bases.size(); ++i) {
    for (int half = 0; half < 2; ++half) {
      DigitalVariantRow& row = rows[i + static_cast<std::size_t>(half) * bases.size()];
      row.key = half == 0 ? 3 : 0;
      copyText(row.baseName, bases[i]);
      copyText(row.variantName, bases[i] + (half == 0 ? suffixes[i].first : suffixes[i].second));
      copyText(row.description, std::string(kMaker) + "-" + bases[i]);
    }
  }
  copyText(rows.back().baseName, kEndName);
  copyText(rows.back().variantName, kEndName);
  return rows;
}

const std::vector<DigitalVariantRow>& variants() {
  static const std::vector<DigitalVariantRow> rows = buildVariants();
  return rows;
}

MachineTables build(int32_t machine) {
  MachineTables t;
  const int32_t m = machine;
  t.serial = modelTable(demo::kSerial, m, 0, kSerialModels.of(m), {"SIOX", 1, kBusLegacy});
  t.analog = modelTable(demo::kAnalog, m, 0, kAnalogModels.of(m), {"AIOX", 2, kBusLegacy});
  t.digitalOld = modelTable(demo::kDigital, m, kFirstVariant, kDigitalOldModels.of(m), {"DIOX", 3, kBusLegacy});
  // The digital-new table lists every variant under its variant name.
  std::vector<BoardModelRow> variantModels;
  for (const DigitalVariantRow& v : variants()) {
    if (std::strcmp(v.variantName, kEndName) == 0) break;
    // A variant is its base model under another driver.
    const ModelSpec* base = specOf(demo::kDigital, v.baseName);
    variantModels.push_back(base != nullptr ? modelRow(v.variantName, v.key, base->boardType, base->deviceId,
                                                       base->busType, base->hardwareKey, base->versionKey)
                                            : modelRow(v.variantName, v.key, 4, 0, kBusLegacy, nullptr, 0));
  }
  t.digitalNew = modelTable(demo::kDigital, m, kSecondVariant, kDigitalNewModels.of(m), {"DIOX", 3, kBusLegacy},
                            variantModels);
  t.gpib = modelTable(demo::kGpib, m, 0, kGpibModels.of(m), {"GPBX", 4, kBusLegacy});
  t.counter = modelTable(demo::kCounter, m, 0, kCounterModels.of(m), {"CNTX", 5, kBusLegacy});
  t.stepper = modelTable(demo::kStepper, m, 0, kStepperModels.of(m), {"SMCX", 6, kBusLegacy});
  t.comNt4 = modelTable(demo::kComPort, m, kFirstVariant, kComNt4Models.of(m), {"RSCX", 7, kBusLegacy});
  t.comOther = modelTable(demo::kComPort, m, kSecondVariant, kComOtherModels.of(m), {"RSCX", 7, kBusLegacy});
  t.module = modelTable(demo::kModule, m, 0, kModuleModels.of(m), {"FLNX", 10, kBusModule});

  t.serialInfo = infoTable<SerialInfoRow>(infoNames(t.serial, kSerialInfo.of(m), "SIOX", m), serialInfo);
  t.analogInfo = infoTable<AnalogInfoRow>(infoNames(t.analog, kAnalogInfo.of(m), "AIOX", m), analogInfo);
  t.digitalInfo = infoTable<DigitalInfoRow>(infoNames(t.digitalNew, kDigitalInfo.of(m), "DIOX", m),
                                            [](const std::string& n, int i) {
                                              return valuesInfo<DigitalInfoRow, 8>(demo::kDigitalInfo, n, i);
                                            });
  t.gpibInfo = infoTable<GpibInfoRow>(infoNames(t.gpib, kGpibInfo.of(m), "GPBX", m), [](const std::string& n, int) {
    GpibInfoRow row{};
    copyText(row.name, n);
    return row;
  });
  t.counterInfo = infoTable<CounterInfoRow>(infoNames(t.counter, kCounterInfo.of(m), "CNTX", m),
                                            [](const std::string& n, int i) {
                                              return valuesInfo<CounterInfoRow, 6>(demo::kCounterInfo, n, i);
                                            });
  t.stepperInfo = infoTable<StepperInfoRow>(infoNames(t.stepper, kStepperInfo.of(m), "SMCX", m),
                                            [](const std::string& n, int i) {
                                              return valuesInfo<StepperInfoRow, 1>(demo::kStepperInfo, n, i);
                                            });
  t.comInfo = infoTable<ComInfoRow>(infoNames(t.comOther, kComInfo.of(m), "RSCX", m),
                                    [](const std::string& n, int i) {
                                      return valuesInfo<ComInfoRow, 5>(demo::kComInfo, n, i);
                                    });
  const std::span<const DigitalRenameRow> renames = m == 0 ? demo::kRenamesAt : demo::kRenamesPc98;
  t.renames.assign(renames.begin(), renames.end());
  return t;
}

}  // namespace

const MachineTables& TablesOf(int32_t machine) {
  static const MachineTables at = build(0);
  static const MachineTables pc98 = build(1);
  return machine == 0 ? at : pc98;
}

std::span<const DigitalVariantRow> DigitalVariants() { return variants(); }

}  // namespace tarnix::tables
