// Configuration image -> registry and driver services, for kinds 1 to 7
// and 10. Every write is attempted; any that fails makes the answer 5.
#include <cstring>
#include <memory>

#include "com_ports_9x.h"
#include "driver_services.h"
#include "field_table.h"
#include "image/kind_images.h"
#include "kind_paths.h"
#include "kind_registry.h"
#include "library_state.h"
#include "registry_access.h"
#include "system/system_info.h"
#include "tables/board_models.h"

namespace tarnix {

namespace {

using xanconfig::BoardSlot;
using xanconfig::DriverBlock;
using xanconfig::GroupSlot;

constexpr int32_t kWriteFailed = 5;

// Serial boards that switch the serial power management off.
constexpr const char* kComPortModels[] = {"COM1", "COM2", "COM3", "COM4"};
constexpr const char* kSerialPowerKey = "System\\CurrentControlSet\\Services\\VxD\\VCOMM";
constexpr const char* kSerialPowerValue = "EnablePowerManagement";
constexpr uint32_t kSerialPowerBytes = 100;

// Digital drivers in this version range keep variant models under their
// base names.
constexpr uint32_t kFirstVariantDriver = 202;
constexpr uint32_t kLastVariantDriver = 241;

class KindStore {
 public:
  KindStore(int32_t kind, PendingDriverStarts* pending) : kind_(kind), pending_(pending) {
    if (kind == 3) {
      const uint32_t version = GetDriverVersion(kind);
      digitalBaseNames_ = version >= kFirstVariantDriver && version <= kLastVariantDriver;
    }
  }

  void block(const xanconfig::DriverFileRow& row, DriverBlock& block) {
    driverNumber_ = row.driverNumber;
    const std::string name = ServiceName(row);
    // The COM-port driver's service is the system's to make.
    std::unique_ptr<CreatedDriverService> service;
    if (kind_ != 7 && block.start == xanconfig::kStartAutomatic) {
      service = std::make_unique<CreatedDriverService>(name.c_str(), 1);
    }
    if (kind_ != 7) std::memcpy(block.defineDir, Library().defineDir, sizeof block.defineDir);

    const std::string servicePath = ServiceKeyPath(row);
    const RegKey key = created(servicePath);
    failures_ += StoreFields(ServiceFields(), kind_, key, &block, nullptr, kBusLegacy);
    switch (xanconfig::kindInfo(kind_)->form) {
      case xanconfig::RegistryForm::GroupsAndBoards: {
        const int32_t groups = xanconfig::clampCount(block.groupNum, xanconfig::kMaxGroups);
        for (int32_t g = 1; g <= groups; ++g) group(GroupKeyPath(servicePath, g), block.groups[g - 1]);
        break;
      }
      default: {
        const std::string parent = BoardParentPath(kind_, servicePath);
        const int32_t boards = xanconfig::clampCount(block.boardNum, xanconfig::kMaxServiceBoards);
        for (int32_t b = 1; b <= boards; ++b) board(BoardKeyPath(parent, b), block.boards[b - 1]);
        break;
      }
    }
    if (!service) return;
    if (pending_ != nullptr) {
      pending_->push_back(std::move(service));
    } else {
      service->start();
    }
  }

  // After the last row, the serial kind tells the system's serial driver
  // whether a board needs its power management off.
  void finish() {
    if (kind_ != 1) return;
    uint8_t data[kSerialPowerBytes] = {};
    uint32_t size = sizeof data;
    if (ReadRegBinary(kSerialPowerKey, kSerialPowerValue, data, &size) != 0) return;
    if (powerManagementOff_) {
      std::memset(data, 0, size < 4 ? size : 4);
    } else if (size > 0) {
      data[0] = 1;
    }
    if (WriteRegBinary(kSerialPowerKey, kSerialPowerValue, data, size) != 0) ++failures_;
  }

  int32_t result() const { return failures_ == 0 ? 0 : kWriteFailed; }

 private:
  RegKey created(const std::string& path) {
    RegKey key;
    if (key.create(path) != 0) ++failures_;
    return key;
  }

  void group(const std::string& path, const GroupSlot& group) {
    const RegKey key = created(path);
    failures_ += StoreFields(GroupFields(), kind_, key, &group, nullptr, kBusLegacy);
    const char* firstModel = group.boards[0].boardName;
    WriteDeviceListEntry(group.objectName, firstModel, kind_, FindModelBusType(firstModel));
    const int32_t boards = xanconfig::clampCount(group.boardNum, xanconfig::kMaxGroupBoards);
    for (int32_t b = 1; b <= boards; ++b) board(BoardKeyPath(path, b), group.boards[b - 1]);
  }

  void board(const std::string& path, const BoardSlot& slot) {
    const int32_t busType = FindModelBusType(slot.boardName);
    const RegKey key = created(path);
    if (digitalBaseNames_) {
      BoardSlot stored = slot;
      MapDigitalVariantName(driverNumber_, stored.boardName, 0);
      failures_ += StoreFields(BoardFields(), kind_, key, &stored, stored.boardName, busType);
    } else {
      failures_ += StoreFields(BoardFields(), kind_, key, &slot, slot.boardName, busType);
    }
    switch (kind_) {
      case 1:
      case 7:
        for (const auto& name : slot.objectNames) WriteDeviceListEntry(name, slot.boardName, kind_, busType);
        if (kind_ == 1) notePowerManagement(slot.boardName, busType);
        break;
      case 6:
        for (int32_t a = 1; a <= xanconfig::kAxesPerBoard; ++a) {
          const RegKey axis = created(AxisKeyPath(path, a));
          failures_ += StoreFields(AxisFields(), kind_, axis, slot.objectNames[a - 1], nullptr, busType);
          WriteDeviceListEntry(slot.objectNames[a - 1], slot.boardName, kind_, busType);
        }
        break;
      case 2:
      case 3:
        break;  // the group's object name is the entry
      default:
        WriteDeviceListEntry(slot.objectName, slot.boardName, kind_, busType);
        break;
    }
  }

  void notePowerManagement(const char* model, int32_t busType) {
    if (busType == kBusPcCard) powerManagementOff_ = true;
    for (const char* port : kComPortModels) {
      if (std::strncmp(model, port, xanconfig::kBoardNameBytes) == 0) powerManagementOff_ = true;
    }
  }

  int32_t kind_;
  PendingDriverStarts* pending_;
  int32_t driverNumber_ = 0;
  bool digitalBaseNames_ = false;
  bool powerManagementOff_ = false;
  int32_t failures_ = 0;
};

}  // namespace

void StartDriverServices(PendingDriverStarts& pending) {
  for (const std::unique_ptr<CreatedDriverService>& service : pending) service->start();
  pending.clear();
}

int32_t StoreKindImage(int32_t kind, PendingDriverStarts* pending) {
  const std::span<DriverBlock> image = KindImage(kind);
  const xanconfig::DriverFileTable table = SelectDriverFileTable(kind);
  if (image.empty() || table.empty()) return 1;
  if (kind == 7 && IsWin9x(GetOsGeneration())) return StoreComPortsWin9x();
  PurgeDeviceList(kind);
  KindStore store(kind, pending);
  for (std::size_t row = 0; row < table.size() && row < image.size() && !IsEndRow(table[row]); ++row) {
    store.block(table[row], image[row]);
  }
  store.finish();
  return store.result();
}

}  // namespace tarnix
