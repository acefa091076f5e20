// Handles of the service control manager: the manager itself, and services
// by name.
#pragma once
#include <windef.h>
#include <win/services.h>

#include <optional>
#include <string>

namespace plat::svc {

struct ServiceRef {
  bool manager = false;
  DWORD access = 0;
  std::string name;      // a service's name as it was opened
  bool deleted = false;  // the service was deleted while this handle was open
};

SC_HANDLE addServiceHandle(ServiceRef ref);
bool removeServiceHandle(SC_HANDLE handle);
std::optional<ServiceRef> findServiceHandle(SC_HANDLE handle);
// Marks every open handle of the service (name without regard to case).
void markDeleted(const std::string& name);

}  // namespace plat::svc
