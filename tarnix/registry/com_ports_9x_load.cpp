// The Windows 9x COM-port configuration -> the single block of the kind-7
// image: USB units first, then PCI boards, then boards on the root
// enumerator, at most the block's 64 boards.
#include <cstring>

#include "com_ports_9x.h"
#include "devices/config_device.h"
#include "image/kind_images.h"
#include "kind_paths.h"
#include "pci_revision.h"

namespace tarnix {

namespace {

using xanconfig::BoardSlot;
using xanconfig::DriverBlock;
using namespace com9x;

constexpr int32_t kRoom = 10;

// Cut to the field, the rest zero-filled, always terminated.
void CopyName(char* to, const char* from) {
  const std::size_t n = strnlen(from, xanconfig::kBoardNameBytes - 1);
  std::memcpy(to, from, n);
  std::memset(to + n, 0, xanconfig::kBoardNameBytes - n);
}

// The first I/O range and interrupt a query gave, -1 each when it failed
// or gave none.
struct FirstResources {
  int32_t io[kRoom] = {};
  int32_t ioCount = kRoom;
  int32_t irq[kRoom] = {};
  int32_t irqCount = kRoom;
  ResourceLists lists() { return {io, &ioCount, irq, &irqCount, nullptr, nullptr}; }
  void into(int32_t answer, BoardSlot& slot) const {
    slot.ioAddress = answer == 0 && ioCount > 0 ? io[0] : -1;
    slot.irqNo = answer == 0 && irqCount > 0 ? irq[0] : -1;
  }
};

class ComPortsLoad {
 public:
  explicit ComPortsLoad(DriverBlock& block) : block_(block) { block_.boardNum = 0; }

  void usbUnits() {
    RegKey unit;
    if (unit.open(kUsbUnitKey, KEY_READ) != 0) return;
    std::optional<int32_t> com[kUsbUnits];
    int32_t txsync[kUsbUnits];
    for (int32_t u = 0; u < kUsbUnits; ++u) {
      char text[xanconfig::kLongestValueBytes];
      if (unit.readText(Number4(u).c_str(), text) == 0) com[u] = DecimalOf(text);
      txsync[u] = 1;
    }
    for (int32_t d = 1; d <= kUsbDevices; ++d) {
      RegKey device;
      if (device.open(JoinKey(kUsbUnitKey, "DEV" + std::to_string(d) + "_PORT0"), KEY_READ) != 0) continue;
      char text[xanconfig::kLongestValueBytes];
      if (device.readText(kUsbPortName, text) != 0) continue;
      const std::optional<int32_t> number = ComNumberOf(text);
      int32_t option = 0;
      if (!number || device.readDword(kTxSync, option) != 0) continue;
      for (int32_t u = 0; u < kUsbUnits; ++u) {
        if (com[u] == number) txsync[u] = option;
      }
    }
    for (int32_t u = 0; u < kUsbUnits; ++u) {
      if (!com[u]) continue;
      BoardSlot* slot = next();
      if (slot == nullptr) return;
      CopyName(slot->boardName, kUsbUnitModel);
      slot->ioAddress = -1;
      slot->irqNo = -1;
      slot->channelFirst = *com[u];
      slot->channelLast = *com[u] + 3;
      slot->boardId = u;
      slot->portOption = txsync[u];
    }
  }

  void pciBoards() {
    for (const BoardModelRow& row : SelectBoardModelTable(7)) {
      if (std::strncmp(row.name, kEndName, sizeof row.name) == 0) break;
      if (row.busType == kBusPci) pciBoardsOf(row);
    }
  }

  void rootBoards() {
    for (int32_t n = 0; n < kRootDevices; ++n) {
      RegKey device;
      if (device.open(JoinKey(kRootMfKey, Number4(n)), KEY_READ) != 0) continue;
      char text[xanconfig::kLongestValueBytes];
      if (device.readText(kDeviceDesc, text) != 0) continue;
      const BoardModelRow* row = ModelByDescription(text);
      if (row == nullptr) continue;
      BoardSlot* slot = next();
      if (slot == nullptr) return;
      CopyName(slot->boardName, row->name);
      ports(JoinKey(ChildKey(0), RootDeviceName(n)), *slot);
      std::strncpy(slot->hardwareKey, RootHardwareKey(n).c_str(), xanconfig::kObjectNameBytes - 1);
      FirstResources r;
      r.into(QueryPcCardResources(slot->hardwareKey, r.lists()), *slot);
      slot->boardId = -1;
      slot->portOption = 1;
    }
  }

 private:
  BoardSlot* next() {
    if (block_.boardNum >= xanconfig::kMaxServiceBoards) return nullptr;
    return &block_.boards[block_.boardNum++];
  }

  // A child whose revision's version names this model is one of its boards.
  void pciBoardsOf(const BoardModelRow& row) {
    const std::string prefix = PciHardwareId(row.deviceId);
    RegKey children;
    if (children.open(ChildKey(0), KEY_READ) != 0) return;
    char name[xanconfig::kLongestValueBytes];
    for (DWORD i = 0; children.subkeyName(i, name) == 0; ++i) {
      if (std::strncmp(name, prefix.c_str(), prefix.size()) != 0) continue;
      const int32_t revision = ReadPciRevision(name);
      int32_t version = 0;
      QueryPciVersion(kVendorId, static_cast<int32_t>(row.deviceId), revision, &version);
      char model[xanconfig::kLongestValueBytes] = {};
      if (FindComModelByDeviceId(model, 0, static_cast<int32_t>(row.deviceId), version) != 0) continue;
      if (std::strncmp(model, row.name, sizeof row.name) != 0) continue;
      BoardSlot* slot = next();
      if (slot == nullptr) return;
      CopyName(slot->boardName, row.name);
      ports(JoinKey(ChildKey(0), name), *slot);
      FirstResources r;
      r.into(QueryPciResources(kVendorId, static_cast<int32_t>(row.deviceId), revision, r.lists()), *slot);
      slot->boardId = revision;
      slot->portOption = 1;
    }
  }

  // The first port's child key: the COM number and the FIFO values.
  static void ports(const std::string& childPath, BoardSlot& slot) {
    const ComDefaults defaults = ComDefaultsOf(slot.boardName);
    RegKey child;
    child.open(childPath, KEY_READ);
    char text[xanconfig::kLongestValueBytes];
    std::optional<int32_t> com;
    if (child.readText(kPortName, text) == 0) com = ComNumberOf(text);
    slot.channelFirst = com.value_or(0);
    slot.channelLast = slot.channelFirst + defaults.ports - 1;
    if (child.readDword(xanconfig::value::kForceFifoEnable, slot.forceFifoEnable) != 0) slot.forceFifoEnable = 1;
    if (child.readDword(xanconfig::value::kRxFifo, slot.rxFifo) != 0) slot.rxFifo = defaults.rxFifo;
    if (child.readDword(xanconfig::value::kTxFifo, slot.txFifo) != 0) slot.txFifo = defaults.txFifo;
    slot.ioAddress = -1;
    slot.irqNo = -1;
  }

  DriverBlock& block_;
};

}  // namespace

int32_t LoadComPortsWin9x() {
  const std::span<DriverBlock> image = KindImage(7);
  const xanconfig::DriverFileTable table = SelectDriverFileTable(7);
  if (image.empty() || table.empty()) return 1;
  image[0].driverNumber = table[0].driverNumber;
  ComPortsLoad load(image[0]);
  load.usbUnits();
  load.pciBoards();
  load.rootBoards();
  return 0;
}

}  // namespace tarnix
