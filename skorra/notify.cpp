// Registrations the notification worker acts on.
#include "codes.h"
#include "request.h"

using namespace skorra;

DLL_EXPORT SkResult WINAPI SkSetMessage(HANDLE h, HWND window, uint32_t message, uint32_t highWord) {
  LockGuard guard;
  Device d = lookup(h);
  if (!d) return SK_E_UNKNOWN_HANDLE;
  d.slot->messageWindow = window;
  d.slot->message = message;
  d.slot->messageHighWord = highWord;
  return SK_SUCCESS;
}

DLL_EXPORT SkResult WINAPI SkKillMessage(HANDLE h) {
  LockGuard guard;
  Device d = lookup(h);
  if (!d) return SK_E_UNKNOWN_HANDLE;
  d.slot->messageWindow = nullptr;
  d.slot->message = 0;
  d.slot->messageHighWord = 0;
  return SK_SUCCESS;
}

DLL_EXPORT SkResult WINAPI SkSetMaskMessage(HANDLE h, uint32_t mask) {
  LockGuard guard;
  Device d = lookup(h);
  if (!d) return SK_E_UNKNOWN_HANDLE;
  d.slot->messageMask = mask;
  return SK_SUCCESS;
}

DLL_EXPORT SkResult WINAPI SkGetMaskMessage(HANDLE h, uint32_t* mask) {
  LockGuard guard;
  Device d = lookup(h);
  if (!d) return SK_E_UNKNOWN_HANDLE;
  if (mask == nullptr) return SK_E_NULL_BUFFER;
  *mask = d.slot->messageMask;
  return SK_SUCCESS;
}

DLL_EXPORT SkResult WINAPI SkSetExIntEvent(HANDLE h, uint32_t value, HANDLE event, SkCompletionCallback callback,
                                           void* data) {
  LockGuard guard;
  Device d = lookup(h);
  if (!d) return SK_E_UNKNOWN_HANDLE;
  Dwords<2> req;
  req.in[0] = static_cast<uint32_t>(d.n);
  req.in[1] = value;
  uint32_t status = req.send(d.driver, SKDF_SET_EXINT_EVENT);
  if (status != 0) return status;
  d.slot->exIntEvent = event;
  d.slot->exIntCallback = callback;
  d.slot->exIntData = data;
  return SK_SUCCESS;
}

DLL_EXPORT SkResult WINAPI SkKillExIntEvent(HANDLE h) {
  LockGuard guard;
  Device d = lookup(h);
  if (!d) return SK_E_UNKNOWN_HANDLE;
  uint32_t status = simpleRequest(d, SKDF_KILL_EXINT_EVENT, 2);
  if (status != 0) return status;
  d.slot->exIntEvent = nullptr;
  d.slot->exIntCallback = nullptr;
  d.slot->exIntData = nullptr;
  return SK_SUCCESS;
}
