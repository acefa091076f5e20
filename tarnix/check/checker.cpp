#include "checker.h"

#include <cstring>

#include <tarnix.h>

#include "check_services.h"
#include "check_steps.h"
#include "devices/config_device.h"
#include "library_state.h"
#include "list/board_list_view.h"

namespace tarnix {

namespace {

constexpr int32_t kNormaliseCheck = 1;

// One list buffer for each kind, overwritten by every check.
struct WorkingLists {
  BoardList<SerialBoardRecord> serial;
  BoardList<AnalogBoardRecord> analog;
  BoardList<DigitalBoardRecord> digital;
  BoardList<GpibBoardRecord> gpib;
  BoardList<CounterBoardRecord> counter;
  BoardList<StepperBoardRecord> stepper;
  BoardList<ComPortBoardRecord> comPort;
  BoardList<CounterBoardRecord> module;

  void* of(int32_t kind) {
    switch (kind) {
      case 1: return &serial;
      case 2: return &analog;
      case 3: return &digital;
      case 4: return &gpib;
      case 5: return &counter;
      case 6: return &stepper;
      case 7: return &comPort;
      case 10: return &module;
      default: return nullptr;
    }
  }

  // The caller's list, normalised, beside the configured lists.
  alignas(BoardList<SerialBoardRecord>) unsigned char callers[sizeof(BoardList<SerialBoardRecord>)];

  // While a whole list is checked the registry does not change: the
  // configured boards are read once for all its records.
  bool listCheck = false;
  bool configuredRead = false;
};

WorkingLists& Working() {
  static WorkingLists lists;
  return lists;
}

bool ClaimsTooMany(const void* list) { return *static_cast<const uint32_t*>(list) > kListRecords; }

class ListCheck {
 public:
  ListCheck() { Working().listCheck = true; }
  ~ListCheck() {
    Working().listCheck = false;
    Working().configuredRead = false;
  }
  ListCheck(const ListCheck&) = delete;
  ListCheck& operator=(const ListCheck&) = delete;
};

}  // namespace

void SetTestedBoard(int32_t kind, const RecordHead& head) {
  Library().extendedError[0] = BoardWord(kind, head.driverNumber, head.groupNumber, head.boardNumber);
}
void SetClashingBoard(int32_t kind, const RecordHead& head) {
  Library().extendedError[1] = BoardWord(kind, head.driverNumber, head.groupNumber, head.boardNumber);
}
void ClearExtendedError() {
  Library().extendedError[0] = 0;
  Library().extendedError[1] = 0;
}

int32_t CheckBoardRecord(int32_t kind, const void* list, const void* record, int32_t mode) {
  const KindFields* fields = FieldsOf(kind);
  if (list == nullptr || record == nullptr || fields == nullptr || mode < kCheckAdd || mode > kCheckInsert) return 0;
  // A list that claims more records than it has room for is not read.
  if (ClaimsTooMany(list)) return kDnkBadArgument;

  alignas(int32_t) unsigned char copy[kLargestRecordBytes];
  std::memcpy(copy, record, fields->recordBytes);
  NormalizeBoardRecord(kind, copy, kNormaliseCheck);
  ClearExtendedError();
  SetTestedBoard(kind, HeadOf(copy));
  const CheckedRecord checked{kind, *fields, copy, Services().busType(HeadOf(copy).boardName)};

  int32_t result = CheckSelf(checked);
  if (result != 0) return result;

  WorkingLists& working = Working();
  ListView own(kind, working.callers);
  std::memcpy(working.callers, list, own.bytes());
  for (uint32_t i = 0; i < own.count(); ++i) NormalizeBoardRecord(kind, own.record(i), kNormaliseCheck);
  result = CheckInList(checked, working.callers, mode);
  if (result != 0) return result;

  const bool readAlready = working.listCheck && working.configuredRead;
  ConfiguredLists configured;
  for (int32_t k : {1, 2, 3, 4, 5, 6, 7, 10}) {
    if (!readAlready) Services().loadConfiguredList(k, working.of(k));
    configured.byKind[k] = working.of(k);
  }
  working.configuredRead = true;
  result = CheckAgainstConfigured(checked, configured);
  if (result != 0) return result;

  ClearExtendedError();
  return 0;
}

int32_t CheckListRecords(int32_t kind, const void* list) {
  if (list == nullptr) return kDnkBadArgument;
  if (kind == static_cast<int32_t>(xanconfig::DnkConfigKind::WdmAnalog)) {
    return ClaimsTooMany(list) ? kDnkBadArgument : CheckWdmDeviceList(list);
  }
  if (!IsBoardListKind(kind) || ClaimsTooMany(list)) return kDnkBadArgument;
  const ListView view(kind, const_cast<void*>(list));
  const ListCheck once;
  for (uint32_t i = 0; i < view.count(); ++i) {
    const int32_t result = CheckBoardRecord(kind, list, view.record(i), kCheckModify);
    if (result != 0) return result;
  }
  return 0;
}

}  // namespace tarnix
