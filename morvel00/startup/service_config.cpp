// The service key's values, read with RtlQueryRegistryValues.
#include <cstring>

#include "startup/startup.h"

namespace morvel00 {

namespace {

// A pool buffer for one key path, freed when it goes.
class KeyPath {
 public:
  explicit KeyPath(PCUNICODE_STRING base) {
    const USHORT bytes = static_cast<USHORT>(base->Length + 64 * sizeof(WCHAR));
    path_.Buffer = static_cast<PWSTR>(ExAllocatePool(PagedPool, bytes));
    path_.Length = 0;
    path_.MaximumLength = path_.Buffer != nullptr ? bytes : 0;
    if (path_.Buffer != nullptr) RtlAppendUnicodeStringToString(&path_, base);
  }
  ~KeyPath() {
    if (path_.Buffer != nullptr) ExFreePool(path_.Buffer);
  }
  KeyPath(const KeyPath&) = delete;
  KeyPath& operator=(const KeyPath&) = delete;
  bool ok() const { return path_.Buffer != nullptr; }
  // Appends "\<name><number>".
  void append(PCWSTR name, ULONG number) {
    RtlAppendUnicodeToString(&path_, u"\\");
    RtlAppendUnicodeToString(&path_, name);
    WCHAR digits[12];
    UNICODE_STRING text{0, sizeof digits, digits};
    RtlIntegerToUnicodeString(number, 10, &text);
    RtlAppendUnicodeStringToString(&path_, &text);
    if (path_.Length + sizeof(WCHAR) <= path_.MaximumLength) path_.Buffer[path_.Length / sizeof(WCHAR)] = 0;
  }
  PCWSTR text() const { return path_.Buffer; }
  const UNICODE_STRING* string() const { return &path_; }

 private:
  UNICODE_STRING path_{};
};

struct DwordQuery {
  PCWSTR name;
  ULONG* variable;
  ULONG reset;
};

// One value into its variable, when the value is of the variable's type: one
// of another type (a text where a number belongs, as an import writes any
// quoted value) is taken as missing, so one wrong line costs only its own
// value.
NTSTATUS QueryValue(PCWSTR path, PCWSTR name, ULONG type, PVOID variable) {
  RTL_QUERY_REGISTRY_TABLE table[2] = {};
  table[0].Flags = RTL_QUERY_REGISTRY_DIRECT | RTL_QUERY_REGISTRY_TYPECHECK;
  table[0].Name = const_cast<PWSTR>(name);
  table[0].EntryContext = variable;
  table[0].DefaultType = type << RTL_QUERY_REGISTRY_TYPECHECK_SHIFT;
  const NTSTATUS status =
      RtlQueryRegistryValues(RTL_REGISTRY_ABSOLUTE | RTL_REGISTRY_OPTIONAL, path, table, nullptr, nullptr);
  return status == STATUS_OBJECT_TYPE_MISMATCH ? STATUS_SUCCESS : status;
}

NTSTATUS QueryDwords(PCWSTR path, const DwordQuery* queries, unsigned n) {
  for (unsigned i = 0; i < n; ++i) {
    *queries[i].variable = queries[i].reset;
    const NTSTATUS status = QueryValue(path, queries[i].name, REG_DWORD, queries[i].variable);
    if (!NT_SUCCESS(status)) return status;
  }
  return STATUS_SUCCESS;
}

// A text the registry query takes from the pool, freed when it goes.
class PoolText {
 public:
  PoolText() = default;
  ~PoolText() {
    if (text_.Buffer != nullptr) RtlFreeUnicodeString(&text_);
  }
  PoolText(const PoolText&) = delete;
  PoolText& operator=(const PoolText&) = delete;
  UNICODE_STRING* string() { return &text_; }

 private:
  UNICODE_STRING text_{};
};

// The name is read whatever its length and cut to its field, since any
// program may write the value and no name may keep the boards from starting;
// one too long for a counted string is taken as missing.
NTSTATUS QueryName(PCWSTR path, char (&name)[52]) {
  std::memset(name, 0, sizeof name);
  PoolText value;
  const NTSTATUS status = QueryValue(path, u"BoardName", REG_SZ, value.string());
  if (status == STATUS_BUFFER_TOO_SMALL) return STATUS_SUCCESS;
  if (!NT_SUCCESS(status) || value.string()->Length == 0) return status;
  char ansi[sizeof name];
  ANSI_STRING out{0, sizeof ansi - 1, ansi};
  RtlUnicodeStringToAnsiString(&out, value.string(), FALSE);  // an overlong name is cut to 51 characters
  std::memcpy(name, ansi, out.Length < sizeof name ? out.Length : sizeof name - 1);
  return STATUS_SUCCESS;
}

}  // namespace

unsigned DeviceIndexFromPath(PCUNICODE_STRING servicePath) {
  const size_t n = servicePath->Length / sizeof(WCHAR);
  if (n < 2) return 20;
  const WCHAR tens = servicePath->Buffer[n - 2];
  const WCHAR ones = servicePath->Buffer[n - 1];
  if (tens < u'0' || tens > u'9' || ones < u'0' || ones > u'9') return 20;
  return static_cast<unsigned>((tens - u'0') * 10 + (ones - u'0'));
}

NTSTATUS ReadServiceConfig(PCUNICODE_STRING servicePath, ServiceConfig& out) {
  out = ServiceConfig{};
  KeyPath service(servicePath);
  if (!service.ok()) return STATUS_INSUFFICIENT_RESOURCES;
  const DwordQuery serviceQueries[] = {{u"MachineType", &out.machineType, 0}, {u"GroupNum", &out.groupNum, 0}};
  NTSTATUS status = QueryDwords(service.text(), serviceQueries, 2);
  if (!NT_SUCCESS(status)) return status;
  if (out.groupNum > kMaxGroups) out.groupNum = kMaxGroups;

  for (ULONG k = 1; k <= out.groupNum; ++k) {
    GroupConfig& group = out.groups[k - 1];
    KeyPath groupPath(service.string());
    if (!groupPath.ok()) return STATUS_INSUFFICIENT_RESOURCES;
    groupPath.append(u"GroupNumber", k);
    const DwordQuery groupQueries[] = {{u"BoardNum", &group.boardNum, 0}, {u"IrqNo", &group.irqNo, kNoLine}};
    status = QueryDwords(groupPath.text(), groupQueries, 2);
    if (!NT_SUCCESS(status)) return status;
    if (group.boardNum > kMaxBoards) group.boardNum = kMaxBoards;

    for (ULONG b = 1; b <= group.boardNum; ++b) {
      BoardConfig& board = group.boards[b - 1];
      KeyPath boardPath(groupPath.string());
      if (!boardPath.ok()) return STATUS_INSUFFICIENT_RESOURCES;
      boardPath.append(u"BoardNumber", b);
      const DwordQuery boardQueries[] = {
          {u"IoAddress", &board.ioAddress, 0}, {u"BoardType", &board.boardType, 0},
          {u"BoardConfig", &board.boardConfig, 0}, {u"BoardID", &board.boardId, 0},
          {u"DeviceID", &board.deviceId, 0},
      };
      status = QueryDwords(boardPath.text(), boardQueries, 5);
      if (!NT_SUCCESS(status)) return status;
      status = QueryName(boardPath.text(), board.boardName);
      if (!NT_SUCCESS(status)) return status;
    }
  }
  return STATUS_SUCCESS;
}

}  // namespace morvel00
