// A kind's configuration image as the flat board list a program edits.
#include <cstring>

#include "list/board_list_view.h"
#include "list/conversion.h"
#include "list/field_map.h"

namespace tarnix {

namespace {

using xanconfig::BoardSlot;
using xanconfig::clampCount;

class ListWriter {
 public:
  ListWriter(int32_t kind, void* list, const KindFieldMap& map) : view_(kind, list), map_(map) {}

  bool full() const { return view_.count() >= kListRecords; }

  // Appends the slot's record; null when the list is full.
  unsigned char* append(int32_t driver, int32_t group, int32_t board, const BoardSlot& slot) {
    if (full()) return nullptr;
    const uint32_t at = view_.count()++;
    RecordHead& head = view_.head(at);
    head.driverNumber = driver;
    head.groupNumber = group;
    head.boardNumber = board;
    unsigned char* record = view_.record(at);
    for (const FieldLink& link : map_.board) {
      CopyToRecord(link, reinterpret_cast<const unsigned char*>(&slot), record);
    }
    return record;
  }

 private:
  ListView view_;
  const KindFieldMap& map_;
};

void appendGroups(const xanconfig::DriverBlock& block, const KindFieldMap& map, ListWriter& out) {
  const int32_t groups = clampCount(block.groupNum, xanconfig::kMaxGroups);
  for (int32_t g = 0; g < groups; ++g) {
    const xanconfig::GroupSlot& group = block.groups[g];
    const auto* groupBytes = reinterpret_cast<const unsigned char*>(&group);
    const int32_t boards = clampCount(group.boardNum, xanconfig::kMaxGroupBoards);
    for (int32_t b = 0; b < boards; ++b) {
      unsigned char* record = out.append(block.driverNumber, g + 1, b + 1, group.boards[b]);
      if (record == nullptr) return;
      CopyToRecord(*map.groupName, groupBytes, record);
      // Only the group's first record carries its interrupts.
      if (b == 0) {
        CopyToRecord(*map.groupInterrupts, groupBytes, record);
      } else {
        std::memset(record + map.groupInterrupts->record, 0xFF, map.groupInterrupts->bytes);
      }
    }
  }
}

}  // namespace

// A list holds 64 records; an image of two-level kinds can hold more, and
// the boards past the 64th are left out.
void ImageToList(int32_t kind, std::span<const xanconfig::DriverBlock> image, void* list) {
  const KindFieldMap* map = FieldMapOf(kind);
  if (map == nullptr || list == nullptr) return;
  ListView(kind, list).clear();
  ListWriter out(kind, list, *map);
  for (const xanconfig::DriverBlock& block : image) {
    if (HasGroups(kind)) {
      appendGroups(block, *map, out);
      continue;
    }
    const int32_t boards = clampCount(block.boardNum, xanconfig::kMaxServiceBoards);
    for (int32_t b = 0; b < boards; ++b) {
      if (out.append(block.driverNumber, 0, b + 1, block.boards[b]) == nullptr) return;
    }
  }
}

}  // namespace tarnix
