#include "installer.h"

#include <strings.h>
#include <winreg.h>

#include <cstdio>

namespace morvelboard {

namespace {

struct Key {
  HKEY handle = nullptr;
  ~Key() {
    if (handle != nullptr) RegCloseKey(handle);
  }
};

bool slotInRange(const plat::bus::Slot& s) { return s.bus <= 255 && s.device <= 31 && s.function <= 7; }

bool setText(HKEY key, const char* name, const std::string& text) {
  return RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                        static_cast<DWORD>(text.size() + 1)) == ERROR_SUCCESS;
}

bool setNumber(HKEY key, const char* name, DWORD value) {
  return RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value) ==
         ERROR_SUCCESS;
}

bool getNumber(HKEY key, const char* name, DWORD& value) {
  DWORD type = 0;
  DWORD size = sizeof value;
  DWORD read = 0;
  if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&read), &size) != ERROR_SUCCESS ||
      type != REG_DWORD) {
    return false;
  }
  value = read;
  return true;
}

bool writeSlot(const plat::bus::Slot& slot, const std::string& model, uint8_t line, const BoardSpec* spec) {
  if (!slotInRange(slot)) return false;
  Key key;
  if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, SlotKey(slot).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                      &key.handle, nullptr) != ERROR_SUCCESS) {
    return false;
  }
  bool ok = setText(key.handle, "Library", kLibraryName) && setText(key.handle, "Model", model) &&
            setNumber(key.handle, "InterruptLine", line);
  if (ok && spec != nullptr) {
    ok = setNumber(key.handle, "BoardType", spec->boardType) && setNumber(key.handle, "DeviceID", spec->deviceId) &&
         setNumber(key.handle, "BoardID", spec->boardId) && setNumber(key.handle, "IoBase", spec->ioBase) &&
         setNumber(key.handle, "InterruptPin", spec->interruptPin) &&
         setNumber(key.handle, "ConfigByte", spec->configByte);
  }
  return ok;
}

// The key path under HKLM, whichever way the caller spelled the root.
std::string underMachine(std::string path) {
  for (const char* root : {"HKEY_LOCAL_MACHINE\\", "HKLM\\", "\\Registry\\Machine\\"}) {
    const size_t n = std::char_traits<char>::length(root);
    if (path.size() >= n && strncasecmp(path.c_str(), root, n) == 0) return path.substr(n);
  }
  return path;
}

}  // namespace

std::string SlotKey(const plat::bus::Slot& slot) {
  char text[64];
  std::snprintf(text, sizeof text, "%s\\%u.%u.%u", kSlotsKey, slot.bus, slot.device, slot.function);
  return text;
}

std::shared_ptr<MorvelBoard> PlugBoard(const plat::bus::Slot& slot, const BoardSpec& spec) {
  if (!CheckSpec(spec).empty()) return nullptr;
  auto board = std::make_shared<MorvelBoard>(spec);
  return plat::bus::Plug(slot, spec.interruptLine, board) ? board : nullptr;
}

std::shared_ptr<ForeignDevice> PlugForeign(const plat::bus::Slot& slot, uint8_t interruptLine) {
  auto device = std::make_shared<ForeignDevice>(interruptLine);
  return plat::bus::Plug(slot, interruptLine, device) ? device : nullptr;
}

bool InstallBoard(const plat::bus::Slot& slot, const BoardSpec& spec) {
  return CheckSpec(spec).empty() && writeSlot(slot, spec.model, spec.interruptLine, &spec);
}

bool InstallForeign(const plat::bus::Slot& slot, uint8_t interruptLine) {
  return writeSlot(slot, kForeignModel, interruptLine, nullptr);
}

bool Uninstall(const plat::bus::Slot& slot) {
  return slotInRange(slot) && RegDeleteTreeA(HKEY_LOCAL_MACHINE, SlotKey(slot).c_str()) == ERROR_SUCCESS;
}

plat::bus::Card* MakeCard(const std::string& model, const std::string& slotKey) {
  Key key;
  const bool haveKey = RegOpenKeyExA(HKEY_LOCAL_MACHINE, underMachine(slotKey).c_str(), 0, KEY_READ,
                                     &key.handle) == ERROR_SUCCESS;
  DWORD line = kNoInterruptLine;
  if (haveKey) getNumber(key.handle, "InterruptLine", line);
  if (strcasecmp(model.c_str(), kForeignModel) == 0) return new ForeignDevice(static_cast<uint8_t>(line));
  std::optional<BoardSpec> spec = SpecForModel(model);
  if (!spec || !haveKey) return nullptr;
  spec->interruptLine = static_cast<uint8_t>(line);
  DWORD v = 0;
  if (getNumber(key.handle, "BoardType", v)) spec->boardType = v;
  if (getNumber(key.handle, "DeviceID", v)) spec->deviceId = static_cast<uint16_t>(v);
  if (getNumber(key.handle, "BoardID", v)) spec->boardId = static_cast<uint8_t>(v);
  if (getNumber(key.handle, "IoBase", v)) spec->ioBase = static_cast<uint16_t>(v);
  if (getNumber(key.handle, "InterruptPin", v)) spec->interruptPin = static_cast<uint8_t>(v);
  if (getNumber(key.handle, "ConfigByte", v)) spec->configByte = static_cast<uint8_t>(v);
  if (!CheckSpec(*spec).empty()) return nullptr;
  return new MorvelBoard(*spec);
}

}  // namespace morvelboard

extern "C" __attribute__((visibility("default"))) plat::bus::Card* OrvaneMakeCard(const char* model,
                                                                                  const char* slotKey) {
  if (model == nullptr) return nullptr;
  return morvelboard::MakeCard(model, slotKey != nullptr ? slotKey : "");
}

static_assert(std::is_same_v<decltype(&OrvaneMakeCard), plat::bus::CardFactory>);
