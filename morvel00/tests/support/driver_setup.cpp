#include "driver_setup.h"

#include <installer.h>
#include <ntkrnl/ntkrnl_host.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>

namespace morvel00test {

namespace {

HKEY CreateKey(const std::string& path) {
  HKEY key = nullptr;
  RegCreateKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
  return key;
}
void SetDword(HKEY key, const char* name, uint32_t value) {
  DWORD v = value;
  RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&v), sizeof v);
}
void SetString(HKEY key, const char* name, const std::string& text) {
  RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                 static_cast<DWORD>(text.size() + 1));
}

}  // namespace

BoardEntry DefaultBoard(uint16_t ioBase, uint8_t line, plat::bus::Slot slot) {
  BoardEntry board;
  board.spec = *morvelboard::SpecForModel("MVA-1216PCI");
  board.spec.ioBase = ioBase;
  board.spec.interruptLine = line;
  board.slot = slot;
  return board;
}

std::vector<std::shared_ptr<morvelboard::MorvelBoard>> Install(const std::vector<GroupEntry>& groups,
                                                                const char* service, int64_t groupNum) {
  const std::string root = std::string("SYSTEM\\CurrentControlSet\\Services\\") + service;
  HKEY key = CreateKey(root);
  SetString(key, "ImagePath", "Morvel00");
  SetDword(key, "Type", 1);
  SetDword(key, "Start", 3);
  SetDword(key, "MachineType", 0);
  SetDword(key, "GroupNum", static_cast<uint32_t>(groupNum >= 0 ? groupNum : groups.size()));
  RegCloseKey(key);
  std::vector<std::shared_ptr<morvelboard::MorvelBoard>> plugged;
  for (size_t k = 0; k < groups.size(); ++k) {
    const GroupEntry& group = groups[k];
    const std::string groupPath = root + "\\GroupNumber" + std::to_string(k + 1);
    HKEY g = CreateKey(groupPath);
    SetDword(g, "BoardNum", static_cast<uint32_t>(group.boardNum >= 0 ? group.boardNum : group.boards.size()));
    SetDword(g, "IrqNo", group.irqNo);
    RegCloseKey(g);
    for (size_t b = 0; b < group.boards.size(); ++b) {
      const BoardEntry& board = group.boards[b];
      HKEY bk = CreateKey(groupPath + "\\BoardNumber" + std::to_string(b + 1));
      SetString(bk, "BoardName", board.spec.model);
      SetDword(bk, "BoardType", board.spec.boardType);
      SetDword(bk, "IoAddress", board.spec.ioBase);
      SetDword(bk, "BoardConfig", board.boardConfig);
      SetDword(bk, "BoardID", board.spec.boardId);
      SetDword(bk, "DeviceID", board.spec.deviceId);
      RegCloseKey(bk);
      if (board.plug) plugged.push_back(morvelboard::PlugBoard(board.slot, board.spec));
    }
  }
  return plugged;
}

FreshMachine::FreshMachine() {
  std::string pattern = (std::filesystem::temp_directory_path() / "morvel00_XXXXXX").string();
  if (::mkdtemp(pattern.data()) != nullptr) dir_ = pattern;
  ::setenv("ORVANE_REGISTRY", (dir_ + "/registry.sqlite").c_str(), 1);
  plat::bus::SetClockMode(plat::bus::ClockMode::Manual);
  plat::bus::UnplugAll();
  NtkClearResourceMap();
}

FreshMachine::~FreshMachine() {
  NtkSetPoolFailureHook(nullptr, nullptr);
  plat::bus::UnplugAll();
  ::unsetenv("ORVANE_REGISTRY");
  std::error_code ignored;
  if (!dir_.empty()) std::filesystem::remove_all(dir_, ignored);
}

}  // namespace morvel00test
