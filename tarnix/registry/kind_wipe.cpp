// Deletes a kind's keys and driver services before a store. A key that
// still has subkeys cannot be deleted, so every level goes from the bottom.
#include "kind_paths.h"
#include "kind_registry.h"
#include "registry_access.h"
#include "system/system_info.h"
#include "tables/board_models.h"

namespace tarnix {

namespace {

// The vendor's board registration service, removed with every kind.
constexpr const char* kBoardRegistrationService = "Xanbrd";
constexpr const char* kEnumKey = "Enum";

bool keyExists(const std::string& path) {
  RegKey key;
  return key.open(path, KEY_READ) == 0;
}

// "BoardNumber1" to "BoardNumber64" under parent, each after its axis keys.
// A parent that is not there has nothing to delete.
void deleteBoards(const std::string& parent, bool withAxes) {
  if (!keyExists(parent)) return;
  for (int32_t b = 1; b <= xanconfig::kMaxServiceBoards; ++b) {
    const std::string board = NumberedKey(xanconfig::kBoardKeyStem, b);
    if (withAxes && keyExists(JoinKey(parent, board))) {
      for (int32_t a = 1; a <= xanconfig::kAxesPerBoard; ++a) {
        DeleteRegKey(JoinKey(parent, board).c_str(), NumberedKey(xanconfig::kAxisKeyStem, a).c_str());
      }
    }
    DeleteRegKey(parent.c_str(), board.c_str());
  }
}

void deleteKeyBelow(const std::string& parent, const std::string& name) {
  DeleteRegKey(parent.c_str(), name.c_str());
}

void wipeRow(int32_t kind, const xanconfig::DriverFileRow& row) {
  const std::string servicePath = ServiceKeyPath(row);
  const std::string name = ServiceName(row);
  switch (kind) {
    case 2:
    case 3:
      if (!keyExists(servicePath)) break;
      for (int32_t g = 1; g <= xanconfig::kMaxGroups; ++g) {
        deleteBoards(GroupKeyPath(servicePath, g), false);
        deleteKeyBelow(servicePath, NumberedKey(xanconfig::kGroupKeyStem, g));
      }
      break;
    case 7:
      deleteBoards(BoardParentPath(kind, servicePath), false);
      deleteKeyBelow(servicePath, xanconfig::kBoardInfoKey);
      break;
    default:
      deleteBoards(servicePath, kind == 6);
      break;
  }
  DeleteDriverService(name.c_str());
  if (!IsWin9x(GetOsGeneration())) deleteKeyBelow(servicePath, kEnumKey);
  deleteKeyBelow(xanconfig::kServicesKey, name);
}

}  // namespace

void StopKindServices(int32_t kind, StoppedDrivers& stopped) {
  if (xanconfig::imageBlocks(kind) == 0) return;
  for (const xanconfig::DriverFileRow& row : SelectDriverFileTable(kind)) {
    if (IsEndRow(row)) break;
    stopped.stop(ServiceName(row).c_str());
  }
}

void WipeKindRegistry(int32_t kind) {
  if (xanconfig::imageBlocks(kind) == 0) return;
  const xanconfig::DriverFileTable table = SelectDriverFileTable(kind);
  if (table.empty()) return;
  for (const xanconfig::DriverFileRow& row : table) {
    if (IsEndRow(row)) break;
    wipeRow(kind, row);
  }
  deleteKeyBelow(JoinKey(xanconfig::kServicesKey, kBoardRegistrationService), kEnumKey);
  deleteKeyBelow(xanconfig::kServicesKey, kBoardRegistrationService);
}

}  // namespace tarnix
