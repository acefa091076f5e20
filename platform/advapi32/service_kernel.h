// The kernel layer as the service control manager uses it. libntkrnl is
// loaded by module name on first use, so the layer does not link it; a
// process without it has no driver running and none that starts.
#pragma once
#include <windef.h>

namespace plat::svc {

// 0 or the Win32 error of a failed start.
DWORD startKernelDriver(const char* service);
// 0, ERROR_SERVICE_NOT_ACTIVE or ERROR_INVALID_SERVICE_CONTROL.
DWORD stopKernelDriver(const char* service);
bool kernelDriverRunning(const char* service);

}  // namespace plat::svc
