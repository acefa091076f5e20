// Exports of the processing library: calibration.
#pragma once
#include <windef.h>
