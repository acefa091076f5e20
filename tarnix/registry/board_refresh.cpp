#include <tarnix.h>

#include <algorithm>

#include "load_steps.h"
#include "system/system_info.h"
#include "tables/board_models.h"

namespace tarnix {

namespace {

using xanconfig::BoardSlot;
using xanconfig::GroupSlot;

constexpr int32_t kVendorId = 0x1C5E;
constexpr int32_t kRoom = 10;

struct Resources {
  int32_t io[kRoom] = {};
  int32_t ioCount = kRoom;
  int32_t irq[kRoom] = {};
  int32_t irqCount = kRoom;
  int32_t memory[kRoom] = {};
  int32_t memoryCount = kRoom;
};

enum class Query { NotAsked, Failed, Answered };

Query ask(int32_t kind, int32_t busType, const BoardSlot& board, Resources& r) {
  long answer = 0;
  if (busType == kBusPci) {
    answer = DnkConfigGetPciResource(kVendorId, FindModelDeviceId(board.boardName), board.boardId, r.io, &r.ioCount,
                                     r.irq, &r.irqCount, r.memory, &r.memoryCount);
  } else if (busType == kBusPcCard) {
    // The COM-port driver keeps what the registry holds; counter and module
    // boards are asked by hardware key only under Windows 9x.
    if (kind == 7) return Query::NotAsked;
    if ((kind == 5 || kind == 10) && !IsWin9x(GetOsGeneration())) return Query::Failed;
    answer = DnkConfigGetPcmciaResource(board.hardwareKey, r.io, &r.ioCount, r.irq, &r.irqCount, r.memory,
                                        &r.memoryCount);
  } else {
    return Query::NotAsked;
  }
  if (answer != 0) return Query::Failed;
  r.ioCount = std::clamp(r.ioCount, 0, kRoom);
  r.irqCount = std::clamp(r.irqCount, 0, kRoom);
  return Query::Answered;
}

}  // namespace

void RefreshBoardResources(int32_t kind, int32_t busType, BoardSlot& board, GroupSlot* group, bool firstOfGroup) {
  Resources r;
  const Query query = ask(kind, busType, board, r);
  if (query == Query::NotAsked) return;
  const bool answered = query == Query::Answered;
  const int32_t io = answered && r.ioCount > 0 ? r.io[0] : -1;
  const int32_t irq = answered && r.irqCount > 0 ? r.irq[0] : -1;
  switch (kind) {
    case 1:
      board.ioAddresses[0] = io;
      board.irqNos[0] = irq;
      if (answered && r.ioCount >= 2) board.ioAddresses[1] = r.io[1];
      break;
    case 2:
    case 3: {
      board.ioAddress = io;
      if (group == nullptr) break;
      int32_t& groupIrq = kind == 2 ? group->irqNo : group->digitalIrqNos[0];
      if (!answered) {
        groupIrq = -1;
      } else if (firstOfGroup && r.irqCount > 0) {
        groupIrq = r.irq[0];
      }
      break;
    }
    case 6:
      board.ioAddress = io;
      board.irqNos[0] = irq;
      board.irqNos[1] = -1;
      break;
    default:
      board.ioAddress = io;
      board.irqNo = irq;
      break;
  }
}

}  // namespace tarnix
