// RtlQueryRegistryValues over the Win32 registry store: "\Registry\Machine"
// is HKEY_LOCAL_MACHINE, so a driver reads what the configuration library
// and the Win32 side write.
#include <windows.h>
#include <win/codepage.h>

#include <cctype>
#include <cstring>
#include <string>
#include <vector>

#include "device_node.h"
#include "pool.h"

namespace {

constexpr const char* kMachinePrefix = "\\registry\\machine";

struct KeyCloser {
  HKEY key = nullptr;
  ~KeyCloser() {
    if (key != nullptr) RegCloseKey(key);
  }
};

bool startsWithFolded(const std::string& text, const char* prefix) {
  const size_t n = std::strlen(prefix);
  if (text.size() < n) return false;
  for (size_t i = 0; i < n; ++i) {
    if (std::tolower(static_cast<unsigned char>(text[i])) != prefix[i]) return false;
  }
  return true;
}

// The HKLM-relative path, or false for a path outside \Registry\Machine.
bool machineSubkey(const std::string& path, std::string& subkey) {
  if (!startsWithFolded(path, kMachinePrefix)) return false;
  std::string rest = path.substr(std::strlen(kMachinePrefix));
  if (!rest.empty() && rest[0] != '\\') return false;
  while (!rest.empty() && rest[0] == '\\') rest.erase(0, 1);
  subkey = rest;
  return true;
}

NTSTATUS storeWide(PUNICODE_STRING target, const std::u16string& text, const void* caller) {
  const size_t needed = text.size() * sizeof(WCHAR);
  if (needed + sizeof(WCHAR) > 0xFFFE) return STATUS_BUFFER_TOO_SMALL;
  if (target->Buffer == nullptr) {
    auto* buffer = static_cast<PWSTR>(ntk::poolAllocate(PagedPool, needed + sizeof(WCHAR), 0, caller));
    if (buffer == nullptr) return STATUS_INSUFFICIENT_RESOURCES;
    target->Buffer = buffer;
    target->MaximumLength = static_cast<USHORT>(needed + sizeof(WCHAR));
  } else if (needed + sizeof(WCHAR) > target->MaximumLength) {
    return STATUS_BUFFER_TOO_SMALL;
  }
  std::memcpy(target->Buffer, text.data(), needed);
  target->Buffer[text.size()] = 0;
  target->Length = static_cast<USHORT>(needed);
  return STATUS_SUCCESS;
}

std::u16string widen(const char* ansi, size_t bytes) {
  // The stored text ends with its terminator, or not; both read the same.
  while (bytes > 0 && ansi[bytes - 1] == '\0') --bytes;
  const int chars = bytes == 0 ? 0 : MultiByteToWideChar(CP_ACP, 0, ansi, static_cast<int>(bytes), nullptr, 0);
  std::u16string text(static_cast<size_t>(chars > 0 ? chars : 0), u'\0');
  if (chars > 0) MultiByteToWideChar(CP_ACP, 0, ansi, static_cast<int>(bytes), text.data(), chars);
  return text;
}

// What a value of `type` is written into: a ULONG, a UNICODE_STRING, or
// nothing a direct query fills.
enum class Variable { Number, Text, None };
Variable variableFor(DWORD type) {
  if (type == REG_DWORD) return Variable::Number;
  if (type == REG_SZ || type == REG_EXPAND_SZ) return Variable::Text;
  return Variable::None;
}

// A value is written only into a variable of its kind: a text taken as a
// ULONG would read a pointer from the bytes beside it, and a number taken
// as a string would set its lengths.
bool fitsVariable(const RTL_QUERY_REGISTRY_TABLE& entry, DWORD type) {
  if ((entry.Flags & RTL_QUERY_REGISTRY_TYPECHECK) == 0) return true;
  const DWORD expected = (entry.DefaultType & RTL_QUERY_REGISTRY_TYPECHECK_MASK) >> RTL_QUERY_REGISTRY_TYPECHECK_SHIFT;
  return variableFor(type) == variableFor(expected);
}

NTSTATUS store(const RTL_QUERY_REGISTRY_TABLE& entry, DWORD type, const BYTE* data, size_t size,
               const void* caller) {
  if (!fitsVariable(entry, type)) return STATUS_OBJECT_TYPE_MISMATCH;
  switch (type) {
    case REG_DWORD:
      if (size != sizeof(ULONG)) return STATUS_OBJECT_TYPE_MISMATCH;
      std::memcpy(entry.EntryContext, data, sizeof(ULONG));
      return STATUS_SUCCESS;
    case REG_SZ:
    case REG_EXPAND_SZ:
      return storeWide(static_cast<PUNICODE_STRING>(entry.EntryContext),
                       widen(reinterpret_cast<const char*>(data), size), caller);
    default:
      return STATUS_OBJECT_TYPE_MISMATCH;
  }
}

// A default text is UTF-16, as the driver writes it.
NTSTATUS storeDefault(const RTL_QUERY_REGISTRY_TABLE& entry, const void* caller) {
  const DWORD type = entry.DefaultType & ~RTL_QUERY_REGISTRY_TYPECHECK_MASK;
  if (type == REG_NONE) return STATUS_SUCCESS;
  if (!fitsVariable(entry, type)) return STATUS_OBJECT_TYPE_MISMATCH;
  if (type == REG_SZ || type == REG_EXPAND_SZ) {
    UNICODE_STRING text;
    RtlInitUnicodeString(&text, static_cast<PCWSTR>(entry.DefaultData));
    return storeWide(static_cast<PUNICODE_STRING>(entry.EntryContext),
                     std::u16string(text.Buffer ? text.Buffer : u"", text.Length / 2), caller);
  }
  return store(entry, type, static_cast<const BYTE*>(entry.DefaultData), entry.DefaultLength, caller);
}

NTSTATUS queryEntry(HKEY key, const RTL_QUERY_REGISTRY_TABLE& entry, const void* caller) {
  if ((entry.Flags & RTL_QUERY_REGISTRY_DIRECT) == 0 || entry.Name == nullptr || entry.EntryContext == nullptr) {
    return STATUS_INVALID_PARAMETER;
  }
  const std::string name = ntk::narrow(entry.Name);
  DWORD type = 0;
  DWORD size = 0;
  LONG result = RegQueryValueExA(key, name.c_str(), nullptr, &type, nullptr, &size);
  std::vector<BYTE> data;
  if (result == ERROR_SUCCESS) {
    data.resize(size);
    result = RegQueryValueExA(key, name.c_str(), nullptr, &type, data.data(), &size);
  }
  if (result == ERROR_FILE_NOT_FOUND) {
    if (entry.Flags & RTL_QUERY_REGISTRY_REQUIRED) return STATUS_OBJECT_NAME_NOT_FOUND;
    return storeDefault(entry, caller);
  }
  if (result != ERROR_SUCCESS) return STATUS_UNSUCCESSFUL;
  return store(entry, type, data.data(), size, caller);
}

}  // namespace

NTKRNL_API NTSTATUS NTAPI RtlQueryRegistryValues(ULONG RelativeTo, PCWSTR Path, PRTL_QUERY_REGISTRY_TABLE QueryTable,
                                                 PVOID, PVOID) {
  const void* caller = __builtin_return_address(0);
  const bool optional = (RelativeTo & RTL_REGISTRY_OPTIONAL) != 0;
  if ((RelativeTo & ~RTL_REGISTRY_OPTIONAL) != RTL_REGISTRY_ABSOLUTE || Path == nullptr || QueryTable == nullptr) {
    return STATUS_INVALID_PARAMETER;
  }
  std::string subkey;
  if (!machineSubkey(ntk::narrow(Path), subkey)) return optional ? STATUS_SUCCESS : STATUS_OBJECT_NAME_NOT_FOUND;
  KeyCloser key;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, subkey.c_str(), 0, KEY_READ, &key.key) != ERROR_SUCCESS) {
    key.key = nullptr;
    return optional ? STATUS_SUCCESS : STATUS_OBJECT_NAME_NOT_FOUND;
  }
  for (PRTL_QUERY_REGISTRY_TABLE entry = QueryTable; entry->QueryRoutine != nullptr || entry->Name != nullptr;
       ++entry) {
    const NTSTATUS status = queryEntry(key.key, *entry, caller);
    if (!NT_SUCCESS(status)) return status;
  }
  return STATUS_SUCCESS;
}
