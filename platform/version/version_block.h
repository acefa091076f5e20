// The block that GetFileVersionInfoA hands out: built from a file's sidecar,
// read back by VerQueryValueA. It holds no pointers, so a caller may copy it.
#pragma once
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace plat::ver {

// Read from "<file>.version". Empty when the sidecar is missing; lines
// without "=" and malformed translation pairs are left out.
std::optional<std::vector<BYTE>> blockForFile(const std::string& linuxSidecarPath);

// A pointer into `block` and its length, or false.
bool queryBlock(const BYTE* block, const char* subBlock, void** value, UINT* length);

}  // namespace plat::ver
