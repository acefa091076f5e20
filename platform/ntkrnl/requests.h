// The default answer of a major function that a driver leaves unset.
#pragma once
#include <ntkrnl/nt_io.h>

namespace ntk {

NTSTATUS invalidDeviceRequest(PDEVICE_OBJECT device, PIRP irp);

}  // namespace ntk
