// A record against the other entries of the caller's list.
#include "check_services.h"
#include "check_steps.h"
#include "list/board_list_view.h"
#include "tables/board_models.h"

namespace tarnix {

namespace {

bool AnyEqual(const unsigned char* a, FieldRun ra, const unsigned char* b, FieldRun rb, bool zeroIsFree) {
  for (int i = 0; i < ra.count; ++i) {
    const int32_t v = GetRun(a, ra, i);
    if (v == -1 || (zeroIsFree && v == 0)) continue;
    for (int j = 0; j < rb.count; ++j) {
      if (GetRun(b, rb, j) == v) return true;
    }
  }
  return false;
}

bool AnyNameEqual(const unsigned char* a, FieldRun ra, const unsigned char* b, FieldRun rb) {
  for (int i = 0; i < ra.count; ++i) {
    const char* name = GetName(a, ra, i);
    if (name[0] == '\0') continue;
    for (int j = 0; j < rb.count; ++j) {
      if (SameText(name, GetName(b, rb, j), kObjectNameBytes)) return true;
    }
  }
  return false;
}

bool SameHead(int32_t kind, const RecordHead& a, const RecordHead& b) {
  return a.driverNumber == b.driverNumber && a.boardNumber == b.boardNumber &&
         (!HasGroups(kind) || a.groupNumber == b.groupNumber);
}

bool ChannelsOverlap(const KindFields& f, const unsigned char* a, const unsigned char* b) {
  return GetInt(a, f.channelFirst) <= GetInt(b, f.channelLast) && GetInt(b, f.channelFirst) <= GetInt(a, f.channelLast);
}

// One test of the record against every entry; the first clash names it.
template <typename Clashes>
int32_t AgainstEntries(const CheckedRecord& r, const ListView& list, uint32_t count, int32_t mode, int32_t check,
                       Clashes clashes) {
  const RecordHead& own = HeadOf(r.record);
  for (uint32_t i = 0; i < count; ++i) {
    const unsigned char* entry = list.record(i);
    if (mode == 2 && SameHead(r.kind, own, HeadOf(entry))) continue;
    if (clashes(entry)) {
      SetClashingBoard(r.kind, HeadOf(entry));
      return CheckResult(check, kClash);
    }
  }
  return 0;
}

}  // namespace

int32_t CheckInList(const CheckedRecord& r, const void* listMemory, int32_t mode) {
  const KindFields& f = r.fields;
  const ListView list(r.kind, const_cast<void*>(listMemory));
  const uint32_t count = list.count();
  const CheckServices& s = Services();
  const RecordHead& own = HeadOf(r.record);
  const char* model = own.boardName;
  const bool pcCard = r.bus == kBusPcCard;
  const auto busOf = [&](const unsigned char* e) { return s.busType(HeadOf(e).boardName); };
  const FieldRun ownNames{f.names.offset, f.listNames};

  const auto io = [&](const unsigned char* e) { return AnyEqual(r.record, f.io, e, f.io, false); };
  const auto lines = [&](const unsigned char* e) {
    return !(r.bus == kBusPci && busOf(e) == kBusPci) && AnyEqual(r.record, f.irq, e, f.irq, f.zeroLineIsFree);
  };
  const auto channels = [&](const unsigned char* e) { return ChannelsOverlap(f, r.record, e); };
  const auto boardId = [&](const unsigned char* e) {
    const int32_t id = GetInt(r.record, f.boardId);
    return id != -1 && SameText(model, HeadOf(e).boardName, kBoardNameBytes) && GetInt(e, f.boardId) == id;
  };
  // A group's boards share its name.
  const auto names = [&](const unsigned char* e) {
    const RecordHead& h = HeadOf(e);
    if (HasGroups(r.kind) && h.driverNumber == own.driverNumber && h.groupNumber == own.groupNumber) return false;
    return AnyNameEqual(r.record, ownNames, e, ownNames);
  };
  const auto slot = [&](const unsigned char* e) {
    const int32_t no = GetInt(r.record, f.slotNo);
    return pcCard && no != -1 && busOf(e) == kBusPcCard && GetInt(e, f.slotNo) == no;
  };
  const char* key = GetText(r.record, f.hardwareKey);
  const auto hardwareKey = [&](const unsigned char* e) {
    return pcCard && key[0] != '\0' && busOf(e) == kBusPcCard &&
           SameText(key, GetText(e, f.hardwareKey), kObjectNameBytes);
  };

  int32_t result = AgainstEntries(r, list, count, mode, kCheckIoAddress, io);
  if (result == 0) result = AgainstEntries(r, list, count, mode, kCheckInterrupt, lines);
  // A COM-port board whose ChannelFirst is 0 takes its port numbers from the driver.
  const bool ranges = f.channelFirst != 0 && (r.kind == 1 || GetInt(r.record, f.channelFirst) != 0);
  if (result == 0 && ranges) result = AgainstEntries(r, list, count, mode, kCheckChannelFirst, channels);
  if (result == 0) result = AgainstEntries(r, list, count, mode, kCheckBoardId, boardId);
  if (result == 0) result = AgainstEntries(r, list, count, mode, kCheckObjectName, names);
  if (result == 0) result = AgainstEntries(r, list, count, mode, kCheckSlot, slot);
  if (result == 0) result = AgainstEntries(r, list, count, mode, kCheckHardwareKey, hardwareKey);
  return result;
}

}  // namespace tarnix
