// A kind's board list into its configuration image, slot by board number.
#include <algorithm>
#include <bitset>
#include <cstring>

#include "list/board_list_view.h"
#include "list/conversion.h"
#include "list/field_map.h"
#include "system/system_info.h"
#include "tables/board_models.h"

namespace tarnix {

namespace {

using xanconfig::BoardSlot;
using xanconfig::DriverBlock;

constexpr const char* kServiceGroup = "Extended Base";

// Boards a block takes per driver (per group for kinds 2 and 3).
int32_t boardCapacity(int32_t kind) {
  switch (kind) {
    case 1:
    case 7:
      return xanconfig::kMaxServiceBoards;
    case 2:
    case 3:
    case 4:
      return xanconfig::kEditableGroupBoards;
    default:
      return 16;
  }
}

// What a slot takes from the model tables rather than from the list.
void deriveFromModel(int32_t kind, BoardSlot& slot) {
  if (kind == 1) {
    slot.boardType = BuildSerialBoardType(slot.boardName, slot.ioAddresses, slot.channelFirst, slot.channelLast);
  } else if (kind != 7) {
    slot.boardType = FindModelBoardType(slot.boardName);
  }
  slot.deviceId = FindModelDeviceId(slot.boardName);
  if (kind == 1 || kind == 7) slot.baudRateType = FindSerialBaudRateType(slot.boardName);
  if (kind == 3) slot.boardConfig = -1;
}

// Fills the block's slots from the list: for each position the first
// record of the block's driver with that group and board number.
class BlockFiller {
 public:
  BlockFiller(int32_t kind, const void* list, const KindFieldMap& map)
      : kind_(kind), view_(kind, const_cast<void*>(list)), map_(map),
        records_(std::min<uint32_t>(view_.count(), kListRecords)) {}

  // Positions are 1-based; `group` is 0 for kinds without groups.
  const unsigned char* find(int32_t driver, int32_t group, int32_t board) const {
    for (uint32_t i = 0; i < records_; ++i) {
      const RecordHead& head = view_.head(i);
      if (head.driverNumber == driver && head.boardNumber == board && (group == 0 || head.groupNumber == group)) {
        return view_.record(i);
      }
    }
    return nullptr;
  }

  // Fills the slot from the record of that position; false when there is none.
  bool fill(int32_t driver, int32_t group, int32_t board, BoardSlot& slot) const {
    const unsigned char* record = find(driver, group, board);
    if (record == nullptr) return false;
    for (const FieldLink& link : map_.board) CopyToSlot(link, record, reinterpret_cast<unsigned char*>(&slot));
    deriveFromModel(kind_, slot);
    return true;
  }

 private:
  int32_t kind_;
  ListView view_;
  const KindFieldMap& map_;
  uint32_t records_;
};

int32_t fillGroups(const BlockFiller& filler, const KindFieldMap& map, DriverBlock& block) {
  int32_t groupsWithBoards = 0;
  for (int32_t g = 1; g <= xanconfig::kMaxGroups; ++g) {
    xanconfig::GroupSlot& group = block.groups[g - 1];
    for (int32_t b = 1; b <= xanconfig::kEditableGroupBoards; ++b) {
      if (filler.fill(block.driverNumber, g, b, group.boards[b - 1])) ++group.boardNum;
    }
    if (group.boardNum == 0) {
      group.irqNo = -1;
      continue;
    }
    ++groupsWithBoards;
    // The group's interrupts and name are its board 1's, zero and empty
    // when that board is missing.
    if (const unsigned char* first = filler.find(block.driverNumber, g, 1)) {
      auto* groupBytes = reinterpret_cast<unsigned char*>(&group);
      CopyToSlot(*map.groupInterrupts, first, groupBytes);
      CopyToSlot(*map.groupName, first, groupBytes);
    }
  }
  return groupsWithBoards;
}

bool isEndRow(const xanconfig::DriverFileRow& row) { return std::strcmp(row.fileName, xanconfig::kEndRow) == 0; }

}  // namespace

// The image has a block for each NT driver row; the Windows 9x table of the
// port kind has one row more, which finds no block and is left out.
void ListToImage(int32_t kind, std::span<xanconfig::DriverBlock> image, const void* list) {
  const KindFieldMap* map = FieldMapOf(kind);
  if (map == nullptr) return;
  std::memset(static_cast<void*>(image.data()), 0, image.size_bytes());
  if (list == nullptr) return;
  const BlockFiller filler(kind, list, *map);
  const xanconfig::DriverFileTable rows = SelectDriverFileTable(kind);
  for (std::size_t i = 0; i < rows.size() && i < image.size() && !isEndRow(rows[i]); ++i) {
    DriverBlock& block = image[i];
    block.driverNumber = rows[i].driverNumber;
    int32_t filled = 0;
    if (HasGroups(kind)) {
      block.groupNum = fillGroups(filler, *map, block);
      filled = block.groupNum;
    } else {
      for (int32_t b = 1; b <= boardCapacity(kind); ++b) {
        if (filler.fill(block.driverNumber, 0, b, block.boards[b - 1])) ++filled;
      }
      block.boardNum = filled;
    }
    block.errorControl = kind == 7 ? 2 : 1;
    std::strcpy(block.group, kServiceGroup);
    block.start = filled > 0 ? xanconfig::kStartAutomatic : 4;
    block.type = 1;
    block.machineType = GetMachineType();
  }
}

}  // namespace tarnix
