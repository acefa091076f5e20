// TEMPORARY stand-in for the bus functions the card library calls, until the
// kernel layer's bus (library `ntkrnl`) takes its place: a slot table, a
// manual clock that tells every card, and a line-change hook that records
// nothing. No timers, interrupts or DPCs.
#include <platform/hardware_bus.h>

#include <atomic>
#include <map>
#include <mutex>
#include <tuple>
#include <vector>

namespace plat::bus {

namespace {

using SlotId = std::tuple<uint32_t, uint32_t, uint32_t>;
std::mutex slotsLock;
std::map<SlotId, std::shared_ptr<Card>> slots;
std::atomic<uint64_t> clockNow{0};
std::atomic<ClockMode> clockMode{ClockMode::Manual};

SlotId idOf(const Slot& s) { return {s.bus, s.device, s.function}; }

}  // namespace

bool Plug(const Slot& slot, uint32_t, std::shared_ptr<Card> card) {
  if (slot.bus > 255 || slot.device > 31 || slot.function > 7 || !card) return false;
  std::lock_guard lock(slotsLock);
  return slots.emplace(idOf(slot), std::move(card)).second;
}

void Unplug(const Slot& slot) {
  std::lock_guard lock(slotsLock);
  slots.erase(idOf(slot));
}

void UnplugAll() {
  std::lock_guard lock(slotsLock);
  slots.clear();
}

std::shared_ptr<Card> CardAt(const Slot& slot) {
  std::lock_guard lock(slotsLock);
  const auto it = slots.find(idOf(slot));
  return it == slots.end() ? nullptr : it->second;
}

void LineChanged(const Card&) {}

void SetClockMode(ClockMode mode) { clockMode = mode; }
ClockMode GetClockMode() { return clockMode; }
uint64_t Now() { return clockNow; }

void Advance(uint64_t nanoseconds) {
  if (clockMode != ClockMode::Manual) return;
  const uint64_t now = clockNow += nanoseconds;
  std::vector<std::shared_ptr<Card>> cards;
  {
    std::lock_guard lock(slotsLock);
    for (const auto& [id, card] : slots) cards.push_back(card);
  }
  for (const auto& card : cards) card->AdvanceTo(now);
}

}  // namespace plat::bus
