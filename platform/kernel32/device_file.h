// The file object of an open device and the request packets in flight on it.
#pragma once
#include <platform/device.h>

#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "kernel32/io_object.h"

namespace plat {

class DeviceFile;

// A request packet with the bookkeeping the driver does not see.
struct DeviceRequest : PlatRequest {
  std::shared_ptr<DeviceFile> owner;
  std::vector<unsigned char> system;  // the system buffer, when there is one
  void* callerOutput = nullptr;       // where a buffered result is copied back
  OVERLAPPED* overlapped = nullptr;
  HANDLE event = nullptr;

  std::atomic<PlatCancelRoutine> cancelRoutine{nullptr};
  std::atomic<bool> cancelled{false};
  std::atomic<bool> completing{false};
  std::atomic<bool> markedPending{false};
  bool completed = false;  // under waitLock()
  bool issuerWaits = false;  // under waitLock(): a blocking call sleeps on it

  static DeviceRequest* from(PlatRequest* request) { return static_cast<DeviceRequest*>(request); }
};

using RequestPtr = std::shared_ptr<DeviceRequest>;

void completeRequest(DeviceRequest* request, LONG status, ULONG_PTR information);
// Marks the request cancelled and runs its cancel routine, once.
void cancelRequest(DeviceRequest* request);

class DeviceFile : public IoObject, public PlatFile {
 public:
  DeviceFile(PlatDeviceDriver* driver, std::string name, DWORD access, DWORD share, DWORD flags);

  static DeviceFile* from(PlatFile* file) { return static_cast<DeviceFile*>(file); }

  // The file object is signalled while no request is pending on it, so a
  // wait on the handle (GetOverlappedResult without an event) ends with the
  // last completion.
  bool waitable() const override { return true; }
  bool signaled(DWORD) const override { return pending_.empty(); }

  BOOL read(void* buffer, DWORD toRead, DWORD* done, OVERLAPPED* overlapped) override;
  BOOL write(const void* buffer, DWORD toWrite, DWORD* done, OVERLAPPED* overlapped) override;
  BOOL deviceControl(DWORD code, void* in, DWORD inSize, void* out, DWORD outSize, DWORD* returned,
                     OVERLAPPED* overlapped) override;
  BOOL cancel(OVERLAPPED* overlapped) override;
  void lastHandleClosed() override;

  // DeviceIoControl passes the handle it was called on.
  BOOL control(HANDLE handle, DWORD code, void* in, DWORD inSize, void* out, DWORD outSize, DWORD* returned,
               OVERLAPPED* overlapped);

  // Under waitLock(): takes the request out of the pending list and returns
  // the list's reference to it.
  RequestPtr removePending(DeviceRequest* request);
  // Under waitLock(): whether a thread waits for the file's requests to end
  // (a wait on its handle, the last close).
  bool watched() const { return KernelObject::watched() || closeWaits_ > 0; }

 private:
  using Dispatch = LONG (*)(PlatRequest*);
  BOOL submit(const RequestPtr& request, Dispatch dispatch, DWORD* done, OVERLAPPED* overlapped);
  RequestPtr newRequest(DWORD major, HANDLE handle);

  std::string name_;
  bool overlappedHandle_;
  std::vector<RequestPtr> pending_;  // under waitLock()
  int closeWaits_ = 0;               // under waitLock()
};

}  // namespace plat
