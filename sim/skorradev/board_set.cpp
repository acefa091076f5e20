#include "board_set.h"

#include <platform/device.h>
#include <winreg.h>

#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <strings.h>
#include <vector>

#include "board.h"

namespace skorradev {

namespace {

constexpr const char* kClassKey = "System\\CurrentControlSet\\Services\\Class\\SKORRA";

struct BoardConfig {
  DWORD number;
  DWORD boardId;
  DWORD model;
};

// One registered device name and the boards behind it: one board for the
// NT name, every board of one board id for the shared 9x name.
struct Device {
  std::string name;
  std::vector<Board*> boards;
  PlatDeviceDriver driver{};
};

Board* routeOf(PlatRequest* request) {
  auto* device = static_cast<Device*>(request->file->driver->context);
  if (device->boards.size() == 1) return device->boards.front();
  // A shared handle names its device in the first input dword.
  FunctionShape shape{};
  const DWORD function = SKORRADEV_FUNCTION_OF(request->code);
  if (functionShape(function, shape) && shape.numbered && request->inputSize >= 4) {
    DWORD n = 0;
    std::memcpy(&n, request->inputBuffer, 4);
    if (function == SKDF_LV_READ_DATA) n &= 0xFFFF;
    for (Board* board : device->boards) {
      if (board->number() == n) return board;
    }
  }
  return device->boards.front();
}

LONG deviceCreate(PlatFile* file) {
  for (Board* board : static_cast<Device*>(file->driver->context)->boards) board->fileOpened();
  return PLAT_STATUS_SUCCESS;
}

void deviceCleanup(PlatFile* file) {
  for (Board* board : static_cast<Device*>(file->driver->context)->boards) board->fileClosed();
}

LONG deviceControl(PlatRequest* request) {
  return routeOf(request)->dispatch(request, SKORRADEV_FUNCTION_OF(request->code));
}

class BoardSet {
 public:
  ~BoardSet() {
    std::lock_guard<std::mutex> lock(mutex_);
    // A device still open at exit keeps its driver and boards: the platform
    // may yet cancel its requests, and the driver must outlive its files.
    for (auto& device : devices_) {
      bool open = false;
      for (Board* board : device->boards) open = open || board->isOpen();
      if (!open) {
        PlatUnregisterDevice(device->name.c_str());
        continue;
      }
      for (Board* board : device->boards) {
        board->stopClock();
        boards_[board->number()].release();
      }
      device.release();
    }
    devices_.clear();
    boards_.clear();
  }

  void ensure() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!loaded_) loadLocked();
  }

  void reload() {
    std::lock_guard<std::mutex> lock(mutex_);
    loadLocked();
  }

  Board* byNumber(DWORD n) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!loaded_) loadLocked();
    auto it = boards_.find(n);
    return it == boards_.end() ? nullptr : it->second.get();
  }

  bool isPath(const char* path) {
    if (path == nullptr || std::strncmp(path, "\\\\.\\", 4) != 0) return false;
    std::lock_guard<std::mutex> lock(mutex_);
    if (!loaded_) loadLocked();
    for (const auto& device : devices_) {
      if (strcasecmp(device->name.c_str(), path + 4) == 0) return true;
    }
    return false;
  }

 private:
  static std::vector<BoardConfig> readRegistry() {
    HKEY classKey = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kClassKey, 0, KEY_READ, &classKey) != ERROR_SUCCESS) {
      return {{1, 1, 4591}, {2, 2, 4597}};
    }
    std::vector<BoardConfig> found;
    char name[64];
    for (DWORD index = 0;; ++index) {
      DWORD length = sizeof name;
      if (RegEnumKeyExA(classKey, index, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
      char* end = nullptr;
      const unsigned long n = std::strtoul(name, &end, 10);
      if (end == name || *end != '\0' || n < 1 || n > 255) continue;
      BoardConfig config{static_cast<DWORD>(n), static_cast<DWORD>(n), 4591};
      HKEY boardKey = nullptr;
      if (RegOpenKeyExA(classKey, name, 0, KEY_READ, &boardKey) == ERROR_SUCCESS) {
        for (auto [value, into] : {std::pair{"Board", &config.boardId}, std::pair{"Model", &config.model}}) {
          DWORD data = 0, size = sizeof data, type = 0;
          if (RegQueryValueExA(boardKey, value, nullptr, &type, reinterpret_cast<BYTE*>(&data), &size) ==
                  ERROR_SUCCESS &&
              type == REG_DWORD) {
            *into = data;
          }
        }
        RegCloseKey(boardKey);
      }
      found.push_back(config);
    }
    RegCloseKey(classKey);
    return found;
  }

  static std::string sharedName(DWORD boardId) {
    return std::string((boardId & 0x80000000u) ? "QV" : "ZT") + std::to_string(boardId & 0xFFFF);
  }

  void loadLocked() {
    loaded_ = true;
    const std::vector<BoardConfig> configs = readRegistry();
    // Drop what is closed; open boards stay as they are.
    for (auto& device : devices_) PlatUnregisterDevice(device->name.c_str());
    std::map<DWORD, std::unique_ptr<Board>> kept;
    for (auto& [n, board] : boards_) {
      if (board->isOpen()) kept.emplace(n, std::move(board));
    }
    std::vector<std::unique_ptr<Device>> keptDevices;
    for (auto& device : devices_) {
      bool open = false;
      for (Board* board : device->boards) open = open || kept.count(board->number()) != 0;
      if (open) keptDevices.push_back(std::move(device));
    }
    for (auto& device : keptDevices) {
      std::erase_if(device->boards, [&kept](Board* b) { return kept.count(b->number()) == 0; });
    }
    boards_ = std::move(kept);
    devices_ = std::move(keptDevices);
    for (const BoardConfig& config : configs) {
      if (boards_.count(config.number) != 0) continue;
      const BoardModel* model = findModel(config.model);
      boards_.emplace(config.number,
                      std::make_unique<Board>(config.number, config.boardId, model ? *model : defaultModel()));
    }
    std::map<std::string, Device*> byName;
    for (auto& device : devices_) byName[device->name] = device.get();
    auto add = [&](const std::string& name, Board* board) {
      Device*& device = byName[name];
      if (device == nullptr) {
        devices_.push_back(std::make_unique<Device>());
        device = devices_.back().get();
        device->name = name;
      }
      for (Board* b : device->boards) {
        if (b == board) return;
      }
      device->boards.push_back(board);
    };
    for (auto& [n, board] : boards_) {
      add("SKORRA" + std::to_string(n), board.get());
      add(sharedName(board->boardId()), board.get());
    }
    for (auto& device : devices_) {
      device->driver.context = device.get();
      device->driver.create = deviceCreate;
      device->driver.cleanup = deviceCleanup;
      device->driver.deviceControl = deviceControl;
      PlatRegisterDevice(device->name.c_str(), &device->driver);
    }
  }

  std::mutex mutex_;
  bool loaded_ = false;
  std::map<DWORD, std::unique_ptr<Board>> boards_;
  std::vector<std::unique_ptr<Device>> devices_;
};

BoardSet& boardSet() {
  static BoardSet set;
  return set;
}

}  // namespace

void ensureBoards() { boardSet().ensure(); }
void reloadBoards() { boardSet().reload(); }
Board* boardByNumber(DWORD n) { return boardSet().byNumber(n); }
bool isBoardPath(const char* path) { return boardSet().isPath(path); }

}  // namespace skorradev
