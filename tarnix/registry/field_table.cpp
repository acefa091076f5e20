#include "field_table.h"

#include <cstddef>
#include <cstring>
#include <string>

#include "tables/board_models.h"

namespace tarnix {

namespace {

using xanconfig::BoardSlot;
using xanconfig::DriverBlock;
using xanconfig::GroupSlot;
namespace v = xanconfig::value;

constexpr uint32_t kAll = KindBit(1) | KindBit(2) | KindBit(3) | KindBit(4) | KindBit(5) | KindBit(6) | KindBit(7) |
                          KindBit(10);
constexpr uint32_t kNotComPort = kAll & ~KindBit(7);
constexpr uint32_t kGrouped = KindBit(2) | KindBit(3);
constexpr uint32_t kBoardCount = KindBit(1) | KindBit(4) | KindBit(5) | KindBit(6) | KindBit(10);
constexpr uint32_t kSerialPorts = KindBit(1) | KindBit(7);
constexpr uint32_t kOneIo = kAll & ~KindBit(1);
constexpr uint32_t kOneIrq = KindBit(4) | KindBit(5) | KindBit(7) | KindBit(10);
constexpr uint32_t kDmaKinds = kAll & ~KindBit(4);
constexpr uint32_t kOneObject = KindBit(4) | KindBit(5) | KindBit(6) | KindBit(10);
constexpr uint32_t kNone = 0;

// A row's shorthand: a field both loaded and stored by the kinds given;
// the rest refines it.
struct Row : FieldRule {
  constexpr Row(const char* name, FieldType type, std::size_t offset, std::size_t width, uint32_t kinds)
      : FieldRule{name, type, static_cast<uint32_t>(offset), static_cast<uint32_t>(width), kinds, kinds} {}
  constexpr Row missing(LoadRule rule, int32_t arg) const {
    Row r = *this;
    r.load = rule;
    r.loadArg = arg;
    return r;
  }
  // Written only, never read back.
  constexpr Row written(StoreRule rule, int32_t arg = 0) const {
    Row r = *this;
    r.loadKinds = kNone;
    r.store = rule;
    r.storeArg = arg;
    return r;
  }
  constexpr Row storedBy(uint32_t kinds) const {
    Row r = *this;
    r.storeKinds = kinds;
    return r;
  }
  constexpr Row counts(int32_t capacity) const {
    Row r = *this;
    r.capacity = capacity;
    return r;
  }
  constexpr Row run(uint8_t first, uint8_t count) const {
    Row r = *this;
    r.first = first;
    r.count = count;
    return r;
  }
};

constexpr Row dword(const char* name, std::size_t offset, uint32_t kinds) {
  return Row(name, FieldType::Dword, offset, sizeof(int32_t), kinds);
}
constexpr Row text(const char* name, std::size_t offset, std::size_t width, uint32_t kinds) {
  return Row(name, FieldType::Text, offset, width, kinds);
}
// A value the COM-port driver's service key gets at every store.
constexpr Row comPortFixed(const char* name, int32_t value) {
  return dword(name, 0, KindBit(7)).written(StoreRule::Fixed, value);
}

constexpr int32_t kRxFifoItem = 0x10002;
constexpr int32_t kTxFifoItem = 0x10003;
constexpr int32_t kForceFifoItem = 0x10004;
constexpr int32_t kAutoRs485Item = 0x10005;
constexpr int32_t kAxisCountItem = 0x60001;

constexpr std::size_t kInt = sizeof(int32_t);

const FieldRule kServiceRows[] = {
    dword(v::kErrorControl, offsetof(DriverBlock, errorControl), kAll).storedBy(kNotComPort),
    comPortFixed(v::kErrorControl, 1),
    comPortFixed(v::kForceFifoEnable, 1),
    text(v::kGroup, offsetof(DriverBlock, group), xanconfig::kGroupNameBytes, kAll),
    comPortFixed(v::kLogFifo, 0),
    comPortFixed(v::kPermitShare, 0),
    comPortFixed(v::kRxFifo, 8),
    comPortFixed(v::kTxFifo, 1),
    dword(v::kStart, offsetof(DriverBlock, start), kAll),
    comPortFixed(v::kTag, 1),
    dword(v::kType, offsetof(DriverBlock, type), kAll),
    comPortFixed(v::kSetRegistry, 1),
    text(v::kDefineDir, offsetof(DriverBlock, defineDir), xanconfig::kDefineDirBytes, kNotComPort),
    dword(v::kMachineType, offsetof(DriverBlock, machineType), kNotComPort),
    dword(v::kBoardNum, offsetof(DriverBlock, boardNum), kBoardCount).counts(xanconfig::kMaxServiceBoards),
    dword(v::kGroupNum, offsetof(DriverBlock, groupNum), kGrouped).counts(xanconfig::kMaxGroups),
};

const FieldRule kGroupRows[] = {
    dword(v::kBoardNum, offsetof(GroupSlot, boardNum), kGrouped).counts(xanconfig::kMaxGroupBoards),
    dword(v::kIrqNo, offsetof(GroupSlot, irqNo), KindBit(2)),
    dword(v::kIrqNo, offsetof(GroupSlot, digitalIrqNos), KindBit(3)),
    dword(v::kIrqNo, offsetof(GroupSlot, digitalIrqNos) + kInt, KindBit(3)).missing(LoadRule::Fixed, -1).run(2, 3),
    text(v::kObjectName, offsetof(GroupSlot, objectName), xanconfig::kObjectNameBytes, kGrouped),
};

// In the order of the board record. The board name comes first: the model
// rules of the later rows look the model up by it.
const FieldRule kBoardRows[] = {
    text(v::kBoardName, offsetof(BoardSlot, boardName), xanconfig::kBoardNameBytes, kAll),
    dword(v::kInterfaceType, 0, KindBit(7)).written(StoreRule::InterfaceType),
    dword(v::kBoardType, offsetof(BoardSlot, boardType), kAll).storedBy(kNotComPort),
    dword(v::kIoAddress, offsetof(BoardSlot, ioAddress), kOneIo),
    dword(v::kIoAddress, offsetof(BoardSlot, ioAddresses), KindBit(1)).run(1, 8),
    dword(v::kIrqNo, offsetof(BoardSlot, irqNo), kOneIrq),
    dword(v::kIrqNo, offsetof(BoardSlot, irqNos), KindBit(1) | KindBit(6)).run(1, 2),
    dword(v::kIrqNo, offsetof(BoardSlot, irqNos) + 2 * kInt, KindBit(1)).run(3, 6),
    dword(v::kDma, offsetof(BoardSlot, dma), kDmaKinds),
    dword(v::kMemoryAddress, offsetof(BoardSlot, memoryAddress), kAll),
    dword(v::kBoardConfig, offsetof(BoardSlot, boardConfig), kGrouped),
    dword(v::kChannelFirst, offsetof(BoardSlot, channelFirst), kSerialPorts),
    dword(v::kChannelLast, offsetof(BoardSlot, channelLast), kSerialPorts),
    dword(v::kMyAddress, offsetof(BoardSlot, myAddress), KindBit(4)),
    dword(v::kMasterMode, offsetof(BoardSlot, masterMode), KindBit(4)),
    dword(v::kDmaCh, offsetof(BoardSlot, dmaCh), KindBit(4)),
    dword(v::kDmaMode, offsetof(BoardSlot, dmaMode), KindBit(4)),
    dword(v::kHandshakeTiming, offsetof(BoardSlot, handshakeTiming), KindBit(4)).missing(LoadRule::Fixed, 500),
    dword(v::kBaudRateType, offsetof(BoardSlot, baudRateType), kSerialPorts),
    dword(v::kBoardId, offsetof(BoardSlot, boardId), kAll),
    dword(v::kDeviceId, offsetof(BoardSlot, deviceId), kAll),
    dword(v::kSlotNo, offsetof(BoardSlot, slotNo), kAll),
    dword(v::kFifoFlowEnable, offsetof(BoardSlot, fifoFlowEnable), KindBit(1)),
    dword(v::kRxFifo, offsetof(BoardSlot, rxFifo), kSerialPorts).missing(LoadRule::ModelWhenMissing, kRxFifoItem),
    text(v::kComController, offsetof(BoardSlot, comController), xanconfig::kComControllerBytes, KindBit(1)),
    dword(v::kAxisNum, offsetof(BoardSlot, axisNum), KindBit(6)).missing(LoadRule::ModelFirst, kAxisCountItem),
    dword(v::kBaseEnhMode, offsetof(BoardSlot, baseEnhMode), KindBit(6)),
    text(v::kHardwareKey, offsetof(BoardSlot, hardwareKey), xanconfig::kObjectNameBytes, kAll),
    text(v::kObjectName, offsetof(BoardSlot, objectName), xanconfig::kObjectNameBytes, kOneObject),
    text(v::kObjectName, offsetof(BoardSlot, objectNames), xanconfig::kObjectNameBytes, kSerialPorts).run(1, 8),
    dword(v::kForceFifoEnable, offsetof(BoardSlot, forceFifoEnable), KindBit(1))
        .missing(LoadRule::ModelWhenMissing, kForceFifoItem),
    dword(v::kForceFifoEnable, offsetof(BoardSlot, forceFifoEnable), KindBit(7)).missing(LoadRule::Fixed, 1),
    dword(v::kTxFifo, offsetof(BoardSlot, txFifo), kSerialPorts).missing(LoadRule::ModelWhenMissing, kTxFifoItem),
    dword(v::kAutoRs485Enable, 0, kSerialPorts).written(StoreRule::ModelInfo, kAutoRs485Item),
    dword(v::kAutoRs485Execution, 0, kSerialPorts).written(StoreRule::Fixed, 0),
};

const FieldRule kAxisRows[] = {
    text(v::kObjectName, 0, xanconfig::kObjectNameBytes, KindBit(6)),
};

// The model's 32-bit board information item, when the model has it.
bool modelItem(const char* model, int32_t code, int32_t& out) {
  if (model == nullptr || model[0] == '\0') return false;
  int32_t value = 0;
  if (GetBoardInfoItem(model, code, &value, nullptr, nullptr) != 0) return false;
  out = value;
  return true;
}

std::string fieldName(const FieldRule& rule, int i) {
  return rule.count == 0 ? std::string(rule.name) : NumberedKey(rule.name, rule.first + i);
}

std::size_t stride(const FieldRule& rule) { return rule.type == FieldType::Text ? rule.width : kInt; }

bool usedBy(uint32_t kinds, int32_t kind) { return kind >= 0 && kind < 32 && (kinds & KindBit(kind)) != 0; }

int32_t loadedDword(const FieldRule& rule, const RegKey& key, const char* name, const char* model) {
  int32_t value = 0;
  const bool present = key.readDword(name, value) == 0;
  switch (rule.load) {
    case LoadRule::Zero:
      break;
    case LoadRule::Fixed:
      if (!present) value = rule.loadArg;
      break;
    case LoadRule::ModelWhenMissing:
      if (!present && !modelItem(model, rule.loadArg, value)) value = 0;
      break;
    case LoadRule::ModelFirst:
      modelItem(model, rule.loadArg, value);
      break;
  }
  return rule.capacity > 0 ? xanconfig::clampCount(value, rule.capacity) : value;
}

int32_t storedDword(const FieldRule& rule, const char* field, const char* model, int32_t busType) {
  int32_t value = 0;
  switch (rule.store) {
    case StoreRule::Member:
      std::memcpy(&value, field, kInt);
      break;
    case StoreRule::Fixed:
      value = rule.storeArg;
      break;
    case StoreRule::ModelInfo:
      if (!modelItem(model, rule.storeArg, value)) value = 0;
      break;
    case StoreRule::InterfaceType:
      value = busType == kBusPci ? 5 : busType == kBusPcCard ? 8 : 1;
      break;
  }
  return rule.capacity > 0 ? xanconfig::clampCount(value, rule.capacity) : value;
}

}  // namespace

std::span<const FieldRule> ServiceFields() { return kServiceRows; }
std::span<const FieldRule> GroupFields() { return kGroupRows; }
std::span<const FieldRule> BoardFields() { return kBoardRows; }
std::span<const FieldRule> AxisFields() { return kAxisRows; }

void LoadFields(std::span<const FieldRule> rules, int32_t kind, const RegKey& key, void* record,
                const char* model) {
  char* base = static_cast<char*>(record);
  for (const FieldRule& rule : rules) {
    if (!usedBy(rule.loadKinds, kind)) continue;
    const int n = rule.count == 0 ? 1 : rule.count;
    for (int i = 0; i < n; ++i) {
      const std::string name = fieldName(rule, i);
      char* field = base + rule.offset + static_cast<std::size_t>(i) * stride(rule);
      if (rule.type == FieldType::Text) {
        // A registry text may outrun its field: keep what fits.
        char text[xanconfig::kLongestValueBytes];
        key.readText(name.c_str(), text);
        const std::size_t length = strnlen(text, rule.width - 1);
        std::memcpy(field, text, length);
        field[length] = '\0';
      } else {
        const int32_t value = loadedDword(rule, key, name.c_str(), model);
        std::memcpy(field, &value, kInt);
      }
    }
  }
}

int32_t StoreFields(std::span<const FieldRule> rules, int32_t kind, const RegKey& key, const void* record,
                    const char* model, int32_t busType) {
  const char* base = static_cast<const char*>(record);
  int32_t failed = 0;
  for (const FieldRule& rule : rules) {
    if (!usedBy(rule.storeKinds, kind)) continue;
    const int n = rule.count == 0 ? 1 : rule.count;
    for (int i = 0; i < n; ++i) {
      const std::string name = fieldName(rule, i);
      const char* field = base + rule.offset + static_cast<std::size_t>(i) * stride(rule);
      int32_t status = 0;
      if (rule.type == FieldType::Text) {
        status = key.writeText(name.c_str(), std::string(field, strnlen(field, rule.width - 1)).c_str());
      } else {
        status = key.writeDword(name.c_str(), storedDword(rule, field, model, busType));
      }
      if (status != 0) ++failed;
    }
  }
  return failed;
}

}  // namespace tarnix
