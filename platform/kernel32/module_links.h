// Which libraries an unload takes with it.
#pragma once
#include <cstdint>
#include <vector>

#include "kernel32/module_table.h"

namespace plat {

// The modules that unloading `top` (which holds no LoadLibraryA reference)
// unmaps: `top` unless another loaded object links it, then each of
// `byName` (modules mapped by name that hold no reference either) that
// only those already going link. In the order they detach: a library
// before those it links. Empty when `top` stays.
std::vector<uint32_t> ModulesUnloadedWith(const Module& top, const std::vector<Module>& byName);

}  // namespace plat
