// Probes of caller memory: the range must lie in mappings of the process
// with the access asked for. The mappings are read from /proc/self/maps;
// touching the memory itself would fault, or for a write check race with
// the caller's own threads.
#include <ntkrnl/nt_rtl.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// Success when [begin, end) is covered, without a gap, by mappings that
// have `permission` ('r' or 'w') in their flags. A list that cannot be
// opened (no descriptor left, no memory) tells nothing of the caller's
// memory: that is the system's shortage.
NTSTATUS mapped(uintptr_t begin, uintptr_t end, char permission) {
  FILE* maps = std::fopen("/proc/self/maps", "re");
  if (maps == nullptr) return STATUS_INSUFFICIENT_RESOURCES;
  uintptr_t covered = begin;
  char line[512];
  while (covered < end && std::fgets(line, sizeof line, maps) != nullptr) {
    // A long path: the rest of the line is no mapping of its own.
    for (int c = 0; line[0] != '\0' && line[std::strlen(line) - 1] != '\n' && c != EOF && c != '\n';) {
      c = std::fgetc(maps);
    }
    unsigned long low = 0;
    unsigned long high = 0;
    char flags[5] = {};
    if (std::sscanf(line, "%lx-%lx %4s", &low, &high, flags) != 3) continue;
    if (high <= covered) continue;
    if (low > covered) break;  // the list is ordered: a gap
    const bool allowed = permission == 'r' ? flags[0] == 'r' : flags[1] == 'w';
    if (!allowed) break;
    covered = high;
  }
  std::fclose(maps);
  return covered >= end ? STATUS_SUCCESS : STATUS_ACCESS_VIOLATION;
}

NTSTATUS probe(const volatile void* address, SIZE_T length, ULONG alignment, char permission) {
  if (length == 0) return STATUS_SUCCESS;
  const auto begin = reinterpret_cast<uintptr_t>(address);
  if (alignment > 1 && (begin & (alignment - 1)) != 0) return STATUS_DATATYPE_MISALIGNMENT;
  if (begin == 0 || length > UINTPTR_MAX - begin) return STATUS_ACCESS_VIOLATION;
  return mapped(begin, begin + length, permission);
}

}  // namespace

NTKRNL_API NTSTATUS NTAPI ProbeForRead(const volatile VOID* Address, SIZE_T Length, ULONG Alignment) {
  return probe(Address, Length, Alignment, 'r');
}

NTKRNL_API NTSTATUS NTAPI ProbeForWrite(volatile VOID* Address, SIZE_T Length, ULONG Alignment) {
  return probe(Address, Length, Alignment, 'w');
}
