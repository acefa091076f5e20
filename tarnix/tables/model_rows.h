// The row layouts of the board-model tables. Every table ends with a row
// whose name is "End"; a scan stops there and never reads past it.
#pragma once
#include <cstddef>
#include <cstdint>

namespace tarnix {

inline constexpr std::size_t kModelNameBytes = 40;
inline constexpr std::size_t kHardwareKeyBytes = 50;
inline constexpr std::size_t kDescriptionBytes = 198;
inline constexpr const char* kEndName = "End";

// `BoardModelRow`: one model of a kind.
struct BoardModelRow {
  char name[kModelNameBytes];  // compared case-sensitively
  int32_t driverNumber;        // a driver of the kind's driver-file table
  int32_t boardType;           // the registry's BoardType
  uint32_t deviceId;           // PCI device identifier; 0 when not PCI
  int32_t busType;             // BusTypeCode; -1 in the "End" row
  char hardwareKey[kHardwareKeyBytes];  // PC cards only: "PCMCIA\<maker>-<product>-<checksum>"
  char description[kDescriptionBytes];  // "<maker>-<model>", matched against DeviceDesc
  int32_t reserved;
  int32_t versionKey;  // tells rows of one device identifier apart
};
static_assert(offsetof(BoardModelRow, driverNumber) == 40);
static_assert(offsetof(BoardModelRow, busType) == 52);
static_assert(offsetof(BoardModelRow, hardwareKey) == 56);
static_assert(offsetof(BoardModelRow, description) == 106);
static_assert(offsetof(BoardModelRow, versionKey) == 308);
static_assert(sizeof(BoardModelRow) == 312);

// `DigitalVariantRow`: a digital model's name under one digital driver.
struct DigitalVariantRow {
  int32_t key;                        // the digital driver number: 3 in the first half, 0 in the second
  char baseName[kModelNameBytes];     // what the registry stores
  char variantName[kModelNameBytes];  // what the digital-new table lists
  char description[100];
};
static_assert(offsetof(DigitalVariantRow, variantName) == 44);
static_assert(offsetof(DigitalVariantRow, description) == 84);
static_assert(sizeof(DigitalVariantRow) == 184);

// A digital model that was renamed: its old and newer name.
struct DigitalRenameRow {
  char oldName[kModelNameBytes];
  char newName[kModelNameBytes];
};
static_assert(sizeof(DigitalRenameRow) == 80);

// ---- Board-information rows, one layout a kind ----

struct SerialInfoRow {
  char name[kModelNameBytes];
  int32_t channels;      // 1, 2, 4 or 8
  int32_t baudRateType;
  int32_t portClass;     // 0 to 3
  int32_t sharing;       // 0, 1, 2
  char uart[20];         // the ComController text
  int32_t rxFifo;
  int32_t txFifo;
  int32_t forceFifo;
  int32_t autoRs485;
};
static_assert(offsetof(SerialInfoRow, uart) == 56);
static_assert(offsetof(SerialInfoRow, rxFifo) == 76);
static_assert(sizeof(SerialInfoRow) == 92);

// {value, index} entries of the analog row's two tables.
struct AnalogInfoEntry {
  double value;
  int32_t code;
  int32_t unused;
};
static_assert(sizeof(AnalogInfoEntry) == 16);

inline constexpr std::size_t kAnalogCodeListLength = 28;

struct AnalogInfoRow {
  char name[kModelNameBytes];
  int32_t values[11];  // items 0x01 to 0x0B
  int32_t unused84;
  double inputRange[2];        // 0x14
  double inputSpan[3];         // 0x15
  double outputRange[2];       // 0x16
  double outputGain[3];        // 0x17
  int32_t value18;             // 0x18
  int32_t unused172;
  double clock19[3];           // 0x19
  int32_t value1A;             // 0x1A
  int32_t unused204;
  double clock1B[3];           // 0x1B
  double clock1C[3];           // 0x1C
  int32_t pair21[2];           // 0x21
  int32_t value25;             // 0x25
  int32_t codes23[kAnalogCodeListLength];  // 0x23, ended early by -1
  int32_t unused380;
  int32_t pair22[2];           // 0x22
  int32_t value26;             // 0x26
  int32_t codes24[kAnalogCodeListLength];  // 0x24, ended early by -1
  int32_t unused508;
  AnalogInfoEntry entries1F[5];  // 0x1F
  AnalogInfoEntry entries20[7];  // 0x20
};
static_assert(offsetof(AnalogInfoRow, inputRange) == 88);
static_assert(offsetof(AnalogInfoRow, inputSpan) == 104);
static_assert(offsetof(AnalogInfoRow, outputRange) == 128);
static_assert(offsetof(AnalogInfoRow, outputGain) == 144);
static_assert(offsetof(AnalogInfoRow, value18) == 168);
static_assert(offsetof(AnalogInfoRow, clock19) == 176);
static_assert(offsetof(AnalogInfoRow, value1A) == 200);
static_assert(offsetof(AnalogInfoRow, clock1B) == 208);
static_assert(offsetof(AnalogInfoRow, clock1C) == 232);
static_assert(offsetof(AnalogInfoRow, pair21) == 256);
static_assert(offsetof(AnalogInfoRow, value25) == 264);
static_assert(offsetof(AnalogInfoRow, codes23) == 268);
static_assert(offsetof(AnalogInfoRow, pair22) == 384);
static_assert(offsetof(AnalogInfoRow, value26) == 392);
static_assert(offsetof(AnalogInfoRow, codes24) == 396);
static_assert(offsetof(AnalogInfoRow, entries1F) == 512);
static_assert(offsetof(AnalogInfoRow, entries20) == 592);
static_assert(sizeof(AnalogInfoRow) == 704);

struct DigitalInfoRow {
  char name[kModelNameBytes];
  int32_t values[8];  // items 0x01, 0x03 to 0x09
};
static_assert(sizeof(DigitalInfoRow) == 72);

struct GpibInfoRow {
  char name[kModelNameBytes];
};
static_assert(sizeof(GpibInfoRow) == 40);

struct CounterInfoRow {
  char name[kModelNameBytes];
  int32_t values[6];  // items 0x01 to 0x06
};
static_assert(sizeof(CounterInfoRow) == 64);

struct StepperInfoRow {
  char name[kModelNameBytes];
  int32_t axes;  // item 0x01
};
static_assert(sizeof(StepperInfoRow) == 44);

struct ComInfoRow {
  char name[kModelNameBytes];
  int32_t values[5];  // all five are the COM-port defaults; 1 to 4 serve items 0x01, 0x02
};
static_assert(sizeof(ComInfoRow) == 60);

}  // namespace tarnix
