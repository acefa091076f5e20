// IRPs over the platform's request packets. Create, cleanup and close are
// sent synchronously; a device-control IRP lives until its completion and
// as long as a cancel is being delivered to it. A cancel of the platform
// packet becomes the system's cancel: Irp->Cancel set and the IRP's cancel
// routine called under the cancel spin lock.
#include <atomic>
#include <condition_variable>
#include <mutex>

#include <ntkrnl/ntkrnl_host.h>

#include "device_node.h"
#include "requests.h"

namespace ntk {

namespace {

KSPIN_LOCK g_cancelLock = 0;
// Guards the link from a platform packet (driverContext) to its IRP.
std::mutex g_link;
std::atomic<ULONG> g_doubleCompletions{0};

struct IrpBox {
  IRP irp{};  // first: the driver's pointer is the box's
  IO_STACK_LOCATION stack{};
  DeviceNode* node = nullptr;
  PlatRequest* platform = nullptr;  // none for create, cleanup and close
  std::atomic<int> references{1};
  std::atomic<bool> completed{false};
  std::atomic<bool> pending{false};
  std::mutex mutex;
  std::condition_variable done;
  bool finished = false;  // under mutex

  static IrpBox* from(PIRP irp) { return reinterpret_cast<IrpBox*>(irp); }
};

void drop(IrpBox* box) {
  if (box->references.fetch_sub(1) == 1) delete box;
}

void prepare(IrpBox& box, DeviceNode* node, UCHAR major, PFILE_OBJECT file) {
  box.node = node;
  box.irp.Type = 6;
  box.irp.Size = static_cast<USHORT>(sizeof(IRP));
  box.irp.RequestorMode = UserMode;
  box.irp.Tail.Overlay.CurrentStackLocation = &box.stack;
  box.stack.MajorFunction = major;
  box.stack.DeviceObject = &node->object;
  box.stack.FileObject = file;
}

NTSTATUS dispatch(IrpBox& box) {
  PDRIVER_DISPATCH routine = box.node->object.DriverObject->MajorFunction[box.stack.MajorFunction];
  if (routine == nullptr) routine = invalidDeviceRequest;
  return routine(&box.node->object, &box.irp);
}

NTSTATUS sendSynchronous(DeviceNode* node, UCHAR major, PFILE_OBJECT file) {
  IrpBox box;
  prepare(box, node, major, file);
  const NTSTATUS status = dispatch(box);
  if (status == STATUS_PENDING || box.pending.load()) {
    std::unique_lock<std::mutex> lock(box.mutex);
    box.done.wait(lock, [&] { return box.finished; });
  }
  return box.completed.load() ? box.irp.IoStatus.Status : status;
}

PFILE_OBJECT fileOf(PlatFile* file) { return static_cast<PFILE_OBJECT>(file->driverContext); }
DeviceNode* nodeOf(PlatFile* file) { return static_cast<DeviceNode*>(file->driver->context); }

LONG onCreate(PlatFile* file) {
  DeviceNode* node = nodeOf(file);
  if (node->deleted.load()) return STATUS_NO_SUCH_DEVICE;
  if (node->exclusive && node->opens.load() > 0) return STATUS_ACCESS_DENIED;
  auto* object = new FILE_OBJECT{};
  object->Type = 5;
  object->Size = static_cast<CSHORT>(sizeof(FILE_OBJECT));
  object->DeviceObject = &node->object;
  retain(node);
  node->opens.fetch_add(1);
  const NTSTATUS status = sendSynchronous(node, IRP_MJ_CREATE, object);
  if (!NT_SUCCESS(status)) {
    node->opens.fetch_sub(1);
    delete object;
    release(node);
    return status;
  }
  file->driverContext = object;
  return STATUS_SUCCESS;
}

void onCleanup(PlatFile* file) {
  DeviceNode* node = nodeOf(file);
  if (!node->deleted.load()) sendSynchronous(node, IRP_MJ_CLEANUP, fileOf(file));
}

void onClose(PlatFile* file) {
  DeviceNode* node = nodeOf(file);
  if (!node->deleted.load()) sendSynchronous(node, IRP_MJ_CLOSE, fileOf(file));
  delete fileOf(file);
  file->driverContext = nullptr;
  node->opens.fetch_sub(1);
  release(node);
}

void onCancel(PlatRequest* request) {
  IrpBox* box = nullptr;
  {
    std::lock_guard<std::mutex> lock(g_link);
    box = static_cast<IrpBox*>(request->driverContext);
    if (box == nullptr) return;
    box->references.fetch_add(1);
  }
  KIRQL irql;
  IoAcquireCancelSpinLock(&irql);
  box->irp.Cancel = TRUE;
  if (PDRIVER_CANCEL routine = IoSetCancelRoutine(&box->irp, nullptr)) {
    box->irp.CancelIrql = irql;
    routine(&box->node->object, &box->irp);  // releases the cancel spin lock
  } else {
    IoReleaseCancelSpinLock(irql);
    // As the system does, a later cancel finds the routine the driver sets
    // meanwhile.
    if (!box->completed.load()) PlatSetCancelRoutine(request, onCancel);
  }
  drop(box);
}

LONG onDeviceControl(PlatRequest* request) {
  DeviceNode* node = nodeOf(request->file);
  if (node->deleted.load()) return STATUS_INVALID_DEVICE_REQUEST;
  auto* box = new IrpBox;
  box->references.store(2);  // the completion's and ours
  prepare(*box, node, IRP_MJ_DEVICE_CONTROL, fileOf(request->file));
  box->platform = request;
  IRP& irp = box->irp;
  auto& parameters = box->stack.Parameters.DeviceIoControl;
  parameters.OutputBufferLength = request->outputSize;
  parameters.InputBufferLength = request->inputSize;
  parameters.IoControlCode = request->code;
  switch (request->method) {
    case METHOD_BUFFERED:
      irp.AssociatedIrp.SystemBuffer = request->systemBuffer;
      break;
    case METHOD_IN_DIRECT:
    case METHOD_OUT_DIRECT:
      irp.AssociatedIrp.SystemBuffer = request->systemBuffer;
      irp.UserBuffer = request->outputBuffer;
      break;
    default:
      parameters.Type3InputBuffer = request->inputBuffer;
      irp.UserBuffer = request->outputBuffer;
      break;
  }
  {
    std::lock_guard<std::mutex> lock(g_link);
    request->driverContext = box;
  }
  PlatSetCancelRoutine(request, onCancel);
  // Cancelled before the routine was in place: the driver sees it at its
  // check of Irp->Cancel.
  if (PlatRequestCancelled(request)) {
    KIRQL irql;
    IoAcquireCancelSpinLock(&irql);
    irp.Cancel = TRUE;
    IoReleaseCancelSpinLock(irql);
  }
  const NTSTATUS status = dispatch(*box);
  // A driver that neither completed nor kept the IRP has answered with its
  // return value.
  if (status != STATUS_PENDING && !box->pending.load() && !box->completed.load()) {
    irp.IoStatus.Status = status;
    IoCompleteRequest(&irp, IO_NO_INCREMENT);
  }
  drop(box);
  return status;
}

}  // namespace

NTSTATUS invalidDeviceRequest(PDEVICE_OBJECT, PIRP irp) {
  irp->IoStatus.Status = STATUS_INVALID_DEVICE_REQUEST;
  irp->IoStatus.Information = 0;
  IoCompleteRequest(irp, IO_NO_INCREMENT);
  return STATUS_INVALID_DEVICE_REQUEST;
}

void bindPlatformDriver(DeviceNode* node) {
  node->platform.context = node;
  node->platform.create = onCreate;
  node->platform.cleanup = onCleanup;
  node->platform.close = onClose;
  node->platform.deviceControl = onDeviceControl;
}

}  // namespace ntk

NTKRNL_API VOID NTAPI IoCompleteRequest(PIRP Irp, CCHAR) {
  ntk::IrpBox* box = ntk::IrpBox::from(Irp);
  if (box->completed.exchange(true)) {
    ntk::g_doubleCompletions.fetch_add(1);
    return;
  }
  IoSetCancelRoutine(Irp, nullptr);
  PlatRequest* request = box->platform;
  if (request == nullptr) {
    std::lock_guard<std::mutex> lock(box->mutex);
    box->finished = true;
    box->done.notify_all();
    return;
  }
  {
    std::lock_guard<std::mutex> lock(ntk::g_link);
    request->driverContext = nullptr;
  }
  PlatCompleteRequest(request, Irp->IoStatus.Status, Irp->IoStatus.Information);
  ntk::drop(box);
}

NTKRNL_API VOID NTAPI IoMarkIrpPending(PIRP Irp) {
  ntk::IrpBox* box = ntk::IrpBox::from(Irp);
  box->stack.Control |= SL_PENDING_RETURNED;
  box->pending.store(true);
  if (box->platform != nullptr && !box->completed.load()) PlatMarkRequestPending(box->platform);
}

NTKRNL_API PDRIVER_CANCEL NTAPI IoSetCancelRoutine(PIRP Irp, PDRIVER_CANCEL CancelRoutine) {
  return __atomic_exchange_n(&Irp->CancelRoutine, CancelRoutine, __ATOMIC_ACQ_REL);
}

NTKRNL_API VOID NTAPI IoAcquireCancelSpinLock(PKIRQL Irql) { KeAcquireSpinLock(&ntk::g_cancelLock, Irql); }

NTKRNL_API VOID NTAPI IoReleaseCancelSpinLock(KIRQL Irql) { KeReleaseSpinLock(&ntk::g_cancelLock, Irql); }

NTKRNL_API ULONG NTAPI NtkDoubleCompletions(void) { return ntk::g_doubleCompletions.load(); }
