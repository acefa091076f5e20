// The simulated boards as tests and tools steer them: a board of one model
// (MorvelBoard) and the other device of a shared line (ForeignDevice), both
// cards of the simulated machine's bus. board_contract.h holds what the
// driver sees; this header adds the hooks a test needs besides the ports.
#pragma once
#include <platform/hardware_bus.h>

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "board_contract.h"

#define MORVELBOARD_API __attribute__((visibility("default")))

namespace morvelboard {

// What one board is: its model and what its configuration space says.
struct BoardSpec {
  std::string model;
  uint32_t boardType = 0;
  uint16_t deviceId = 0;
  uint8_t boardId = 0;  // the revision identifier
  uint16_t ioBase = 0;  // 16-port aligned, not 0
  uint8_t interruptLine = kNoInterruptLine;
  uint8_t interruptPin = 1;  // 0: none
  uint8_t configByte = 0;    // kConfigDoubled for the doubled channel configuration
};

// The model's defaults (I/O base and line still to be set), or nothing for
// a name not in kModels (compared without regard to case).
MORVELBOARD_API std::optional<BoardSpec> SpecForModel(const std::string& model);
// Empty when a board can be built from these settings, else why not.
MORVELBOARD_API std::string CheckSpec(const BoardSpec& spec);

// The known signal of one channel, in fractions of full scale.
struct Waveform {
  enum class Shape { Constant, Sine, Ramp, Square };
  Shape shape = Shape::Sine;
  double offset = 0.5;
  double amplitude = 0.4;
  uint64_t periodNs = 1'000'000;
};
// Channel c: a sine of (c + 1) ms around mid-scale.
MORVELBOARD_API Waveform DefaultWaveform(unsigned channel);
// The count a converter of `bits` bits gives at time `ns`: offset +
// amplitude x shape, where the shape runs -1..1 (the ramp rises over the
// period, the square is +1 in the first half), rounded and clamped.
MORVELBOARD_API uint16_t SignalValue(const Waveform& wave, unsigned bits, uint64_t ns);

struct Faults {
  bool busyStuck = false;      // status bit 0 always reads 1
  bool statusAllOnes = false;  // the status port reads 0xFF
  bool absent = false;         // the card answers no port
  // Successive reads of W (command 18) answer these values instead; with
  // `scriptRepeats` the list starts over, else the real W follows it.
  std::vector<uint32_t> writeAddressScript{};
  bool scriptRepeats = false;
};

struct PortAccess {
  uint64_t ns = 0;  // board time of the access
  uint8_t offset = 0;
  uint8_t width = 1;
  bool write = false;
  uint32_t value = 0;
  bool operator==(const PortAccess&) const = default;
};

// The register file, as a test inspects it.
struct Registers {
  struct Trigger {
    uint8_t direction = 0;  // 0 rising, 1 falling
    uint8_t channel = 0;
    uint16_t level1 = 0;
    uint16_t level2 = 0;
  };
  uint16_t functionWord = 0;
  std::array<uint8_t, kChannels> gain{};
  std::array<uint8_t, kListEntries> channelList{};
  uint16_t scanClock = 0;
  uint32_t samplingClock = 0;
  Trigger startTrigger, stopTrigger;
  uint32_t sampleCount = 0;  // samples per channel - 1
  uint32_t delayCount = 0;
  uint32_t trigDelayCount = 0;
  uint32_t repeatCount = 0;
  uint32_t writeAddress = 0;
  uint32_t readAddress = 0;
  uint32_t triggerAddress = 0;
  bool full = false;          // W caught up with R without the ring
  uint8_t statusLatched = 0;  // kStatusFull, kStatusError
  uint8_t level = 0;
  uint16_t mask = kMaskAll;
  uint16_t factors = 0;
  uint8_t flags = 0;  // +3 bits 4 to 7
  uint8_t digitalIn = 0;
  uint8_t digitalOut = 0;
  uint16_t dac = 0;
  uint8_t outputControl = 0;
  uint8_t configByte = 0;
  bool gateOpen = false;
  bool extTrigOpen = false;
};

class MORVELBOARD_API MorvelBoard final : public plat::bus::Card {
 public:
  explicit MorvelBoard(const BoardSpec& spec);
  ~MorvelBoard() override;
  MorvelBoard(const MorvelBoard&) = delete;
  MorvelBoard& operator=(const MorvelBoard&) = delete;

  void ReadConfig(uint32_t offset, void* out, uint32_t length) override;
  void WriteConfig(uint32_t offset, const void* data, uint32_t length) override;
  bool DecodesPort(uint32_t port) const override;
  uint32_t In(uint32_t port, unsigned width) override;
  void Out(uint32_t port, unsigned width, uint32_t value) override;
  void AdvanceTo(uint64_t now_ns) override;
  bool InterruptAsserted() const override;

  const BoardSpec& Spec() const { return spec_; }
  // How far each port access moves the board's clock.
  void SetAccessStep(uint64_t ns);
  // The external trigger input; `input` 1 to 3 picks the factor a waiting
  // board-memory acquisition raises (kFactorTrigger, kFactorTrigger2,
  // kFactorTrigger3), other inputs raise none.
  void PulseExternalTrigger(unsigned input = 1);
  void SetDigitalInputs(uint8_t bits);
  void SetWaveform(unsigned channel, const Waveform& wave);
  // The count channel `channel` converts at board time `ns`.
  uint16_t SignalAt(unsigned channel, uint64_t ns) const;
  void SetFaults(const Faults& faults);
  // Port accesses from now on are kept (at most a million) until taken.
  void SetTrace(bool on);
  std::vector<PortAccess> TakeTrace();
  // Accesses the board could not make sense of, one line each.
  std::vector<std::string> TakeDiagnostics();
  Registers Snapshot() const;
  uint16_t MemoryAt(uint32_t address) const;
  uint32_t MemorySize() const;
  uint64_t BoardTime() const;

 private:
  struct State;
  void afterChange(bool lineMayHaveChanged);

  const BoardSpec spec_;
  mutable std::mutex mutex_;
  std::unique_ptr<State> state_;
};

// Another device's interrupt output on the same line; it claims no port.
class MORVELBOARD_API ForeignDevice final : public plat::bus::Card {
 public:
  explicit ForeignDevice(uint8_t interruptLine);
  void ReadConfig(uint32_t offset, void* out, uint32_t length) override;
  void WriteConfig(uint32_t, const void*, uint32_t) override {}
  bool DecodesPort(uint32_t) const override { return false; }
  uint32_t In(uint32_t, unsigned width) override { return width >= 4 ? 0xFFFFFFFFu : (1u << (8 * width)) - 1; }
  void Out(uint32_t, unsigned, uint32_t) override {}
  void AdvanceTo(uint64_t) override {}
  bool InterruptAsserted() const override { return claim_.load(); }
  // The device's own claim flag: it holds the line while set.
  void Assert(bool on);

 private:
  const uint8_t line_;
  std::atomic<bool> claim_{false};
};

}  // namespace morvelboard
