// The request table of the simulated driver: sizes, method and device
// number are checked once, in dispatch, before a handler runs.
#include <iterator>

#include "reply.h"

namespace skorradev {

namespace {

constexpr DWORD kAny = 0xFFFFFFFFu;

struct RequestSpec {
  DWORD function;
  DWORD method;
  DWORD inSize;   // kAny: the handler checks
  DWORD outSize;  // kAny: the handler checks
  bool numbered;  // input dword 0 is the device number
  LONG (Board::*handler)(Call&);
};

constexpr DWORD B = METHOD_BUFFERED;

// clang-format off
constexpr RequestSpec kRequests[] = {
    {0x900, B, 60, 60, true, &Board::pciInfo},
    {0x901, B, 380, 380, true, &Board::deviceInfo},
    {0x902, B, 4, 4, false, &Board::registerRead},
    {0x903, B, 4, 4, false, &Board::registerRead},
    {0x904, B, 4, 4, false, &Board::registerRead},
    {0x905, B, 8, 0, false, &Board::registerWrite},
    {0x906, B, 8, 0, false, &Board::registerWrite},
    {0x907, B, 8, 0, false, &Board::registerWrite},
    {0x908, B, 4, 4, false, &Board::registerRead},
    {0x909, B, 4, 4, false, &Board::registerRead},
    {0x90A, B, 4, 4, false, &Board::registerRead},
    {0x90B, B, 8, 0, false, &Board::registerWrite},
    {0x90C, B, 8, 0, false, &Board::registerWrite},
    {0x90D, B, 8, 0, false, &Board::registerWrite},
    {0x90E, B, 4, 4, true, &Board::plainOk},
    {0x90F, B, 4, 4, true, &Board::plainOk},
    {0xAC0, B, 4, 4, true, &Board::openClose},
    {0xAC1, B, 4, 4, true, &Board::openClose},
    {0xAC2, B, 4, 4, true, &Board::plainOk},
    {0xAC3, B, 8, 8, true, &Board::interruptCause},
    {0xAC4, B, 2120, 2120, true, &Board::setConfig},
    {0xAC5, B, 2120, 2120, true, &Board::getConfig},
    {0xAC6, B, 16, 16, true, &Board::readData},
    {0xAC7, B, 4, 4, true, &Board::clearData},
    {0xAC8, B, 12, 12, true, &Board::start},
    {0xAC9, B, 4, 4, true, &Board::stop},
    {0xACA, B, 16, 16, true, &Board::status},
    {0xACB, B, kAny, kAny, true, &Board::inputAd},
    {0xACC, B, 24, 24, true, &Board::plainOk},
    {0xACD, B, 8, 8, true, &Board::digitalIn},
    {0xACE, B, 8, 8, true, &Board::digitalOut},
    {0xACF, B, 4, 4, true, &Board::plainOk},
    {0xAD0, B, 0, 4, false, &Board::interruptWait},
    {0xAD1, B, 44, 44, true, &Board::resource},
    {0xAD2, B, 32, 32, true, &Board::triggerStart},
    {0xAD3, B, 2084, 2084, true, &Board::memTriggerStart},
    {0xAD4, B, 12, 12, true, &Board::syncStart},
    {0xAD5, B, 20, 20, true, &Board::lowVoltage},
    {0xAD6, B, 16, 16, true, &Board::lowVoltage},
    {0xAD7, B, 16, 16, true, &Board::lowVoltage},
    {0xAD8, B, 12, 12, true, &Board::lowVoltage},
    {0xAD9, B, 8, 8, true, &Board::lowVoltage},
    {0xADA, B, 16, 16, true, &Board::lowVoltage},
    {0xADB, B, 8, 8, true, &Board::temperature},
    {0xADC, B, 4, 4, true, &Board::plainOk},
    {0xADD, B, 4, 4, true, &Board::plainOk},
    {0xADE, B, 4, 4, true, &Board::plainOk},
    {0xADF, B, 4, 4, true, &Board::plainOk},
    {0xAE0, B, 2160, 2160, true, &Board::bmSetConfig},
    {0xAE1, B, 2160, 2160, true, &Board::bmGetConfig},
    {0xAE2, B, 16, 16, true, &Board::bmReadData},
    {0xAE3, METHOD_OUT_DIRECT, 4, kAny, true, &Board::plainOk},
    {0xAE4, METHOD_OUT_DIRECT, 12, kAny, true, &Board::bmTransfer},
    {0xAE5, B, 12, 12, true, &Board::lowVoltage},
    {0xAE6, B, 4, 4, true, &Board::plainOk},
    {0xAE7, B, 20, 20, true, &Board::readBuffer},
    {0xAE8, B, 12, 12, true, &Board::storeValues},
    {0xAE9, B, 12, 12, true, &Board::loadValues},
    {0xAEA, B, 4, 4, true, &Board::storeValues},
    {0xAEB, B, 8, 8, true, &Board::storeValues},
    {0xAEC, B, 8, 8, true, &Board::loadValues},
    {0xAED, B, 12, 12, true, &Board::storeValues},
    {0xAEE, B, 8, 8, true, &Board::loadValues},
    {0xAEF, B, 24, 24, true, &Board::fifoReadData},
    {0xAF1, B, 8, 8, true, &Board::loadValues},
    {0xAF2, B, 4, 4, true, &Board::plainOk},
    {0xAF3, B, 8, 8, true, &Board::plainOk},
    {0xAF4, B, 2128, 2128, true, &Board::memSetConfig},
    {0xAF5, B, 2128, 2128, true, &Board::memGetConfig},
    {0xAF7, B, 12, 12, true, &Board::storeValues},
    {0xAF8, B, 12, 12, true, &Board::loadValues},
    {0xAF9, B, 40, 40, true, &Board::diPattern},
    {0xAFA, B, 40, 40, true, &Board::diPattern},
    {0xAFB, METHOD_OUT_DIRECT, 0, kAny, false, &Board::directRead},
    {0xAFC, B, 24, 24, true, &Board::storeValues},
    {0xAFD, B, 24, 24, true, &Board::loadValues},
    {0xAFE, B, 16, 16, true, &Board::storeValues},
    {0xAFF, B, 16, 16, true, &Board::loadValues},
    {0xB00, B, 8, 8, true, &Board::filter},
    {0xB01, B, 8, 8, true, &Board::filter},
    {0xB02, B, 8, 8, true, &Board::storeValues},
    {0xB03, B, 8, 8, true, &Board::storeValues},
    {0xB04, B, 8, 8, true, &Board::fifoControl},
    {0xB05, B, 8, 8, true, &Board::fifoControl},
    {0xB06, B, 8, 8, true, &Board::fifoControl},
    {0xB07, B, 4, 4, true, &Board::plainOk},
    {0xB08, B, 80, 80, true, &Board::moreInfo},
    {0xB09, B, 8, 8, true, &Board::eventFlags},
    {0xB0A, B, 36, 36, true, &Board::version},
    {0xB0B, B, 8, 8, true, &Board::eventFlags},
    {0xB0C, METHOD_IN_DIRECT, 0, kAny, false, &Board::bmTransfer},
    {0xB0F, B, 12, 8, true, &Board::plainOk},
    {0xB10, B, 20, 20, true, &Board::bmStatus},
    {0xB11, B, 8, 8, true, &Board::busyStatus},
    {0xB12, B, 8, 8, true, &Board::fifoControl},
    {0xB13, B, 8, 8, true, &Board::loadValues},
    {0xB14, B, 8, 8, true, &Board::storeValues},
};
// clang-format on
static_assert(std::size(kRequests) == 97, "the driver has 97 functions");

const RequestSpec* findSpec(DWORD function) {
  for (const RequestSpec& entry : kRequests) {
    if (entry.function == function) return &entry;
  }
  return nullptr;
}

}  // namespace

bool functionShape(DWORD function, FunctionShape& shape) {
  const RequestSpec* entry = findSpec(function);
  if (entry == nullptr) return false;
  shape = FunctionShape{entry->method, entry->inSize, entry->outSize, entry->numbered};
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
  if (entry == nullptr || request->code != SKORRADEV_NT_CODE(function, entry->method)) {
    return PLAT_STATUS_INVALID_DEVICE_REQUEST;
  }
  if ((entry->inSize != kAny && request->inputSize != entry->inSize) ||
      (entry->method == METHOD_BUFFERED && entry->outSize != kAny && request->outputSize != entry->outSize)) {
    return PLAT_STATUS_INVALID_PARAMETER;
  }
  Call c{request, function, static_cast<const uint8_t*>(request->inputBuffer), request->inputSize,
         static_cast<uint8_t*>(request->outputBuffer), request->outputSize};
  Fault fault{};
  if (faultFor(function, fault) && !fault.callFails && entry->method == METHOD_BUFFERED && c.outSize >= 4) {
    return reply(c, fault.value);
  }
  if (entry->numbered) {
    const uint32_t head = load<uint32_t>(c);
    const uint32_t n = function == SKDF_LV_READ_DATA ? (head & 0xFFFF) : head;
    if (n != number_) {
      if (entry->method != METHOD_BUFFERED) return PLAT_STATUS_INVALID_PARAMETER;
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
