// The service control manager over the services' registry keys.
#include <windows.h>

#include <cstring>
#include <optional>
#include <string>

#include "advapi32/service_handles.h"
#include "advapi32/service_kernel.h"

namespace {

using plat::svc::ServiceRef;

constexpr const char* kServicesKey = "SYSTEM\\CurrentControlSet\\Services\\";

template <typename T>
T fail(DWORD error, T result) {
  SetLastError(error);
  return result;
}

bool validName(LPCSTR name) {
  return name != nullptr && *name != '\0' && std::strchr(name, '\\') == nullptr &&
         std::strchr(name, '/') == nullptr;
}

std::string keyOf(const std::string& name) { return kServicesKey + name; }

bool serviceExists(const std::string& name) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, keyOf(name).c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  RegCloseKey(key);
  return true;
}

std::optional<DWORD> readDword(const std::string& name, const char* value) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, keyOf(name).c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  DWORD data = 0;
  DWORD size = sizeof data;
  DWORD type = 0;
  const LONG status = RegQueryValueExA(key, value, nullptr, &type, reinterpret_cast<BYTE*>(&data), &size);
  RegCloseKey(key);
  if (status != ERROR_SUCCESS || type != REG_DWORD) return std::nullopt;
  return data;
}

bool isDriver(DWORD type) { return type == SERVICE_KERNEL_DRIVER || type == SERVICE_FILE_SYSTEM_DRIVER; }

// The service a handle names, with the rights asked for; nullopt (last
// error set) when it is no service handle or lacks them.
std::optional<ServiceRef> serviceOf(SC_HANDLE handle, DWORD rights) {
  std::optional<ServiceRef> ref = plat::svc::findServiceHandle(handle);
  if (!ref || ref->manager) return fail<std::optional<ServiceRef>>(ERROR_INVALID_HANDLE, std::nullopt);
  if ((ref->access & rights) != rights) return fail<std::optional<ServiceRef>>(ERROR_ACCESS_DENIED, std::nullopt);
  return ref;
}

std::optional<ServiceRef> managerOf(SC_HANDLE handle, DWORD rights) {
  std::optional<ServiceRef> ref = plat::svc::findServiceHandle(handle);
  if (!ref || !ref->manager) return fail<std::optional<ServiceRef>>(ERROR_INVALID_HANDLE, std::nullopt);
  if ((ref->access & rights) != rights) return fail<std::optional<ServiceRef>>(ERROR_ACCESS_DENIED, std::nullopt);
  return ref;
}

// Generic rights as the service's own.
DWORD serviceAccess(DWORD desired) {
  constexpr DWORD kGenericAll = 0x10000000u;
  constexpr DWORD kGenericRead = 0x80000000u;
  constexpr DWORD kGenericWrite = 0x40000000u;
  constexpr DWORD kGenericExecute = 0x20000000u;
  if (desired & (kGenericAll | MAXIMUM_ALLOWED)) desired |= SERVICE_ALL_ACCESS;
  if (desired & kGenericRead) desired |= SERVICE_QUERY_CONFIG | SERVICE_QUERY_STATUS | SERVICE_ENUMERATE_DEPENDENTS;
  if (desired & kGenericWrite) desired |= SERVICE_CHANGE_CONFIG;
  if (desired & kGenericExecute) desired |= SERVICE_START | SERVICE_STOP | SERVICE_PAUSE_CONTINUE;
  return desired;
}

void fillStatus(const ServiceRef& ref, LPSERVICE_STATUS status) {
  if (status == nullptr) return;
  const bool running = plat::svc::kernelDriverRunning(ref.name.c_str());
  *status = SERVICE_STATUS{};
  status->dwServiceType = readDword(ref.name, "Type").value_or(SERVICE_KERNEL_DRIVER);
  status->dwCurrentState = running ? SERVICE_RUNNING : SERVICE_STOPPED;
  status->dwControlsAccepted = running ? SERVICE_ACCEPT_STOP : 0;
}

bool setDword(HKEY key, const char* name, DWORD value) {
  return RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value) ==
         ERROR_SUCCESS;
}

bool setText(HKEY key, const char* name, const char* text) {
  return RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                        static_cast<DWORD>(std::strlen(text) + 1)) == ERROR_SUCCESS;
}

}  // namespace

PLATFORM_API SC_HANDLE WINAPI OpenSCManagerA(LPCSTR lpMachineName, LPCSTR, DWORD dwDesiredAccess) {
  if (lpMachineName != nullptr && *lpMachineName != '\0') return fail<SC_HANDLE>(ERROR_INVALID_NAME, nullptr);
  constexpr DWORD kGenericAll = 0x10000000u;
  if (dwDesiredAccess & (kGenericAll | MAXIMUM_ALLOWED)) dwDesiredAccess |= SC_MANAGER_ALL_ACCESS;
  return plat::svc::addServiceHandle(ServiceRef{true, dwDesiredAccess | SC_MANAGER_CONNECT, {}, false});
}

PLATFORM_API SC_HANDLE WINAPI CreateServiceA(SC_HANDLE hSCManager, LPCSTR lpServiceName, LPCSTR lpDisplayName,
                                             DWORD dwDesiredAccess, DWORD dwServiceType, DWORD dwStartType,
                                             DWORD dwErrorControl, LPCSTR lpBinaryPathName,
                                             LPCSTR lpLoadOrderGroup, LPDWORD lpdwTagId, LPCSTR, LPCSTR, LPCSTR) {
  if (!managerOf(hSCManager, SC_MANAGER_CREATE_SERVICE)) return nullptr;
  if (!validName(lpServiceName)) return fail<SC_HANDLE>(ERROR_INVALID_NAME, nullptr);
  if (lpBinaryPathName == nullptr || *lpBinaryPathName == '\0' || dwStartType > SERVICE_DISABLED ||
      dwErrorControl > SERVICE_ERROR_CRITICAL) {
    return fail<SC_HANDLE>(ERROR_INVALID_PARAMETER, nullptr);
  }
  const std::string name = lpServiceName;
  HKEY key = nullptr;
  DWORD disposition = 0;
  if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, keyOf(name).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                      KEY_ALL_ACCESS, nullptr, &key, &disposition) != ERROR_SUCCESS) {
    return fail<SC_HANDLE>(ERROR_CANTWRITE, nullptr);
  }
  if (disposition == REG_OPENED_EXISTING_KEY) {
    RegCloseKey(key);
    return fail<SC_HANDLE>(ERROR_SERVICE_EXISTS, nullptr);
  }
  const char* display = lpDisplayName != nullptr && *lpDisplayName != '\0' ? lpDisplayName : lpServiceName;
  bool written = setDword(key, "Type", dwServiceType) && setDword(key, "Start", dwStartType) &&
                 setDword(key, "ErrorControl", dwErrorControl) && setText(key, "ImagePath", lpBinaryPathName) &&
                 setText(key, "DisplayName", display);
  if (written && lpLoadOrderGroup != nullptr && *lpLoadOrderGroup != '\0') {
    written = setText(key, "Group", lpLoadOrderGroup);
  }
  RegCloseKey(key);
  if (!written) {
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, keyOf(name).c_str());
    return fail<SC_HANDLE>(ERROR_CANTWRITE, nullptr);
  }
  if (lpdwTagId != nullptr) *lpdwTagId = 0;
  return plat::svc::addServiceHandle(ServiceRef{false, serviceAccess(dwDesiredAccess), name, false});
}

PLATFORM_API SC_HANDLE WINAPI OpenServiceA(SC_HANDLE hSCManager, LPCSTR lpServiceName, DWORD dwDesiredAccess) {
  if (!managerOf(hSCManager, SC_MANAGER_CONNECT)) return nullptr;
  if (!validName(lpServiceName)) return fail<SC_HANDLE>(ERROR_INVALID_NAME, nullptr);
  if (!serviceExists(lpServiceName)) return fail<SC_HANDLE>(ERROR_SERVICE_DOES_NOT_EXIST, nullptr);
  return plat::svc::addServiceHandle(ServiceRef{false, serviceAccess(dwDesiredAccess), lpServiceName, false});
}

PLATFORM_API BOOL WINAPI StartServiceA(SC_HANDLE hService, DWORD, LPCSTR*) {
  std::optional<ServiceRef> ref = serviceOf(hService, SERVICE_START);
  if (!ref) return FALSE;
  if (ref->deleted) return fail<BOOL>(ERROR_SERVICE_MARKED_FOR_DELETE, FALSE);
  if (!isDriver(readDword(ref->name, "Type").value_or(0))) return fail<BOOL>(ERROR_NOT_SUPPORTED, FALSE);
  if (readDword(ref->name, "Start").value_or(SERVICE_DEMAND_START) == SERVICE_DISABLED) {
    return fail<BOOL>(ERROR_SERVICE_DISABLED, FALSE);
  }
  const DWORD error = plat::svc::startKernelDriver(ref->name.c_str());
  return error == ERROR_SUCCESS ? TRUE : fail<BOOL>(error, FALSE);
}

PLATFORM_API BOOL WINAPI ControlService(SC_HANDLE hService, DWORD dwControl, LPSERVICE_STATUS lpServiceStatus) {
  const DWORD rights = dwControl == SERVICE_CONTROL_STOP ? SERVICE_STOP : SERVICE_INTERROGATE;
  if (dwControl != SERVICE_CONTROL_STOP && dwControl != SERVICE_CONTROL_INTERROGATE) {
    if (!serviceOf(hService, 0)) return FALSE;
    return fail<BOOL>(ERROR_INVALID_SERVICE_CONTROL, FALSE);
  }
  std::optional<ServiceRef> ref = serviceOf(hService, rights);
  if (!ref) return FALSE;
  if (dwControl == SERVICE_CONTROL_STOP) {
    const DWORD error = plat::svc::stopKernelDriver(ref->name.c_str());
    if (error != ERROR_SUCCESS) {
      fillStatus(*ref, lpServiceStatus);
      return fail<BOOL>(error, FALSE);
    }
  } else if (!plat::svc::kernelDriverRunning(ref->name.c_str())) {
    fillStatus(*ref, lpServiceStatus);
    return fail<BOOL>(ERROR_SERVICE_NOT_ACTIVE, FALSE);
  }
  fillStatus(*ref, lpServiceStatus);
  return TRUE;
}

PLATFORM_API BOOL WINAPI DeleteService(SC_HANDLE hService) {
  std::optional<ServiceRef> ref = serviceOf(hService, DELETE);
  if (!ref) return FALSE;
  if (ref->deleted) return fail<BOOL>(ERROR_SERVICE_MARKED_FOR_DELETE, FALSE);
  const LONG status = RegDeleteTreeA(HKEY_LOCAL_MACHINE, keyOf(ref->name).c_str());
  plat::svc::markDeleted(ref->name);
  if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND) return fail<BOOL>(static_cast<DWORD>(status), FALSE);
  return TRUE;
}

PLATFORM_API BOOL WINAPI QueryServiceStatus(SC_HANDLE hService, LPSERVICE_STATUS lpServiceStatus) {
  std::optional<ServiceRef> ref = serviceOf(hService, SERVICE_QUERY_STATUS);
  if (!ref) return FALSE;
  if (lpServiceStatus == nullptr) return fail<BOOL>(ERROR_INVALID_PARAMETER, FALSE);
  fillStatus(*ref, lpServiceStatus);
  return TRUE;
}

PLATFORM_API BOOL WINAPI CloseServiceHandle(SC_HANDLE hSCObject) {
  return plat::svc::removeServiceHandle(hSCObject) ? TRUE : fail<BOOL>(ERROR_INVALID_HANDLE, FALSE);
}
