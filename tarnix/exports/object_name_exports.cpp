// Finding a board by the object name an application opens it by.
#include <strings.h>

#include <cstring>
#include <span>

#include <tarnix.h>

#include "image/kind_images.h"
#include "list/board_list_view.h"
#include "registry/kind_registry.h"

using namespace tarnix;
using xanconfig::BoardSlot;
using xanconfig::DriverBlock;

namespace {

struct Match {
  int32_t group = 0;  // from 1, 0 for kinds without groups
  int32_t slot = 0;   // from 1
  const char* model = nullptr;
};

bool same(const char* a, const char* b) { return strcasecmp(a, b) == 0; }

bool portNameIs(const BoardSlot& slot, const char* name) {
  for (const auto& port : slot.objectNames) {
    if (same(port, name)) return true;
  }
  return false;
}

// The board slots each kind searches, and which name of a slot counts.
int32_t searchedSlots(int32_t kind) {
  switch (kind) {
    case 1:
    case 7: return xanconfig::kMaxServiceBoards;
    case 4: return 4;
    default: return 16;
  }
}

bool findIn(int32_t kind, const DriverBlock& block, const char* name, Match& match) {
  if (kind == 2 || kind == 3) {
    for (int32_t g = 0; g < xanconfig::kMaxGroups; ++g) {
      if (same(block.groups[g].objectName, name)) {
        match = {g + 1, 1, block.groups[g].boards[0].boardName};
        return true;
      }
    }
    return false;
  }
  for (int32_t b = 0; b < searchedSlots(kind); ++b) {
    const BoardSlot& slot = block.boards[b];
    const bool hit = (kind == 1 || kind == 7) ? portNameIs(slot, name) : same(slot.objectName, name);
    if (hit) {
      match = {0, b + 1, slot.boardName};
      return true;
    }
  }
  return false;
}

// Searches the kind's image, loaded afresh, in table order.
const DriverBlock* search(int32_t kind, const char* name, Match& match) {
  LoadKindImage(kind);
  for (const DriverBlock& block : KindImage(kind)) {
    if (findIn(kind, block, name, match)) return &block;
  }
  return nullptr;
}

}  // namespace

LONG WINAPI DnkConfigGetGrpByObjName(int32_t kind, const char* objectName, int32_t* driver, int32_t* group,
                                     int32_t* board) {
  if (objectName == nullptr || objectName[0] == '\0' || driver == nullptr || group == nullptr || board == nullptr) {
    return kDnkBadArgument;
  }
  if (!IsBoardListKind(kind)) return kDnkBadArgument;
  *driver = *group = *board = 0;
  Match match;
  const DriverBlock* block = search(kind, objectName, match);
  if (block == nullptr) return kDnkNotFound;
  *driver = block->driverNumber;
  *group = match.group;
  *board = match.slot;
  return kDnkOk;
}

LONG WINAPI DnkConfigGetInfoByObjectName(const char* objectName, int32_t* kind, char* modelName) {
  if (objectName == nullptr || objectName[0] == '\0' || kind == nullptr || modelName == nullptr) {
    return kDnkBadArgument;
  }
  static constexpr int32_t kOrder[] = {1, 2, 3, 4, 5, 6, 7, 10};
  for (int32_t k : kOrder) LoadKindImage(k);
  for (int32_t k : kOrder) {
    for (const DriverBlock& block : KindImage(k)) {
      Match match;
      if (findIn(k, block, objectName, match)) {
        *kind = k;
        std::memcpy(modelName, match.model, xanconfig::kBoardNameBytes);
        modelName[xanconfig::kBoardNameBytes - 1] = '\0';
        return kDnkOk;
      }
    }
  }
  return kDnkNotFound;
}
