// A record against the boards configured for the other kinds: no shared
// I/O address, interrupt line or object name across the driver families.
#include "check_services.h"
#include "check_steps.h"
#include "list/board_list_view.h"
#include "tables/board_models.h"

namespace tarnix {

namespace {

constexpr int32_t kKindOrder[] = {1, 2, 3, 4, 5, 6, 7, 10};
// An analog record's I/O addresses meet the COM ports before the steppers.
constexpr int32_t kAnalogIoOrder[] = {1, 2, 3, 4, 5, 7, 6, 10};

// Calls visit(kind, fields, board) for every configured board of the other
// kinds in `order`; the first true ends the walk and names the board.
template <typename Visit>
bool AnyConfigured(const CheckedRecord& r, const ConfiguredLists& lists, const int32_t (&order)[8], Visit visit) {
  for (int32_t kind : order) {
    if (kind == r.kind || lists.byKind[kind] == nullptr) continue;
    const KindFields& f = *FieldsOf(kind);
    const ListView list(kind, const_cast<void*>(lists.byKind[kind]));
    const uint32_t count = list.count() > kListRecords ? kListRecords : list.count();
    for (uint32_t i = 0; i < count; ++i) {
      if (visit(f, list.record(i))) {
        SetClashingBoard(kind, HeadOf(list.record(i)));
        return true;
      }
    }
  }
  return false;
}

bool RunHolds(const unsigned char* board, FieldRun run, int32_t v) {
  for (int j = 0; j < run.count; ++j) {
    if (GetRun(board, run, j) == v) return true;
  }
  return false;
}

bool NamesHold(const unsigned char* board, FieldRun run, const char* name) {
  for (int j = 0; j < run.count; ++j) {
    if (SameText(GetName(board, run, j), name, kObjectNameBytes)) return true;
  }
  return false;
}

}  // namespace

int32_t CheckAgainstConfigured(const CheckedRecord& r, const ConfiguredLists& lists) {
  const KindFields& own = r.fields;
  const CheckServices& s = Services();

  const auto& ioOrder = r.kind == 2 ? kAnalogIoOrder : kKindOrder;
  for (int i = 0; i < own.io.count; ++i) {
    const int32_t io = GetRun(r.record, own.io, i);
    if (io == -1) continue;
    if (AnyConfigured(r, lists, ioOrder, [&](const KindFields& f, const unsigned char* b) {
          return RunHolds(b, f.io, io);
        })) {
      return CheckResult(kCheckIoAddress, kClash);
    }
  }

  for (int i = 0; i < own.irq.count; ++i) {
    const int32_t line = GetRun(r.record, own.irq, i);
    if (line == -1 || line == 0) continue;
    if (AnyConfigured(r, lists, kKindOrder, [&](const KindFields& f, const unsigned char* b) {
          if (r.bus == kBusPci && s.busType(HeadOf(b).boardName) == kBusPci) return false;
          return RunHolds(b, f.irq, line);
        })) {
      return CheckResult(kCheckInterrupt, kClash);
    }
  }

  // A stepper's axis names against the other configured steppers.
  if (r.kind == 6 && lists.byKind[6] != nullptr) {
    const RecordHead& head = HeadOf(r.record);
    const ListView steppers(6, const_cast<void*>(lists.byKind[6]));
    const uint32_t count = steppers.count() > kListRecords ? kListRecords : steppers.count();
    for (int i = 1; i < own.names.count; ++i) {
      const char* axis = GetName(r.record, own.names, i);
      if (axis[0] == '\0') continue;
      for (uint32_t b = 0; b < count; ++b) {
        const RecordHead& other = HeadOf(steppers.record(b));
        if (other.driverNumber == head.driverNumber && other.groupNumber == head.groupNumber &&
            other.boardNumber == head.boardNumber) {
          continue;
        }
        if (NamesHold(steppers.record(b), own.names, axis)) {
          SetClashingBoard(6, other);
          return CheckResult(kCheckObjectName, kClash);
        }
      }
    }
  }

  for (int i = 0; i < own.names.count; ++i) {
    const char* name = GetName(r.record, own.names, i);
    if (name[0] == '\0') continue;
    if (AnyConfigured(r, lists, kKindOrder, [&](const KindFields& f, const unsigned char* b) {
          return NamesHold(b, f.names, name);
        })) {
      return CheckResult(kCheckObjectName, kClash);
    }
  }
  return 0;
}

}  // namespace tarnix
