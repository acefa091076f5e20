// The older library's entry points that the back end calls, bound by export
// ordinal when this library is attached, and reached through one table so
// that a test can put a recording library in its place.
#pragma once
#include <windef.h>

#include <morvel.h>

namespace vekmath {

inline constexpr const char* kMorvelLibraryName = "Morvel.dll";

// Each entry with its export ordinal.
#define VEKMATH_MORVEL_ENTRIES(X) \
  X(XanOpen, 2)                   \
  X(XanInpBdMem, 4)               \
  X(XanReadBuf, 5)                \
  X(XanSts, 10)                   \
  X(XanStop, 11)                  \
  X(XanClose, 12)                 \
  X(XanSetRange, 48)

#define VEKMATH_MORVEL_MEMBER(name, ordinal) decltype(&::name) name = nullptr;

// A null entry is one the library is missing (or the library itself).
struct MorvelBinding {
  VEKMATH_MORVEL_ENTRIES(VEKMATH_MORVEL_MEMBER)
};

#undef VEKMATH_MORVEL_MEMBER

// The table in use. Replaced only while no acquisition runs.
MorvelBinding& morvel();

// Binds the entries from the library when it is installed; without it the
// table stays empty. Undone by unbindMorvel.
void bindMorvel();
void unbindMorvel();

}  // namespace vekmath
