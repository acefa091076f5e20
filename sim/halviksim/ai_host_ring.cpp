#include "ai_host_ring.h"

#include <outside/halvikdrv.h>

#include <algorithm>

namespace halviksim {

namespace drv = halvikdrv;

namespace {
constexpr uint32_t kUnwritten = drv::ai::kRingUnwritten;
}

HostBuffer::~HostBuffer() { release(); }

LONG HostBuffer::keep(PlatRequest* request) {
  if (request->outputBuffer == nullptr || request->outputSize < 4) return PLAT_STATUS_INVALID_PARAMETER;
  release();
  request->driverContext = this;
  PlatMarkRequestPending(request);
  {
    std::lock_guard<std::mutex> lock(mutex_);
    request_ = request;
    buffer_ = request->outputBuffer;
    bytes_ = request->outputSize;
  }
  PlatSetCancelRoutine(request, cancelRoutine);
  if (PlatRequestCancelled(request) && PlatSetCancelRoutine(request, nullptr) != nullptr) {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      if (request_ == request) detachLocked();
    }
    PlatCompleteRequest(request, PLAT_STATUS_CANCELLED, 0);
  }
  return PLAT_STATUS_PENDING;
}

bool HostBuffer::setUp(uint64_t address, int64_t words, bool ring) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (request_ == nullptr || address != reinterpret_cast<uintptr_t>(buffer_) || words < 1 ||
      static_cast<uint64_t>(words) * 4 > bytes_)
    return false;
  words_ = static_cast<uint32_t*>(buffer_);
  size_ = static_cast<uint32_t>(words);
  ring_ = ring;
  position_ = lap_ = 0;
  upperPending_ = false;
  sinceLook_ = 0;
  // A ring from fixed memory holds whatever was there: every entry starts
  // marked as not written.
  if (ring_) {
    for (uint32_t i = 0; i < size_; ++i) put(i, kUnwritten << 16 | kUnwritten);
  }
  return true;
}

PlatRequest* HostBuffer::detachLocked() {
  PlatRequest* request = request_;
  request_ = nullptr;
  buffer_ = nullptr;
  words_ = nullptr;
  size_ = 0;
  return request;
}

void HostBuffer::completeReleased(PlatRequest* request) {
  // Without its cancel routine any more, the canceller completes it.
  if (request != nullptr && PlatSetCancelRoutine(request, nullptr) != nullptr)
    PlatCompleteRequest(request, PLAT_STATUS_SUCCESS, 0);
}

void HostBuffer::release() {
  PlatRequest* request;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    request = detachLocked();
  }
  completeReleased(request);
}

void HostBuffer::cancelRoutine(PlatRequest* request) {
  auto* self = static_cast<HostBuffer*>(request->driverContext);
  {
    std::lock_guard<std::mutex> lock(self->mutex_);
    if (self->request_ == request) self->detachLocked();
  }
  PlatCompleteRequest(request, PLAT_STATUS_CANCELLED, 0);
}

bool HostBuffer::attached() {
  std::lock_guard<std::mutex> lock(mutex_);
  return words_ != nullptr;
}

void HostBuffer::rewind() {
  std::lock_guard<std::mutex> lock(mutex_);
  position_ = lap_ = 0;
  upperPending_ = false;
  sinceLook_ = 0;
}

// The reader looks at the words while they are written: one access each.
void HostBuffer::put(uint32_t word, uint32_t value) { __atomic_store_n(words_ + word, value, __ATOMIC_RELAXED); }

void HostBuffer::step(uint32_t words) {
  position_ += words;
  while (position_ >= size_) {
    position_ -= size_;
    ++lap_;
  }
  sinceLook_ += words;
}

bool HostBuffer::write(int64_t from, int64_t to, int channels,
                       const std::function<int32_t(int64_t, int)>& valueOf) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (words_ == nullptr) return false;
  const auto entry = [&](int64_t scan, int e) -> uint32_t {
    return static_cast<uint32_t>(valueOf(scan, e)) & drv::ai::kRingSampleMask;
  };
  const uint32_t perScan = ring_ ? (static_cast<uint32_t>(channels) + 1) / 2 : static_cast<uint32_t>(channels);
  if (perScan > size_) return false;
  for (int64_t s = from; s < to; ++s) {
    if (!ring_) {
      for (int e = 0; e < channels; ++e) put((position_ + e) % size_, static_cast<uint32_t>(valueOf(s, e)));
      step(perScan);
    } else if (channels == 1) {
      if (!upperPending_) {
        put(position_, kUnwritten << 16 | entry(s, 0));
        step(1);
      } else {
        const uint32_t word = position_ == 0 ? size_ - 1 : position_ - 1;
        put(word, entry(s, 0) << 16 | (__atomic_load_n(words_ + word, __ATOMIC_RELAXED) & 0xFFFF));
      }
      upperPending_ = !upperPending_;
    } else {
      for (uint32_t k = 0; k < perScan; ++k) {
        const int lo = static_cast<int>(2 * k), hi = lo + 1;
        put((position_ + k) % size_, (hi < channels ? entry(s, hi) : kUnwritten) << 16 | entry(s, lo));
      }
      step(perScan);
    }
  }
  return sinceLook_ > size_;
}

int32_t HostBuffer::position() {
  std::lock_guard<std::mutex> lock(mutex_);
  sinceLook_ = 0;
  return static_cast<int32_t>(position_);
}

int32_t HostBuffer::lap() {
  std::lock_guard<std::mutex> lock(mutex_);
  return static_cast<int32_t>(lap_);
}

}  // namespace halviksim
