// The machine's slots: plugging cards, the installed cards of the registry,
// and routing configuration and port accesses to the card that answers.
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <string>

#include "machine.h"

namespace ntk {

namespace {

using plat::bus::Card;
using plat::bus::Slot;
using CardList = std::vector<Plugged>;

constexpr const char* kInstalledKey = "HARDWARE\\Simulated\\PCI";
constexpr uint32_t kConfigSize = 256;
constexpr uint32_t kInterruptLineOffset = 0x3C;

struct Slots {
  std::mutex mutex;
  // Replaced whole on every change, so an access works on a snapshot
  // without holding the lock while a card runs.
  std::shared_ptr<const CardList> cards = std::make_shared<const CardList>();
  std::recursive_mutex installMutex;
  bool installedRead = false;  // under installMutex
  std::atomic<bool> ready{false};
};

Slots& slots() {
  static auto* s = new Slots;  // lives through static destruction
  return *s;
}

std::shared_ptr<const CardList> snapshot() {
  Slots& s = slots();
  std::lock_guard<std::mutex> lock(s.mutex);
  return s.cards;
}

bool sameSlot(const Slot& a, const Slot& b) {
  return a.bus == b.bus && a.device == b.device && a.function == b.function;
}

bool validSlot(const Slot& slot) { return slot.bus < 256 && slot.device < 32 && slot.function < 8; }

std::string readString(HKEY key, const char* name) {
  char text[512];
  DWORD size = sizeof text;
  DWORD type = 0;
  if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(text), &size) != ERROR_SUCCESS ||
      (type != REG_SZ && type != REG_EXPAND_SZ) || size == 0) {
    return {};
  }
  text[size < sizeof text ? size : sizeof text - 1] = '\0';
  return text;
}

DWORD readDword(HKEY key, const char* name, DWORD fallback) {
  DWORD value = 0;
  DWORD size = sizeof value;
  DWORD type = 0;
  if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) != ERROR_SUCCESS ||
      type != REG_DWORD) {
    return fallback;
  }
  return value;
}

void plugInstalled(HKEY root, const char* name) {
  Slot slot;
  char tail = 0;
  if (std::sscanf(name, "%u.%u.%u%c", &slot.bus, &slot.device, &slot.function, &tail) != 3) return;
  HKEY key = nullptr;
  if (RegOpenKeyExA(root, name, 0, KEY_READ, &key) != ERROR_SUCCESS) return;
  const std::string library = readString(key, "Library");
  const std::string model = readString(key, "Model");
  const DWORD line = readDword(key, "InterruptLine", 0xFF);
  RegCloseKey(key);
  HMODULE module = library.empty() ? nullptr : LoadLibraryA(library.c_str());
  auto factory = module ? reinterpret_cast<plat::bus::CardFactory>(
                              GetProcAddress(module, plat::bus::kCardFactorySymbol))
                        : nullptr;
  if (factory == nullptr) return;
  const std::string slotKey = std::string(kInstalledKey) + "\\" + name;
  if (Card* card = factory(model.c_str(), slotKey.c_str())) {
    plat::bus::Plug(slot, line, std::shared_ptr<Card>(card));
  }
}

}  // namespace

void ensureInstalled() {
  Slots& s = slots();
  if (s.ready.load(std::memory_order_acquire)) return;
  std::lock_guard<std::recursive_mutex> lock(s.installMutex);
  if (s.installedRead) return;
  s.installedRead = true;  // a card library that asks the bus meanwhile sees it read
  struct Ready {
    Slots& s;
    ~Ready() { s.ready.store(true, std::memory_order_release); }
  } ready{s};
  HKEY root = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kInstalledKey, 0, KEY_READ, &root) != ERROR_SUCCESS) return;
  for (DWORD i = 0;; ++i) {
    char name[64];
    DWORD length = sizeof name;
    if (RegEnumKeyExA(root, i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    plugInstalled(root, name);
  }
  RegCloseKey(root);
}

std::vector<Plugged> pluggedCards() { return *snapshot(); }

bool busExists(uint32_t bus) {
  if (bus == 0) return true;
  for (const Plugged& p : *snapshot()) {
    if (p.slot.bus == bus) return true;
  }
  return false;
}

uint32_t portIn(uint32_t port, unsigned width) {
  for (const Plugged& p : *snapshot()) {
    if (p.card->DecodesPort(port)) return p.card->In(port, width);
  }
  return width >= 4 ? 0xFFFFFFFFu : (1u << (8 * width)) - 1;
}

void portOut(uint32_t port, unsigned width, uint32_t value) {
  for (const Plugged& p : *snapshot()) {
    if (p.card->DecodesPort(port)) {
      p.card->Out(port, width, value);
      return;
    }
  }
}

uint32_t configRead(uint32_t bus, uint32_t device, uint32_t function, void* out, uint32_t offset,
                    uint32_t length) {
  if (!busExists(bus) || device >= 32 || function >= 8) return 0;
  const Slot wanted{bus, device, function};
  for (const Plugged& p : *snapshot()) {
    if (!sameSlot(p.slot, wanted)) continue;
    if (offset >= kConfigSize) return 0;
    const uint32_t count = std::min(length, kConfigSize - offset);
    p.card->ReadConfig(offset, out, count);
    return count;
  }
  const uint16_t invalid = 0xFFFF;
  std::memcpy(out, &invalid, std::min<uint32_t>(length, 2));
  return std::min<uint32_t>(length, 2);
}

bool lineAsserted(uint32_t line) {
  for (const Plugged& p : *snapshot()) {
    if (p.line == line && p.card->InterruptAsserted()) return true;
  }
  return false;
}

void advanceCards(uint64_t nowNs) {
  for (const Plugged& p : *snapshot()) p.card->AdvanceTo(nowNs);
}

}  // namespace ntk

namespace plat::bus {

bool Plug(const Slot& slot, uint32_t interruptLine, std::shared_ptr<Card> card) {
  if (!card || !ntk::validSlot(slot)) return false;
  {
    ntk::Slots& s = ntk::slots();
    std::lock_guard<std::mutex> lock(s.mutex);
    for (const ntk::Plugged& p : *s.cards) {
      if (ntk::sameSlot(p.slot, slot)) return false;
    }
    auto next = std::make_shared<ntk::CardList>(*s.cards);
    next->push_back({slot, interruptLine, card});
    s.cards = std::move(next);
  }
  // As firmware does: the routed line goes into the configuration space.
  if (interruptLine <= 0xFF) {
    const uint8_t line = static_cast<uint8_t>(interruptLine);
    card->WriteConfig(ntk::kInterruptLineOffset, &line, 1);
  }
  card->AdvanceTo(ntk::now());
  ntk::noteLinesChanged();
  return true;
}

void Unplug(const Slot& slot) {
  ntk::Slots& s = ntk::slots();
  std::lock_guard<std::mutex> lock(s.mutex);
  auto next = std::make_shared<ntk::CardList>(*s.cards);
  std::erase_if(*next, [&](const ntk::Plugged& p) { return ntk::sameSlot(p.slot, slot); });
  s.cards = std::move(next);
}

void UnplugAll() {
  ntk::Slots& s = ntk::slots();
  std::lock_guard<std::recursive_mutex> install(s.installMutex);
  std::lock_guard<std::mutex> lock(s.mutex);
  s.cards = std::make_shared<const ntk::CardList>();
  s.installedRead = false;
  s.ready.store(false);
}

std::shared_ptr<Card> CardAt(const Slot& slot) {
  ntk::ensureInstalled();
  for (const ntk::Plugged& p : *ntk::snapshot()) {
    if (ntk::sameSlot(p.slot, slot)) return p.card;
  }
  return nullptr;
}

void LineChanged(const Card&) { ntk::noteLinesChanged(); }

}  // namespace plat::bus
