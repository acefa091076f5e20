// Handlers of configuration, runs, data, interrupts and direct transfers.
#include "reply.h"

namespace skorradev {

// ---------------------------------------------------------------- configuration

template <class Record, class Check>
LONG Board::acceptConfig(Call& c, Record& target, Source source, Check modeCheck) {
  const auto in = load<Record>(c);
  std::lock_guard<std::mutex> lock(mutex_);
  if (running_) return reply(c, SKORRADEV_STATUS_BUSY);
  if (!validChannels(in.channelCount, in.inputType, in.channels) || !modeCheck(in))
    return reply(c, SKORRADEV_STATUS_BAD_CONFIG);
  target = in;
  target.head = 0;
  configured_ = source;
  return reply(c, 0);
}

namespace {
constexpr auto kNoModeCheck = [](const auto&) { return true; };
}  // namespace

LONG Board::setConfig(Call& c) { return acceptConfig(c, normal_, Source::Normal, kNoModeCheck); }

LONG Board::getConfig(Call& c) {
  std::lock_guard<std::mutex> lock(mutex_);
  return replyRecord(c, normal_);
}

LONG Board::bmSetConfig(Call& c) { return acceptConfig(c, bm_, Source::BusMaster, kNoModeCheck); }

LONG Board::bmGetConfig(Call& c) {
  std::lock_guard<std::mutex> lock(mutex_);
  return replyRecord(c, bm_);
}

LONG Board::memSetConfig(Call& c) {
  return acceptConfig(c, mem_, Source::Memory, [](const SkorradevMemSamplingRequest& in) {
    const uint64_t total = static_cast<uint64_t>(in.preTrigger) + in.postTrigger;
    return total != 0 && total <= 0x400000;
  });
}

LONG Board::memGetConfig(Call& c) {
  std::lock_guard<std::mutex> lock(mutex_);
  return replyRecord(c, mem_);
}

// ---------------------------------------------------------------- runs

LONG Board::start(Call& c) {
  const auto in = load<SkorradevStartRequest>(c);
  std::lock_guard<std::mutex> lock(mutex_);
  Run run;
  if (in.value < 1 || in.value > 3) return reply(c, SKORRADEV_STATUS_BAD_ARGUMENT);
  if (running_) return reply(c, SKORRADEV_STATUS_BUSY);
  if (!runFrom(configured_, run, in.event)) return reply(c, SKORRADEV_STATUS_NOT_READY);
  startLocked(std::move(run));
  return reply(c, 0);
}

LONG Board::triggerStart(Call& c) {
  const auto in = load<SkorradevTriggerRequest>(c);
  std::lock_guard<std::mutex> lock(mutex_);
  Run run;
  if (model_.clockType == 1) return reply(c, SKORRADEV_STATUS_NOT_AVAILABLE);
  if (running_) return reply(c, SKORRADEV_STATUS_BUSY);
  if (!runFrom(configured_, run, in.event)) return reply(c, SKORRADEV_STATUS_NOT_READY);
  startLocked(std::move(run));
  return reply(c, 0);
}

LONG Board::memTriggerStart(Call& c) {
  const auto in = load<SkorradevMemTriggerRequest>(c);
  std::lock_guard<std::mutex> lock(mutex_);
  if (in.count == 0 || in.count > 256) return reply(c, SKORRADEV_STATUS_BAD_ARGUMENT);
  if (running_) return reply(c, SKORRADEV_STATUS_BUSY);
  Run run;
  runFrom(Source::Normal, run, in.event);
  run.channels.clear();
  for (uint32_t i = 0; i < in.count; ++i) run.channels.push_back(in.list[i].channel);
  run.wordsPerScan = in.count;
  run.frequency = clockFrequency(in.clockCode);
  startLocked(std::move(run));
  return reply(c, 0);
}

LONG Board::syncStart(Call& c) {
  const auto in = load<SkorradevStartRequest>(c);
  std::lock_guard<std::mutex> lock(mutex_);
  const uint32_t kind = in.value & 3;
  if (kind != 1 && kind != 2) return reply(c, SKORRADEV_STATUS_BAD_CONFIG);
  if (running_) return reply(c, SKORRADEV_STATUS_BUSY);
  Run run;
  if (!runFrom(configured_, run, in.event)) return reply(c, SKORRADEV_STATUS_NOT_READY);
  startLocked(std::move(run));
  return reply(c, 0);
}

LONG Board::stop(Call& c) {
  Deferred d;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    endRunLocked(d);
  }
  finish(d);
  return reply(c, 0);
}

LONG Board::status(Call& c) {
  std::lock_guard<std::mutex> lock(mutex_);
  return reply(c, 0,
               {running_ ? SKORRADEV_STATE_RUNNING : SKORRADEV_STATE_STOPPED, static_cast<uint32_t>(produced_),
                static_cast<uint32_t>(heldLocked())});
}

LONG Board::bmStatus(Call& c) {
  std::lock_guard<std::mutex> lock(mutex_);
  return reply(c, 0,
               {running_ ? SKORRADEV_STATE_RUNNING : SKORRADEV_STATE_STOPPED, static_cast<uint32_t>(produced_),
                static_cast<uint32_t>(heldLocked()), static_cast<uint32_t>(dropped_)});
}

LONG Board::busyStatus(Call& c) {
  std::lock_guard<std::mutex> lock(mutex_);
  return reply(c, 0, {running_ ? 1u : 0u});
}

LONG Board::fifoControl(Call& c) {
  Deferred d;
  LONG result;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    Run run;
    switch (c.function) {
      case SKDF_FIFO_RESET:
        read_ = produced_;
        result = reply(c, 0, {0});
        break;
      case SKDF_FIFO_START:
        if (running_) {
          result = reply(c, SKORRADEV_STATUS_BUSY);
        } else if (!runFrom(configured_, run, 0xFFFFFFFFu)) {
          result = reply(c, SKORRADEV_STATUS_NOT_READY);
        } else {
          startLocked(std::move(run));
          result = reply(c, 0, {0});
        }
        break;
      case SKDF_FIFO_STATUS:
        result = reply(c, 0, {static_cast<uint32_t>(heldLocked())});
        break;
      default:  // stop
        endRunLocked(d);
        result = reply(c, 0, {0});
        break;
    }
  }
  finish(d);
  return result;
}

// ---------------------------------------------------------------- data

LONG Board::readData(Call& c) {
  const auto in = load<SkorradevDataRequest>(c);
  std::lock_guard<std::mutex> lock(mutex_);
  if (in.count == 0) return reply(c, SKORRADEV_STATUS_BAD_ARGUMENT, {0});
  if (in.buffer == 0) return reply(c, SKORRADEV_STATUS_NULL_BUFFER, {0});
  return reply(c, 0, {deliverLocked(in.buffer, in.count, false)});
}

LONG Board::bmReadData(Call& c) {
  const auto in = load<SkorradevDataRequest>(c);
  std::lock_guard<std::mutex> lock(mutex_);
  if (in.count == 0) return reply(c, SKORRADEV_STATUS_BAD_ARGUMENT, {0});
  if (in.buffer == 0) return reply(c, SKORRADEV_STATUS_NULL_BUFFER, {0});
  return reply(c, 0, {deliverLocked(in.buffer, in.count, true)});
}

LONG Board::readBuffer(Call& c) {
  const auto in = load<SkorradevBufferReadRequest>(c);
  std::lock_guard<std::mutex> lock(mutex_);
  if (in.length < -1 || in.count == 0) return reply(c, SKORRADEV_STATUS_BAD_ARGUMENT);
  if (in.buffer == 0) return reply(c, SKORRADEV_STATUS_NULL_BUFFER);
  return reply(c, 0, {0, deliverLocked(in.buffer, in.count, false)});
}

LONG Board::fifoReadData(Call& c) {
  const auto in = load<SkorradevFifoDataRequest>(c);
  std::lock_guard<std::mutex> lock(mutex_);
  if (in.count == 0) return reply(c, SKORRADEV_STATUS_BAD_ARGUMENT, {0});
  if (in.buffer1 == 0 || in.buffer2 == 0) return reply(c, SKORRADEV_STATUS_NULL_BUFFER, {0});
  const uint64_t first = read_;
  const uint32_t delivered = deliverLocked(in.buffer1, in.count, false);
  auto* indices = reinterpret_cast<uint8_t*>(static_cast<uintptr_t>(in.buffer2));
  for (uint32_t i = 0; i < delivered; ++i) {
    const uint32_t scan = static_cast<uint32_t>(first + i);
    std::memcpy(indices + 4u * i, &scan, 4);
  }
  return reply(c, 0, {delivered});
}

LONG Board::clearData(Call& c) {
  std::lock_guard<std::mutex> lock(mutex_);
  read_ = produced_;
  return reply(c, 0);
}

// ---------------------------------------------------------------- interrupts

LONG Board::interruptCause(Call& c) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (causes_.empty()) {
    lastCause_ = Cause{SKORRADEV_CAUSE_NONE, 0, eventInterrupts_};
  } else {
    lastCause_ = causes_.front();
    causes_.pop_front();
  }
  return reply(c, 0, {lastCause_.cause});
}

LONG Board::eventFlags(Call& c) {
  std::lock_guard<std::mutex> lock(mutex_);
  return reply(c, 0, {c.function == SKDF_EVENT_FLAGS ? lastCause_.flags : lastCause_.count});
}

LONG Board::interruptWait(Call& c) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (unannounced_ > 0) {
    --unannounced_;
    const DWORD pendingCauses = static_cast<DWORD>(causes_.size());
    std::memcpy(c.out, &pendingCauses, sizeof pendingCauses);
    c.request->information = sizeof pendingCauses;
    return PLAT_STATUS_SUCCESS;
  }
  return keepPending(c.request, waits_);
}

// ---------------------------------------------------------------- direct

LONG Board::bmTransfer(Call& c) {
  if (c.function == SKDF_BM_SYNC_READ) {
    const auto in = load<SkorradevStartRequest>(c);
    if (in.value < 1 || in.value > 2) return PLAT_STATUS_INVALID_PARAMETER;
  }
  if (c.out == nullptr || c.outSize == 0) return PLAT_STATUS_INVALID_USER_BUFFER;
  std::lock_guard<std::mutex> lock(mutex_);
  if (running_) return PLAT_STATUS_DEVICE_BUSY;
  Run run;
  const uint32_t event = c.function == SKDF_BM_SYNC_READ ? load<SkorradevStartRequest>(c).event : 0xFFFFFFFFu;
  if (configured_ != Source::BusMaster || !runFrom(Source::BusMaster, run, event)) {
    return PLAT_STATUS_INVALID_PARAMETER;
  }
  startLocked(std::move(run));
  return keepPending(c.request, transfers_);
}

LONG Board::directRead(Call& c) {
  if (c.out == nullptr || c.outSize < 4) return PLAT_STATUS_INVALID_USER_BUFFER;
  Deferred d;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!model_.directRead) return PLAT_STATUS_INVALID_DEVICE_REQUEST;
    keepPending(c.request, directReads_);
    serveDirectReadsLocked(d);
  }
  finish(d);
  return PLAT_STATUS_PENDING;
}

}  // namespace skorradev
