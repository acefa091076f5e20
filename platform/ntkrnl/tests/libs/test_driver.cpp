// The test driver, written against the kernel calls as any driver would be.
#include <ntkrnl/ntddk.h>

#include <utility>

#include "test_card.h"
#include "test_driver.h"

namespace {

struct Extension {
  PDEVICE_OBJECT device;
  PKINTERRUPT interrupt;
  KSPIN_LOCK lock;
  KDPC eventDpc;
  KTIMER timer;
  KDPC timerDpc;
  FAST_MUTEX mutex;
  PIRP waiting;  // under the cancel spin lock
  ULONG served;
  USHORT port;
  PVOID scratch;  // a pool block held for the driver's life
  ULONG fault;
};

Extension* g_ext = nullptr;

UNICODE_STRING text(PCWSTR s) {
  UNICODE_STRING u;
  RtlInitUnicodeString(&u, s);
  return u;
}

// The last slot whose vendor and device match: its port base and line.
bool findCard(USHORT& port, ULONG& line) {
  bool found = false;
  for (ULONG bus = 0; bus < 256; ++bus) {
    for (ULONG device = 0; device < 32; ++device) {
      for (ULONG function = 0; function < 8; ++function) {
        PCI_SLOT_NUMBER slot{};
        slot.u.bits.DeviceNumber = device;
        slot.u.bits.FunctionNumber = function;
        PCI_COMMON_CONFIG config{};
        const ULONG read = HalGetBusData(PCIConfiguration, bus, slot.u.AsULONG, &config, sizeof config);
        if (read == 0) goto nextBus;
        if (read < 64 || config.VendorID != ntktest::kVendor || config.DeviceID != ntktest::kDevice) continue;
        port = static_cast<USHORT>(config.BaseAddresses[0] & ~1u);
        line = config.InterruptPin != 0 && config.InterruptLine != 0xFF ? config.InterruptLine : 0xFFFFFFFF;
        found = true;
      }
    }
  nextBus:;
  }
  return found;
}

// Takes the waiting IRP off the extension; NULL when a cancel has it.
PIRP takeWaiting(Extension* ext) {
  KIRQL irql;
  IoAcquireCancelSpinLock(&irql);
  PIRP irp = ext->waiting;
  ext->waiting = nullptr;
  if (irp != nullptr && IoSetCancelRoutine(irp, nullptr) == nullptr) irp = nullptr;
  IoReleaseCancelSpinLock(irql);
  return irp;
}

void completeWait(PIRP irp, ULONG served) {
  *static_cast<ULONG*>(irp->AssociatedIrp.SystemBuffer) = served;
  irp->IoStatus.Status = STATUS_SUCCESS;
  irp->IoStatus.Information = sizeof(ULONG);
  IoCompleteRequest(irp, IO_NO_INCREMENT);
}

VOID cancelWait(PDEVICE_OBJECT device, PIRP irp) {
  auto* ext = static_cast<Extension*>(device->DeviceExtension);
  if (ext->waiting == irp) ext->waiting = nullptr;
  IoReleaseCancelSpinLock(irp->CancelIrql);
  irp->IoStatus.Status = STATUS_CANCELLED;
  irp->IoStatus.Information = 0;
  IoCompleteRequest(irp, IO_NO_INCREMENT);
}

BOOLEAN isr(PKINTERRUPT, PVOID context) {
  auto* ext = static_cast<Extension*>(context);
  if (READ_PORT_UCHAR(reinterpret_cast<PUCHAR>(static_cast<uintptr_t>(ext->port))) == 0) return FALSE;
  WRITE_PORT_UCHAR(reinterpret_cast<PUCHAR>(static_cast<uintptr_t>(ext->port)), 0);
  ++ext->served;
  KeInsertQueueDpc(&ext->eventDpc, nullptr, nullptr);
  return TRUE;
}

BOOLEAN readServed(PVOID context) {
  auto* pair = static_cast<std::pair<Extension*, ULONG>*>(context);
  pair->second = pair->first->served;
  return TRUE;
}

VOID eventDpc(PKDPC, PVOID context, PVOID, PVOID) {
  auto* ext = static_cast<Extension*>(context);
  std::pair<Extension*, ULONG> served{ext, 0};
  KeSynchronizeExecution(ext->interrupt, readServed, &served);
  if (PIRP irp = takeWaiting(ext)) completeWait(irp, served.second);
}

VOID timerDpc(PKDPC, PVOID, PVOID, PVOID) {}

NTSTATUS complete(PIRP irp, NTSTATUS status, ULONG_PTR information) {
  irp->IoStatus.Status = status;
  irp->IoStatus.Information = information;
  IoCompleteRequest(irp, IO_NO_INCREMENT);
  return status;
}

NTSTATUS createClose(PDEVICE_OBJECT, PIRP irp) { return complete(irp, STATUS_SUCCESS, 0); }

NTSTATUS deviceControl(PDEVICE_OBJECT device, PIRP irp) {
  auto* ext = static_cast<Extension*>(device->DeviceExtension);
  PIO_STACK_LOCATION stack = IoGetCurrentIrpStackLocation(irp);
  const auto& p = stack->Parameters.DeviceIoControl;
  auto* buffer = static_cast<UCHAR*>(irp->AssociatedIrp.SystemBuffer);
  switch (p.IoControlCode) {
    case ntktest::kEcho:
      if (p.OutputBufferLength < p.InputBufferLength) return complete(irp, STATUS_BUFFER_TOO_SMALL, 0);
      ExAcquireFastMutex(&ext->mutex);
      for (ULONG i = 0; i < p.InputBufferLength; ++i) buffer[i] = static_cast<UCHAR>(buffer[i] + 1);
      ExReleaseFastMutex(&ext->mutex);
      return complete(irp, STATUS_SUCCESS, p.InputBufferLength);
    case ntktest::kWaiting: {
      if (p.OutputBufferLength < sizeof(ULONG)) return complete(irp, STATUS_BUFFER_TOO_SMALL, 0);
      KIRQL irql;
      IoAcquireCancelSpinLock(&irql);
      *reinterpret_cast<ULONG*>(buffer) = ext->waiting != nullptr ? 1 : 0;
      IoReleaseCancelSpinLock(irql);
      return complete(irp, STATUS_SUCCESS, sizeof(ULONG));
    }
    case ntktest::kWait: {
      if (p.OutputBufferLength < sizeof(ULONG)) return complete(irp, STATUS_BUFFER_TOO_SMALL, 0);
      IoMarkIrpPending(irp);
      KIRQL irql;
      IoAcquireCancelSpinLock(&irql);
      if (ext->waiting != nullptr) {
        IoReleaseCancelSpinLock(irql);
        complete(irp, STATUS_DEVICE_BUSY, 0);
        return STATUS_SUCCESS;
      }
      IoSetCancelRoutine(irp, cancelWait);
      if (irp->Cancel && IoSetCancelRoutine(irp, nullptr) != nullptr) {
        IoReleaseCancelSpinLock(irql);
        complete(irp, STATUS_CANCELLED, 0);
        return STATUS_SUCCESS;
      }
      ext->waiting = irp;
      IoReleaseCancelSpinLock(irql);
      return STATUS_SUCCESS;
    }
    default:
      return complete(irp, STATUS_INVALID_DEVICE_REQUEST, 0);
  }
}

VOID unload(PDRIVER_OBJECT driver) {
  Extension* ext = g_ext;
  if (ext->interrupt != nullptr) IoDisconnectInterrupt(ext->interrupt);
  if (ext->fault != ntktest::kSloppyUnload) {
    KeCancelTimer(&ext->timer);
    KeRemoveQueueDpc(&ext->eventDpc);
    KeFlushQueuedDpcs();
    ExFreePool(ext->scratch);
  }
  UNICODE_STRING link = text(u"\\DosDevices\\NtkTest0");
  IoDeleteSymbolicLink(&link);
  IoDeleteDevice(driver->DeviceObject);
  g_ext = nullptr;
}

}  // namespace

DLL_EXPORT NTSTATUS DriverEntry(PDRIVER_OBJECT driver, PUNICODE_STRING registryPath) {
  ULONG fault = ntktest::kNoFault;
  RTL_QUERY_REGISTRY_TABLE table[2] = {};
  table[0].Flags = RTL_QUERY_REGISTRY_DIRECT;
  table[0].Name = const_cast<PWSTR>(u"Fault");
  table[0].EntryContext = &fault;
  NTSTATUS status = RtlQueryRegistryValues(RTL_REGISTRY_ABSOLUTE | RTL_REGISTRY_OPTIONAL, registryPath->Buffer,
                                           table, nullptr, nullptr);
  if (!NT_SUCCESS(status)) return status;

  UNICODE_STRING name = text(u"\\Device\\NtkTest0");
  PDEVICE_OBJECT device = nullptr;
  status = IoCreateDevice(driver, sizeof(Extension), &name, FILE_DEVICE_UNKNOWN, 0, FALSE, &device);
  if (!NT_SUCCESS(status)) return status;
  UNICODE_STRING link = text(u"\\DosDevices\\NtkTest0");
  status = IoCreateSymbolicLink(&link, &name);
  if (!NT_SUCCESS(status)) {
    IoDeleteDevice(device);
    return status;
  }
  if (fault == ntktest::kFailEntryLeavingDevice) return STATUS_UNSUCCESSFUL;

  auto* ext = static_cast<Extension*>(device->DeviceExtension);
  ext->device = device;
  ext->fault = fault;
  KeInitializeSpinLock(&ext->lock);
  ExInitializeFastMutex(&ext->mutex);
  KeInitializeDpc(&ext->eventDpc, eventDpc, ext);
  KeInitializeDpc(&ext->timerDpc, timerDpc, ext);
  KeInitializeTimer(&ext->timer);
  ext->scratch = ExAllocatePoolWithTag(NonPagedPool, 64, 0x74736554);
  if (ext->scratch == nullptr) {
    IoDeleteSymbolicLink(&link);
    IoDeleteDevice(device);
    return STATUS_INSUFFICIENT_RESOURCES;
  }
  LARGE_INTEGER due;
  due.QuadPart = -10'000'000;  // a second: outlives every test
  KeSetTimer(&ext->timer, due, &ext->timerDpc);

  USHORT port = 0;
  ULONG line = 0xFFFFFFFF;
  if (findCard(port, line) && line != 0xFFFFFFFF) {
    ext->port = port;
    KIRQL irql;
    KAFFINITY affinity;
    const ULONG vector = HalGetInterruptVector(PCIBus, 0, line, line, &irql, &affinity);
    status = IoConnectInterrupt(&ext->interrupt, isr, ext, nullptr, vector, irql, irql, LevelSensitive, TRUE,
                                affinity, FALSE);
    if (!NT_SUCCESS(status)) {
      KeCancelTimer(&ext->timer);
      ExFreePool(ext->scratch);
      IoDeleteSymbolicLink(&link);
      IoDeleteDevice(device);
      return status;
    }
  }
  g_ext = ext;
  driver->MajorFunction[IRP_MJ_CREATE] = createClose;
  driver->MajorFunction[IRP_MJ_CLOSE] = createClose;
  driver->MajorFunction[IRP_MJ_DEVICE_CONTROL] = deviceControl;
  driver->DriverUnload = unload;
  return STATUS_SUCCESS;
}
