// Table choice and the look-ups by model name, variant and device
// identifier. The single-value look-ups share one frame: find the first
// row of the name in the kinds' current tables, then read one field.
#include <cstring>
#include <string_view>

#include "system/system_info.h"
#include "tables/board_models.h"
#include "tables/model_tables.h"

namespace tarnix {
namespace {

using tables::MachineTables;
using tables::TablesOf;

bool isEnd(const char* name) { return std::strcmp(name, kEndName) == 0; }

template <std::size_t N>
void copyName(char* to, const char (&from)[N]) {
  std::memcpy(to, from, N);
  to[N - 1] = '\0';
}

// The digital driver's versions whose tables list models by variant name
// while the registry keeps the base name.
bool mapsVariants(uint32_t digitalVersion) { return digitalVersion >= 202 && digitalVersion <= 241; }

constexpr int32_t kLookupOrder[] = {1, 2, 3, 4, 5, 6, 7, 10};

bool knownMachine(int32_t machine) { return machine == 0 || machine == 1; }

// The kind's table of a known machine, the digital driver's version given.
BoardModelTable tableOf(int32_t kind, int32_t machine, uint32_t digitalVersion) {
  const MachineTables& t = TablesOf(machine);
  switch (kind) {
    case 1:
      return t.serial;
    case 2:
      return t.analog;
    case 3:
      return digitalVersion < 202 ? BoardModelTable(t.digitalOld) : BoardModelTable(t.digitalNew);
    case 4:
      return t.gpib;
    case 5:
      return t.counter;
    case 6:
      return t.stepper;
    case 7: {
      const uint32_t generation = GetOsGeneration();
      const bool nt4 = generation == kOsNt4 || generation == 0x10000;
      return nt4 ? BoardModelTable(t.comNt4) : BoardModelTable(t.comOther);
    }
    case 10:
      return t.module;
    default:
      return {};
  }
}

struct Found {
  const BoardModelRow* row = nullptr;
  int32_t kind = 0;
};

// The first row named `model` in the kinds' tables, in kind order. A name
// that cannot fit a row's field matches none (it is never cut to fit). The
// caller's name may be a record's field without its NUL: no more than the
// field is read.
Found findModel(const char* model, bool normalise) {
  if (model == nullptr || model[0] == '\0') return {};
  if (strnlen(model, kModelNameBytes) == kModelNameBytes) return {};
  const int32_t machine = GetMachineType();
  if (!knownMachine(machine)) return {};
  // Read once for the whole search.
  const uint32_t digitalVersion = GetDriverVersion(3);
  char name[kModelNameBytes] = {};
  std::strcpy(name, model);
  if (normalise && mapsVariants(digitalVersion)) MapDigitalVariantName(-1, name, 1);
  for (int32_t kind : kLookupOrder) {
    for (const BoardModelRow& row : tableOf(kind, machine, digitalVersion)) {
      if (isEnd(row.name)) break;
      if (std::strcmp(row.name, name) == 0) return {&row, kind};
    }
  }
  return {};
}

}  // namespace

BoardModelTable SelectBoardModelTable(int32_t kind) {
  const int32_t machine = GetMachineType();
  if (!knownMachine(machine)) return {};
  return tableOf(kind, machine, kind == 3 ? GetDriverVersion(3) : 0);
}

std::span<const DigitalVariantRow> DigitalVariantTable() { return tables::DigitalVariants(); }

xanconfig::DriverFileTable SelectDriverFileTable(int32_t kind) {
  return xanconfig::driverFileTable(kind, IsWin9x(GetOsGeneration()) ? xanconfig::OsFamily::Win9x
                                                                     : xanconfig::OsFamily::Nt);
}

const xanconfig::DriverFileRow* FindDriverFileRow(int32_t kind, int32_t driver) {
  for (const xanconfig::DriverFileRow& row : SelectDriverFileTable(kind)) {
    if (std::string_view(row.serviceName) == xanconfig::kEndRow) break;
    if (row.driverNumber == driver) return &row;
  }
  return nullptr;
}

int32_t FindModelDriverNumber(const char* model) {
  const Found found = findModel(model, true);
  if (found.row == nullptr) return -1;
  // The stepper-motor drivers are numbered by the machine they run on.
  return found.kind == 6 ? GetMachineType() : found.row->driverNumber;
}

int32_t FindModelBoardType(const char* model) {
  if (!knownMachine(GetMachineType())) return -1;
  const Found found = findModel(model, false);
  return found.row != nullptr ? found.row->boardType : -1;
}

int32_t FindModelBusType(const char* model) {
  const Found found = findModel(model, true);
  return found.row != nullptr ? found.row->busType : -1;
}

int32_t FindModelDeviceId(const char* model) {
  const Found found = findModel(model, true);
  if (found.row == nullptr || found.row->deviceId == 0) return -1;
  return static_cast<int32_t>(found.row->deviceId);
}

void FindModelHardwareKey(const char* model, char* key) {
  if (key == nullptr) return;
  key[0] = '\0';
  const Found found = findModel(model, true);
  if (found.row != nullptr) copyName(key, found.row->hardwareKey);
}

void MapDigitalVariantName(int32_t key, char* name, int32_t direction) {
  if (name == nullptr || (direction != 0 && direction != 1)) return;
  for (const DigitalVariantRow& row : tables::DigitalVariants()) {
    if (isEnd(row.baseName)) return;
    if (direction == 1 && std::strcmp(row.baseName, name) == 0 && (key == -1 || row.key == key)) {
      copyName(name, row.variantName);
      return;
    }
    if (direction == 0 && std::strcmp(row.variantName, name) == 0) {
      copyName(name, row.baseName);
      return;
    }
  }
}

int32_t IsModelOfKind(int32_t kind, const char* model) {
  if (model == nullptr) return 1;
  for (const BoardModelRow& row : SelectBoardModelTable(kind)) {
    if (isEnd(row.name)) break;
    if (std::strcmp(row.name, model) == 0) return 0;
  }
  return 1;
}

int32_t FindNewerDigitalName(const char* model, char* newer) {
  const int32_t machine = GetMachineType();
  if (model == nullptr || newer == nullptr || !knownMachine(machine)) return 1;
  for (const DigitalRenameRow& row : TablesOf(machine).renames) {
    if (isEnd(row.oldName)) break;
    if (std::strcmp(row.oldName, model) == 0) {
      copyName(newer, row.newName);
      return 0;
    }
  }
  return 1;
}

int32_t FindComModelByDeviceId(char* model, int32_t, int32_t deviceId, int32_t versionKey) {
  for (const BoardModelRow& row : SelectBoardModelTable(7)) {
    if (isEnd(row.name)) break;
    if (row.deviceId == static_cast<uint32_t>(deviceId) && row.versionKey == versionKey) {
      if (model != nullptr) copyName(model, row.name);
      return 0;
    }
  }
  return -1;
}

// An exact version wins at once; otherwise the highest version key below
// the requested one, the first row among equal keys.
int32_t FindDigitalModelByDeviceId(char* model, int32_t, int32_t deviceId, int32_t version) {
  int16_t best = -1;
  bool taken = false;
  for (const BoardModelRow& row : SelectBoardModelTable(3)) {
    if (isEnd(row.name)) break;
    if (row.deviceId != static_cast<uint32_t>(deviceId)) continue;
    if (row.versionKey == version) {
      if (model != nullptr) copyName(model, row.name);
      return 0;
    }
    const auto key = static_cast<int16_t>(row.versionKey);
    if (static_cast<uint32_t>(row.versionKey) < static_cast<uint32_t>(version) && key > best) {
      best = key;
      taken = true;
      if (model != nullptr) copyName(model, row.name);
    }
  }
  return taken ? 0 : -1;
}

}  // namespace tarnix
