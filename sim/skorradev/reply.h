// Reading a request record and writing its reply, for the handlers.
#pragma once
#include <algorithm>
#include <cstring>
#include <initializer_list>

#include "board.h"

namespace skorradev {

template <class T>
inline T load(const Call& c) {
  T value{};
  std::memcpy(&value, c.in, std::min<size_t>(sizeof(T), c.inSize));
  return value;
}

// Writes the whole reply: status, values, zeros up to the output size.
inline LONG reply(Call& c, DWORD status, std::initializer_list<uint32_t> values = {}) {
  std::memset(c.out, 0, c.outSize);
  std::memcpy(c.out, &status, std::min<size_t>(4, c.outSize));
  size_t at = 4;
  for (uint32_t v : values) {
    if (at + 4 > c.outSize) break;
    std::memcpy(c.out + at, &v, 4);
    at += 4;
  }
  c.request->information = c.outSize;
  return PLAT_STATUS_SUCCESS;
}

template <class T>
inline LONG replyRecord(Call& c, T record) {
  std::memset(c.out, 0, c.outSize);
  std::memcpy(c.out, &record, std::min<size_t>(sizeof(T), c.outSize));
  c.request->information = c.outSize;
  return PLAT_STATUS_SUCCESS;
}

}  // namespace skorradev
