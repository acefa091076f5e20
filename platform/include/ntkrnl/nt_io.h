// The I/O manager's objects: drivers, devices, files, request packets
// (IRPs), symbolic links, interrupt connection and controller objects.
//
// An IRP stands for one request packet of the platform's device model
// (platform/device.h): a device-control request on "\\.\NAME" reaches
// MajorFunction[IRP_MJ_DEVICE_CONTROL] of the device that the symbolic link
// "\DosDevices\NAME" names; CreateFileA and the last CloseHandle send
// IRP_MJ_CREATE, IRP_MJ_CLEANUP and IRP_MJ_CLOSE. Major functions a driver
// leaves unset complete with STATUS_INVALID_DEVICE_REQUEST.
#pragma once
#include "nt_ke.h"

#define IRP_MJ_CREATE 0x00
#define IRP_MJ_CLOSE 0x02
#define IRP_MJ_READ 0x03
#define IRP_MJ_WRITE 0x04
#define IRP_MJ_DEVICE_CONTROL 0x0e
#define IRP_MJ_INTERNAL_DEVICE_CONTROL 0x0f
#define IRP_MJ_SHUTDOWN 0x10
#define IRP_MJ_CLEANUP 0x12
#define IRP_MJ_MAXIMUM_FUNCTION 0x1b

#define IO_NO_INCREMENT 0
#define SL_PENDING_RETURNED 0x01

#define FILE_DEVICE_UNKNOWN 0x00000022
#define DO_BUFFERED_IO 0x00000004
#define DO_EXCLUSIVE 0x00000008
#define DO_DIRECT_IO 0x00000010

typedef ULONG DEVICE_TYPE;
struct _DRIVER_OBJECT;
struct _DEVICE_OBJECT;
struct _IRP;

typedef NTSTATUS (*PDRIVER_DISPATCH)(struct _DEVICE_OBJECT* DeviceObject, struct _IRP* Irp);
typedef VOID (*PDRIVER_CANCEL)(struct _DEVICE_OBJECT* DeviceObject, struct _IRP* Irp);
typedef VOID (*PDRIVER_UNLOAD)(struct _DRIVER_OBJECT* DriverObject);
typedef NTSTATUS (*PDRIVER_INITIALIZE)(struct _DRIVER_OBJECT* DriverObject, PUNICODE_STRING RegistryPath);

typedef struct _DRIVER_OBJECT {
  CSHORT Type;
  CSHORT Size;
  struct _DEVICE_OBJECT* DeviceObject;  // the driver's devices, newest first
  ULONG Flags;
  PVOID DriverStart;
  UNICODE_STRING DriverName;  // "\Driver\<service>"
  PUNICODE_STRING HardwareDatabase;
  PDRIVER_INITIALIZE DriverInit;
  PDRIVER_UNLOAD DriverUnload;
  PDRIVER_DISPATCH MajorFunction[IRP_MJ_MAXIMUM_FUNCTION + 1];
} DRIVER_OBJECT, *PDRIVER_OBJECT;

typedef struct _DEVICE_OBJECT {
  CSHORT Type;
  USHORT Size;
  PDRIVER_OBJECT DriverObject;
  struct _DEVICE_OBJECT* NextDevice;
  ULONG Flags;
  ULONG Characteristics;
  PVOID DeviceExtension;  // zero-filled at creation
  DEVICE_TYPE DeviceType;
  CCHAR StackSize;
  ULONG AlignmentRequirement;
} DEVICE_OBJECT, *PDEVICE_OBJECT;

// One open of a device; FsContext and FsContext2 are the driver's.
typedef struct _FILE_OBJECT {
  CSHORT Type;
  CSHORT Size;
  PDEVICE_OBJECT DeviceObject;
  PVOID FsContext;
  PVOID FsContext2;
  ULONG Flags;
} FILE_OBJECT, *PFILE_OBJECT;

typedef struct _IO_STATUS_BLOCK {
  union {
    NTSTATUS Status;
    PVOID Pointer;
  };
  ULONG_PTR Information;
} IO_STATUS_BLOCK, *PIO_STATUS_BLOCK;

typedef struct _IO_STACK_LOCATION {
  UCHAR MajorFunction;
  UCHAR MinorFunction;
  UCHAR Flags;
  UCHAR Control;
  union {
    struct {
      PVOID SecurityContext;
      ULONG Options;
      USHORT FileAttributes;
      USHORT ShareAccess;
      ULONG EaLength;
    } Create;
    struct {
      ULONG OutputBufferLength;
      ULONG InputBufferLength;
      ULONG IoControlCode;
      PVOID Type3InputBuffer;  // METHOD_NEITHER: the caller's input
    } DeviceIoControl;
  } Parameters;
  PDEVICE_OBJECT DeviceObject;
  PFILE_OBJECT FileObject;
} IO_STACK_LOCATION, *PIO_STACK_LOCATION;

// Buffers by the code's method: METHOD_BUFFERED gives SystemBuffer with
// max(in, out) bytes holding the input, and IoStatus.Information bytes of it
// (at most the output length) reach the caller at completion; the direct
// methods give the input in SystemBuffer and the caller's output buffer in
// UserBuffer; METHOD_NEITHER gives Type3InputBuffer and UserBuffer. Those
// two are the caller's own memory, as are addresses a record carries: a
// driver reaches them only through SafeCopyFromUser and SafeCopyToUser.
typedef struct _IRP {
  CSHORT Type;
  USHORT Size;
  ULONG Flags;
  union {
    struct _IRP* MasterIrp;
    PVOID SystemBuffer;
  } AssociatedIrp;
  IO_STATUS_BLOCK IoStatus;
  KPROCESSOR_MODE RequestorMode;
  BOOLEAN PendingReturned;
  BOOLEAN Cancel;  // set under the cancel spin lock
  KIRQL CancelIrql;
  PDRIVER_CANCEL CancelRoutine;  // through IoSetCancelRoutine only
  PVOID UserBuffer;
  struct {
    struct {
      LIST_ENTRY ListEntry;  // the driver's, while it holds the IRP
      PVOID DriverContext[4];
      PIO_STACK_LOCATION CurrentStackLocation;
    } Overlay;
  } Tail;
} IRP, *PIRP;

static inline PIO_STACK_LOCATION IoGetCurrentIrpStackLocation(PIRP Irp) {
  return Irp->Tail.Overlay.CurrentStackLocation;
}

// --- Devices and links -----------------------------------------------------
// DeviceName may be NULL; a name in use gives STATUS_OBJECT_NAME_COLLISION.
NTKRNL_API NTSTATUS NTAPI IoCreateDevice(PDRIVER_OBJECT DriverObject, ULONG DeviceExtensionSize,
                                         PUNICODE_STRING DeviceName, DEVICE_TYPE DeviceType,
                                         ULONG DeviceCharacteristics, BOOLEAN Exclusive,
                                         PDEVICE_OBJECT* DeviceObject);
NTKRNL_API VOID NTAPI IoDeleteDevice(PDEVICE_OBJECT DeviceObject);
// "\DosDevices\NAME" (or "\??\NAME") makes the device open as "\\.\NAME".
NTKRNL_API NTSTATUS NTAPI IoCreateSymbolicLink(PUNICODE_STRING SymbolicLinkName, PUNICODE_STRING DeviceName);
NTKRNL_API NTSTATUS NTAPI IoDeleteSymbolicLink(PUNICODE_STRING SymbolicLinkName);

// --- Requests ---------------------------------------------------------------
// Once per IRP; a second completion is ignored (and counted, see
// NtkDoubleCompletions).
NTKRNL_API VOID NTAPI IoCompleteRequest(PIRP Irp, CCHAR PriorityBoost);
// The IRP stays pending whatever the dispatch routine returns.
NTKRNL_API VOID NTAPI IoMarkIrpPending(PIRP Irp);
// Interlocked exchange; returns the previous routine.
NTKRNL_API PDRIVER_CANCEL NTAPI IoSetCancelRoutine(PIRP Irp, PDRIVER_CANCEL CancelRoutine);
// A cancel routine is entered with this lock held and releases it with
// IoReleaseCancelSpinLock(Irp->CancelIrql).
NTKRNL_API VOID NTAPI IoAcquireCancelSpinLock(PKIRQL Irql);
NTKRNL_API VOID NTAPI IoReleaseCancelSpinLock(KIRQL Irql);

// --- Interrupts -------------------------------------------------------------
// Vector and Irql come from HalGetInterruptVector. On a shared line the
// service routines of the vector are called in turn until one returns TRUE,
// and again while the line stays asserted.
NTKRNL_API NTSTATUS NTAPI IoConnectInterrupt(PKINTERRUPT* InterruptObject, PKSERVICE_ROUTINE ServiceRoutine,
                                             PVOID ServiceContext, PKSPIN_LOCK SpinLock, ULONG Vector,
                                             KIRQL Irql, KIRQL SynchronizeIrql, KINTERRUPT_MODE InterruptMode,
                                             BOOLEAN ShareVector, KAFFINITY ProcessorEnableMask,
                                             BOOLEAN FloatingSave);
// Returns when the service routine no longer runs.
NTKRNL_API VOID NTAPI IoDisconnectInterrupt(PKINTERRUPT InterruptObject);

// --- Controller objects -----------------------------------------------------
typedef struct _CONTROLLER_OBJECT {
  CSHORT Type;
  CSHORT Size;
  PVOID ControllerExtension;  // zero-filled
} CONTROLLER_OBJECT, *PCONTROLLER_OBJECT;

// NULL when no memory can be had.
NTKRNL_API PCONTROLLER_OBJECT NTAPI IoCreateController(ULONG Size);
NTKRNL_API VOID NTAPI IoDeleteController(PCONTROLLER_OBJECT ControllerObject);
