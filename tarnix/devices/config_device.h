// The configuration drivers: resource queries, the WDM analog device list
// (kind 9) and the scans for installed boards.
#pragma once
#include <cstdint>

namespace tarnix {

// The NT device name for the resource and version queries; room for 64.
void OpenConfigDeviceName(char* name);

// The caller's lists of a resource query. Any list or count may be null; a
// count goes in as its list's room (0 when null) and comes back as the
// entries written, never more than the room.
struct ResourceLists {
  int32_t* io = nullptr;
  int32_t* ioCount = nullptr;
  int32_t* irq = nullptr;
  int32_t* irqCount = nullptr;
  int32_t* memory = nullptr;
  int32_t* memoryCount = nullptr;
};

// Which request a PCI query sends: the running generation's, or the NT
// request whatever the generation.
enum class PciForm { Running, Nt };

// The driver's result, 2 with zero counts when the device does not open or
// the request fails; lists come back sorted ascending.
int32_t QueryPciResources(int32_t vendorId, int32_t deviceId, int32_t boardId, const ResourceLists& lists,
                          PciForm form = PciForm::Running);
// As above by hardware key; 1 with zero counts, nothing sent, for a missing
// key or one of 50 characters or more.
int32_t QueryPcCardResources(const char* hardwareKey, const ResourceLists& lists);
// -1, nothing touched, below NT 5.
int32_t QueryIsaResources(const char* hardwareKey, const ResourceLists& lists);
// 2 and version 0 when the device does not open or the request fails.
int32_t QueryPciVersion(int32_t vendorId, int32_t deviceId, int32_t revision, int32_t* version);

// The bus query's answer, 0 when the device does not open or the request fails.
int32_t QueryBusType();
// Zeroes the 64-byte record and asks for the module list: -1 when the
// device does not open, else 1 whatever the request did.
int32_t QueryModuleList(void* record);

// Kind 9: result byte of the device-name check, (16 << 3) | 1 an empty
// name, (16 << 3) | 2 a name two devices share (letter case aside).
int32_t CheckWdmDeviceList(const void* list);
int32_t LoadWdmAnalogList(void* list);  // 0, or 11 when a name was taken from the class key or made up
int32_t SaveWdmAnalogList(const void* list);
// 0, or 1 for a missing list, a kind outside 1-7 and 10, or an unknown generation.
int32_t ScanInstalledBoards(int32_t kind, void* list);

}  // namespace tarnix
