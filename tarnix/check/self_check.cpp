// A record against itself: every field in its range, no resource twice on
// one board, no name that another program holds in the object-name index.
#include <algorithm>

#include "check_services.h"
#include "check_steps.h"
#include "list/board_list_view.h"
#include "model_rules.h"
#include "system/system_info.h"
#include "tables/board_models.h"

namespace tarnix {

namespace {

bool IoInRange(int32_t v) { return v == -1 || (v >= 16 && v <= 0xFFFF); }
bool LineInRange(int32_t v) { return v == -1 || (v >= 2 && v <= 15); }

int32_t CheckIoRange(const CheckedRecord& r) {
  for (int i = 0; i < r.fields.io.count; ++i) {
    if (!IoInRange(GetRun(r.record, r.fields.io, i))) return CheckResult(kCheckIoAddress, kOutOfRange);
  }
  return 0;
}

// PCI boards get their lines from the bus.
int32_t CheckLineRange(const CheckedRecord& r) {
  if (r.bus == kBusPci) return 0;
  for (int i = 0; i < r.fields.irq.count; ++i) {
    if (!LineInRange(GetRun(r.record, r.fields.irq, i))) return CheckResult(kCheckInterrupt, kOutOfRange);
  }
  return 0;
}

// A digital group's four lines: each in range and none twice.
int32_t CheckDigitalLines(const CheckedRecord& r) {
  if (r.bus == kBusPci) return 0;
  const FieldRun run = r.fields.irq;
  for (int i = 0; i < run.count; ++i) {
    const int32_t line = GetRun(r.record, run, i);
    if (line == -1) continue;
    if (line < 2 || line > 15) return CheckResult(kCheckInterrupt, kOutOfRange);
    for (int j = 0; j < run.count; ++j) {
      if (j != i && GetRun(r.record, run, j) == line) {
        SetClashingBoard(r.kind, HeadOf(r.record));
        return CheckResult(kCheckInterrupt, kClash);
      }
    }
  }
  return 0;
}

int32_t CheckPciBoardId(const CheckedRecord& r, int32_t limit = kPciBoardIdLimit) {
  if (r.bus == kBusPci && GetInt(r.record, r.fields.boardId) > limit) return CheckResult(kCheckBoardId, kOutOfRange);
  return 0;
}

// The index names another program's devices; the words name no board then.
int32_t CheckNamesFree(const CheckedRecord& r) {
  for (int i = 0; i < r.fields.names.count; ++i) {
    const char* name = GetName(r.record, r.fields.names, i);
    if (name[0] != '\0' && Services().isObjectNameFree(name) == 0) return CheckResult(kCheckObjectName, kClash);
  }
  return 0;
}

int32_t CheckBoardNumber(const CheckedRecord& r) {
  const int32_t board = HeadOf(r.record).boardNumber;
  if (board < 1 || board > r.fields.boardLimit) return CheckResult(kCheckBoard, kOutOfRange);
  if (HasGroups(r.kind)) {
    const int32_t group = HeadOf(r.record).groupNumber;
    if (group < 1 || group > xanconfig::kMaxGroups) return CheckResult(kCheckGroup, kOutOfRange);
  }
  return 0;
}

int32_t CheckModel(const CheckedRecord& r) {
  return Services().isModelOfKind(r.kind, HeadOf(r.record).boardName) != 0 ? CheckResult(kCheckModel, kOutOfRange)
                                                                            : 0;
}

// The first nonzero result of the steps, in order.
template <typename... Steps>
int32_t FirstFailing(Steps... steps) {
  int32_t result = 0;
  ((result = result != 0 ? result : steps()), ...);
  return result;
}

int32_t CheckSerial(const CheckedRecord& r) {
  const auto& rec = *reinterpret_cast<const SerialBoardRecord*>(r.record);
  const CheckServices& s = Services();
  const auto channels = [&] {
    if (rec.channelFirst <= 0 || rec.channelFirst > 256) return CheckResult(kCheckChannelFirst, kOutOfRange);
    if (rec.channelLast <= 0 || rec.channelLast > 256 || rec.channelLast < rec.channelFirst) {
      return CheckResult(kCheckChannelLast, kOutOfRange);
    }
    if (rec.channelLast - rec.channelFirst + 1 > s.serialChannelCount(rec.head.boardName)) {
      return CheckResult(kCheckChannelLast, kOutOfRange);
    }
    return 0;
  };
  int32_t result = FirstFailing([&] { return CheckBoardNumber(r); }, [&] { return CheckModel(r); },
                                [&] { return CheckIoRange(r); }, [&] { return CheckLineRange(r); }, channels,
                                [&] { return CheckPciBoardId(r); });
  if (result != 0) return result;

  // The channels in use, never more than the eight ports.
  const int n = std::min(rec.channelLast - rec.channelFirst + 1, 8);
  const bool oneUnit = IsOneUnitSerialModel(rec.head.boardName);
  if (!oneUnit && s.machineType() != xanconfig::kMachinePc98) {
    for (int i = 0; i < n; ++i) {
      for (int j = i + 1; j < n; ++j) {
        if (rec.ioAddresses[i] != -1 && rec.ioAddresses[i] == rec.ioAddresses[j]) {
          SetClashingBoard(r.kind, rec.head);
          return CheckResult(kCheckIoAddress, kClash);
        }
      }
    }
  }
  // Ports behind one interrupt may share it.
  if (oneUnit || s.singleInterrupt(rec.head.boardName) != 0) return 0;
  for (int i = 0; i < n; ++i) {
    const int32_t line = rec.irqNos[i];
    if (line == -1 || s.classifySerialPort(rec.head.boardName, rec.ioAddresses[i]) == 2) continue;
    for (int j = 0; j < n; ++j) {
      if (j != i && rec.irqNos[j] == line) {
        SetClashingBoard(r.kind, rec.head);
        return CheckResult(kCheckInterrupt, kClash);
      }
    }
  }
  return CheckNamesFree(r);
}

int32_t CheckGrouped(const CheckedRecord& r) {
  const bool analog = r.kind == 2;
  const auto lines = [&] { return analog ? CheckLineRange(r) : CheckDigitalLines(r); };
  const auto boardConfig = [&] {
    return analog && reinterpret_cast<const AnalogBoardRecord*>(r.record)->boardConfig > 3
               ? CheckResult(kCheckBoardConfig, kOutOfRange)
               : 0;
  };
  const int32_t idLimit =
      !analog && SameText(HeadOf(r.record).boardName, kTwoBitIdDigitalModel, kBoardNameBytes) ? kTwoBitIdLimit
                                                                                                : kPciBoardIdLimit;
  return FirstFailing([&] { return CheckBoardNumber(r); }, [&] { return CheckModel(r); },
                      [&] { return CheckIoRange(r); }, lines, boardConfig, [&] { return CheckPciBoardId(r, idLimit); },
                      [&] { return CheckNamesFree(r); });
}

int32_t CheckGpib(const CheckedRecord& r) {
  const auto& rec = *reinterpret_cast<const GpibBoardRecord*>(r.record);
  const auto fields = [&] {
    if (rec.myAddress < 0 || rec.myAddress > 30) return CheckResult(kCheckMyAddress, kOutOfRange);
    if (rec.masterMode != 0 && rec.masterMode != 1) return CheckResult(kCheckMasterMode, kOutOfRange);
    if (rec.dmaCh < -1 || rec.dmaCh > 3) return CheckResult(kCheckDmaChannel, kOutOfRange);
    if (rec.dmaMode < 0 || rec.dmaMode > 2) return CheckResult(kCheckDmaMode, kOutOfRange);
    return 0;
  };
  return FirstFailing([&] { return CheckBoardNumber(r); }, [&] { return CheckModel(r); },
                      [&] { return CheckIoRange(r); }, [&] { return CheckLineRange(r); }, fields,
                      [&] { return CheckPciBoardId(r); }, [&] { return CheckNamesFree(r); });
}

int32_t CheckCounter(const CheckedRecord& r) {
  return FirstFailing([&] { return CheckBoardNumber(r); }, [&] { return CheckModel(r); },
                      [&] { return CheckIoRange(r); }, [&] { return CheckLineRange(r); },
                      [&] { return CheckPciBoardId(r); }, [&] { return CheckNamesFree(r); });
}

int32_t CheckStepper(const CheckedRecord& r) {
  const auto& rec = *reinterpret_cast<const StepperBoardRecord*>(r.record);
  const auto mode = [&] {
    return rec.baseEnhMode != 0 && rec.baseEnhMode != 1 ? CheckResult(kCheckEnhancedMode, kOutOfRange) : 0;
  };
  const auto axes = [&] {
    for (int i = 0; i < 4; ++i) {
      for (int j = i + 1; j < 4; ++j) {
        if (rec.axisObjectNames[i][0] != '\0' &&
            SameText(rec.axisObjectNames[i], rec.axisObjectNames[j], kObjectNameBytes)) {
          SetClashingBoard(r.kind, rec.head);
          return CheckResult(kCheckObjectName, kClash);
        }
      }
    }
    return 0;
  };
  return FirstFailing([&] { return CheckBoardNumber(r); }, [&] { return CheckModel(r); },
                      [&] { return CheckIoRange(r); }, mode, [&] { return CheckLineRange(r); },
                      [&] { return CheckPciBoardId(r); }, axes, [&] { return CheckNamesFree(r); });
}

int32_t CheckComPort(const CheckedRecord& r) {
  const auto& rec = *reinterpret_cast<const ComPortBoardRecord*>(r.record);
  const CheckServices& s = Services();
  // A ChannelFirst of 0 leaves the port numbers to the driver.
  const auto channels = [&] {
    if (rec.channelFirst != 0) {
      if (rec.channelFirst < 0 || rec.channelFirst > 256) return CheckResult(kCheckChannelFirst, kOutOfRange);
      if (rec.channelLast <= 0 || rec.channelLast > 256 || rec.channelLast < rec.channelFirst) {
        return CheckResult(kCheckChannelLast, kOutOfRange);
      }
    }
    const int64_t n = int64_t{rec.channelLast} - rec.channelFirst + 1;
    return n > s.serialChannelCount(rec.head.boardName) ? CheckResult(kCheckChannelLast, kOutOfRange) : 0;
  };
  const auto portOption = [&] {
    return IsWin9x(s.osGeneration()) && rec.portOption != 0 && rec.portOption != 1
               ? CheckResult(kCheckPortOption, kOutOfRange)
               : 0;
  };
  return FirstFailing([&] { return CheckBoardNumber(r); }, [&] { return CheckModel(r); },
                      [&] { return CheckIoRange(r); }, [&] { return CheckLineRange(r); }, channels,
                      [&] { return CheckPciBoardId(r); }, portOption, [&] { return CheckNamesFree(r); });
}

}  // namespace

int32_t CheckSelf(const CheckedRecord& r) {
  switch (r.kind) {
    case 1: return CheckSerial(r);
    case 2:
    case 3: return CheckGrouped(r);
    case 4: return CheckGpib(r);
    case 6: return CheckStepper(r);
    case 7: return CheckComPort(r);
    default: return CheckCounter(r);
  }
}

}  // namespace tarnix
