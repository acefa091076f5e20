// The request tables of the multi-function counters and of the digital and
// port I/O, looked up after the core's own tables.
#pragma once
#include "requests.h"

namespace halviksim {

// The kernel road: the row and its status place, or null.
const Row* cntmKernelRow(DWORD code, DWORD size, uint16_t& statusAt);
const Row* dioKernelRow(DWORD code, DWORD size, uint16_t& statusAt);
// The sibling roads: as busRow.
const Row* cntmBusRow(int busKind, DWORD command, DWORD size, bool& commandKnown);
const Row* dioBusRow(int busKind, DWORD command, DWORD size, bool& commandKnown);

}  // namespace halviksim
