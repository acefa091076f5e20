// The board functions that are one request each, as rows of one frame.
#include "library.h"
#include "request.h"

namespace morvel {
namespace {

constexpr Field f(uint8_t at, uint8_t width) { return Field{at, width}; }
constexpr Field kU8_6 = f(6, 1), kU16_6 = f(6, 2), kU16_8 = f(8, 2), kU16_10 = f(10, 2), kU16_12 = f(12, 2);
constexpr Field kU32_8 = f(8, 4), kAddr8 = f(8, 8), kAddr16 = f(16, 8), kI16_24 = f(24, 2);

using S = Support;

constexpr RequestRow kInp{XAN_INP, S::Inp, {kAddr8, kAddr16, kI16_24}, {}};
constexpr RequestRow kReadBuf{XAN_READ_BUF, S::ReadBuf, {f(8, 4), f(12, 4), kAddr16}, {}};
constexpr RequestRow kSetGain{XAN_SET_GAIN, S::SetGain, {kU16_6, kU16_8, kU16_10}, {}};
constexpr RequestRow kRange{XAN_RANGE, S::Range, {kAddr8, kAddr16, kI16_24}, {}};
constexpr RequestRow kRelay{XAN_RELAY, S::Relay, {kU16_6, kU32_8, kU16_12, f(14, 2)}, {}};
constexpr RequestRow kOut{XAN_OUT, S::Out, {kAddr8, kAddr16, kI16_24}, {}};
constexpr RequestRow kDI{XAN_DI, S::DI, {kU16_6}, {kU16_8}};
constexpr RequestRow kDO{XAN_DO, S::DO, {kU16_6, kU16_8}, {}};
constexpr RequestRow kSts{XAN_STS, S::None, {}, {kU16_6, f(8, 4), kU16_12}};
constexpr RequestRow kStop{XAN_STOP, S::None, {}, {}};
constexpr RequestRow kIsDataReady{XAN_IS_DATA_READY, S::IsDataReady, {kAddr8}, {}};
constexpr RequestRow kCloseCntGate{XAN_CLOSE_CNT_GATE, S::Counter, {}, {}};
constexpr RequestRow kSetCntData{XAN_SET_CNT_DATA, S::Counter, {kU8_6, kU32_8}, {}};
constexpr RequestRow kGetCntData{XAN_GET_CNT_DATA, S::Counter, {kU8_6, kAddr8}, {}};
constexpr RequestRow kGetCntSts{XAN_GET_CNT_STS, S::Counter, {kAddr8}, {}};
constexpr RequestRow kResetCntSts{XAN_RESET_CNT_STS, S::Counter, {}, {}};
constexpr RequestRow kSetCntCommand{XAN_SET_CNT_COMMAND, S::Counter, {kU8_6}, {}};
constexpr RequestRow kIsCntDataReady{XAN_IS_CNT_DATA_READY, S::Counter, {kAddr8}, {}};
constexpr RequestRow kLatchCntData{XAN_LATCH_CNT_DATA, S::Counter, {}, {}};
constexpr RequestRow kChangeCntErrLimit{XAN_CHANGE_CNT_ERR_LIMIT, S::Counter, {kU16_6}, {}};
constexpr RequestRow kSetCntDataB{XAN_SET_CNT_DATA_B, S::Counter, {kU8_6, kU16_8}, {}};
constexpr RequestRow kGetCntDataB{XAN_GET_CNT_DATA_B, S::Counter, {kU8_6, kAddr8}, {}};
constexpr RequestRow kReset{XAN_BOARD_RESET, S::None, {}, {}};
constexpr RequestRow kMemoryReset{XAN_MEMORY_RESET, S::BoardMemory, {}, {}};
constexpr RequestRow kSetWriteAddress{XAN_SET_WRITE_ADDRESS, S::BoardMemory, {kU32_8}, {}};
constexpr RequestRow kGetWriteAddress{XAN_GET_WRITE_ADDRESS, S::BoardMemory, {kAddr8}, {}};
constexpr RequestRow kSetReadAddress{XAN_SET_READ_ADDRESS, S::BoardMemory, {kU32_8}, {}};
constexpr RequestRow kGetReadAddress{XAN_GET_READ_ADDRESS, S::BoardMemory, {kAddr8}, {}};
constexpr RequestRow kGetTrgWriteAddress{XAN_GET_TRG_WRITE_ADDRESS, S::BoardMemory, {kAddr8}, {}};
constexpr RequestRow kGetAIData{XAN_GET_AI_DATA, S::BoardMemory, {kU32_8, kAddr16}, {}};
// The two 8-bit values travel widened to 16 bits with a zero high byte.
constexpr RequestRow kSetRange{XAN_SET_RANGE, S::None, {kU16_6, kU16_8, kU16_10, kU16_12}, {}};
constexpr RequestRow kGetRange{XAN_GET_RANGE, S::None, {kU16_6, kU16_8, kU16_10, kAddr16}, {}};
constexpr RequestRow kSetAI{XAN_SET_AI, S::SetAI, {kU16_6, kU16_8}, {}};

}  // namespace
}  // namespace morvel

using morvel::address;
using morvel::runRequest;
namespace rows = morvel;

DLL_EXPORT LONG WINAPI XanInp(XanHandle h, XanIoParams* p) {
  if (p == nullptr) return XAN_E_CALL;
  return runRequest(rows::kInp, h, {address(p->values), address(p->channelList), p->count});
}
DLL_EXPORT LONG WINAPI XanReadBuf(XanHandle h, XanReadBufParams* p) {
  if (p == nullptr) return XAN_E_CALL;
  return runRequest(rows::kReadBuf, h,
                    {static_cast<uint32_t>(p->firstPosition), static_cast<uint32_t>(p->scans), p->array});
}
DLL_EXPORT LONG WINAPI XanSetGain(XanHandle h, uint16_t mode, uint16_t channel, uint16_t code) {
  return runRequest(rows::kSetGain, h, {mode, channel, code});
}
DLL_EXPORT LONG WINAPI XanRange(XanHandle h, int16_t* channels, int16_t* ranges, uint16_t count) {
  return runRequest(rows::kRange, h, {address(channels), address(ranges), count});
}
DLL_EXPORT LONG WINAPI XanRelay(XanHandle h, uint16_t a, uint32_t b, uint16_t c, uint16_t d) {
  return runRequest(rows::kRelay, h, {a, b, c, d});
}
DLL_EXPORT LONG WINAPI XanOut(XanHandle h, XanIoParams* p) {
  if (p == nullptr) return XAN_E_CALL;
  return runRequest(rows::kOut, h, {address(p->values), address(p->channelList), p->count});
}
DLL_EXPORT LONG WINAPI XanDI(XanHandle h, uint16_t port, uint16_t* value) {
  return runRequest(rows::kDI, h, {port}, {value});
}
DLL_EXPORT LONG WINAPI XanDO(XanHandle h, uint16_t port, uint16_t value) {
  return runRequest(rows::kDO, h, {port, value});
}
DLL_EXPORT LONG WINAPI XanSts(XanHandle h, uint16_t* state, uint32_t* count, uint16_t* passCount) {
  return runRequest(rows::kSts, h, {}, {state, count, passCount});
}
DLL_EXPORT LONG WINAPI XanStop(XanHandle h) { return runRequest(rows::kStop, h, {}); }
DLL_EXPORT LONG WINAPI XanIsDataReady(XanHandle h, uint16_t* flag) {
  return runRequest(rows::kIsDataReady, h, {address(flag)});
}
DLL_EXPORT LONG WINAPI XanCloseCntGate(XanHandle h) { return runRequest(rows::kCloseCntGate, h, {}); }
DLL_EXPORT LONG WINAPI XanSetCntData(XanHandle h, uint8_t counter, uint32_t count) {
  return runRequest(rows::kSetCntData, h, {counter, count});
}
DLL_EXPORT LONG WINAPI XanGetCntData(XanHandle h, uint8_t counter, uint32_t* count) {
  return runRequest(rows::kGetCntData, h, {counter, address(count)});
}
DLL_EXPORT LONG WINAPI XanGetCntSts(XanHandle h, uint8_t* flags) {
  return runRequest(rows::kGetCntSts, h, {address(flags)});
}
DLL_EXPORT LONG WINAPI XanResetCntSts(XanHandle h) { return runRequest(rows::kResetCntSts, h, {}); }
DLL_EXPORT LONG WINAPI XanSetCntCommand(XanHandle h, uint8_t word) {
  return runRequest(rows::kSetCntCommand, h, {word});
}
DLL_EXPORT LONG WINAPI XanIsCntDataReady(XanHandle h, uint8_t* flag) {
  return runRequest(rows::kIsCntDataReady, h, {address(flag)});
}
DLL_EXPORT LONG WINAPI XanLatchCntData(XanHandle h) { return runRequest(rows::kLatchCntData, h, {}); }
DLL_EXPORT LONG WINAPI XanChangeCntErrLimit(XanHandle h, uint16_t limit) {
  return runRequest(rows::kChangeCntErrLimit, h, {limit});
}
DLL_EXPORT LONG WINAPI XanSetCntDataB(XanHandle h, uint8_t counter, uint16_t value) {
  return runRequest(rows::kSetCntDataB, h, {counter, value});
}
DLL_EXPORT LONG WINAPI XanGetCntDataB(XanHandle h, uint8_t counter, uint16_t* value) {
  return runRequest(rows::kGetCntDataB, h, {counter, address(value)});
}
DLL_EXPORT LONG WINAPI XanReset(XanHandle h) { return runRequest(rows::kReset, h, {}); }
DLL_EXPORT LONG WINAPI XanMemoryReset(XanHandle h) { return runRequest(rows::kMemoryReset, h, {}); }
DLL_EXPORT LONG WINAPI XanSetWriteAddress(XanHandle h, uint32_t a) {
  return runRequest(rows::kSetWriteAddress, h, {a});
}
DLL_EXPORT LONG WINAPI XanGetWriteAddress(XanHandle h, uint32_t* a) {
  return runRequest(rows::kGetWriteAddress, h, {address(a)});
}
DLL_EXPORT LONG WINAPI XanSetReadAddress(XanHandle h, uint32_t a) {
  return runRequest(rows::kSetReadAddress, h, {a});
}
DLL_EXPORT LONG WINAPI XanGetReadAddress(XanHandle h, uint32_t* a) {
  return runRequest(rows::kGetReadAddress, h, {address(a)});
}
DLL_EXPORT LONG WINAPI XanGetTrgWriteAddress(XanHandle h, uint32_t* a) {
  return runRequest(rows::kGetTrgWriteAddress, h, {address(a)});
}
DLL_EXPORT LONG WINAPI XanGetAIData(XanHandle h, uint32_t number, uint16_t* values) {
  return runRequest(rows::kGetAIData, h, {number, address(values)});
}
DLL_EXPORT LONG WINAPI XanSetRange(XanHandle h, uint8_t direction, uint8_t allOrOne, uint16_t channel,
                                   uint16_t code) {
  return runRequest(rows::kSetRange, h, {direction, allOrOne, channel, code});
}
DLL_EXPORT LONG WINAPI XanGetRange(XanHandle h, uint8_t direction, uint8_t allOrOne, uint16_t channel,
                                   uint16_t* code) {
  return runRequest(rows::kGetRange, h, {direction, allOrOne, channel, address(code)});
}
DLL_EXPORT LONG WINAPI XanSetAI(XanHandle h, uint16_t a, uint16_t b) { return runRequest(rows::kSetAI, h, {a, b}); }

// The driver takes the buffer's first four bytes as a handle value and
// answers 12 bytes, so the buffer holds 12; the value at +0 stays 0.
DLL_EXPORT LONG WINAPI XanBinaryToVolt(XanHandle h, uint16_t value, void*) {
  XanRequest record{};
  record.binaryToVolt.value = value;
  morvel::LockGuard lock;
  if (!morvel::sendRequest(h, XAN_BINARY_TO_VOLT, record)) return XAN_E_CALL;
  return record.binaryToVolt.result;
}
