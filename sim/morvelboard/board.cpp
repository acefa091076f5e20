// A board's configuration space, ports and clock.
#include <algorithm>
#include <utility>

#include "board_state.h"

namespace morvelboard {

namespace {

constexpr size_t kMaxTrace = 1u << 20;
constexpr size_t kMaxDiagnostics = 1000;

void put16(std::array<uint8_t, 256>& c, size_t at, uint16_t v) {
  c[at] = static_cast<uint8_t>(v);
  c[at + 1] = static_cast<uint8_t>(v >> 8);
}

bool wordPort(uint32_t offset) { return offset == kPortData || offset == kPortDac; }

}  // namespace

MorvelBoard::State::State(const BoardSpec& spec) : memory(MemorySamples(spec.boardType)), bits(ResolutionBits(spec.boardType)) {
  put16(config, 0x00, kVendorId);
  put16(config, 0x02, spec.deviceId);
  put16(config, 0x04, 0x0001);
  config[0x08] = spec.boardId;
  config[0x0A] = kSubclass;
  config[0x0B] = kClassCode;
  bar0 = spec.ioBase | 1u;
  put16(config, 0x2C, kVendorId);
  put16(config, 0x2E, spec.deviceId);
  config[0x3C] = spec.interruptLine;
  config[0x3D] = spec.interruptPin;
  regs.configByte = spec.configByte;
  for (unsigned c = 0; c < kChannels; ++c) waves[c] = DefaultWaveform(c);
}

void MorvelBoard::State::diagnose(std::string text) {
  if (diagnostics.size() < kMaxDiagnostics) diagnostics.push_back(std::move(text));
}

void MorvelBoard::State::advance(uint64_t t) {
  if (t <= now) return;
  const uint64_t edges = t / kCounterClockNs - now / kCounterClockNs;
  now = t;
  timer.Clock(edges);
  if (uint64_t tc = timer.TakeTerminalCounts(); tc > 0) {
    if (!(regs.flags & kCounterFlag)) {
      regs.flags |= kCounterFlag;
      --tc;
    }
    if (tc > 0) regs.flags |= kCounterOverflow;
    regs.factors |= kFactorCounter;
  }
  acquisition.Advance(regs, memory, signals(), now);
}

bool MorvelBoard::State::interruptLevel() const {
  return regs.level != 0 && (regs.factors & static_cast<uint16_t>(~regs.mask)) != 0;
}

uint8_t MorvelBoard::State::status() const {
  if (faults.statusAllOnes) return 0xFF;
  uint8_t s = regs.statusLatched;
  if (acquisition.Busy(now) || faults.busyStuck) s |= kStatusBusy;
  if (regs.writeAddress != regs.readAddress || regs.full) s |= kStatusData;
  return s;
}

void MorvelBoard::State::start(uint8_t value) {
  switch (acquisition.Start(regs, value, now)) {
    case Acquisition::StartResult::Busy:
      diagnose("start while the board is busy");
      break;
    case Acquisition::StartResult::Overrun:
      diagnose("start with a scan period shorter than its conversions");
      break;
    case Acquisition::StartResult::Started:
      break;
  }
}

void MorvelBoard::State::externalTrigger(unsigned input) {
  if (regs.extTrigOpen) {
    regs.flags |= (regs.flags & kExtTrigSeen) ? kExtTrigOverflow : kExtTrigSeen;
    regs.factors |= kFactorExtTrig;
  }
  acquisition.ExternalTrigger(input);
}

uint8_t MorvelBoard::State::readByte(uint32_t offset) {
  switch (offset) {
    case kPortStatus:
      return status();
    case kPortDigital:
      return static_cast<uint8_t>((regs.digitalIn & kDigitalInputs) | regs.flags);
    case kPortCommandData:
      return readData();
    case kPortCounter0:
    case kPortCounter1:
    case kPortCounter2:
      return timer.ReadCount((offset - kPortCounter0) / 2);
    default:
      return 0xFF;
  }
}

void MorvelBoard::State::writeByte(uint32_t offset, uint8_t value) {
  switch (offset) {
    case kPortStatus:
      start(value);
      break;
    case kPortDigital:
      regs.digitalOut = value;
      break;
    case kPortCommand:
      writeCommand(value);
      break;
    case kPortCommandData:
      writeData(value);
      break;
    case kPortCounter0:
    case kPortCounter1:
    case kPortCounter2:
      timer.WriteCount((offset - kPortCounter0) / 2, value);
      break;
    case kPortCounterControl:
      timer.WriteControl(value);
      break;
    default:
      diagnose("write to unused port +" + std::to_string(offset));
  }
}

uint32_t MorvelBoard::State::readPort(uint32_t offset, unsigned width) {
  if (width == 4) return readPort(offset, 2) | readPort(offset + 2, 2) << 16;
  if (wordPort(offset)) {
    if (width != 2 || offset != kPortData) {
      diagnose("read of +" + std::to_string(offset) + " with width " + std::to_string(width));
      return width == 2 ? 0xFFFF : 0xFF;
    }
    return memory.Read(regs);
  }
  if (wordPort(offset & ~1u) && width == 1) {
    diagnose("byte read of word port +" + std::to_string(offset));
    return 0xFF;
  }
  if (width == 2) return readByte(offset) | static_cast<uint32_t>(readByte(offset + 1)) << 8;
  return readByte(offset);
}

void MorvelBoard::State::writePort(uint32_t offset, unsigned width, uint32_t value) {
  if (width == 4) {
    writePort(offset, 2, value & 0xFFFF);
    writePort(offset + 2, 2, value >> 16);
    return;
  }
  if (wordPort(offset & ~1u)) {
    if (width != 2 || offset != kPortDac) {
      diagnose("write of +" + std::to_string(offset) + " with width " + std::to_string(width));
      return;
    }
    if (regs.outputControl & kOutputDacStrobe) {
      regs.dac = static_cast<uint16_t>(value);
    } else {
      diagnose("DAC write without the strobe bit");
    }
    return;
  }
  if (width == 2) {
    writeByte(offset, static_cast<uint8_t>(value));
    writeByte(offset + 1, static_cast<uint8_t>(value >> 8));
    return;
  }
  writeByte(offset, static_cast<uint8_t>(value));
}

MorvelBoard::MorvelBoard(const BoardSpec& spec) : spec_(spec), state_(std::make_unique<State>(spec)) {}

MorvelBoard::~MorvelBoard() = default;

void MorvelBoard::afterChange(bool lineMayHaveChanged) {
  // Called without the lock held, so the bus may look at the line at once.
  if (lineMayHaveChanged) plat::bus::LineChanged(*this);
}

void MorvelBoard::ReadConfig(uint32_t offset, void* out, uint32_t length) {
  std::lock_guard lock(mutex_);
  auto* bytes = static_cast<uint8_t*>(out);
  for (uint32_t i = 0; i < length; ++i) {
    const uint64_t at = uint64_t{offset} + i;
    if (at >= 0x10 && at < 0x14) {
      bytes[i] = static_cast<uint8_t>(state_->bar0 >> (8 * (at - 0x10)));
    } else {
      bytes[i] = at < 256 ? state_->config[at] : 0xFF;
    }
  }
}

void MorvelBoard::WriteConfig(uint32_t offset, const void* data, uint32_t length) {
  std::lock_guard lock(mutex_);
  const auto* bytes = static_cast<const uint8_t*>(data);
  for (uint32_t i = 0; i < length; ++i) {
    const uint64_t at = uint64_t{offset} + i;
    if (at == 0x04) {
      state_->config[0x04] = bytes[i] & 0x01;
    } else if (at >= 0x10 && at < 0x14) {
      const unsigned shift = 8 * static_cast<unsigned>(at - 0x10);
      state_->bar0 = (state_->bar0 & ~(0xFFu << shift)) | (uint32_t{bytes[i]} << shift);
    } else if (at == 0x3C) {
      state_->config[0x3C] = bytes[i];
    }
  }
  // 16 ports: the low four bits are not address bits; bit 0 says I/O space.
  state_->bar0 = (state_->bar0 & ~0xFu) | 1u;
}

bool MorvelBoard::DecodesPort(uint32_t port) const {
  std::lock_guard lock(mutex_);
  const uint32_t base = state_->bar0 & ~0xFu;
  return !state_->faults.absent && (state_->config[0x04] & 1) && port >= base && port - base < kPortCount;
}

uint32_t MorvelBoard::In(uint32_t port, unsigned width) {
  const uint64_t busNow = plat::bus::Now();
  uint32_t value = 0;
  bool changed = false;
  {
    std::lock_guard lock(mutex_);
    State& s = *state_;
    const uint32_t offset = port - (s.bar0 & ~0xFu);
    s.advance(std::max(s.now, busNow) + s.accessStep);
    const uint32_t ones = width >= 4 ? 0xFFFFFFFFu : (1u << (8 * width)) - 1;
    value = s.faults.absent || offset >= kPortCount ? ones : s.readPort(offset, width) & ones;
    if (s.tracing && s.trace.size() < kMaxTrace) {
      s.trace.push_back({s.now, static_cast<uint8_t>(offset), static_cast<uint8_t>(width), false, value});
    }
    changed = s.interruptLevel() != s.lineReported;
    s.lineReported = s.interruptLevel();
  }
  afterChange(changed);
  return value;
}

void MorvelBoard::Out(uint32_t port, unsigned width, uint32_t value) {
  const uint64_t busNow = plat::bus::Now();
  bool changed = false;
  {
    std::lock_guard lock(mutex_);
    State& s = *state_;
    const uint32_t offset = port - (s.bar0 & ~0xFu);
    s.advance(std::max(s.now, busNow) + s.accessStep);
    if (!s.faults.absent && offset < kPortCount) s.writePort(offset, width, value);
    if (s.tracing && s.trace.size() < kMaxTrace) {
      s.trace.push_back({s.now, static_cast<uint8_t>(offset), static_cast<uint8_t>(width), true, value});
    }
    changed = s.interruptLevel() != s.lineReported;
    s.lineReported = s.interruptLevel();
  }
  afterChange(changed);
}

void MorvelBoard::AdvanceTo(uint64_t now_ns) {
  bool changed = false;
  {
    std::lock_guard lock(mutex_);
    state_->advance(now_ns);
    changed = state_->interruptLevel() != state_->lineReported;
    state_->lineReported = state_->interruptLevel();
  }
  afterChange(changed);
}

bool MorvelBoard::InterruptAsserted() const {
  std::lock_guard lock(mutex_);
  return state_->interruptLevel();
}

void MorvelBoard::SetAccessStep(uint64_t ns) {
  std::lock_guard lock(mutex_);
  state_->accessStep = ns;
}

void MorvelBoard::PulseExternalTrigger(unsigned input) {
  const uint64_t busNow = plat::bus::Now();
  bool changed = false;
  {
    std::lock_guard lock(mutex_);
    state_->advance(busNow);
    state_->externalTrigger(input);
    changed = state_->interruptLevel() != state_->lineReported;
    state_->lineReported = state_->interruptLevel();
  }
  afterChange(changed);
}

void MorvelBoard::SetDigitalInputs(uint8_t bits) {
  std::lock_guard lock(mutex_);
  state_->regs.digitalIn = bits & kDigitalInputs;
}

void MorvelBoard::SetWaveform(unsigned channel, const Waveform& wave) {
  std::lock_guard lock(mutex_);
  state_->waves[channel % kChannels] = wave;
}

uint16_t MorvelBoard::SignalAt(unsigned channel, uint64_t ns) const {
  std::lock_guard lock(mutex_);
  return state_->signals().at(channel, ns);
}

void MorvelBoard::SetFaults(const Faults& faults) {
  std::lock_guard lock(mutex_);
  state_->faults = faults;
  state_->scriptPosition = 0;
}

void MorvelBoard::SetTrace(bool on) {
  std::lock_guard lock(mutex_);
  state_->tracing = on;
}

std::vector<PortAccess> MorvelBoard::TakeTrace() {
  std::lock_guard lock(mutex_);
  return std::exchange(state_->trace, {});
}

std::vector<std::string> MorvelBoard::TakeDiagnostics() {
  std::lock_guard lock(mutex_);
  return std::exchange(state_->diagnostics, {});
}

Registers MorvelBoard::Snapshot() const {
  std::lock_guard lock(mutex_);
  return state_->regs;
}

uint16_t MorvelBoard::MemoryAt(uint32_t address) const {
  std::lock_guard lock(mutex_);
  return state_->memory.At(address);
}

uint32_t MorvelBoard::MemorySize() const {
  std::lock_guard lock(mutex_);
  return state_->memory.Size();
}

uint64_t MorvelBoard::BoardTime() const {
  std::lock_guard lock(mutex_);
  return state_->now;
}

ForeignDevice::ForeignDevice(uint8_t interruptLine) : line_(interruptLine) {}

void ForeignDevice::ReadConfig(uint32_t offset, void* out, uint32_t length) {
  std::array<uint8_t, 256> config{};
  put16(config, 0x00, kForeignVendorId);
  put16(config, 0x02, kForeignDeviceId);
  config[0x3C] = line_;
  config[0x3D] = 1;
  auto* bytes = static_cast<uint8_t*>(out);
  for (uint32_t i = 0; i < length; ++i) {
    const uint64_t at = uint64_t{offset} + i;
    bytes[i] = at < config.size() ? config[at] : 0xFF;
  }
}

void ForeignDevice::Assert(bool on) {
  if (claim_.exchange(on) != on) plat::bus::LineChanged(*this);
}

}  // namespace morvelboard
