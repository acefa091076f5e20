// Registry -> configuration image, for kinds 1 to 7 and 10.
#include <cstring>

#include <platform/registry_transaction.h>

#include "com_ports_9x.h"
#include "field_table.h"
#include "image/kind_images.h"
#include "kind_paths.h"
#include "kind_registry.h"
#include "library_state.h"
#include "load_steps.h"
#include "system/system_info.h"
#include "tables/board_models.h"

namespace tarnix {

namespace {

using xanconfig::BoardSlot;
using xanconfig::DriverBlock;
using xanconfig::GroupSlot;

class KindLoad {
 public:
  explicit KindLoad(int32_t kind) : kind_(kind) {}

  void block(const xanconfig::DriverFileRow& row, DriverBlock& block) {
    block.driverNumber = row.driverNumber;
    driverNumber_ = row.driverNumber;
    const std::string servicePath = ServiceKeyPath(row);
    RegKey service;
    service.open(servicePath, KEY_READ);
    LoadFields(ServiceFields(), kind_, service, &block, nullptr);
    if (block.defineDir[0] != '\0') std::memcpy(Library().defineDir, block.defineDir, sizeof block.defineDir);

    switch (xanconfig::kindInfo(kind_)->form) {
      case xanconfig::RegistryForm::GroupsAndBoards:
        for (int32_t g = 1; g <= block.groupNum; ++g) group(GroupKeyPath(servicePath, g), block.groups[g - 1]);
        break;
      case xanconfig::RegistryForm::BoardInfo:
        comPortBoards(BoardParentPath(kind_, servicePath), block);
        break;
      default:
        for (int32_t b = 1; b <= block.boardNum; ++b) board(BoardKeyPath(servicePath, b), block.boards[b - 1]);
        break;
    }
  }

  int32_t result() const { return result_; }

 private:
  void group(const std::string& path, GroupSlot& group) {
    RegKey key;
    key.open(path, KEY_READ);
    LoadFields(GroupFields(), kind_, key, &group, nullptr);
    for (int32_t b = 1; b <= group.boardNum; ++b) {
      RegKey boardKey;
      boardKey.open(BoardKeyPath(path, b), KEY_READ);
      board(boardKey, group.boards[b - 1], &group, b == 1);
    }
  }

  void board(const std::string& path, BoardSlot& slot) {
    RegKey key;
    key.open(path, KEY_READ);
    board(key, slot, nullptr, false);
    if (kind_ == 6) {
      for (int32_t a = 1; a <= xanconfig::kAxesPerBoard; ++a) {
        RegKey axis;
        axis.open(AxisKeyPath(path, a), KEY_READ);
        LoadFields(AxisFields(), kind_, axis, slot.objectNames[a - 1], nullptr);
      }
    }
  }

  // The COM-port driver counts its boards: the first key without a board
  // name ends them.
  void comPortBoards(const std::string& parent, DriverBlock& block) {
    block.boardNum = 0;
    for (int32_t b = 1; b <= xanconfig::kMaxServiceBoards; ++b) {
      RegKey key;
      key.open(BoardKeyPath(parent, b), KEY_READ);
      char name[xanconfig::kLongestValueBytes];
      if (key.readText(xanconfig::value::kBoardName, name) != 0 || name[0] == '\0') break;
      board(key, block.boards[b - 1], nullptr, false);
      block.boardNum = b;
    }
  }

  void board(const RegKey& key, BoardSlot& slot, GroupSlot* group, bool firstOfGroup) {
    LoadFields(BoardFields(), kind_, key, &slot, slot.boardName);
    result_ = CheckLoadedModel(kind_, driverNumber_, slot.boardName, result_);
    RefreshBoardResources(kind_, FindModelBusType(slot.boardName), slot, group, firstOfGroup);
  }

  int32_t kind_;
  int32_t driverNumber_ = 0;
  int32_t result_ = 0;
};

}  // namespace

int32_t LoadKindImage(int32_t kind) {
  const std::span<DriverBlock> image = KindImage(kind);
  const xanconfig::DriverFileTable table = SelectDriverFileTable(kind);
  if (image.empty() || table.empty()) return 1;
  ClearKindImage(kind);
  // The kind's keys are read one by one; in one snapshot they are all of
  // one list, also while another process saves or imports another. A store
  // that gives no snapshot is read as before, key by key.
  const plat::RegistrySnapshot snapshot;
  if (kind == 7 && IsWin9x(GetOsGeneration())) return LoadComPortsWin9x();
  KindLoad load(kind);
  for (std::size_t row = 0; row < table.size() && row < image.size() && !IsEndRow(table[row]); ++row) {
    load.block(table[row], image[row]);
  }
  return load.result();
}

}  // namespace tarnix
