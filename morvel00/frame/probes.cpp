#include "frame/probes.h"

namespace morvel00 {

namespace {

struct Region {
  uint64_t address;
  uint64_t bytes;
  bool write;
  ULONG alignment;
};

uint64_t Positive(int64_t n) { return n > 0 ? static_cast<uint64_t>(n) : 0; }

// Up to three regions per record.
struct Regions {
  Region list[3];
  unsigned n = 0;
  void add(uint64_t address, uint64_t bytes, bool write, ULONG alignment) {
    if (bytes != 0) list[n++] = {address, bytes, write, alignment};
  }
};

Regions RegionsOf(uint32_t offset, const XanRequest& r, const XanBoardRecord* rec) {
  Regions out;
  switch (offset) {
    case XAN_INP:
      out.add(r.singleIo.valuesAddress, Positive(r.singleIo.count) * 2, true, 2);
      out.add(r.singleIo.channelListAddress, Positive(r.singleIo.count) * 2, false, 2);
      break;
    case XAN_OUT:
      out.add(r.singleIo.valuesAddress, Positive(r.singleIo.count) * 2, false, 2);
      out.add(r.singleIo.channelListAddress, Positive(r.singleIo.count) * 2, false, 2);
      break;
    case XAN_INP_BACK:
    case XAN_OUT_BACK: {
      const uint64_t channels = Positive(r.back.count);
      // Input: the number of scans; output: the samples per channel.
      const uint64_t perChannel = offset == XAN_INP_BACK ? r.back.scansOrRepeat : r.back.samplesPerChannel;
      out.add(r.back.dataAddress, channels * perChannel * 2, offset == XAN_INP_BACK, 2);
      out.add(r.back.channelListAddress, channels * 2, false, 2);
      break;
    }
    case XAN_INP_BD_MEM:
      out.add(r.bdMem.channelListAddress, Positive(r.bdMem.channelCount) * 2, false, 2);
      break;
    case XAN_READ_BUF: {
      const uint64_t channels = rec != nullptr ? rec->inputCount : 0;
      out.add(r.readBuf.arrayAddress, Positive(r.readBuf.scans) * channels * 2, true, 2);
      break;
    }
    case XAN_RANGE:
      out.add(r.range.channelListAddress, Positive(r.range.count) * 2, false, 2);
      out.add(r.range.rangeListAddress, Positive(r.range.count) * 2, false, 2);
      break;
    case XAN_GET_AI_DATA:
      out.add(r.aiData.arrayAddress, static_cast<uint64_t>(r.aiData.number) * 2, true, 2);
      break;
    case XAN_IS_DATA_READY:
    case XAN_GET_CNT_DATA_B:
      out.add(r.address.address, 2, true, 2);
      break;
    case XAN_GET_CNT_DATA:
    case XAN_GET_WRITE_ADDRESS:
    case XAN_GET_READ_ADDRESS:
    case XAN_GET_TRG_WRITE_ADDRESS:
      out.add(r.address.address, 4, true, 4);
      break;
    case XAN_GET_CNT_STS:
    case XAN_IS_CNT_DATA_READY:
      out.add(r.address.address, 1, true, 1);
      break;
    case XAN_GET_RANGE:
      out.add(r.getRange.codeAddress, 2, true, 2);
      break;
    default:
      break;
  }
  return out;
}

}  // namespace

NTSTATUS XanProbeCallerMemory(uint32_t offset, const XanRequest& request, const XanBoardRecord* rec) {
  const Regions regions = RegionsOf(offset, request, rec);
  for (unsigned i = 0; i < regions.n; ++i) {
    const Region& g = regions.list[i];
    if (g.bytes > SIZE_MAX) return STATUS_INVALID_USER_BUFFER;
    auto* address = reinterpret_cast<void*>(static_cast<uintptr_t>(g.address));
    const NTSTATUS status = g.write ? ProbeForWrite(address, static_cast<SIZE_T>(g.bytes), g.alignment)
                                    : ProbeForRead(address, static_cast<SIZE_T>(g.bytes), g.alignment);
    if (status == STATUS_INSUFFICIENT_RESOURCES) return status;  // the system's shortage, not the caller's fault
    if (!NT_SUCCESS(status)) return STATUS_INVALID_USER_BUFFER;
  }
  return STATUS_SUCCESS;
}

}  // namespace morvel00
