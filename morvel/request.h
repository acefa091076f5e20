// The one step of every board function: a buffered device-control request
// whose record is both input and output, and the table-driven frame that
// builds the record from a row.
#pragma once
#include <array>
#include <cstdint>
#include <initializer_list>

#include <morvel.h>

#include "support.h"

namespace morvel {

// Sends the code's record on the handle; the record's size comes from the
// protocol's size table unless given. False when the call itself fails.
bool sendRequest(uint32_t handle, uint32_t offset, XanRequest& record, uint32_t size = 0);
// The result of a sent record: 2 when the call failed, else the i16 at +4.
LONG sendForResult(uint32_t handle, uint32_t offset, XanRequest& record);

// A field of a record: its offset and width in bytes (0 = none).
struct Field {
  uint8_t at = 0;
  uint8_t width = 0;
};

// One board function: its code, its support column, where its arguments go
// and what comes back to the caller.
struct RequestRow {
  uint32_t offset;
  Support support;
  std::array<Field, 4> in;
  std::array<Field, 3> out;
};

// Lock, support check, record built from the arguments (zero elsewhere),
// request, then the out fields stored where the caller asked (null outputs
// are skipped; they are stored after a failed request too, as zeros).
LONG runRequest(const RequestRow& row, uint32_t handle, std::initializer_list<uint64_t> args,
                std::initializer_list<void*> outs = {});

inline uint64_t address(const void* p) { return reinterpret_cast<uintptr_t>(p); }

}  // namespace morvel
