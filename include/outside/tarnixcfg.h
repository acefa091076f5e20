// The outside side of Tarnix: vendor A's configuration drivers, as the
// configuration library asks them and as their stand-in answers.
//
// Every request is one buffer that is both input and output, of the same
// size in both directions and of one fixed size per request; the driver
// writes its answer into the record (the result field, counts, version)
// and into the caller's arrays that the record names by address.
//
// A record field that carries a caller's address is 8 bytes wide where it
// stands, so every field behind it moves on; the records are packed at 4
// and the offsets below are the ones both sides use.
#pragma once
#include <windows.h>

#include <cstddef>
#include <cstdint>

namespace tarnixcfg {

// ---- Devices ------------------------------------------------------------------
// Windows 9x: the dynamic VxD, opened with no access, no sharing, CREATE_NEW
// and FILE_FLAG_DELETE_ON_CLOSE (a device open, never a file create).
inline constexpr char kVxdPath[] = "\\\\.\\TARNIX.VXD";
// NT: the driver every generation has, and the one NT 5 and later use for
// the resource and version queries. GENERIC_READ | GENERIC_WRITE, no
// sharing, OPEN_EXISTING, FILE_FLAG_OVERLAPPED | FILE_ATTRIBUTE_NORMAL.
inline constexpr char kNtPath[] = "\\\\.\\DnkConfigDev";
inline constexpr char kWdmPath[] = "\\\\.\\TarnixWDev";
// The names the devices are registered under (the paths less "\\.\").
inline constexpr const char* kVxdName = kVxdPath + 4;
inline constexpr const char* kNtName = kNtPath + 4;
inline constexpr const char* kWdmName = kWdmPath + 4;

// ---- Request codes ----------------------------------------------------------------
constexpr DWORD ntCode(DWORD function) { return CTL_CODE(0x7530, function, METHOD_BUFFERED, FILE_READ_ACCESS); }

inline constexpr DWORD kNtPciResources = ntCode(0x801);
inline constexpr DWORD kNtPcCardResources = ntCode(0x802);
inline constexpr DWORD kNtPciVersion = ntCode(0x803);
inline constexpr DWORD kNtIsaResources = ntCode(0x804);  // NT 5 and later only
inline constexpr DWORD kNtBusQuery = ntCode(0x805);
inline constexpr DWORD kNtModuleList = ntCode(0x806);
static_assert(kNtPciResources == 0x75306004 && kNtModuleList == 0x75306018);

// Windows 9x: plain numbers (the VxD has no ISA request).
inline constexpr DWORD k9xPciResources = 1;
inline constexpr DWORD k9xPcCardResources = 2;
inline constexpr DWORD k9xPciVersion = 3;
inline constexpr DWORD k9xBusQuery = 5;
inline constexpr DWORD k9xModuleList = 6;

// The vendor identifier of vendor A's PCI boards.
inline constexpr uint32_t kVendorId = 0x1C5E;

// ---- Records --------------------------------------------------------------------------
// Arrays are the caller's int32 arrays; a count goes in as the array's room
// and comes back as the entries written; the result goes in as 0.

// An address as the records carry it, and back.
inline uint64_t wireAddress(const void* p) { return static_cast<uint64_t>(reinterpret_cast<uintptr_t>(p)); }
inline int32_t* wireArray(uint64_t address) { return reinterpret_cast<int32_t*>(static_cast<uintptr_t>(address)); }

#pragma pack(push, 4)

// One list of the answer: the array's address and its count.
struct WireList {
  uint64_t address;
  int32_t count;
};
static_assert(sizeof(WireList) == 12);

// NT: identifiers cut to 16 bits; the board identifier is the PCI revision.
struct NtPciResourceRecord {
  uint32_t vendorId;
  uint32_t deviceId;
  uint32_t boardId;
  WireList io;
  WireList irq;
  WireList memory;
  int32_t zero;
  int32_t result;
};
static_assert(offsetof(NtPciResourceRecord, io) == 12);
static_assert(offsetof(NtPciResourceRecord, io.count) == 20);
static_assert(offsetof(NtPciResourceRecord, irq) == 24);
static_assert(offsetof(NtPciResourceRecord, irq.count) == 32);
static_assert(offsetof(NtPciResourceRecord, memory) == 36);
static_assert(offsetof(NtPciResourceRecord, memory.count) == 44);
static_assert(offsetof(NtPciResourceRecord, zero) == 48);
static_assert(offsetof(NtPciResourceRecord, result) == 52);
static_assert(sizeof(NtPciResourceRecord) == 56);

struct Win9xPciResourceRecord {
  uint32_t vendorId;
  uint32_t deviceId;
  uint32_t boardId;
  WireList io;
  WireList irq;
  WireList memory;
  int32_t result;
};
static_assert(offsetof(Win9xPciResourceRecord, memory.count) == 44);
static_assert(offsetof(Win9xPciResourceRecord, result) == 48);
static_assert(sizeof(Win9xPciResourceRecord) == 52);

// PC card and ISA: found by the device-instance name. NT names are 16-bit
// characters in a zeroed buffer of kWideNameUnits (each byte of the 8-bit
// text sign-extended), so at most kLongestInstanceName characters; 9x
// passes the 8-bit text itself.
struct InstanceResourceRecord {
  uint64_t name;
  WireList io;
  WireList irq;
  WireList memory;
  int32_t result;
};
static_assert(offsetof(InstanceResourceRecord, io) == 8);
static_assert(offsetof(InstanceResourceRecord, io.count) == 16);
static_assert(offsetof(InstanceResourceRecord, irq) == 20);
static_assert(offsetof(InstanceResourceRecord, irq.count) == 28);
static_assert(offsetof(InstanceResourceRecord, memory) == 32);
static_assert(offsetof(InstanceResourceRecord, memory.count) == 40);
static_assert(offsetof(InstanceResourceRecord, result) == 44);
static_assert(sizeof(InstanceResourceRecord) == 48);

inline constexpr std::size_t kWideNameUnits = 50;  // 100 bytes
inline constexpr std::size_t kLongestInstanceName = kWideNameUnits - 1;

#pragma pack(pop)

struct PciVersionRecord {
  uint32_t vendorId;
  uint32_t deviceId;
  uint32_t boardId;
  int32_t version;  // 0 in, the driver's answer out
  int32_t result;
};
static_assert(offsetof(PciVersionRecord, version) == 12);
static_assert(sizeof(PciVersionRecord) == 20);

// The bus query: one word, the answer. 10, 20 and 30 mean module-series
// units are present (30 with the shifted address layout).
struct BusQueryRecord {
  int32_t answer;
};
static_assert(sizeof(BusQueryRecord) == 4);

// The module list: the module of each position 0 to 7; the caller zeroes it.
struct ModuleEntry {
  int32_t classId;
  int32_t typeId;
};
inline constexpr int kModulePositions = 8;
struct ModuleListRecord {
  ModuleEntry modules[kModulePositions];
};
static_assert(sizeof(ModuleListRecord) == 64);

}  // namespace tarnixcfg
