// The serial boards' rules over the serial information table, and the
// COM-port defaults over the COM-port information table of the machine.
#include <cstring>

#include "system/system_info.h"
#include "tables/board_models.h"
#include "tables/model_tables.h"

namespace tarnix {
namespace {

bool knownMachine(int32_t machine) { return machine == 0 || machine == 1; }

template <class Row>
const Row* findRow(const std::vector<Row>& rows, const char* name) {
  if (name == nullptr || name[0] == '\0') return nullptr;
  for (const Row& row : rows) {
    if (std::strcmp(row.name, kEndName) == 0) return nullptr;
    if (std::strcmp(row.name, name) == 0) return &row;
  }
  return nullptr;
}

const SerialInfoRow* serialRow(int32_t machine, const char* model) {
  return knownMachine(machine) ? findRow(tables::TablesOf(machine).serialInfo, model) : nullptr;
}

// Standard port addresses: the ones of the second kind of shared port and
// the machine's own COM ports.
constexpr int32_t kSharedPortAddresses[] = {0x1A0, 0x1A8, 0x1B0, 0x1B8, 0x2A0, 0x2A8, 0x2B0, 0x2B8};
constexpr int32_t kComPortAddresses[] = {0x2E8, 0x2F8, 0x3E8, 0x3F8};

template <std::size_t N>
bool among(const int32_t (&list)[N], int32_t value) {
  for (int32_t v : list) {
    if (v == value) return true;
  }
  return false;
}

}  // namespace

int32_t FindSerialChannelCount(const char* model) {
  const SerialInfoRow* row = serialRow(GetMachineType(), model);
  return row != nullptr ? row->channels : 0;
}

int32_t FindSerialBaudRateType(const char* model) {
  const SerialInfoRow* row = serialRow(GetMachineType(), model);
  return row != nullptr ? row->baudRateType : -1;
}

int32_t ClassifySerialPort(const char* model, int32_t ioAddress) {
  if (model == nullptr || model[0] == '\0') return 0;
  const int32_t machine = GetMachineType();
  if (!knownMachine(machine)) return -1;
  const SerialInfoRow* row = serialRow(machine, model);
  const int32_t portClass = row != nullptr ? row->portClass : 0;
  const int32_t sharing = row != nullptr ? row->sharing : 0;
  if (portClass == 3) return 2;
  if (portClass == 2) return 1;
  if (sharing != 0) return 0;
  if (among(kSharedPortAddresses, ioAddress)) return 2;
  if (among(kComPortAddresses, ioAddress)) return 1;
  return 0;
}

int32_t BuildSerialBoardType(const char* model, const int32_t* ioAddresses, int32_t channelFirst,
                             int32_t channelLast) {
  const int32_t machine = GetMachineType();
  if (!knownMachine(machine)) return 0;
  const int64_t span = static_cast<int64_t>(channelLast) - channelFirst + 1;
  const int channels = span < 0 ? 0 : span > 8 ? 8 : static_cast<int>(span);
  const int32_t modelType = FindModelBoardType(model);
  uint32_t word = 0;
  for (int j = 0; j < 8; ++j) {
    int32_t code = 3;  // no channel
    if (j < channels) {
      code = modelType;
      if (machine == 0) {
        const int32_t port = ClassifySerialPort(model, ioAddresses != nullptr ? ioAddresses[j] : 0);
        if (port == 2) code = 1;
        else if (port == 1) code = 0;
      }
    }
    // A board-type code may be -1 or 0xFFFF: only its two low bits fit.
    word |= static_cast<uint32_t>(code & 3) << (2 * j);
  }
  if (machine == 1) word &= 0xFFFF;
  else word |= 0x10000;
  const SerialInfoRow* row = serialRow(machine, model);
  if (row != nullptr && row->portClass != 0) word |= 0x10000;
  return static_cast<int32_t>(word);
}

int32_t IsSingleInterruptModel(const char* model) {
  if (GetMachineType() != 1) return 0;
  const SerialInfoRow* row = serialRow(1, model);
  return row != nullptr && row->portClass != 2 && row->portClass != 3 && row->sharing == 1 ? 1 : 0;
}

int32_t FindComPortDefaults(const char* model, int32_t* out1, int32_t* out2, int32_t* out3, int32_t* out4,
                            int32_t* out5) {
  const int32_t machine = GetMachineType();
  if (model == nullptr || model[0] == '\0' || !knownMachine(machine)) return -1;
  int32_t* outs[5] = {out1, out2, out3, out4, out5};
  const ComInfoRow* row = findRow(tables::TablesOf(machine).comInfo, model);
  for (int i = 0; i < 5; ++i) {
    if (outs[i] != nullptr) *outs[i] = row != nullptr ? row->values[i] : 0;
  }
  return row != nullptr ? 0 : -1;
}

}  // namespace tarnix
