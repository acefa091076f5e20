// The simulated machine inside the kernel layer: its cards (bus.cpp), its
// clock and worker (clock.cpp), timers and DPCs (deferred.cpp) and
// interrupt lines (interrupts.cpp).
#pragma once
#include <platform/hardware_bus.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include <ntkrnl/nt_ke.h>

namespace ntk {

// --- Cards (bus.cpp) -------------------------------------------------------
struct Plugged {
  plat::bus::Slot slot;
  uint32_t line;
  std::shared_ptr<plat::bus::Card> card;
};
// Plugs the installed cards of the registry on the first call after start
// or UnplugAll.
void ensureInstalled();
std::vector<Plugged> pluggedCards();
bool busExists(uint32_t bus);
uint32_t portIn(uint32_t port, unsigned width);
void portOut(uint32_t port, unsigned width, uint32_t value);
// Bytes read, with the empty-slot and missing-bus answers of the HAL.
uint32_t configRead(uint32_t bus, uint32_t device, uint32_t function, void* out, uint32_t offset,
                    uint32_t length);
bool lineAsserted(uint32_t line);
void advanceCards(uint64_t nowNs);

// --- Interrupt lines (interrupts.cpp) ---------------------------------------
inline constexpr uint32_t kLines = 24;
inline constexpr ULONG kVectorBase = 0x30;
// Some line may have changed: deliver now, or as soon as the thread comes
// down to DISPATCH_LEVEL.
void noteLinesChanged();
void serviceLines();
bool linesPending();
// The interrupts whose service routine satisfies `inModule` are
// disconnected; returns how many.
unsigned disconnectWhere(bool (*inModule)(const void* address, const void* context), const void* context);

// --- Clock and worker (clock.cpp) -------------------------------------------
uint64_t now();
// The worker has something to do (threaded mode); starts it when needed.
void kick();
// Runs the machine at `nowNs`: cards, lines, due timers, queued DPCs, until
// idle.
void runAt(uint64_t nowNs);

// --- Timers and DPCs (deferred.cpp) -------------------------------------------
std::optional<uint64_t> earliestTimer();
bool fireDueTimers(uint64_t nowNs);  // true when some fired
bool runQueuedDpcs();                // true when some ran
bool dpcsQueued();
// Takes off the queue, and out of the timer list, what satisfies `inModule`
// (by the DPC routine); counts go to the two outputs.
void removeWhere(bool (*inModule)(const void* address, const void* context), const void* context,
                 unsigned& timers, unsigned& dpcs);

}  // namespace ntk
