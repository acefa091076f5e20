// The configuration driver's exports: resource queries, the scan for
// installed boards and the module-series units.
#include <tarnix.h>

#include "devices/config_device.h"

namespace {

tarnix::ResourceLists lists(int32_t* io, int32_t* ioCount, int32_t* irq, int32_t* irqCount, int32_t* memory,
                            int32_t* memoryCount) {
  return {io, ioCount, irq, irqCount, memory, memoryCount};
}

}  // namespace

LONG WINAPI DnkConfigGetPciResource(int32_t vendorId, int32_t deviceId, int32_t boardId, int32_t* io,
                                    int32_t* ioCount, int32_t* irq, int32_t* irqCount, int32_t* memory,
                                    int32_t* memoryCount) {  // 29
  return tarnix::QueryPciResources(vendorId, deviceId, boardId, lists(io, ioCount, irq, irqCount, memory, memoryCount));
}

LONG WINAPI DnkConfigGetPcmciaResource(const char* hardwareKey, int32_t* io, int32_t* ioCount, int32_t* irq,
                                       int32_t* irqCount, int32_t* memory, int32_t* memoryCount) {  // 30
  return tarnix::QueryPcCardResources(hardwareKey, lists(io, ioCount, irq, irqCount, memory, memoryCount));
}

LONG WINAPI DnkConfigLoadInfRegBoard(int32_t kind, void* list) { return tarnix::ScanInstalledBoards(kind, list); }  // 34

LONG WINAPI DnkConfigGetPciVersion(int32_t vendorId, int32_t deviceId, int32_t revision, int32_t* version) {  // 48
  return tarnix::QueryPciVersion(vendorId, deviceId, revision, version);
}

LONG WINAPI DnkConfigGetIsaResource(const char* hardwareKey, int32_t* io, int32_t* ioCount, int32_t* irq,
                                    int32_t* irqCount, int32_t* memory, int32_t* memoryCount) {  // 49
  return tarnix::QueryIsaResources(hardwareKey, lists(io, ioCount, irq, irqCount, memory, memoryCount));
}

LONG DnkConfigIsSB(void) { return tarnix::QueryBusType(); }  // 50

LONG WINAPI DnkConfigGetFlnDevice(void* record) { return tarnix::QueryModuleList(record); }  // 51

LONG WINAPI DnkConfigGetPciResourceNT(int32_t vendorId, int32_t deviceId, int32_t boardId, int32_t* io,
                                      int32_t* ioCount, int32_t* irq, int32_t* irqCount, int32_t* memory,
                                      int32_t* memoryCount) {  // 52
  return tarnix::QueryPciResources(vendorId, deviceId, boardId, lists(io, ioCount, irq, irqCount, memory, memoryCount),
                                   tarnix::PciForm::Nt);
}

