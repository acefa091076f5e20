// Start-up and unload. Every way out of a failed start takes down what was
// set up before it, in the same order as unload.
#include <cstdio>

#include "frame/internal.h"
#include "frame/ports.h"
#include "startup/startup.h"

namespace morvel00 {

namespace {

XanDeviceExtension* g_ext = nullptr;

struct Names {
  WCHAR device[24];
  WCHAR link[32];
  UNICODE_STRING deviceName;
  UNICODE_STRING linkName;

  explicit Names(unsigned index) {
    Widen(device, "\\Device\\Xan%02u", index);
    Widen(link, "\\DosDevices\\Xan%02uDev", index);
    RtlInitUnicodeString(&deviceName, device);
    RtlInitUnicodeString(&linkName, link);
  }
  template <size_t N>
  static void Widen(WCHAR (&out)[N], const char* format, unsigned index) {
    char narrow[N];
    std::snprintf(narrow, N, format, index % 100);
    size_t i = 0;
    for (; narrow[i] != 0; ++i) out[i] = static_cast<unsigned char>(narrow[i]);
    out[i] = 0;
  }
};

void InitialiseRecord(XanDeviceExtension* ext, unsigned g) {
  XanBoardRecord* rec = &ext->records[g];
  rec->extension = ext;
  rec->group = static_cast<uint16_t>(g + 1);
  rec->interruptLine = kNoLine;
  rec->savedMask = 0xFFFF;
  rec->inputCount = 1;
  rec->outputCount = 1;
  KeInitializeSpinLock(&rec->registerLock);
  ExInitializeFastMutex(&rec->handlerMutex);
  KeInitializeDpc(&rec->timerDpc, TimerIsrDpc, rec);
  KeInitializeTimer(&rec->timer);
  KeInitializeDpc(&rec->eventDpc, EventDpc, rec);
}

uint16_t TranslatedBase(ULONG bus, ULONG base, XanDeviceExtension* ext) {
  PHYSICAL_ADDRESS raw, translated;
  raw.QuadPart = base;
  ULONG space = 1;
  if (!HalTranslateBusAddress(PCIBus, bus, raw, &space, &translated)) translated = raw;
  ext->addressSpace = space;
  return static_cast<uint16_t>(translated.QuadPart & 0xFFFF);
}

void FillBoard(XanDeviceExtension* ext, XanBoardRecord* rec, unsigned b, const BoardConfig& board,
               const GroupConfig& group) {
  PciMatch match;
  match.ioBase = board.ioAddress;
  const int16_t search = DnkitPCIBoardSerch(kVendorId, static_cast<uint16_t>(board.deviceId),
                                            static_cast<uint8_t>(board.boardId), match);
  if (search != XAN_OK && rec->startupCode == 0) rec->startupCode = static_cast<uint16_t>(search);
  const bool onBus = search == XAN_OK || search == XAN_E_PCI_SEARCH2;
  // A group without a configured line (none, or 0: the system timer, which
  // no board can share) takes the one the bus routes.
  if (onBus && (group.irqNo == kNoLine || group.irqNo == 0)) rec->interruptLine = match.line;
  rec->busNumber[b] = match.bus;
  rec->ioBase[b] = TranslatedBase(match.bus, onBus ? match.ioBase : board.ioAddress, ext);
  rec->boardType[b] = static_cast<uint16_t>(board.boardType);

  ChannelCounts counts = ChannelsFor(board.boardType, board.boardConfig, false);
  if (counts.needsConfigBit && search == XAN_OK) {
    const uint8_t config = ports::ReadCommandByte(rec->ioBase[b], ports::kCmdConfig);
    counts = ChannelsFor(board.boardType, board.boardConfig, (config & 0x02) != 0);
  }
  rec->inputChannels[b] = counts.input;
  rec->outputChannels[b] = counts.output;
  rec->inputTotal = static_cast<uint16_t>(rec->inputTotal + counts.input);
  rec->outputTotal = static_cast<uint16_t>(rec->outputTotal + counts.output);
  if (counts.keepConfig) rec->boardConfig[b] = static_cast<uint16_t>(board.boardConfig);
  if (counts.memorySamples != 0) rec->memorySamples = counts.memorySamples;
}

void FillGroup(XanDeviceExtension* ext, XanBoardRecord* rec, const GroupConfig& group, ULONG machineType,
               PDRIVER_OBJECT driver) {
  rec->boardCount = static_cast<int16_t>(group.boardNum);
  rec->interruptLine = group.irqNo == 0 ? kNoLine : group.irqNo;
  rec->machineType = static_cast<uint16_t>(machineType);
  // No board in the group: nothing for a handler to drive.
  if (group.boardNum == 0) rec->startupCode = XAN_E_BOARD;
  for (unsigned b = 0; b < group.boardNum; ++b) FillBoard(ext, rec, b, group.boards[b], group);
  if (rec->startupCode != 0) {
    // A group that found no board claims nothing and gets no interrupt.
    rec->interruptLine = kNoLine;
    return;
  }
  for (unsigned b = 0; b < group.boardNum; ++b) {
    const bool withLine = b == 0 && rec->interruptLine != kNoLine;
    GpdRegistDevice(group.boards[b].boardName, rec->ioBase[b], &rec->interruptLine, withLine ? 1 : 0,
                    rec->busNumber[b], driver);
  }
}

NTSTATUS ConnectInterrupt(XanBoardRecord* rec) {
  KIRQL irql = 0;
  KAFFINITY affinity = 0;
  const ULONG vector =
      HalGetInterruptVector(PCIBus, rec->busNumber[0], rec->interruptLine, rec->interruptLine, &irql, &affinity);
  return IoConnectInterrupt(&rec->interrupt, InterruptService, rec, nullptr, vector, irql, irql, LevelSensitive,
                            TRUE, affinity, FALSE);
}

// Unload and failed start-up alike.
void TearDown(XanDeviceExtension* ext, PDEVICE_OBJECT device, Names& names, bool linked) {
  for (unsigned g = 0; g < kMaxGroups; ++g) {
    XanBoardRecord* rec = &ext->records[g];
    if (rec->interrupt != nullptr) {
      IoDisconnectInterrupt(rec->interrupt);
      rec->interrupt = nullptr;
    }
  }
  for (unsigned g = 0; g < kMaxGroups; ++g) {
    XanBoardRecord* rec = &ext->records[g];
    KeCancelTimer(&rec->timer);
    KeRemoveQueueDpc(&rec->timerDpc);
    KeRemoveQueueDpc(&rec->eventDpc);
  }
  KeFlushQueuedDpcs();
  for (unsigned g = 0; g < kMaxGroups; ++g) {
    XanBoardRecord* rec = &ext->records[g];
    if (rec->acquisitionBuffer != nullptr) ExFreePool(rec->acquisitionBuffer);
    if (rec->listCopy != nullptr) ExFreePool(rec->listCopy);
    rec->acquisitionBuffer = nullptr;
    rec->listCopy = nullptr;
  }
  if (ext->controller != nullptr) IoDeleteController(ext->controller);
  ext->controller = nullptr;
  if (linked) IoDeleteSymbolicLink(&names.linkName);
  IoDeleteDevice(device);
}

}  // namespace

XanDeviceExtension* XanRunningExtension() { return g_ext; }

VOID GpdUnload(PDRIVER_OBJECT) {
  XanDeviceExtension* ext = g_ext;
  if (ext == nullptr) return;
  Names names(ext->deviceIndex);
  TearDown(ext, ext->device, names, true);
  g_ext = nullptr;
}

}  // namespace morvel00

using namespace morvel00;

DLL_EXPORT NTSTATUS DriverEntry(PDRIVER_OBJECT driver, PUNICODE_STRING registryPath) {
  driver->MajorFunction[IRP_MJ_CREATE] = GpdDispatch;
  driver->MajorFunction[IRP_MJ_CLOSE] = GpdDispatch;
  driver->MajorFunction[IRP_MJ_CLEANUP] = GpdDispatch;
  driver->MajorFunction[IRP_MJ_DEVICE_CONTROL] = GpdDispatch;
  driver->DriverUnload = GpdUnload;

  const unsigned index = DeviceIndexFromPath(registryPath);
  Names names(index);
  PDEVICE_OBJECT device = nullptr;
  NTSTATUS status =
      IoCreateDevice(driver, sizeof(XanDeviceExtension), &names.deviceName, kDeviceType, 0, FALSE, &device);
  if (!NT_SUCCESS(status)) return status;
  auto* ext = static_cast<XanDeviceExtension*>(device->DeviceExtension);
  RtlZeroMemory(ext, sizeof *ext);
  ext->deviceIndex = index;
  ext->device = device;
  ext->deviceType = kDeviceType;
  KeInitializeSpinLock(&ext->spinLock);
  for (unsigned g = 0; g < kMaxGroups; ++g) InitialiseRecord(ext, g);
  status = IoCreateSymbolicLink(&names.linkName, &names.deviceName);
  if (!NT_SUCCESS(status)) {
    IoDeleteDevice(device);
    return status;
  }

  ServiceConfig config;
  status = ReadServiceConfig(registryPath, config);
  if (!NT_SUCCESS(status)) {
    TearDown(ext, device, names, true);
    return status;
  }
  ext->groupCount = static_cast<int16_t>(config.groupNum);
  for (unsigned g = 0; g < config.groupNum; ++g) {
    FillGroup(ext, &ext->records[g], config.groups[g], config.machineType, driver);
  }
  for (unsigned g = 0; g < config.groupNum; ++g) {
    XanBoardRecord* rec = &ext->records[g];
    if (rec->startupCode != 0 || rec->interruptLine == kNoLine) continue;
    status = ConnectInterrupt(rec);
    if (!NT_SUCCESS(status)) {
      rec->interrupt = nullptr;
      TearDown(ext, device, names, true);
      return status;
    }
  }
  // Its extension holds a pointer back to it: pointer-sized, not 4 bytes.
  ext->controller = IoCreateController(sizeof(PCONTROLLER_OBJECT));
  if (ext->controller == nullptr) {
    TearDown(ext, device, names, true);
    return STATUS_INSUFFICIENT_RESOURCES;
  }
  *static_cast<PCONTROLLER_OBJECT*>(ext->controller->ControllerExtension) = ext->controller;
  ext->controllerExtension = ext->controller->ControllerExtension;
  g_ext = ext;
  return STATUS_SUCCESS;
}
