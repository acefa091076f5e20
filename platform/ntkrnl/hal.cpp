// The HAL over the simulated bus: configuration space, bus addresses,
// interrupt vectors and port I/O. A port access may change a card's
// interrupt line; the line is looked at once the card's method returned.
#include <ntkrnl/nt_hal.h>

#include "irql.h"
#include "machine.h"

namespace {

uint32_t portNumber(const volatile void* port) {
  return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(port));
}

uint32_t in(const volatile void* port, unsigned width) {
  ntk::ensureInstalled();
  const uint32_t value = ntk::portIn(portNumber(port), width);
  if (ntk::linesPending()) ntk::serviceLines();
  return value;
}

void out(const volatile void* port, unsigned width, uint32_t value) {
  ntk::ensureInstalled();
  ntk::portOut(portNumber(port), width, value);
  if (ntk::linesPending()) ntk::serviceLines();
}

ULONG busData(BUS_DATA_TYPE type, ULONG bus, ULONG slotNumber, PVOID buffer, ULONG offset, ULONG length) {
  if (type != PCIConfiguration || buffer == nullptr || length == 0) return 0;
  ntk::ensureInstalled();
  PCI_SLOT_NUMBER slot;
  slot.u.AsULONG = slotNumber;
  const ULONG read = ntk::configRead(bus, slot.u.bits.DeviceNumber, slot.u.bits.FunctionNumber, buffer, offset,
                                     length);
  if (ntk::linesPending()) ntk::serviceLines();
  return read;
}

}  // namespace

NTKRNL_API ULONG NTAPI HalGetBusData(BUS_DATA_TYPE BusDataType, ULONG BusNumber, ULONG SlotNumber, PVOID Buffer,
                                     ULONG Length) {
  return busData(BusDataType, BusNumber, SlotNumber, Buffer, 0, Length);
}

NTKRNL_API ULONG NTAPI HalGetBusDataByOffset(BUS_DATA_TYPE BusDataType, ULONG BusNumber, ULONG SlotNumber,
                                             PVOID Buffer, ULONG Offset, ULONG Length) {
  return busData(BusDataType, BusNumber, SlotNumber, Buffer, Offset, Length);
}

NTKRNL_API BOOLEAN NTAPI HalTranslateBusAddress(INTERFACE_TYPE, ULONG, PHYSICAL_ADDRESS BusAddress,
                                                PULONG AddressSpace, PPHYSICAL_ADDRESS TranslatedAddress) {
  if (AddressSpace == nullptr || TranslatedAddress == nullptr || *AddressSpace != 1) return FALSE;
  *TranslatedAddress = BusAddress;
  return TRUE;
}

NTKRNL_API ULONG NTAPI HalGetInterruptVector(INTERFACE_TYPE, ULONG, ULONG BusInterruptLevel, ULONG, PKIRQL Irql,
                                             PKAFFINITY Affinity) {
  if (BusInterruptLevel >= ntk::kLines || Irql == nullptr || Affinity == nullptr) return 0;
  // As on the machines the drivers were written for: line n at level 27 - n.
  *Irql = static_cast<KIRQL>(27 - BusInterruptLevel);
  *Affinity = 1;
  return ntk::kVectorBase + BusInterruptLevel;
}

NTKRNL_API UCHAR NTAPI READ_PORT_UCHAR(PUCHAR Port) { return static_cast<UCHAR>(in(Port, 1)); }
NTKRNL_API USHORT NTAPI READ_PORT_USHORT(PUSHORT Port) { return static_cast<USHORT>(in(Port, 2)); }
NTKRNL_API ULONG NTAPI READ_PORT_ULONG(PULONG Port) { return in(Port, 4); }
NTKRNL_API VOID NTAPI WRITE_PORT_UCHAR(PUCHAR Port, UCHAR Value) { out(Port, 1, Value); }
NTKRNL_API VOID NTAPI WRITE_PORT_USHORT(PUSHORT Port, USHORT Value) { out(Port, 2, Value); }
NTKRNL_API VOID NTAPI WRITE_PORT_ULONG(PULONG Port, ULONG Value) { out(Port, 4, Value); }
