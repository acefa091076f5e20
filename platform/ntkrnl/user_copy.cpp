// Copies to and from caller memory: the platform layer's fault-safe copy,
// whose statuses are the kernel's own.
#include <ntkrnl/nt_rtl.h>
#include <platform/fault_safe_copy.h>

static_assert(PLAT_STATUS_SUCCESS == STATUS_SUCCESS);
static_assert(PLAT_STATUS_ACCESS_VIOLATION == STATUS_ACCESS_VIOLATION);
static_assert(PLAT_STATUS_INSUFFICIENT_RESOURCES == STATUS_INSUFFICIENT_RESOURCES);

NTKRNL_API NTSTATUS NTAPI SafeCopyToUser(volatile VOID* UserDestination, const VOID* Source, SIZE_T Length) {
  return plat::CopyToCaller(const_cast<VOID*>(UserDestination), Source, Length);
}

NTKRNL_API NTSTATUS NTAPI SafeCopyFromUser(VOID* Destination, const volatile VOID* UserSource, SIZE_T Length) {
  return plat::CopyFromCaller(Destination, const_cast<const VOID*>(UserSource), Length);
}
