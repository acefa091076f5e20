// The sibling libraries' side of the device model: their handles and the
// work behind their entries. HalvikVm.dll and Kelbus.dll are thin exports
// of these.
#pragma once
#include <windows.h>

#include "halviksim.h"

namespace halviksim {

// A handle of ours (below 2^31) for the device of that bus kind behind the
// path; moduleIndex -1 takes the first module. INVALID_HANDLE_VALUE when no
// such device is registered.
HALVIKSIM_API HANDLE OpenBusHandle(DWORD busKind, const char* path, int moduleIndex);
// 0, or 20034 for a handle this bus kind did not give.
HALVIKSIM_API DWORD CloseBusHandle(DWORD busKind, HANDLE handle);
// One command: 0 with the record's status at 0, or a call failure: 20034
// for an unknown handle, 87 for a record that is not the command's.
// The event wait is kept pending: ERROR_IO_PENDING, and the OVERLAPPED's
// event is set when it completes (or is cancelled by the handle's close).
HALVIKSIM_API DWORD BusCommand(DWORD busKind, HANDLE handle, DWORD command, const void* in, DWORD inLength,
                               void* out, DWORD outLength, DWORD* returned, OVERLAPPED* overlapped = nullptr);
// Info 4: the firmware version in *second (and the module index in *first);
// 20032 for other info numbers.
HALVIKSIM_API DWORD BusDeviceInfo(DWORD busKind, HANDLE handle, DWORD info, DWORD* first, WORD* second);

inline constexpr DWORD kCallBadRecord = ERROR_INVALID_PARAMETER;

}  // namespace halviksim
