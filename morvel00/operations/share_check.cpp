// The shared-interrupt check and the configuration byte.
#include <atomic>

#include "board_operations.h"
#include "registers/xan_registers.h"

namespace morvel00 {

bool XanPCIShareCheck(XanBoardRecord* rec) {
  const uint16_t base = rec->ioBase[0];
  uint16_t factors = 0;
  XanExGetIntRegister(base, &factors);
  if (factors == 0) return false;
  XanExResetIntRegister(base, factors);
  std::atomic_ref<uint16_t>(rec->lastFactor).store(factors, std::memory_order_release);
  return (static_cast<uint16_t>(0xFFFF - rec->savedMask) & factors) != 0;
}

bool XanGetBoardConfig(XanBoardRecord* rec, unsigned board) {
  if (board >= kMaxBoards) return false;
  uint8_t config = 0;
  XanExGetBoardConfig(rec->ioBase[board], &config);
  return (config & 0x02) != 0;
}

}  // namespace morvel00
