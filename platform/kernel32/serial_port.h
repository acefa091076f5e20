// A serial port handle over a Linux tty.
#pragma once
#include <windows.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <string>

#include "kernel32/io_object.h"

namespace plat {

// When a read ends, from COMMTIMEOUTS and the byte count.
struct ReadPlan {
  bool immediate = false;     // return at once with what is there
  bool firstChunk = false;    // return as soon as anything has come
  uint64_t totalMs = 0;       // 0: no total limit
  uint64_t intervalMs = 0;    // 0: no limit between bytes
};
ReadPlan planRead(const COMMTIMEOUTS& timeouts, DWORD toRead);

class SerialPort : public IoObject {
 public:
  // Takes ownership of `fd` (an open tty, already raw); `key` is the port's
  // entry in the table of open ports, released when the last handle closes.
  SerialPort(int fd, std::string key, DWORD access);
  ~SerialPort() override;

  BOOL read(void* buffer, DWORD toRead, DWORD* done, OVERLAPPED* overlapped) override;
  BOOL write(const void* buffer, DWORD toWrite, DWORD* done, OVERLAPPED* overlapped) override;
  BOOL getCommState(DCB* dcb) override;
  BOOL setCommState(const DCB* dcb) override;
  BOOL getCommTimeouts(COMMTIMEOUTS* timeouts) override;
  BOOL setCommTimeouts(const COMMTIMEOUTS* timeouts) override;
  BOOL purgeComm(DWORD flags) override;
  BOOL clearCommError(DWORD* errors, COMSTAT* status) override;
  // Wakes reads and writes that still wait; they end with
  // ERROR_OPERATION_ABORTED. Frees the port for the next open.
  void lastHandleClosed() override;

 private:
  // poll() on the port and on the close signal; 1 ready, 0 timed out,
  // -1 closed or failed (last error set).
  int waitFor(short events, int timeoutMs);
  COMMTIMEOUTS timeouts();

  int fd_;
  int wakeFd_;
  std::string key_;
  bool readable_;
  bool writable_;
  std::atomic<bool> closed_{false};
  std::mutex mutex_;  // dcb_, timeouts_
  DCB dcb_{};
  COMMTIMEOUTS timeouts_{};
};

// The table of ports open in this process: a second open of one port is
// refused, as on Windows.
bool claimPort(const std::string& key);
void releasePort(const std::string& key);

}  // namespace plat
