// Taking down what a driver left behind (the loader's unload check).
#pragma once
#include <ntkrnl/nt_io.h>

namespace ntk {

unsigned deleteDevicesOf(PDRIVER_OBJECT driver);
unsigned deleteLinksOf(PDRIVER_OBJECT driver);

}  // namespace ntk
