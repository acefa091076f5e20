// The one dispatch routine: create, close and cleanup, and every
// device-control request through its route, after the checks every request
// gets (record size, owner, caller memory).
#include "frame/internal.h"
#include "frame/probes.h"
#include "handlers.h"

namespace morvel00 {

namespace {

NTSTATUS Complete(PIRP irp, NTSTATUS status, ULONG_PTR information) {
  irp->IoStatus.Status = status;
  irp->IoStatus.Information = information;
  IoCompleteRequest(irp, IO_NO_INCREMENT);
  return status;
}

void AnswerUnknownHandle(XanRequest* request, UnknownHandle kind) {
  switch (kind) {
    case UnknownHandle::kState28:
      request->notifyStatus.state = XAN_STATE_CLOSED;
      break;
    case UnknownHandle::kState20:
      request->cntNotify.state = XAN_STATE_CLOSED;
      break;
    default:
      request->head.result = XAN_E_UNKNOWN_HANDLE;
      break;
  }
}

// Cleanup of the owner's file object does what its close request would.
void Cleanup(XanDeviceExtension* ext, PFILE_OBJECT file) {
  if (file == nullptr) return;
  for (int16_t g = 0; g < ext->groupCount; ++g) {
    XanBoardRecord* rec = &ext->records[g];
    if (rec->ownerFile != file) continue;
    ExAcquireFastMutex(&rec->handlerMutex);
    if (rec->ownerFile == file && rec->owner != 0) XanCloseRecord(rec);
    ExReleaseFastMutex(&rec->handlerMutex);
  }
}

NTSTATUS DeviceControl(XanDeviceExtension* ext, PIRP irp, PIO_STACK_LOCATION stack) {
  const auto& p = stack->Parameters.DeviceIoControl;
  const uint32_t offset = XanCodeOffset(p.IoControlCode);
  const uint16_t size = XanRecordSize(offset);
  if (size == 0) return Complete(irp, STATUS_SUCCESS, 0);
  const XanRoute& route = XanRouteFor(offset);
  if (route.handler == nullptr) return Complete(irp, STATUS_SUCCESS, 0);
  if (p.InputBufferLength < size) return Complete(irp, STATUS_INVALID_PARAMETER, 0);
  if (p.OutputBufferLength < size) return Complete(irp, STATUS_BUFFER_TOO_SMALL, 0);

  auto* request = static_cast<XanRequest*>(irp->AssociatedIrp.SystemBuffer);
  XanCall call{ext, nullptr, request, irp, stack->FileObject};
  if (route.unknown == UnknownHandle::kNoLookup) {
    const NTSTATUS probed = XanProbeCallerMemory(offset, *request, nullptr);
    if (!NT_SUCCESS(probed)) return Complete(irp, probed, 0);
    irp->IoStatus.Information = size;
    const NTSTATUS status = route.handler(call);
    return Complete(irp, status, NT_SUCCESS(status) ? size : 0);
  }

  const uint32_t handle = request->head.handle;
  XanBoardRecord* rec = Sub_GetBRDHND(ext, handle);
  if (rec != nullptr) {
    ExAcquireFastMutex(&rec->handlerMutex);
    // A close may have freed the record between the lookup and the lock.
    // A handle value is a number any caller can write: the record is the
    // sender's only when the request comes on the file that opened it.
    if (rec->owner != handle || rec->ownerFile != stack->FileObject) {
      ExReleaseFastMutex(&rec->handlerMutex);
      rec = nullptr;
    }
  }
  if (rec == nullptr) {
    AnswerUnknownHandle(request, route.unknown);
    return Complete(irp, STATUS_SUCCESS, size);
  }

  NTSTATUS status = XanProbeCallerMemory(offset, *request, rec);
  if (NT_SUCCESS(status)) {
    call.rec = rec;
    irp->IoStatus.Information = size;
    status = route.handler(call);
  }
  ExReleaseFastMutex(&rec->handlerMutex);
  // A pended wait belongs to the frame now; the caller is told success.
  if (status == STATUS_PENDING) return STATUS_SUCCESS;
  return Complete(irp, status, NT_SUCCESS(status) ? size : 0);
}

}  // namespace

NTSTATUS GpdDispatch(PDEVICE_OBJECT device, PIRP irp) {
  auto* ext = static_cast<XanDeviceExtension*>(device->DeviceExtension);
  PIO_STACK_LOCATION stack = IoGetCurrentIrpStackLocation(irp);
  irp->IoStatus.Information = 0;
  switch (stack->MajorFunction) {
    case IRP_MJ_CREATE:
    case IRP_MJ_CLOSE:
      return Complete(irp, STATUS_SUCCESS, 0);
    case IRP_MJ_CLEANUP:
      Cleanup(ext, stack->FileObject);
      return Complete(irp, STATUS_SUCCESS, 0);
    case IRP_MJ_DEVICE_CONTROL:
      return DeviceControl(ext, irp, stack);
    default:
      return Complete(irp, STATUS_NOT_IMPLEMENTED, 0);
  }
}

}  // namespace morvel00
