// Run-time library calls of the kernel layer: counted strings, registry
// queries, pool memory, and probes of and copies with caller memory.
#pragma once
#include "nt_base.h"

// --- Counted strings --------------------------------------------------------
NTKRNL_API VOID NTAPI RtlInitUnicodeString(PUNICODE_STRING DestinationString, PCWSTR SourceString);
// STATUS_BUFFER_TOO_SMALL (destination unchanged) when it does not fit; the
// result is terminated when there is room for it.
NTKRNL_API NTSTATUS NTAPI RtlAppendUnicodeToString(PUNICODE_STRING Destination, PCWSTR Source);
NTKRNL_API NTSTATUS NTAPI RtlAppendUnicodeStringToString(PUNICODE_STRING Destination, PCUNICODE_STRING Source);
// Base 0 means 10; 2, 8, 10 and 16 are taken. STATUS_BUFFER_OVERFLOW when
// the digits do not fit.
NTKRNL_API NTSTATUS NTAPI RtlIntegerToUnicodeString(ULONG Value, ULONG Base, PUNICODE_STRING String);
// In the ANSI code page. Allocate TRUE takes the buffer from the pool (free
// it with RtlFreeAnsiString); otherwise a text longer than the buffer gives
// STATUS_BUFFER_OVERFLOW with as much as fits.
NTKRNL_API NTSTATUS NTAPI RtlUnicodeStringToAnsiString(PANSI_STRING DestinationString,
                                                       PCUNICODE_STRING SourceString, BOOLEAN AllocateDestinationString);
NTKRNL_API VOID NTAPI RtlFreeAnsiString(PANSI_STRING AnsiString);
NTKRNL_API VOID NTAPI RtlFreeUnicodeString(PUNICODE_STRING UnicodeString);

// --- Registry queries -------------------------------------------------------
// Over the same store as the Win32 registry calls: "\Registry\Machine\X"
// is HKEY_LOCAL_MACHINE\X.
#define RTL_REGISTRY_ABSOLUTE 0
#define RTL_REGISTRY_OPTIONAL 0x80000000u

#define RTL_QUERY_REGISTRY_REQUIRED 0x00000004
#define RTL_QUERY_REGISTRY_DIRECT 0x00000020
// With it, the top byte of DefaultType names the type the variable holds
// (REG_DWORD or REG_SZ << RTL_QUERY_REGISTRY_TYPECHECK_SHIFT), beside the
// default's own type in the rest.
#define RTL_QUERY_REGISTRY_TYPECHECK 0x00000100
#define RTL_QUERY_REGISTRY_TYPECHECK_SHIFT 24
#define RTL_QUERY_REGISTRY_TYPECHECK_MASK (0xFFu << RTL_QUERY_REGISTRY_TYPECHECK_SHIFT)

#ifndef REG_NONE
#define REG_NONE 0
#endif

typedef NTSTATUS (*PRTL_QUERY_REGISTRY_ROUTINE)(PWSTR ValueName, ULONG ValueType, PVOID ValueData,
                                                ULONG ValueLength, PVOID Context, PVOID EntryContext);

typedef struct _RTL_QUERY_REGISTRY_TABLE {
  PRTL_QUERY_REGISTRY_ROUTINE QueryRoutine;
  ULONG Flags;
  PWSTR Name;
  PVOID EntryContext;
  ULONG DefaultType;
  PVOID DefaultData;
  ULONG DefaultLength;
} RTL_QUERY_REGISTRY_TABLE, *PRTL_QUERY_REGISTRY_TABLE;

// The table ends with an entry whose QueryRoutine and Name are NULL; every
// entry must be RTL_QUERY_REGISTRY_DIRECT. A REG_DWORD value goes straight
// into the ULONG at EntryContext; a REG_SZ value into the UNICODE_STRING at
// EntryContext (into its buffer, or a pool buffer when Buffer is NULL: free
// it with RtlFreeUnicodeString). A missing value leaves the variable as it
// is (or takes the entry's default when DefaultType is not REG_NONE) unless
// it is REQUIRED. With TYPECHECK, a value that would not go into the
// variable the entry names (a text for a ULONG, a number for a string) is
// STATUS_OBJECT_TYPE_MISMATCH and writes nothing; REG_EXPAND_SZ fills a
// string as REG_SZ does. Without it, the variable must be of the value's
// kind, for nothing else can tell. A missing key is
// STATUS_OBJECT_NAME_NOT_FOUND, or success with RTL_REGISTRY_OPTIONAL.
NTKRNL_API NTSTATUS NTAPI RtlQueryRegistryValues(ULONG RelativeTo, PCWSTR Path,
                                                 PRTL_QUERY_REGISTRY_TABLE QueryTable, PVOID Context,
                                                 PVOID Environment);

// --- Pool -------------------------------------------------------------------
typedef enum _POOL_TYPE { NonPagedPool = 0, PagedPool = 1 } POOL_TYPE;

// NULL when no memory can be had (or the failure hook says so). Every
// allocation is counted until it is freed; the driver loader reports what a
// driver leaves behind.
NTKRNL_API PVOID NTAPI ExAllocatePool(POOL_TYPE PoolType, SIZE_T NumberOfBytes);
NTKRNL_API PVOID NTAPI ExAllocatePoolWithTag(POOL_TYPE PoolType, SIZE_T NumberOfBytes, ULONG Tag);
NTKRNL_API VOID NTAPI ExFreePool(PVOID P);
NTKRNL_API VOID NTAPI ExFreePoolWithTag(PVOID P, ULONG Tag);

// --- Probes of caller memory ------------------------------------------------
// Where the system raises an exception, these answer a status: success for
// a length of 0 or a range that is mapped readable (writable), else
// STATUS_ACCESS_VIOLATION (a null, wrapping or unmapped range) or
// STATUS_DATATYPE_MISALIGNMENT (an address off its alignment), or
// STATUS_INSUFFICIENT_RESOURCES when the process's mappings cannot be read
// (no file descriptor left). Addresses are the caller's full 64-bit pointers.
NTKRNL_API NTSTATUS NTAPI ProbeForRead(const volatile VOID* Address, SIZE_T Length, ULONG Alignment);
NTKRNL_API NTSTATUS NTAPI ProbeForWrite(volatile VOID* Address, SIZE_T Length, ULONG Alignment);

// --- Copies with caller memory ----------------------------------------------
// A probe tells only what was true when it ran: the caller may give its
// memory up (unmap it, take its access away) at any moment after. Every
// copy into or out of caller memory goes through these, which answer
// STATUS_ACCESS_VIOLATION where a plain copy would fault: a byte of the
// source that cannot be read or of the destination that cannot be written,
// a null or wrapping range. The destination may then hold part of the copy.
// STATUS_INSUFFICIENT_RESOURCES when the system lacks the means (no file
// descriptor for the pipe a copy may take). Success for a length of 0.
NTKRNL_API NTSTATUS NTAPI SafeCopyToUser(volatile VOID* UserDestination, const VOID* Source, SIZE_T Length);
NTKRNL_API NTSTATUS NTAPI SafeCopyFromUser(VOID* Destination, const volatile VOID* UserSource, SIZE_T Length);
