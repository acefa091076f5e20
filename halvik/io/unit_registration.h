// The event registrations of a counter channel or timer: the row goes to
// the device first, and only a mask it accepted changes how the worker
// delivers that unit's events.
#pragma once
#include <windows.h>

#include <cstdint>

#include "device_record.h"
#include "setting_rows.h"

namespace halvik::io {

// A window as the registration rows and their traces carry it.
inline LONG WindowValue(HWND hWnd) { return static_cast<LONG>(reinterpret_cast<intptr_t>(hWnd)); }

// Messages to `window` from the unit's slot.
LONG RegisterWindow(const rows::Row& row, short id, short unit, int slot, HWND window, LONG mask);
// Calls of `proc` with `param` from the unit's slot.
LONG RegisterCallback(const rows::Row& row, short id, short unit, int slot, XanCallBack proc, LONG mask,
                      void* param);

}  // namespace halvik::io
