// Exports of the processing library: readout.
#pragma once
#include <windef.h>
