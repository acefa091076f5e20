#include "advapi32/service_handles.h"

#include <cctype>
#include <mutex>
#include <unordered_map>

#include "kernel32/object.h"

namespace plat::svc {

namespace {

struct Table {
  std::mutex mutex;
  std::unordered_map<uintptr_t, ServiceRef> handles;
};

Table& table() {
  static auto* instance = new Table;  // lives through static destruction
  return *instance;
}

bool sameName(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) {
      return false;
    }
  }
  return true;
}

}  // namespace

SC_HANDLE addServiceHandle(ServiceRef ref) {
  uintptr_t value = plat::allocateHandleValue();
  Table& t = table();
  std::lock_guard<std::mutex> lock(t.mutex);
  t.handles[value] = std::move(ref);
  return reinterpret_cast<SC_HANDLE>(value);
}

bool removeServiceHandle(SC_HANDLE handle) {
  Table& t = table();
  std::lock_guard<std::mutex> lock(t.mutex);
  return t.handles.erase(reinterpret_cast<uintptr_t>(handle)) != 0;
}

std::optional<ServiceRef> findServiceHandle(SC_HANDLE handle) {
  Table& t = table();
  std::lock_guard<std::mutex> lock(t.mutex);
  auto it = t.handles.find(reinterpret_cast<uintptr_t>(handle));
  if (it == t.handles.end()) return std::nullopt;
  return it->second;
}

void markDeleted(const std::string& name) {
  Table& t = table();
  std::lock_guard<std::mutex> lock(t.mutex);
  for (auto& [value, ref] : t.handles) {
    if (!ref.manager && sameName(ref.name, name)) ref.deleted = true;
  }
}

}  // namespace plat::svc
