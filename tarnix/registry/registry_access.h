// Registry primitives under HKEY_LOCAL_MACHINE, the object-name index and
// the driver services. Results are 0 for success, the system's error code
// when opening, creating, querying, setting or deleting fails, and 1 for
// bad arguments.
#pragma once
#include <cstdint>

namespace tarnix {

// Value types: 1 REG_SZ, 4 REG_DWORD. Texts read hold at least 256 bytes.
int32_t ReadRegValue(const char* keyPath, int32_t type, const char* name, char* text, int32_t* value);
int32_t ReadRegBinary(const char* keyPath, const char* name, void* data, uint32_t* size);
int32_t WriteRegValue(const char* keyPath, int32_t type, const char* name, const char* text, int32_t value);
int32_t WriteRegBinary(const char* keyPath, const char* name, const void* data, uint32_t size);
int32_t CreateRegKey(const char* keyPath);
// As WriteRegValue into a key that must exist: never creates it.
int32_t WriteExistingRegValue(const char* keyPath, int32_t type, const char* name, const char* text, int32_t value);
int32_t DeleteRegKey(const char* parentPath, const char* subkey);
int32_t DeleteRegValue(const char* keyPath, const char* name);

// The object-name index under SOFTWARE\DORNELL\DEVICELIST.
int32_t IsObjectNameFree(const char* objectName);
void PurgeDeviceList(int32_t kind);
void WriteDeviceListEntry(const char* objectName, const char* model, int32_t kind, int32_t busType);

// Driver services through the service control manager.
int32_t CreateAndStartDriverService(const char* serviceName);
int32_t StopDriverService(const char* serviceName);
// Starts a service that exists: non-zero when it started.
int32_t StartDriverService(const char* serviceName);
int32_t DeleteDriverService(const char* serviceName);

}  // namespace tarnix
