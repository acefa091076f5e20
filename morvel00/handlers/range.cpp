// Gain, the range list, and setting and reading the recorded range codes.
#include "handlers/support.h"
#include "handlers/other.h"
#include "operations/board_operations.h"
#include "operations/sync_callbacks.h"

namespace morvel00 {

namespace {

// The first board's channel count of a direction (0 input, 1 output).
uint16_t FirstBoardChannels(const XanBoardRecord* rec, uint16_t direction) {
  return direction == 0 ? rec->inputChannels[0] : rec->outputChannels[0];
}

// The checks set range and get range share: 771, 10000, 10001, 10002.
// A channel equal to the count is past the last one and would be recorded
// beyond the code table.
int16_t CheckRangeSelect(const XanBoardRecord* rec, uint16_t direction, uint16_t scope, uint16_t channel) {
  if (XanBusy(rec)) return XAN_E_BUSY;
  if (direction > 1) return XAN_E_SET_RANGE_DIRECTION;
  if (scope > 1) return XAN_E_SET_RANGE_SCOPE;
  if (channel >= FirstBoardChannels(rec, direction) || channel >= kRangeChannels) return XAN_E_SET_RANGE_CHANNEL;
  return XAN_OK;
}

constexpr int kMaxListed = kRangeChannels * kMaxBoards;
constexpr int16_t kMaxGainCode = 6;
constexpr uint16_t kMaxRangeCode = 27;
constexpr int16_t kMaxListRangeCode = 38;

}  // namespace

NTSTATUS GpdIoctlSetGain(XanCall& call) {
  XanSetGainRecord& r = call.request->setGain;
  XanBoardRecord* rec = call.rec;
  if (XanBusy(rec)) {
    r.result = XAN_E_BUSY;
  } else if (r.gainCode < 0 || r.gainCode > kMaxGainCode) {
    r.result = XAN_E_GAIN_CODE;
  } else if (r.gainMode > 1) {
    r.result = XAN_E_GAIN_MODE;
  } else if (r.gainMode == 0 && (r.channel < 0 || r.channel >= rec->inputTotal)) {
    r.result = XAN_E_GAIN_CHANNEL;
  } else {
    rec->gainMode = r.gainMode;
    rec->gainChannel = static_cast<uint16_t>(r.channel);
    rec->gainCode = static_cast<uint16_t>(r.gainCode);
    XanSyncCall gain{rec};
    XanSync(rec, SyncXanSetGain, &gain);
    r.result = static_cast<int16_t>(gain.result);
  }
  return STATUS_SUCCESS;
}

NTSTATUS GpdIoctlRange(XanCall& call) {
  XanRangeRecord& r = call.request->range;
  XanBoardRecord* rec = call.rec;
  r.result = XAN_OK;
  if (XanBusy(rec)) {
    r.result = XAN_E_BUSY;
    return STATUS_SUCCESS;
  }
  if (r.count < 1 || (r.count > rec->outputTotal && r.count > rec->inputTotal) || r.count > kMaxListed) {
    r.result = XAN_E_RANGE_COUNT;
    return STATUS_SUCCESS;
  }
  int16_t channels[kMaxListed];
  int16_t codes[kMaxListed];
  const size_t bytes = sizeof(int16_t) * r.count;
  if (const NTSTATUS copied = XanCopyFromCaller(channels, r.channelListAddress, bytes); !NT_SUCCESS(copied)) {
    return copied;
  }
  if (const NTSTATUS copied = XanCopyFromCaller(codes, r.rangeListAddress, bytes); !NT_SUCCESS(copied)) return copied;
  for (int i = 0; i < r.count; ++i) {
    if (channels[i] < 0 || (channels[i] >= rec->outputTotal && channels[i] >= rec->inputTotal)) {
      r.result = XAN_E_RANGE_CHANNEL;
      return STATUS_SUCCESS;
    }
    if (codes[i] < 0 || codes[i] > kMaxListRangeCode) {
      r.result = XAN_E_RANGE_CODE;
      return STATUS_SUCCESS;
    }
  }
  rec->rangeListCount = r.count;
  rec->rangeChannelListAddress = r.channelListAddress;
  rec->rangeCodeListAddress = r.rangeListAddress;
  r.result = XanRange(rec);
  return STATUS_SUCCESS;
}

NTSTATUS GpdIoctlSetRange(XanCall& call) {
  XanSetRangeRecord& r = call.request->setRange;
  XanBoardRecord* rec = call.rec;
  r.result = CheckRangeSelect(rec, r.direction, r.scope, r.channel);
  if (r.result == XAN_OK && r.rangeCode > kMaxRangeCode) r.result = XAN_E_SET_RANGE_CODE;
  if (r.result != XAN_OK) return STATUS_SUCCESS;
  XanSyncCall range{rec};
  range.data = &r;
  XanSync(rec, SyncXanSetRange, &range);
  r.result = static_cast<int16_t>(range.result);
  if (r.result != XAN_OK) return STATUS_SUCCESS;
  uint16_t* table = r.direction == 0 ? rec->inputRange : rec->outputRange;
  if (r.scope == 1) {
    table[r.channel] = r.rangeCode;
    return STATUS_SUCCESS;
  }
  (r.direction == 0 ? rec->commonInputRange : rec->commonOutputRange) = r.rangeCode;
  const unsigned channels = FirstBoardChannels(rec, r.direction);
  for (unsigned i = 0; i < channels && i < kRangeChannels; ++i) table[i] = r.rangeCode;
  return STATUS_SUCCESS;
}

NTSTATUS GpdIoctlGetRange(XanCall& call) {
  XanGetRangeRecord& r = call.request->getRange;
  XanBoardRecord* rec = call.rec;
  r.result = CheckRangeSelect(rec, r.direction, r.scope, r.channel);
  if (r.result != XAN_OK) return STATUS_SUCCESS;
  r.result = XanGetRange(rec, &r);
  const bool input = r.direction == 0;
  const uint16_t code = r.scope == 0 ? (input ? rec->commonInputRange : rec->commonOutputRange)
                                     : (input ? rec->inputRange : rec->outputRange)[r.channel];
  return XanStoreToCaller(r.codeAddress, code);
}

}  // namespace morvel00
