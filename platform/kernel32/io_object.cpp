// Default answers of I/O objects to the calls their kind does not serve.
#include "kernel32/io_object.h"

namespace plat {

namespace {
BOOL refuse(DWORD error = ERROR_INVALID_FUNCTION) {
  SetLastError(error);
  return FALSE;
}
}  // namespace

BOOL IoObject::read(void*, DWORD, DWORD*, OVERLAPPED*) { return refuse(ERROR_INVALID_HANDLE); }
BOOL IoObject::write(const void*, DWORD, DWORD*, OVERLAPPED*) { return refuse(ERROR_INVALID_HANDLE); }
BOOL IoObject::deviceControl(DWORD, void*, DWORD, void*, DWORD, DWORD*, OVERLAPPED*) { return refuse(); }
BOOL IoObject::flush() { return TRUE; }
BOOL IoObject::cancel(OVERLAPPED*) { return refuse(ERROR_NOT_FOUND); }
BOOL IoObject::getCommState(DCB*) { return refuse(); }
BOOL IoObject::setCommState(const DCB*) { return refuse(); }
BOOL IoObject::getCommTimeouts(COMMTIMEOUTS*) { return refuse(); }
BOOL IoObject::setCommTimeouts(const COMMTIMEOUTS*) { return refuse(); }
BOOL IoObject::purgeComm(DWORD) { return refuse(); }
BOOL IoObject::clearCommError(DWORD*, COMSTAT*) { return refuse(); }

}  // namespace plat
