#include "backends/serial/unit_port.h"

namespace vekmath {
namespace {

// The units' time-outs: a read ends 1,000 ms after the call or after the
// last byte, a write 1,000 ms after the call.
constexpr COMMTIMEOUTS kTimeouts = {1000, 0, 1000, 0, 1000};

bool applySettings(HANDLE port, DWORD baud) {
  DCB dcb{};
  dcb.DCBlength = sizeof dcb;
  if (!GetCommState(port, &dcb)) return false;
  dcb.BaudRate = baud;
  dcb.ByteSize = 8;
  dcb.Parity = NOPARITY;
  dcb.StopBits = ONESTOPBIT;
  dcb.fBinary = 0;
  dcb.fOutxCtsFlow = 0;
  dcb.fOutxDsrFlow = 0;
  dcb.fDtrControl = DTR_CONTROL_DISABLE;
  dcb.fRtsControl = RTS_CONTROL_DISABLE;
  if (!SetCommState(port, &dcb)) return false;
  COMMTIMEOUTS timeouts = kTimeouts;
  return SetCommTimeouts(port, &timeouts) != FALSE;
}

}  // namespace

bool UnitPort::open(const char* name, DWORD baud) {
  close();
  HANDLE port = CreateFileA(name, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  if (port == INVALID_HANDLE_VALUE) return false;
  // A port whose settings fail cannot be read as the unit sends.
  if (!applySettings(port, baud)) {
    CloseHandle(port);
    return false;
  }
  handle_.store(port);
  return true;
}

void UnitPort::close() {
  // A handle value is closed once: a later one may be somebody else's.
  HANDLE port = handle_.exchange(INVALID_HANDLE_VALUE);
  if (port != INVALID_HANDLE_VALUE) CloseHandle(port);
}

bool UnitPort::queued(DWORD& bytes) const {
  bytes = 0;
  DWORD errors = 0;
  COMSTAT status{};
  if (!ClearCommError(handle_.load(), &errors, &status)) return false;
  bytes = status.cbInQue;
  return true;
}

bool UnitPort::read(char* into, DWORD n, DWORD& got) const {
  got = 0;
  return ReadFile(handle_.load(), into, n, &got, nullptr) != FALSE;
}

bool UnitPort::write(const char* bytes, DWORD n) const {
  DWORD put = 0;
  return WriteFile(handle_.load(), bytes, n, &put, nullptr) != FALSE && put == n;
}

}  // namespace vekmath
