// A caller's array whose address a record carries in one of its fields.
#pragma once
#include <cstdint>

#include "requests.h"

namespace halviksim {

template <class T>
T* addressIn(const Record& record, Field f) {
  return reinterpret_cast<T*>(static_cast<uintptr_t>(record.read(f)));
}

}  // namespace halviksim
