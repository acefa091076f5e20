// The normaliser: the resources a board does not use become -1, so that
// neither the checks nor the stored configuration see stale values.
#include <algorithm>
#include <cstring>

#include "check_services.h"
#include "checker.h"
#include "model_rules.h"
#include "list/board_list_view.h"
#include "record_fields.h"
#include "system/system_info.h"
#include "tables/board_models.h"

namespace tarnix {

namespace {

constexpr int32_t kNormaliseStore = 2;

void SetRunNone(unsigned char* r, FieldRun run, int from, int to) {
  for (int i = from; i < to && i < run.count; ++i) SetRun(r, run, i, -1);
}

void NormaliseSerial(unsigned char* r, const KindFields& f, int32_t bus, bool store) {
  auto& rec = *reinterpret_cast<SerialBoardRecord*>(r);
  const CheckServices& s = Services();
  if (store && bus == kBusPci) {
    SetRunNone(r, f.io, 0, 4);
    SetRunNone(r, f.irq, 0, 4);
  }
  if (store && bus == kBusPcCard) {
    const int from = IsWin9x(s.osGeneration()) ? 0 : 1;
    SetRunNone(r, f.io, from, 8);
    SetRunNone(r, f.irq, from, 8);
  }
  const uint32_t n = static_cast<uint32_t>(rec.channelLast) - static_cast<uint32_t>(rec.channelFirst) + 1u;
  if (n < 8) {
    SetRunNone(r, f.io, static_cast<int>(n), 8);
    SetRunNone(r, f.irq, static_cast<int>(n), 8);
  }
  char controller[kComControllerBytes] = {};
  if (s.boardInfoItem(rec.head.boardName, kSerialControllerItem, controller, nullptr, nullptr) == 0) {
    controller[kComControllerBytes - 1] = '\0';
    std::memcpy(rec.comController, controller, sizeof controller);
  }
  // Only eight ports exist, whatever range or channel count the record and
  // the model claim.
  const uint32_t channels = static_cast<uint32_t>(std::max(0, s.serialChannelCount(rec.head.boardName)));
  const int m = static_cast<int>(std::min({n, channels, uint32_t{8}}));
  const bool oneUnit = IsOneUnitSerialModel(rec.head.boardName);
  if (oneUnit || s.machineType() == xanconfig::kMachinePc98) {
    for (int i = 0; i < m; ++i) rec.ioAddresses[i] = rec.ioAddresses[0];
  }
  if (oneUnit || s.singleInterrupt(rec.head.boardName) != 0) {
    for (int i = 0; i < m; ++i) rec.irqNos[i] = rec.irqNos[0];
  }
  // Ports that share an interrupt take the line of the first of them that has one.
  int sharer = -1;
  for (int i = 0; i < m; ++i) {
    if (s.classifySerialPort(rec.head.boardName, rec.ioAddresses[i]) != 2) continue;
    if (sharer >= 0) {
      rec.irqNos[i] = rec.irqNos[sharer];
    } else if (rec.irqNos[i] != 0) {
      sharer = i;
    }
  }
}

}  // namespace

void NormalizeBoardRecord(int32_t kind, void* record, int32_t mode) {
  const KindFields* f = FieldsOf(kind);
  if (f == nullptr || record == nullptr || (mode != 1 && mode != kNormaliseStore)) return;
  auto* r = static_cast<unsigned char*>(record);
  auto& head = *reinterpret_cast<RecordHead*>(r);
  const CheckServices& s = Services();
  const bool store = mode == kNormaliseStore;

  if (kind == 3) {
    const uint32_t version = s.driverVersion(3);
    if (version >= 202 && version <= 241) s.mapDigitalVariant(head.driverNumber, head.boardName, 1);
  }
  const int32_t bus = s.busType(head.boardName);

  const bool keepsId = (bus == kBusPci && (f->boardIdBuses & kKeepOnPci)) ||
                       (bus == kBusModule && (f->boardIdBuses & kKeepOnModule)) ||
                       (bus == kBusUsb && (f->boardIdBuses & kKeepOnUsb));
  if (!keepsId) SetInt(r, f->boardId, -1);
  if (kind != 1 && store && (bus == kBusPci || bus == kBusPcCard)) {
    SetRunNone(r, f->io, 0, f->io.count);
    SetRunNone(r, f->irq, 0, f->irq.count);
  }
  // A group's interrupt lines belong to its first board.
  if (HasGroups(kind) && head.boardNumber != 1) SetRunNone(r, f->irq, 0, f->irq.count);
  if (store) SetInt(r, f->slotNo, -1);
  if (f->dma != 0) SetInt(r, f->dma, -1);
  SetInt(r, f->memoryAddress, -1);

  switch (kind) {
    case 1:
      NormaliseSerial(r, *f, bus, store);
      break;
    case 4: {
      auto& rec = *reinterpret_cast<GpibBoardRecord*>(r);
      if (rec.handshakeTiming != 350 && rec.handshakeTiming != 500 && rec.handshakeTiming != 2000) {
        rec.handshakeTiming = 500;
      }
      break;
    }
    case 6: {
      int32_t axes = 0;
      if (s.boardInfoItem(head.boardName, kStepperAxisCountItem, &axes, nullptr, nullptr) == 0) {
        reinterpret_cast<StepperBoardRecord*>(r)->axisNum = axes;
      }
      break;
    }
    case 7: {
      auto& rec = *reinterpret_cast<ComPortBoardRecord*>(r);
      const uint32_t channels = static_cast<uint32_t>(s.serialChannelCount(head.boardName));
      rec.channelLast = static_cast<int32_t>(static_cast<uint32_t>(rec.channelFirst) + channels - 1u);
      if (bus == kBusPci) rec.portOption = 1;
      break;
    }
    default:
      break;
  }
}

}  // namespace tarnix
