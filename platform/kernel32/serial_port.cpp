// Serial port handles: termios settings and reads and writes with the
// Windows time-out rules, over a non-blocking tty and poll().
#include "kernel32/serial_port.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdint>

#include <platform/device.h>

#include "kernel32/serial_termios.h"
#include "kernel32/waitable.h"

namespace plat {

namespace {

using Clock = std::chrono::steady_clock;

// Keeps deadlines far from the clock's range even for MAXDWORD multipliers.
constexpr uint64_t kLongestWaitMs = uint64_t{1} << 40;

uint64_t totalLimit(DWORD multiplier, DWORD constant, DWORD bytes) {
  return std::min<uint64_t>(uint64_t{multiplier} * bytes + constant, kLongestWaitMs);
}

// Milliseconds from now to `until`, rounded up so a wait never ends early.
int64_t msUntil(Clock::time_point now, Clock::time_point until) {
  if (until <= now) return 0;
  return std::chrono::ceil<std::chrono::milliseconds>(until - now).count();
}

int pollTimeout(int64_t ms) { return ms < 0 ? -1 : static_cast<int>(std::min<int64_t>(ms, INT_MAX)); }

// Serial I/O completes before the call returns; an overlapped record still
// learns the outcome, as callers that wait on its event expect.
void reportOverlapped(OVERLAPPED* overlapped, BOOL ok, DWORD count) {
  if (overlapped == nullptr) return;
  const DWORD error = GetLastError();
  LONG status = PLAT_STATUS_SUCCESS;
  if (!ok) status = error == ERROR_OPERATION_ABORTED ? PLAT_STATUS_CANCELLED : static_cast<LONG>(0xC0000001);
  overlapped->InternalHigh = count;
  std::atomic_ref<ULONG_PTR>(overlapped->Internal).store(static_cast<DWORD>(status));
  if (overlapped->hEvent != nullptr) setEventHandle(overlapped->hEvent);
  SetLastError(error);
}

void setModemLine(int fd, int line, bool on) {
  int bits = line;
  (void)::ioctl(fd, on ? TIOCMBIS : TIOCMBIC, &bits);  // ptys have no modem lines
}

// A hang-up or an error is reported whatever events are asked for.
bool hungUp(int fd) {
  pollfd line{fd, 0, 0};
  return ::poll(&line, 1, 0) > 0 && (line.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0;
}

}  // namespace

ReadPlan planRead(const COMMTIMEOUTS& t, DWORD toRead) {
  ReadPlan plan;
  if (t.ReadIntervalTimeout == MAXDWORD && t.ReadTotalTimeoutMultiplier == 0 && t.ReadTotalTimeoutConstant == 0) {
    plan.immediate = true;
  } else if (t.ReadIntervalTimeout == MAXDWORD && t.ReadTotalTimeoutMultiplier == MAXDWORD &&
             t.ReadTotalTimeoutConstant != 0 && t.ReadTotalTimeoutConstant != MAXDWORD) {
    plan.firstChunk = true;
    plan.totalMs = t.ReadTotalTimeoutConstant;
  } else {
    plan.totalMs = totalLimit(t.ReadTotalTimeoutMultiplier, t.ReadTotalTimeoutConstant, toRead);
    plan.intervalMs = t.ReadIntervalTimeout;
  }
  return plan;
}

SerialPort::SerialPort(int fd, std::string key, DWORD access)
    : IoObject(ObjectKind::Serial),
      fd_(fd),
      wakeFd_(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)),
      key_(std::move(key)),
      readable_((access & (GENERIC_READ | GENERIC_ALL)) != 0),
      writable_((access & (GENERIC_WRITE | GENERIC_ALL)) != 0) {
  dcb_.DCBlength = sizeof(DCB);
  dcb_.fBinary = 1;
  dcb_.fDtrControl = DTR_CONTROL_ENABLE;
  dcb_.fRtsControl = RTS_CONTROL_ENABLE;
  dcb_.XonLim = 2048;
  dcb_.XoffLim = 512;
  dcb_.XonChar = 0x11;
  dcb_.XoffChar = 0x13;
  termios tio{};
  if (::tcgetattr(fd_, &tio) == 0) termiosToDcb(tio, dcb_);
}

SerialPort::~SerialPort() {
  if (wakeFd_ >= 0) ::close(wakeFd_);
  if (fd_ >= 0) ::close(fd_);
}

void SerialPort::lastHandleClosed() {
  closed_.store(true);
  if (wakeFd_ >= 0) {
    const uint64_t one = 1;
    (void)::write(wakeFd_, &one, sizeof one);
  }
  releasePort(key_);
}

int SerialPort::waitFor(short events, int timeoutMs) {
  if (closed_.load() || wakeFd_ < 0) {
    SetLastError(ERROR_OPERATION_ABORTED);
    return -1;
  }
  pollfd fds[2] = {{fd_, events, 0}, {wakeFd_, POLLIN, 0}};
  int ready;
  do {
    ready = ::poll(fds, 2, timeoutMs);
  } while (ready < 0 && errno == EINTR);
  if (ready < 0) {
    SetLastError(ERROR_GEN_FAILURE);
    return -1;
  }
  if (fds[1].revents != 0) {
    SetLastError(ERROR_OPERATION_ABORTED);
    return -1;
  }
  if (ready == 0) return 0;
  if ((fds[0].revents & events) == 0) {
    // Hung up or failed with nothing to transfer: the other end is gone.
    SetLastError(ERROR_GEN_FAILURE);
    return -1;
  }
  return 1;
}

COMMTIMEOUTS SerialPort::timeouts() {
  std::lock_guard<std::mutex> lock(mutex_);
  return timeouts_;
}

BOOL SerialPort::read(void* buffer, DWORD toRead, DWORD* done, OVERLAPPED* overlapped) {
  if (done != nullptr) *done = 0;
  if (!readable_) return fail(ERROR_ACCESS_DENIED);
  if (toRead != 0 && buffer == nullptr) return fail(ERROR_NOACCESS);
  const ReadPlan plan = planRead(timeouts(), toRead);
  auto* bytes = static_cast<unsigned char*>(buffer);
  const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(plan.totalMs);
  Clock::time_point lastByte{};
  DWORD got = 0;
  DWORD error = ERROR_SUCCESS;
  while (got < toRead) {
    const ssize_t n = ::read(fd_, bytes + got, toRead - got);
    if (n > 0) {
      got += static_cast<DWORD>(n);
      lastByte = Clock::now();
      if (plan.firstChunk) break;
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n == 0) {
      // Hung up: the device is gone, and only the bytes before that count.
      if (got == 0) error = ERROR_GEN_FAILURE;
      break;
    }
    if (errno != EAGAIN && errno != EWOULDBLOCK) {
      if (got == 0) error = ERROR_GEN_FAILURE;
      break;
    }
    if (plan.immediate) break;

    const Clock::time_point now = Clock::now();
    int64_t wait = -1;
    if (plan.totalMs != 0) {
      wait = msUntil(now, deadline);
      if (wait == 0) break;
    }
    if (plan.intervalMs != 0 && got != 0) {
      const int64_t rest = msUntil(now, lastByte + std::chrono::milliseconds(plan.intervalMs));
      if (rest == 0) break;
      wait = wait < 0 ? rest : std::min(wait, rest);
    }
    if (waitFor(POLLIN, pollTimeout(wait)) < 0) {
      error = GetLastError();
      if (error == ERROR_GEN_FAILURE && got != 0) error = ERROR_SUCCESS;  // hung up after data
      break;
    }
  }
  if (done != nullptr) *done = got;
  BOOL ok = TRUE;
  if (error != ERROR_SUCCESS) ok = fail(error);
  reportOverlapped(overlapped, ok, got);
  return ok;
}

BOOL SerialPort::write(const void* buffer, DWORD toWrite, DWORD* done, OVERLAPPED* overlapped) {
  if (done != nullptr) *done = 0;
  if (!writable_) return fail(ERROR_ACCESS_DENIED);
  if (toWrite != 0 && buffer == nullptr) return fail(ERROR_NOACCESS);
  COMMTIMEOUTS t = timeouts();
  const uint64_t totalMs = totalLimit(t.WriteTotalTimeoutMultiplier, t.WriteTotalTimeoutConstant, toWrite);
  const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(totalMs);
  const auto* bytes = static_cast<const unsigned char*>(buffer);
  DWORD sent = 0;
  DWORD error = ERROR_SUCCESS;
  while (sent < toWrite) {
    const ssize_t n = ::write(fd_, bytes + sent, toWrite - sent);
    if (n > 0) {
      sent += static_cast<DWORD>(n);
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK) {
      error = ERROR_GEN_FAILURE;
      break;
    }
    int64_t wait = -1;
    if (totalMs != 0) {
      wait = msUntil(Clock::now(), deadline);
      if (wait == 0) break;  // timed out: report what went out
    }
    if (waitFor(POLLOUT, pollTimeout(wait)) < 0) {
      error = GetLastError();
      break;
    }
  }
  if (done != nullptr) *done = sent;
  BOOL ok = TRUE;
  if (error != ERROR_SUCCESS) ok = fail(error);
  reportOverlapped(overlapped, ok, sent);
  return ok;
}

BOOL SerialPort::getCommState(DCB* dcb) {
  if (dcb == nullptr) return fail(ERROR_INVALID_PARAMETER);
  termios tio{};
  if (::tcgetattr(fd_, &tio) != 0) return fail(ERROR_GEN_FAILURE);
  std::lock_guard<std::mutex> lock(mutex_);
  DCB state = dcb_;
  termiosToDcb(tio, state);
  *dcb = state;
  return TRUE;
}

BOOL SerialPort::setCommState(const DCB* dcb) {
  if (dcb == nullptr) return fail(ERROR_INVALID_PARAMETER);
  termios tio{};
  if (::tcgetattr(fd_, &tio) != 0) return fail(ERROR_GEN_FAILURE);
  if (!dcbToTermios(*dcb, tio)) return fail(ERROR_INVALID_PARAMETER);
  if (::tcsetattr(fd_, TCSANOW, &tio) != 0) return fail(errno == EINVAL ? ERROR_INVALID_PARAMETER : ERROR_GEN_FAILURE);
  if (dcb->fDtrControl != DTR_CONTROL_HANDSHAKE) setModemLine(fd_, TIOCM_DTR, dcb->fDtrControl == DTR_CONTROL_ENABLE);
  if (dcb->fRtsControl == RTS_CONTROL_DISABLE || dcb->fRtsControl == RTS_CONTROL_ENABLE) {
    setModemLine(fd_, TIOCM_RTS, dcb->fRtsControl == RTS_CONTROL_ENABLE);
  }
  std::lock_guard<std::mutex> lock(mutex_);
  dcb_ = *dcb;
  dcb_.DCBlength = sizeof(DCB);
  return TRUE;
}

BOOL SerialPort::getCommTimeouts(COMMTIMEOUTS* timeouts) {
  if (timeouts == nullptr) return fail(ERROR_INVALID_PARAMETER);
  std::lock_guard<std::mutex> lock(mutex_);
  *timeouts = timeouts_;
  return TRUE;
}

BOOL SerialPort::setCommTimeouts(const COMMTIMEOUTS* timeouts) {
  if (timeouts == nullptr) return fail(ERROR_INVALID_PARAMETER);
  std::lock_guard<std::mutex> lock(mutex_);
  timeouts_ = *timeouts;
  return TRUE;
}

BOOL SerialPort::purgeComm(DWORD flags) {
  constexpr DWORD kKnown = PURGE_TXABORT | PURGE_RXABORT | PURGE_TXCLEAR | PURGE_RXCLEAR;
  if ((flags & ~kKnown) != 0) return fail(ERROR_INVALID_PARAMETER);
  // Reads and writes finish within the call, so there is nothing to abort.
  const bool rx = (flags & PURGE_RXCLEAR) != 0;
  const bool tx = (flags & PURGE_TXCLEAR) != 0;
  if (!rx && !tx) return TRUE;
  if (::tcflush(fd_, rx && tx ? TCIOFLUSH : (rx ? TCIFLUSH : TCOFLUSH)) != 0) return fail(ERROR_GEN_FAILURE);
  return TRUE;
}

BOOL SerialPort::clearCommError(DWORD* errors, COMSTAT* status) {
  if (errors != nullptr) *errors = 0;  // the tty reports no line errors in raw mode
  if (status != nullptr) *status = COMSTAT{};
  // A tty whose device went away refuses the count, or reports the hang-up
  // once nothing is left to read: a count of 0 would pass for silence.
  int queued = 0;
  if (::ioctl(fd_, FIONREAD, &queued) != 0 || (queued <= 0 && hungUp(fd_))) return fail(ERROR_GEN_FAILURE);
  if (status != nullptr) {
    status->cbInQue = static_cast<DWORD>(std::max(queued, 0));
    queued = 0;
    if (::ioctl(fd_, TIOCOUTQ, &queued) == 0 && queued > 0) status->cbOutQue = static_cast<DWORD>(queued);
  }
  return TRUE;
}

}  // namespace plat
