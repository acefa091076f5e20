// The hardware abstraction: PCI configuration space, bus addresses,
// interrupt vectors, port I/O, and the resource report. All of it goes to
// the simulated machine's bus (platform/hardware_bus.h).
#pragma once
#include "nt_io.h"

typedef enum _BUS_DATA_TYPE {
  ConfigurationSpaceUndefined = -1,
  Cmos = 0,
  EisaConfiguration = 1,
  Pos = 2,
  CbusConfiguration = 3,
  PCIConfiguration = 4,
} BUS_DATA_TYPE;

typedef struct _PCI_SLOT_NUMBER {
  union {
    struct {
      ULONG DeviceNumber : 5;
      ULONG FunctionNumber : 3;
      ULONG Reserved : 24;
    } bits;
    ULONG AsULONG;
  } u;
} PCI_SLOT_NUMBER, *PPCI_SLOT_NUMBER;

#define PCI_INVALID_VENDORID 0xFFFF
#define PCI_TYPE0_ADDRESSES 6

// The standard 64-byte header of a type-0 function.
#pragma pack(push, 1)
typedef struct _PCI_COMMON_CONFIG {
  USHORT VendorID;
  USHORT DeviceID;
  USHORT Command;
  USHORT Status;
  UCHAR RevisionID;
  UCHAR ProgIf;
  UCHAR SubClass;
  UCHAR BaseClass;
  UCHAR CacheLineSize;
  UCHAR LatencyTimer;
  UCHAR HeaderType;
  UCHAR BIST;
  ULONG BaseAddresses[PCI_TYPE0_ADDRESSES];
  ULONG CIS;
  USHORT SubVendorID;
  USHORT SubSystemID;
  ULONG ROMBaseAddress;
  UCHAR CapabilitiesPtr;
  UCHAR Reserved1[3];
  ULONG Reserved2;
  UCHAR InterruptLine;
  UCHAR InterruptPin;
  UCHAR MinimumGrant;
  UCHAR MaximumLatency;
} PCI_COMMON_CONFIG, *PPCI_COMMON_CONFIG;
#pragma pack(pop)
#define PCI_COMMON_HDR_LENGTH 64
#ifdef __cplusplus
static_assert(sizeof(PCI_COMMON_CONFIG) == PCI_COMMON_HDR_LENGTH, "PCI header");
#endif

// Bytes read: 0 for a bus that does not exist, 2 (VendorID 0xFFFF) for an
// empty slot, else up to Length bytes of the function's configuration space.
NTKRNL_API ULONG NTAPI HalGetBusData(BUS_DATA_TYPE BusDataType, ULONG BusNumber, ULONG SlotNumber, PVOID Buffer,
                                     ULONG Length);
NTKRNL_API ULONG NTAPI HalGetBusDataByOffset(BUS_DATA_TYPE BusDataType, ULONG BusNumber, ULONG SlotNumber,
                                             PVOID Buffer, ULONG Offset, ULONG Length);
// The machine has I/O space only: an I/O address (AddressSpace 1) comes back
// unchanged with AddressSpace 1; a memory address gives FALSE.
NTKRNL_API BOOLEAN NTAPI HalTranslateBusAddress(INTERFACE_TYPE InterfaceType, ULONG BusNumber,
                                                PHYSICAL_ADDRESS BusAddress, PULONG AddressSpace,
                                                PPHYSICAL_ADDRESS TranslatedAddress);
// The vector of an interrupt line (BusInterruptLevel); 0 for a line the
// machine does not have.
NTKRNL_API ULONG NTAPI HalGetInterruptVector(INTERFACE_TYPE InterfaceType, ULONG BusNumber,
                                             ULONG BusInterruptLevel, ULONG BusInterruptVector, PKIRQL Irql,
                                             PKAFFINITY Affinity);

// Port I/O: one bus cycle each, in order. A port that no card decodes reads
// all ones and ignores writes.
NTKRNL_API UCHAR NTAPI READ_PORT_UCHAR(PUCHAR Port);
NTKRNL_API USHORT NTAPI READ_PORT_USHORT(PUSHORT Port);
NTKRNL_API ULONG NTAPI READ_PORT_ULONG(PULONG Port);
NTKRNL_API VOID NTAPI WRITE_PORT_UCHAR(PUCHAR Port, UCHAR Value);
NTKRNL_API VOID NTAPI WRITE_PORT_USHORT(PUSHORT Port, USHORT Value);
NTKRNL_API VOID NTAPI WRITE_PORT_ULONG(PULONG Port, ULONG Value);

// --- Resource lists ---------------------------------------------------------
#define CmResourceTypeNull 0
#define CmResourceTypePort 1
#define CmResourceTypeInterrupt 2
#define CmResourceTypeMemory 3
#define CmResourceTypeDma 4

typedef enum _CM_SHARE_DISPOSITION {
  CmResourceShareUndetermined = 0,
  CmResourceShareDeviceExclusive = 1,
  CmResourceShareDriverExclusive = 2,
  CmResourceShareShared = 3,
} CM_SHARE_DISPOSITION;

#define CM_RESOURCE_PORT_MEMORY 0x0000
#define CM_RESOURCE_PORT_IO 0x0001
#define CM_RESOURCE_INTERRUPT_LEVEL_SENSITIVE 0x0000
#define CM_RESOURCE_INTERRUPT_LATCHED 0x0001

typedef struct _CM_PARTIAL_RESOURCE_DESCRIPTOR {
  UCHAR Type;
  UCHAR ShareDisposition;
  USHORT Flags;
  union {
    struct {
      PHYSICAL_ADDRESS Start;
      ULONG Length;
    } Port;
    struct {
      ULONG Level;
      ULONG Vector;
      KAFFINITY Affinity;
    } Interrupt;
    struct {
      PHYSICAL_ADDRESS Start;
      ULONG Length;
    } Memory;
    struct {
      ULONG Channel;
      ULONG Port;
      ULONG Reserved1;
    } Dma;
  } u;
} CM_PARTIAL_RESOURCE_DESCRIPTOR, *PCM_PARTIAL_RESOURCE_DESCRIPTOR;

typedef struct _CM_PARTIAL_RESOURCE_LIST {
  USHORT Version;
  USHORT Revision;
  ULONG Count;
  CM_PARTIAL_RESOURCE_DESCRIPTOR PartialDescriptors[1];
} CM_PARTIAL_RESOURCE_LIST, *PCM_PARTIAL_RESOURCE_LIST;

typedef struct _CM_FULL_RESOURCE_DESCRIPTOR {
  INTERFACE_TYPE InterfaceType;
  ULONG BusNumber;
  CM_PARTIAL_RESOURCE_LIST PartialResourceList;
} CM_FULL_RESOURCE_DESCRIPTOR, *PCM_FULL_RESOURCE_DESCRIPTOR;

typedef struct _CM_RESOURCE_LIST {
  ULONG Count;
  CM_FULL_RESOURCE_DESCRIPTOR List[1];
} CM_RESOURCE_LIST, *PCM_RESOURCE_LIST;

// Claims the listed resources for the driver (DriverList) or for the device
// (DeviceList; a new report of the same owner replaces its claims) in one
// process-wide map. Ports and memory ranges conflict when they overlap,
// interrupts when their vectors are equal, unless both claims are shared.
// A conflict sets *ConflictDetected; without OverrideConflict the
// resources are then not claimed. STATUS_INVALID_PARAMETER for a list that
// does not fit its size.
NTKRNL_API NTSTATUS NTAPI IoReportResourceUsage(PUNICODE_STRING DriverClassName, PDRIVER_OBJECT DriverObject,
                                                PCM_RESOURCE_LIST DriverList, ULONG DriverListSize,
                                                PDEVICE_OBJECT DeviceObject, PCM_RESOURCE_LIST DeviceList,
                                                ULONG DeviceListSize, BOOLEAN OverrideConflict,
                                                PBOOLEAN ConflictDetected);
