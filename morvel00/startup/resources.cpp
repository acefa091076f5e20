// The resource report of one board, under a temporary device named after
// its model, so that overlapping claims show as conflicts.
#include <cstdio>
#include <cstring>

#include "startup/startup.h"

namespace morvel00 {

namespace {

struct PortRange {
  ULONG offset;  // kEndOfRanges ends the list
  ULONG length;
};
inline constexpr ULONG kEndOfRanges = 0xFFFFFFFFu;

struct ModelRow {
  char name[52];
  PortRange ranges[20];
};

// The models this driver reports; a name with "PCI" is a PCI board.
constexpr ModelRow kModelTable[] = {
    {"MVA-1216PCI", {{0, 16}, {kEndOfRanges, 0}}},
    {"MVA-1216FPCI", {{0, 16}, {kEndOfRanges, 0}}},
    {"MVA-1616PCI", {{0, 16}, {kEndOfRanges, 0}}},
    {"MVA-1616FPCI", {{0, 16}, {kEndOfRanges, 0}}},
    {"MVA-1208PCI", {{0, 16}, {kEndOfRanges, 0}}},
    {"MVA-1216SPCI", {{0, 16}, {kEndOfRanges, 0}}},
    {"MVA-1616MPCI", {{0, 16}, {kEndOfRanges, 0}}},
    {"MVA-1616MFPCI", {{0, 16}, {kEndOfRanges, 0}}},
    {"MVA-16128PCI", {{0, 16}, {kEndOfRanges, 0}}},
    {"MVA-1216", {{0, 16}, {kEndOfRanges, 0}}},
    {"MVA-0804", {{0, 8}, {kEndOfRanges, 0}}},
    {"End", {{kEndOfRanges, 0}}},
};

unsigned g_reports = 0;

// "\Device\" or "\DosDevices\" + model + "_" + NN, as UTF-16.
void BuildName(WCHAR* out, size_t room, const char* prefix, const char* model, unsigned number) {
  char narrow[128];
  std::snprintf(narrow, sizeof narrow, "%s%s_%02u", prefix, model, number % 100);
  size_t i = 0;
  for (; narrow[i] != 0 && i + 1 < room; ++i) out[i] = static_cast<unsigned char>(narrow[i]);
  out[i] = 0;
}

}  // namespace

bool GpdRegistDevice(const char* model, uint16_t ioBase, const ULONG* lines, unsigned lineCount, ULONG bus,
                     PDRIVER_OBJECT driver) {
  const ModelRow* row = nullptr;
  for (const ModelRow& candidate : kModelTable) {
    if (std::strcmp(candidate.name, "End") == 0) break;
    if (std::strcmp(candidate.name, model) == 0) {
      row = &candidate;
      break;
    }
  }
  if (row == nullptr) return false;
  const bool pci = std::strstr(model, "PCI") != nullptr;
  const unsigned number = ++g_reports;

  WCHAR deviceText[96], linkText[96];
  BuildName(deviceText, 96, "\\Device\\", model, number);
  BuildName(linkText, 96, "\\DosDevices\\", model, number);
  UNICODE_STRING deviceName, linkName;
  RtlInitUnicodeString(&deviceName, deviceText);
  RtlInitUnicodeString(&linkName, linkText);
  PDEVICE_OBJECT temporary = nullptr;
  if (!NT_SUCCESS(IoCreateDevice(driver, 0, &deviceName, 50000, 0, FALSE, &temporary))) return false;
  const bool linked = NT_SUCCESS(IoCreateSymbolicLink(&linkName, &deviceName));

  unsigned ports = 0;
  while (ports < 20 && row->ranges[ports].offset != kEndOfRanges) ++ports;
  const unsigned descriptors = ports + lineCount;
  const ULONG size = static_cast<ULONG>(sizeof(CM_RESOURCE_LIST) +
                                        (descriptors > 0 ? descriptors - 1 : 0) * sizeof(CM_PARTIAL_RESOURCE_DESCRIPTOR));
  BOOLEAN conflict = FALSE;
  auto* list = static_cast<PCM_RESOURCE_LIST>(ExAllocatePool(PagedPool, size));
  if (list != nullptr) {
    std::memset(list, 0, size);
    list->Count = 1;
    CM_FULL_RESOURCE_DESCRIPTOR& full = list->List[0];
    full.InterfaceType = pci ? PCIBus : Isa;
    full.BusNumber = bus;
    full.PartialResourceList.Count = descriptors;
    for (unsigned i = 0; i < ports; ++i) {
      CM_PARTIAL_RESOURCE_DESCRIPTOR& d = full.PartialResourceList.PartialDescriptors[i];
      d.Type = CmResourceTypePort;
      d.ShareDisposition = CmResourceShareDeviceExclusive;
      d.Flags = CM_RESOURCE_PORT_IO;
      d.u.Port.Start.QuadPart = ioBase + row->ranges[i].offset;
      d.u.Port.Length = row->ranges[i].length;
    }
    for (unsigned i = 0; i < lineCount; ++i) {
      CM_PARTIAL_RESOURCE_DESCRIPTOR& d = full.PartialResourceList.PartialDescriptors[ports + i];
      d.Type = CmResourceTypeInterrupt;
      d.ShareDisposition = pci ? CmResourceShareShared : CmResourceShareDeviceExclusive;
      d.Flags = pci ? CM_RESOURCE_INTERRUPT_LEVEL_SENSITIVE : CM_RESOURCE_INTERRUPT_LATCHED;
      d.u.Interrupt.Level = lines[i];
      d.u.Interrupt.Vector = lines[i];
      d.u.Interrupt.Affinity = 1;
    }
    IoReportResourceUsage(nullptr, driver, nullptr, 0, temporary, list, size, FALSE, &conflict);
    ExFreePool(list);
  }
  if (linked) IoDeleteSymbolicLink(&linkName);
  IoDeleteDevice(temporary);
  return conflict != FALSE;
}

}  // namespace morvel00
