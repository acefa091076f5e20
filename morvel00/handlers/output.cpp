// Single output and digital input and output.
//
// A board takes its output code at one DAC port and is never told a
// channel, so on a board with more than one output channel only its first
// can be written faithfully: any other channel of such a board answers 769
// and nothing is written, rather than landing on the first channel's DAC.
//
// A background output is checked in full and then answered 802: the
// interrupt path has no step that would write its data to a board, and a
// success that outputs nothing would hide that. Nothing is kept and no
// board is touched.
//
// The digital port number passes its check (0 to 2) but does not reach the
// board either: every port acts on the one digital register.
#include "handlers/support.h"
#include "handlers/other.h"
#include "operations/board_locate.h"
#include "operations/board_operations.h"
#include "operations/sync_callbacks.h"

namespace morvel00 {

namespace {

BoardChannel LocateOutput(const XanBoardRecord* rec, uint32_t channel) {
  for (int b = 0; b < BoardCount(rec); ++b) {
    if (channel < rec->outputChannels[b]) return {b, static_cast<uint16_t>(channel)};
    channel -= rec->outputChannels[b];
  }
  return {-1, 0};
}

constexpr int kMaxListed = kRangeChannels * kMaxBoards;
constexpr uint16_t kNoDigitalType = 58;
constexpr uint32_t kMaxRepeat = 0xFFFFFF;
constexpr uint32_t kEndless = 0xFFFFFFFF;
constexpr int16_t kMaxOutMode = 5;

// 790, 821, or 0 with the board index and port taken apart.
int16_t CheckSelector(const XanBoardRecord* rec, uint16_t selector, unsigned* board, unsigned* port) {
  *board = selector & 0x0F;
  *port = selector >> 8;
  if (*board >= static_cast<unsigned>(BoardCount(rec))) return XAN_E_BOARD_INDEX;
  if (*port > 2) return XAN_E_PORT;
  return XAN_OK;
}

// 770 for a count outside 1 to the group's output total, which also bounds
// the copy of the channel list.
int16_t CheckOutCount(const XanBoardRecord* rec, int16_t count) {
  return count < 1 || count > rec->outputTotal || count > kMaxListed ? XAN_E_CHANNEL_COUNT : XAN_OK;
}

bool ChannelsListed(const XanBoardRecord* rec, const uint16_t* channels, int count) {
  for (int i = 0; i < count; ++i) {
    if (channels[i] >= rec->outputTotal) return false;
  }
  return true;
}

// The checks from the channel list (copied) on.
int16_t CheckOutBack(const XanBoardRecord* rec, const XanBackRecord& r, const uint16_t* channels) {
  if (!ChannelsListed(rec, channels, r.count)) return XAN_E_CHANNEL;
  if (r.samplesPerChannel == 0) return XAN_E_OUT_SAMPLES;
  if (r.scansOrRepeat == 0 || (r.scansOrRepeat > kMaxRepeat && r.scansOrRepeat != kEndless)) return XAN_E_OUT_REPEAT;
  if (!XanMessageValid(r.messageA) || !XanMessageValid(r.messageB)) return XAN_E_MESSAGE;
  // No mode above 5 would ever change the state.
  if (r.mode < 0 || r.mode > kMaxOutMode) return XAN_E_MODE;
  return XAN_OK;
}

}  // namespace

NTSTATUS GpdIoctlOut(XanCall& call) {
  XanSingleIoRecord& r = call.request->singleIo;
  XanBoardRecord* rec = call.rec;
  r.result = CheckOutCount(rec, r.count);
  if (r.result != XAN_OK) return STATUS_SUCCESS;
  uint16_t channels[kMaxListed];
  uint16_t code[kMaxListed];
  const int count = r.count;
  const size_t bytes = sizeof(uint16_t) * count;
  if (const NTSTATUS copied = XanCopyFromCaller(channels, r.channelListAddress, bytes); !NT_SUCCESS(copied)) {
    return copied;
  }
  if (const NTSTATUS copied = XanCopyFromCaller(code, r.valuesAddress, bytes); !NT_SUCCESS(copied)) return copied;
  BoardChannel at[kMaxListed];
  for (int i = 0; i < count; ++i) {
    at[i] = LocateOutput(rec, channels[i]);
    const bool reachable = at[i].board >= 0 && (at[i].local == 0 || rec->outputChannels[at[i].board] == 1);
    if (!reachable) {
      r.result = XAN_E_CHANNEL;
      return STATUS_SUCCESS;
    }
  }
  XanLocked(rec, [&] {
    for (int i = 0; i < count; ++i) XanStartDA(rec->ioBase[at[i].board], at[i].local, code[i]);
  });
  r.result = XAN_OK;
  return STATUS_SUCCESS;
}

NTSTATUS GpdIoctlOutBack(XanCall& call) {
  XanBackRecord& r = call.request->back;
  const XanBoardRecord* rec = call.rec;
  r.result = XanBusy(rec) ? int16_t{XAN_E_BUSY} : CheckOutCount(rec, r.count);
  if (r.result != XAN_OK) return STATUS_SUCCESS;
  uint16_t channels[kMaxListed];
  const size_t bytes = sizeof(uint16_t) * r.count;
  if (const NTSTATUS copied = XanCopyFromCaller(channels, r.channelListAddress, bytes); !NT_SUCCESS(copied)) {
    return copied;
  }
  r.result = CheckOutBack(rec, r, channels);
  if (r.result == XAN_OK) r.result = XAN_E_NO_OUT;
  return STATUS_SUCCESS;
}

NTSTATUS GpdIoctlDI(XanCall& call) {
  XanDigitalRecord& r = call.request->digital;
  XanBoardRecord* rec = call.rec;
  unsigned board = 0, port = 0;
  r.result = CheckSelector(rec, r.portSelector, &board, &port);
  if (r.result == XAN_OK && rec->boardType[0] == kNoDigitalType) r.result = XAN_E_NO_DI;
  if (r.result != XAN_OK) return STATUS_SUCCESS;
  uint16_t value = 0;
  XanDigitalIn(rec->ioBase[board], static_cast<uint16_t>(port), &value);
  r.value = value;
  return STATUS_SUCCESS;
}

NTSTATUS GpdIoctlDO(XanCall& call) {
  XanDigitalRecord& r = call.request->digital;
  XanBoardRecord* rec = call.rec;
  unsigned board = 0, port = 0;
  r.result = CheckSelector(rec, r.portSelector, &board, &port);
  if (r.result == XAN_OK && rec->boardType[0] == kNoDigitalType) r.result = XAN_E_NO_DO;
  if (r.result != XAN_OK) return STATUS_SUCCESS;
  XanSyncCall out{rec, {board, port, r.value}};
  XanSync(rec, SyncXanDigitalOut, &out);
  return STATUS_SUCCESS;
}

}  // namespace morvel00
