#include "pending_driver.h"

#include <outside/halvikdrv.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <string>

#include "event_threads.h"
#include "library_state.h"

namespace halvik::testing {

namespace {

namespace drv = halvikdrv;

PendingDriver* g_current = nullptr;

LONG create(PlatFile*) { return PLAT_STATUS_SUCCESS; }
void nothing(PlatFile*) {}
PlatDeviceDriver g_driver = {nullptr, create, nothing, nothing, PendingDriver::dispatch, nullptr, nullptr};

template <class T>
void put(void* bytes, std::size_t at, T value) {
  std::memcpy(static_cast<unsigned char*>(bytes) + at, &value, sizeof value);
}

}  // namespace

PendingDriver::PendingDriver(int16_t id) : name_("HVAIRUN" + std::to_string(::getpid())) {
  g_current = this;
  PlatRegisterDevice(name_.c_str(), &g_driver);
  Library().processId = GetCurrentProcessId();
  record_ = &DeviceTable().emplace_back();
  std::snprintf(record_->DeviceName, sizeof record_->DeviceName, "AIRUN%d", id);
  record_->Id = id;
  record_->BusKind = 1;
  const std::string path = "\\\\.\\" + name_;
  record_->Handle = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OVERLAPPED, nullptr);
}

PendingDriver::~PendingDriver() {
  EndEventThreads(*record_);
  CloseHandle(record_->Handle);
  DeviceTable().clear();
  PlatUnregisterDevice(name_.c_str());
  g_current = nullptr;
}

LONG PendingDriver::dispatch(PlatRequest* request) {
  PendingDriver& d = *g_current;
  void* b = request->systemBuffer;
  request->information = request->outputSize;
  std::lock_guard<std::mutex> lock(d.m_);
  switch (request->code) {
    case drv::kOwnership:
      put<int32_t>(b, 0, 0);
      return PLAT_STATUS_SUCCESS;
    case drv::kAiEventWait:
      d.wait_ = request;
      ++d.waits_;
      PlatSetCancelRoutine(request, cancel);
      d.cv_.notify_all();
      return PLAT_STATUS_PENDING;
    case drv::kAiEventFetch:
      put<int32_t>(b, drv::ai::kEventMask, d.fetch_.mask);
      put<int32_t>(b, 1156, d.fetch_.factor);
      put<int32_t>(b, drv::ai::kSamplingCount, d.fetch_.sampling);
      put<int32_t>(b, drv::ai::kRepeatCount, d.fetch_.repeat);
      put<int32_t>(b, 1076, static_cast<int32_t>(d.fetch_.list.size()));
      for (std::size_t i = 0; i < d.fetch_.list.size(); ++i) put<int32_t>(b, 52 + 4 * i, d.fetch_.list[i]);
      put<int16_t>(b, 1082, d.fetch_.end ? 1 : 0);
      put<int32_t>(b, drv::ai::kStatus, d.fetch_.status);
      return PLAT_STATUS_SUCCESS;
    case drv::kAiStatus:
      put<int32_t>(b, drv::ai::kStatusBits, d.statusBits);
      put<int32_t>(b, drv::ai::kStatus, 0);
      return PLAT_STATUS_SUCCESS;
    case drv::kAiStop:
      put<int32_t>(b, drv::ai::kStatus, d.stopStatus);
      return PLAT_STATUS_SUCCESS;
    default:
      put<int32_t>(b, drv::ai::kStatus, 0);
      return PLAT_STATUS_SUCCESS;
  }
}

void PendingDriver::cancel(PlatRequest* request) {
  PendingDriver& d = *g_current;
  {
    std::lock_guard<std::mutex> lock(d.m_);
    if (d.wait_ == request) d.wait_ = nullptr;
    ++d.cancelled_;
  }
  PlatCompleteRequest(request, PLAT_STATUS_CANCELLED, 0);
}

void PendingDriver::complete(const FetchScript& fetch) {
  PlatRequest* request;
  {
    std::lock_guard<std::mutex> lock(m_);
    fetch_ = fetch;
    request = wait_;
    wait_ = nullptr;
  }
  if (request != nullptr && PlatSetCancelRoutine(request, nullptr) != nullptr)
    PlatCompleteRequest(request, PLAT_STATUS_SUCCESS, request->outputSize);
}

bool PendingDriver::waitsReach(int n) {
  std::unique_lock<std::mutex> lock(m_);
  return cv_.wait_for(lock, std::chrono::seconds(5), [&] { return waits_ >= n; });
}

int PendingDriver::waits() {
  std::lock_guard<std::mutex> lock(m_);
  return waits_;
}
int PendingDriver::cancelled() {
  std::lock_guard<std::mutex> lock(m_);
  return cancelled_;
}
bool PendingDriver::pending() {
  std::lock_guard<std::mutex> lock(m_);
  return wait_ != nullptr;
}

}  // namespace halvik::testing
