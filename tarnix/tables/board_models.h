// The board-model tables and every look-up on them. Texts are 8-bit,
// NUL-terminated; model names hold at least 40 bytes, hardware keys 50.
#pragma once
#include <cstdint>
#include <span>

#include <xan_board_config.h>

#include "tables/model_rows.h"

namespace tarnix {

// `BusTypeCode`
enum BusTypeCode : int32_t {
  kBusLegacy = 0,  // ISA or C-bus: resources set by hand
  kBusPci = 1,
  kBusPcCard = 2,
  kBusUsb = 3,
  kBusModule = 4,  // the module series
};

// A kind's current model table, its "End" row included: the machine type
// chooses the set; kind 3 the table of the installed digital driver's
// version, kind 7 the one of the Windows generation. Empty for a machine
// type other than 0 or 1 and for kinds 8, 9 and values outside 1-7, 10.
using BoardModelTable = std::span<const BoardModelRow>;
BoardModelTable SelectBoardModelTable(int32_t kind);
// The digital-variant table (60 rows and "End"), the same for both machines.
std::span<const DigitalVariantRow> DigitalVariantTable();

// The three PC-card serial models; the first two share one combined model
// name where a hardware key of NT 4 is built for them.
inline constexpr const char* kPcCardSerialModels[3] = {"RSI-1C(PC)", "RSI-2C(PC)", "RSI-4C(PC)"};
inline constexpr const char* kPcCardSerialPairName = "RSI-1C/2C(PC)";

// The kind's driver-file table for the running Windows generation, the
// "End" row included; empty for kinds without one.
xanconfig::DriverFileTable SelectDriverFileTable(int32_t kind);
// The row of that table with the driver number, before its "End" row;
// null when there is none.
const xanconfig::DriverFileRow* FindDriverFileRow(int32_t kind, int32_t driver);

// Single-value look-ups: -1 when the model is not found.
int32_t FindModelDriverNumber(const char* model);
int32_t FindModelBoardType(const char* model);
int32_t FindModelBusType(const char* model);
int32_t FindModelDeviceId(const char* model);  // also -1 for a 0 in the row
void FindModelHardwareKey(const char* model, char* key);  // empty text when none

// The kind's model list: 0 a name written, 1 bad argument or kind, 3 end.
int32_t BoardListFirst(int32_t kind, char* model);
int32_t BoardListNext(int32_t kind, char* model);
int32_t BoardListCount(int32_t kind);

// `BoardInfoCode` is (kind << 16) | item. 0 ok; 1 bad code, item, pointer
// or index; 3 the model is not in the kind's information table.
int32_t GetBoardInfoItem(const char* model, int32_t code, void* p1, void* p2, void* p3);

// Direction 1 base name to variant name (key -1: any key), 0 back.
void MapDigitalVariantName(int32_t key, char* name, int32_t direction);

// Serial and COM-port rules.
int32_t FindSerialChannelCount(const char* model);  // 0 when not found
int32_t FindSerialBaudRateType(const char* model);  // -1 when not found
int32_t ClassifySerialPort(const char* model, int32_t ioAddress);  // 0, 1, 2; -1 bad machine type
int32_t BuildSerialBoardType(const char* model, const int32_t* ioAddresses, int32_t channelFirst,
                             int32_t channelLast);
int32_t IsSingleInterruptModel(const char* model);
int32_t FindComPortDefaults(const char* model, int32_t* out1, int32_t* out2, int32_t* out3, int32_t* out4,
                            int32_t* out5);  // 0 found, -1 not

// Searches by PCI device identifier: 0 found (name written), -1 not.
int32_t FindComModelByDeviceId(char* model, int32_t unused, int32_t deviceId, int32_t versionKey);
int32_t FindDigitalModelByDeviceId(char* model, int32_t unused, int32_t deviceId, int32_t version);

// 0 when the name is a model of the kind's current table; 1 when not, when
// the kind has no table or the name is missing.
int32_t IsModelOfKind(int32_t kind, const char* model);
// 0 and the newer name written when the digital model was renamed; else 1.
int32_t FindNewerDigitalName(const char* model, char* newer);

}  // namespace tarnix
