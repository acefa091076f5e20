// Hands a stored value to a caller's buffers, with the size-query and
// too-small rules of RegQueryValueExA and RegEnumValueA.
#pragma once
#include <windef.h>

#include "advapi32/key_store.h"

namespace plat::reg {

// REG_SZ, REG_EXPAND_SZ and REG_MULTI_SZ.
bool isText(DWORD type);

// Type always; with no data buffer only the size; a buffer smaller than the
// data gets nothing and ERROR_MORE_DATA with the size needed. A text stored
// without its terminating NUL (by an older store) gets one behind the data
// when there is room (the size reported stays the stored size).
long copyValueOut(const ValueRow& value, LPDWORD type, LPBYTE data, LPDWORD size);

// A name into a caller's buffer of *length characters (NUL included);
// *length becomes the name's length without the NUL. ERROR_MORE_DATA, with
// nothing written, when it does not fit.
long copyNameOut(const std::string& name, LPSTR buffer, LPDWORD length);

}  // namespace plat::reg
