// The fixture machine most tests start from.
#include "tarnixcfg_sim.h"

namespace tarnixcfg {

Inventory SampleInventory() {
  Inventory m;
  // One analog model twice and one board whose device identifier has
  // fewer than four hexadecimal digits; memory ranges lie more than 2^31
  // apart, as real ones do.
  m.pci = {
      {0x0122, 0, 0, {{0xD100, 0xD000}, {11, 5, 9}, {0x70000000, static_cast<int32_t>(0xF0000000u), 0x10000000}}},
      {0x0122, 1, 0, {{0xD200}, {10}, {}}},
      {0x0121, 3, 1, {{0xC000, 0xB000}, {7}, {static_cast<int32_t>(0xFE000000u)}}},
  };
  m.pcCards = {
      {"DORNELL-GPCARD-1A2B\\1", "Dornell-GPC-98PC PC card", {{0x300, 0x200}, {5}, {}}},
      {"PCMCIA\\DORNELL-GPCARD-1A2B\\0", "Dornell-GPC-98PC PC card", {{0x340}, {3}, {}}},
  };
  m.roots = {
      {3, false, "Dornell-DIO-48 (ISA) digital board", {{0x2D0, 0x2C0}, {15, 12, 10}, {}}},
      {7, true, "Dornell-COM-4S (ISA) serial board", {{0x2E8, 0x2A0, 0x2F8}, {4, 3}, {}}},
  };
  m.busAnswer = 10;
  m.modules.modules[1] = {2, 1};
  m.modules.modules[4] = {1, 0};
  return m;
}

}  // namespace tarnixcfg
