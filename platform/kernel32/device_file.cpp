// Request packets on a device's file object: hand-over to the driver,
// completion from any thread, cancellation.
#include "kernel32/device_file.h"

#include <platform/fault_safe_copy.h>

#include <algorithm>
#include <chrono>
#include <new>

#include "kernel32/waitable.h"

namespace plat {

namespace {

// How long the last CloseHandle waits for the driver to finish requests it
// was asked to cancel before it closes the file anyway.
constexpr auto kCloseWait = std::chrono::milliseconds(2000);

bool isError(LONG status) { return (static_cast<DWORD>(status) >> 30) == 3; }

BOOL finish(LONG status) {
  if (PLAT_NT_SUCCESS(status)) return TRUE;
  return fail(PlatStatusToWin32Error(status));
}

// Pending requests started by this thread. As on Windows, they are cancelled
// when the thread ends.
struct ThreadRequests {
  std::vector<std::weak_ptr<DeviceRequest>> list;

  void add(const RequestPtr& request) {
    std::erase_if(list, [](const std::weak_ptr<DeviceRequest>& w) { return w.expired(); });
    list.push_back(request);
  }
  ~ThreadRequests() {
    for (auto& weak : list) {
      if (RequestPtr request = weak.lock()) cancelRequest(request.get());
    }
  }
};
thread_local ThreadRequests t_requests;

}  // namespace

void completeRequest(DeviceRequest* request, LONG status, ULONG_PTR information) {
  if (request == nullptr || request->completing.exchange(true)) return;
  request->cancelRoutine.store(nullptr);
  // The caller may have given its output buffer up while the request was
  // pending; that fails the request, not the completing thread.
  if (request->callerOutput != nullptr && !request->system.empty() && !isError(status)) {
    size_t count = std::min<ULONG_PTR>(information, request->outputSize);
    const LONG copied = CopyToCaller(request->callerOutput, request->system.data(), count);
    if (copied != PLAT_STATUS_SUCCESS) {
      status = copied;
      information = 0;
    }
  }
  request->status = status;
  request->information = information;
  HANDLE event = request->event;
  RequestPtr keep;  // the packet lives until this function is done with it
  {
    std::lock_guard<std::mutex> lock(waitLock());
    if (OVERLAPPED* overlapped = request->overlapped) {
      overlapped->InternalHigh = information;
      std::atomic_ref<ULONG_PTR>(overlapped->Internal).store(static_cast<DWORD>(status));
    }
    request->completed = true;
    keep = request->owner->removePending(request);
    // A request that its driver answers at once, on the issuing thread,
    // has nobody waiting for it: waking every waiting thread of the process
    // for it would cost each of them a trip through the scheduler.
    if (request->issuerWaits || request->owner->watched()) notifyWaiters();
  }
  if (event != nullptr) setEventHandle(event);
}

void cancelRequest(DeviceRequest* request) {
  if (request->completing.load()) return;
  request->cancelled.store(true);
  if (PlatCancelRoutine routine = request->cancelRoutine.exchange(nullptr)) routine(request);
}

DeviceFile::DeviceFile(PlatDeviceDriver* driverIn, std::string name, DWORD accessIn, DWORD shareIn, DWORD flagsIn)
    : IoObject(ObjectKind::Device),
      PlatFile{},
      name_(std::move(name)),
      overlappedHandle_((flagsIn & FILE_FLAG_OVERLAPPED) != 0) {
  driver = driverIn;
  deviceName = name_.c_str();
  access = accessIn;
  share = shareIn;
  flags = flagsIn;
}

RequestPtr DeviceFile::removePending(DeviceRequest* request) {
  auto it = std::find_if(pending_.begin(), pending_.end(), [&](const RequestPtr& r) { return r.get() == request; });
  if (it == pending_.end()) return nullptr;
  RequestPtr found = std::move(*it);
  pending_.erase(it);
  return found;
}

RequestPtr DeviceFile::newRequest(DWORD major, HANDLE onHandle) {
  auto request = std::make_shared<DeviceRequest>();
  request->majorFunction = major;
  request->file = this;
  request->handle = onHandle;
  request->threadId = currentThreadId();
  request->owner = std::static_pointer_cast<DeviceFile>(shared_from_this());
  return request;
}

BOOL DeviceFile::submit(const RequestPtr& request, Dispatch dispatch, DWORD* done, OVERLAPPED* overlapped) {
  const bool async = overlappedHandle_ && overlapped != nullptr;
  if (overlapped != nullptr) {
    request->overlapped = overlapped;
    request->event = overlapped->hEvent;
    overlapped->InternalHigh = 0;
    std::atomic_ref<ULONG_PTR>(overlapped->Internal).store(STATUS_PENDING_VALUE);
    if (request->event != nullptr) resetEventHandle(request->event);
  }
  {
    std::lock_guard<std::mutex> lock(waitLock());
    pending_.push_back(request);
  }

  const LONG status = dispatch(request.get());
  if (status != PLAT_STATUS_PENDING && !request->markedPending.load()) {
    completeRequest(request.get(), status, request->information);
  }

  std::unique_lock<std::mutex> lock(waitLock());
  if (!async) {
    // Blocking call: it ends with the completion, which a cancel (CancelIo
    // from another thread, closing the handle) brings about.
    request->issuerWaits = true;
    waitCondition().wait(lock, [&] { return request->completed; });
    const LONG final = request->status;
    const ULONG_PTR information = request->information;
    lock.unlock();
    if (done != nullptr) *done = static_cast<DWORD>(information);
    return finish(final);
  }

  const bool completed = request->completed;
  const ULONG_PTR information = completed ? request->information : 0;
  lock.unlock();
  if (!completed) t_requests.add(request);
  if (status == PLAT_STATUS_PENDING) return fail(ERROR_IO_PENDING);
  // A driver may answer success while it keeps the request; the caller then
  // learns of the completion through the record's event.
  if (PLAT_NT_SUCCESS(status) && done != nullptr) *done = static_cast<DWORD>(information);
  return finish(status);
}

BOOL DeviceFile::control(HANDLE onHandle, DWORD code, void* in, DWORD inSize, void* out, DWORD outSize,
                         DWORD* returned, OVERLAPPED* overlapped) {
  if (driver->deviceControl == nullptr) return fail(ERROR_INVALID_FUNCTION);
  if ((inSize != 0 && in == nullptr) || (outSize != 0 && out == nullptr)) return fail(ERROR_NOACCESS);
  RequestPtr request = newRequest(PLAT_REQUEST_DEVICE_CONTROL, onHandle);
  request->code = code;
  request->method = METHOD_FROM_CTL_CODE(code);
  request->inputSize = inSize;
  request->outputSize = outSize;
  try {
    switch (request->method) {
      case METHOD_BUFFERED:
        request->system.resize(std::max(inSize, outSize));
        request->callerOutput = out;
        if (!request->system.empty()) request->systemBuffer = request->system.data();
        request->inputBuffer = request->outputBuffer = request->systemBuffer;
        break;
      case METHOD_IN_DIRECT:
      case METHOD_OUT_DIRECT:
        if (inSize != 0) {
          request->system.resize(inSize);
          request->systemBuffer = request->system.data();
        }
        request->inputBuffer = request->systemBuffer;
        request->outputBuffer = out;
        break;
      default:
        request->inputBuffer = in;
        request->outputBuffer = out;
        break;
    }
  } catch (const std::bad_alloc&) {
    return fail(ERROR_NO_SYSTEM_RESOURCES);
  }
  // An input the call cannot read fails it before the driver sees it.
  if (request->systemBuffer != nullptr && inSize != 0) {
    const LONG copied = CopyFromCaller(request->systemBuffer, in, inSize);
    if (copied != PLAT_STATUS_SUCCESS) return finish(copied);
  }
  return submit(request, driver->deviceControl, returned, overlapped);
}

BOOL DeviceFile::deviceControl(DWORD code, void* in, DWORD inSize, void* out, DWORD outSize, DWORD* returned,
                               OVERLAPPED* overlapped) {
  return control(handle, code, in, inSize, out, outSize, returned, overlapped);
}

BOOL DeviceFile::read(void* buffer, DWORD toRead, DWORD* done, OVERLAPPED* overlapped) {
  if (done != nullptr) *done = 0;
  if (driver->read == nullptr) return fail(ERROR_INVALID_FUNCTION);
  if (toRead != 0 && buffer == nullptr) return fail(ERROR_NOACCESS);
  RequestPtr request = newRequest(PLAT_REQUEST_READ, handle);
  request->outputBuffer = buffer;
  request->outputSize = toRead;
  return submit(request, driver->read, done, overlapped);
}

BOOL DeviceFile::write(const void* buffer, DWORD toWrite, DWORD* done, OVERLAPPED* overlapped) {
  if (done != nullptr) *done = 0;
  if (driver->write == nullptr) return fail(ERROR_INVALID_FUNCTION);
  if (toWrite != 0 && buffer == nullptr) return fail(ERROR_NOACCESS);
  RequestPtr request = newRequest(PLAT_REQUEST_WRITE, handle);
  request->inputBuffer = const_cast<void*>(buffer);
  request->inputSize = toWrite;
  return submit(request, driver->write, done, overlapped);
}

BOOL DeviceFile::cancel(OVERLAPPED* overlapped) {
  std::vector<RequestPtr> victims;
  {
    std::lock_guard<std::mutex> lock(waitLock());
    for (const RequestPtr& request : pending_) {
      if (overlapped == nullptr || request->overlapped == overlapped) victims.push_back(request);
    }
  }
  if (victims.empty()) return fail(ERROR_NOT_FOUND);
  for (const RequestPtr& request : victims) cancelRequest(request.get());
  return TRUE;
}

void DeviceFile::lastHandleClosed() {
  const DWORD savedError = GetLastError();  // a successful CloseHandle leaves it alone
  cancel(nullptr);
  if (driver->cleanup != nullptr) driver->cleanup(this);
  {
    std::unique_lock<std::mutex> lock(waitLock());
    ++closeWaits_;
    waitCondition().wait_for(lock, kCloseWait, [&] { return pending_.empty(); });
    --closeWaits_;
  }
  if (driver->close != nullptr) driver->close(this);
  SetLastError(savedError);
}

}  // namespace plat

using plat::DeviceRequest;

PLATFORM_API void PlatCompleteRequest(PlatRequest* request, LONG status, ULONG_PTR information) {
  if (request != nullptr) plat::completeRequest(DeviceRequest::from(request), status, information);
}

PLATFORM_API void PlatMarkRequestPending(PlatRequest* request) {
  if (request != nullptr) DeviceRequest::from(request)->markedPending.store(true);
}

PLATFORM_API PlatCancelRoutine PlatSetCancelRoutine(PlatRequest* request, PlatCancelRoutine routine) {
  if (request == nullptr) return nullptr;
  return DeviceRequest::from(request)->cancelRoutine.exchange(routine);
}

PLATFORM_API BOOL PlatRequestCancelled(const PlatRequest* request) {
  if (request == nullptr) return FALSE;
  return static_cast<const DeviceRequest*>(request)->cancelled.load() ? TRUE : FALSE;
}
