// The request table of the simulated driver: sizes, method and device
// number are checked once, in dispatch, before a handler runs. The functions
// and their methods are the driver's list in skorradev.h; this table adds
// what the board itself needs of each.
#include <iterator>

#include "reply.h"

namespace skorradev {

namespace {

constexpr DWORD kAny = 0xFFFFFFFFu;

struct RequestSpec {
  SkorradevFunction function;
  DWORD inSize;   // kAny: the handler checks
  DWORD outSize;  // kAny: the handler checks
  bool numbered;  // input dword 0 is the device number
  LONG (Board::*handler)(Call&);
};

// clang-format off
constexpr RequestSpec kRequests[] = {
    {SKDF_PCI_INFO, 60, 60, true, &Board::pciInfo},
    {SKDF_DEVICE_INFO, 380, 380, true, &Board::deviceInfo},
    {SKDF_IO_BYTE_READ, 4, 4, false, &Board::registerRead},
    {SKDF_IO_WORD_READ, 4, 4, false, &Board::registerRead},
    {SKDF_IO_DWORD_READ, 4, 4, false, &Board::registerRead},
    {SKDF_IO_BYTE_WRITE, 8, 0, false, &Board::registerWrite},
    {SKDF_IO_WORD_WRITE, 8, 0, false, &Board::registerWrite},
    {SKDF_IO_DWORD_WRITE, 8, 0, false, &Board::registerWrite},
    {SKDF_MEM_BYTE_READ, 4, 4, false, &Board::registerRead},
    {SKDF_MEM_WORD_READ, 4, 4, false, &Board::registerRead},
    {SKDF_MEM_DWORD_READ, 4, 4, false, &Board::registerRead},
    {SKDF_MEM_BYTE_WRITE, 8, 0, false, &Board::registerWrite},
    {SKDF_MEM_WORD_WRITE, 8, 0, false, &Board::registerWrite},
    {SKDF_MEM_DWORD_WRITE, 8, 0, false, &Board::registerWrite},
    {SKDF_UNUSED_90E, 4, 4, true, &Board::plainOk},
    {SKDF_UNUSED_90F, 4, 4, true, &Board::plainOk},
    {SKDF_OPEN, 4, 4, true, &Board::openClose},
    {SKDF_CLOSE, 4, 4, true, &Board::openClose},
    {SKDF_UNUSED_AC2, 4, 4, true, &Board::plainOk},
    {SKDF_INTERRUPT_CAUSE, 8, 8, true, &Board::interruptCause},
    {SKDF_SET_CONFIG, 2120, 2120, true, &Board::setConfig},
    {SKDF_GET_CONFIG, 2120, 2120, true, &Board::getConfig},
    {SKDF_READ_DATA, 16, 16, true, &Board::readData},
    {SKDF_CLEAR_DATA, 4, 4, true, &Board::clearData},
    {SKDF_START, 12, 12, true, &Board::start},
    {SKDF_STOP, 4, 4, true, &Board::stop},
    {SKDF_STATUS, 16, 16, true, &Board::status},
    {SKDF_INPUT_AD, kAny, kAny, true, &Board::inputAd},
    {SKDF_ADJUST_VR, 24, 24, true, &Board::plainOk},
    {SKDF_INPUT_DI, 8, 8, true, &Board::digitalIn},
    {SKDF_OUTPUT_DO, 8, 8, true, &Board::digitalOut},
    {SKDF_SELF_CHECK, 4, 4, true, &Board::plainOk},
    {SKDF_INTERRUPT_WAIT, 0, 4, false, &Board::interruptWait},
    {SKDF_GET_RESOURCE, 44, 44, true, &Board::resource},
    {SKDF_TRIGGER_SAMPLING, 32, 32, true, &Board::triggerStart},
    {SKDF_MEM_TRIGGER_SAMPLING, 2084, 2084, true, &Board::memTriggerStart},
    {SKDF_SYNC_SAMPLING, 12, 12, true, &Board::syncStart},
    {SKDF_LV_SET_CONFIG, 20, 20, true, &Board::lowVoltage},
    {SKDF_LV_GET_CONFIG, 16, 16, true, &Board::lowVoltage},
    {SKDF_LV_READ_DATA, 16, 16, true, &Board::lowVoltage},
    {SKDF_LV_START, 12, 12, true, &Board::lowVoltage},
    {SKDF_LV_STOP, 8, 8, true, &Board::lowVoltage},
    {SKDF_LV_STATUS, 16, 16, true, &Board::lowVoltage},
    {SKDF_TEMPERATURE, 8, 8, true, &Board::temperature},
    {SKDF_UNUSED_ADC, 4, 4, true, &Board::plainOk},
    {SKDF_UNUSED_ADD, 4, 4, true, &Board::plainOk},
    {SKDF_UNUSED_ADE, 4, 4, true, &Board::plainOk},
    {SKDF_UNUSED_ADF, 4, 4, true, &Board::plainOk},
    {SKDF_BM_SET_CONFIG, 2160, 2160, true, &Board::bmSetConfig},
    {SKDF_BM_GET_CONFIG, 2160, 2160, true, &Board::bmGetConfig},
    {SKDF_BM_READ_DATA, 16, 16, true, &Board::bmReadData},
    {SKDF_UNUSED_AE3, 4, kAny, true, &Board::plainOk},
    {SKDF_BM_SYNC_READ, 12, kAny, true, &Board::bmTransfer},
    {SKDF_LV_CALIBRATION, 12, 12, true, &Board::lowVoltage},
    {SKDF_ALLOCATE_BUFFER, 4, 4, true, &Board::plainOk},
    {SKDF_READ_BUFFER, 20, 20, true, &Board::readBuffer},
    {SKDF_SET_RANGE_EVENT, 12, 12, true, &Board::storeValues},
    {SKDF_GET_RANGE_EVENT, 12, 12, true, &Board::loadValues},
    {SKDF_RESET_RANGE_EVENT, 4, 4, true, &Board::storeValues},
    {SKDF_SET_INTERVAL, 8, 8, true, &Board::storeValues},
    {SKDF_GET_INTERVAL, 8, 8, true, &Board::loadValues},
    {SKDF_SET_FUNCTION, 12, 12, true, &Board::storeValues},
    {SKDF_GET_FUNCTION, 8, 8, true, &Board::loadValues},
    {SKDF_FIFO_READ_DATA, 24, 24, true, &Board::fifoReadData},
    {SKDF_GET_OVER_RANGE, 8, 8, true, &Board::loadValues},
    {SKDF_RESET_OVER_RANGE, 4, 4, true, &Board::plainOk},
    {SKDF_READ_ADJUST_VR, 8, 8, true, &Board::plainOk},
    {SKDF_MEM_SET_CONFIG, 2128, 2128, true, &Board::memSetConfig},
    {SKDF_MEM_GET_CONFIG, 2128, 2128, true, &Board::memGetConfig},
    {SKDF_SET_OUT_MODE, 12, 12, true, &Board::storeValues},
    {SKDF_GET_OUT_MODE, 12, 12, true, &Board::loadValues},
    {SKDF_MEM_SET_DI_PATTERN, 40, 40, true, &Board::diPattern},
    {SKDF_MEM_GET_DI_PATTERN, 40, 40, true, &Board::diPattern},
    {SKDF_DIRECT_READ, 0, kAny, false, &Board::directRead},
    {SKDF_ADJUST_VR_WRITE, 24, 24, true, &Board::storeValues},
    {SKDF_ADJUST_VR_READ, 24, 24, true, &Board::loadValues},
    {SKDF_SET_BASE_OSC, 16, 16, true, &Board::storeValues},
    {SKDF_GET_BASE_OSC, 16, 16, true, &Board::loadValues},
    {SKDF_SET_FILTER, 8, 8, true, &Board::filter},
    {SKDF_GET_FILTER, 8, 8, true, &Board::filter},
    {SKDF_SET_EXINT_EVENT, 8, 8, true, &Board::storeValues},
    {SKDF_KILL_EXINT_EVENT, 8, 8, true, &Board::storeValues},
    {SKDF_FIFO_RESET, 8, 8, true, &Board::fifoControl},
    {SKDF_FIFO_START, 8, 8, true, &Board::fifoControl},
    {SKDF_FIFO_STATUS, 8, 8, true, &Board::fifoControl},
    {SKDF_SOFT_TRIGGER, 4, 4, true, &Board::plainOk},
    {SKDF_MORE_DEVICE_INFO, 80, 80, true, &Board::moreInfo},
    {SKDF_EVENT_FLAGS, 8, 8, true, &Board::eventFlags},
    {SKDF_VERSION, 36, 36, true, &Board::version},
    {SKDF_EVENT_COUNT, 8, 8, true, &Board::eventFlags},
    {SKDF_BM_START_TRANSFER, 0, kAny, false, &Board::bmTransfer},
    {SKDF_SET_ANALOG_TRG_DAC, 12, 8, true, &Board::plainOk},
    {SKDF_BM_STATUS, 20, 20, true, &Board::bmStatus},
    {SKDF_BUSY_STATUS, 8, 8, true, &Board::busyStatus},
    {SKDF_FIFO_STOP, 8, 8, true, &Board::fifoControl},
    {SKDF_DSW_VALUE, 8, 8, true, &Board::loadValues},
    {SKDF_SET_ADC_CONTROL, 8, 8, true, &Board::storeValues},
};
// clang-format on

// One row per function of the driver's list, in its order.
constexpr bool coversTheDriversList() {
  if (std::size(kRequests) != std::size(kSkorradevFunctions)) return false;
  for (size_t i = 0; i < std::size(kRequests); ++i) {
    if (kRequests[i].function != kSkorradevFunctions[i].function) return false;
  }
  return true;
}
static_assert(coversTheDriversList(), "one request row per driver function, in the list's order");

const RequestSpec* findSpec(DWORD function) {
  for (const RequestSpec& entry : kRequests) {
    if (entry.function == function) return &entry;
  }
  return nullptr;
}

// The rows follow the driver's list, so a row's method is its list entry's.
DWORD methodOf(const RequestSpec& entry) {
  return kSkorradevFunctions[&entry - kRequests].method;
}

}  // namespace

bool functionShape(DWORD function, FunctionShape& shape) {
  const RequestSpec* entry = findSpec(function);
  if (entry == nullptr) return false;
  shape = FunctionShape{methodOf(*entry), entry->inSize, entry->outSize, entry->numbered};
  return true;
}

void Board::noteRequest(DWORD function) {
  std::lock_guard<std::mutex> lock(mutex_);
  ++counts_[function];
}

LONG Board::dispatch(PlatRequest* request, DWORD function) {
  // Counted once the request has taken effect, so that a test that sees the
  // count grow also sees what the request did.
  struct Counted {
    Board* board;
    DWORD function;
    ~Counted() { board->noteRequest(function); }
  } counted{this, function};
  const RequestSpec* entry = findSpec(function);
  if (entry == nullptr) return PLAT_STATUS_INVALID_DEVICE_REQUEST;
  const DWORD method = methodOf(*entry);
  if (request->code != SKORRADEV_NT_CODE(function, method)) return PLAT_STATUS_INVALID_DEVICE_REQUEST;
  if ((entry->inSize != kAny && request->inputSize != entry->inSize) ||
      (method == METHOD_BUFFERED && entry->outSize != kAny && request->outputSize != entry->outSize)) {
    return PLAT_STATUS_INVALID_PARAMETER;
  }
  Call c{request, function, static_cast<const uint8_t*>(request->inputBuffer), request->inputSize,
         static_cast<uint8_t*>(request->outputBuffer), request->outputSize};
  Fault fault{};
  if (faultFor(function, fault) && !fault.callFails && method == METHOD_BUFFERED && c.outSize >= 4) {
    return reply(c, fault.value);
  }
  if (entry->numbered) {
    const uint32_t head = load<uint32_t>(c);
    const uint32_t n = function == SKDF_LV_READ_DATA ? (head & 0xFFFF) : head;
    if (n != number_) {
      if (method != METHOD_BUFFERED) return PLAT_STATUS_INVALID_PARAMETER;
      return reply(c, SKORRADEV_STATUS_UNKNOWN_DEVICE);
    }
  }
  return (this->*entry->handler)(c);
}

bool Board::validChannels(uint32_t count, uint32_t inputType, const SkorradevChannelEntry* list) const {
  const uint32_t maximum = inputType == 1 ? model_.singleChannels : inputType == 2 ? model_.diffChannels : 0;
  if (count == 0 || count > maximum || count > 256) return false;
  return std::all_of(list, list + count,
                     [maximum](const SkorradevChannelEntry& e) { return e.channel >= 1 && e.channel <= maximum; });
}

}  // namespace skorradev
