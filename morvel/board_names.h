// Boards found by name: the "ObjectName" of the group keys that the
// configuration library writes under each analog service.
#pragma once
#include <cstdint>

namespace morvel {

// Reads a value under HKEY_LOCAL_MACHINE. Wanted type 1 (REG_SZ) fills
// text (at least 257 bytes; always terminated), 4 (REG_DWORD) fills number.
// 0 on success; the system's code when the key or value cannot be read; 1
// for another type, a value longer than 256 bytes or a missing argument.
long regReadValue(const char* keyPath, uint32_t wantedType, const char* valueName, char* text, uint32_t* number);

// The first (device index, group) whose ObjectName equals the name without
// regard to case; false when none does or the name is empty.
bool findBoardByName(const char* name, uint16_t& deviceIndex, uint16_t& group);

}  // namespace morvel
