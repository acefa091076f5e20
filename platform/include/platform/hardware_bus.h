// The simulated machine's hardware: the seam between the kernel layer
// (platform/ntkrnl, which owns the bus and its clock) and simulated cards
// (sim/, which implement Card).
//
// Cards sit in PCI slots. The kernel layer routes configuration reads, port
// accesses and interrupt lines to them; it never calls a driver's interrupt
// routine from inside a card's method, so a card may take its own lock in
// every method and must not call back into the kernel layer while holding it
// (except LineChanged, which only records the change).
//
// Time is the machine's, in nanoseconds. In the manual mode only tests move
// it (Advance); in the threaded mode a pump thread of the kernel layer
// follows the monotonic clock. Either way, every card is told the new time
// before timers that fall due are run, so a driver woken by a timer or an
// interrupt sees the samples that are due.
//
// Installed cards: a process that starts without a test plugging cards
// itself (the monitor, a tool) finds them in the registry under
//   HKLM\HARDWARE\Simulated\PCI\<bus>.<device>.<function>
// with REG_SZ "Library" (a module name for LoadLibraryA), REG_SZ "Model"
// and REG_DWORD "InterruptLine". The kernel layer loads the library once
// and calls its exported CardFactory (kCardFactorySymbol) with
// the model and the slot's key path (HKLM-relative), at its first bus access.
// Plugging writes the routed line into the card's InterruptLine byte (0x3C),
// as firmware does.
#pragma once
#include <cstdint>
#include <memory>

namespace plat::bus {

struct Slot {
  uint32_t bus = 0;       // 0 to 255
  uint32_t device = 0;    // 0 to 31
  uint32_t function = 0;  // 0 to 7
};

class Card {
 public:
  virtual ~Card() = default;
  // Configuration space, 256 bytes; offsets beyond it read as 0xFF.
  virtual void ReadConfig(uint32_t offset, void* out, uint32_t length) = 0;
  virtual void WriteConfig(uint32_t offset, const void* data, uint32_t length) = 0;
  // True when the card answers this I/O port (from its base address
  // registers).
  virtual bool DecodesPort(uint32_t port) const = 0;
  // Width 1, 2 or 4 bytes.
  virtual uint32_t In(uint32_t port, unsigned width) = 0;
  virtual void Out(uint32_t port, unsigned width, uint32_t value) = 0;
  // The machine's clock moved on to now_ns (never backwards): produce what
  // has fallen due, in batches rather than one step per sample.
  virtual void AdvanceTo(uint64_t now_ns) = 0;
  // The level of the card's interrupt output (level-sensitive, shared).
  virtual bool InterruptAsserted() const = 0;
};

// The factory a card library exports under kCardFactorySymbol:
// returns a new card (owned by the bus) or nullptr for an unknown model.
using CardFactory = Card* (*)(const char* model, const char* slotKey);
inline constexpr const char* kCardFactorySymbol = "OrvaneMakeCard";

// The calls below are exported by the kernel layer (link `ntkrnl`).
#pragma GCC visibility push(default)

// Plugging and unplugging (tests, and the installed cards above). False
// when the slot is taken or out of range.
bool Plug(const Slot& slot, uint32_t interruptLine, std::shared_ptr<Card> card);
void Unplug(const Slot& slot);
// Removes every card, installed ones included, and forgets the installed
// list until the next bus access reads it again.
void UnplugAll();
std::shared_ptr<Card> CardAt(const Slot& slot);

// Called by a card whose interrupt output may have changed; the kernel layer
// looks at the line when the card's method has returned.
void LineChanged(const Card& card);

// The clock.
enum class ClockMode { Manual, Threaded };
void SetClockMode(ClockMode mode);
ClockMode GetClockMode();
uint64_t Now();
// Manual mode: moves the clock on, tells every card, then runs the due
// timers, the asserted interrupt lines and the queued DPCs until the machine
// is idle. Ignored in the threaded mode.
void Advance(uint64_t nanoseconds);

#pragma GCC visibility pop

}  // namespace plat::bus
