#include "fake00.h"

#include <chrono>
#include <cstdio>
#include <cstring>

namespace morvel::testing {

namespace {

Fake00* g_fake = nullptr;

LONG create(PlatFile*) {
  g_fake->fileCounted(1);
  return PLAT_STATUS_SUCCESS;
}
void cleanup(PlatFile*) {}
void closed(PlatFile*) { g_fake->fileCounted(-1); }

PlatDeviceDriver g_driver = {nullptr, create, cleanup, closed, Fake00::dispatch, nullptr, nullptr};

bool isWait(uint32_t offset) { return offset == XAN_WAIT_BACK || offset == XAN_WAIT_BD_MEM || offset == XAN_WAIT_CNT; }

template <class T>
void put(void* bytes, std::size_t at, T value) {
  std::memcpy(static_cast<unsigned char*>(bytes) + at, &value, sizeof value);
}

}  // namespace

Fake00::Fake00(std::vector<unsigned> deviceIndices) {
  g_fake = this;
  for (unsigned index : deviceIndices) {
    char name[16];
    std::snprintf(name, sizeof name, XAN_DEVICE_NAME_FORMAT, index);
    names_.emplace_back(name);
    PlatRegisterDevice(name, &g_driver);
  }
}

Fake00::~Fake00() {
  for (const std::string& name : names_) PlatUnregisterDevice(name.c_str());
  g_fake = nullptr;
}

void Fake00::fileCounted(int step) {
  std::lock_guard<std::mutex> lock(m_);
  files_ += step;
}

void Fake00::answer(uint32_t offset, int16_t result) {
  std::lock_guard<std::mutex> lock(m_);
  results_[offset] = result;
}
void Fake00::answerOnce(uint32_t offset, int16_t result) {
  std::lock_guard<std::mutex> lock(m_);
  once_[offset].push_back(result);
}
void Fake00::refuse(uint32_t offset) {
  std::lock_guard<std::mutex> lock(m_);
  refused_[offset] = true;
}

LONG Fake00::dispatch(PlatRequest* request) { return g_fake->handle(request); }

LONG Fake00::handle(PlatRequest* request) {
  const uint32_t offset = XanCodeOffset(request->code);
  unsigned char* b = static_cast<unsigned char*>(request->systemBuffer);
  std::unique_lock<std::mutex> lock(m_);
  log_.push_back({offset, std::vector<unsigned char>(b, b + request->inputSize)});
  if (refused_[offset]) return PLAT_STATUS_INVALID_PARAMETER;
  request->information = request->outputSize;

  int16_t result = results_[offset];
  if (auto it = once_.find(offset); it != once_.end() && !it->second.empty()) {
    result = it->second.front();
    it->second.pop_front();
  }
  if (offset == XAN_INP_BACK || offset == XAN_OUT_BACK) lastStart_[XAN_BACK_STATUS].assign(b, b + 24);
  if (offset == XAN_INP_BD_MEM) lastStart_[XAN_BD_MEM_STATUS].assign(b, b + 24);
  if (offset == XAN_OPEN_CNT_GATE) lastStart_[XAN_WAIT_CNT].assign(b, b + 16);

  if (isWait(offset)) {
    if (offset == XAN_WAIT_CNT && lastStart_.count(XAN_WAIT_CNT)) {
      const std::vector<unsigned char>& gate = lastStart_[XAN_WAIT_CNT];
      std::memcpy(b + 4, gate.data() + 8, 4);   // window
      std::memcpy(b + 8, gate.data() + 12, 2);  // message
    }
    waits_[offset] = request;
    ++waitCount_[offset];
    PlatMarkRequestPending(request);
    PlatSetCancelRoutine(request, cancelWait);
    cv_.notify_all();
    if (PlatRequestCancelled(request) && PlatSetCancelRoutine(request, nullptr) != nullptr) {
      waits_[offset] = nullptr;
      ++cancelled_;
      PlatCompleteRequest(request, PLAT_STATUS_CANCELLED, 0);
    }
    // Answered with success at once while it stays pending.
    return PLAT_STATUS_SUCCESS;
  }
  switch (offset) {
    case XAN_OPEN:
      if (result == XAN_E_OWNED) put<uint32_t>(b, 0, ownerValue);
      break;
    case XAN_BACK_STATUS:
    case XAN_BD_MEM_STATUS: {
      const std::vector<unsigned char>& start = lastStart_[offset];
      if (start.size() == 24) {
        std::memcpy(b + 4, start.data() + 8, 4);    // window A
        std::memcpy(b + 8, start.data() + 12, 2);   // message A
        std::memcpy(b + 12, start.data() + 16, 4);  // window B
        std::memcpy(b + 16, start.data() + 20, 2);  // message B
      }
      put<int16_t>(b, 28, state);
      return PLAT_STATUS_SUCCESS;
    }
    case XAN_CNT_STATUS:
      put<int16_t>(b, 20, counterState);
      return PLAT_STATUS_SUCCESS;
    case XAN_BACK_DATA:
      put<uint16_t>(b, 12, backDataMore);
      break;
    case XAN_RELAY:
      request->information = 0;
      return PLAT_STATUS_SUCCESS;
    default:
      break;
  }
  if (offset != XAN_BINARY_TO_VOLT) put<int16_t>(b, 4, result);
  return PLAT_STATUS_SUCCESS;
}

void Fake00::cancelWait(PlatRequest* request) {
  {
    std::lock_guard<std::mutex> lock(g_fake->m_);
    for (auto& [offset, waiting] : g_fake->waits_) {
      if (waiting == request) waiting = nullptr;
    }
    ++g_fake->cancelled_;
  }
  PlatCompleteRequest(request, PLAT_STATUS_CANCELLED, 0);
}

bool Fake00::waitsReach(uint32_t offset, int n) {
  std::unique_lock<std::mutex> lock(m_);
  return cv_.wait_for(lock, std::chrono::seconds(5), [&] { return waitCount_[offset] >= n; });
}

bool Fake00::complete(uint32_t offset) {
  PlatRequest* request;
  {
    std::lock_guard<std::mutex> lock(m_);
    request = waits_[offset];
    waits_[offset] = nullptr;
  }
  if (request == nullptr || PlatSetCancelRoutine(request, nullptr) == nullptr) return false;
  PlatCompleteRequest(request, PLAT_STATUS_SUCCESS, request->outputSize);
  return true;
}

int Fake00::pending() {
  std::lock_guard<std::mutex> lock(m_);
  int n = 0;
  for (auto& [offset, waiting] : waits_) n += waiting != nullptr;
  return n;
}
int Fake00::cancelled() {
  std::lock_guard<std::mutex> lock(m_);
  return cancelled_;
}
std::vector<Logged> Fake00::log() {
  std::lock_guard<std::mutex> lock(m_);
  return log_;
}
std::vector<uint32_t> Fake00::offsets() {
  std::lock_guard<std::mutex> lock(m_);
  std::vector<uint32_t> out;
  for (const Logged& l : log_) out.push_back(l.offset);
  return out;
}
void Fake00::clearLog() {
  std::lock_guard<std::mutex> lock(m_);
  log_.clear();
}
int Fake00::openFiles() {
  std::lock_guard<std::mutex> lock(m_);
  return files_;
}

}  // namespace morvel::testing
