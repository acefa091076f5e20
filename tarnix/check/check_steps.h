// The checker's steps, each over one record already normalised for the
// check: the record alone, the record against the caller's list, and the
// record against the boards configured for the other kinds.
#pragma once
#include <cstdint>

#include "record_fields.h"

namespace tarnix {

// Check numbers of the result byte.
enum CheckNumber : int32_t {
  kCheckGroup = 2,
  kCheckBoard = 3,
  kCheckModel = 4,
  kCheckIoAddress = 5,
  kCheckInterrupt = 6,
  kCheckBoardConfig = 9,
  kCheckChannelFirst = 10,
  kCheckChannelLast = 11,
  kCheckMyAddress = 12,
  kCheckMasterMode = 13,
  kCheckDmaChannel = 14,
  kCheckDmaMode = 15,
  kCheckObjectName = 16,
  kCheckBoardId = 17,
  kCheckSlot = 18,
  kCheckHardwareKey = 19,
  kCheckPortOption = 21,
  kCheckEnhancedMode = 22,
};
inline constexpr int32_t kOutOfRange = 1;  // a field of the record itself
inline constexpr int32_t kClash = 2;       // another board, a second resource, a name in use

constexpr int32_t CheckResult(int32_t check, int32_t severity) { return ((check & 0x1F) << 3) | (severity & 7); }

// The extended error words: kind, driver, group and board of a record.
constexpr int32_t BoardWord(int32_t kind, int32_t driver, int32_t group, int32_t board) {
  return static_cast<int32_t>((static_cast<uint32_t>(kind) << 26) | ((static_cast<uint32_t>(driver) & 0x3FF) << 16) |
                              ((static_cast<uint32_t>(group) & 0x3FF) << 6) | (static_cast<uint32_t>(board) & 0x3F));
}
void SetTestedBoard(int32_t kind, const RecordHead& head);
void SetClashingBoard(int32_t kind, const RecordHead& head);
void ClearExtendedError();

struct CheckedRecord {
  int32_t kind;
  const KindFields& fields;
  const unsigned char* record;
  int32_t bus;  // the record's model's bus type
};

int32_t CheckSelf(const CheckedRecord& r);
// Mode 2 passes over the entry with the record's own head.
int32_t CheckInList(const CheckedRecord& r, const void* list, int32_t mode);

// The configured boards of each kind, indexed by kind; null for none.
struct ConfiguredLists {
  const void* byKind[11] = {};
};
int32_t CheckAgainstConfigured(const CheckedRecord& r, const ConfiguredLists& lists);

}  // namespace tarnix
