// Everything a kernel-mode driver of the kernel layer calls. Link `ntkrnl`.
// The driver exports its entry as
//   DLL_EXPORT NTSTATUS DriverEntry(PDRIVER_OBJECT, PUNICODE_STRING);
#pragma once
#include "nt_base.h"
#include "nt_ke.h"
#include "nt_io.h"
#include "nt_hal.h"
#include "nt_rtl.h"
