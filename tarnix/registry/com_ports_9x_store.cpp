// The kind-7 image -> the Windows 9x COM-port configuration in the Plug and
// Play tree: the USB unit's COM numbers and port options, the children of
// the configured PCI and root boards; children of boards no longer
// configured are deleted.
#include <strings.h>

#include <cstring>
#include <span>

#include "com_ports_9x.h"
#include "image/kind_images.h"
#include "pci_revision.h"
#include "registry_access.h"

namespace tarnix {

namespace {

using xanconfig::BoardSlot;
using namespace com9x;

constexpr int32_t kAutoRs485Item = 0x10005;

bool IsModel(const BoardSlot& slot, const char* model) {
  return std::strncmp(slot.boardName, model, xanconfig::kBoardNameBytes) == 0;
}
bool IsRootBus(int32_t busType) { return busType == kBusLegacy || busType == kBusModule; }
bool IsEnd(const BoardModelRow& row) { return std::strncmp(row.name, kEndName, sizeof row.name) == 0; }

std::string ComText(int32_t number) { return "COM" + std::to_string(number); }

// One port's child key: its COM number, the FIFO values and the serial
// data of the model.
void WritePort(const RegKey& child, const BoardSlot& slot, int32_t port) {
  int32_t autoRs485 = 0;
  if (GetBoardInfoItem(slot.boardName, kAutoRs485Item, &autoRs485, nullptr, nullptr) != 0) autoRs485 = 0;
  child.writeText(kPortName, ComText(slot.channelFirst + port).c_str());
  child.writeDword(xanconfig::value::kForceFifoEnable, slot.forceFifoEnable);
  child.writeDword(xanconfig::value::kRxFifo, slot.rxFifo);
  child.writeDword(xanconfig::value::kTxFifo, slot.txFifo);
  child.writeDword(xanconfig::value::kAutoRs485Enable, autoRs485);
  child.writeDword(xanconfig::value::kAutoRs485Execution, 0);
}

class ComPortsStore {
 public:
  explicit ComPortsStore(std::span<const BoardSlot> boards) : boards_(boards) {}

  void usbUnit() const {
    std::optional<int32_t> oldCom[kUsbUnits];
    {
      RegKey unit;
      unit.open(kUsbUnitKey, KEY_READ);
      for (int32_t u = 0; u < kUsbUnits; ++u) {
        char text[xanconfig::kLongestValueBytes];
        if (unit.readText(Number4(u).c_str(), text) == 0) oldCom[u] = DecimalOf(text);
      }
    }
    for (int32_t u = 0; u < kUsbUnits; ++u) DeleteRegValue(kUsbUnitKey, Number4(u).c_str());
    for (const BoardSlot& slot : boards_) {
      if (!IsModel(slot, kUsbUnitModel) || slot.boardId < 0 || slot.boardId >= kUsbUnits) continue;
      WriteRegValue(kUsbUnitKey, REG_SZ, Number4(slot.boardId).c_str(), std::to_string(slot.channelFirst).c_str(), 0);
    }
    const int32_t ports = ComDefaultsOf(kUsbUnitModel).ports;
    for (int32_t d = 1; d <= kUsbDevices; ++d) {
      const std::string device = std::string(kUsbUnitKey) + "\\DEV" + std::to_string(d) + "_PORT";
      char text[xanconfig::kLongestValueBytes] = {};
      if (ReadRegValue((device + "0").c_str(), REG_SZ, kUsbPortName, text, nullptr) != 0) continue;
      const std::optional<int32_t> com = ComNumberOf(text);
      if (!com) continue;
      for (const BoardSlot& slot : boards_) {
        if (!IsModel(slot, kUsbUnitModel) || slot.boardId < 0 || slot.boardId >= kUsbUnits) continue;
        if (oldCom[slot.boardId] != com) continue;
        for (int32_t l = 0; l < ports; ++l) {
          const std::string port = device + std::to_string(l);
          WriteRegValue(port.c_str(), REG_DWORD, kTxSync, nullptr, slot.portOption);
          WriteRegValue(port.c_str(), REG_SZ, kUsbPortName, ComText(slot.channelFirst + l).c_str(), 0);
        }
        break;
      }
    }
  }

  void pciBoards() const {
    for (const BoardSlot& slot : boards_) {
      if (FindModelBusType(slot.boardName) != kBusPci) continue;
      const std::string prefix = PciHardwareId(static_cast<uint32_t>(FindModelDeviceId(slot.boardName)));
      const int32_t ports = ComDefaultsOf(slot.boardName).ports;
      for (int32_t i = 0; i < ports; ++i) {
        RegKey children;
        if (children.open(ChildKey(i), KEY_READ) != 0) continue;
        char name[xanconfig::kLongestValueBytes];
        for (DWORD k = 0; children.subkeyName(k, name) == 0; ++k) {
          if (std::strncmp(name, prefix.c_str(), prefix.size()) != 0) continue;
          if (ReadPciRevision(name) != slot.boardId) continue;
          RegKey child;
          if (child.open(JoinKey(ChildKey(i), name), KEY_ALL_ACCESS) == 0) WritePort(child, slot, i);
          break;
        }
      }
    }
  }

  // Every child of a PCI model that no configured board claims; after a
  // deletion the enumeration starts again.
  void stalePciChildren() const {
    for (const BoardModelRow& row : SelectBoardModelTable(7)) {
      if (IsEnd(row)) break;
      if (row.busType != kBusPci) continue;
      const std::string prefix = PciHardwareId(row.deviceId);
      const int32_t ports = ComDefaultsOf(row.name).ports;
      for (int32_t i = 0; i < ports; ++i) {
        const std::string parent = ChildKey(i);
        DWORD k = 0;
        char name[xanconfig::kLongestValueBytes];
        for (;;) {
          RegKey children;
          if (children.open(parent, KEY_READ) != 0 || children.subkeyName(k, name) != 0) break;
          children = RegKey();
          if (std::strncmp(name, prefix.c_str(), prefix.size()) != 0 || claimed(row.deviceId, ReadPciRevision(name))) {
            ++k;
          } else if (DeleteRegKey(parent.c_str(), name) == 0) {
            k = 0;
          } else {
            ++k;  // a child that cannot go is passed over
          }
        }
      }
    }
  }

  void rootBoards() const {
    for (const BoardSlot& slot : boards_) {
      if (!IsRootBus(FindModelBusType(slot.boardName))) continue;
      const std::optional<int32_t> n = RootNumberOf(slot.hardwareKey);
      if (!n) continue;
      const int32_t ports = ComDefaultsOf(slot.boardName).ports;
      for (int32_t i = 0; i < ports; ++i) {
        RegKey child;
        if (child.create(JoinKey(ChildKey(i), RootDeviceName(*n))) == 0) WritePort(child, slot, i);
      }
    }
  }

  void staleRootDevices() const {
    for (int32_t n = 0; n < kRootDevices; ++n) {
      char text[xanconfig::kLongestValueBytes] = {};
      const std::string device = JoinKey(kRootMfKey, Number4(n));
      if (ReadRegValue(device.c_str(), REG_SZ, kDeviceDesc, text, nullptr) != 0) continue;
      if (ModelByDescription(text) == nullptr || rootClaimed(n)) continue;
      for (int32_t i = 0; i < kRootChildren; ++i) DeleteRegKey(ChildKey(i).c_str(), RootDeviceName(n).c_str());
      DeleteRegKey(kRootMfKey, Number4(n).c_str());
    }
  }

 private:
  bool claimed(uint32_t deviceId, int32_t revision) const {
    for (const BoardSlot& slot : boards_) {
      if (FindModelBusType(slot.boardName) != kBusPci) continue;
      if (FindModelDeviceId(slot.boardName) == static_cast<int32_t>(deviceId) && slot.boardId == revision) return true;
    }
    return false;
  }

  bool rootClaimed(int32_t n) const {
    for (const BoardSlot& slot : boards_) {
      if (IsRootBus(FindModelBusType(slot.boardName)) && RootNumberOf(slot.hardwareKey) == n) return true;
    }
    return false;
  }

  std::span<const BoardSlot> boards_;
};

}  // namespace

int32_t StoreComPortsWin9x() {
  const std::span<xanconfig::DriverBlock> image = KindImage(7);
  if (image.empty()) return 1;
  const xanconfig::DriverBlock& block = image[0];
  const ComPortsStore store(
      std::span<const BoardSlot>(block.boards, xanconfig::clampCount(block.boardNum, xanconfig::kMaxServiceBoards)));
  store.usbUnit();
  store.pciBoards();
  store.stalePciChildren();
  store.rootBoards();
  store.staleRootDevices();
  return 0;
}

}  // namespace tarnix
