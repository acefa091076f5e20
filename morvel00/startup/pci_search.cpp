// The search of every PCI bus, device and function for one board.
#include "startup/startup.h"

namespace morvel00 {

int16_t DnkitPCIBoardSerch(uint16_t vendorId, uint16_t deviceId, uint8_t boardId, PciMatch& match) {
  bool found = false;
  unsigned matches = 0;
  for (ULONG bus = 0; bus < 256; ++bus) {
    for (ULONG device = 0; device < 32; ++device) {
      bool busMissing = false;
      for (ULONG function = 0; function < 8; ++function) {
        PCI_SLOT_NUMBER slot{};
        slot.u.bits.DeviceNumber = device;
        slot.u.bits.FunctionNumber = function;
        PCI_COMMON_CONFIG config{};
        const ULONG read = HalGetBusData(PCIConfiguration, bus, slot.u.AsULONG, &config, PCI_COMMON_HDR_LENGTH);
        if (read == 0) {
          busMissing = true;
          break;
        }
        if (read < PCI_COMMON_HDR_LENGTH || config.VendorID != vendorId || config.DeviceID != deviceId) continue;
        found = true;
        if (config.RevisionID != boardId) continue;
        ++matches;
        match.ioBase = config.BaseAddresses[0] & ~1u;
        const bool routed = config.InterruptPin >= 1 && config.InterruptPin <= 4 && config.InterruptLine != 0xFF;
        match.line = routed ? config.InterruptLine : kNoLine;
        match.bus = bus;
      }
      // A bus that does not exist answers nothing for any slot.
      if (busMissing) break;
    }
  }
  if (!found) return XAN_E_BOARD;
  if (matches == 0) return XAN_E_PCI_SEARCH;
  if (matches > 1) return XAN_E_PCI_SEARCH2;
  return XAN_OK;
}

}  // namespace morvel00
