// Handlers of the one-request functions: information, registers, settings,
// single conversions and the low-voltage family.
#include "reply.h"

namespace skorradev {

namespace {

uint64_t storeKey(DWORD function, uint32_t key) { return (static_cast<uint64_t>(function) << 32) | key; }

}  // namespace

// ---------------------------------------------------------------- information

LONG Board::pciInfo(Call& c) {
  const uint32_t n = number_;
  std::lock_guard<std::mutex> lock(mutex_);
  return reply(c, 0,
               {model_.model, 0x1B5Eu, 1u, n, 0u, 16u + n % 8, 0xE000u + 0x100u * n, 0x100u,
                0xF0000000u + (n << 20), 0x1000u, model_.pciDeviceId, 0u, 0u, 0u});
}

LONG Board::deviceInfo(Call& c) {
  SkorradevDeviceInfoReply r{};
  std::lock_guard<std::mutex> lock(mutex_);
  std::copy(info_.begin(), info_.end(), r.info);
  return replyRecord(c, r);
}

// Every dword of the reply carries something of the board, so that a
// reader that takes one for another is seen. Dword 7 is the clock type:
// boards of type 2 report their second set of clock periods.
LONG Board::moreInfo(Call& c) {
  SkorradevMoreInfoReply r{};
  std::lock_guard<std::mutex> lock(mutex_);
  r.model = static_cast<uint16_t>(model_.model);
  r.variant = model_.variant;
  auto dword = [&r](int k) -> uint32_t& { return r.value[k - 2]; };
  dword(2) = model_.singleChannels;
  dword(3) = model_.diffChannels;
  dword(4) = model_.resolution;
  dword(5) = model_.rangeMask;
  dword(6) = model_.modeMask;
  dword(7) = model_.clockType;
  dword(8) = model_.triggerInputs;
  dword(9) = model_.clockKind;
  dword(10) = model_.pciDeviceId;
  dword(11) = number_;
  dword(12) = model_.periodMode2Ns;
  dword(13) = model_.periodScanNs * 1000u;
  dword(14) = boardId_;
  dword(15) = model_.periodOneNs * 1000u;  // picoseconds
  dword(16) = model_.periodScanNs;
  if (model_.clockType == 2) {
    dword(17) = model_.periodMode2Ns * 1000u;
    dword(18) = info_[83] * 1000u;
    dword(19) = model_.periodOneNs * 2u;
  }
  return replyRecord(c, r);
}

LONG Board::version(Call& c) {
  SkorradevVersionReply r{};
  std::strncpy(r.text[0], "SKDRV-SIM", sizeof r.text[0] - 1);
  std::strncpy(r.text[1], "01.00.00.00", sizeof r.text[1] - 1);
  return replyRecord(c, r);
}

LONG Board::resource(Call& c) {
  const uint32_t n = number_;
  return reply(c, 0, {0xE000u + 0x100u * n, 0x100u, 0xF0000000u + (n << 20), 0x1000u, 16u + n % 8, 0u, 1u, n, 0u, 0u});
}

LONG Board::temperature(Call& c) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (!model_.lowVoltage) return reply(c, SKORRADEV_STATUS_NOT_AVAILABLE);
  return reply(c, 0, {0x64});  // 25.0 degrees in quarter steps
}

// ---------------------------------------------------------------- registers

LONG Board::registerRead(Call& c) {
  const uint32_t offset = load<uint32_t>(c);
  const bool memory = c.function >= SKDF_MEM_BYTE_READ;
  const uint32_t kind = (c.function - (memory ? SKDF_MEM_BYTE_READ : SKDF_IO_BYTE_READ));
  const uint32_t mask = kind == 0 ? 0xFFu : kind == 1 ? 0xFFFFu : 0xFFFFFFFFu;
  uint32_t value = 0;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    auto& file = memory ? memRegisters_ : ioRegisters_;
    auto it = file.find(offset);
    if (it != file.end()) value = it->second & mask;
  }
  std::memcpy(c.out, &value, 4);
  c.request->information = 4;
  return PLAT_STATUS_SUCCESS;
}

LONG Board::registerWrite(Call& c) {
  const auto w = load<SkorradevRegisterWrite>(c);
  const bool memory = c.function >= SKDF_MEM_BYTE_WRITE;
  const uint32_t kind = (c.function - (memory ? SKDF_MEM_BYTE_WRITE : SKDF_IO_BYTE_WRITE));
  const uint32_t mask = kind == 0 ? 0xFFu : kind == 1 ? 0xFFFFu : 0xFFFFFFFFu;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    (memory ? memRegisters_ : ioRegisters_)[w.offset] = w.value & mask;
  }
  c.request->information = 0;
  return PLAT_STATUS_SUCCESS;
}

// ---------------------------------------------------------------- plain

LONG Board::plainOk(Call& c) {
  if (c.function == SKDF_UNUSED_AE3) return PLAT_STATUS_SUCCESS;
  return reply(c, 0);
}

LONG Board::openClose(Call& c) { return reply(c, 0); }

LONG Board::digitalIn(Call& c) {
  std::lock_guard<std::mutex> lock(mutex_);
  return reply(c, 0, {digitalOut_});  // the outputs are wired back to the inputs
}

LONG Board::digitalOut(Call& c) {
  const auto in = load<SkorradevPair>(c);
  std::lock_guard<std::mutex> lock(mutex_);
  digitalOut_ = in.value;
  return reply(c, 0);
}

LONG Board::filter(Call& c) {
  const auto in = load<SkorradevPair>(c);
  std::lock_guard<std::mutex> lock(mutex_);
  if (c.function == SKDF_GET_FILTER) return reply(c, 0, {filter_});
  if (running_) return reply(c, SKORRADEV_STATUS_BUSY);
  if (in.value > 5) return reply(c, SKORRADEV_STATUS_BAD_CONFIG);
  filter_ = in.value;
  return reply(c, 0);
}

LONG Board::storeValues(Call& c) {
  uint32_t v[6] = {};
  std::memcpy(v, c.in, std::min<size_t>(sizeof v, c.inSize));
  std::lock_guard<std::mutex> lock(mutex_);
  switch (c.function) {
    case SKDF_SET_RANGE_EVENT: stored_[storeKey(c.function, 0)] = {v[1], v[2], 0, 0}; break;
    case SKDF_RESET_RANGE_EVENT: stored_.erase(storeKey(SKDF_SET_RANGE_EVENT, 0)); break;
    case SKDF_SET_INTERVAL: stored_[storeKey(c.function, 0)] = {v[1], 0, 0, 0}; break;
    case SKDF_SET_FUNCTION: stored_[storeKey(c.function, v[1])] = {v[2], 0, 0, 0}; break;
    case SKDF_SET_OUT_MODE: stored_[storeKey(c.function, 0)] = {v[1], v[2], 0, 0}; break;
    case SKDF_ADJUST_VR_WRITE:
      stored_[storeKey(c.function, (v[1] << 16) ^ (v[2] << 8) ^ v[3])] = {v[4], 0, 0, 0};
      break;
    case SKDF_SET_BASE_OSC: stored_[storeKey(c.function, 0)] = {v[1], v[2], v[3], 0}; break;
    case SKDF_SET_EXINT_EVENT: stored_[storeKey(c.function, 0)] = {v[1], 0, 0, 0}; break;
    case SKDF_KILL_EXINT_EVENT: stored_.erase(storeKey(SKDF_SET_EXINT_EVENT, 0)); break;
    default: stored_[storeKey(c.function, 0)] = {v[1], 0, 0, 0}; break;
  }
  return reply(c, 0);
}

LONG Board::loadValues(Call& c) {
  uint32_t v[6] = {};
  std::memcpy(v, c.in, std::min<size_t>(sizeof v, c.inSize));
  std::lock_guard<std::mutex> lock(mutex_);
  auto get = [this](DWORD function, uint32_t key) {
    auto it = stored_.find(storeKey(function, key));
    return it == stored_.end() ? std::array<uint32_t, 4>{} : it->second;
  };
  std::array<uint32_t, 4> s{};
  switch (c.function) {
    case SKDF_GET_RANGE_EVENT: s = get(SKDF_SET_RANGE_EVENT, 0); return reply(c, 0, {s[0], s[1]});
    case SKDF_GET_INTERVAL: s = get(SKDF_SET_INTERVAL, 0); return reply(c, 0, {s[0]});
    case SKDF_GET_FUNCTION: s = get(SKDF_SET_FUNCTION, v[1]); return reply(c, 0, {s[0]});
    case SKDF_GET_OUT_MODE: s = get(SKDF_SET_OUT_MODE, 0); return reply(c, 0, {s[0], s[1]});
    case SKDF_ADJUST_VR_READ:
      s = get(SKDF_ADJUST_VR_WRITE, (v[1] << 16) ^ (v[2] << 8) ^ v[3]);
      return reply(c, 0, {s[0]});
    case SKDF_GET_BASE_OSC: s = get(SKDF_SET_BASE_OSC, 0); return reply(c, 0, {s[0], s[1], s[2]});
    case SKDF_DSW_VALUE: return reply(c, 0, {boardId_ & 0xF});
    default: return reply(c, 0, {0});  // over-range channels: none
  }
}

LONG Board::diPattern(Call& c) {
  const auto in = load<SkorradevDiPattern>(c);
  std::lock_guard<std::mutex> lock(mutex_);
  auto& slot = stored_[storeKey(SKDF_MEM_SET_DI_PATTERN, 0)];
  auto& rest = stored_[storeKey(SKDF_MEM_SET_DI_PATTERN, 1)];
  auto& count = stored_[storeKey(SKDF_MEM_SET_DI_PATTERN, 2)];
  if (c.function == SKDF_MEM_SET_DI_PATTERN) {
    if (in.count > 8) return reply(c, SKORRADEV_STATUS_BAD_ARGUMENT);
    SkorradevDiPattern kept{};
    std::copy(in.value, in.value + in.count, kept.value);
    std::copy(kept.value, kept.value + 4, slot.begin());
    std::copy(kept.value + 4, kept.value + 8, rest.begin());
    count[0] = in.count;
    return reply(c, 0);
  }
  SkorradevDiPattern out{};
  out.count = count[0];
  std::copy(slot.begin(), slot.end(), out.value);
  std::copy(rest.begin(), rest.end(), out.value + 4);
  return replyRecord(c, out);
}

LONG Board::inputAd(Call& c) {
  const bool longForm = c.inSize == sizeof(SkorradevInputAdLong) && c.outSize == c.inSize;
  const bool shortForm = c.inSize == sizeof(SkorradevInputAdShort) && c.outSize == c.inSize;
  if (!longForm && !shortForm) return PLAT_STATUS_INVALID_PARAMETER;
  const auto in = load<SkorradevInputAdLong>(c);  // the short form is its prefix
  uint64_t values = in.values;
  if (shortForm) std::memcpy(&values, c.in + offsetof(SkorradevInputAdShort, values), sizeof values);
  const uint32_t room = longForm ? 256 : 16;
  std::lock_guard<std::mutex> lock(mutex_);
  const bool boardWantsLong = model_.singleChannels > 16 || model_.diffChannels > 8;
  if (running_) return reply(c, SKORRADEV_STATUS_BUSY);
  if (boardWantsLong != longForm || in.mode < 1 || in.mode > 6 || in.count == 0 || in.count > room) {
    return reply(c, SKORRADEV_STATUS_BAD_ARGUMENT);
  }
  if (!validChannels(in.count, in.mode == 2 ? 2 : 1, in.list)) return reply(c, SKORRADEV_STATUS_BAD_CONFIG);
  if (values == 0) return reply(c, SKORRADEV_STATUS_NULL_BUFFER);
  auto* out = reinterpret_cast<uint8_t*>(static_cast<uintptr_t>(values));
  for (uint32_t i = 0; i < in.count; ++i) {
    const uint32_t v = sample(in.list[i].channel, 0);
    std::memcpy(out + i * width_, &v, width_);
  }
  return reply(c, 0);
}

LONG Board::lowVoltage(Call& c) {
  uint32_t v[5] = {};
  std::memcpy(v, c.in, std::min<size_t>(sizeof v, c.inSize));
  std::lock_guard<std::mutex> lock(mutex_);
  if (!model_.lowVoltage) return reply(c, SKORRADEV_STATUS_NOT_AVAILABLE);
  switch (c.function) {
    case SKDF_LV_SET_CONFIG:
      if (v[1] > 3) return reply(c, SKORRADEV_STATUS_BAD_ARGUMENT);
      lvSlots_[v[1]] = {v[2], v[3], v[4]};
      return reply(c, 0);
    case SKDF_LV_GET_CONFIG:
      if (v[1] > 3) return reply(c, SKORRADEV_STATUS_BAD_ARGUMENT);
      return reply(c, 0, {lvSlots_[v[1]][0], lvSlots_[v[1]][1], lvSlots_[v[1]][2]});
    case SKDF_LV_READ_DATA: {
      const auto in = load<SkorradevDataRequest>(c);
      const uint32_t channels = in.head >> 16;
      if (channels == 0 || channels > 4 || in.count == 0) return reply(c, SKORRADEV_STATUS_BAD_ARGUMENT, {0});
      if (in.buffer == 0) return reply(c, SKORRADEV_STATUS_NULL_BUFFER, {0});
      auto* out = reinterpret_cast<uint8_t*>(static_cast<uintptr_t>(in.buffer));
      for (uint32_t s = 0; s < in.count; ++s) {
        for (uint32_t ch = 1; ch <= channels; ++ch, out += width_) {
          const uint32_t value = sample(ch, lvScans_ + s);
          std::memcpy(out, &value, width_);
        }
      }
      lvScans_ += in.count;
      return reply(c, 0, {in.count});
    }
    case SKDF_LV_START:
      if (lvRunning_) return reply(c, SKORRADEV_STATUS_BUSY);
      lvRunning_ = true;
      lvScans_ = 0;
      return reply(c, 0);
    case SKDF_LV_STOP:
      lvRunning_ = false;
      return reply(c, 0);
    case SKDF_LV_STATUS:
      return reply(c, 0, {lvRunning_ ? SKORRADEV_STATE_RUNNING : SKORRADEV_STATE_STOPPED,
                          static_cast<uint32_t>(lvScans_), 0});
    default:  // calibration: the library waits this many milliseconds
      return reply(c, 0, {5});
  }
}

}  // namespace skorradev
