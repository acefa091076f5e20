// The table sets of the two machine types, built once at first use from
// the demonstration rows and padded by a deterministic filler to the row
// counts the configuration program expects. Every span ends with its "End"
// row.
#pragma once
#include <cstdint>
#include <span>
#include <vector>

#include "tables/model_rows.h"

namespace tarnix::tables {

// Row counts without the "End" row, AT compatible first, PC-9800 second.
struct RowCounts {
  int at;
  int pc98;
  int of(int32_t machine) const { return machine == 0 ? at : pc98; }
};
inline constexpr RowCounts kSerialModels{45, 53};
inline constexpr RowCounts kAnalogModels{45, 52};
inline constexpr RowCounts kDigitalOldModels{14, 23};
inline constexpr RowCounts kDigitalNewModels{153, 190};
inline constexpr RowCounts kGpibModels{8, 13};
inline constexpr RowCounts kCounterModels{13, 15};
inline constexpr RowCounts kStepperModels{3, 5};
inline constexpr RowCounts kComNt4Models{37, 33};
inline constexpr RowCounts kComOtherModels{40, 28};
inline constexpr RowCounts kModuleModels{1, 1};

inline constexpr RowCounts kSerialInfo{47, 55};
inline constexpr RowCounts kAnalogInfo{45, 52};
inline constexpr RowCounts kDigitalInfo{153, 190};
inline constexpr RowCounts kGpibInfo{7, 12};
inline constexpr RowCounts kCounterInfo{13, 15};
inline constexpr RowCounts kStepperInfo{3, 5};
inline constexpr RowCounts kComInfo{42, 30};

inline constexpr int kDigitalVariantRows = 60;

struct MachineTables {
  std::vector<BoardModelRow> serial, analog, digitalOld, digitalNew, gpib, counter, stepper, comNt4, comOther, module;
  std::vector<SerialInfoRow> serialInfo;
  std::vector<AnalogInfoRow> analogInfo;
  std::vector<DigitalInfoRow> digitalInfo;
  std::vector<GpibInfoRow> gpibInfo;
  std::vector<CounterInfoRow> counterInfo;
  std::vector<StepperInfoRow> stepperInfo;
  std::vector<ComInfoRow> comInfo;
  std::vector<DigitalRenameRow> renames;
};

// The set of machine type 0 (AT compatible) or 1 (PC-9800).
const MachineTables& TablesOf(int32_t machine);
// One table for both machines.
std::span<const DigitalVariantRow> DigitalVariants();

// ---- what the builder takes from the demonstration rows ----

// Which tables a demonstration row belongs to.
enum Sets : uint8_t {
  kAt = 1,
  kPc98 = 2,
  kBothMachines = kAt | kPc98,
  kFirstVariant = 4,   // digital: the table before driver version 202; COM port: NT 4
  kSecondVariant = 8,  // digital: from version 202; COM port: every other generation
  kBothVariants = kFirstVariant | kSecondVariant,
};

struct ModelSpec {
  const char* name;
  int32_t driverNumber;
  int32_t boardType;
  uint32_t deviceId;
  int32_t busType;
  const char* hardwareKey;  // PC cards only
  int32_t versionKey;
  uint8_t sets;
};

struct SerialSpec {
  const char* name;
  int32_t channels, baudRateType, portClass, sharing;
  const char* uart;
  int32_t rxFifo, txFifo, forceFifo, autoRs485;
};

struct AnalogSpec {
  const char* name;
  int32_t channels, bits;
  double rangeVolts;
  double fastestScanMicroseconds;
};

struct ValuesSpec {  // digital (8), counter (6), stepper (1) and COM-port (5) rows
  const char* name;
  int32_t values[8];
};

struct VariantSpec {
  const char* baseName;
  const char* suffixKey3;
  const char* suffixKey0;
};

// The demonstration rows of each kind (demo_rows.cpp).
namespace demo {
extern const std::span<const ModelSpec> kSerial, kAnalog, kDigital, kGpib, kCounter, kStepper, kComPort, kModule;
extern const std::span<const SerialSpec> kSerialInfo;
extern const std::span<const AnalogSpec> kAnalogInfo;
extern const std::span<const ValuesSpec> kDigitalInfo, kCounterInfo, kStepperInfo, kComInfo;
extern const std::span<const VariantSpec> kVariants;
extern const std::span<const DigitalRenameRow> kRenamesAt, kRenamesPc98;
}  // namespace demo

}  // namespace tarnix::tables
