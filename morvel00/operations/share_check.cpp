// The shared-interrupt check. Kept in a file of its own so that a driver
// with its own check links without a second definition.
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

}  // namespace morvel00
