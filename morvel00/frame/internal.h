// The frame's routines that start-up hands to the kernel.
#pragma once
#include "board_record.h"

namespace morvel00 {

NTSTATUS GpdDispatch(PDEVICE_OBJECT device, PIRP irp);
VOID GpdUnload(PDRIVER_OBJECT driver);
BOOLEAN InterruptService(PKINTERRUPT interrupt, PVOID context);
VOID TimerIsrDpc(PKDPC dpc, PVOID context, PVOID, PVOID);
VOID EventDpc(PKDPC dpc, PVOID context, PVOID, PVOID);
// Reads and resets the first board's interrupt factors; true when a set
// factor is not masked by the saved mask (interrupt lock held).
bool XanPCIShareCheck(XanBoardRecord* rec);
// The extension of the started driver; nullptr before start and after unload.
XanDeviceExtension* XanRunningExtension();

}  // namespace morvel00
