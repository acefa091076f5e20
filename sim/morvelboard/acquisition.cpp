#include "acquisition.h"

#include <algorithm>

namespace morvelboard {

uint16_t Memory::Read(Registers& regs) {
  const uint16_t value = At(regs.readAddress);
  regs.readAddress = (regs.readAddress + 1) % size_;
  regs.full = false;
  return value;
}

void Memory::Write(Registers& regs, uint16_t value) {
  if (cells_.empty()) cells_.assign(size_, 0);
  cells_[regs.writeAddress] = value;
  regs.writeAddress = (regs.writeAddress + 1) % size_;
}

uint16_t Memory::At(uint32_t address) const { return cells_.empty() ? 0 : cells_[address % size_]; }

namespace {

uint16_t factorOfInput(unsigned input) {
  switch (input) {
    case 1:
      return kFactorTrigger;
    case 2:
      return kFactorTrigger2;
    case 3:
      return kFactorTrigger3;
    default:
      return 0;
  }
}

}  // namespace

Acquisition::StartResult Acquisition::Start(Registers& regs, uint8_t value, uint64_t now) {
  if (Busy(now)) return StartResult::Busy;
  const uint16_t fw = regs.functionWord;
  if (fw & kFnScan) {
    n_ = value + 1u > kListEntries ? kListEntries : value + 1u;
    channels_ = regs.channelList;
  } else {
    n_ = 1;
    channels_[0] = value;
  }
  step_ = (regs.scanClock + 1ull) * kClockUnitNs;
  period_ = (fw & kFnBackToBack) ? n_ * step_ : (regs.samplingClock + 1ull) * kClockUnitNs;
  if (period_ < n_ * step_) {
    regs.statusLatched |= kStatusError;
    regs.factors |= kFactorError;
    return StartResult::Overrun;
  }
  mode_ = (fw & kFnExternalStart) ? 0 : (fw & kFnContinuous) ? 1 : (fw & kFnEdge) ? 2 : (fw & kFnStopEdge) ? 3 : 4;
  samples_ = regs.sampleCount + 1ull;
  skip_ = regs.trigDelayCount;
  delay_ = regs.delayCount;
  ring_ = (fw & kFnRing) != 0;
  endless_ = (mode_ == 0 || mode_ == 2) && (fw & kFnEndless);
  passesLeft_ = mode_ == 0 || mode_ == 2 ? regs.repeatCount + 1ull : 1;
  level_ = mode_ == 3 ? regs.stopTrigger : regs.startTrigger;
  triggerPending_ = false;
  t0_ = now;
  scan_ = 0;
  inScan_ = false;
  running_ = true;
  switch (mode_) {
    case 0:
    case 2:
      enterPass();
      break;
    case 1:
    case 3:
      phase_ = Phase::PreTrigger;
      armed_ = false;
      break;
    default:
      phase_ = Phase::Record;
      scansLeft_ = samples_;
  }
  return StartResult::Started;
}

void Acquisition::enterPass() {
  phase_ = mode_ == 0 ? Phase::WaitExternal : Phase::WaitLevel;
  armed_ = false;
}

void Acquisition::Stop(uint64_t now) {
  if (!running_) return;
  running_ = false;
  busyUntil_ = now + kStopDelayNs;
}

void Acquisition::Halt() {
  running_ = false;
  busyUntil_ = 0;
}

void Acquisition::ExternalTrigger(unsigned input) {
  if (!running_) return;
  if (phase_ == Phase::WaitExternal || (phase_ == Phase::PreTrigger && mode_ == 1)) {
    triggerPending_ = true;
    triggerInput_ = input;
  }
}

bool Acquisition::levelFires(const Signals& signals, uint64_t ts) {
  const uint16_t v = signals.at(level_.channel, ts);
  const bool falling = (level_.direction & 1) != 0;
  if (armed_ && (falling ? v <= level_.level2 : v >= level_.level2)) return true;
  if (falling ? v > level_.level1 : v < level_.level1) armed_ = true;
  return false;
}

void Acquisition::trigger(Registers& regs, uint16_t factor) {
  regs.triggerAddress = regs.writeAddress;
  regs.factors |= factor;
}

void Acquisition::finish(Registers& regs, uint16_t factor) {
  running_ = false;
  regs.factors |= factor;
}

bool Acquisition::beginScan(Registers& regs, const Signals& signals, uint64_t ts, uint64_t now) {
  switch (phase_) {
    case Phase::WaitExternal:
      if (!triggerPending_) {
        // Nothing happens until a trigger: go to the first scan after now.
        scan_ = (now - t0_) / period_ + 1;
        return false;
      }
      triggerPending_ = false;
      trigger(regs, factorOfInput(triggerInput_));
      break;
    case Phase::WaitLevel:
      if (!levelFires(signals, ts)) {
        ++scan_;
        return false;
      }
      trigger(regs, kFactorTrigger);
      break;
    case Phase::Skip:
      ++scan_;
      if (--scansLeft_ == 0) {
        phase_ = Phase::Record;
        scansLeft_ = samples_;
      }
      return false;
    case Phase::PreTrigger: {
      const bool fired = mode_ == 1 ? triggerPending_ : levelFires(signals, ts);
      if (fired) {
        trigger(regs, mode_ == 1 ? factorOfInput(triggerInput_) : kFactorTrigger);
        triggerPending_ = false;
        if (delay_ == 0) {
          finish(regs, kFactorEnd);
          return false;
        }
        phase_ = Phase::PostTrigger;
        scansLeft_ = delay_;
      }
      return true;
    }
    case Phase::Record:
    case Phase::PostTrigger:
      return true;
  }
  // A pass was triggered: skip, then record, from this scan on.
  if (skip_ > 0) {
    phase_ = Phase::Skip;
    scansLeft_ = skip_;
    return beginScan(regs, signals, ts, now);
  }
  phase_ = Phase::Record;
  scansLeft_ = samples_;
  return true;
}

void Acquisition::endScan(Registers& regs) {
  ++scan_;
  inScan_ = false;
  if (phase_ == Phase::PreTrigger || --scansLeft_ > 0) return;
  if (phase_ == Phase::Record && (mode_ == 0 || mode_ == 2) && (endless_ || --passesLeft_ > 0)) {
    enterPass();
    return;
  }
  finish(regs, kFactorEnd);
}

// With the ring, scans that later scans of this same advance overwrite
// completely are never seen: step over them in one go.
void Acquisition::skipOverwritten(Registers& regs, uint32_t memorySize, uint64_t now) {
  const bool plain = phase_ == Phase::Record || phase_ == Phase::PostTrigger ||
                     (phase_ == Phase::PreTrigger && mode_ == 1 && !triggerPending_);
  const uint64_t ts = t0_ + scan_ * period_;
  if (!plain || ts > now) return;
  const uint64_t complete = (now - ts) / period_;  // scans that end by now
  const uint64_t keep = memorySize / n_ + 2;
  if (complete <= keep) return;
  uint64_t skip = complete - keep;
  if (phase_ != Phase::PreTrigger) {
    // Only while the run goes on through the kept scans.
    if (scansLeft_ <= keep) return;
    skip = std::min(skip, scansLeft_ - keep);
    scansLeft_ -= skip;
  }
  scan_ += skip;
  regs.writeAddress = static_cast<uint32_t>((regs.writeAddress + skip % memorySize * n_) % memorySize);
}

void Acquisition::Advance(Registers& regs, Memory& memory, const Signals& signals, uint64_t now) {
  while (running_) {
    if (ring_ && !inScan_) skipOverwritten(regs, memory.Size(), now);
    const uint64_t ts = t0_ + scan_ * period_;
    if (!inScan_) {
      if (ts > now) return;
      if (!beginScan(regs, signals, ts, now)) continue;
      inScan_ = true;
      sample_ = 0;
    }
    for (; sample_ < n_; ++sample_) {
      if (ts + (sample_ + 1) * step_ > now) return;
      if (!ring_ && regs.full) {
        running_ = false;
        return;
      }
      memory.Write(regs, signals.at(channels_[sample_], ts + sample_ * step_));
      if (!ring_ && regs.writeAddress == regs.readAddress) {
        // The unread samples fill the memory: the board stops there.
        regs.full = true;
        regs.statusLatched |= kStatusFull;
        regs.factors |= kFactorFull;
        running_ = false;
        return;
      }
    }
    endScan(regs);
  }
}

}  // namespace morvelboard
