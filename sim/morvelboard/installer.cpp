#include "installer.h"

#include <platform/registry_key.h>
#include <strings.h>
#include <winreg.h>

#include <cstdio>

namespace morvelboard {

namespace {

bool slotInRange(const plat::bus::Slot& s) { return s.bus <= 255 && s.device <= 31 && s.function <= 7; }

bool writeSlot(const plat::bus::Slot& slot, const std::string& model, uint8_t line, const BoardSpec* spec) {
  if (!slotInRange(slot)) return false;
  plat::RegistryKey key;
  if (!key.create(HKEY_LOCAL_MACHINE, SlotKey(slot).c_str())) return false;
  const HKEY k = key.get();
  bool ok = plat::SetRegistryText(k, "Library", kLibraryName) && plat::SetRegistryText(k, "Model", model) &&
            plat::SetRegistryNumber(k, "InterruptLine", line);
  if (ok && spec != nullptr) {
    ok = plat::SetRegistryNumber(k, "BoardType", spec->boardType) &&
         plat::SetRegistryNumber(k, "DeviceID", spec->deviceId) &&
         plat::SetRegistryNumber(k, "BoardID", spec->boardId) &&
         plat::SetRegistryNumber(k, "IoBase", spec->ioBase) &&
         plat::SetRegistryNumber(k, "InterruptPin", spec->interruptPin) &&
         plat::SetRegistryNumber(k, "ConfigByte", spec->configByte);
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
  plat::RegistryKey key;
  const bool haveKey = key.open(HKEY_LOCAL_MACHINE, underMachine(slotKey).c_str(), KEY_READ);
  const HKEY k = key.get();
  const DWORD line = haveKey ? plat::GetRegistryNumber(k, "InterruptLine").value_or(kNoInterruptLine)
                             : kNoInterruptLine;
  if (strcasecmp(model.c_str(), kForeignModel) == 0) return new ForeignDevice(static_cast<uint8_t>(line));
  std::optional<BoardSpec> spec = SpecForModel(model);
  if (!spec || !haveKey) return nullptr;
  spec->interruptLine = static_cast<uint8_t>(line);
  if (auto v = plat::GetRegistryNumber(k, "BoardType")) spec->boardType = *v;
  if (auto v = plat::GetRegistryNumber(k, "DeviceID")) spec->deviceId = static_cast<uint16_t>(*v);
  if (auto v = plat::GetRegistryNumber(k, "BoardID")) spec->boardId = static_cast<uint8_t>(*v);
  if (auto v = plat::GetRegistryNumber(k, "IoBase")) spec->ioBase = static_cast<uint16_t>(*v);
  if (auto v = plat::GetRegistryNumber(k, "InterruptPin")) spec->interruptPin = static_cast<uint8_t>(*v);
  if (auto v = plat::GetRegistryNumber(k, "ConfigByte")) spec->configByte = static_cast<uint8_t>(*v);
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
